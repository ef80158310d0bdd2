#include "host/fault_guard.h"

#include "host/host_internal.h"

namespace {

// The i386 exception registration record that fs:[0] points at.
struct GuardFrame {
    GuardFrame* next;
    void* handler;
};

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context,
                                           void*)
{
    // Unwinding passes only tell the frame that it is being left.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    // The 95 family's keys (Ctrl+Alt+Del) come back before anything else:
    // the system's fault dialog may wait for the user, a debugger may take
    // the fault over, and neither would give them back.
    SetSaverRunning(FALSE);
    EXCEPTION_POINTERS pointers = {record, context};
    LONG verdict = UnhandledExceptionFilter(&pointers);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION) {
        if (PasswordVerifier()) SetSaverRunning(TRUE);
        return ExceptionContinueExecution;
    }
    if (verdict != EXCEPTION_EXECUTE_HANDLER) return ExceptionContinueSearch;
    // The handler ends the process here, since an SEH frame cannot resume
    // the guarded caller; TerminateProcess, because ExitProcess would run
    // every library's detach code inside the broken process. The fault's own
    // code, so that a fault never ends with a success code.
    DWORD code = record->ExceptionCode;
    TerminateProcess(GetCurrentProcess(), code != 0 ? code : 1);
    return ExceptionContinueSearch;
}

struct ProcedureCall {
    WNDPROC procedure;
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

LONG_PTR CallProcedure(void* context)
{
    ProcedureCall* call = (ProcedureCall*)context;
    return call->procedure(call->hwnd, call->message, call->wParam, call->lParam);
}

// The application's threads, kept for the whole process: the entry asks at
// the end whether one still runs. Started from the window's thread only.
struct GuardedThread {
    SaverThreadBody body;
    void* context;
    HANDLE handle;  // the host's own, for that question
};
const int maxGuardedThreads = 4;
GuardedThread guardedThreads[maxGuardedThreads];
int guardedThreadCount;

LONG_PTR CallThreadBody(void* context)
{
    GuardedThread* thread = (GuardedThread*)context;
    return thread->body(thread->context);
}

DWORD WINAPI GuardedThreadStart(void* context)
{
    return (DWORD)GuardedCall(CallThreadBody, context);
}

}  // namespace

__attribute__((noinline)) LONG_PTR GuardedCall(GuardedBody body, void* context)
{
    // The record must live on this stack frame for the whole call; Wine
    // checks that registration records lie inside the thread's stack.
    volatile GuardFrame frame;
    frame.handler = (void*)GuardHandler;
    GuardFrame* previous;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(previous));
    frame.next = previous;
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(&frame) : "memory");
    LONG_PTR result = body(context);
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(previous) : "memory");
    return result;
}

LRESULT GuardedProcedure(WNDPROC procedure, HWND hwnd, UINT message, WPARAM wParam,
                         LPARAM lParam)
{
    ProcedureCall call = {procedure, hwnd, message, wParam, lParam};
    return GuardedCall(CallProcedure, &call);
}

HANDLE StartSaverThread(SaverThreadBody body, void* context)
{
    if (guardedThreadCount == maxGuardedThreads) return NULL;
    GuardedThread* slot = &guardedThreads[guardedThreadCount];
    slot->body = body;
    slot->context = context;
    HANDLE thread = CreateThread(NULL, 0, GuardedThreadStart, slot, 0, NULL);
    if (thread == NULL) return NULL;
    guardedThreadCount++;
    HANDLE self = GetCurrentProcess();
    DuplicateHandle(self, thread, self, &slot->handle, SYNCHRONIZE, FALSE, 0);
    return thread;
}

BOOL GuardedThreadsRunning()
{
    for (int i = 0; i < guardedThreadCount; i++) {
        HANDLE handle = guardedThreads[i].handle;
        if (handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) return TRUE;
    }
    return FALSE;
}
