// The list of monitors and the bar's monitor rectangle. The multi-monitor
// functions are looked up at run time; without them the whole screen is one
// primary monitor.
#include "core/runtime/app_state.h"
#include "core/bar/bar_window.h"
#include "core/bar/monitors.h"

PtrArray* MonitorList;

namespace {
typedef int(WINAPI* GetSystemMetricsFn)(int);
typedef HMONITOR(WINAPI* MonitorFromWindowFn)(HWND, DWORD);
typedef HMONITOR(WINAPI* MonitorFromRectFn)(LPCRECT, DWORD);
typedef HMONITOR(WINAPI* MonitorFromPointFn)(POINT, DWORD);
typedef BOOL(WINAPI* EnumDisplayMonitorsFn)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
typedef BOOL(WINAPI* GetMonitorInfoWFn)(HMONITOR, LPMONITORINFO);

// The handle the single-screen fallback gives its one monitor.
HMONITOR const kWholeScreen = reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x12340042));

EnumDisplayMonitorsFn EnumMonitors;
GetMonitorInfoWFn GetInfo;
LONG LookedUp;

// The list is refilled on the main thread and read by the plug-in threads
// when they place popups; a small spin lock keeps them from meeting halfway.
LONG ListLock;
void Lock() {
    while (InterlockedCompareExchange(&ListLock, 1, 0) != 0) Sleep(0);
}
void Unlock() { InterlockedExchange(&ListLock, 0); }

void LookUp() {
    if (LookedUp) return;
    HMODULE user32 = GetModuleHandleW(L"user32");
    EnumDisplayMonitorsFn enumMonitors = nullptr;
    GetMonitorInfoWFn getInfo = nullptr;
    if (user32 && GetProcAddress(user32, "GetSystemMetrics") && GetProcAddress(user32, "MonitorFromWindow") &&
        GetProcAddress(user32, "MonitorFromRect") && GetProcAddress(user32, "MonitorFromPoint")) {
        enumMonitors = reinterpret_cast<EnumDisplayMonitorsFn>(GetProcAddress(user32, "EnumDisplayMonitors"));
        getInfo = reinterpret_cast<GetMonitorInfoWFn>(GetProcAddress(user32, "GetMonitorInfoW"));
    }
    if (!enumMonitors || !getInfo) enumMonitors = nullptr, getInfo = nullptr;
    // Every thread that gets here finds the same two values.
    InterlockedExchangePointer(reinterpret_cast<PVOID*>(&EnumMonitors), reinterpret_cast<PVOID>(enumMonitors));
    InterlockedExchangePointer(reinterpret_cast<PVOID*>(&GetInfo), reinterpret_cast<PVOID>(getInfo));
    InterlockedExchange(&LookedUp, 1);
}

BOOL MonitorInfo(HMONITOR monitor, MONITORINFO* info) {
    LookUp();
    info->cbSize = sizeof(MONITORINFO);
    if (GetInfo) return GetInfo(monitor, info);
    if (monitor != kWholeScreen) return FALSE;
    SetRect(&info->rcMonitor, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info->rcWork, 0);
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    PtrArrayAdd(MonitorList, monitor);
    return TRUE;
}

HMONITOR MonitorAt(UINT index) {
    Lock();
    HMONITOR m = MonitorList && index < PtrArrayCount(MonitorList)
                     ? static_cast<HMONITOR>(PtrArrayGet(MonitorList, index))
                     : nullptr;
    Unlock();
    return m;
}
}  // namespace

#ifndef _WIN64
static_assert(sizeof(MONITORINFO) == 40, "the monitor record the platform expects");
#endif

void MonitorsRefresh() {
    if (!MonitorList) return;
    LookUp();
    Lock();
    while (PtrArrayCount(MonitorList)) PtrArrayRemoveAt(MonitorList, PtrArrayCount(MonitorList) - 1);
    if (EnumMonitors)
        EnumMonitors(nullptr, nullptr, AddMonitor, 0);
    else
        PtrArrayAdd(MonitorList, kWholeScreen);
    Unlock();
}

UINT MonitorsGetPrimary() {
    UINT count = MonitorsGetCount();
    for (UINT i = 0; i < count; i++) {
        MONITORINFO info;
        if (MonitorInfo(MonitorAt(i), &info) && (info.dwFlags & MONITORINFOF_PRIMARY)) return i;
    }
    return 0;
}

UINT MonitorsGetCount() {
    Lock();
    UINT count = MonitorList ? PtrArrayCount(MonitorList) : 0;
    Unlock();
    return count;
}

void BarGetMonitorRect(RECT* rect) {
    MONITORINFO info;
    if (!MonitorInfo(MonitorAt(Bar.monitorIndex), &info)) {
        // Fall back on the primary monitor without forgetting the chosen one.
        if (!MonitorInfo(MonitorAt(MonitorsGetPrimary()), &info)) {
            // Not even that (an empty list): the whole primary screen.
            SetRect(&info.rcMonitor, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        }
    }
    *rect = info.rcMonitor;
}
