// The saver run under this test as its debugger, its trace lines collected.
#pragma once
#include <vector>

#include "test_process.h"

// Every OutputDebugStringA text of the saver, in order and bytes unchanged;
// End() also waits until the last one is collected.
struct TracedProcess : TestProcess {
    bool Start(const std::string& scrPath, const std::string& args);
    void End();
    std::vector<std::string> Traces();
    // GetTickCount() when each trace arrived, taken while the saver still
    // waited in OutputDebugStringA: no later than anything the saver does
    // after that trace, no earlier than anything it did before it.
    std::vector<DWORD> TraceTicks();
    ~TracedProcess();
private:
    static DWORD WINAPI DebugLoop(void* param);
    void Collect(const DEBUG_EVENT& ev);
    std::string scrPath, args;
    HANDLE loop = NULL, ready = NULL;
    CRITICAL_SECTION lock;
    std::vector<std::string> traces;
    std::vector<DWORD> traceTicks;
};
