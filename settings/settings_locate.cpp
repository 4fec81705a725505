// Where this user's settings file lives.
#include <shlobj.h>

#include "core/runtime/app_state.h"
#include "core/runtime/res_string.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"

namespace {
// The user's name with ".xml", relative to the current folder (which start-up
// made the program's own), or plain "Settings.xml".
void UserNamePath(WCHAR* path) {
    DWORD size = 256;
    if (GetUserNameW(path, &size) && path[0]) {
        lstrcatW(path, L".xml");
    } else {
        lstrcpyW(path, L"Settings.xml");
    }
}
}  // namespace

void SettingsLocateFile(WCHAR* path) {
    // Room for the folder the shell gives (MAX_PATH) and what is appended.
    WCHAR full[MAX_PATH + 32];
    full[0] = 0;
    if (OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT && SHGetSpecialFolderPathW(nullptr, full, CSIDL_APPDATA, TRUE)) {
        lstrcatW(full, L"\\Tovara2");
        if (!FileExists(full)) CreateDirectoryW(full, nullptr);
        lstrcatW(full, L"\\Settings.xml");
    } else {
        UserNamePath(full);
    }
    StrCopyN(path, full, MAX_PATH);
}
