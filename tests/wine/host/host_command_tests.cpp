// The built saver's command lines, end to end: exit codes of every form.
#include <gtest/gtest.h>

#include "host_test_support.h"
#include "platform_checks.h"
#include "saver_windows.h"

namespace host_test {
namespace {

const DWORD kTimedOut = 0xDEADBEEF;

// Runs a configure command line to its end, cancelling the saver's dialog
// if one shows. The exit code (kTimedOut on time-out).
DWORD RunConfigure(const std::string& scrPath, const std::string& commandLine, bool* dialogShown)
{
    *dialogShown = false;
    TestProcess p;
    if (!p.Start(scrPath, commandLine)) return kTimedOut;
    HWND dialog = NULL;
    WaitUntil([&] {
        dialog = WaitForWindow("#32770", NULL, p.id, 0);
        return dialog || !p.Running();
    }, 20000);
    *dialogShown = dialog != NULL;
    if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return p.ExitCode(20000);
}

// Starts the saver with this whole command line and closes its run-mode
// window: the exit code (kTimedOut when no window came).
DWORD RunUntilClosed(const std::string& scrPath, const std::string& commandLine)
{
    TestProcess p;
    if (!p.Start(scrPath, commandLine)) return kTimedOut;
    HWND window = WaitForSaverWindow(p.id, 15000);
    return window ? CloseSaver(&p, window) : kTimedOut;
}

}  // namespace

TEST(HostCommandLine, NoModeGivesMinusOneWithoutWindows)
{
    std::string scr = QuietSaver("host_cmd_none");
    Probe probe;  // logs every message of a saver window and any dialog
    probe.Prepare("host_cmd_none_probe");
    for (const char* args : {"/x", "x", "/1", "/?", "+s", "/\ts", "-/\t/p 5", "\x81s", "/\xe9",
                             "q /s", "/ - _s"}) {
        EXPECT_EQ(kMinusOne, RunSaver(scr, args)) << args;
        DeleteFileA(probe.folder.ProbeLog().c_str());
        EXPECT_EQ(kMinusOne, RunSaver(probe.folder.scr, args)) << args;
        EXPECT_EQ("exit\n", Join(probe.Lines())) << args;
    }
}

TEST(HostCommandLine, TabBetweenProgramNameAndArguments)
{
    std::string scr = QuietSaver("host_cmd_tab");
    // A tab after the name is skipped like a blank: "/x" names no mode...
    TestProcess p;
    ASSERT_TRUE(p.Start(scr, "\"" + scr + "\"\t/x"));
    EXPECT_EQ(kMinusOne, p.ExitCode(20000));
    // ...and run mode starts behind it.
    EXPECT_EQ(0u, RunUntilClosed(scr, SaverCommand(scr, "\t \t/s")));
}

TEST(HostCommandLine, ChangePasswordIsMinusOneOnNtAndZeroOn95)
{
    std::string nt = QuietSaver("host_cmd_a_nt");
    for (const char* args : {"/a 5", "-A"})
        EXPECT_EQ(kMinusOne, RunSaver(nt, args)) << args;
    SKIP_UNLESS_95_FAMILY("saver95.scr");
    std::string w98 = QuietSaver("host_cmd_a_95", "saver95.scr");
    for (const char* args : {"/a 5", "/a", "-A 123456789012"})
        EXPECT_EQ(0u, RunSaver(w98, args)) << args;
    // On the 95 family the other rows are unchanged.
    for (const char* args : {"/x", "/p 0"})
        EXPECT_EQ(kMinusOne, RunSaver(w98, args)) << args;
}

TEST(HostCommandLine, PreviewWithoutUsableWindowGivesMinusOne)
{
    std::string scr = QuietSaver("host_cmd_p_bad");
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(200, 150));
    std::string h = Decimal(parent.window);
    for (std::string args : {std::string("/p"), std::string("/p 0"), std::string("/p   "),
                             std::string("/p 4000000"), "/p:" + h, "/l:" + h, "/p\t" + h,
                             "/p -" + h, "/p 0x" + h})
        EXPECT_EQ(kMinusOne, RunSaver(scr, args)) << args;
    EXPECT_TRUE(parent.Children().empty());
}

TEST(HostCommandLine, PreviewFormsStartThePreview)
{
    std::string scr = QuietSaver("host_cmd_p");
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(200, 150));
    unsigned long long h = (unsigned long long)(UINT_PTR)parent.window;
    std::string d = Decimal(h);
    // More than ten digits wrap modulo 2^32 onto the same handle.
    for (const std::string& args : {"/p " + d, "/P" + d, "-l   " + d, "/L" + d + " extra words",
                                    "/p 000" + d, "/p " + Decimal(h + 3ull * 4294967296ull)}) {
        TestProcess saver;
        ASSERT_TRUE(StartSaver(&saver, scr, args));
        HWND child = WaitForPreviewChild(parent.window, saver.process);
        ASSERT_TRUE(child) << args;
        EXPECT_TRUE(IsWindowOf(child, NULL, saver.id)) << args;
        // Closing the preview's window ends the saver with the loop's quit code.
        PostMessageA(child, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, saver.ExitCode(15000)) << args;
    }
}

TEST(HostCommandLine, QuotedProgramNameWithBlanks)
{
    std::string scr = QuietSaver("host cmd quoted", "my saver.scr");
    EXPECT_EQ(0u, RunUntilClosed(scr, SaverCommand(scr, "/s")));
    // Without the closing quote the whole line is the name: configure mode,
    // whose dialog ends with 0 when cancelled.
    bool shown = false;
    EXPECT_EQ(0u, RunConfigure(scr, "\"" + scr + " /x", &shown));
    EXPECT_TRUE(shown);
}

TEST(HostCommandLine, RunFormsIgnoreTextAfterTheLetter)
{
    std::string scr = QuietSaver("host_cmd_s");
    for (const char* args : {"/s", "-S", "s", "/sfoo", "/-/ s 12"})
        EXPECT_EQ(0u, RunUntilClosed(scr, SaverCommand(scr, args))) << args;
}

TEST(HostCommandLine, ConfigureFormsEndWithoutMinusOne)
{
    // Each opens the dialog, and Cancel ends it with 0 (the dialog's own end
    // value is checked with the probe saver).
    std::string scr = QuietSaver("host_cmd_c");
    for (const char* args : {"", "/", " - / ", "/c", "-C", "/c:0", "/c:12345", "/c 12345",
                             "/c:", "c:abc"}) {
        bool shown = false;
        EXPECT_EQ(0u, RunConfigure(scr, SaverCommand(scr, args), &shown)) << args;
        EXPECT_TRUE(shown) << args;
    }
}

}  // namespace host_test
