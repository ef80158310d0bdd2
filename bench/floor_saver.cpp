// The floor of the benchmark: the least a screen saver can do. A topmost
// full-screen popup of the same class and title as the real saver, painted
// black, with no cursor, that closes on the first key. Built with the same
// toolchain and flags as the .scr, so the difference between the two is what
// the saver adds.
//
// Built again as floor_imports with FLOOR_PRODUCT_IMPORTS: the same program
// importing the system DLLs that the .scr used to import (without calling
// them), which shows what loading those DLLs alone costs at start and in
// memory.
//
// Built again as floor_launcher with FLOOR_LAUNCHER: the least a launcher can
// do. On creation it starts velkarodin.exe from its own folder (the path as
// application name, quoted as the command line, its folder as working
// folder); on the closing key it sends the accessory's window WM_COMMAND
// 40001 and waits for the accessory's end.
//
// And as floor_launcher_music with FLOOR_LAUNCHER and FLOOR_MUSIC: the
// launcher floor plus the least background music can cost through MCI: the
// tracks listed in floor_music.txt beside the program are played in turn, the
// next one opened when MCI notifies the end of the last (no polling timer).
#include <windows.h>
#include <string.h>
#if defined(FLOOR_MUSIC) || defined(FLOOR_LAUNCHER)
// The path of a file beside the program in path; its folder's end in *slash.
static int BesideProgram(const char* name, char* path, char** slash)
{
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    path[n] = 0;
    *slash = strrchr(path, '\\');
    if (!*slash) return 0;
    lstrcpyA(*slash + 1, name);
    return 1;
}
#endif

#ifdef FLOOR_MUSIC
#include <mmsystem.h>

static char musicTracks[8][1024];
static int musicCount;
static int musicNext;

// The next track of the list, opened and played with an end notification.
static void PlayMusic(HWND hwnd)
{
    if (!musicCount) return;
    char command[1100];
    wsprintfA(command, "open \"%s\" alias bgm", musicTracks[musicNext]);
    musicNext = (musicNext + 1) % musicCount;
    mciSendStringA("close bgm", NULL, 0, NULL);
    mciSendStringA(command, NULL, 0, NULL);
    mciSendStringA("play bgm from 0 notify", NULL, 0, hwnd);
}

// floor_music.txt beside the program: one track path a line, at most 8.
static void ReadMusicList()
{
    char path[MAX_PATH + 32];
    char* slash;
    if (!BesideProgram("floor_music.txt", path, &slash)) return;
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return;
    static char text[8 * 1024];
    DWORD got = 0;
    ReadFile(f, text, sizeof text - 1, &got, NULL);
    CloseHandle(f);
    text[got] = 0;
    for (char* line = strtok(text, "\r\n"); line && musicCount < 8; line = strtok(NULL, "\r\n"))
        lstrcpynA(musicTracks[musicCount++], line, sizeof musicTracks[0]);
}
#endif
#ifdef FLOOR_LAUNCHER
static PROCESS_INFORMATION accessory;

static void StartAccessory()
{
    char path[MAX_PATH + 32];
    char* slash;
    if (!BesideProgram("velkarodin.exe", path, &slash)) return;
    char dir[MAX_PATH];
    lstrcpynA(dir, path, (int)(slash - path) + 1);
    char command[MAX_PATH + 8];
    wsprintfA(command, "\"%s\"", path);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    CreateProcessA(path, command, NULL, NULL, FALSE, 0, NULL, dir, &si, &accessory);
}

static BOOL CALLBACK FindAccessoryWindow(HWND w, LPARAM found)
{
    if (!(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME)) return TRUE;
    *(HWND*)found = w;
    return FALSE;
}

static void StopAccessory()
{
    if (!accessory.hProcess) return;
    HWND w = NULL;
    EnumThreadWindows(accessory.dwThreadId, FindAccessoryWindow, (LPARAM)&w);
    if (w) SendMessageA(w, WM_COMMAND, 40001, 0);
    WaitForSingleObject(accessory.hProcess, 10000);
}
#endif
#ifdef FLOOR_PRODUCT_IMPORTS
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <winver.h>

// Referenced, never called: the loader must resolve them at start.
static void* volatile importSink;

static void ReferenceProductImports()
{
    importSink = (void*)ChooseColorA;
    importSink = (void*)GetOpenFileNameA;
    importSink = (void*)InitCommonControlsEx;
    importSink = (void*)mciSendStringA;
    importSink = (void*)GetFileVersionInfoSizeA;
    importSink = (void*)RegOpenKeyA;
}
#endif

static LRESULT CALLBACK FloorWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetCursor(NULL);
#ifdef FLOOR_LAUNCHER
        StartAccessory();
#endif
#ifdef FLOOR_MUSIC
        ReadMusicList();
        PlayMusic(hwnd);
#endif
        return 0;
#ifdef FLOOR_MUSIC
    case MM_MCINOTIFY:
        if (wParam == MCI_NOTIFY_SUCCESSFUL) PlayMusic(hwnd);
        return 0;
#endif
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, (HBRUSH)GetStockObject(BLACK_BRUSH));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
#ifdef FLOOR_LAUNCHER
        StopAccessory();
#endif
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef FLOOR_PRODUCT_IMPORTS
    ReferenceProductImports();
#endif
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = FloorWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = "WindowsScreenSaverClass";
    if (!RegisterClassA(&wc)) ExitProcess(1);

    HDC screen = GetDC(NULL);
    RECT box;
    GetClipBox(screen, &box);
    ReleaseDC(NULL, screen);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "WindowsScreenSaverClass", "Screen Saver",
                                WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                box.left, box.top, box.right - box.left, box.bottom - box.top,
                                NULL, NULL, instance, NULL);
    if (!hwnd) ExitProcess(1);
    SetForegroundWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ExitProcess((UINT)msg.wParam);
}
