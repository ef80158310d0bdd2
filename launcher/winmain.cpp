// The program's entry: hands the launcher's entry points to the host.
#include "host/saver_app.h"
#include "launcher/dialog/config_dialog.h"
#include "launcher/saver/launcher_saver.h"

static const SaverApp launcherApp = {LauncherSaverProc, ConfigDialogProc, PrepareConfigDialog,
                                     PrepareSaverWindow};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SaverMain(&launcherApp);
    return 0;
}
