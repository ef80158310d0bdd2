// Processes a test starts and ends by id.
#include "test_process.h"

bool TestProcess::Start(const std::string& application, const std::string& commandLine,
                        const std::string& workDir, DWORD flags)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string cmd = commandLine;  // writable, as CreateProcessA wants it
    if (!CreateProcessA(application.empty() ? NULL : application.c_str(), &cmd[0], NULL,
                        NULL, inheritHandles, flags, NULL, workDir.empty() ? NULL : workDir.c_str(), &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    id = pi.dwProcessId;
    return true;
}

bool TestProcess::Wait(DWORD timeoutMs, DWORD* exitCode)
{
    if (!process || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    if (exitCode) *exitCode = code;
    return true;
}

DWORD TestProcess::ExitCode(DWORD timeoutMs)
{
    DWORD code = 0xDEADBEEF;
    return Wait(timeoutMs, &code) ? code : 0xDEADBEEF;
}

bool TestProcess::Running()
{
    return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

void TestProcess::End()
{
    if (!process) return;
    if (Running()) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
    process = NULL;
}

TestProcess::~TestProcess() { End(); }

std::string SaverCommand(const std::string& scrPath, const std::string& args)
{
    return "\"" + scrPath + "\"" + (args.empty() ? "" : " " + args);
}

bool StartSaver(TestProcess* p, const std::string& scrPath, const std::string& args)
{
    return p->Start(scrPath, SaverCommand(scrPath, args));
}

DWORD RunSaver(const std::string& scrPath, const std::string& args, DWORD timeoutMs)
{
    TestProcess p;
    return StartSaver(&p, scrPath, args) ? p.ExitCode(timeoutMs) : 0xDEADBEEF;
}
