#pragma once
// The monitors the bar can stand on (monitors.cpp): found through the
// multi-monitor functions when the system has them, else the whole screen.
#include <windows.h>

#include "core/runtime/ptr_array.h"

// HMONITOR values in the system's order; start-up creates and destroys it.
extern PtrArray* MonitorList;

void MonitorsRefresh();
UINT MonitorsGetPrimary();
UINT MonitorsGetCount();
