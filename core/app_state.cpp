#include "core/app_state.h"

HINSTANCE AppInstance;
OSVERSIONINFOW OsVersion;
SetLayeredWindowAttributesFn AppSetLayeredWindowAttributes;
PtrArray* MonitorList;
LONG BarCollapsed = 1;

bool LayeredWindowsAvailable() {
    return AppSetLayeredWindowAttributes && OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           OsVersion.dwMajorVersion >= 5;
}
