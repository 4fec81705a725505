// Start-up's failure paths, in this process: each forces one step to fail
// and checks the message the user gets and that start-up still returns 0.
#include <gtest/gtest.h>

#include <future>
#include <string>

#include "core/runtime/app_state.h"
#include "core/runtime/res_string.h"
#include "core/bar/startup.h"
#include "support/program_run.h"

namespace {
LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

// Takes a class name so that start-up's own registration of it fails.
struct ClassSquatter {
    const wchar_t* name;
    explicit ClassSquatter(const wchar_t* n) : name(n) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
    ~ClassSquatter() { UnregisterClassW(name, GetModuleHandleW(nullptr)); }
};

// Runs start-up while another thread reads and dismisses its message box.
std::wstring StartupMessage(const std::wstring& language = L"") {
    if (language.empty())
        tv2test::ClearSettings();
    else
        tv2test::SeedSettings(L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n<default>Default</default>\r\n<profile name=\"Default\">"
                              L"<setting name=\"_language\" type=\"num\">" + language + L"</setting></profile>\r\n</Tovara2>\r\n");
    std::wstring caption;
    auto box = std::async(std::launch::async, [&] { return tv2test::TakeMessageBox(GetCurrentProcessId(), 10000, &caption); });
    EXPECT_EQ(0, StartupRun());
    std::wstring text = box.get();
    EXPECT_EQ(L"Tovara2", caption);
    CurrentLanguage = 1033;
    tv2test::ClearSettings();
    return text;
}

HHOOK g_hook;
LRESULT CALLBACK RefuseBar(int code, WPARAM wp, LPARAM lp) {
    auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lp);
    if (code == HCBT_CREATEWND && !IS_INTRESOURCE(create->lpcs->lpszClass) &&
        lstrcmpW(create->lpcs->lpszClass, L"Tovara2 Main Window") == 0)
        return 1;
    return CallNextHookEx(g_hook, code, wp, lp);
}
}  // namespace

TEST(StartupFailure, EachFailingStepIsReportedInTheUsersLanguage) {
    {
        ClassSquatter squat(L"TV2SLIDER");
        EXPECT_EQ(0u, StartupMessage().find(L"Could not initialize common controls. (")) ;
    }
    {
        ClassSquatter squat(L"Tovara2 Main Window");
        EXPECT_EQ(L"Could not register window class. (1410)", StartupMessage());  // ERROR_CLASS_ALREADY_EXISTS
        wchar_t dutch[256];
        LoadStringLang(nullptr, 32, dutch, 256, 1043);
        EXPECT_EQ(std::wstring(dutch) + L" (1410)", StartupMessage(L"1043"));
        EXPECT_EQ(L" (1410)", StartupMessage(L"1036")) << "a language the program lacks gives empty texts";
    }
    g_hook = SetWindowsHookExW(WH_CBT, RefuseBar, nullptr, GetCurrentThreadId());
    std::wstring text = StartupMessage();
    UnhookWindowsHookEx(g_hook);
    EXPECT_EQ(0u, text.find(L"Could not create main window. (")) << tv2test::Narrow(text);
}

TEST(Startup, MakesTheExecutablesFolderCurrent) {
    wchar_t before[MAX_PATH], exe[MAX_PATH], now[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(L"C:\\");
    StartupSetCurrentFolder();
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    *wcsrchr(exe, L'\\') = 0;
    GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(0, lstrcmpiW(exe, now));
    SetCurrentDirectoryW(before);
}
