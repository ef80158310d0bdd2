// The launcher as the saver hands it to the host, each message to its saver
// procedure first recorded as an "A" line (message_table.h).
#include <stdio.h>

#include "host/saver_app.h"
#include "launcher/config_dialog.h"
#include "launcher/launcher_saver.h"

extern "C" __declspec(dllimport) void ProbeAppend(const char* line);  // probe_recorder.dll

static LRESULT RecordingSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
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
