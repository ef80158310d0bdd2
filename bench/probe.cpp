// Bench probe: a console program (it creates no window, so it never takes the
// activation from the saver) that starts a saver program, times how long it
// takes to show its painted window and to end after a key press, and samples
// its CPU time, context switches and memory. Every wait is bounded; the probe
// ends only the process it started, by its handle.
//
//   bench_probe startclose RUNS COLOUR PROGRAM ACCESSORY [PROGRAM ACCESSORY...]
//   bench_probe idle PROGRAM SECONDS ACCESSORY COLOUR [UNIXPID...]
//   bench_probe dialog RUNS PROGRAM ARGS [PROGRAM ARGS...]
//
// ACCESSORY is 1 when the saver is expected to start velkarodin.exe (the probe
// then waits for its window before pressing the key); COLOUR is the saver's
// background as a hexadecimal COLORREF. Several programs given to startclose
// take turns; their figures end in _0, _1... in the order given. UNIXPIDs are other Unix processes
// (the wineserver, Xvfb) whose CPU time and context switches are sampled too.
// dialog times a program that shows a dialog (ARGS after its name, "-" for
// none) from its start to the dialog shown, then cancels it.
// Results are printed as "name value" lines; modules_N lines list the DLLs
// the program has mapped when its window is first painted (or its dialog
// shown).
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static LARGE_INTEGER frequency;

static double NowMs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static void Print(const char* name, double value)
{
    printf("%s %.3f\n", name, value);
    fflush(stdout);
}

static void Note(const char* text)
{
    printf("note %s\n", text);
    fflush(stdout);
}

static double Median(double* values, int count)
{
    for (int i = 1; i < count; i++) {
        double v = values[i];
        int j = i - 1;
        while (j >= 0 && values[j] > v) {
            values[j + 1] = values[j];
            j--;
        }
        values[j + 1] = v;
    }
    if (count == 0) return -1;
    if (count % 2) return values[count / 2];
    return (values[count / 2 - 1] + values[count / 2]) / 2;
}

// ---- The saver process ----

struct Saver {
    PROCESS_INFORMATION pi;
    HWND window;
    double startedAt;
};

static BOOL StartProgram(const char* program, Saver* s, const char* args = "/s")
{
    char commandLine[1200];
    char dir[MAX_PATH];
    wsprintfA(commandLine, "\"%s\"%s%s", program, args[0] ? " " : "", args);
    lstrcpynA(dir, program, sizeof dir);
    char* slash = strrchr(dir, '\\');
    if (slash) *slash = 0;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    ZeroMemory(&s->pi, sizeof s->pi);
    s->window = NULL;
    s->startedAt = NowMs();
    return CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL,
                          slash ? dir : NULL, &si, &s->pi);
}

static BOOL Exited(Saver* s)
{
    return WaitForSingleObject(s->pi.hProcess, 0) == WAIT_OBJECT_0;
}

// The saver window of this process, visible; null until it is.
static HWND SaverWindowOf(Saver* s)
{
    HWND w = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    DWORD pid = 0;
    if (!w) return NULL;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pi.dwProcessId || !IsWindowVisible(w)) return NULL;
    return w;
}

static BOOL PixelIs(COLORREF colour)
{
    HDC dc = GetDC(NULL);
    int x = GetSystemMetrics(SM_CXSCREEN) - 16;
    int y = GetSystemMetrics(SM_CYSCREEN) - 16;
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(NULL, dc);
    return c == colour;
}

// Waits for the window to be visible, answer a message and show its colour.
// Returns the time in ms from process start, or -1 on time-out or exit.
static double WaitPainted(Saver* s, COLORREF colour, double* windowMs)
{
    double limit = s->startedAt + 15000;
    *windowMs = -1;
    while (NowMs() < limit && !Exited(s)) {
        s->window = SaverWindowOf(s);
        if (s->window) break;
        Sleep(1);
    }
    if (!s->window) return -1;
    *windowMs = NowMs() - s->startedAt;
    DWORD_PTR result;
    if (!SendMessageTimeoutA(s->window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) return -1;
    while (NowMs() < limit && !Exited(s)) {
        if (PixelIs(colour)) return NowMs() - s->startedAt;
        Sleep(1);
    }
    return -1;
}

// ---- The accessory that the saver starts ----

static DWORD ChildProcessOf(DWORD parent, const char* name)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    DWORD found = 0;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe)) {
        if (pe.th32ParentProcessID == parent && lstrcmpiA(pe.szExeFile, name) == 0) {
            found = pe.th32ProcessID;
            break;
        }
    }
    CloseHandle(snap);
    return found;
}

static DWORD wantedPid;
static HWND foundDialog;

static BOOL CALLBACK FindDialogOf(HWND w, LPARAM)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == wantedPid && (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME)) {
        foundDialog = w;
        return FALSE;
    }
    return TRUE;
}

static HWND AccessoryDialog(DWORD pid)
{
    wantedPid = pid;
    foundDialog = NULL;
    if (pid) EnumWindows(FindDialogOf, 0);
    return foundDialog;
}

// Waits until the saver's accessory has its window; its pid, or 0.
static DWORD WaitAccessory(Saver* s, DWORD timeoutMs)
{
    double limit = NowMs() + timeoutMs;
    while (NowMs() < limit && !Exited(s)) {
        DWORD pid = ChildProcessOf(s->pi.dwProcessId, "velkarodin.exe");
        if (pid && AccessoryDialog(pid)) return pid;
        Sleep(5);
    }
    return 0;
}

// ---- Closing ----

static void PressKey(WORD key)
{
    INPUT in[2] = {};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = key;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Presses a key and waits for the saver's end; ms from the press, or -1.
static double CloseByKey(Saver* s, DWORD accessoryPid)
{
    if (Exited(s)) return -1;
    double t0 = NowMs();
    PressKey(VK_SPACE);
    DWORD r = WaitForSingleObject(s->pi.hProcess, 15000);
    double t = NowMs() - t0;
    if (r == WAIT_OBJECT_0) return t;
    // Ours: end it. The accessory is the saver's; only ask it to leave.
    Note("saver did not end on the key; ending it");
    TerminateProcess(s->pi.hProcess, 99);
    WaitForSingleObject(s->pi.hProcess, 5000);
    HWND dialog = AccessoryDialog(accessoryPid);
    if (dialog) PostMessageA(dialog, WM_COMMAND, 40001, 0);
    return -1;
}

static void Release(Saver* s)
{
    CloseHandle(s->pi.hThread);
    CloseHandle(s->pi.hProcess);
}

static double PeakWorkingSetKb(Saver* s)
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(s->pi.hProcess, &pmc, sizeof pmc)) return -1;
    return pmc.PeakWorkingSetSize / 1024.0;
}

// The base names of the DLLs mapped in the process, lower case, sorted.
static void PrintModules(const char* name, Saver* s)
{
    HMODULE modules[256];
    DWORD bytes = 0;
    if (!EnumProcessModules(s->pi.hProcess, modules, sizeof modules, &bytes)) return;
    int count = (int)(bytes / sizeof(HMODULE));
    if (count > 256) count = 256;
    static char names[256][64];
    for (int i = 0; i < count; i++) {
        names[i][0] = 0;
        GetModuleBaseNameA(s->pi.hProcess, modules[i], names[i], sizeof names[i]);
        CharLowerA(names[i]);
    }
    qsort(names, count, sizeof names[0], (int (*)(const void*, const void*))strcmp);
    printf("%s", name);
    for (int i = 0; i < count; i++) printf(" %s", names[i]);
    printf("\n");
    fflush(stdout);
}

static BOOL MessageBoxShown(Saver* s)
{
    HWND w = NULL;
    while ((w = FindWindowExA(NULL, w, "#32770", NULL)) != NULL) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == s->pi.dwProcessId) return TRUE;
    }
    return FALSE;
}

// ---- startclose ----

// One program of a start-and-close series, with its figures.
struct Series {
    const char* program;
    int accessory;
    double start[64], shown[64], close[64], peak[64], paintPeak[64];
    int nStart, nShown, nClose, nPeak, nPaintPeak, failures;
};

static int StartCloseOnce(Series* p, int run, int index, COLORREF colour)
{
    Saver s;
    if (!StartProgram(p->program, &s)) {
        Note("cannot start the program");
        return 0;
    }
    double windowMs;
    double painted = WaitPainted(&s, colour, &windowMs);
    if (windowMs >= 0) p->shown[p->nShown++] = windowMs;
    if (painted >= 0) p->start[p->nStart++] = painted;
    else p->failures++;
    // The high-water mark only grows: read at once, it is the peak up to the paint.
    double paintKb = PeakWorkingSetKb(&s);
    if (painted >= 0 && paintKb > 0) p->paintPeak[p->nPaintPeak++] = paintKb;
    if (run == 1) {
        char name[32];
        wsprintfA(name, "modules_%d", index);
        PrintModules(name, &s);
    }
    if (MessageBoxShown(&s)) Note("the saver shows a message box");
    DWORD accessoryPid = 0;
    if (p->accessory) {
        accessoryPid = WaitAccessory(&s, 10000);
        if (!accessoryPid) Note("no accessory window");
    }
    Sleep(200);  // let the window settle before the key
    double kb = PeakWorkingSetKb(&s);
    if (kb > 0) p->peak[p->nPeak++] = kb;
    double closed = CloseByKey(&s, accessoryPid);
    if (closed >= 0) p->close[p->nClose++] = closed;
    else p->failures++;
    if (accessoryPid) {
        HANDLE a = OpenProcess(SYNCHRONIZE, FALSE, accessoryPid);
        if (a) {
            if (WaitForSingleObject(a, 0) != WAIT_OBJECT_0) Note("accessory still running after the close");
            CloseHandle(a);
        }
    }
    printf("run %d program %d window_ms %.1f start_ms %.1f close_ms %.1f paint_ws_kb %.0f "
           "peak_ws_kb %.0f\n", run, index, windowMs, painted, closed, paintKb, kb);
    fflush(stdout);
    Release(&s);
    Sleep(300);
    return 1;
}

// The programs take turns, run by run, so that a change in the machine's
// load during the series touches all of them alike.
static int StartClose(int runs, COLORREF colour, int count, char** specs)
{
    static Series series[8];
    if (count > 8) count = 8;
    if (runs > 64) runs = 64;
    for (int i = 0; i < count; i++) {
        series[i].program = specs[2 * i];
        series[i].accessory = atoi(specs[2 * i + 1]);
    }
    for (int run = 1; run <= runs; run++)
        for (int i = 0; i < count; i++)
            if (!StartCloseOnce(&series[i], run, i, colour)) return 2;
    int failures = 0;
    for (int i = 0; i < count; i++) {
        Series* p = &series[i];
        char name[64];
        wsprintfA(name, "window_ms_%d", i);
        Print(name, Median(p->shown, p->nShown));
        wsprintfA(name, "start_ms_%d", i);
        Print(name, Median(p->start, p->nStart));
        wsprintfA(name, "start_min_ms_%d", i);
        Print(name, p->nStart ? p->start[0] : -1);  // sorted by Median
        wsprintfA(name, "close_ms_%d", i);
        Print(name, Median(p->close, p->nClose));
        wsprintfA(name, "close_min_ms_%d", i);
        Print(name, p->nClose ? p->close[0] : -1);
        wsprintfA(name, "peak_ws_kb_%d", i);
        Print(name, Median(p->peak, p->nPeak));
        wsprintfA(name, "paint_ws_kb_%d", i);
        Print(name, Median(p->paintPeak, p->nPaintPeak));
        failures += p->failures;
    }
    Print("failures", failures);
    return failures ? 1 : 0;
}

// ---- /proc through Wine's Z: drive ----

static int ReadUnixFile(const char* unixPath, char* buf, int size)
{
    char path[MAX_PATH];
    wsprintfA(path, "Z:%s", unixPath);
    for (char* p = path; *p; p++) if (*p == '/') *p = '\\';
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return -1;
    int total = 0;
    DWORD n;
    while (total < size - 1 && ReadFile(h, buf + total, size - 1 - total, &n, NULL) && n > 0)
        total += n;
    CloseHandle(h);
    buf[total] = 0;
    return total;
}

static double StatusField(const char* text, const char* name)
{
    const char* p = strstr(text, name);
    if (!p) return -1;
    return atof(p + strlen(name));
}

struct UnixSample {
    double voluntary, involuntary;  // summed over the threads
    double mainVoluntary;           // of the main thread alone
    double cpuTicks;                // utime + stime, clock ticks
    double threads;
    double hwmKb, rssKb;
};

static BOOL SampleUnix(int pid, UnixSample* u)
{
    char path[128], buf[8192];
    ZeroMemory(u, sizeof *u);
    wsprintfA(path, "/proc/%d/stat", pid);
    if (ReadUnixFile(path, buf, sizeof buf) <= 0) return FALSE;
    const char* p = strrchr(buf, ')');  // after the command name
    if (!p) return FALSE;
    // Fields after ')': state(3) ... utime(14) stime(15).
    int field = 2;
    const char* q = p + 1;
    double utime = 0, stime = 0;
    while (*q && field < 15) {
        while (*q == ' ') q++;
        field++;
        if (field == 14) utime = atof(q);
        if (field == 15) stime = atof(q);
        while (*q && *q != ' ') q++;
    }
    u->cpuTicks = utime + stime;
    wsprintfA(path, "/proc/%d/status", pid);
    if (ReadUnixFile(path, buf, sizeof buf) > 0) {
        u->hwmKb = StatusField(buf, "VmHWM:");
        u->rssKb = StatusField(buf, "VmRSS:");
        u->threads = StatusField(buf, "Threads:");
    }
    char pattern[128];
    wsprintfA(pattern, "Z:\\proc\\%d\\task\\*", pid);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return TRUE;
    do {
        if (fd.cFileName[0] < '0' || fd.cFileName[0] > '9') continue;
        wsprintfA(path, "/proc/%d/task/%s/status", pid, fd.cFileName);
        if (ReadUnixFile(path, buf, sizeof buf) <= 0) continue;
        double v = StatusField(buf, "voluntary_ctxt_switches:");
        u->voluntary += v;
        if (atoi(fd.cFileName) == pid) u->mainVoluntary = v;
        u->involuntary += StatusField(buf, "nonvoluntary_ctxt_switches:");
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return TRUE;
}

// The Unix pid of the Wine process whose command line names the program.
static int UnixPidOf(const char* program)
{
    const char* name = strrchr(program, '\\');
    name = name ? name + 1 : program;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    char path[128], buf[4096];
    do {
        if (fd.cFileName[0] < '0' || fd.cFileName[0] > '9') continue;
        wsprintfA(path, "/proc/%s/cmdline", fd.cFileName);
        int n = ReadUnixFile(path, buf, sizeof buf);
        if (n <= 0) continue;
        for (int i = 0; i < n; i++) if (buf[i] == 0) buf[i] = ' ';
        CharLowerA(buf);
        char lowered[MAX_PATH];
        lstrcpynA(lowered, name, sizeof lowered);
        CharLowerA(lowered);
        if (strstr(buf, lowered) && !strstr(buf, "bench_probe")) {
            found = atoi(fd.cFileName);
            printf("note Unix process %d: %s\n", found, buf);
            break;
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return found;
}

static double CpuMs(HANDLE process)
{
    FILETIME c, e, k, u;
    if (!GetProcessTimes(process, &c, &e, &k, &u)) return -1;
    ULARGE_INTEGER kk, uu;
    kk.LowPart = k.dwLowDateTime;
    kk.HighPart = k.dwHighDateTime;
    uu.LowPart = u.dwLowDateTime;
    uu.HighPart = u.dwHighDateTime;
    return (double)(kk.QuadPart + uu.QuadPart) / 10000.0;
}

// ---- Context switches of every thread, also of threads that come and go ----

struct ThreadCount {
    int tid;
    double first, last;
};
static ThreadCount threadCounts[512];
static int threadCountUsed;

// Records the voluntary context switches of each thread of pid; a thread seen
// for the first time after the start counts from 0.
static void SampleThreads(int pid, BOOL atStart)
{
    char pattern[128], path[128], buf[8192];
    wsprintfA(pattern, "Z:\\proc\\%d\\task\\*", pid);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (fd.cFileName[0] < '0' || fd.cFileName[0] > '9') continue;
        wsprintfA(path, "/proc/%d/task/%s/status", pid, fd.cFileName);
        if (ReadUnixFile(path, buf, sizeof buf) <= 0) continue;
        double v = StatusField(buf, "voluntary_ctxt_switches:");
        int tid = atoi(fd.cFileName);
        int i = 0;
        while (i < threadCountUsed && threadCounts[i].tid != tid) i++;
        if (i == threadCountUsed) {
            if (threadCountUsed == 512) continue;
            threadCountUsed++;
            threadCounts[i].tid = tid;
            threadCounts[i].first = atStart ? v : 0;
        }
        threadCounts[i].last = v;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

static double ThreadSwitches(int onlyTid)
{
    double sum = 0;
    for (int i = 0; i < threadCountUsed; i++)
        if (!onlyTid || threadCounts[i].tid == onlyTid)
            sum += threadCounts[i].last - threadCounts[i].first;
    return sum;
}

// ---- idle ----

static int Idle(const char* program, int seconds, int accessory, COLORREF colour,
                int extraCount, char** extra)
{
    Saver s;
    if (!StartProgram(program, &s)) {
        Note("cannot start the program");
        return 2;
    }
    double windowMs;
    double painted = WaitPainted(&s, colour, &windowMs);
    Print("start_ms", painted);
    DWORD accessoryPid = accessory ? WaitAccessory(&s, 10000) : 0;
    if (accessory && !accessoryPid) Note("no accessory window");
    Sleep(2500);  // past the grace period and the first music ticks
    int unixPid = UnixPidOf(program);
    Print("unix_pid", unixPid);
    if (!unixPid) Note("no Unix process found for the saver");

    UnixSample a, b, ea[4], eb[4];
    if (extraCount > 4) extraCount = 4;
    double cpu0 = CpuMs(s.pi.hProcess);
    SampleUnix(unixPid, &a);
    for (int i = 0; i < extraCount; i++) SampleUnix(atoi(extra[i]), &ea[i]);
    SampleThreads(unixPid, TRUE);
    int threadsSeen = threadCountUsed;
    double t0 = NowMs();
    // Short samples, so that threads that end in between are still counted.
    while (NowMs() - t0 < seconds * 1000.0 && !Exited(&s)) {
        WaitForSingleObject(s.pi.hProcess, 200);
        SampleThreads(unixPid, FALSE);
    }
    double elapsed = (NowMs() - t0) / 1000.0;
    double cpu1 = CpuMs(s.pi.hProcess);
    SampleUnix(unixPid, &b);
    for (int i = 0; i < extraCount; i++) SampleUnix(atoi(extra[i]), &eb[i]);
    if (Exited(&s)) {
        DWORD code = 0;
        GetExitCodeProcess(s.pi.hProcess, &code);
        printf("note the program ended during the idle period, exit code 0x%lx\n", code);
    }

    Print("idle_seconds", elapsed);
    Print("cpu_ms", cpu1 - cpu0);
    Print("cpu_percent", (cpu1 - cpu0) / (elapsed * 10.0));
    Print("unix_cpu_ms", (b.cpuTicks - a.cpuTicks) * 10.0);
    Print("wakeups_per_s", ThreadSwitches(0) / elapsed);
    Print("main_wakeups_per_s", ThreadSwitches(unixPid) / elapsed);
    Print("threads_started", threadCountUsed - threadsSeen);
    Print("involuntary_per_s", (b.involuntary - a.involuntary) / elapsed);
    Print("threads", b.threads);
    for (int i = 0; i < extraCount; i++) {
        char name[64];
        wsprintfA(name, "extra%d_wakeups_per_s", i);
        Print(name, (eb[i].voluntary - ea[i].voluntary) / elapsed);
        wsprintfA(name, "extra%d_cpu_ms", i);
        Print(name, (eb[i].cpuTicks - ea[i].cpuTicks) * 10.0);
    }
    Print("peak_ws_kb", PeakWorkingSetKb(&s));
    Print("vm_hwm_kb", b.hwmKb);
    Print("vm_rss_kb", b.rssKb);
    double closed = CloseByKey(&s, accessoryPid);
    Print("close_ms", closed);
    Release(&s);
    return closed >= 0 && painted >= 0 ? 0 : 1;
}

// ---- dialog ----

struct DialogSeries {
    const char* program;
    const char* args;
    double shown[64], peak[64];
    int nShown, nPeak, failures;
};

static BOOL CALLBACK FindDialogOfPid(HWND w, LPARAM pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char cls[16] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (owner != (DWORD)pid || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    foundDialog = w;
    return FALSE;
}

static int DialogOnce(DialogSeries* p, int run, int index)
{
    Saver s;
    if (!StartProgram(p->program, &s, p->args)) {
        Note("cannot start the program");
        return 0;
    }
    double limit = s.startedAt + 15000;
    foundDialog = NULL;
    while (NowMs() < limit && !Exited(&s) && !foundDialog) {
        EnumWindows(FindDialogOfPid, (LPARAM)s.pi.dwProcessId);
        if (!foundDialog) Sleep(1);
    }
    HWND dialog = foundDialog;
    DWORD_PTR result;
    double shown = -1;
    if (dialog && SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result))
        shown = NowMs() - s.startedAt;
    double kb = PeakWorkingSetKb(&s);
    if (shown >= 0) {
        p->shown[p->nShown++] = shown;
        if (kb > 0) p->peak[p->nPeak++] = kb;
    } else {
        p->failures++;
    }
    if (run == 1) {
        char name[32];
        wsprintfA(name, "modules_%d", index);
        PrintModules(name, &s);
    }
    if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    DWORD code = 0;
    if (WaitForSingleObject(s.pi.hProcess, 15000) != WAIT_OBJECT_0) {
        Note("dialog program did not end on Cancel; ending it");
        TerminateProcess(s.pi.hProcess, 99);
        WaitForSingleObject(s.pi.hProcess, 5000);
        p->failures++;
    }
    GetExitCodeProcess(s.pi.hProcess, &code);
    printf("run %d program %d dialog_ms %.1f peak_ws_kb %.0f exit %lu\n", run, index, shown, kb,
           code);
    fflush(stdout);
    Release(&s);
    Sleep(200);
    return 1;
}

static int Dialog(int runs, int count, char** specs)
{
    static DialogSeries series[4];
    if (count > 4) count = 4;
    if (runs > 64) runs = 64;
    for (int i = 0; i < count; i++) {
        series[i].program = specs[2 * i];
        series[i].args = strcmp(specs[2 * i + 1], "-") == 0 ? "" : specs[2 * i + 1];
    }
    for (int run = 1; run <= runs; run++)
        for (int i = 0; i < count; i++)
            if (!DialogOnce(&series[i], run, i)) return 2;
    int failures = 0;
    for (int i = 0; i < count; i++) {
        char name[64];
        wsprintfA(name, "dialog_ms_%d", i);
        Print(name, Median(series[i].shown, series[i].nShown));
        wsprintfA(name, "dialog_min_ms_%d", i);
        Print(name, series[i].nShown ? series[i].shown[0] : -1);
        wsprintfA(name, "dialog_ws_kb_%d", i);
        Print(name, Median(series[i].peak, series[i].nPeak));
        failures += series[i].failures;
    }
    Print("failures", failures);
    return failures ? 1 : 0;
}

int main(int argc, char** argv)
{
    QueryPerformanceFrequency(&frequency);
    if (argc >= 6 && argc % 2 == 0 && strcmp(argv[1], "startclose") == 0)
        return StartClose(atoi(argv[2]), (COLORREF)strtoul(argv[3], NULL, 16), (argc - 4) / 2,
                          argv + 4);
    if (argc >= 6 && strcmp(argv[1], "idle") == 0)
        return Idle(argv[2], atoi(argv[3]), atoi(argv[4]),
                    (COLORREF)strtoul(argv[5], NULL, 16), argc - 6, argv + 6);
    if (argc >= 5 && argc % 2 == 1 && strcmp(argv[1], "dialog") == 0)
        return Dialog(atoi(argv[2]), (argc - 3) / 2, argv + 3);
    fprintf(stderr, "usage: bench_probe startclose RUNS COLOUR PROGRAM ACCESSORY [PROGRAM ACCESSORY...]\n"
                    "       bench_probe idle PROGRAM SECONDS ACCESSORY COLOUR [UNIXPID...]\n"
                    "       bench_probe dialog RUNS PROGRAM ARGS [PROGRAM ARGS...]\n");
    return 2;
}
