// The real bar's behaviours: the welcome text and its links, the two typed
// words, and what they leave in the settings file.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/desktop.h"
#include "support/program_run.h"

using tv2test::ProgramRun;

namespace {
const UINT BARM_SHOWWELCOME = WM_APP + 2;
const UINT UBBM_GETLINKCOLOR = WM_APP + 204;
const LONG UBBS_CENTER = 0x0002;

std::wstring Line(const wchar_t* name, const wchar_t* type, const wchar_t* value) {
    return std::wstring(L"\t\t<setting name=\"") + name + L"\" type=\"" + type + L"\">" + value + L"</setting>\r\n";
}

void Type(HWND bar, const wchar_t* text) {
    for (const wchar_t* p = text; *p; p++) PostMessageW(bar, WM_CHAR, *p, 1);
}

RECT ChildRect(HWND bar, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring English(UINT id) {
    wchar_t text[512] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, text, 512);
    return text;
}

// The last pixel, in reading order, drawn in the link colour inside the
// control: a point of the last link when the text ends with it.
bool LastLinkPixel(HWND control, POINT* at) {
    COLORREF link = static_cast<COLORREF>(SendMessageW(control, UBBM_GETLINKCOLOR, 0, 0));
    RECT r;
    GetWindowRect(control, &r);
    HDC screen = GetDC(nullptr);
    bool found = false;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            if (GetPixel(screen, x, y) == link) {
                at->x = x - r.left;
                at->y = y - r.top;
                found = true;
            }
    ReleaseDC(nullptr, screen);
    return found;
}

bool Saved(const std::wstring& line) { return tv2test::ReadSettings().find(line) != std::wstring::npos; }

// The settings file is the Wine user's, shared with every other test: none
// of these leaves its edge or opacity behind.
class BarRunTest : public ::testing::Test {
protected:
    void TearDown() override { tv2test::ClearSettings(); }
};
class BarScreenshotsRun : public BarRunTest {};
class BarWelcomeRun : public BarRunTest {};
class BarWordsRun : public BarRunTest {};
}  // namespace

TEST_F(BarWelcomeRun, ShowsCentredInTheModuleAreaUntilModulesArrive) {
    for (bool bottom : {false, true}) {
        SCOPED_TRACE(bottom ? "bottom" : "top");
        tv2test::SeedSettings(
            tv2test::OneProfileSettings(Line(L"_position", L"string", bottom ? L"bottom" : L"top")));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        HWND bar = run.Bar();
        PostMessageW(bar, BARM_SHOWWELCOME, 1, 0);
        // The window exists before its creation ends and it is shown.
        ASSERT_TRUE(tv2test::WaitFor([&] { return IsWindowVisible(GetDlgItem(bar, 100)); }));
        HWND welcome = GetDlgItem(bar, 100);
        wchar_t cls[64];
        GetClassNameW(welcome, cls, 64);
        EXPECT_STREQ(L"UBBControl", cls);
        EXPECT_TRUE(GetWindowLongW(welcome, GWL_STYLE) & UBBS_CENTER);
        RECT r = ChildRect(bar, welcome);
        int cx = GetSystemMetrics(SM_CXSCREEN);
        EXPECT_EQ(8, r.left);
        EXPECT_EQ(cx - 8, r.right);
        EXPECT_EQ(bottom ? 8 : 6, r.top);
        EXPECT_EQ(bottom ? 26 : 24, r.bottom);
        wchar_t text[512];
        GetWindowTextW(welcome, text, 512);
        EXPECT_EQ(English(50), text);

        PostMessageW(bar, BARM_SHOWWELCOME, 1, 0);  // a second one adds nothing
        PostMessageW(bar, BARM_SHOWWELCOME, 0, 0);
        EXPECT_TRUE(tv2test::WaitFor([&] { return GetDlgItem(bar, 100) == nullptr; }));
        EXPECT_EQ(0u, run.Close());
    }
}

TEST_F(BarWelcomeRun, TheHelpLinkShowsTheHelpMessage) {
    tv2test::ClearSettings();
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND bar = run.Bar();
    PostMessageW(bar, BARM_SHOWWELCOME, 1, 0);
    ASSERT_TRUE(tv2test::WaitFor([&] { return GetDlgItem(bar, 100) != nullptr; }));
    HWND welcome = GetDlgItem(bar, 100);
    POINT at = {};
    ASSERT_TRUE(tv2test::WaitFor([&] { return LastLinkPixel(welcome, &at); }));
    PostMessageW(welcome, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(welcome, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    std::wstring caption;
    EXPECT_EQ(L"Help not implemented yet", tv2test::TakeMessageBox(run.ProcessId(), 5000, &caption));
    EXPECT_EQ(L"Tovara2", caption);
    EXPECT_EQ(0u, run.Close());
}

TEST_F(BarWordsRun, DukeShakesTheBarBetweenEdgesAndEndsWhereItStarted) {
    tv2test::ClearSettings();
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND bar = run.Bar();
    int cy = GetSystemMetrics(SM_CYSCREEN);
    Type(bar, L"DuKe");  // letters count whatever their case
    bool sawBottom = false;
    int moves = 0;
    LONG last = 0;
    DWORD began = GetTickCount();
    while (GetTickCount() - began < 2500) {
        RECT r;
        GetWindowRect(bar, &r);
        if (r.bottom == cy) sawBottom = true;
        if (r.top != last) moves++;
        last = r.top;
        Sleep(5);
    }
    EXPECT_TRUE(sawBottom);
    EXPECT_GE(moves, 4);
    RECT r;
    GetWindowRect(bar, &r);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(28, r.bottom - r.top);
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Line(L"_position", L"string", L"top")));
}

TEST_F(BarWordsRun, AWrongLetterSpoilsTheWord) {
    tv2test::ClearSettings();
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND bar = run.Bar();
    Type(bar, L"dduke");
    DWORD began = GetTickCount();
    bool moved = false;
    while (GetTickCount() - began < 700) {
        RECT r;
        GetWindowRect(bar, &r);
        if (r.top != 0) moved = true;
        Sleep(10);
    }
    EXPECT_FALSE(moved);
    EXPECT_EQ(0u, run.Close());
}

TEST_F(BarWordsRun, EndingDuringAShakeSavesTheEdgeItStartedFrom) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_position", L"string", L"bottom")));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND bar = run.Bar();
    Type(bar, L"duke");
    ASSERT_TRUE(tv2test::WaitFor([&] {
        RECT r;
        GetWindowRect(bar, &r);
        return r.top == 0;
    }));
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Line(L"_position", L"string", L"bottom")));
}

TEST_F(BarWordsRun, DiscoPulsesTheOpacityAndRestoresIt) {
    for (const wchar_t* start : {L"100", L"50"}) {
        SCOPED_TRACE(tv2test::Narrow(start));
        tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_opacity", L"num", start)));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        HWND bar = run.Bar();
        Type(bar, L"disco");
        std::set<int> seen;
        DWORD began = GetTickCount();
        while (GetTickCount() - began < 2300) {
            BYTE alpha = 0;
            if ((GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_LAYERED) &&
                GetLayeredWindowAttributes(bar, nullptr, &alpha, nullptr))
                seen.insert(alpha);
            Sleep(3);
        }
        // 99, 75, 50, 25 and 1 percent.
        for (int alpha : {252, 191, 127, 63, 2}) EXPECT_TRUE(seen.count(alpha)) << alpha;
        bool layered = (GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        if (lstrcmpW(start, L"100") == 0) {
            EXPECT_FALSE(layered);
        } else {
            BYTE alpha = 0;
            ASSERT_TRUE(layered);
            GetLayeredWindowAttributes(bar, nullptr, &alpha, nullptr);
            EXPECT_EQ(127, alpha);
        }
        EXPECT_EQ(0u, run.Close());
        EXPECT_TRUE(Saved(Line(L"_opacity", L"num", start)));
    }
}

TEST_F(BarWordsRun, EndingDuringAPulseSavesTheOpacityFromBefore) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(Line(L"_opacity", L"num", L"80")));
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND bar = run.Bar();
    Type(bar, L"disco");
    ASSERT_TRUE(tv2test::WaitFor([&] {
        BYTE alpha = 0;
        return GetLayeredWindowAttributes(bar, nullptr, &alpha, nullptr) && alpha == 2;
    }));
    EXPECT_EQ(0u, run.Close());
    EXPECT_TRUE(Saved(Line(L"_opacity", L"num", L"80")));
}

// Pictures for a person to look at: TV2_SCREENSHOTS names a Unix folder.
TEST_F(BarScreenshotsRun, TopWithWelcomeAndBottom) {
    char folder[MAX_PATH];
    if (!GetEnvironmentVariableA("TV2_SCREENSHOTS", folder, MAX_PATH)) GTEST_SKIP() << "TV2_SCREENSHOTS not set";
    std::wstring dir(folder, folder + lstrlenA(folder));
    for (bool bottom : {false, true}) {
        tv2test::SeedSettings(
            tv2test::OneProfileSettings(Line(L"_position", L"string", bottom ? L"bottom" : L"top")));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        PostMessageW(run.Bar(), BARM_SHOWWELCOME, 1, 0);
        Sleep(700);
        EXPECT_TRUE(tv2test::SaveScreenshot(dir + (bottom ? L"/bar-bottom.png" : L"/bar-top.png")));
        EXPECT_EQ(0u, run.Close());
    }
}
