#include "host/saver_host.h"

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) EndDialog(dialog, 0);
    return FALSE;
}
