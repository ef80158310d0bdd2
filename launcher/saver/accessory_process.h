// Starting and stopping the desktop accessory, and starting the external
// saver in its preview form.
#pragma once
#include <windows.h>

// How long closing waits for the accessory in all, counted from the start
// of the close, and how long the exit command may take on its own. After
// that the saver goes on closing and leaves the accessory running.
const DWORD accessoryExitTimeout = 5000;
const DWORD accessoryWaitLimit = 10000;
// The accessory's exit command (IDM_EXIT of its menu), sent as WM_COMMAND.
const WPARAM accessoryExitCommand = 40001;

// The accessory at exepath, in its own folder.
void StartAccessory(const char* exepath);
void SendAccessoryExit(DWORD closeStart);
void WaitForAccessory(DWORD closeStart);
void ReleaseAccessoryHandles();
// Its timer is already killed: this runs once.
void StartExternalSaver(HWND hwnd, const char* ext_scr_path);
