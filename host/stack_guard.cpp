// The stack canaries' guard value and their failure, in place of libssp's:
// libssp seeds its guard through CryptAcquireContext, which loads the
// system's crypto provider into every start of the saver (a measurable part
// of its start and memory), and on a failure writes to a terminal.
#include <windows.h>

#include <stdint.h>

extern "C" {
uintptr_t __stack_chk_guard;

// A smashed stack or an overflowing checked copy: nothing of the process can
// be trusted, so it ends at once with the code Windows uses for this.
__attribute__((noreturn)) void __stack_chk_fail()
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    for (;;) {
    }
}

__attribute__((noreturn)) void __chk_fail()
{
    __stack_chk_fail();
}
}

// Seeded before any other code of ours runs (constructors run before the
// entry point), from what varies between starts: the same sources as the
// Visual C++ runtime's cookie. Not itself guarded: it changes the guard.
__attribute__((constructor, no_stack_protector)) static void SeedStackGuard()
{
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uintptr_t seed = time.dwLowDateTime ^ time.dwHighDateTime;
    seed ^= GetCurrentProcessId() ^ (GetCurrentThreadId() << 8) ^ GetTickCount();
    seed ^= counter.LowPart ^ counter.HighPart ^ (uintptr_t)&counter;
    // A zero low byte stops string copies at the canary; never 0 as a whole.
    seed &= 0xFFFFFF00u;
    __stack_chk_guard = seed ? seed : 0x5A3C9600u;
}
