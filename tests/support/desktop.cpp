#include "support/desktop.h"

#include <algorithm>

namespace tv2test {
namespace {
struct ModuleRects {
    HWND bar;
    std::vector<RECT> rects;
};

BOOL CALLBACK CollectVisibleModule(HWND w, LPARAM lp) {
    ModuleRects* c = reinterpret_cast<ModuleRects*>(lp);
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, L"Tovara2Module") != 0 || !IsWindowVisible(w)) return TRUE;
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, c->bar, reinterpret_cast<POINT*>(&r), 2);
    c->rects.push_back(r);
    return TRUE;
}
}  // namespace

DWORD Patient(DWORD timeoutMs) {
    static const DWORD factor = [] {
        wchar_t text[16] = {};
        DWORD n = GetEnvironmentVariableW(L"TV2_PATIENCE", text, 16);
        int f = n > 0 && n < 16 ? _wtoi(text) : 1;
        return static_cast<DWORD>(f > 1 && f <= 100 ? f : 1);
    }();
    return timeoutMs > INFINITE / factor ? INFINITE : timeoutMs * factor;
}

std::vector<RECT> VisibleModuleRects(HWND bar) {
    ModuleRects c = {bar, {}};
    EnumChildWindows(bar, CollectVisibleModule, reinterpret_cast<LPARAM>(&c));
    std::sort(c.rects.begin(), c.rects.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
    return c.rects;
}


bool RunHostProgram(const std::wstring& path, const std::wstring& arguments, DWORD timeoutMs) {
    // Wine starts a Unix executable given by its drive-Z path. It may return
    // before the program has finished.
    std::wstring exe = L"Z:" + path;
    for (auto& c : exe)
        if (c == L'/') c = L'\\';
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::wstring cmd = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    // For a Unix program Wine may leave stray values in the process
    // information: closing them would close a handle of ours (our standard
    // output, or the program under test). Only a real process is touched.
    if (!pi.dwProcessId || GetProcessId(pi.hProcess) != pi.dwProcessId) return true;
    DWORD code = 1;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code == 0;
}

void MoveMouse(int x, int y) {
    SetCursorPos(x, y);
    RunHostProgram(L"/usr/bin/xdotool", L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y));
}

void ClickWindow(HWND w, int clicks) {
    RECT r = {};
    GetWindowRect(w, &r);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, clicks);
}

void ClickAt(int x, int y, int clicks) {
    MoveMouse(x, y);
    for (int i = 0; i < clicks; i++) {
        // The place goes with the press: the pointer's move may still be on
        // its way.
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dx = in[1].mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        in[0].mi.dy = in[1].mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof(INPUT));
    }
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool SaveScreenshot(const std::wstring& unixPath) {
    // Wine neither waits for a host program nor hands its exit code back,
    // so the finished file is the proof.
    std::wstring path = L"Z:" + unixPath;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    DeleteFileW(path.c_str());
    RunHostProgram(L"/usr/bin/import", L"-window root " + unixPath, 20000);
    DWORD lastSize = 0;
    return WaitFor(
        [&] {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
            bool settled = data.nFileSizeLow != 0 && data.nFileSizeLow == lastSize;
            lastSize = data.nFileSizeLow;
            Sleep(200);
            return settled;
        },
        20000);
}

std::wstring OneProfileSettings(const std::wstring& settingLines) {
    return L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n\t<profile name=\"Default\">\r\n" +
           settingLines + L"\t</profile>\r\n</Tovara2>\r\n";
}

}  // namespace tv2test
