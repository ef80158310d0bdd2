// The saver run under this test as its debugger, its trace lines collected.
#include "traced_process.h"

void TracedProcess::Collect(const DEBUG_EVENT& ev)
{
    const OUTPUT_DEBUG_STRING_INFO& info = ev.u.DebugString;
    if (info.fUnicode) return;
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T got = 0;
    ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &got);
    text.resize(got);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    EnterCriticalSection(&lock);
    traces.push_back(text);
    traceTicks.push_back(GetTickCount());
    LeaveCriticalSection(&lock);
}

DWORD WINAPI TracedProcess::DebugLoop(void* param)
{
    TracedProcess* t = (TracedProcess*)param;
    bool started = t->TestProcess::Start(t->scrPath, SaverCommand(t->scrPath, t->args), "",
                                         DEBUG_ONLY_THIS_PROCESS);
    SetEvent(t->ready);
    while (started) {
        DEBUG_EVENT ev;
        if (!WaitForDebugEvent(&ev, 30000)) {
            if (!t->Running()) break;
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (ev.dwDebugEventCode) {
        case OUTPUT_DEBUG_STRING_EVENT:
            t->Collect(ev);
            break;
        case EXCEPTION_DEBUG_EVENT:
            if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case CREATE_PROCESS_DEBUG_EVENT:
            if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
            break;
        }
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
    }
    return 0;
}

// The debugger is the thread that started the process: it starts it itself.
bool TracedProcess::Start(const std::string& scr, const std::string& arguments)
{
    InitializeCriticalSection(&lock);
    scrPath = scr;
    args = arguments;
    ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    loop = CreateThread(NULL, 0, DebugLoop, this, 0, NULL);
    WaitForSingleObject(ready, 20000);
    return process != NULL;
}

void TracedProcess::End()
{
    if (Running()) TerminateProcess(process, 99);
    if (loop) {
        WaitForSingleObject(loop, 10000);
        CloseHandle(loop);
        loop = NULL;
    }
}

template <typename T>
static std::vector<T> LockedCopy(CRITICAL_SECTION* lock, const std::vector<T>& items)
{
    EnterCriticalSection(lock);
    std::vector<T> copy = items;
    LeaveCriticalSection(lock);
    return copy;
}

std::vector<std::string> TracedProcess::Traces() { return LockedCopy(&lock, traces); }

std::vector<DWORD> TracedProcess::TraceTicks() { return LockedCopy(&lock, traceTicks); }

TracedProcess::~TracedProcess()
{
    End();
    if (ready) {
        CloseHandle(ready);
        DeleteCriticalSection(&lock);
    }
}
