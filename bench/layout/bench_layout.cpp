// The cost of one layout pass over 100 visible module windows on a bar
// 1280 wide, each pass moving every window (alignment alternates between
// left and right), and of drawing their frames in each style.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/runtime/app_state.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/plugin_state.h"
#include "plugins/plugin_system.h"
#include "settings/settings_store.h"

namespace {
HWND g_benchBar;
// The bar's module area at the top edge: its client less the 2-pixel edge.
void BenchModuleArea(RECT* area) {
    GetClientRect(g_benchBar, area);
    area->bottom = 26;
}
LRESULT CALLBACK BarProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

double Report(const char* what, std::vector<double>& ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %.3f ms  min %.3f ms  max %.3f ms  (%zu runs)\n", what, ms[ms.size() / 2], ms.front(),
                ms.back(), ms.size());
    return ms[ms.size() / 2];
}
}  // namespace

int main() {
    const int kModules = 100, kRuns = 200;
    AppInstance = GetModuleHandleW(nullptr);
    wchar_t temp[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wsprintfW(file, L"%sbench-layout-%u.xml", temp, GetCurrentProcessId());
    SettingsOpenFile(file, L"Tovara2");

    WNDCLASSW wc = {};
    wc.lpfnWndProc = BarProc;
    wc.hInstance = AppInstance;
    wc.lpszClassName = L"BenchBar";
    RegisterClassW(&wc);
    HWND bar = CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchBar", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1280, 28, nullptr,
                               nullptr, AppInstance, nullptr);
    ShowWindow(bar, SW_SHOWNOACTIVATE);
    // The plug-in system's module list without its threads: layout runs on
    // this thread as it would on the PluginThread.
    PluginSys.bar = bar;
    PluginSys.host = {bar, BenchModuleArea, nullptr, nullptr, nullptr};
    g_benchBar = bar;
    PluginSys.modules.items = PtrArrayCreate();
    InitializeCriticalSection(&PluginSys.modules.lock);
    PluginSys.order.items = PtrArrayCreate();
    InitializeCriticalSection(&PluginSys.order.lock);
    PluginSys.firstScanDone = 1;
    PackageRecord package = {};
    package.size = TV2_PACKAGE_RECORD_TAG;
    package.fileName = const_cast<WCHAR*>(L"bench.dll");
    for (int i = 0; i < kModules; i++) {
        ModuleDescriptor d = {};
        wsprintfW(d.name, L"M%d", i);
        d.width = 8;
        d.showOnCreate = 1;
        ModuleRecord* r = ModuleCreate(&d, &package);
        ModuleCreateWindow(r, bar);
        PtrArrayAdd(PluginSys.modules.items, r);
    }
    Pump();

    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    std::vector<HWND> windows;
    for (int i = 0; i < kModules; i++)
        windows.push_back(static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, i))->window);
    // Rounds interleave the pass with its floor, a bare SetWindowPos loop
    // moving the same windows as far, so both see the same machine load.
    const wchar_t* alignments[] = {L"left", L"right"};
    std::vector<double> pass, floor, passIdle, oneWidth;
    for (int run = 0; run < kRuns; run++) {
        SettingsSetString(L"_alignment", alignments[run % 2]);
        LayoutRereadAlignmentAndStyle();
        QueryPerformanceCounter(&a);
        LayoutPass();
        QueryPerformanceCounter(&b);
        pass.push_back(Ms(a, b, f));
        QueryPerformanceCounter(&a);
        LayoutPass();  // nothing moves
        QueryPerformanceCounter(&b);
        passIdle.push_back(Ms(a, b, f));
        Pump();

        int shift = run % 2 ? 0 : 1100;
        QueryPerformanceCounter(&a);
        for (int i = 0; i < kModules; i++)
            SetWindowPos(windows[i], nullptr, shift + i * 2, 7, 8, 16, SWP_NOZORDER | SWP_NOACTIVATE);
        QueryPerformanceCounter(&b);
        floor.push_back(Ms(a, b, f));
        Pump();
    }
    // The common case: left-aligned, the middle module's width changes; only
    // the modules after it move.
    SettingsSetString(L"_alignment", L"left");
    LayoutRereadAlignmentAndStyle();
    LayoutPass();
    Pump();
    ModuleRecord* middle = static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, kModules / 2));
    for (int run = 0; run < kRuns; run++) {
        middle->descriptor.width = run % 2 ? 8 : 10;
        QueryPerformanceCounter(&a);
        LayoutPass();
        QueryPerformanceCounter(&b);
        oneWidth.push_back(Ms(a, b, f));
        Pump();
    }
    double passMedian = Report("layout pass, every window moves", pass);
    double floorMedian = Report("floor: bare SetWindowPos loop, 100", floor);
    std::printf("%-34s %.2f (target <= 1.2)\n", "ratio pass / floor (medians)", passMedian / floorMedian);
    Report("layout pass, middle width changes", oneWidth);
    Report("layout pass, nothing moves", passIdle);

    HDC screen = GetDC(bar);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1280, 28);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (const wchar_t* style : {L"separator", L"etched", L"inset", L"outset"}) {
        SettingsSetString(L"_style", style);
        LayoutRereadAlignmentAndStyle();
        std::vector<double> draw;
        for (int run = 0; run < kRuns; run++) {
            QueryPerformanceCounter(&a);
            ModulesDrawFrames(bar, dc);
            QueryPerformanceCounter(&b);
            draw.push_back(Ms(a, b, f));
        }
        char what[64];
        std::snprintf(what, sizeof what, "frames, %ls", style);
        Report(what, draw);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(bar, screen);

    for (UINT i = 0; i < PtrArrayCount(PluginSys.modules.items); i++)
        ModuleDestroy(static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, i)));
    DestroyWindow(bar);
    SettingsClose();
    DeleteFileW(file);
    return 0;
}
