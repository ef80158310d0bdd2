// What the launcher tests share beyond the kit: the stand-in accessory's log,
// the cursor's resting place, and the saver's trace lines.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "parent_window.h"
#include "read_witness.h"
#include "registry_scope.h"
#include "saver_folder.h"
#include "test_support.h"
#include "window_probe.h"

// Ends, when the test leaves its scope, the accessory that the saver started
// for this folder if it still runs (by the process id it logged).
struct AccessoryReaper {
    std::string log;
    explicit AccessoryReaper(const SaverFolder& s) : log(s.AccessoryLog()) {}
    ~AccessoryReaper();
};

// Moves the cursor to a fixed point away from the screen edges and waits
// until the system reports it there.
void ParkCursor();
const int parkX = 500, parkY = 400;

// The accessory's logged value for a key ("cmdline", "cwd", "pid", "window").
std::string LogValue(const std::string& log, const std::string& key);
// Number of lines in log containing needle.
int CountLines(const std::string& log, const std::string& needle);
// The logged accessory process, opened for waiting (null when it is gone).
HANDLE AccessoryHandle(const SaverFolder& s);

// How many traces are exactly text.
int Count(const std::vector<std::string>& traces, const std::string& text);
// A marker through the saver's queue: posts a mouse move that leaves the
// cursor where it is (no rule closes on it) and waits for its trace. When it
// returns true, every message posted to the saver before it was handled.
bool FlushSaver(TracedProcess* saver, HWND window);

// The launcher ignores the cursor for this long after its creation.
const DWORD graceMs = 1000;
// After the password provider answered, the host refuses closes for this
// long without asking it again.
const DWORD recheckMs = 200;
// For the saver's rules that end by time alone, with nothing to observe:
// sleeps until more than ms have passed since tick, a moment known to be no
// earlier than the one the saver counts from.
void WaitOutSince(DWORD tick, DWORD ms);
// The arrival of the index-th trace equal to text (0 when there is none).
DWORD TraceTick(TracedProcess* saver, const std::string& text, int index = 0);
