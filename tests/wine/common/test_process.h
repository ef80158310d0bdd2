// Processes a test starts and ends by id: the saver run with its arguments.
#pragma once
#include <windows.h>

#include <string>

// Processes this test started. End() terminates only that process, by handle.
struct TestProcess {
    HANDLE process = NULL;
    DWORD id = 0;
    bool inheritHandles = false;  // the child gets this test's inheritable handles
    bool Start(const std::string& application, const std::string& commandLine,
               const std::string& workDir = "", DWORD flags = 0);
    // Waits at most timeoutMs; true and the exit code when it ended.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = NULL);
    // The exit code, or 0xDEADBEEF when the process has not ended within timeoutMs.
    DWORD ExitCode(DWORD timeoutMs);
    bool Running();
    void End();
    ~TestProcess();
};

// The command line of a saver file: its quoted name, then the arguments.
std::string SaverCommand(const std::string& scrPath, const std::string& args);
bool StartSaver(TestProcess* p, const std::string& scrPath, const std::string& args);
// Runs it to its end (bounded); returns the exit code, or 0xDEADBEEF on time-out
// (the process is then ended).
DWORD RunSaver(const std::string& scrPath, const std::string& args, DWORD timeoutMs = 20000);
