// Private messages of the probe saver (hostprobe.scr), shared with its tests.
#pragma once
#include <windows.h>

const UINT probeCrashMessage = WM_USER + 0x77;   // faults inside the saver procedure
const UINT probeRaiseMessage = WM_USER + 0x78;   // raises the exception code wParam
