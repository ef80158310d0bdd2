// The built saver's windows: the run-mode window, the single-instance rule
// and the preview child.
#include <gtest/gtest.h>

#include <tuple>

#include "host_test_support.h"
#include "saver_windows.h"

namespace host_test {

const char* const kSaverClass = "WindowsScreenSaverClass";

class HostRunWindow : public ::testing::Test {
protected:
    // The built saver in run mode, started with the cursor at (x, y).
    HWND Start(const std::string& testName, int x, int y)
    {
        scr = QuietSaver(testName);
        SetCursorPos(x, y);
        return StartSaver(&p, scr, "/s") ? WaitForSaverWindow(p.id, 15000) : NULL;
    }
    std::string scr;
    TestProcess p;
};

// At 150 % (144 DPI), where the window must cover the screen in pixels.
TEST_F(HostRunWindow, TopmostPopupCoveringTheScreenClipBox)
{
    LogPixelsScope dpi;
    HWND w = Start("host_win_run", 300, 300);
    ASSERT_TRUE(w);
    EXPECT_EQ("Screen Saver", WindowText(w));
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(kSaverClass, cls);
    EXPECT_EQ(0x96000000u, (DWORD)GetWindowLongA(w, GWL_STYLE));
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetParent(w) == NULL);
    RECT r, clip;
    HDC screen = GetDC(NULL);
    GetClipBox(screen, &clip);
    ReleaseDC(NULL, screen);
    GetWindowRect(w, &r);
    EXPECT_TRUE(EqualRect(&clip, &r));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == w; }, 5000));
    // The title never changes.
    EXPECT_EQ(0u, SentAnswer(w, WM_SETTEXT, 0, (LPARAM) "Changed"));
    EXPECT_EQ("Screen Saver", WindowText(w));
    EXPECT_EQ(0u, CloseSaver(&p, w));
}

TEST_F(HostRunWindow, CursorIsHiddenOverTheSaver)
{
    HWND w = Start("host_win_cursor", 320, 240);
    ASSERT_TRUE(w);
    EXPECT_TRUE(WaitUntil([] {
        CURSORINFO info;
        info.cbSize = sizeof info;
        return GetCursorInfo(&info) && info.hCursor == NULL;
    }, 5000));
    EXPECT_EQ(0u, CloseSaver(&p, w));
}

TEST_F(HostRunWindow, SecondRunEndsAtOnceAndActivatesTheFirst)
{
    HWND w = Start("host_win_single", 320, 240);
    ASSERT_TRUE(w);
    TestProcess second;
    ASSERT_TRUE(StartSaver(&second, scr, "-S"));
    EXPECT_EQ(0u, second.ExitCode(15000));
    EXPECT_TRUE(p.Running());
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(w, GetForegroundWindow());
    // The second process made no saver window of its own.
    EXPECT_TRUE(WaitForSaverWindow(second.id, 0) == NULL);
    EXPECT_EQ(0u, CloseSaver(&p, w));
}

// At 150 % too (see above).
TEST(HostPreviewWindow, ChildFillingTheParentsClientArea)
{
    LogPixelsScope dpi;
    std::string scr = QuietSaver("host_win_preview");
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(152, 112));
    TestProcess p;
    ASSERT_TRUE(StartSaver(&p, scr, "/p " + Decimal(parent.window)));
    HWND child = WaitForPreviewChild(parent.window, p.process);
    ASSERT_TRUE(child);
    std::vector<ChildWindow> children = parent.Children();
    ASSERT_EQ(1u, children.size());
    const ChildWindow& c = children[0];
    EXPECT_EQ(std::make_tuple(child, std::string(kSaverClass), std::string("Preview"),
                              0x52000000ul, 0ul, 0L, 0L, 152L, 112L),
              std::make_tuple(c.handle, c.className, c.title, c.style, c.exStyle, c.rect.left,
                              c.rect.top, c.rect.right, c.rect.bottom));
    // The preview does not take the foreground from the parent.
    EXPECT_NE(child, GetForegroundWindow());
    // A right click's WM_CONTEXTMENU goes to the parent, with the parent's
    // handle as wParam; the child answers 1.
    EXPECT_EQ(1u, SentAnswer(child, WM_CONTEXTMENU, (WPARAM)child, MAKELPARAM(7, 9)));
    EXPECT_TRUE(parent.WaitForMessage({WM_CONTEXTMENU, (WPARAM)parent.window, MAKELPARAM(7, 9)},
                                      5000));
    // Input does not close the preview. Posted messages are handled in
    // order, and each WM_CONTEXTMENU comes back to the parent: once the
    // second has come, the input and anything it posted have been handled.
    PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(child, WM_LBUTTONDOWN, 0, 0);
    for (LPARAM marker : {MAKELPARAM(1, 1), MAKELPARAM(2, 2)}) {
        PostMessageA(child, WM_CONTEXTMENU, (WPARAM)child, marker);
        ASSERT_TRUE(parent.WaitForMessage({WM_CONTEXTMENU, (WPARAM)parent.window, marker}, 5000));
    }
    EXPECT_TRUE(p.Running());
    EXPECT_TRUE(IsWindow(child));
    // The preview ends with its parent.
    parent.Destroy();
    EXPECT_EQ(0u, p.ExitCode(15000));
}

TEST(HostPreviewWindow, TwoPreviewsCoexistBesideARunningSaver)
{
    std::string scr = QuietSaver("host_win_two");
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(100, 80));
    TestProcess a, b;
    ASSERT_TRUE(StartSaver(&a, scr, "/p " + Decimal(parent.window)));
    ASSERT_TRUE(WaitForPreviewChild(parent.window, a.process) != NULL);
    ASSERT_TRUE(StartSaver(&b, scr, "/l " + Decimal(parent.window)));
    EXPECT_TRUE(WaitUntil([&] { return parent.Children().size() == 2 || !b.Running(); }, 15000));
    EXPECT_EQ(2u, parent.Children().size());
    EXPECT_TRUE(a.Running());
    EXPECT_TRUE(b.Running());
    parent.Destroy();
    EXPECT_EQ(0u, a.ExitCode(15000));
    EXPECT_EQ(0u, b.ExitCode(15000));
}

}  // namespace host_test
