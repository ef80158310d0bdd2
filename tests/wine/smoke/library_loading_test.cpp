// The DLLs only the dialog or the music use, seen in the real saver's process
// (not version.dll: Wine's user32 imports it), and where they come from. The
// overrides are set per program in the registry: Wine reads WINEDLLOVERRIDES
// only from the Unix environment a process starts with.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "parent_window.h"
#include "platform_checks.h"
#include "registry_scope.h"
#include "tone_wav.h"
#include <psapi.h>  // after windows.h
#include <set>

// Which of user32 and the dialog's and music's DLLs the process has mapped,
// those from the side-by-side store marked so.
static std::set<std::string> MappedDlls(HANDLE process)
{
    const std::set<std::string> watched = {"user32.dll", "comctl32.dll", "comdlg32.dll",
                                           "winmm.dll"};
    HMODULE modules[512];
    DWORD bytes = 0;
    std::set<std::string> names;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) return names;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; i++) {
        char name[MAX_PATH] = "", path[MAX_PATH] = "";
        GetModuleBaseNameA(process, modules[i], name, sizeof name);
        GetModuleFileNameExA(process, modules[i], path, sizeof path);
        bool sxs = strstr(CharLowerA(path), "\\winsxs\\") != NULL;
        if (watched.count(CharLowerA(name))) names.insert(name + std::string(sxs ? " (sxs)" : ""));
    }
    return names;
}

// The saver (as scrName) with the stand-in accessory and, with music, a
// one-tone playlist; ends the accessory if the test leaves it running.
struct RunFolder : AccessoryFolder {
    RunFolder(const std::string& name, bool music,
              const std::string& scrName = "velkaro_ss_launcher.scr")
        : AccessoryFolder(name, "", scrName)
    {
        std::vector<std::string> settings = {"mode=0", "exepath=" + accessory};
        if (music) {
            WriteToneWav(File("tone.wav"), 3000, 440);
            WriteFileBytes(File("list.m3u"), "tone.wav\r\n");
            settings.push_back("playlist=" + File("list.m3u"));
        }
        WriteSettingsFor(scr, settings);
    }
};

// Closes run mode by a key: it ends with 0 after the accessory's exit command.
static void CloseByKey(TestProcess* saver, const RunFolder& f)
{
    SendKeyPress(VK_SPACE);
    EXPECT_EQ(0u, saver->ExitCode(10000));
    EXPECT_TRUE(WaitForText(f.AccessoryLog(), accessoryExitLine, 5000));
}

// Wine's DLL overrides for the program of that file name while the object
// lives: "" makes the DLLs unloadable, "native,builtin" makes Wine search
// for them as Windows does, the program's own folder first. (On Windows the
// key means nothing.) The program's own AppDefaults key stays if it was there.
struct DllOverrides {
    std::string key;
    bool keyWasThere;
    DllOverrides(const std::string& program, std::initializer_list<const char*> dlls,
                 const char* how = "")
        : key("Software\\Wine\\AppDefaults\\" + program)
    {
        HKEY k;
        keyWasThere = RegOpenKeyA(HKEY_CURRENT_USER, key.c_str(), &k) == ERROR_SUCCESS;
        if (keyWasThere) RegCloseKey(k);
        if (RegCreateKeyA(HKEY_CURRENT_USER, (key + "\\DllOverrides").c_str(), &k)) return;
        for (const char* dll : dlls)
            RegSetValueExA(k, dll, 0, REG_SZ, (const BYTE*)how, (DWORD)strlen(how) + 1);
        RegCloseKey(k);
    }
    ~DllOverrides()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, (key + "\\DllOverrides").c_str());
        if (!keyWasThere) RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    }
};

// Starts run mode and waits until the accessory's window is up.
static bool StartRun(TestProcess* saver, const RunFolder& f)
{
    return StartSaver(saver, f.scr, "/s") && WaitForSaverWindow(saver->id, 10000) &&
           WaitForText(f.AccessoryLog(), " window ", 10000);
}

TEST(LibraryLoading, RunModeMapsNoDialogOrMusicLibrary)
{
    RunFolder f("libs_run", false);
    TestProcess saver;
    ASSERT_TRUE(StartRun(&saver, f));
    EXPECT_EQ(std::set<std::string>{"user32.dll"}, MappedDlls(saver.process));
    CloseByKey(&saver, f);
}

// comctl32 (version 6, by name) for the slider; comdlg32 waits for a
// chooser, winmm for music.
TEST(LibraryLoading, ConfigureModeMapsTheSliderLibraryOnly)
{
    RunFolder f("libs_configure", false);
    DialogSession d;
    d.scr = f.scr;
    ASSERT_TRUE(d.Open());
    EXPECT_EQ((std::set<std::string>{"comctl32.dll (sxs)", "user32.dll"}),
              MappedDlls(d.process.process));
    PostMessageA(d.dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0u, d.process.ExitCode(10000));
}

// Run mode with a playlist works, silently; configure mode cannot create the
// dialog's slider and ends with -1, not a fault's code.
TEST(LibraryLoading, WithoutThemRunModeWorksAndConfigureModeEndsWithMinusOne)
{
    SKIP_UNLESS_WINE("make system DLLs unloadable for one program");
    DllOverrides off("nolibs.scr", {"comdlg32", "comctl32", "winmm"});
    RunFolder f("libs_missing", true, "nolibs.scr");
    TestProcess saver;
    ASSERT_TRUE(StartRun(&saver, f));
    // Past the first music tick (1 s after creation): a missing winmm leaves
    // nothing to wait for but the time.
    Pause(1500);
    EXPECT_TRUE(saver.Running());
    EXPECT_FALSE(WaitForMessageBox(saver.id, 0));
    CloseByKey(&saver, f);
    EXPECT_EQ(0xFFFFFFFFu, RunSaver(f.scr, "/c"));
}

// Without comdlg32 the dialog opens, and its "..." and colour buttons do
// what a cancelled chooser does: nothing, and no box.
TEST(LibraryLoading, WithoutCommonDialogsTheButtonsChangeNothing)
{
    SKIP_UNLESS_WINE("make system DLLs unloadable for one program");
    DllOverrides off("nocomdlg.scr", {"comdlg32"});
    RunFolder f("libs_nocomdlg", false, "nocomdlg.scr");
    DialogSession d;
    d.scr = f.scr;
    d.before = d.SettingsNow();
    ASSERT_TRUE(d.Open());
    // Sent: a chooser would hold the call in its own loop until the time-out.
    for (int id :
         {IDC_EXEPATH_BROWSE, IDC_BGCOLOR_CHANGE, IDC_PLAYLIST_BROWSE, IDC_EXT_SCR_BROWSE})
        EXPECT_TRUE(SendMessageTimeoutA(d.dialog, WM_COMMAND, id, 0, SMTO_NORMAL, 5000, NULL))
            << id;
    EXPECT_EQ(d.dialog, WaitForWindow("#32770", NULL, d.process.id, 0));
    EXPECT_EQ(f.accessory, d.Text(IDC_EXEPATH));
    PostMessageA(d.dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0u, d.process.ExitCode(10000));
    EXPECT_EQ(d.before, d.SettingsNow());
}

// A DLL that a web page may drop beside a saver run from Downloads, under
// the names of what the saver and the system load for it at run time.
static void Plant(const RunFolder& f, std::initializer_list<const char*> names)
{
    for (const char* name : names) ASSERT_TRUE(CopyInto(BinFile("witness_dll.dll"), f.dir, name));
}

static std::string Witnessed(const RunFolder& f)
{
    return ReadText(f.File("witness.log"));
}

// Run mode with music, configure and preview: each works, with the system's
// own libraries, and none planted beside the saver is loaded.
TEST(LibraryLoading, LibrariesPlantedBesideTheSaverAreNeverLoaded)
{
    DllOverrides nativeFirst("planted.scr", {"winmm", "comctl32", "msacm32", "mciwave"},
                             "native,builtin");
    RunFolder f("libs_planted", true, "planted.scr");
    ASSERT_NO_FATAL_FAILURE(Plant(f, {"winmm.dll", "comctl32.dll", "msacm32.dll", "mciwave.dll"}));
    bool witnessed = ReadsAreWitnessed(f.dir);
    ASSERT_TRUE(MarkUnread(f.File("tone.wav")));
    TestProcess saver;
    ASSERT_TRUE(StartRun(&saver, f));
    if (witnessed) {
        EXPECT_TRUE(WaitUntil([&] { return ReadSinceMark(f.File("tone.wav")); }, 5000))
            << "the music did not play";
    }
    CloseByKey(&saver, f);

    DialogSession d;
    d.scr = f.scr;
    ASSERT_TRUE(d.Open());
    EXPECT_EQ(1u, MappedDlls(d.process.process).count("comctl32.dll (sxs)"));
    PostMessageA(d.dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0u, d.process.ExitCode(10000));

    ParentWindow parent;
    ASSERT_TRUE(parent.Create(200, 150));
    TestProcess preview;
    ASSERT_TRUE(StartSaver(&preview, f.scr, "/p " + Decimal(parent.window)));
    EXPECT_TRUE(WaitForPreviewChild(parent.window, preview.process));
    parent.Destroy();
    EXPECT_EQ(0u, preview.ExitCode(10000));
    EXPECT_EQ("", Witnessed(f));
}

// The 95 family: the provider that is consulted is the system folder's, and
// the password change goes through the system's MPR.DLL.
TEST(LibraryLoading, PlantedProviderAndMprAreNeverLoadedOn95)
{
    SKIP_UNLESS_95_FAMILY("saver95.scr");
    PasswordValueScope password;
    ASSERT_TRUE(password.SetDword(1));
    SystemFolderFile provider;
    ASSERT_TRUE(provider.Install(BinFile("password_provider.dll"), "PASSWORD.CPL"));
    DllOverrides nativeFirst("saver95.scr", {"password.cpl", "mpr"}, "native,builtin");
    RunFolder f("libs_planted95", false, "saver95.scr");
    ASSERT_NO_FATAL_FAILURE(Plant(f, {"PASSWORD.CPL", "MPR.DLL"}));
    ASSERT_TRUE(WriteFileBytes(f.File("provider.txt"), "accept"));
    TestProcess saver;
    ASSERT_TRUE(StartRun(&saver, f));
    EXPECT_TRUE(WaitForLine(f.File("provider.log"), "load", 5000));
    CloseByKey(&saver, f);
    EXPECT_TRUE(WaitForLine(f.File("provider.log"), "verify running=1", 5000));
    EXPECT_EQ(0u, RunSaver(f.scr, "/a"));
    EXPECT_EQ("", Witnessed(f));
}
