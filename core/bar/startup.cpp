#include "core/bar/startup.h"

#include "controls/controls.h"
#include "core/runtime/app_state.h"
#include "core/bar/bar_window.h"
#include "core/bar/monitors.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "settings/settings_store.h"
#include "resources/resource_ids.h"

namespace {
// Shown before any language is known, so it carries all three.
const WCHAR kConfigManagerMessage[] =
    L"EN: Could not initialize the configuration manager.\n\n"
    L"NL: Fout bij het starten van de configuratiemanager.\n\n"
    L"DE: St\x00F6rung bei der Initialisierung des Konfiguration Managers.\n\n(%u)";

void ShowError(const WCHAR* text) { MessageBoxW(nullptr, text, L"Tovara2", MB_ICONEXCLAMATION); }

// Reads GetLastError first: loading the string may change it.
void ShowStringError(UINT id) {
    DWORD error = GetLastError();
    WCHAR text[512];
    wsprintfW(text, L"%s (%u)", GetStr(id), error);
    ShowError(text);
}

void RunMessageLoop() {
    MSG msg;
    // -1 (an invalid argument) cannot happen with a null window; the loop
    // carries on through it rather than ending the program.
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
}  // namespace

void StartupSetCurrentFolder() {
    WCHAR path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    path[n < MAX_PATH ? n : MAX_PATH] = 0;
    WCHAR* cut = path;
    for (WCHAR* p = path; *p; p++)
        if (*p == L'\\') cut = p;
    *cut = 0;
    SetCurrentDirectoryW(path);
}

int StartupRun() {
    StartupSetCurrentFolder();
    AppInstance = GetModuleHandleW(nullptr);
    MonitorList = PtrArrayCreate();
    Bar.collapsed = 1;

    OsVersion.dwOSVersionInfoSize = sizeof(OsVersion);
    GetVersionExW(&OsVersion);

    HMODULE user32 = LoadLibraryW(L"user32");
    AppSetLayeredWindowAttributes =
        user32 ? reinterpret_cast<SetLayeredWindowAttributesFn>(GetProcAddress(user32, "SetLayeredWindowAttributes"))
               : nullptr;

    if (SettingsOpen(L"Tovara2") != 0) {
        WCHAR text[512];
        wsprintfW(text, kConfigManagerMessage, GetLastError());
        ShowError(text);
    } else {
        CurrentLanguage = 1033;
        DWORD language;
        if (SettingsGetNumber(L"_language", &language) == 0) CurrentLanguage = LOWORD(language);

        if (!ControlsRegister()) {
            ShowStringError(IDS_ERR_CONTROLS);
        } else {
            if (!SkinInit()) {
                ShowStringError(IDS_ERR_SKIN);
            } else {
                if (!BarRegisterClass()) {
                    ShowStringError(IDS_ERR_CLASS);
                } else {
                    if (!BarCreateWindow())
                        ShowStringError(IDS_ERR_WINDOW);
                    else
                        RunMessageLoop();
                    BarUnregisterClass();
                }
                SkinFree();
            }
        }
        ControlsUnregister();
        SettingsClose();
    }

    if (user32) FreeLibrary(user32);
    PtrArrayDestroy(MonitorList);
    MonitorList = nullptr;
    return 0;
}
