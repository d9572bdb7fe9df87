#include "app/VolmarkApp.h"

#include "app/resource.h"
#include "app/startup.h"
#include "dialog/VolmarkDlg.h"
#include "skinstore/Global.h"

// Constructed in this order, destroyed in the reverse: the skin images are
// freed before the application object goes.
CVolmarkApp theApp;
CGlobal g_skin;

namespace {

class Win32Startup : public vm::StartupPlatform {
public:
    explicit Win32Startup(CVolmarkApp& app) : m_app(app) {}

    void InitCommonControls() override {
        INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
    void BaseInitInstance() override { m_app.CWinApp::InitInstance(); }
    bool SocketInit() override { return AfxSocketInit() != FALSE; }
    void ShowSocketInitFailure() override { AfxMessageBox(IDS_SOCKET_INIT_FAILED, MB_OK, static_cast<UINT>(-1)); }
    void EnableControlContainer() override { AfxEnableControlContainer(); }
    void SetRegistryKey(const std::u16string& key) override {
        m_app.SetRegistryKey(CString::FromU16(key));
    }
    void LoadSkinBitmaps() override { g_skin.LoadSkinBitmaps(); }
    void LoadSkinIcons() override { g_skin.LoadSkinIcons(); }
    void SetSkinColours(const vm::SkinColours& c) override {
        g_skin.m_clrTransparent = c.transparent;
        g_skin.m_clrBackground = c.background;
        g_skin.m_clrCaptionTextActive = c.captionTextActive;
        g_skin.m_clrCaptionTextInactive = c.captionTextInactive;
    }
    bool ActivateWindowTitled(const std::u16string& title) override {
        CWnd* other = CWnd::FromHandle(::FindWindowW(nullptr, CString::FromU16(title)));
        if (!other) return false;
        other->ActivateTopParent();
        return true;
    }
    void PostQuit(int exitCode) override { ::PostQuitMessage(exitCode); }
    void RunDialog() override {
        CVolmarkDlg dlg;
        m_app.m_pMainWnd = &dlg;
        dlg.DoModal();
        m_app.m_pMainWnd = nullptr;
    }

private:
    CVolmarkApp& m_app;
};

}  // namespace

BOOL CVolmarkApp::InitInstance() {
    Win32Startup platform(*this);
    return vm::RunStartup(platform) ? TRUE : FALSE;
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int) {
    // Only the system directory may supply the DLLs we load by name later.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return AfxWinMain(inst);
}
