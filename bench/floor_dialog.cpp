// The floor of the dialog figures: the least a program that shows the
// configuration dialog can do. The same template (the product's resource
// script is linked in), its slider class registered first, a dialog
// procedure that only ends the dialog on OK or Cancel. Built with the same
// toolchain and flags as the .scr.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource.h"

static INT_PTR CALLBACK FloorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam) == IDOK);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    ExitProcess((UINT)DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG), NULL,
                                      FloorDialogProc, 0));
}
