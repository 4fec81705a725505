#include "support/desktop.h"

#include <algorithm>

#include "support/program_run.h"

namespace tv2test {

std::wstring Setting(const wchar_t* name, const wchar_t* type, const std::wstring& value) {
    return std::wstring(L"<setting name=\"") + name + L"\" type=\"" + type + L"\">" + value + L"</setting>\r\n";
}

std::wstring Node(const std::wstring& name, const std::wstring& body) {
    return L"<node name=\"" + name + L"\">" + body + L"</node>\r\n";
}

std::wstring OneProfileSettings(const std::wstring& body) {
    return L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n\t<profile name=\"Default\">\r\n" +
           body + L"\t</profile>\r\n</Tovara2>\r\n";
}

std::vector<HWND> ModuleWindows(HWND bar, bool visibleOnly) {
    // Positions are read once: the program may move its windows meanwhile,
    // and a comparator whose answers change breaks the sort.
    std::vector<std::pair<LONG, HWND>> found;
    for (HWND w = GetWindow(bar, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t cls[64];
        GetClassNameW(w, cls, 64);
        RECT r;
        GetWindowRect(w, &r);
        if (lstrcmpW(cls, L"Tovara2Module") == 0 && (!visibleOnly || IsWindowVisible(w))) found.emplace_back(r.left, w);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HWND> windows;
    for (auto& f : found) windows.push_back(f.second);
    return windows;
}

std::vector<RECT> VisibleModuleRects(HWND bar) {
    std::vector<RECT> rects;
    for (HWND w : ModuleWindows(bar)) {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back(r);
    }
    return rects;
}

std::vector<int> ModuleLefts(HWND bar) {
    std::vector<int> lefts;
    for (const RECT& r : VisibleModuleRects(bar)) lefts.push_back(r.left);
    return lefts;
}

std::wstring WindowText(HWND w) {
    wchar_t buf[4096] = {};
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 3000, &n)) return L"?";
    return buf;
}

namespace {
// Wine starts a Unix program given by its drive-Z path; it may return before
// the program has finished.
void RunHostProgram(std::wstring cmd) {
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    // For a Unix program Wine may leave stray values in the process
    // information: closing them would close a handle of ours (our standard
    // output, or the program under test). Only a real process is touched.
    if (!pi.dwProcessId || GetProcessId(pi.hProcess) != pi.dwProcessId) return;
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
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

void MoveMouse(int x, int y) {
    SetCursorPos(x, y);
    RunHostProgram(L"Z:\\usr\\bin\\xdotool mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y));
}

bool SaveScreenshot(const std::wstring& unixPath) {
    std::wstring path = L"Z:" + unixPath;
    for (auto& c : path) c = c == L'/' ? L'\\' : c;
    DeleteFileW(path.c_str());
    RunHostProgram(L"Z:\\usr\\bin\\import -window root " + unixPath);
    // The finished file is the proof: its size holds still.
    DWORD last = 0;
    return WaitFor([&] {
        WIN32_FILE_ATTRIBUTE_DATA d = {};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d);
        bool settled = d.nFileSizeLow && d.nFileSizeLow == last;
        last = d.nFileSizeLow;
        Sleep(200);
        return settled;
    }, 20000);
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

void ProgramTest::TearDown() { ClearSettings(); }

}  // namespace tv2test
