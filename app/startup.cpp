#include "app/startup.h"

namespace vm {

const char16_t kDialogTitle[] = u"Kelvask";
const char16_t kRegistryKey[] = u"로컬 응용 프로그램 마법사에서 생성된 응용 프로그램";

bool RunStartup(StartupPlatform& p) {
    p.InitCommonControls();
    p.BaseInitInstance();
    if (!p.SocketInit()) {
        // Nothing else has been done yet: no skin, no window.
        p.ShowSocketInitFailure();
        return false;
    }
    p.EnableControlContainer();
    p.SetRegistryKey(kRegistryKey);
    p.LoadSkinBitmaps();
    p.LoadSkinIcons();
    // Before the dialog exists: its background brush and the button's face
    // colours are taken from these at construction.
    p.SetSkinColours(kSkinColours);
    if (p.ActivateWindowTitled(kDialogTitle)) {
        // The new dialog still comes up, but its loop meets this request at
        // its first retrieval and the process ends with 0.
        p.PostQuit(0);
    }
    p.RunDialog();
    return false;
}

}  // namespace vm
