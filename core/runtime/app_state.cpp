#include "core/runtime/app_state.h"

HINSTANCE AppInstance;
OSVERSIONINFOW OsVersion;
SetLayeredWindowAttributesFn AppSetLayeredWindowAttributes;

bool LayeredWindowsAvailable() {
    return AppSetLayeredWindowAttributes && OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           OsVersion.dwMajorVersion >= 5;
}
