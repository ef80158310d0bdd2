// The launcher as the saver hands it to the host, each message to its saver
// procedure first recorded as an "A" line (message_table.h).
#include <stdio.h>
#include <string.h>

#include "host/saver_app.h"
#include "launcher/config_dialog.h"
#include "launcher/launcher_saver.h"

extern "C" __declspec(dllimport) void ProbeAppend(const char* line);  // probe_recorder.dll

// Stands in for Windows, whose display-state reports Wine never sends:
// this message with the state in wParam becomes the report, in this process.
const UINT probeDisplayMessage = WM_USER + 0x79;

static LRESULT ReportDisplayState(HWND hwnd, DWORD state)
{
    struct { POWERBROADCAST_SETTING head; BYTE rest[3]; } report = {};
    report.head.PowerSetting = {0x6fe69556, 0x704a, 0x47a0,  // GUID_CONSOLE_DISPLAY_STATE
                                {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    report.head.DataLength = sizeof state;
    memcpy(report.head.Data, &state, sizeof state);
    return SendMessageA(hwnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, (LPARAM)&report);
}

static LRESULT RecordingSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == probeDisplayMessage) return ReportDisplayState(hwnd, (DWORD)wParam);
    char line[64];
    snprintf(line, sizeof line, "A %04X %lu %ld\n", message, (unsigned long)wParam, (long)lParam);
    ProbeAppend(line);
    return LauncherSaverProc(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    static const SaverApp probe = {RecordingSaverProc, ConfigDialogProc, PrepareConfigDialog};
    SaverMain(&probe);
    return 0;
}
