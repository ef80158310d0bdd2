// The launcher's saver procedure and its helpers.
#pragma once
#include <windows.h>

const WPARAM IDM_EXIT = 40001;
const UINT_PTR musicTimer = 1;          // 1000 ms, simple mode
const UINT_PTR externalSaverTimer = 2;  // 500 ms, once, external call mode

extern BOOL isPreview;
extern BOOL musicEnabled;
extern BOOL musicStarted;
extern DWORD startTick;
extern POINT startCursor;
extern RECT windowRect;
extern RECT fillRect;
extern HBRUSH fillBrush;
extern PROCESS_INFORMATION accessoryProcess;
extern HWND accessoryDialog;

BOOL FileExists(const char* path);
BOOL CALLBACK FindAccessoryDialog(HWND candidate, LPARAM unused);
