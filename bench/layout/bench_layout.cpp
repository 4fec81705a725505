// The cost of one layout pass over 100 visible module windows on a bar
// 1280 wide against a bare SetWindowPos loop over the same windows: the
// worst case (alignment alternates between left and right, every window
// moves) and the common one (one module in the middle changes width); and of
// drawing their frames in each style.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/bench_report.h"

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

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
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

    std::vector<HWND> windows;
    for (int i = 0; i < kModules; i++)
        windows.push_back(static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, i))->window);
    // Rounds interleave each pass with its floor, a bare SetWindowPos loop
    // moving the same windows as far, so both see the same machine load.
    const wchar_t* alignments[] = {L"left", L"right"};
    BenchSeries pass, floor, passIdle, oneWidth, oneWidthFloor;
    double t;
    for (int run = 0; run < kRuns; run++) {
        SettingsSetString(L"_alignment", alignments[run % 2]);
        LayoutRereadAlignmentAndStyle();
        t = BenchNow();
        LayoutPass();
        pass.Add(BenchNow() - t);
        t = BenchNow();
        LayoutPass();  // nothing moves
        passIdle.Add(BenchNow() - t);
        Pump();

        int shift = run % 2 ? 0 : 1100;
        t = BenchNow();
        for (int i = 0; i < kModules; i++)
            SetWindowPos(windows[i], nullptr, shift + i * 2, 7, 8, 16, SWP_NOZORDER | SWP_NOACTIVATE);
        floor.Add(BenchNow() - t);
        Pump();
    }
    // The common case: left-aligned, the middle module's width changes; only
    // it and the modules after it must move. Its floor moves just those, as far.
    SettingsSetString(L"_alignment", L"left");
    LayoutRereadAlignmentAndStyle();
    LayoutPass();
    Pump();
    ModuleRecord* middle = static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, kModules / 2));
    for (int run = 0; run < kRuns; run++) {
        middle->descriptor.width = run % 2 ? 8 : 10;
        t = BenchNow();
        LayoutPass();
        oneWidth.Add(BenchNow() - t);
        Pump();
        t = BenchNow();
        for (int i = kModules / 2; i < kModules; i++)
            SetWindowPos(windows[i], nullptr, 600 + i * 2 + run % 2 * 2, 7, 8, 16, SWP_NOZORDER | SWP_NOACTIVATE);
        oneWidthFloor.Add(BenchNow() - t);
        Pump();
    }
    BenchRow("layout pass, 100 modules, every window moves", pass, "bare SetWindowPos loop over the 100", floor,
             "<= 1.2x");
    BenchRow("layout pass, 100 modules, one in the middle changes width", oneWidth,
             "bare SetWindowPos loop over the 50 that change", oneWidthFloor, "moves only those");
    std::printf("layout pass, nothing moves: %.3f / %.3f ms (min / median)\n", passIdle.Min(), passIdle.Median());

    HDC screen = GetDC(bar);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1280, 28);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (const wchar_t* style : {L"separator", L"etched", L"inset", L"outset"}) {
        SettingsSetString(L"_style", style);
        LayoutRereadAlignmentAndStyle();
        BenchSeries draw;
        for (int run = 0; run < kRuns; run++) {
            t = BenchNow();
            ModulesDrawFrames(bar, dc);
            draw.Add(BenchNow() - t);
        }
        std::printf("frames of 100 modules, %ls: %.3f / %.3f ms (min / median)\n", style, draw.Min(), draw.Median());
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
