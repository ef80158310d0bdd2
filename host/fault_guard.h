// The host's structured-exception guard. GCC has no __try/__except, so the
// guard is a hand-made i386 SEH frame around one call.
#pragma once
#include <windows.h>

typedef LONG_PTR (*GuardedBody)(void* context);

// Runs body(context) under the guard and returns its result. When a fault
// reaches the guard, the screen-saver-running state is cleared; when
// UnhandledExceptionFilter then answers EXCEPTION_EXECUTE_HANDLER, the
// process is terminated with the fault's exception code (1 if that were 0).
LONG_PTR GuardedCall(GuardedBody body, void* context);

// A window or dialog procedure called under the guard. Wine dispatches
// messages through a user-mode callback that a fault does not cross, so a
// guard around the message loop alone would never see a fault inside a
// procedure: each procedure guards its own body.
LRESULT GuardedProcedure(WNDPROC procedure, HWND hwnd, UINT message, WPARAM wParam,
                         LPARAM lParam);

// Whether a thread started by StartSaverThread is still running.
BOOL GuardedThreadsRunning();
