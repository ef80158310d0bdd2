#include "host/saver_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SaverStartup();
    return 0;
}
