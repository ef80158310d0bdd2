// Windows of the saver and of its boxes, found and awaited from outside.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// A message box's text: its static control, whose id is the template's -1.
const int boxTextId = 0xFFFF;

// A top-level window of the given class (and title, unless null) that belongs
// to process pid (any when 0); waits up to timeoutMs.
HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs);
// Whether the window has the class (any when null) and belongs to process pid (any when 0).
bool IsWindowOf(HWND window, const char* className, DWORD pid);
// The first top-level window for which match() is true, waited for up to timeoutMs.
HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs);
// The saver's top-level window ("WindowsScreenSaverClass", "Screen Saver") of
// pid, once it is shown (its creation complete).
HWND WaitForSaverWindow(DWORD pid, DWORD timeoutMs);
// The saver's preview child ("WindowsScreenSaverClass", "Preview") inside
// parent, once it is shown (its creation complete); null after timeoutMs, or
// as soon as saverProcess has ended.
HWND WaitForPreviewChild(HWND parent, HANDLE saverProcess, DWORD timeoutMs = 15000);
HWND WaitForWindowGone(HWND window, DWORD timeoutMs);  // null when gone
// A message box (dialog class #32770) of process pid; its text in *text.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, std::string* text = NULL,
                       std::string* caption = NULL);
std::string WindowText(HWND window);
void CloseMessageBox(HWND box);  // presses its first button (IDOK)
// Whether window a lies above window b in the z-order of top-level windows.
bool IsAbove(HWND a, HWND b);
