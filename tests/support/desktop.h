#pragma once
// The desktop around a running program, for integration tests under Wine
// and Xvfb: the mouse, screen pixels, screenshots, and settings files built
// from a profile body.
#include <windows.h>

#include <string>
#include <vector>

namespace tv2test {

// Runs a host (Unix) program with arguments; false when it could not be
// started. Wine may not wait for it to finish nor report how it ended.
bool RunHostProgram(const std::wstring& path, const std::wstring& arguments, DWORD timeoutMs = 10000);
// Moves the mouse: SetCursorPos, and under Xvfb also the X pointer (which
// may follow a moment later), so that the windows under it see the move.
void MoveMouse(int x, int y);
// Presses and releases the left button at a point of the screen, or over
// the middle of w, with real input; twice for a double-click.
void ClickAt(int x, int y, int clicks = 1);
void ClickWindow(HWND w, int clicks = 1);
// A pixel of the screen as shown now.
COLORREF ScreenPixel(int x, int y);
// Saves the whole screen as a PNG (ImageMagick's import); false when the
// tool is missing.
bool SaveScreenshot(const std::wstring& unixPath);
// A settings file with one default profile "Default" holding these lines.
std::wstring OneProfileSettings(const std::wstring& settingLines);
// The rectangles of the bar's visible module windows (class
// "Tovara2Module") in the bar's client coordinates, left to right.
std::vector<RECT> VisibleModuleRects(HWND bar);
// A time limit stretched by TV2_PATIENCE (a whole factor, default 1), which
// the 32-bit guest sets: everything there runs on an emulated CPU.
DWORD Patient(DWORD timeoutMs);
// Calls check every 10 ms until it returns true or the time is up.
template <typename F>
bool WaitFor(F check, DWORD timeoutMs = 3000) {
    DWORD began = GetTickCount();
    timeoutMs = Patient(timeoutMs);
    for (;;) {
        if (check()) return true;
        if (GetTickCount() - began >= timeoutMs) return false;
        Sleep(10);
    }
}

}  // namespace tv2test
