// The real bar's behaviours: the welcome text and its links, the two typed
// words, and what they leave in the settings file.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/desktop.h"
#include "support/program_run.h"

using namespace tv2test;

namespace {
const UINT BARM_SHOWWELCOME = WM_APP + 2;
const UINT UBBM_GETLINKCOLOR = WM_APP + 204;
const LONG UBBS_CENTER = 0x0002;

void Type(HWND bar, const wchar_t* text) {
    for (const wchar_t* p = text; *p; p++) PostMessageW(bar, WM_CHAR, *p, 1);
}
LONG Top(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r.top;
}
BYTE Alpha(HWND bar) {
    BYTE alpha = 0;
    bool layered = (GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_LAYERED) && GetLayeredWindowAttributes(bar, nullptr, &alpha, nullptr);
    return layered ? alpha : 255;
}
// A point of the last link in the control: its last pixel in the link colour.
bool LastLinkPixel(HWND control, POINT* at) {
    COLORREF link = static_cast<COLORREF>(SendMessageW(control, UBBM_GETLINKCOLOR, 0, 0));
    RECT r;
    GetWindowRect(control, &r);
    HDC screen = GetDC(nullptr);
    bool found = false;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            if (GetPixel(screen, x, y) == link) *at = {x - r.left, y - r.top}, found = true;
    ReleaseDC(nullptr, screen);
    return found;
}
}  // namespace

class BarBehaviourRun : public ProgramTest {};

TEST_F(BarBehaviourRun, WelcomeShowsCentredInTheModuleAreaUntilModulesArriveAndItsHelpLinkAnswers) {
    for (bool bottom : {false, true}) {
        SCOPED_TRACE(bottom ? "bottom" : "top");
        SeedSettings(OneProfileSettings(Setting(L"_position", L"string", bottom ? L"bottom" : L"top")));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        HWND bar = run.Bar();
        PostMessageW(bar, BARM_SHOWWELCOME, 1, 0);
        // The window exists before its creation ends and it is shown.
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(bar, 100)); }));
        HWND welcome = GetDlgItem(bar, 100);
        wchar_t cls[64], text[512], english[512];
        GetClassNameW(welcome, cls, 64);
        EXPECT_STREQ(L"UBBControl", cls);
        EXPECT_TRUE(GetWindowLongW(welcome, GWL_STYLE) & UBBS_CENTER);
        RECT r;
        GetWindowRect(welcome, &r);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(8, r.left);
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) - 8, r.right);
        EXPECT_EQ(bottom ? 8 : 6, r.top);
        EXPECT_EQ(bottom ? 26 : 24, r.bottom);
        GetWindowTextW(welcome, text, 512);
        LoadStringW(GetModuleHandleW(nullptr), 50, english, 512);
        EXPECT_STREQ(english, text);
        if (bottom) {
            POINT at = {};
            ASSERT_TRUE(WaitFor([&] { return LastLinkPixel(welcome, &at); }));
            PostMessageW(welcome, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            PostMessageW(welcome, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            std::wstring caption;
            EXPECT_EQ(L"Help not implemented yet", TakeMessageBox(run.ProcessId(), 5000, &caption));
            EXPECT_EQ(L"Tovara2", caption);
        }
        PostMessageW(bar, BARM_SHOWWELCOME, 1, 0);  // a second one adds nothing
        PostMessageW(bar, BARM_SHOWWELCOME, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return GetDlgItem(bar, 100) == nullptr; }));
        EXPECT_EQ(0u, run.Close());
    }
}

TEST_F(BarBehaviourRun, DukeShakesTheBarAndEndsOrExitsWhereItStarted) {
    int cy = GetSystemMetrics(SM_CYSCREEN);
    for (const wchar_t* start : {L"top", L"bottom"}) {
        SeedSettings(OneProfileSettings(Setting(L"_position", L"string", start)));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        HWND bar = run.Bar();
        LONG home = Top(bar);
        Type(bar, L"dduke");  // a wrong letter spoils the word
        Sleep(700);
        EXPECT_EQ(home, Top(bar));
        Type(bar, L"DuKe");  // letters count whatever their case
        if (home == 0) {
            int moves = 0;
            bool sawBottom = false;
            for (DWORD began = GetTickCount(), last = 0; GetTickCount() - began < 2500; Sleep(5)) {
                RECT r;
                GetWindowRect(bar, &r);
                sawBottom |= r.bottom == cy;
                moves += static_cast<DWORD>(r.top) != last;
                last = r.top;
            }
            EXPECT_TRUE(sawBottom);
            EXPECT_GE(moves, 4);
            EXPECT_EQ(0, Top(bar));
        } else {
            ASSERT_TRUE(WaitFor([&] { return Top(bar) == 0; }));  // ends during the shake
        }
        EXPECT_EQ(0u, run.Close());
        EXPECT_TRUE(Has(ReadSettings(), Setting(L"_position", L"string", start))) << "the edge it started from";
    }
}

TEST_F(BarBehaviourRun, DiscoPulsesTheOpacityAndRestoresOrSavesTheOneFromBefore) {
    const struct {
        const wchar_t* start;
        BYTE after;
        bool endDuring;
    } cases[] = {{L"100", 255, false}, {L"50", 127, false}, {L"80", 0, true}};
    for (const auto& c : cases) {
        SeedSettings(OneProfileSettings(Setting(L"_opacity", L"num", c.start)));
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        HWND bar = run.Bar();
        Type(bar, L"disco");
        if (c.endDuring) {
            ASSERT_TRUE(WaitFor([&] { return Alpha(bar) == 2; }));
        } else {
            std::set<int> seen;
            for (DWORD began = GetTickCount(); GetTickCount() - began < 2300; Sleep(3)) seen.insert(Alpha(bar));
            for (int alpha : {252, 191, 127, 63, 2}) EXPECT_TRUE(seen.count(alpha)) << alpha << " of 99, 75, 50, 25, 1 %";
            EXPECT_EQ(c.after, Alpha(bar));
        }
        EXPECT_EQ(0u, run.Close());
        EXPECT_TRUE(Has(ReadSettings(), Setting(L"_opacity", L"num", c.start))) << Narrow(c.start);
    }
}
