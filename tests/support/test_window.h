#pragma once
// The one window of the in-process window tests: a plain top-level window,
// shown without activation (under Wine an activated window is managed, and
// destroying it then waits two seconds for a window manager that is not
// there). It records the WM_COMMANDs it gets, answers WM_CTLCOLORSTATIC and
// WM_CTLCOLORBTN with its brush, and hands every message to the test's hook
// first.
#include <windows.h>

#include <functional>
#include <vector>

namespace tv2test {

struct TestWindow {
    HWND hwnd = nullptr;
    std::vector<WPARAM> commands;  // wParam of each WM_COMMAND
    std::vector<LPARAM> senders;   // and its lParam
    int ctlColors = 0;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    // Sees each message first; returns true when it handled it (*result).
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)> hook;

    TestWindow(int x = 40, int y = 40, int width = 420, int height = 300);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Add(const wchar_t* className, const wchar_t* text, int x, int y, int width, int height, DWORD style = 0,
             DWORD exStyle = 0, int id = 77);
};

// Serves this thread's messages, for at least the given time.
void Pump(DWORD milliseconds = 0);

}  // namespace tv2test
