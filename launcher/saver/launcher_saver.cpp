// The launcher's saver procedure: paints the background, makes the window
// translucent, starts the accessory above it, keeps the music going or starts
// the external saver, turns late input into a close request, and on closing
// stops the accessory and the music.
#include "host/saver_app.h"
#include "launcher/saver/launcher_saver.h"
#include "launcher/saver/accessory_process.h"
#include "launcher/saver/display_state.h"
#include "launcher/common/file_probe.h"
#include "launcher/saver/hosted_picture.h"
#include "launcher/common/japanese_message.h"
#include "launcher/saver/launcher_rules.h"
#include "launcher/music/music_player.h"
#include "launcher/settings/settings.h"
#include "resources/resource.h"

static const UINT_PTR musicTimer = 1;
static const UINT musicPollInterval = 1000;  // ms
static const UINT_PTR externalSaverTimer = 2;
static const UINT externalSaverDelay = 500;  // ms, fires once
static const UINT_PTR hostedFitTimer = 3;
static const UINT hostedFitInterval = 250;  // ms
// Posted at creation, so that the accessory starts once the host has brought
// this window to the front: a quick accessory's window shown before that
// would end up under it.
static const UINT accessoryStartMessage = WM_APP + 1;

// The saver window's state, from its creation to its close.
struct LauncherState {
    BOOL isPreview;
    BOOL musicEnabled;
    BOOL musicStarted;
    DWORD startTick;
    POINT startCursor;
    RECT windowRect;
    RECT fillRect;
    HBRUSH fillBrush;
    Settings settings;  // read once a run, before the window exists
};
static LauncherState state;

static void MakeTranslucent(HWND hwnd, int alpha)
{
    LONG style = GetWindowLongA(hwnd, GWL_EXSTYLE);
    SetWindowLongA(hwnd, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(hwnd, 0, OpacityFromAlpha(alpha), LWA_ALPHA);
}

static void ArmTimers(HWND hwnd)
{
    if (state.settings.mode != simpleMode) {
        SetTimer(hwnd, externalSaverTimer, externalSaverDelay, NULL);
    } else if (state.settings.playlist[0] != '\0') {
        // Whether the file is there is asked where the music plays: a share
        // that does not answer must not hold the saver's creation.
        SetTimer(hwnd, musicTimer, musicPollInterval, NULL);
        state.musicEnabled = TRUE;
        WatchDisplayState(hwnd);
    }
}

// Before the window exists: the settings, read once a run, and the DPI
// awareness the window is to have. The savers that external call mode hosts
// are mostly old DPI-unaware programs; in a window of their own awareness
// Windows scales the whole as one picture, instead of resetting theirs when
// they create their child across processes.
BOOL PrepareSaverWindow()
{
    LoadSettings(&state.settings);
    return state.settings.mode != simpleMode;
}

static void OnCreate(HWND hwnd)
{
    OutputDebugStringA("WM_CREATE\n");
    state.startTick = GetTickCount();
    GetCursorPos(&state.startCursor);
    if (!FileExists(state.settings.exepath))
        ShowJapaneseMessage(hwnd, IDS_MISSING_ACCESSORY, NULL, IDS_LAUNCHER_CAPTION,
                            MB_OK | MB_ICONWARNING);
    // One trace line per "/p" token, as trace readers have always seen them.
    for (int n = CountPreviewTokens(GetCommandLineA()); n > 0; n--) {
        state.isPreview = TRUE;
        OutputDebugStringA("Find /P  --PreviewMode--\n");
    }
    // The host also takes "/l N", "-p N" and "/pN" as a preview, which the
    // token scan misses; a preview ends without a close, so nothing it
    // started would ever be stopped.
    if (SaverInPreview()) state.isPreview = TRUE;
    GetWindowRect(hwnd, &state.windowRect);
    if (!state.isPreview) {
        if (IsAccessoryPath(state.settings.exepath)) {
            MakeTranslucent(hwnd, state.settings.alpha);
            PostMessageA(hwnd, accessoryStartMessage, 0, 0);
        }
        SetActiveWindow(hwnd);
        ArmTimers(hwnd);
    }
    SetRect(&state.fillRect, 0, 0, state.windowRect.right - state.windowRect.left,
            state.windowRect.bottom - state.windowRect.top);
    state.fillBrush = CreateSolidBrush(state.settings.bgcolor);
}

static void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    // After a refused close the brush is gone; the colour stays.
    HBRUSH brush = state.fillBrush ? state.fillBrush : CreateSolidBrush(state.settings.bgcolor);
    FillRect(dc, &state.fillRect, brush);
    if (brush != state.fillBrush) DeleteObject(brush);
    EndPaint(hwnd, &ps);
}

// Every key and button writes the right button's trace line: trace readers
// have always counted input by it.
static void KeyOrButtonRule(HWND hwnd)
{
    OutputDebugStringA("WM_RBUTTONDOWN\n");
    if (GraceOver(GetTickCount(), state.startTick)) SendMessageA(hwnd, WM_CLOSE, 0, 0);
}

static void MouseRule(HWND hwnd)
{
    OutputDebugStringA("WM_MOUSEMOVE\n");
    if (!GraceOver(GetTickCount(), state.startTick)) return;
    POINT now;
    GetCursorPos(&now);
    if (now.x != state.startCursor.x || now.y != state.startCursor.y)
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
}

// The music player's thread makes every MCI call: an open may block for as
// long as a share takes to answer, and this window must not.
static void MusicTick(HWND hwnd)
{
    if (!state.musicEnabled) return;
    if (state.musicStarted) {
        if (!TickMusicPlayer()) KillTimer(hwnd, musicTimer);
        return;
    }
    state.musicStarted = TRUE;
    StartMusicPlayer(state.settings.playlist);
}

static void StopMusic(HWND hwnd)
{
    if (!state.musicEnabled || !state.musicStarted) return;
    KillTimer(hwnd, musicTimer);
    StopMusicPlayer();
    // Torn down once: a repeated close finds nothing to stop.
    state.musicEnabled = FALSE;
}

// Dimmed changes nothing: the picture is still there.
static void DisplayChanged(LPARAM setting)
{
    int display = DisplayStateFrom(setting);
    if (display == displayOff || display == displayOn) SetMusicDisplay(display == displayOn);
}

static void CloseSequence(HWND hwnd)
{
    OutputDebugStringA("WM_CLOSE\n");
    if (state.isPreview) return;
    DWORD closeStart = GetTickCount();
    SendAccessoryExit(closeStart);
    StopMusic(hwnd);
    WaitForAccessory(closeStart);
    if (state.fillBrush) {
        DeleteObject(state.fillBrush);
        state.fillBrush = NULL;
    }
    ReleaseAccessoryHandles();
    // No capture is set anywhere; the call stays as every version made it,
    // and does nothing unless this thread was left holding one.
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
        if (!state.isPreview) KeyOrButtonRule(hwnd);
        break;
    case WM_MOUSEMOVE:
        if (!state.isPreview) MouseRule(hwnd);
        break;
    case WM_TIMER:
        if (wParam == musicTimer) {
            MusicTick(hwnd);
        } else if (wParam == externalSaverTimer) {
            KillTimer(hwnd, externalSaverTimer);
            StartExternalSaver(hwnd, state.settings.ext_scr_path);
            SetTimer(hwnd, hostedFitTimer, hostedFitInterval, NULL);
        } else if (wParam == hostedFitTimer) {
            FitHostedPicture(hwnd);
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_POWERSETTINGCHANGE) DisplayChanged(lParam);
        break;
    case WM_DESTROY:
        OutputDebugStringA("WM_DESTROY\n");
        StopWatchingDisplayState();
        break;
    case accessoryStartMessage:
        StartAccessory(state.settings.exepath);
        break;
    }
    return SaverDefaultProc(hwnd, message, wParam, lParam);
}
