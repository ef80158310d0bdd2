// The 95 family's password provider, with a stand-in PASSWORD.CPL beside
// the probe saver (hostprobe95.scr runs as Windows 98).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "host_test_support.h"
#include "platform_checks.h"

namespace host_test {
namespace {

// A key's close asks the provider, which refuses and posts one more
// WM_CLOSE as it returns: that close comes within 200 ms of the check's end
// and is refused unasked.
const ExpectedMessage refusedTwice[] = {
    {WM_CLOSE, App},       {SaverVerifyMessage, App}, {SaverVerifyMessage, Default, 0},
    {WM_CLOSE, Default, 0}, {WM_CLOSE, App},          {WM_CLOSE, Default, 0},
    {0}};

// A later close asks again; accepted, the window is destroyed inside it.
const ExpectedMessage acceptedClose[] = {
    {WM_CLOSE, App}, {SaverVerifyMessage, App}, {SaverVerifyMessage, Default, 1},
    {WM_CLOSE, Default, 0}, {0}};

const char* const k95 = "hostprobe95.scr";

}  // namespace

// Each case needs the 95 family (but the one on NT) and runs with
// ScreenSaveUsePassword set to 1 (unless it changes it).
class HostPassword95 : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        if (strcmp(name, "ProviderIsNotUsedOnNt") != 0) {
            SKIP_UNLESS_95_FAMILY(k95);
        }
        password.SetDword(1);
    }
    PasswordValueScope password;
    Probe probe;
};

TEST_F(HostPassword95, RefusedThenRecheckAfter200msThenAccepted)
{
    ASSERT_TRUE(probe.StartRun("host_pwd_refuse", k95, "refuse_close"));
    EXPECT_EQ(Join({"load"}), Join(probe.ProviderCalls()));
    PostMessageA(probe.window, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(probe.WaitVerifyCount(1));
    ASSERT_TRUE(probe.Flush());
    EXPECT_EQ(1, probe.VerifyCount());
    std::vector<RecordedMessage> refused = probe.Messages();
    EXPECT_TRUE(MessagesMatch("refusedTwice", refusedTwice, refused));
    EXPECT_TRUE(probe.process.Running());
    EXPECT_TRUE(IsWindow(probe.window));
    // A later key asks again; this time the provider accepts. A close within
    // 200 ms of the check would be refused unasked, and nothing shows when
    // they are over (the saver counts them itself): a fixed wait.
    probe.Answer("accept");
    Pause(300);
    EXPECT_EQ(0u, probe.EndByKey());
    EXPECT_EQ(2, probe.VerifyCount());
    EXPECT_TRUE(MessagesMatch("acceptedClose", acceptedClose, probe.MessagesFrom(refused.size())));
    // The provider was freed after the loop (not merely at process end).
    std::vector<std::string> calls = probe.ProviderCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("unload", calls.back());
}

TEST_F(HostPassword95, RefusedCheckKeepsTheCursorHiddenAndTheWindowUp)
{
    ASSERT_TRUE(probe.StartRun("host_pwd_cursor", k95, "refuse"));
    PostMessageA(probe.window, WM_LBUTTONDOWN, 0, 0);
    ASSERT_TRUE(probe.WaitVerifyCount(1));
    ASSERT_TRUE(probe.Flush());
    EXPECT_TRUE(probe.process.Running());
    EXPECT_TRUE(Contains(probe.Lines(), "C 0010 cursor=0"));
    EXPECT_EQ(0u, probe.Finish());
}

TEST_F(HostPassword95, ScreenSaverRunningWhileTheProviderIsLoaded)
{
    ASSERT_TRUE(probe.StartRun("host_pwd_spi", k95, "accept"));
    int seenFromOutside = ScreenSaverRunning();
    EXPECT_EQ(0u, probe.EndByKey());
    // Inside the saver, the provider sees the running state set.
    EXPECT_EQ(Join({"load", "verify running=1", "unload"}), Join(probe.ProviderCalls()));
    // Seen from another process it is set while the saver runs, clear after.
    EXPECT_EQ(1, seenFromOutside);
    EXPECT_EQ(0, ScreenSaverRunning());
}

TEST_F(HostPassword95, QueryCancelAutoPlayWithAndWithoutProvider)
{
    UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    // With a provider the message cancels AutoPlay (1) and asks to close:
    // the provider is asked (and refuses).
    ASSERT_TRUE(probe.StartRun("host_pwd_autoplay1", k95, "refuse"));
    EXPECT_EQ(1u, SentAnswer(probe.window, autoPlay));
    ASSERT_TRUE(probe.WaitVerifyCount(1));
    EXPECT_EQ(0u, probe.Finish());
    // Without one AutoPlay goes ahead (0); the saver closes without a check.
    password.SetDword(0);
    Probe saver;
    ASSERT_TRUE(saver.StartRun("host_pwd_autoplay0", k95, "refuse"));
    EXPECT_EQ(0u, SentAnswer(saver.window, autoPlay));
    EXPECT_EQ(0u, saver.WaitEnd());
    EXPECT_TRUE(saver.ProviderCalls().empty());  // never loaded
}

TEST_F(HostPassword95, PasswordValueFormsDecideWhetherTheProviderLoads)
{
    struct Row {
        const char* name;
        DWORD type;
        std::string bytes;
        bool loads;
    } rows[] = {
        {"dword 1", REG_DWORD, std::string("\x01\x00\x00\x00", 4), true},
        {"dword 0", REG_DWORD, std::string("\x00\x00\x00\x00", 4), false},
        {"binary 4 bytes", REG_BINARY, std::string("\x00\x00\x01\x00", 4), true},
        {"binary 2 bytes", REG_BINARY, std::string("\x01\x00", 2), true},
        {"binary 1 byte 0", REG_BINARY, std::string("\x00", 1), false},
        {"binary 8 bytes", REG_BINARY, std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8), false},
        {"missing", 0, "", false},
    };
    for (const Row& row : rows) {
        if (row.type == 0)
            password.Remove();
        else if (row.type == REG_DWORD)
            password.SetDword(*(const DWORD*)row.bytes.data());
        else
            password.SetBinary(row.bytes);
        Probe saver;
        ASSERT_TRUE(saver.StartRun("host_pwd_value", k95, "accept")) << row.name;
        EXPECT_EQ(0u, saver.EndByKey()) << row.name;
        std::string expected = row.loads ? Join({"load", "verify running=1", "unload"}) : "";
        EXPECT_EQ(expected, Join(saver.ProviderCalls())) << row.name;
    }
}

TEST_F(HostPassword95, NoProviderFileMeansNoPassword)
{
    ASSERT_TRUE(probe.StartRun("host_pwd_nofile", k95));
    EXPECT_EQ(0u, probe.EndByKey());
    EXPECT_EQ(1, probe.Count("create family95=1 preview=0 autoplay=1"));
    EXPECT_EQ(0, probe.Count("A 8000"));
}

TEST_F(HostPassword95, ProviderIsNotUsedOnNt)
{
    ASSERT_TRUE(probe.StartRun("host_pwd_nt", "hostprobe.scr", ""));
    EXPECT_NE(1, ScreenSaverRunning());
    EXPECT_EQ(0u, probe.EndByKey());
    EXPECT_FALSE(PathExists(probe.folder.File("provider.log")));
}

TEST_F(HostPassword95, PreviewLoadsNoProviderAndClosesWithoutCheck)
{
    probe.Prepare("host_pwd_preview", k95, "refuse");
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(100, 80));
    ASSERT_TRUE(probe.StartPreview(parent));
    // Input does not close it; WM_CLOSE does, without asking the provider.
    PostMessageA(probe.window, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(probe.Flush());
    EXPECT_TRUE(probe.process.Running());
    EXPECT_EQ(0u, probe.EndAfter(WM_CLOSE));
    EXPECT_TRUE(probe.ProviderCalls().empty());
    EXPECT_EQ(1, probe.Count("create family95=1 preview=1 autoplay=1"));
}

TEST_F(HostPassword95, FailedWindowCreationEndsWithOneAndUnloadsTheProvider)
{
    probe.Prepare("host_pwd_failcreate", k95, "accept");
    ProbeOptions options("failcreate");
    EXPECT_EQ(1u, RunSaver(probe.folder.scr, "/s"));
    EXPECT_EQ(Join({"load", "unload"}), Join(probe.ProviderCalls()));
    EXPECT_EQ(0, ScreenSaverRunning());
    EXPECT_EQ(1, probe.Count("create family95=1"));
}

TEST_F(HostPassword95, FaultInTheProviderReachesTheGuard)
{
    SKIP_UNLESS_FAULTS_STAY();
    ASSERT_TRUE(probe.StartRun("host_pwd_crash", k95, "crash"));
    int runningBefore = ScreenSaverRunning();
    EXPECT_EQ(0xC0000005u, probe.EndByKey());
    // Running state cleared; terminated without the libraries' detach code.
    EXPECT_EQ(Join({"load", "verify running=1"}), Join(probe.ProviderCalls()));
    EXPECT_NE("exit", probe.Lines().back());
    EXPECT_EQ(1, runningBefore);
    EXPECT_EQ(0, ScreenSaverRunning());
}

TEST_F(HostPassword95, FaultInTheSaverProcedureClearsTheRunningState)
{
    SKIP_UNLESS_FAULTS_STAY();
    ASSERT_TRUE(probe.StartRun("host_pwd_crash_proc", k95, "accept"));
    EXPECT_EQ(1, ScreenSaverRunning());
    EXPECT_EQ(0xC0000005u, probe.EndAfter(probeCrashMessage));
    EXPECT_EQ(0, ScreenSaverRunning());
    EXPECT_EQ(Join({"load"}), Join(probe.ProviderCalls()));
    EXPECT_NE("exit", probe.Lines().back());
}

TEST_F(HostPassword95, ChangePasswordModeCallsTheSystemAndEndsWithZero)
{
    std::string scr = PrepareSaverFolder("host_pwd_change", k95, ProbeProgram).scr;
    for (const char* args : {"/a 12345", "-A"})
        EXPECT_EQ(0u, RunSaver(scr, args)) << args;
    std::string nt = PrepareSaverFolder("host_pwd_change_nt", "hostprobe.scr", ProbeProgram).scr;
    EXPECT_EQ(kMinusOne, RunSaver(nt, "/a 12345"));
}

}  // namespace host_test
