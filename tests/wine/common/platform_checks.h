// What a test needs from the system beyond plain Windows, asked at run time.
// The harness's Wine set-up gives all of it; another system (a Windows
// machine running the test package) may not, and then the test skips with
// one line saying what is missing. Under the harness (CTest sets
// VELKARO_HARNESS) and in a run for code page 932 (VELKARO_ACP=932) what is
// promised must be there: a missing piece fails instead of skipping.
// Use the SKIP_ macros at the level of a test body or SetUp.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>
#include <string>

// The system's ANSI code page is 932 (a Japanese system).
bool IsCodePage932();
// A program under this file name (e.g. "saver95.scr") runs as the 95 family
// here: asked of a probe copied under that name into a test folder.
bool RunsAs95Family(const std::string& fileName);
// A fault that a program's guard hands to UnhandledExceptionFilter comes
// back to the program: no crash debugger (AeDebug) takes it over.
bool FaultsStayWithTheProgram();
bool UnderTheHarness();   // VELKARO_HARNESS is set
bool RunsUnderWine();     // ntdll has wine_get_version

bool RunIsFor932();       // VELKARO_ACP is 932
UINT ProgramCodePage();   // the ANSI code page of a program started from a test folder
// False when the run says it has a code page (VELKARO_ACP, set by the
// _cp1252 runs) and the system has another one.
bool CodePageAsAnnounced();

// Whether a file has been read, seen without opening it for its data (an open
// without sharing, held at the wrong moment, makes the reader's open fail):
// MarkUnread sets its last-access time far into the past through a handle that
// only writes attributes; the next read moves it to now (Linux's relatime, as
// Wine shows it). Windows may keep those times off: ReadsAreWitnessed marks and
// reads a file in dir, so that no check passes only because reads never show.
bool MarkUnread(const std::string& path);
bool ReadSinceMark(const std::string& path);
bool ReadsAreWitnessed(const std::string& dir);

// Passes on when ok; otherwise fails where the run promised it, or skips.
#define SKIP_UNLESS_(ok, promised, failure, skip)                                          \
    if (ok) {                                                                             \
    } else if (promised)                                                                  \
        FAIL() << failure;                                                                \
    else                                                                                  \
        GTEST_SKIP() << skip
#define SKIP_UNLESS_CODE_PAGE_932()                                                       \
    SKIP_UNLESS_(IsCodePage932(), RunIsFor932(),                                          \
                 "this run is for code page 932, yet the system's is " << GetACP(),       \
                 "needs code page 932 (a Japanese system); this one has " << GetACP())
#define SKIP_UNLESS_95_FAMILY(fileName)                                                   \
    SKIP_UNLESS_(RunsAs95Family(fileName), UnderTheHarness(),                             \
                 "the harness runs " << (fileName) << " as the 95 family, yet it runs as NT", \
                 "needs the 95 family: " << (fileName) << " runs as NT here")
// Wine's per-program DLL overrides are what make a system DLL unloadable.
#define SKIP_UNLESS_WINE(what)                                                            \
    SKIP_UNLESS_(RunsUnderWine(), false, "", "needs Wine to " << (what))
#define SKIP_UNLESS_READS_WITNESSED(dir)                                                  \
    SKIP_UNLESS_(ReadsAreWitnessed(dir), UnderTheHarness(),                               \
                 "reads of a file leave no trace in its last-access time here",           \
                 "needs last-access times that follow reads "                             \
                 "(fsutil behavior set disablelastaccess 0)")
#define SKIP_UNLESS_FAULTS_STAY()                                                         \
    SKIP_UNLESS_(FaultsStayWithTheProgram(), UnderTheHarness(),                           \
                 "the harness's prefix starts no crash debugger, yet one took a fault over", \
                 "needs no crash debugger: one takes faults over here (AeDebug)")
