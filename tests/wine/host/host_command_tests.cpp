// The built saver's command lines, end to end: exit codes of every form.
#include <gtest/gtest.h>

#include "host_test_support.h"
#include "platform_checks.h"

namespace host_test {
namespace {

DWORD RunArgs(const std::string& scr, const std::string& args)
{
    return RunSaver(scr, args, 20000);
}

// Starts a preview inside a parent window and checks that the saver's child
// shows up; then closes the parent, which ends the preview with 0.
void ExpectPreviewRuns(const std::string& scr, const std::string& args, PreviewParent* parent)
{
    TestProcess saver;
    ASSERT_TRUE(StartSaver(&saver, scr, args));
    HWND child = NULL;
    DWORD start = GetTickCount();
    while (!child && GetTickCount() - start < 15000) {
        child = FindWindowExA(parent->window, NULL, kSaverClass, "Preview");
        if (!child) Sleep(50);
        ASSERT_TRUE(saver.Running() || child) << args;
    }
    ASSERT_TRUE(child != NULL) << args;
    DWORD pid = 0;
    GetWindowThreadProcessId(child, &pid);
    EXPECT_EQ(saver.id, pid);
    // Closing the preview's window ends the saver with the loop's quit code.
    PostMessageA(child, WM_CLOSE, 0, 0);
    DWORD code = 0xDEADBEEF;
    EXPECT_TRUE(saver.Wait(15000, &code)) << args;
    EXPECT_EQ(0u, code) << args;
}

}  // namespace

TEST(HostCommandLine, NoModeGivesMinusOneWithoutWindows)
{
    std::string scr = PrepareSaver("host_cmd_none", "velkaro_ss_launcher.scr");
    for (const char* args : {"/x", "x", "/1", "/?", "+s", "/\ts", "-/\t/p 5", "\x81s", "/\xe9",
                             "q /s", "/ - _s"}) {
        TestProcess p;
        ASSERT_TRUE(StartSaver(&p, scr, args));
        DWORD code = 0;
        ASSERT_TRUE(p.Wait(20000, &code)) << args;
        EXPECT_EQ(kMinusOne, code) << args;
    }
}

TEST(HostCommandLine, TabBetweenProgramNameAndArguments)
{
    std::string scr = PrepareSaver("host_cmd_tab", "velkaro_ss_launcher.scr");
    // A tab after the name is skipped like a blank: "/x" names no mode.
    TestProcess p;
    ASSERT_TRUE(p.Start(scr, "\"" + scr + "\"\t/x"));
    DWORD code = 0;
    ASSERT_TRUE(p.Wait(20000, &code));
    EXPECT_EQ(kMinusOne, code);
    // ...and then run mode starts behind it.
    TestProcess run;
    ASSERT_TRUE(run.Start(scr, "\"" + scr + "\" \t \t/s"));
    HWND w = HostSaverWindow(run.id);
    ASSERT_TRUE(w != NULL);
    EXPECT_EQ(0u, CloseSaver(&run, w));
}

TEST(HostCommandLine, ChangePasswordIsMinusOneOnNtAndZeroOn95)
{
    std::string nt = PrepareSaver("host_cmd_a_nt", "velkaro_ss_launcher.scr");
    EXPECT_EQ(kMinusOne, RunArgs(nt, "/a 5"));
    EXPECT_EQ(kMinusOne, RunArgs(nt, "-A"));
    SKIP_UNLESS_95_FAMILY("saver95.scr");
    std::string w98 = PrepareSaver("host_cmd_a_95", "saver95.scr");
    EXPECT_EQ(0u, RunArgs(w98, "/a 5"));
    EXPECT_EQ(0u, RunArgs(w98, "/a"));
    EXPECT_EQ(0u, RunArgs(w98, "-A 123456789012"));
    // On the 95 family the other rows are unchanged.
    EXPECT_EQ(kMinusOne, RunArgs(w98, "/x"));
    EXPECT_EQ(kMinusOne, RunArgs(w98, "/p 0"));
}

TEST(HostCommandLine, PreviewWithoutUsableWindowGivesMinusOne)
{
    std::string scr = PrepareSaver("host_cmd_p_bad", "velkaro_ss_launcher.scr");
    PreviewParent parent;
    ASSERT_TRUE(parent.Start(MakeTestDir("host_cmd_p_bad_parent"), 200, 150));
    std::string h = Decimal(parent.window);
    for (std::string args : {std::string("/p"), std::string("/p 0"), std::string("/p   "),
                             std::string("/p 4000000"), "/p:" + h, "/l:" + h, "/p\t" + h,
                             "/p -" + h, "/p 0x" + h}) {
        EXPECT_EQ(kMinusOne, RunArgs(scr, args)) << args;
    }
    // None of those left a saver window in the parent.
    EXPECT_TRUE(FindWindowExA(parent.window, NULL, kSaverClass, NULL) == NULL);
    parent.Close();
}

TEST(HostCommandLine, PreviewFormsStartThePreview)
{
    std::string scr = PrepareSaver("host_cmd_p", "velkaro_ss_launcher.scr");
    PreviewParent parent;
    ASSERT_TRUE(parent.Start(MakeTestDir("host_cmd_p_parent"), 200, 150));
    unsigned long long h = (unsigned long long)(UINT_PTR)parent.window;
    ExpectPreviewRuns(scr, "/p " + Decimal(h), &parent);
    ExpectPreviewRuns(scr, "/P" + Decimal(h), &parent);
    ExpectPreviewRuns(scr, "-l   " + Decimal(h), &parent);
    ExpectPreviewRuns(scr, "/L" + Decimal(h) + " extra words", &parent);
    ExpectPreviewRuns(scr, "/p 000" + Decimal(h), &parent);
    // More than ten digits wrap modulo 2^32 onto the same handle.
    ExpectPreviewRuns(scr, "/p " + Decimal(h + 3ull * 4294967296ull), &parent);
    parent.Close();
}

TEST(HostCommandLine, QuotedProgramNameWithBlanks)
{
    std::string dir = MakeTestDir("host cmd quoted");
    std::string scr = dir + "\\my saver.scr";
    ASSERT_TRUE(CopyInto(SaverPath(), dir, "my saver.scr"));
    WriteSettingsFor(scr, {"exepath=" + scr, "mode=0"});
    TestProcess p;
    ASSERT_TRUE(p.Start(scr, "\"" + scr + "\" /s"));
    HWND w = HostSaverWindow(p.id);
    ASSERT_TRUE(w != NULL);
    EXPECT_EQ(0u, CloseSaver(&p, w));
    // Without the closing quote the whole line is the name: configure mode.
    bool shown = false;
    DWORD code = RunConfigure(scr, "\"" + scr + " /x", &shown);
    EXPECT_NE(0xDEADBEEFu, code);
    EXPECT_NE(kMinusOne, code);
}

TEST(HostCommandLine, RunFormsIgnoreTextAfterTheLetter)
{
    std::string scr = PrepareSaver("host_cmd_s", "velkaro_ss_launcher.scr");
    for (const char* args : {"/s", "-S", "s", "/sfoo", "/-/ s 12"}) {
        TestProcess p;
        ASSERT_TRUE(StartSaver(&p, scr, args));
        HWND w = HostSaverWindow(p.id);
        ASSERT_TRUE(w != NULL) << args;
        EXPECT_EQ(0u, CloseSaver(&p, w)) << args;
    }
}

TEST(HostCommandLine, ConfigureFormsEndWithoutMinusOne)
{
    // The dialog's own end value is checked with the probe saver; here the
    // built saver's configure forms must open the dialog mode, not fail.
    std::string scr = PrepareSaver("host_cmd_c", "velkaro_ss_launcher.scr");
    for (const char* args : {"", "/", " - / ", "/c", "-C", "/c:0", "/c:12345", "/c 12345",
                             "/c:", "c:abc"}) {
        std::string cmd = "\"" + scr + "\"";
        if (*args) cmd += std::string(" ") + args;
        DWORD code = RunConfigure(scr, cmd);
        EXPECT_NE(0xDEADBEEFu, code) << args;
        EXPECT_NE(kMinusOne, code) << args;
    }
}

}  // namespace host_test
