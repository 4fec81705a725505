// The configuration window in the real program: opened from the bar, one at
// a time, holding Exit back; the General page driving the bar; the profile
// dialogs; and the settings file written when the window closes.
#include <gtest/gtest.h>

#include <string>

#include "config/config_window.h"
#include "config/page_general.h"
#include "config/profile_dialogs.h"
#include "core/bar/bar_behaviours.h"
#include "support/desktop.h"
#include "support/program_run.h"

using tv2test::ProgramRun;
using tv2test::WaitFor;

namespace {
const wchar_t kTitle[] = L"Tovara2 - Configuration";

HWND Dialog(const ProgramRun& run, const wchar_t* title) {
    HWND w = nullptr;
    WaitFor([&] { return (w = tv2test::FindProcessWindow(run.ProcessId(), L"#32770", title)) && IsWindowVisible(w); }, 5000);
    return w;
}

HWND OpenFromMenu(const ProgramRun& run) {
    PostMessageW(run.Bar(), WM_COMMAND, IDM_CONFIGURATION, 0);
    return Dialog(run, kTitle);
}

int CountWindows(DWORD pid, const wchar_t* title) {
    struct Count { DWORD pid; const wchar_t* title; int n; } c = {pid, title, 0};
    EnumWindows([](HWND w, LPARAM p) {
        Count* c = reinterpret_cast<Count*>(p);
        DWORD owner = 0;
        wchar_t text[128] = {};
        GetWindowThreadProcessId(w, &owner);
        GetWindowTextW(w, text, 128);
        if (owner == c->pid && std::wstring(text) == c->title) c->n++;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&c));
    return c.n;
}

// The page now shown: the one visible page window.
HWND ShownPage(HWND window) {
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16];
        GetClassNameW(c, cls, 16);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(c)) return c;
    }
    return nullptr;
}

std::wstring Setting(const wchar_t* name, const wchar_t* type, const wchar_t* value) {
    return std::wstring(L"<setting name=\"") + name + L"\" type=\"" + type + L"\">" + value + L"</setting>";
}

bool FileHas(const std::wstring& text) { return tv2test::ReadSettings().find(text) != std::wstring::npos; }

// Clicks OK of a profile dialog whose name the dialog must refuse: it stays,
// with the whole name selected for retyping.
bool Refused(HWND dialog, const wchar_t* name) {
    HWND edit = GetDlgItem(dialog, IDC_PROF_NAME);
    SetWindowTextW(edit, name);
    tv2test::ClickWindow(GetDlgItem(dialog, IDOK));
    DWORD end = static_cast<DWORD>(lstrlenW(name));
    return WaitFor([&] { return SendMessageW(edit, EM_GETSEL, 0, 0) == MAKELRESULT(0, end); }) && IsWindow(dialog);
}

void Confirm(HWND dialog, const wchar_t* name) {
    SetWindowTextW(GetDlgItem(dialog, IDC_PROF_NAME), name);
    tv2test::ClickWindow(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << tv2test::Narrow(name);
}

std::wstring SelectedProfile(HWND window) {
    wchar_t text[128] = {};
    GetDlgItemTextW(window, IDC_CFG_PROFILES, text, 128);
    return text;
}

class ConfigRun : public ::testing::Test {
protected:
    void TearDown() override { tv2test::ClearSettings(); }
};
}  // namespace

TEST_F(ConfigRun, OneWindowFromTheBarHoldsExitBackAndClosesLikeOk) {
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND w = OpenFromMenu(run);
    ASSERT_TRUE(w);
    // Asked again, and Exit: the same window, and the bar stays.
    for (UINT command : {IDM_CONFIGURATION, IDM_EXIT})
        SendMessageTimeoutW(run.Bar(), WM_COMMAND, command, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_TRUE(IsWindow(run.Bar()));
    EXPECT_EQ(1, CountWindows(run.ProcessId(), kTitle));
    PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(w); }));
    // A double-click on the bar's face beside the welcome text opens it again.
    RECT bar;
    GetWindowRect(run.Bar(), &bar);
    tv2test::ClickAt(bar.left + 3, (bar.top + bar.bottom) / 2, 2);
    w = Dialog(run, kTitle);
    ASSERT_TRUE(w);
    PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(w); }));
    EXPECT_EQ(0u, run.Close());
}

TEST_F(ConfigRun, GeneralPageMovesTheBarAtOnceAndClosingWritesTheFile) {
    tv2test::ClearSettings();
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND w = OpenFromMenu(run);
    ASSERT_TRUE(w);
    HWND page = ShownPage(w);
    const int clicks[] = {IDC_GEN_BOTTOM, IDC_GEN_LEFT, IDC_GEN_INSET, IDC_GEN_AUTOHIDE_ENABLE, IDC_GEN_AUTOHIDE_CLICK};
    for (int id : clicks) {
        tv2test::ClickWindow(GetDlgItem(page, id));
        EXPECT_TRUE(WaitFor([&] { return IsDlgButtonChecked(page, id) == BST_CHECKED; })) << id;
    }
    // At the bottom edge, and shrunk to its band while the window is active.
    int screen = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(WaitFor([&] {
        RECT r;
        GetWindowRect(run.Bar(), &r);
        return r.bottom == screen && r.bottom - r.top == 4;
    }));
    // A click a third along the slider: the bar follows.
    RECT s;
    GetWindowRect(GetDlgItem(page, IDC_GEN_OPACITY_SLIDER), &s);
    tv2test::ClickAt(s.left + (s.right - s.left) / 3, (s.top + s.bottom) / 2);
    BYTE alpha = 255;
    EXPECT_TRUE(WaitFor([&] {
        DWORD flags = 0;
        return GetLayeredWindowAttributes(run.Bar(), nullptr, &alpha, &flags) && alpha < 128;
    }));
    HWND languages = GetDlgItem(page, IDC_GEN_LANGUAGES);
    SendMessageW(languages, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Nederlands"));
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_GEN_LANGUAGES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(languages));
    tv2test::ClickWindow(GetDlgItem(w, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(w); }));
    // Written when the window closed, while the program runs on.
    const std::wstring lines[] = {Setting(L"_position", L"string", L"bottom"), Setting(L"_alignment", L"string", L"left"),
                                  Setting(L"_style", L"string", L"inset"),     Setting(L"_autohide", L"bool", L"true"),
                                  Setting(L"_autohide_click", L"bool", L"true"), Setting(L"_language", L"num", L"1043")};
    for (const std::wstring& line : lines) EXPECT_TRUE(WaitFor([&] { return FileHas(line); })) << tv2test::Narrow(line);
    EXPECT_TRUE(IsWindow(run.Bar()));
    EXPECT_EQ(0u, run.Close());
    std::wstring file = tv2test::ReadSettings();
    size_t at = file.find(L"\"_opacity\" type=\"num\">");
    ASSERT_NE(std::wstring::npos, at);
    EXPECT_EQ(alpha, _wtoi(file.c_str() + at + 22) * 255 / 100);
}

TEST_F(ConfigRun, ProfilesAreMadeCopiedRenamedDeletedAndMadeDefault) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(L"\t\t" + Setting(L"_alignment", L"string", L"left") + L"\r\n"));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND w = OpenFromMenu(run);
    ASSERT_TRUE(w);
    // A copy of Default, after a name that differs only in case is refused.
    PostMessageW(w, WM_COMMAND, IDM_CFG_NEW_PROFILE, 0);
    HWND d = Dialog(run, L"Tovara2 - New Profile");
    ASSERT_TRUE(d);
    EXPECT_TRUE(Refused(d, L"DEFAULT"));
    tv2test::ClickWindow(GetDlgItem(d, IDC_PROF_COPY));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(d, IDC_PROF_SOURCE)) != FALSE; }));
    Confirm(d, L"Work");
    // Default becomes Home; Work is taken, whatever the case.
    PostMessageW(w, WM_COMMAND, IDM_CFG_RENAME_PROFILE, 0);
    ASSERT_TRUE(d = Dialog(run, L"Tovara2 - Rename Profile"));
    EXPECT_TRUE(Refused(d, L"work"));
    Confirm(d, L"Home");
    EXPECT_EQ(L"Home (Default)", SelectedProfile(w));
    // A blank Spare, chosen from the bar's menu and deleted again.
    PostMessageW(w, WM_COMMAND, IDM_CFG_NEW_PROFILE, 0);
    ASSERT_TRUE(d = Dialog(run, L"Tovara2 - New Profile"));
    Confirm(d, L"Spare");
    PostMessageW(run.Bar(), WM_COMMAND, IDM_PROFILE_FIRST + 2, 0);
    EXPECT_TRUE(WaitFor([&] { return SelectedProfile(w) == L"Spare"; }));
    PostMessageW(w, WM_COMMAND, IDM_CFG_DELETE_PROFILE, 0);
    HWND question = Dialog(run, L"Tovara2");
    ASSERT_TRUE(question);
    tv2test::ClickWindow(GetDlgItem(question, IDYES));
    EXPECT_TRUE(WaitFor([&] { return SelectedProfile(w) == L"Home (Default)"; }));
    // Work, chosen on the bar, becomes the default.
    PostMessageW(run.Bar(), WM_COMMAND, IDM_PROFILE_FIRST + 1, 0);
    EXPECT_TRUE(WaitFor([&] { return SelectedProfile(w) == L"Work"; }));
    PostMessageW(w, WM_COMMAND, IDM_CFG_SET_DEFAULT, 0);
    EXPECT_TRUE(WaitFor([&] { return SelectedProfile(w) == L"Work (Default)"; }));
    PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(w); }));
    EXPECT_EQ(0u, run.Close());
    std::wstring file = tv2test::ReadSettings();
    EXPECT_NE(std::wstring::npos, file.find(L"<default>Work</default>"));
    EXPECT_EQ(std::wstring::npos, file.find(L"Spare"));
    size_t home = file.find(L"<profile name=\"Home\">"), work = file.find(L"<profile name=\"Work\">");
    std::wstring left = Setting(L"_alignment", L"string", L"left");
    ASSERT_NE(std::wstring::npos, home);
    ASSERT_NE(std::wstring::npos, work);
    EXPECT_LT(file.find(left, home), work);
    EXPECT_NE(std::wstring::npos, file.find(left, work));
}
