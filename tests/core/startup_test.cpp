// Start-up failure paths, run in-process: each forces one step to fail and
// checks the message the user gets and that start-up still returns 0.
#include <gtest/gtest.h>

#include <future>
#include <string>

#include "core/runtime/app_state.h"
#include "core/runtime/res_string.h"
#include "core/bar/startup.h"
#include "support/program_run.h"

namespace {
LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

// Squats on a class name so that start-up's own registration of it fails.
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

// Runs start-up while another thread reads and dismisses the message box.
std::wstring RunStartupAndTakeMessage(int* exitCode, std::wstring* caption = nullptr) {
    auto box = std::async(std::launch::async, [caption] {
        return tv2test::TakeMessageBox(GetCurrentProcessId(), 10000, caption);
    });
    *exitCode = StartupRun();
    return box.get();
}

std::wstring Text(UINT id, WORD language) {
    wchar_t buffer[512];
    LoadStringLang(nullptr, id, buffer, 512, language);
    return buffer;
}

HHOOK g_hook;
LRESULT CALLBACK RefuseBarCreation(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lp);
        if (!IS_INTRESOURCE(create->lpcs->lpszClass) && lstrcmpW(create->lpcs->lpszClass, L"Tovara2 Main Window") == 0)
            return 1;
    }
    return CallNextHookEx(g_hook, code, wp, lp);
}

class StartupFailure : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = tv2test::ReadSettings(&hadSettings_);
        tv2test::ClearSettings();
    }
    void TearDown() override {
        if (hadSettings_)
            tv2test::SeedSettings(saved_);
        else
            tv2test::ClearSettings();
        CurrentLanguage = 1033;
    }
    std::wstring saved_;
    bool hadSettings_ = false;
};
}  // namespace

TEST_F(StartupFailure, ControlClassesThatCannotRegisterAreReported) {
    ClassSquatter squat(L"TV2SLIDER");
    int code = -1;
    std::wstring caption;
    std::wstring text = RunStartupAndTakeMessage(&code, &caption);
    EXPECT_EQ(0, code);
    EXPECT_EQ(L"Tovara2", caption);
    EXPECT_EQ(0u, text.find(L"Could not initialize common controls. (")) << tv2test::Narrow(text);
}

TEST_F(StartupFailure, BarClassThatCannotRegisterIsReportedWithTheErrorNumber) {
    ClassSquatter squat(L"Tovara2 Main Window");
    int code = -1;
    std::wstring text = RunStartupAndTakeMessage(&code);
    EXPECT_EQ(0, code);
    // ERROR_CLASS_ALREADY_EXISTS
    EXPECT_EQ(L"Could not register window class. (1410)", text);
}

TEST_F(StartupFailure, BarThatCannotBeCreatedIsReported) {
    g_hook = SetWindowsHookExW(WH_CBT, RefuseBarCreation, nullptr, GetCurrentThreadId());
    int code = -1;
    std::wstring text = RunStartupAndTakeMessage(&code);
    UnhookWindowsHookEx(g_hook);
    EXPECT_EQ(0, code);
    EXPECT_EQ(0u, text.find(L"Could not create main window. (")) << tv2test::Narrow(text);
}

TEST_F(StartupFailure, LanguageSettingChoosesTheStringTable) {
    ClassSquatter squat(L"Tovara2 Main Window");
    int code = -1;

    tv2test::SeedSettings(
        L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n\t<profile name=\"Default\">\r\n"
        L"\t\t<setting name=\"_language\" type=\"num\">1043</setting>\r\n\t</profile>\r\n</Tovara2>\r\n");
    std::wstring dutch = RunStartupAndTakeMessage(&code);
    EXPECT_EQ(Text(32, 1043) + L" (1410)", dutch);
    EXPECT_NE(Text(32, 1033), Text(32, 1043));

    // A language the executable does not carry gives empty texts, not a crash.
    tv2test::SeedSettings(
        L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n\t<profile name=\"Default\">\r\n"
        L"\t\t<setting name=\"_language\" type=\"num\">1036</setting>\r\n\t</profile>\r\n</Tovara2>\r\n");
    std::wstring unknown = RunStartupAndTakeMessage(&code);
    EXPECT_EQ(L" (1410)", unknown);
    EXPECT_EQ(0, code);
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
