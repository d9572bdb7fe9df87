// The floor for start-up figures: the same dialog template, run by the
// plainest Win32 code there is (no skin, no framework, no class of ours).
#include <windows.h>
#include <commctrl.h>

#include "app/resource.h"

static INT_PTR CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) EndDialog(h, IDCANCEL);
        return TRUE;
    case WM_CLOSE:
        EndDialog(h, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    DialogBoxParamW(inst, MAKEINTRESOURCEW(IDD_VOLMARK_DIALOG), nullptr, Proc, 0);
    return 0;
}
