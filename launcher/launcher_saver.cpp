// The launcher's saver procedure: paints the background, makes the window
// translucent, starts the accessory above it, keeps the music going or starts
// the external saver, turns late input into a close request, and on closing
// stops the accessory and the music.
#include "host/saver_app.h"
#include "launcher/accessory_process.h"
#include "launcher/file_probe.h"
#include "launcher/japanese_message.h"
#include "launcher/launcher_rules.h"
#include "launcher/music_player.h"
#include "launcher/settings.h"
#include "launcher/settings_values.h"
#include "resources/resource.h"

static const UINT_PTR musicTimer = 1;
static const UINT musicPollInterval = 1000;  // ms
static const UINT_PTR externalSaverTimer = 2;
static const UINT externalSaverDelay = 500;  // ms, fires once

static BOOL isPreview;
static BOOL musicEnabled;
static BOOL musicStarted;
static DWORD startTick;
static POINT startCursor;
static RECT windowRect;
static RECT fillRect;
static HBRUSH fillBrush;

static void MakeTranslucent(HWND hwnd)
{
    LONG style = GetWindowLongA(hwnd, GWL_EXSTYLE);
    SetWindowLongA(hwnd, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(hwnd, 0, OpacityFromAlpha(alpha), LWA_ALPHA);
}

static void ArmTimers(HWND hwnd)
{
    if (mode != simpleMode) {
        SetTimer(hwnd, externalSaverTimer, externalSaverDelay, NULL);
    } else if (FileExists(playlist)) {
        SetTimer(hwnd, musicTimer, musicPollInterval, NULL);
        musicEnabled = TRUE;
    }
}

static void OnCreate(HWND hwnd)
{
    OutputDebugStringA("WM_CREATE\n");
    LoadSettings();
    startTick = GetTickCount();
    GetCursorPos(&startCursor);
    if (!FileExists(exepath))
        ShowJapaneseMessage(hwnd, IDS_MISSING_ACCESSORY, NULL, IDS_LAUNCHER_CAPTION,
                            MB_OK | MB_ICONWARNING);
    for (int n = CountPreviewTokens(GetCommandLineA()); n > 0; n--) {
        isPreview = TRUE;
        OutputDebugStringA("Find /P  --PreviewMode--\n");
    }
    // The host also takes "/l N", "-p N" and "/pN" as a preview, which the
    // token scan misses; a preview ends without a close, so nothing it
    // started would ever be stopped.
    if (SaverInPreview()) isPreview = TRUE;
    GetWindowRect(hwnd, &windowRect);
    if (!isPreview) {
        if (IsAccessoryPath(exepath)) {
            MakeTranslucent(hwnd);
            StartAccessory();
        }
        SetActiveWindow(hwnd);
        ArmTimers(hwnd);
    }
    SetRect(&fillRect, 0, 0, windowRect.right - windowRect.left,
            windowRect.bottom - windowRect.top);
    fillBrush = CreateSolidBrush(bgcolor);
}

static void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    // After a refused close the brush is gone; the colour stays.
    HBRUSH brush = fillBrush ? fillBrush : CreateSolidBrush(bgcolor);
    FillRect(dc, &fillRect, brush);
    if (brush != fillBrush) DeleteObject(brush);
    EndPaint(hwnd, &ps);
}

static void KeyOrButtonRule(HWND hwnd)
{
    OutputDebugStringA("WM_RBUTTONDOWN\n");
    if (GraceOver(GetTickCount(), startTick)) SendMessageA(hwnd, WM_CLOSE, 0, 0);
}

static void MouseRule(HWND hwnd)
{
    OutputDebugStringA("WM_MOUSEMOVE\n");
    if (!GraceOver(GetTickCount(), startTick)) return;
    POINT now;
    GetCursorPos(&now);
    if (now.x != startCursor.x || now.y != startCursor.y) SendMessageA(hwnd, WM_CLOSE, 0, 0);
}

// The music player's thread makes every MCI call: an open may block for as
// long as a share takes to answer, and this window must not.
static void MusicTick()
{
    if (!musicEnabled) return;
    if (musicStarted) {
        TickMusicPlayer();
        return;
    }
    musicStarted = TRUE;
    StartMusicPlayer(playlist);
}

static void StopMusic(HWND hwnd)
{
    if (!musicEnabled || !musicStarted) return;
    KillTimer(hwnd, musicTimer);
    StopMusicPlayer();
    // Torn down once: a repeated close finds nothing to stop.
    musicEnabled = FALSE;
}

static void CloseSequence(HWND hwnd)
{
    OutputDebugStringA("WM_CLOSE\n");
    if (isPreview) return;
    DWORD closeStart = GetTickCount();
    SendAccessoryExit(closeStart);
    StopMusic(hwnd);
    WaitForAccessory(closeStart);
    if (fillBrush) {
        DeleteObject(fillBrush);
        fillBrush = NULL;
    }
    ReleaseAccessoryHandles();
    ReleaseCapture();
}

LRESULT LauncherSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        break;
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
        return 0;
    case WM_PAINT:
        Paint(hwnd);
        break;
    case WM_CLOSE:
        CloseSequence(hwnd);
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!isPreview) KeyOrButtonRule(hwnd);
        break;
    case WM_MOUSEMOVE:
        if (!isPreview) MouseRule(hwnd);
        break;
    case WM_TIMER:
        if (wParam == musicTimer) {
            MusicTick();
        } else if (wParam == externalSaverTimer) {
            KillTimer(hwnd, externalSaverTimer);
            StartExternalSaver(hwnd);
        }
        break;
    case WM_DESTROY:
        OutputDebugStringA("WM_DESTROY\n");
        break;
    }
    return SaverDefaultProc(hwnd, message, wParam, lParam);
}
