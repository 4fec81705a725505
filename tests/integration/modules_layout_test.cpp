// The real bar with the widths package: where the modules stand for each
// alignment and style at either edge, and the frames the bar draws around
// them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/program_run.h"

using namespace tv2test;

namespace {
std::wstring WidthsProfile(const wchar_t* position, const wchar_t* alignment, const wchar_t* style) {
    std::wstring modules;
    for (const wchar_t* m : {L"W40", L"W60", L"W100", L"Hidden"}) modules += Node(m, Setting(L"_activated", L"bool", L"true"));
    return OneProfileSettings(Setting(L"_position", L"string", position) + Setting(L"_alignment", L"string", alignment) +
                              Setting(L"_style", L"string", style) +
                              Setting(L"_order", L"string", L"widths.dll:W40, widths.dll:Hidden, widths.dll:W60, widths.dll:W100") +
                              Node(L"widths.dll", Setting(L"_loaded", L"bool", L"true") + modules));
}

// The lefts of the row of widths 40, 60, 100 on an area w wide, worked out
// by hand from the alignment rules: each module takes 3 pixels either side.
std::vector<int> Expected(const std::wstring& alignment, const std::wstring& style, int w) {
    int total = 218, x = 2, gap = 0;
    if (alignment == L"right") x = w - total - 2;
    if (alignment == L"center") x = (w - total) / 2;
    if (alignment == L"justify") gap = style == L"separator" ? (w - total) / 3 : (w - total) / 4;
    if (alignment == L"justify") x = style == L"separator" ? gap / 2 : gap;
    std::vector<int> lefts;
    for (int width : {40, 60, 100}) lefts.push_back(x += 3), x += width + gap + 3;
    return lefts;
}
}  // namespace

class ModulesLayoutRun : public ProgramTest {};

TEST_F(ModulesLayoutRun, RowStandsAndIsFramedWhereAlignmentAndStylePutItAtEitherEdge) {
    const struct {
        const wchar_t* position;
        const wchar_t* alignment;
        const wchar_t* style;
        int inflate;  // of the frame around each module
    } cases[] = {
        {L"top", L"left", L"etched", 3},      {L"top", L"right", L"inset", 2},
        {L"bottom", L"center", L"outset", 2}, {L"top", L"justify", L"etched", 3},
        {L"bottom", L"justify", L"separator", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(c.position) + L" " + c.alignment + L" " + c.style));
        SeedSettings(WidthsProfile(c.position, c.alignment, c.style));
        ProgramRun run;
        run.AddPackage(BuiltPackage(L"widths.dll"));
        ASSERT_TRUE(run.Start());
        RECT bar;
        GetWindowRect(run.Bar(), &bar);
        std::vector<int> expected = Expected(c.alignment, c.style, bar.right - bar.left);
        EXPECT_TRUE(WaitFor([&] { return ModuleLefts(run.Bar()) == expected; }, 8000))
            << testing::PrintToString(ModuleLefts(run.Bar())) << " expected " << testing::PrintToString(expected);
        EXPECT_EQ(4u, ModuleWindows(run.Bar(), false).size()) << "the hidden one is active and takes no room";
        int top = std::wstring(c.position) == L"bottom" ? 7 : 5;
        for (const RECT& r : VisibleModuleRects(run.Bar())) {
            EXPECT_EQ(top, r.top);
            EXPECT_EQ(16, r.bottom - r.top);
        }
        // The frames, in screen pixels: anything but the face colour marks them.
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        int y0 = bar.top + top - c.inflate, y1 = bar.top + top + 16 + c.inflate;
        HDC screen = GetDC(nullptr);
        auto marked = [&](int x, int ya, int yb) {
            for (int y = ya; y < yb; y++)
                if (GetPixel(screen, bar.left + x, y) != face) return true;
            return false;
        };
        const int widths[] = {40, 60, 100};
        if (std::wstring(c.style) != L"separator") {
            // The bar paints the frames after the row has moved: wait for all.
            auto edges = [&] {
                int found = 0;
                for (int m = 0; m < 3; m++)
                    found += marked(expected[m] - c.inflate, y0, y1) + marked(expected[m] + widths[m] + c.inflate - 1, y0, y1);
                return found;
            };
            WaitFor([&] { return edges() == 6; });
            EXPECT_EQ(6, edges()) << "both edges of the three frames";
            EXPECT_FALSE(marked(expected[0] - c.inflate - 1, y0, y1)) << "nothing before the row";
            EXPECT_FALSE(marked(expected[2] + 100 + c.inflate, y0, y1)) << "nothing after it";
        } else {
            // Eleven 2x2 dots zig-zag down the middle of each gap; none before the row.
            auto x0Of = [&](int m) { return (expected[m - 1] + widths[m - 1] + 3 + expected[m] - 3) / 2 - 2; };
            WaitFor([&] { return marked(x0Of(1), y0 + 20, y0 + 22) && marked(x0Of(2), y0 + 20, y0 + 22); });
            for (int m = 1; m < 3; m++) {
                int x0 = x0Of(m);
                for (int i = 0; i <= 20; i += 2) {
                    EXPECT_TRUE(marked(x0 + i % 4, y0 + i, y0 + i + 2) || marked(x0 + i % 4 + 1, y0 + i, y0 + i + 2)) << i;
                    EXPECT_FALSE(marked(x0 + (i + 2) % 4, y0 + i, y0 + i + 2)) << "the other side of the zig-zag " << i;
                }
            }
            EXPECT_FALSE(marked(expected[0] - 4, bar.top + 2, bar.bottom - 2)) << "nothing before the first module";
        }
        ReleaseDC(nullptr, screen);
        EXPECT_EQ(0u, run.Close());
    }
}
