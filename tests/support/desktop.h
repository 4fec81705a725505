#pragma once
// The desktop around a running program, for the integration tests under Wine
// and Xvfb: settings files written from parts, the bar's module windows, the
// mouse and screen pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace tv2test {

// Parts of a settings file: <setting name=.. type=..>value</setting>, a node
// around a body, and a file with one default profile "Default" holding a body.
std::wstring Setting(const wchar_t* name, const wchar_t* type, const std::wstring& value);
std::wstring Node(const std::wstring& name, const std::wstring& body);
std::wstring OneProfileSettings(const std::wstring& body);
inline bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// The bar's module windows (class "Tovara2Module"), left to right by one
// snapshot of their positions; their rectangles and lefts in the bar's client
// coordinates.
std::vector<HWND> ModuleWindows(HWND bar, bool visibleOnly = true);
std::vector<RECT> VisibleModuleRects(HWND bar);
std::vector<int> ModuleLefts(HWND bar);
// A window's text, asked of its own thread (GetWindowTextW does not ask a
// window of another process); "?" when it does not answer.
std::wstring WindowText(HWND w);

// Moves the mouse: SetCursorPos, and under Xvfb the X pointer too, so that
// the windows under it see the move.
void MoveMouse(int x, int y);
// Presses and releases the left button at a point of the screen, or over
// the middle of w, with real input; twice for a double-click.
void ClickAt(int x, int y, int clicks = 1);
void ClickWindow(HWND w, int clicks = 1);
COLORREF ScreenPixel(int x, int y);
// Saves the whole screen as a PNG (ImageMagick's import) for a person to look
// at; false when no file came.
bool SaveScreenshot(const std::wstring& unixPath);

// A time limit stretched by TV2_PATIENCE (a whole factor, default 1), which
// the 32-bit guest sets: everything there runs on an emulated CPU.
DWORD Patient(DWORD timeoutMs);
// Calls check every 10 ms until it returns true or the (patient) time is up.
template <typename F>
bool WaitFor(F check, DWORD timeoutMs = 3000) {
    timeoutMs = Patient(timeoutMs);
    for (DWORD began = GetTickCount();; Sleep(10)) {
        if (check()) return true;
        if (GetTickCount() - began >= timeoutMs) return false;
    }
}

// Integration tests share the Wine user's settings file: each leaves none.
class ProgramTest : public ::testing::Test {
protected:
    void TearDown() override;
};

}  // namespace tv2test
