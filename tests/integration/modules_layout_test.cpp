// The real bar with the widths package: where the modules stand for each
// alignment and style at either edge, and screenshots of the styles.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/program_run.h"

using tv2test::BuiltPackage;
using tv2test::ProgramRun;

namespace {
std::wstring Line(const wchar_t* name, const wchar_t* type, const std::wstring& value) {
    return std::wstring(L"\t\t<setting name=\"") + name + L"\" type=\"" + type + L"\">" + value + L"</setting>\r\n";
}

std::wstring WidthsProfile(const wchar_t* position, const wchar_t* alignment, const wchar_t* style) {
    std::wstring modules;
    for (const wchar_t* m : {L"W40", L"W60", L"W100", L"Hidden"})
        modules += std::wstring(L"<node name=\"") + m +
                   L"\"><setting name=\"_activated\" type=\"bool\">true</setting></node>";
    return tv2test::OneProfileSettings(
        Line(L"_position", L"string", position) + Line(L"_alignment", L"string", alignment) +
        Line(L"_style", L"string", style) +
        Line(L"_order", L"string", L"widths.dll:W40, widths.dll:Hidden, widths.dll:W60, widths.dll:W100") +
        L"\t\t<node name=\"widths.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>" + modules +
        L"</node>\r\n");
}

struct Windows {
    HWND bar;
    std::vector<RECT> visible;
    int all;
};

BOOL CALLBACK Collect(HWND w, LPARAM lp) {
    Windows* c = reinterpret_cast<Windows*>(lp);
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, L"Tovara2Module") != 0) return TRUE;
    c->all++;
    if (!IsWindowVisible(w)) return TRUE;
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, c->bar, reinterpret_cast<POINT*>(&r), 2);
    c->visible.push_back(r);
    return TRUE;
}

Windows ModuleWindows(HWND bar) {
    Windows c = {bar, {}, 0};
    EnumChildWindows(bar, Collect, reinterpret_cast<LPARAM>(&c));
    std::sort(c.visible.begin(), c.visible.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
    return c;
}

std::vector<int> LeftsOf(const Windows& c) {
    std::vector<int> lefts;
    for (const RECT& r : c.visible) lefts.push_back(r.left);
    return lefts;
}

// The row of widths 40, 60, 100 on an area w wide, worked out by hand from
// the alignment rules.
std::vector<int> Expected(const std::wstring& alignment, const std::wstring& style, int w) {
    const int widths[] = {40, 60, 100};
    int total = 218, n = 3, x = 2, gap = 0;
    if (alignment == L"right") x = w - total - 2;
    if (alignment == L"center" || (alignment == L"justify" && total >= w)) x = (w - total) / 2;
    if (alignment == L"justify" && total < w) {
        if (style == L"separator") {
            gap = (w - total) / n;
            x = gap / 2;
        } else {
            gap = (w - total) / (n + 1);
            x = gap;
        }
    }
    std::vector<int> lefts;
    for (int width : widths) {
        x += 3;
        lefts.push_back(x);
        x += width + gap + 3;
    }
    return lefts;
}

class ModulesLayoutRun : public ::testing::Test {
protected:
    void TearDown() override { tv2test::ClearSettings(); }
};
}  // namespace

TEST_F(ModulesLayoutRun, RowStandsWhereAlignmentAndStylePutItAtEitherEdge) {
    struct Case {
        const wchar_t* position;
        const wchar_t* alignment;
        const wchar_t* style;
    } cases[] = {
        {L"top", L"left", L"etched"},      {L"top", L"right", L"inset"},
        {L"bottom", L"center", L"outset"}, {L"top", L"justify", L"etched"},
        {L"bottom", L"justify", L"separator"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(tv2test::Narrow(std::wstring(c.position) + L" " + c.alignment + L" " + c.style));
        tv2test::SeedSettings(WidthsProfile(c.position, c.alignment, c.style));
        ProgramRun run;
        run.AddPackage(BuiltPackage(L"widths.dll"));
        ASSERT_TRUE(run.Start());
        RECT client;
        GetClientRect(run.Bar(), &client);
        std::vector<int> expected = Expected(c.alignment, c.style, client.right);
        bool bottom = std::wstring(c.position) == L"bottom";
        int y = (bottom ? 2 : 0) + 5;
        bool placed = tv2test::WaitFor([&] { return LeftsOf(ModuleWindows(run.Bar())) == expected; }, 8000);
        Windows windows = ModuleWindows(run.Bar());
        EXPECT_TRUE(placed) << ::testing::PrintToString(LeftsOf(windows)) << " expected "
                            << ::testing::PrintToString(expected);
        EXPECT_EQ(4, windows.all);  // the hidden one is active, takes no room
        for (const RECT& r : windows.visible) {
            EXPECT_EQ(y, r.top);
            EXPECT_EQ(16, r.bottom - r.top);
        }
        Sleep(500);  // modules paint themselves
        tv2test::SaveScreenshot(std::wstring(L"/tmp/tv2-modules-") + c.alignment + L"-" + c.style + L".png");
        EXPECT_EQ(0u, run.Close());
    }
}
