// The stack canaries' guard value and their failure, in place of libssp's:
// libssp seeds its guard through CryptAcquireContext, which loads the
// system's crypto provider into every start of the saver (a measurable part
// of its start and memory), and on a failure writes to a terminal.
#include <windows.h>

#include <stdint.h>

#include "host/host_internal.h"

extern "C" {
uintptr_t __stack_chk_guard;

// A smashed stack: nothing of the process can be trusted, so it ends at once
// with the code Windows uses for this.
__attribute__((noreturn)) void __stack_chk_fail()
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    for (;;) {
    }
}
}

typedef BOOLEAN(WINAPI* RtlGenRandomFn)(PVOID buffer, ULONG length);

// A zero low byte stops string copies at the canary; never 0 as a whole.
__attribute__((no_stack_protector)) static void SetGuard(uintptr_t seed)
{
    seed &= 0xFFFFFF00u;
    __stack_chk_guard = seed ? seed : 0x5A3C9600u;
}

// What varies between starts, the sources of the Visual C++ runtime's
// cookie: about 24 bits that an attacker can partly guess, but all the 95
// family offers.
__attribute__((no_stack_protector)) static uintptr_t MixedSeed()
{
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uintptr_t seed = time.dwLowDateTime ^ time.dwHighDateTime;
    seed ^= GetCurrentProcessId() ^ (GetCurrentThreadId() << 8) ^ GetTickCount();
    return seed ^ counter.LowPart ^ counter.HighPart ^ (uintptr_t)&counter;
}

// Constructors run before the entry point: whatever of ours runs before the
// entry is guarded by the mix. Not itself guarded: it changes the guard.
__attribute__((constructor, no_stack_protector)) static void MixStackGuard()
{
    SetGuard(MixedSeed());
}

// At the entry, once the library search is restricted (RtlGenRandom lives
// in cryptbase.dll on Windows 7, see RestrictLibrarySearch): the system's
// random source where there is one, SystemFunction036 of advapi32 (an
// import) from XP on. No canary may be on the stack from the entry down to
// here, since their guard changes.
__attribute__((no_stack_protector)) void SeedStackGuard()
{
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    if (advapi == NULL) return;
    RtlGenRandomFn random = (RtlGenRandomFn)(void*)GetProcAddress(advapi, "SystemFunction036");
    uintptr_t seed;
    if (random && random(&seed, sizeof seed)) SetGuard(seed);
}
