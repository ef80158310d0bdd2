#include "launcher/saver/display_state.h"

typedef HPOWERNOTIFY(WINAPI* RegisterPowerSettingNotificationFn)(HANDLE, LPCGUID, DWORD);
typedef BOOL(WINAPI* UnregisterPowerSettingNotificationFn)(HPOWERNOTIFY);

// GUID_CONSOLE_DISPLAY_STATE, Windows 8 and later: 0 off, 1 on, 2 dimmed.
static const GUID consoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_MONITOR_POWER_ON, Vista and 7: 0 off, 1 on.
static const GUID monitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

static HPOWERNOTIFY registration;

// In user32, which the program imports: looked up, not loaded.
static FARPROC User32Entry(const char* name)
{
    return GetProcAddress(GetModuleHandleA("user32.dll"), name);
}

static const GUID* DisplaySetting()
{
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return NULL;
    if (version.dwMajorVersion < 6) return NULL;
    // 6.2 is Windows 8; later versions report their own, or 6.2 where the
    // manifest does not name them.
    if (version.dwMajorVersion > 6 || version.dwMinorVersion >= 2) return &consoleDisplayState;
    return &monitorPowerOn;
}

void WatchDisplayState(HWND hwnd)
{
    auto subscribe = (RegisterPowerSettingNotificationFn)(void*)User32Entry(
        "RegisterPowerSettingNotification");
    const GUID* setting = DisplaySetting();
    if (subscribe && setting)
        registration = subscribe(hwnd, setting, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopWatchingDisplayState()
{
    if (!registration) return;
    auto unsubscribe = (UnregisterPowerSettingNotificationFn)(void*)User32Entry(
        "UnregisterPowerSettingNotification");
    if (unsubscribe) unsubscribe(registration);
    registration = NULL;
}

int DisplayStateFrom(LPARAM lParam)
{
    const POWERBROADCAST_SETTING* report = (const POWERBROADCAST_SETTING*)lParam;
    if (!report || report->DataLength < sizeof(DWORD)) return -1;
    if (!IsEqualGUID(report->PowerSetting, consoleDisplayState) &&
        !IsEqualGUID(report->PowerSetting, monitorPowerOn))
        return -1;
    DWORD state;
    CopyMemory(&state, report->Data, sizeof state);
    return state <= (DWORD)displayDimmed ? (int)state : -1;
}
