// The built saver's windows: the run-mode window, the single-instance rule
// and the preview child.
#include <gtest/gtest.h>

#include <stdio.h>

#include "host_test_support.h"

namespace host_test {
namespace {

RECT ScreenClipBox()
{
    RECT clip;
    HDC screen = GetDC(NULL);
    GetClipBox(screen, &clip);
    ReleaseDC(NULL, screen);
    return clip;
}

struct ChildInfo {
    unsigned long handle = 0;
    char cls[128] = "";
    char title[128] = "";
    unsigned long style = 0, exstyle = 0;
    long left = 0, top = 0, right = 0, bottom = 0;
};

bool ParseChild(const std::string& line, ChildInfo* c)
{
    return sscanf(line.c_str(), "child %lu class=%127s title=%127s style=%lx exstyle=%lx rect=%ld,%ld,%ld,%ld",
                  &c->handle, c->cls, c->title, &c->style, &c->exstyle, &c->left, &c->top,
                  &c->right, &c->bottom) == 9;
}

HWND WaitForPreviewChild(HWND parent, TestProcess* saver)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        HWND child = FindWindowExA(parent, NULL, kSaverClass, "Preview");
        if (child) return child;
        if (!saver->Running()) return NULL;
        Sleep(50);
    }
    return NULL;
}

}  // namespace

TEST(HostRunWindow, TopmostPopupCoveringTheScreenClipBox)
{
    std::string scr = PrepareSaver("host_win_run", "velkaro_ss_launcher.scr");
    SetCursorPos(300, 300);
    TestProcess p;
    ASSERT_TRUE(StartSaver(&p, scr, "/s"));
    HWND w = HostSaverWindow(p.id);
    ASSERT_TRUE(w != NULL);
    EXPECT_EQ("Screen Saver", WindowText(w));
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(kSaverClass, cls);
    EXPECT_EQ(0x96000000u, (DWORD)GetWindowLongA(w, GWL_STYLE));
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetParent(w) == NULL);
    RECT r, clip = ScreenClipBox();
    GetWindowRect(w, &r);
    EXPECT_EQ(clip.left, r.left);
    EXPECT_EQ(clip.top, r.top);
    EXPECT_EQ(clip.right, r.right);
    EXPECT_EQ(clip.bottom, r.bottom);
    // It is brought to the foreground.
    DWORD start = GetTickCount();
    while (GetForegroundWindow() != w && GetTickCount() - start < 5000) Sleep(50);
    EXPECT_EQ(w, GetForegroundWindow());
    // The title never changes.
    DWORD_PTR answer = 12345;
    ASSERT_TRUE(SendMessageTimeoutA(w, WM_SETTEXT, 0, (LPARAM) "Changed", SMTO_ABORTIFHUNG, 5000,
                                    &answer));
    EXPECT_EQ(0u, answer);
    EXPECT_EQ("Screen Saver", WindowText(w));
    EXPECT_EQ(0u, CloseSaver(&p, w));
}

TEST(HostRunWindow, CursorIsHiddenOverTheSaver)
{
    std::string scr = PrepareSaver("host_win_cursor", "velkaro_ss_launcher.scr");
    SetCursorPos(320, 240);
    TestProcess p;
    ASSERT_TRUE(StartSaver(&p, scr, "/s"));
    HWND w = HostSaverWindow(p.id);
    ASSERT_TRUE(w != NULL);
    Sleep(500);
    CURSORINFO info;
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetCursorInfo(&info));
    EXPECT_TRUE(info.hCursor == NULL) << "cursor " << info.hCursor;
    EXPECT_EQ(0u, CloseSaver(&p, w));
}

TEST(HostRunWindow, SecondRunEndsAtOnceAndActivatesTheFirst)
{
    std::string scr = PrepareSaver("host_win_single", "velkaro_ss_launcher.scr");
    TestProcess first;
    ASSERT_TRUE(StartSaver(&first, scr, "/s"));
    HWND w = HostSaverWindow(first.id);
    ASSERT_TRUE(w != NULL);
    TestProcess second;
    ASSERT_TRUE(StartSaver(&second, scr, "-S"));
    DWORD code = 0xDEADBEEF;
    ASSERT_TRUE(second.Wait(15000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(w, GetForegroundWindow());
    // The second process made no saver window of its own.
    EXPECT_TRUE(HostSaverWindow(second.id, 0) == NULL);
    EXPECT_EQ(0u, CloseSaver(&first, w));
}

TEST(HostPreviewWindow, ChildFillingTheParentsClientArea)
{
    std::string scr = PrepareSaver("host_win_preview", "velkaro_ss_launcher.scr");
    PreviewParent parent;
    ASSERT_TRUE(parent.Start(MakeTestDir("host_win_preview_parent"), 152, 112));
    TestProcess p;
    ASSERT_TRUE(StartSaver(&p, scr, "/p " + Decimal(parent.window)));
    HWND child = WaitForPreviewChild(parent.window, &p);
    ASSERT_TRUE(child != NULL);
    std::vector<std::string> children = parent.Children();
    ASSERT_EQ(1u, children.size());
    ChildInfo c;
    ASSERT_TRUE(ParseChild(children[0], &c)) << children[0];
    EXPECT_EQ((unsigned long)(UINT_PTR)child, c.handle);
    EXPECT_STREQ(kSaverClass, c.cls);
    EXPECT_STREQ("Preview", c.title);
    EXPECT_EQ(0x52000000ul, c.style);
    EXPECT_EQ(0ul, c.exstyle);
    EXPECT_EQ(0, c.left);
    EXPECT_EQ(0, c.top);
    EXPECT_EQ(152, c.right);
    EXPECT_EQ(112, c.bottom);
    // The preview does not take the foreground from the parent.
    EXPECT_NE(child, GetForegroundWindow());
    // A right click's WM_CONTEXTMENU goes to the parent, with the parent's
    // handle as wParam; the child answers 1.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(child, WM_CONTEXTMENU, (WPARAM)child, MAKELPARAM(7, 9),
                                    SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(1u, answer);
    std::string expected = "message WM_CONTEXTMENU wParam=" + Decimal(parent.window) +
                           " lParam=" + Decimal((unsigned long long)MAKELPARAM(7, 9));
    DWORD start = GetTickCount();
    while (!Contains(parent.ReportLines(), expected) && GetTickCount() - start < 5000) Sleep(50);
    EXPECT_TRUE(Contains(parent.ReportLines(), expected));
    // Input does not close the preview.
    PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(child, WM_LBUTTONDOWN, 0, 0);
    Sleep(500);
    EXPECT_TRUE(p.Running());
    EXPECT_TRUE(IsWindow(child));
    // The preview ends with its parent.
    parent.Close();
    DWORD code = 0xDEADBEEF;
    EXPECT_TRUE(p.Wait(15000, &code));
    EXPECT_EQ(0u, code);
}

TEST(HostPreviewWindow, TwoPreviewsCoexistBesideARunningSaver)
{
    std::string scr = PrepareSaver("host_win_two", "velkaro_ss_launcher.scr");
    PreviewParent parent;
    ASSERT_TRUE(parent.Start(MakeTestDir("host_win_two_parent"), 100, 80));
    TestProcess a, b;
    ASSERT_TRUE(StartSaver(&a, scr, "/p " + Decimal(parent.window)));
    ASSERT_TRUE(WaitForPreviewChild(parent.window, &a) != NULL);
    ASSERT_TRUE(StartSaver(&b, scr, "/l " + Decimal(parent.window)));
    DWORD start = GetTickCount();
    while (parent.Children().size() < 2 && b.Running() && GetTickCount() - start < 15000)
        Sleep(100);
    EXPECT_EQ(2u, parent.Children().size());
    EXPECT_TRUE(a.Running());
    EXPECT_TRUE(b.Running());
    parent.Close();
    DWORD code = 0xDEADBEEF;
    EXPECT_TRUE(a.Wait(15000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(b.Wait(15000, &code));
    EXPECT_EQ(0u, code);
}

}  // namespace host_test
