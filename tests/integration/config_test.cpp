// The configuration window in the real program: opened from the bar, one at
// a time, holding Exit back; the General page driving the bar; the profile
// dialogs; the settings file written when the window closes; the Plugins
// page following the plug-in system live; and uninstalling packages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "config/config_window.h"
#include "config/page_general.h"
#include "config/page_plugins.h"
#include "config/profile_dialogs.h"
#include "config/uninstall_dialog.h"
#include "controls/markup_msgbox.h"
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

// The welcome text's first link: the configuration window on its Plugins page.
HWND OpenPlugins(const ProgramRun& run) {
    PostMessageW(run.Bar(), WM_COMMAND, MAKEWPARAM(IDC_WELCOME, 1), reinterpret_cast<LPARAM>(run.Bar()));
    return Dialog(run, kTitle);
}

int Rows(HWND page) { return static_cast<int>(SendDlgItemMessageW(page, IDC_PLG_LIST, LB_GETCOUNT, 0, 0)); }
bool Checked(HWND page) { return IsDlgButtonChecked(page, IDC_PLG_CHECK) == BST_CHECKED; }

// Asked of the control itself: the system keeps no copy of a markup text.
std::wstring Text(HWND w) {
    wchar_t text[1024] = {};
    SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

// Rows of the list are 16 pixels high; twice for a double-click. The page
// has taken the click when its text names the row (shown: a word of it).
void ClickRow(HWND page, int row, const wchar_t* shown, int clicks = 1) {
    RECT r;
    GetWindowRect(GetDlgItem(page, IDC_PLG_LIST), &r);
    tv2test::ClickAt(r.left + 40, r.top + 2 + row * 16 + 8, clicks);
    EXPECT_TRUE(WaitFor([&] {
        return SendDlgItemMessageW(page, IDC_PLG_LIST, LB_GETCURSEL, 0, 0) == row &&
               Text(GetDlgItem(page, IDC_PLG_INFO)).find(shown) != std::wstring::npos;
    })) << row;
}

// Takes a message box of the program by its title; returns its text (the
// markup box's body, or the plain box's static) and dismisses it.
std::wstring TakeBox(const ProgramRun& run, const wchar_t* title) {
    HWND box = Dialog(run, title);
    if (!box) return L"";
    std::wstring text = Text(GetDlgItem(box, MMB_BODY)) + Text(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); });
    return text;
}

std::wstring Node(const wchar_t* name, const std::wstring& body) {
    return L"\t\t<node name=\"" + std::wstring(name) + L"\">" + body + L"</node>\r\n";
}

void ClickOk(HWND w) {
    tv2test::ClickWindow(GetDlgItem(w, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(w); }));
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
    EXPECT_EQ(w, FindWindowExW(nullptr, nullptr, L"#32770", kTitle));
    EXPECT_EQ(nullptr, FindWindowExW(nullptr, w, L"#32770", kTitle));
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
    // The slider's far left end: the bar follows, down to 10 percent only.
    RECT s;
    GetWindowRect(GetDlgItem(page, IDC_GEN_OPACITY_SLIDER), &s);
    tv2test::ClickAt(s.left + 1, (s.top + s.bottom) / 2);
    EXPECT_TRUE(WaitFor([&] {
        BYTE alpha = 0;
        DWORD flags = 0;
        return GetLayeredWindowAttributes(run.Bar(), nullptr, &alpha, &flags) && alpha == 10 * 255 / 100;
    }));
    HWND languages = GetDlgItem(page, IDC_GEN_LANGUAGES);
    SendMessageW(languages, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Nederlands"));
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_GEN_LANGUAGES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(languages));
    tv2test::ClickWindow(GetDlgItem(w, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(w); }));
    // Written when the window closed, while the program runs on.
    const std::wstring lines[] = {Setting(L"_position", L"string", L"bottom"), Setting(L"_alignment", L"string", L"left"),
                                  Setting(L"_style", L"string", L"inset"),     Setting(L"_autohide", L"bool", L"true"),
                                  Setting(L"_autohide_click", L"bool", L"true"), Setting(L"_language", L"num", L"1043"),
                                  Setting(L"_opacity", L"num", L"10")};
    for (const std::wstring& line : lines) EXPECT_TRUE(WaitFor([&] { return FileHas(line); })) << tv2test::Narrow(line);
    EXPECT_TRUE(IsWindow(run.Bar()));
    EXPECT_EQ(0u, run.Close());
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

TEST_F(ConfigRun, FromAFreshProfileThePluginsPageBuildsTheBar) {
    tv2test::ClearSettings();
    ProgramRun run;
    run.AddPackage(tv2test::BuiltPackage(L"SysMon.dll"));
    run.AddPackage(tv2test::BuiltPackage(L"probe.dll"));
    ASSERT_TRUE(run.Start());
    HWND w = OpenPlugins(run);
    ASSERT_TRUE(w);
    HWND page = ShownPage(w);
    EXPECT_EQ(1, SendDlgItemMessageW(w, IDC_CFG_TABS, TCM_GETCURSEL, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return Rows(page) == 2; }));  // Probe, System Monitor
    ClickRow(page, 1, L"System Monitor");
    tv2test::ClickWindow(GetDlgItem(page, IDC_PLG_CHECK));
    // Loaded: its six modules under it, Clock, CPU, Disk, Memory, Network, Uptime.
    ASSERT_TRUE(WaitFor([&] { return Rows(page) == 8; }, 8000));
    for (int row : {2, 3}) {
        ClickRow(page, row, row == 2 ? L"Clock" : L"CPU", 2);  // a double-click toggles Active
        EXPECT_TRUE(WaitFor([&] { return tv2test::VisibleModuleRects(run.Bar()).size() == size_t(row - 1); })) << row;
    }
    // Clock, after CPU on the bar, moves before it; its own option is set in
    // the package's panel.
    ClickRow(page, 2, L"Clock");
    tv2test::ClickWindow(GetDlgItem(page, IDC_PLG_EARLIER));
    // The narrow clock comes first.
    EXPECT_TRUE(WaitFor([&] {
        std::vector<RECT> m = tv2test::VisibleModuleRects(run.Bar());
        return m.size() == 2 && m[0].right - m[0].left < m[1].right - m[1].left;
    }));
    HWND edit = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (edit = GetDlgItem(GetWindow(GetDlgItem(page, IDC_PLG_PANEL), GW_CHILD), 106)) != nullptr; }));
    SetWindowTextW(edit, L"HH:mm");
    ClickOk(w);
    EXPECT_EQ(0u, run.Close());
    std::wstring file = tv2test::ReadSettings();
    for (const std::wstring& line : {Setting(L"_loaded", L"bool", L"true"), Setting(L"_activated", L"bool", L"true"),
                                     Setting(L"time_format", L"string", L"HH:mm")})
        EXPECT_NE(std::wstring::npos, file.find(line)) << tv2test::Narrow(line);
    size_t order = file.find(L"\"_order\"");
    ASSERT_NE(std::wstring::npos, order);
    EXPECT_LT(file.find(L"SysMon.dll:Clock", order), file.find(L"SysMon.dll:CPU", order));
}

TEST_F(ConfigRun, ThePageFollowsFaultsAndNewFilesAndSurvivesFaultyOptions) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(Node(
        L"faulty.dll", Setting(L"_loaded", L"bool", L"true") + L"<node name=\"DivZero\">" +
                           Setting(L"_activated", L"bool", L"true") + Setting(L"delay", L"num", L"5") + L"</node>")));
    ProgramRun run;
    run.AddPackage(tv2test::BuiltPackage(L"faulty.dll"));
    ASSERT_TRUE(run.Start());
    HWND w = OpenFromMenu(run);
    ASSERT_TRUE(w);
    PostMessageW(w, CFGM_SHOWPAGE, 5, 0);  // past the last page: the last one
    ASSERT_TRUE(WaitFor([&] { return SendDlgItemMessageW(w, IDC_CFG_TABS, TCM_GETCURSEL, 0, 0) == 1; }));
    HWND page = ShownPage(w);
    // Faulty, then Access, Child, DivZero, ...: DivZero is active until it faults
    // on the plug-in thread, which the page then shows.
    ASSERT_TRUE(WaitFor([&] { return Rows(page) == 7; }));
    ClickRow(page, 3, L"DivZero");
    EXPECT_TRUE(WaitFor([&] { return Checked(page); }));
    EXPECT_NE(std::wstring::npos, TakeBox(run, L"Tovara2 - Error").find(L"DivZero"));
    EXPECT_TRUE(WaitFor([&] { return !Checked(page); }));
    // A library copied into Plugins is listed while the window is open.
    ASSERT_TRUE(CopyFileW(tv2test::BuiltPackage(L"probe.dll").c_str(), (run.PluginsFolder() + L"\\late.dll").c_str(), FALSE));
    EXPECT_TRUE(WaitFor([&] { return Rows(page) == 8; }, 8000));
    // The package's options fault on this thread: they close, the user is
    // told, and the window and the bar go on.
    ClickRow(page, 0, L"Faulty");
    EXPECT_NE(std::wstring::npos, TakeBox(run, L"Tovara2 - Error").find(L"The options of package 'Faulty'"));
    EXPECT_TRUE(WaitFor([&] { return !GetWindow(GetDlgItem(page, IDC_PLG_PANEL), GW_CHILD); }));
    EXPECT_TRUE(IsWindow(w));
    ClickOk(w);
    EXPECT_EQ(0u, run.Close());
}

TEST_F(ConfigRun, UninstallDeletesTheFileThenTheSettingsAndKeepsThemWhenTheFileStays) {
    const wchar_t kEvil[] = L"[b]Evil[link=1].dll";
    std::wstring body;
    for (const wchar_t* name : {kEvil, L"keep.dll", L"stuck.dll"})
        body += Node(name, Setting(L"_loaded", L"bool", L"true") + Setting(L"mine", L"num", L"7"));
    tv2test::SeedSettings(tv2test::OneProfileSettings(body));
    ProgramRun run;
    for (const wchar_t* name : {kEvil, L"keep.dll", L"stuck.dll"}) run.AddPackage(tv2test::BuiltPackage(L"probe.dll"), name);
    std::wstring stuck = run.PluginsFolder() + L"\\stuck.dll";
    SetFileAttributesW(stuck.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(run.Start());
    HWND w = OpenPlugins(run);
    ASSERT_TRUE(w);
    HWND page = ShownPage(w);
    // Each package with its module M0: the bracketed name sorts first.
    ASSERT_TRUE(WaitFor([&] { return Rows(page) == 6; }, 8000));
    ClickRow(page, 0, L"Evil");
    std::wstring info = Text(GetDlgItem(page, IDC_PLG_INFO));
    EXPECT_NE(std::wstring::npos, info.find(L"(b)Evil(link=1)")) << tv2test::Narrow(info);
    EXPECT_EQ(std::wstring::npos, info.find(L"[link=1]"));
    struct Case { bool remove; const wchar_t* file; int rowsAfter; } cases[] = {
        {true, kEvil, 4}, {false, L"keep.dll", 2}, {false, L"stuck.dll", 2}};
    for (const Case& c : cases) {
        ClickRow(page, 0, c.file == kEvil ? L"Evil" : L"Probe");
        PostMessageW(page, WM_COMMAND, IDM_PLG_UNINSTALL, 0);
        HWND d = Dialog(run, L"Tovara2 - Uninstall Package");
        ASSERT_TRUE(d);
        std::wstring question = Text(GetDlgItem(d, IDC_UNINST_QUESTION));
        if (c.file == kEvil) EXPECT_NE(std::wstring::npos, question.find(L"[b](b)Evil(link=1)[/b] ((b)Evil(link=1).dll)"));
        if ((IsDlgButtonChecked(d, IDC_UNINST_REMOVE) == BST_CHECKED) != c.remove)
            tv2test::ClickWindow(GetDlgItem(d, IDC_UNINST_REMOVE));
        EXPECT_TRUE(WaitFor([&] { return (IsDlgButtonChecked(d, IDC_UNINST_REMOVE) == BST_CHECKED) == c.remove; }));
        tv2test::ClickWindow(GetDlgItem(d, IDOK));
        if (c.file == std::wstring(L"stuck.dll")) {
            EXPECT_EQ(L"Could not delete package file.", TakeBox(run, L"Tovara2"));
            EXPECT_TRUE(WaitFor([&] { return !IsWindow(d) && Checked(page); })) << "loaded again";
        }
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(d) && Rows(page) == c.rowsAfter; }, 8000)) << tv2test::Narrow(c.file);
    }
    ClickOk(w);
    EXPECT_EQ(0u, run.Close());
    std::wstring file = tv2test::ReadSettings();
    EXPECT_EQ(std::wstring::npos, file.find(L"<node name=\"[b]Evil"));
    size_t keep = file.find(L"<node name=\"keep.dll\">"), stuckNode = file.find(L"<node name=\"stuck.dll\">");
    ASSERT_NE(std::wstring::npos, keep);
    ASSERT_NE(std::wstring::npos, stuckNode);
    EXPECT_LT(file.find(Setting(L"_loaded", L"bool", L"false"), keep), stuckNode);
    EXPECT_NE(std::wstring::npos, file.find(Setting(L"_loaded", L"bool", L"true"), stuckNode));
    EXPECT_NE(std::wstring::npos, file.find(Setting(L"_remove_settings_on_package_uninstall", L"bool", L"false")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((run.PluginsFolder() + L"\\keep.dll").c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(stuck.c_str()));
}
