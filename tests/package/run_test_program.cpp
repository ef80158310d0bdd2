// The Windows test package's runner, started by run-tests.cmd from the
// package folder (the test programs are in bin, results go to results):
//   run_test_program run NAME SECONDS   runs bin\NAME.exe with GoogleTest's
//                                       XML output in results\NAME.xml
//   run_test_program summary            writes results\summary.txt from every
//                                       results\*.xml; exit code 0 only when
//                                       tests ran and none failed
// A program that ends without its XML (a crash, or the time limit) gets one
// written here with a failed test that says how it ended.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

static const char resultsDir[] = "results";

static std::string ResultFile(const std::string& name) { return std::string(resultsDir) + "\\" + name; }

static bool ReadWhole(const std::string& path, std::string* text)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[4096];
    size_t n;
    text->clear();
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
    fclose(f);
    return true;
}

// --- GoogleTest's XML, as its XmlUnitTestResultPrinter writes it ---

enum { Passed, Failed, Skipped };

struct TestOutcome {
    std::string name;   // Suite.Test
    int state;
    std::string reason; // first line of the first failure or skip message
};

struct ProgramOutcome {
    std::string name;
    std::string seconds;
    std::vector<TestOutcome> tests;
    int counts[3] = {0, 0, 0};
};

static std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (end == std::string::npos) {
            out += text[i];
            continue;
        }
        std::string entity = text.substr(i + 1, end - i - 1);
        if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "amp") out += '&';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() > 2 && entity[0] == '#' && entity[1] == 'x') out += (char)strtoul(entity.c_str() + 2, NULL, 16);
        else if (entity.size() > 1 && entity[0] == '#') out += (char)strtoul(entity.c_str() + 1, NULL, 10);
        else out += text.substr(i, end - i + 1);
        i = end;
    }
    return out;
}

// Value of attribute name in the tag text (from '<' to '>'), unescaped.
static std::string Attribute(const std::string& tag, const char* name)
{
    std::string key = std::string(" ") + name + "=\"";
    size_t at = tag.find(key);
    if (at == std::string::npos) return "";
    at += key.size();
    size_t end = tag.find('"', at);
    return Unescape(tag.substr(at, end == std::string::npos ? std::string::npos : end - at));
}

// A message attribute is "file:line\nsummary": the summary on one line
// (shortened), and where it came from.
static std::string Reason(const std::string& message)
{
    size_t nl = message.find('\n');
    if (nl == std::string::npos) return message;
    std::string where = message.substr(0, nl);
    std::string text;
    bool lineStart = true;
    for (size_t i = nl + 1; i < message.size() && text.size() < 160; i++) {
        char c = message[i];
        if (c == '\r') continue;
        if (c == '\n') {
            lineStart = true;
            continue;
        }
        if (lineStart && c == ' ') continue;
        if (lineStart && !text.empty()) text += " | ";
        lineStart = false;
        text += c;
    }
    size_t slash = where.find_last_of("\\/");
    if (slash != std::string::npos) where = where.substr(slash + 1);
    return text.empty() ? "(no reason given) at " + where : text + " (" + where + ")";
}

static bool ReadOutcome(const std::string& name, ProgramOutcome* p)
{
    std::string xml;
    p->name = name;
    if (!ReadWhole(ResultFile(name + ".xml"), &xml)) return false;
    size_t root = xml.find("<testsuites ");
    if (root == std::string::npos) return false;
    p->seconds = Attribute(xml.substr(root, xml.find('>', root) - root), "time");
    for (size_t at = xml.find("<testcase ", root); at != std::string::npos; at = xml.find("<testcase ", at + 1)) {
        size_t tagEnd = xml.find('>', at);
        if (tagEnd == std::string::npos) break;
        std::string tag = xml.substr(at, tagEnd - at + 1);
        std::string body;
        if (tag.compare(tag.size() - 2, 2, "/>") != 0) {
            size_t close = xml.find("</testcase>", tagEnd);
            body = xml.substr(tagEnd, close == std::string::npos ? std::string::npos : close - tagEnd);
        }
        TestOutcome t;
        t.name = Attribute(tag, "classname") + "." + Attribute(tag, "name");
        size_t failure = body.find("<failure ");
        size_t skipped = body.find("<skipped ");
        if (failure != std::string::npos) {
            t.state = Failed;
            t.reason = Reason(Attribute(body.substr(failure), "message"));
        } else if (Attribute(tag, "result") == "skipped") {
            t.state = Skipped;
            if (skipped != std::string::npos) t.reason = Reason(Attribute(body.substr(skipped), "message"));
        } else {
            t.state = Passed;
        }
        p->counts[t.state]++;
        p->tests.push_back(t);
    }
    return true;
}

// --- run: one program, bounded, with everything it starts ---

// A job that ends every process in it when its last handle closes: what a
// test program leaves running ends with it, and closing the console window
// (which ends this runner) ends the tests too.
static HANDLE MakeJob()
{
    HANDLE job = CreateJobObjectA(NULL, NULL);
    if (!job) return NULL;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

// Names and ids of the processes still in the job, e.g. "fake_accessory.exe 1234".
static std::string LeftRunning(HANDLE job)
{
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[63];
    } ids;
    ZeroMemory(&ids, sizeof ids);
    ids.list.NumberOfAssignedProcesses = 64;
    std::string names;
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, NULL)) return names;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; i++) {
        DWORD pid = (DWORD)ids.list.ProcessIdList[i];
        char path[MAX_PATH] = "?";
        DWORD size = sizeof path;
        HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (p) {
            QueryFullProcessImageNameA(p, 0, path, &size);
            CloseHandle(p);
        }
        const char* name = strrchr(path, '\\');
        names += std::string(names.empty() ? "" : ", ") + (name ? name + 1 : path) + " " + std::to_string(pid);
    }
    return names;
}

static std::string XmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

// A failed test "NAME.ProgramEnded" saying how the program ended, in file.
static void WriteEnding(const std::string& file, const std::string& name, const std::string& how)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<testsuites tests=\"1\" failures=\"1\" disabled=\"0\" errors=\"0\" time=\"0\" name=\"AllTests\">\n"
                      "  <testsuite name=\"" + name + "\" tests=\"1\" failures=\"1\" disabled=\"0\" skipped=\"0\" errors=\"0\" time=\"0\">\n"
                      "    <testcase name=\"ProgramEnded\" status=\"run\" result=\"completed\" time=\"0\" classname=\"" + name + "\">\n"
                      "      <failure message=\"" + XmlEscape(how) + "\" type=\"\"></failure>\n"
                      "    </testcase>\n  </testsuite>\n</testsuites>\n";
    FILE* f = fopen(ResultFile(file).c_str(), "wb");
    if (!f) return;
    fwrite(xml.data(), 1, xml.size(), f);
    fclose(f);
}

static int RunProgram(const std::string& name, DWORD seconds)
{
    std::string exe = "bin\\" + name + ".exe";
    std::string xml = ResultFile(name + ".xml");
    DeleteFileA(xml.c_str());
    std::string line = "\"" + exe + "\" --gtest_output=xml:" + xml;
    std::vector<char> cmd(line.begin(), line.end());
    cmd.push_back('\0');
    // No error dialog of the system for a fault or a missing DLL: the
    // program and what it starts (which inherit the mode) just end, with the
    // code that the tests look for.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(exe.c_str(), cmd.data(), NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL, &si, &pi)) {
        WriteEnding(name + ".xml", name, "could not be started (error " + std::to_string(GetLastError()) + ")");
        return 1;
    }
    // Wine starts its desktop process on demand, from the first program that
    // needs it; asked for here, it starts outside the job, so that the job
    // never ends it. (Windows has it running already.)
    GetDesktopWindow();
    // Without a job (a system that refuses nested jobs) only the program
    // itself can be ended at the time limit.
    HANDLE job = MakeJob();
    if (job && !AssignProcessToJobObject(job, pi.hProcess)) {
        CloseHandle(job);
        job = NULL;
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    std::string how;
    if (WaitForSingleObject(pi.hProcess, seconds * 1000) == WAIT_TIMEOUT) {
        how = "did not end within " + std::to_string(seconds) + " s and was ended";
        if (job) TerminateJobObject(job, WAIT_TIMEOUT);
        else TerminateProcess(pi.hProcess, WAIT_TIMEOUT);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    if (job) {
        std::string left = LeftRunning(job);
        if (!left.empty())
            printf("run_test_program: %s left running: %s; they end now\n", name.c_str(), left.c_str());
        CloseHandle(job);
    }
    if (how.empty() && GetFileAttributesA(xml.c_str()) == INVALID_FILE_ATTRIBUTES) {
        char text[64];
        snprintf(text, sizeof text, "ended with exit code 0x%08lX", code);
        how = text;
    }
    if (!how.empty()) {
        printf("run_test_program: %s %s without results\n", name.c_str(), how.c_str());
        WriteEnding(name + ".xml", name, how + " without writing its results");
        return 1;
    }
    if (code == 0) return 0;
    // A nonzero end with no failed test in the results (a fault after they
    // were written) would otherwise pass unseen.
    ProgramOutcome written;
    if (ReadOutcome(name, &written) && written.counts[Failed] == 0) {
        char text[80];
        snprintf(text, sizeof text, "ended with exit code 0x%08lX after passing its tests", code);
        WriteEnding(name + "-ending.xml", name, text);
    }
    return 1;
}

// --- summary ---

static std::vector<std::string> ResultNames()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(ResultFile("*.xml").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string file = fd.cFileName;
        names.push_back(file.substr(0, file.size() - 4));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// Package folder name (it holds the version) and the system, for reports.
static std::string Header()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, n);
    folder = folder.substr(0, folder.find_last_of('\\'));  // bin
    folder = folder.substr(0, folder.find_last_of('\\'));
    folder = folder.substr(folder.find_last_of('\\') + 1);
    // GetVersionEx reports 6.2 to programs without a manifest on Windows 10
    // and later; RtlGetVersion reports the real version.
    OSVERSIONINFOW v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    typedef LONG(WINAPI * RtlGetVersionProc)(OSVERSIONINFOW*);
    RtlGetVersionProc rtlGetVersion =
        (RtlGetVersionProc)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion");
    if (rtlGetVersion) rtlGetVersion(&v);
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[512];
    snprintf(text, sizeof text,
             "%s\nWindows %lu.%lu build %lu, code page %u, screen %dx%d, %04d-%02d-%02d %02d:%02d\n\n",
             folder.c_str(), v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber, GetACP(),
             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), t.wYear, t.wMonth, t.wDay,
             t.wHour, t.wMinute);
    return text;
}

static std::string ProgramLines(const ProgramOutcome& p)
{
    char line[256];
    snprintf(line, sizeof line, "%-24s %4d passed %4d failed %4d skipped  (%s s)\n", p.name.c_str(),
             p.counts[Passed], p.counts[Failed], p.counts[Skipped], p.seconds.c_str());
    std::string text = line;
    for (const TestOutcome& t : p.tests) {
        if (t.state == Failed) text += "    FAILED  " + t.name + ": " + t.reason + "\n";
        if (t.state == Skipped) text += "    skipped " + t.name + ": " + t.reason + "\n";
    }
    return text;
}

static int Summarise()
{
    std::string text = Header();
    int total[3] = {0, 0, 0};
    int programs = 0;
    for (const std::string& name : ResultNames()) {
        ProgramOutcome p;
        if (!ReadOutcome(name, &p)) {
            text += name + ": results\\" + name + ".xml cannot be read\n";
            total[Failed]++;
            continue;
        }
        programs++;
        for (int i = 0; i < 3; i++) total[i] += p.counts[i];
        text += ProgramLines(p);
    }
    int tests = total[Passed] + total[Failed] + total[Skipped];
    bool passed = tests > 0 && total[Failed] == 0;
    char line[256];
    snprintf(line, sizeof line, "\ntotal: %d tests in %d programs: %d passed, %d failed, %d skipped\nresult: %s\n",
             tests, programs, total[Passed], total[Failed], total[Skipped], passed ? "PASSED" : "FAILED");
    text += line;
    FILE* f = fopen(ResultFile("summary.txt").c_str(), "w");
    if (f) {
        fputs(text.c_str(), f);
        fclose(f);
    }
    fputs(text.c_str(), stdout);
    return passed ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "run") == 0) return RunProgram(argv[2], strtoul(argv[3], NULL, 10));
    if (argc == 2 && strcmp(argv[1], "summary") == 0) return Summarise();
    fputs("usage: run_test_program run NAME SECONDS | run_test_program summary\n", stderr);
    return 2;
}
