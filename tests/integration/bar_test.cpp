// The real bar on the desktop: where it docks and how it is drawn, autohide,
// opacity, profiles from its menu, the exit rule, and the settings file it
// reads and writes.
#include <gtest/gtest.h>

#include "support/desktop.h"
#include "support/program_run.h"

using namespace tv2test;

namespace {
RECT RectOf(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}
int HeightOf(HWND w) { return RectOf(w).bottom - RectOf(w).top; }

// A window of the test's own that takes activation away from the bar.
struct OtherWindow {
    HWND w = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 100, 100, nullptr, nullptr, nullptr, nullptr);
    OtherWindow() { SetForegroundWindow(w), SetActiveWindow(w); }
    ~OtherWindow() { DestroyWindow(w); }
    bool Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return true;
    }
};

bool Saved(const std::wstring& line) { return Has(ReadSettings(), line); }
std::wstring Raw() {  // the settings file with its byte-order mark
    bool found = false;
    std::wstring text = ReadUtf16File(SettingsPath(), &found);
    return found ? L"\xFEFF" + text : L"";
}
}  // namespace

class BarRun : public ProgramTest {};

TEST_F(BarRun, DocksAtEitherEdgeWithTheRaisedLineTowardTheDesktop) {
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        const wchar_t* settings;
        int top;
        int lines[4];  // rows: the dark line, the one inside it, the face, the edge toward the screen's
        COLORREF colours[4];
        const wchar_t* saved;
    } cases[] = {
        {L"", 0, {27, 26, 12, 0},
         {GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE)},
         L"top"},
        {L"BOTTOM", cy - 28, {cy - 28, cy - 27, cy - 12, cy - 1},
         {GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE)},
         L"bottom"},
    };
    for (const auto& c : cases) {
        SeedSettings(OneProfileSettings(*c.settings ? Setting(L"_position", L"string", c.settings) : L""));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        RECT r = RectOf(run.Bar());
        EXPECT_EQ(c.top, r.top);
        EXPECT_EQ(28, r.bottom - r.top);
        EXPECT_EQ(0, r.left);
        EXPECT_EQ(cx, r.right);
        EXPECT_TRUE(GetWindowLongW(run.Bar(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        int x = 3;  // left of where a welcome text would stand
        EXPECT_TRUE(WaitFor([&] { return ScreenPixel(x, c.lines[0]) == c.colours[0]; })) << Narrow(c.saved);
        for (int i = 1; i < 4; i++) EXPECT_EQ(c.colours[i], ScreenPixel(x, c.lines[i])) << Narrow(c.saved) << " row " << i;
        EXPECT_EQ(0u, run.Close());
        EXPECT_TRUE(Saved(Setting(L"_position", L"string", c.saved)));
        EXPECT_TRUE(Saved(Setting(L"_opacity", L"num", L"100")));
    }
    // A monitor that does not exist falls back on the primary one.
    SeedSettings(OneProfileSettings(Setting(L"_monitor", L"num", L"5")));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, RectOf(run.Bar()).top);
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Setting(L"_monitor", L"num", L"0")));
}

TEST_F(BarRun, AutohideOpensTheBandUnderTheMouseAndClosesItAfterItLeaves) {
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    for (bool click : {false, true}) {
        SeedSettings(OneProfileSettings(Setting(L"_autohide", L"bool", L"true") +
                                        (click ? Setting(L"_autohide_click", L"bool", L"true") + Setting(L"_position", L"string", L"bottom")
                                               : L"")));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        HWND bar = run.Bar();
        MoveMouse(cx / 2, 400);
        OtherWindow other;  // the bar loses activation and closes to its band
        ASSERT_TRUE(WaitFor([&] { return other.Pump() && HeightOf(bar) == 4; })) << HeightOf(bar);
        EXPECT_EQ(click ? cy : 4, RectOf(bar).bottom);
        MoveMouse(cx / 2, click ? cy - 2 : 1);
        if (click) {
            Sleep(700);
            EXPECT_EQ(4, HeightOf(bar)) << "only a click opens it";
        } else {
            EXPECT_TRUE(WaitFor([&] { return HeightOf(bar) == 28; })) << HeightOf(bar);
            MoveMouse(cx / 2, 20);
            Sleep(800);
            EXPECT_EQ(28, HeightOf(bar)) << "moving within the open bar keeps it open";
            MoveMouse(cx / 2, 400);
            EXPECT_TRUE(WaitFor([&] { return HeightOf(bar) == 4; })) << HeightOf(bar);
        }
        MoveMouse(cx / 2, 400);
        EXPECT_EQ(0u, run.Close());
        EXPECT_TRUE(Saved(Setting(L"_autohide", L"bool", L"true")));
    }
}

TEST_F(BarRun, OpacityIsTheLayeredAlphaOfTheSetting) {
    const struct {
        const wchar_t* stored;
        BYTE alpha;  // 0: not layered
        const wchar_t* saved;
    } cases[] = {{L"50", 127, L"50"}, {L"100", 0, L"100"}, {L"101", 0, L"100"}};  // above 100: ignored
    for (const auto& c : cases) {
        SeedSettings(OneProfileSettings(Setting(L"_opacity", L"num", c.stored)));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        BYTE alpha = 0;
        DWORD flags = 0;
        bool layered = (GetWindowLongW(run.Bar(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(c.alpha != 0, layered) << Narrow(c.stored);
        if (layered) EXPECT_TRUE(GetLayeredWindowAttributes(run.Bar(), nullptr, &alpha, &flags));
        EXPECT_EQ(c.alpha, alpha);
        if (layered) EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
        EXPECT_EQ(0u, run.Close());
        EXPECT_TRUE(Saved(Setting(L"_opacity", L"num", c.saved)));
    }
}

TEST_F(BarRun, AProfileChosenFromTheMenuDocksByItsSettingsAndTheOneLeftKeepsItsOwn) {
    SeedSettings(L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n<default>One</default>\r\n<profile name=\"One\" />\r\n"
                 L"<profile name=\"Two\" />\r\n<profile name=\"Three\">" + Setting(L"_position", L"string", L"bottom") +
                 L"</profile>\r\n</Tovara2>\r\n");
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    const UINT IDM_PROFILE_FIRST = 2000;
    PostMessageW(run.Bar(), WM_COMMAND, IDM_PROFILE_FIRST + 2, 0);
    EXPECT_TRUE(WaitFor([&] { return RectOf(run.Bar()).bottom == GetSystemMetrics(SM_CYSCREEN); }));
    PostMessageW(run.Bar(), WM_COMMAND, IDM_PROFILE_FIRST + 0, 0);
    EXPECT_TRUE(WaitFor([&] { return RectOf(run.Bar()).top == 0; }));
    EXPECT_EQ(0u, run.Close());
    std::wstring saved = ReadSettings();
    auto profile = [&](const std::wstring& name) {
        size_t at = saved.find(L"<profile name=\"" + name + L"\">");
        return at == std::wstring::npos ? L"" : saved.substr(at, saved.find(L"</profile>", at) - at);
    };
    EXPECT_TRUE(Has(profile(L"One"), Setting(L"_position", L"string", L"top"))) << Narrow(saved);
    EXPECT_TRUE(Has(profile(L"Three"), Setting(L"_position", L"string", L"bottom"))) << "the profile left keeps its state";
    EXPECT_FALSE(Has(profile(L"Two"), L"_position")) << "a profile never used is left alone";
    EXPECT_TRUE(Has(saved, L"<default>One</default>"));
}

TEST_F(BarRun, ExitIsRefusedWhileTheConfigurationWindowIsOpen) {
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HANDLE open = CreateMutexW(nullptr, FALSE, L"Tovara2ConfigWindow");
    PostMessageW(run.Bar(), WM_CLOSE, 0, 0);
    PostMessageW(run.Bar(), WM_COMMAND, 1001 /* IDM_EXIT */, 0);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(run.Process(), 1500));
    EXPECT_TRUE(IsWindow(run.Bar()));
    CloseHandle(open);
    EXPECT_EQ(0u, run.Close());
}

TEST_F(BarRun, PluginsAndSettingsAreFoundWhateverTheWorkingFolder) {
    ClearSettings();
    std::wstring elsewhere = MakeTempFolder(L"tv2-elsewhere");
    {
        ProgramRun run;
        ASSERT_TRUE(run.Start(elsewhere));
        std::wstring plugins = run.PluginsFolder();
        EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(plugins.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((elsewhere + L"\\Plugins").c_str()));
        EXPECT_EQ(0u, run.Close());
    }
    RemoveTree(elsewhere);
    // The first run writes one default profile to the user's file.
    EXPECT_EQ(0u, Raw().find(L"\xFEFF<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n"
                             L"\t<profile name=\"Default\">\r\n")) << Narrow(Raw());
    // An unreadable file is kept beside the new one, byte for byte.
    const std::wstring broken = L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<profile name=\"Mine\">\r\n";
    SeedSettings(broken);
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0u, run.Close());
    bool found = false;
    EXPECT_EQ(broken, ReadUtf16File(SettingsPath() + L".unreadable-1", &found));
    DeleteFileW((SettingsPath() + L".unreadable-1").c_str());
    EXPECT_TRUE(found);
    EXPECT_TRUE(Has(ReadSettings(), L"<default>Default</default>"));
}
