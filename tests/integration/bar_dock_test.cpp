// The real bar on the desktop: where it docks, how it is drawn, autohide and
// opacity, as the user's settings file asks.
#include <gtest/gtest.h>

#include <string>

#include "support/desktop.h"
#include "support/program_run.h"

using tv2test::ProgramRun;

namespace {
std::wstring Line(const wchar_t* name, const wchar_t* type, const wchar_t* value) {
    return std::wstring(L"\t\t<setting name=\"") + name + L"\" type=\"" + type + L"\">" + value + L"</setting>\r\n";
}

RECT RectOf(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

int HeightOf(HWND w) {
    RECT r = RectOf(w);
    return r.bottom - r.top;
}

// A window of the test's own that takes activation away from the bar.
struct OtherWindow {
    HWND w;
    OtherWindow() {
        w = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 100, 100, nullptr, nullptr,
                            nullptr, nullptr);
        SetForegroundWindow(w);
        SetActiveWindow(w);
    }
    ~OtherWindow() { DestroyWindow(w); }
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
};

bool Saved(const std::wstring& line) { return tv2test::ReadSettings().find(line) != std::wstring::npos; }

// The settings file is the Wine user's, shared with every other test: none
// of these leaves its edge or opacity behind.
class BarRunTest : public ::testing::Test {
protected:
    void TearDown() override { tv2test::ClearSettings(); }
};
class BarAutohideRun : public BarRunTest {};
class BarDockRun : public BarRunTest {};
class BarOpacityRun : public BarRunTest {};
}  // namespace

TEST_F(BarDockRun, AtTheTopItSpansTheMonitorWithTheRaisedLineAtItsBottom) {
    tv2test::ClearSettings();
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    RECT r = RectOf(run.Bar());
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(28, r.bottom - r.top);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right);
    EXPECT_TRUE(GetWindowLongW(run.Bar(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    int x = 3;  // left of where a welcome text would stand
    EXPECT_TRUE(tv2test::WaitFor([&] { return tv2test::ScreenPixel(x, 27) == GetSysColor(COLOR_3DDKSHADOW); }));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), tv2test::ScreenPixel(x, 26));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), tv2test::ScreenPixel(x, 12));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), tv2test::ScreenPixel(x, 0));  // no line toward the screen edge
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Line(L"_position", L"string", L"top")));
    EXPECT_TRUE(Saved(Line(L"_opacity", L"num", L"100")));
    EXPECT_TRUE(Saved(Line(L"_autohide", L"bool", L"false")));
}

TEST_F(BarDockRun, AtTheBottomItSitsFlushWithTheRaisedLineAtItsTop) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_position", L"string", L"BOTTOM")));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    int cy = GetSystemMetrics(SM_CYSCREEN);
    RECT r = RectOf(run.Bar());
    EXPECT_EQ(cy, r.bottom);
    EXPECT_EQ(cy - 28, r.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right - r.left);

    int x = 3;
    EXPECT_TRUE(tv2test::WaitFor([&] { return tv2test::ScreenPixel(x, cy - 28) == GetSysColor(COLOR_3DLIGHT); }));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), tv2test::ScreenPixel(x, cy - 27));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), tv2test::ScreenPixel(x, cy - 1));
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Line(L"_position", L"string", L"bottom")));
}

TEST_F(BarDockRun, AMonitorThatDoesNotExistFallsBackOnThePrimaryOne) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_monitor", L"num", L"5")));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, RectOf(run.Bar()).top);
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Line(L"_monitor", L"num", L"0")));
}

TEST_F(BarAutohideRun, TheBandOpensUnderTheMouseAndClosesAfterItLeaves) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_autohide", L"bool", L"true")));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND bar = run.Bar();
    int cx = GetSystemMetrics(SM_CXSCREEN);
    tv2test::MoveMouse(cx / 2, 400);

    OtherWindow other;  // the bar loses activation and closes to its band
    ASSERT_TRUE(tv2test::WaitFor([&] {
        other.Pump();
        return HeightOf(bar) == 4;
    })) << HeightOf(bar);
    EXPECT_EQ(0, RectOf(bar).top);

    tv2test::MoveMouse(cx / 2, 1);
    EXPECT_TRUE(tv2test::WaitFor([&] { return HeightOf(bar) == 28; })) << HeightOf(bar);
    EXPECT_EQ(0, RectOf(bar).top);

    // Moving within the opened bar keeps it open.
    tv2test::MoveMouse(cx / 2, 20);
    Sleep(800);
    EXPECT_EQ(28, HeightOf(bar));

    tv2test::MoveMouse(cx / 2, 400);
    EXPECT_TRUE(tv2test::WaitFor([&] { return HeightOf(bar) == 4; })) << HeightOf(bar);
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Line(L"_autohide", L"bool", L"true")));
}

TEST_F(BarAutohideRun, WithClickToOpenHoveringLeavesTheBandClosed) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_autohide", L"bool", L"true") +
                                                      Line(L"_position", L"string", L"bottom") +
                                                      Line(L"_autohide_click", L"bool", L"true")));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND bar = run.Bar();
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    tv2test::MoveMouse(cx / 2, 400);
    OtherWindow other;
    ASSERT_TRUE(tv2test::WaitFor([&] {
        other.Pump();
        return HeightOf(bar) == 4;
    }));
    EXPECT_EQ(cy, RectOf(bar).bottom);
    tv2test::MoveMouse(cx / 2, cy - 2);
    Sleep(700);
    EXPECT_EQ(4, HeightOf(bar));
    tv2test::MoveMouse(cx / 2, 400);
    EXPECT_EQ(0u, run.Close());
}

TEST_F(BarOpacityRun, TheSettingSetsTheLayeredAlpha) {
    struct Case {
        const wchar_t* stored;
        bool layered;
        BYTE alpha;
        const wchar_t* saved;
    } cases[] = {
        {L"50", true, 127, L"50"},
        {L"100", false, 0, L"100"},
        {L"101", false, 0, L"100"},  // above 100: ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(tv2test::Narrow(c.stored));
        tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_opacity", L"num", c.stored)));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        bool layered = (GetWindowLongW(run.Bar(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(c.layered, layered);
        if (c.layered) {
            BYTE alpha = 0;
            DWORD flags = 0;
            ASSERT_TRUE(GetLayeredWindowAttributes(run.Bar(), nullptr, &alpha, &flags));
            EXPECT_EQ(c.alpha, alpha);
            EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
        }
        EXPECT_EQ(0u, run.Close());
        EXPECT_TRUE(Saved(Line(L"_opacity", L"num", c.saved)));
    }
}
