#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/ubb_control.h"
#include "controls/ubb_fonts.h"
#include "controls/ubb_layout.h"
#include "controls/ubb_markup.h"

namespace {

// Every character is 10 pixels wide and lines 20 high; bold text is 12 by
// 24, so the metrics of the latest run can be told apart.
struct FakeFont {
    WORD style = 0;
    int charWidth() const { return (style & UBB_BOLD) ? 12 : 10; }
    int lineHeight() const { return (style & UBB_BOLD) ? 24 : 20; }
};

void FakeSelect(void* c, WORD style, SIZE* sample) {
    FakeFont* f = static_cast<FakeFont*>(c);
    f->style = style;
    sample->cx = 62 * f->charWidth();
    sample->cy = f->lineHeight();
}
int FakeFit(void* c, const WCHAR*, int n, int maxWidth) {
    int fit = maxWidth / static_cast<FakeFont*>(c)->charWidth();
    return fit < n ? fit : n;
}
void FakeExtent(void* c, const WCHAR*, int n, SIZE* size) {
    FakeFont* f = static_cast<FakeFont*>(c);
    size->cx = n * f->charWidth();
    size->cy = f->lineHeight();
}

struct Frag {
    std::wstring text;
    RECT rect;
};

struct Laid {
    PtrArray* runs = PtrArrayCreate();
    PtrArray* frags = PtrArrayCreate();
    Laid(const wchar_t* markup, int width, DWORD align = 0, int left = 0) {
        FakeFont font;
        UbbMeasurer m = {&font, FakeSelect, FakeFit, FakeExtent};
        UbbParse(runs, markup);
        RECT area = {left, 0, left + width, 500};
        UbbLayout(runs, frags, &area, align, &m);
    }
    ~Laid() {
        UbbFreeFragments(frags);
        UbbFreeRuns(runs);
        PtrArrayDestroy(frags);
        PtrArrayDestroy(runs);
    }
    const UbbFragment& at(UINT i) const { return *static_cast<UbbFragment*>(frags->items[i]); }
    std::vector<Frag> all() const {
        std::vector<Frag> out;
        for (UINT i = 0; i < frags->count; i++) out.push_back({std::wstring(at(i).text, at(i).length), at(i).rect});
        return out;
    }
};

void ExpectFrag(const Frag& f, const wchar_t* text, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(text, f.text);
    EXPECT_EQ(left, f.rect.left) << "left of \"" << std::string(f.text.begin(), f.text.end()) << "\"";
    EXPECT_EQ(top, f.rect.top);
    EXPECT_EQ(right, f.rect.right);
    EXPECT_EQ(bottom, f.rect.bottom);
}

}  // namespace

TEST(UbbLayout, WrapsAfterTheLastBreakCharacterThatFits) {
    auto f = Laid(L"aaa bbb ccc", 100).all();
    ASSERT_EQ(2u, f.size());
    ExpectFrag(f[0], L"aaa bbb ", 0, 0, 80, 20);  // the space stays at the line's end
    ExpectFrag(f[1], L"ccc", 0, 20, 30, 40);

    auto p = Laid(L"aaaa,bbbb,cc", 100).all();  // punctuation breaks too
    ASSERT_EQ(2u, p.size());
    EXPECT_EQ(L"aaaa,bbbb,", p[0].text);
    EXPECT_EQ(L"cc", p[1].text);

    auto s = Laid(L"  aa       bbbbbbbbb", 100).all();  // leading spaces stay, those after a wrap go
    ASSERT_EQ(2u, s.size());
    EXPECT_EQ(L"  aa      ", s[0].text);
    ExpectFrag(s[1], L"bbbbbbbbb", 0, 20, 90, 40);
}

TEST(UbbLayout, WordsLongerThanALineAreCut) {
    auto f = Laid(L"abcdefghijklmno", 100).all();
    ASSERT_EQ(2u, f.size());
    ExpectFrag(f[0], L"abcdefghij", 0, 0, 100, 20);
    ExpectFrag(f[1], L"klmno", 0, 20, 50, 40);
}

TEST(UbbLayout, ARunContinuesTheLineAndMovesItsWordDownWhole) {
    auto f = Laid(L"aaaaaaa[i]bbbbb cc", 100).all();
    ASSERT_EQ(3u, f.size());
    ExpectFrag(f[0], L"aaaaaaa", 0, 0, 70, 20);
    ExpectFrag(f[1], L"bbbbb", 0, 20, 50, 40);  // fits on a line: moved whole
    ExpectFrag(f[2], L" cc", 50, 20, 80, 40);

    auto g = Laid(L"aaaaaaa[i]bbbbbbbbbbbb", 100).all();  // too long for any line: cut where it is
    ASSERT_EQ(3u, g.size());
    ExpectFrag(g[0], L"aaaaaaa", 0, 0, 70, 20);
    ExpectFrag(g[1], L"bbb", 70, 0, 100, 20);
    ExpectFrag(g[2], L"bbbbbbbbb", 0, 20, 90, 40);

    auto h = Laid(L"aaaaaaaaaa[i]bb", 100).all();  // a line filled exactly wraps
    ASSERT_EQ(2u, h.size());
    ExpectFrag(h[1], L"bb", 0, 20, 20, 40);
}

TEST(UbbLayout, TabsGoToTheNextMultipleOfFourAverageWidths) {
    auto f = Laid(L"a\tb\t\tc", 200).all();
    ASSERT_EQ(3u, f.size());
    EXPECT_EQ(40, f[1].rect.left);
    EXPECT_EQ(120, f[2].rect.left);  // from 50: 80, then 120

    auto w = Laid(L"aaaaaaaaa\tb", 100).all();  // a stop at or past the width wraps
    ASSERT_EQ(2u, w.size());
    ExpectFrag(w[1], L"b", 0, 20, 10, 40);

    auto b = Laid(L"[b]a\tc", 200).all();  // the stop comes from the latest run's font
    EXPECT_EQ(48, b[1].rect.left);
}

TEST(UbbLayout, LineBreaksUseTheHeightOfTheLatestRun) {
    auto f = Laid(L"a\n\nb[b]c\nd", 200).all();
    ASSERT_EQ(4u, f.size());
    EXPECT_EQ(40, f[1].rect.top);
    EXPECT_EQ(40, f[2].rect.top);
    EXPECT_EQ(64, f[3].rect.top);  // the break after bold text is 24 high
    EXPECT_EQ(88, f[3].rect.bottom);
}

TEST(UbbLayout, CentreAndRightMoveEachLine) {
    auto c = Laid(L"aaaaaaaaaa", 301, UBBS_CENTER).all();
    EXPECT_EQ(100, c[0].rect.left);
    auto both = Laid(L"aaaaaaaaaa", 301, UBBS_CENTER | UBBS_RIGHT).all();
    EXPECT_EQ(100, both[0].rect.left);
    auto r = Laid(L"aaaaaaaaaa\nbb[b]cc", 301, UBBS_RIGHT).all();
    ASSERT_EQ(3u, r.size());
    EXPECT_EQ(201, r[0].rect.left);
    EXPECT_EQ(301, r[2].rect.right);
    EXPECT_EQ(301 - 24 - 20, r[1].rect.left);  // the line's fragments move together
    EXPECT_EQ(r[1].rect.right, r[2].rect.left);

    auto t = Laid(L"\taa", 300, UBBS_RIGHT).all();  // a line starting at a tab still ends at the edge
    EXPECT_EQ(300, t[0].rect.right);

    auto o = Laid(L"aa", 100, UBBS_CENTER, 2).all();  // areas that do not start at 0
    EXPECT_EQ(2 + 40, o[0].rect.left);
}

TEST(UbbLayout, AreaNarrowerThanOneAverageCharacterHoldsNothing) {
    Laid narrow(L"abc", 9);
    EXPECT_EQ(0u, narrow.frags->count);
    EXPECT_EQ(16, UbbTextHeight(narrow.frags));
    Laid empty(L"", 100);
    EXPECT_EQ(16, UbbTextHeight(empty.frags));
    // Ideal height ends with the last text line, not with a trailing break.
    EXPECT_EQ(20, UbbTextHeight(Laid(L"abc\n", 100).frags));
    EXPECT_EQ(40, UbbTextHeight(Laid(L"abc\ndef", 100).frags));
}

TEST(UbbLayout, EveryCharacterIsPlacedEvenWhenNoneFits) {
    // 10 wide characters in a 10 wide area: one per line, never stuck.
    auto f = Laid(L"[b]abc", 10).all();
    ASSERT_EQ(3u, f.size());
    EXPECT_EQ(L"c", f[2].text);
    EXPECT_EQ(48, f[2].rect.top);
}

TEST(UbbLayout, HitTestFindsOnlyLinkFragments) {
    Laid l(L"ab[link=1]cd\nef[/link]", 200);
    ASSERT_EQ(3u, l.frags->count);
    UbbLink* link = l.at(1).link;
    ASSERT_NE(nullptr, link);
    EXPECT_EQ(link, UbbHitTest(l.frags, POINT{20, 0}));
    EXPECT_EQ(link, UbbHitTest(l.frags, POINT{5, 25}));  // its second line
    EXPECT_EQ(nullptr, UbbHitTest(l.frags, POINT{19, 5}));
    EXPECT_EQ(nullptr, UbbHitTest(l.frags, POINT{40, 5}));  // right edge is outside
    EXPECT_EQ(nullptr, UbbHitTest(l.frags, POINT{20, 40}));
}

TEST(UbbLayout, KeyboardOrderVisitsEachLinkOnce) {
    Laid none(L"plain", 200);
    EXPECT_EQ(nullptr, UbbFirstLink(none.frags));
    EXPECT_EQ(nullptr, UbbNextLink(none.frags, nullptr));

    // The first link is broken over two lines and still one stop.
    Laid l(L"[link=1]one\none[/link] x [link=2]two[/link] [link=3]three", 200);
    UbbLink* first = UbbFirstLink(l.frags);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, first->number);
    EXPECT_EQ(first, UbbNextLink(l.frags, nullptr));
    EXPECT_EQ(first, UbbPreviousLink(l.frags, nullptr));
    UbbLink* second = UbbNextLink(l.frags, first);
    EXPECT_EQ(2, second->number);
    UbbLink* third = UbbNextLink(l.frags, second);
    EXPECT_EQ(3, third->number);
    EXPECT_EQ(third, UbbNextLink(l.frags, third));
    EXPECT_EQ(second, UbbPreviousLink(l.frags, third));
    EXPECT_EQ(first, UbbPreviousLink(l.frags, second));
    EXPECT_EQ(first, UbbPreviousLink(l.frags, first));
}

// With the platform's fonts: lines never run past the width and no character
// other than wrapped-away blanks is lost.
TEST(UbbLayout, RealFontsKeepLinesInsideTheWidth) {
    const wchar_t* text =
        L"Welcome to Tovara2. No modules are loaded at this time. [link=1]Click here to configure "
        L"plugins[/link], or [link=2]open the Help file[/link]. [b]Bold words[/b] and [i]italic ones[/i] "
        L"mixed with averyveryverylongwordthatcannotfitonanylineatall.";
    UbbFonts fonts = {};
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    UbbFontsSet(&fonts, lf.lfFaceName, lf.lfHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = GetCurrentObject(dc, OBJ_FONT);
    UbbGdiMeasure gdi = {dc, &fonts};
    UbbMeasurer m = UbbGdiMeasurer(&gdi);
    PtrArray* runs = PtrArrayCreate();
    PtrArray* frags = PtrArrayCreate();
    UbbParse(runs, text);
    for (int width : {60, 150, 333}) {
        SCOPED_TRACE(width);
        RECT area = {0, 0, width, 1000};
        UbbLayout(runs, frags, &area, 0, &m);
        std::wstring seen;
        LONG lastTop = 0;
        for (UINT i = 0; i < frags->count; i++) {
            const UbbFragment* f = static_cast<UbbFragment*>(frags->items[i]);
            EXPECT_LE(f->rect.right, width) << std::string(f->text, f->text + f->length).c_str();
            EXPECT_GE(f->rect.top, lastTop);
            lastTop = f->rect.top;
            seen.append(f->text, f->length);
        }
        std::wstring expected;
        for (UINT i = 0; i < runs->count; i++) {
            const UbbRun* r = static_cast<UbbRun*>(runs->items[i]);
            if (r->kind == UBB_RUN_TEXT) expected.append(r->text, r->length);
        }
        auto noSpaces = [](std::wstring s) {
            s.erase(std::remove(s.begin(), s.end(), L' '), s.end());
            return s;
        };
        EXPECT_EQ(noSpaces(expected), noSpaces(seen));
        EXPECT_GT(frags->count, 3u);
    }
    UbbFreeFragments(frags);
    UbbFreeRuns(runs);
    PtrArrayDestroy(frags);
    PtrArrayDestroy(runs);
    SelectObject(dc, old);
    DeleteDC(dc);
    UbbFontsClear(&fonts);
}
