// The launcher as the saver hands it to the host, each message to its saver
// procedure first recorded as an "A" line (message_table.h).
#include <stdio.h>

#include "host/saver_app.h"
#include "launcher/dialog/config_dialog.h"
#include "launcher/saver/launcher_saver.h"

extern "C" __declspec(dllimport) void ProbeAppend(const char* line);  // probe_recorder.dll

static LRESULT RecordingSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 0x79) {  // the display's state in wParam, reported as Windows does
        struct { POWERBROADCAST_SETTING head; BYTE rest[3]; } report = {  // console display state
            {{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}}, 4,
             {(BYTE)wParam}}, {}};
        return SendMessageA(hwnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, (LPARAM)&report);
    }
    char line[64];
    snprintf(line, sizeof line, "A %04X %lu %ld\n", message, (unsigned long)wParam, (long)lParam);
    ProbeAppend(line);
    return LauncherSaverProc(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    static const SaverApp probe = {RecordingSaverProc, ConfigDialogProc, PrepareConfigDialog,
                                   PrepareSaverWindow};
    SaverMain(&probe);
    return 0;
}
