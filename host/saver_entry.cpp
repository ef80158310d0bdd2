#include "host/saver_host.h"

HINSTANCE moduleInstance;
BOOL is95Family;

void SaverStartup()
{
    ExitProcess(0);
}
