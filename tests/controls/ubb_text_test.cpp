// The markup control's text work, without a window: markup into runs, runs
// into fragments (with a fake font whose numbers are easy to follow, and
// with the platform's), hit tests and the keyboard order of links.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "controls/ubb_control.h"
#include "controls/ubb_fonts.h"
#include "controls/ubb_layout.h"
#include "controls/ubb_markup.h"
#include "core/runtime/memory.h"

namespace {
std::wstring Styles(WORD s) {
    std::wstring out;
    const wchar_t letters[] = L"biusl";
    for (int i = 0; i < 5; i++)
        if (s & (1 << i)) out += letters[i];
    return out;
}

// The runs as "[text]styles#number" or "[text]styles>target", breaks "/n",
// tabs "/t"; empty text runs left out.
std::wstring Runs(const wchar_t* markup) {
    PtrArray* runs = PtrArrayCreate();
    UbbParse(runs, markup);
    std::wstring out;
    for (UINT i = 0; i < runs->count; i++) {
        const UbbRun* r = static_cast<UbbRun*>(runs->items[i]);
        if (r->kind == UBB_RUN_TEXT && !r->length) continue;
        if (!out.empty()) out += L' ';
        if (r->kind == UBB_RUN_BREAK) out += L"/n" + Styles(r->style);
        if (r->kind == UBB_RUN_TAB) out += L"/t" + Styles(r->style);
        if (r->kind != UBB_RUN_TEXT) continue;
        out += L"[" + std::wstring(r->text, r->length) + L"]" + Styles(r->style);
        if (r->link && r->link->kind == UBB_LINK_NUMBER) out += L"#" + std::to_wstring(r->link->number);
        if (r->link && r->link->kind == UBB_LINK_TARGET) out += std::wstring(L">") + r->link->target;
    }
    UbbFreeRuns(runs);
    PtrArrayDestroy(runs);
    return out;
}

// Every character is 10 pixels wide and lines are 20 high; bold is 12 by 24,
// so the metrics of the latest run can be told apart.
WORD g_style;
int CharWidth() { return g_style & UBB_BOLD ? 12 : 10; }
void FakeSelect(void*, WORD style, SIZE* sample) {
    g_style = style;
    *sample = {62 * CharWidth(), g_style & UBB_BOLD ? 24 : 20};
}
int FakeFit(void*, const WCHAR*, int n, int maxWidth) { return std::min(n, maxWidth / CharWidth()); }
void FakeExtent(void*, const WCHAR*, int n, SIZE* size) { *size = {n * CharWidth(), g_style & UBB_BOLD ? 24 : 20}; }

struct Laid {
    PtrArray* runs = PtrArrayCreate();
    PtrArray* frags = PtrArrayCreate();
    Laid(const wchar_t* markup, int width, DWORD align = 0, int left = 0, const UbbMeasurer* m = nullptr) {
        UbbMeasurer fake = {nullptr, FakeSelect, FakeFit, FakeExtent};
        UbbParse(runs, markup);
        RECT area = {left, 0, left + width, 1000};
        UbbLayout(runs, frags, &area, align, m ? m : &fake);
    }
    ~Laid() {
        UbbFreeFragments(frags);
        UbbFreeRuns(runs);
        PtrArrayDestroy(frags);
        PtrArrayDestroy(runs);
    }
    const UbbFragment& at(UINT i) const { return *static_cast<UbbFragment*>(frags->items[i]); }
    // "text@left,top,right,bottom|..."
    std::wstring str() const {
        std::wstring out;
        for (UINT i = 0; i < frags->count; i++) {
            const RECT& r = at(i).rect;
            out += (i ? L"|" : L"") + std::wstring(at(i).text, at(i).length) + L"@" + std::to_wstring(r.left) + L"," +
                   std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom);
        }
        return out;
    }
};
}  // namespace

TEST(UbbMarkup, TagsAreFlagsLinksNumbersOrTargetsAndTheRestIsText) {
    const struct {
        const wchar_t* markup;
        const wchar_t* runs;
    } cases[] = {
        {L"[B]bold[/B] [I]it[/i] [u]un[/U] [S]st[/s] [LiNk=3]go[/LINK]", L"[bold]b [ ] [it]i [ ] [un]u [ ] [st]s [ ] [go]l#3"},
        {L"[b]a[b]b[/b]c", L"[a]b [b]b [c]"},                  // flags, not a stack
        {L"[/i]x[b]y[i]z[/b]w[/i]v", L"[x] [y]b [z]bi [w]i [v]"},  // stray and overlapping tags
        {L"[link=1]a[link=2]b[/link]c", L"[a]l#1 [b]l#2 [c]"},  // a new link starts the next
        {L"[link=-1]x", L"[x]l#-1"},
        {L"[link=--7]x", L"[x]l#7"},
        {L"[link=]x", L"[x]l#0"},
        {L"[link=-]x", L"[x]l#0"},
        {L"[link=1a]x", L"[x]l>1a"},
        {L"[link=1-]x", L"[x]l>1-"},
        {L"[link=http://example.org/?a=[b]x", L"[x]l>http://example.org/?a=[b"},
        {L"[x]y[url=z]w", L"[[x]y[url=z]w]"},
        {L"a[b", L"[a[b]"},
        {L"a[/lin", L"[a[/lin]"},
        {L"[link", L"[[link]"},
        {L"[ b]", L"[[ b]]"},
        {L"[[b]x", L"[[] [x]b"},  // only the second bracket starts a tag
        {L"[link=4][b]a\nb\tc\r[/link]", L"[a]bl#4 /n [b]bl#4 /t [c\r]bl#4"},  // breaks and tabs carry no style or link
        {L"", L""},
        {nullptr, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.runs, Runs(c.markup)) << testing::PrintToString(std::wstring(c.markup ? c.markup : L"(null)"));
}

TEST(UbbMarkup, LinkTargetsAreCutAndEveryBlockIsReturned) {
    LONG before = MemLiveBlocks();
    std::wstring a300(300, L'a');
    EXPECT_EQ(L"[x]l>" + std::wstring(255, L'a'), Runs((L"[link=" + a300 + L"]x").c_str()));
    EXPECT_EQ(L"[x]l#1111111111", Runs((L"[link=" + std::wstring(10, L'1') + L"]x").c_str()));
    {
        // Without its "]" the tag takes the rest as its target.
        Laid open((L"see [link=" + a300).c_str(), 10000);
        EXPECT_EQ(std::wstring(255, L'a'), static_cast<UbbRun*>(open.runs->items[open.runs->count - 1])->link->target);
        Laid shared(L"[link=4]a\nb[/link]", 100);  // one link record for the runs of one link
        EXPECT_EQ(shared.at(0).link, shared.at(1).link);
    }
    PtrArray* runs = PtrArrayCreate();
    for (const wchar_t* m : {L"[link=1][link=2]x", L"[link=1][/link]", L"[link=a]x\ny\tz[link=b]w", L"[link=abc"})
        UbbParse(runs, m);  // each parse frees the runs before
    UbbFreeRuns(runs);
    PtrArrayDestroy(runs);
    EXPECT_EQ(before, MemLiveBlocks());
}

TEST(UbbLayout, LinesWrapCutTabAndAlignAsMeasured) {
    const struct {
        const wchar_t* markup;
        int width;
        DWORD align;
        const wchar_t* fragments;
    } cases[] = {
        // Wrapping after the last break character that fits; blanks stay at
        // a line's end and go at the head of a wrapped one.
        {L"aaa bbb ccc", 100, 0, L"aaa bbb @0,0,80,20|ccc@0,20,30,40"},
        {L"aaaa,bbbb,cc", 100, 0, L"aaaa,bbbb,@0,0,100,20|cc@0,20,20,40"},
        {L"  aa       bbbbbbbbb", 100, 0, L"  aa      @0,0,100,20|bbbbbbbbb@0,20,90,40"},
        // Words longer than a line are cut; a run moves its word down whole
        // when it fits a line; a line filled exactly wraps.
        {L"abcdefghijklmno", 100, 0, L"abcdefghij@0,0,100,20|klmno@0,20,50,40"},
        {L"aaaaaaa[i]bbbbb cc", 100, 0, L"aaaaaaa@0,0,70,20|bbbbb@0,20,50,40| cc@50,20,80,40"},
        {L"aaaaaaa[i]bbbbbbbbbbbb", 100, 0, L"aaaaaaa@0,0,70,20|bbb@70,0,100,20|bbbbbbbbb@0,20,90,40"},
        {L"aaaaaaaaaa[i]bb", 100, 0, L"aaaaaaaaaa@0,0,100,20|bb@0,20,20,40"},
        {L"[b]abc", 10, 0, L"a@0,0,12,24|b@0,24,12,48|c@0,48,12,72"},  // nothing fits: one per line
        {L"abc", 9, 0, L""},  // narrower than an average character
        // Tabs go to the next multiple of four average widths of the latest run.
        {L"a\tb\t\tc", 200, 0, L"a@0,0,10,20|b@40,0,50,20|c@120,0,130,20"},
        {L"aaaaaaaaa\tb", 100, 0, L"aaaaaaaaa@0,0,90,20|b@0,20,10,40"},
        {L"[b]a\tc", 200, 0, L"a@0,0,12,24|c@48,0,60,24"},
        // A line break is as high as the latest run.
        {L"a\n\nb[b]c\nd", 200, 0, L"a@0,0,10,20|b@0,40,10,60|c@10,40,22,64|d@0,64,12,88"},
        // Centre and right move each line, its fragments together.
        {L"aaaaaaaaaa", 301, UBBS_CENTER, L"aaaaaaaaaa@100,0,200,20"},
        {L"aaaaaaaaaa", 301, UBBS_CENTER | UBBS_RIGHT, L"aaaaaaaaaa@100,0,200,20"},
        {L"aaaaaaaaaa\nbb[b]cc", 301, UBBS_RIGHT, L"aaaaaaaaaa@201,0,301,20|bb@257,20,277,40|cc@277,20,301,44"},
        {L"\taa", 300, UBBS_RIGHT, L"aa@280,0,300,20"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.fragments, Laid(c.markup, c.width, c.align).str()) << testing::PrintToString(std::wstring(c.markup));
    EXPECT_EQ(L"aa@42,0,62,20", Laid(L"aa", 100, UBBS_CENTER, 2).str()) << "areas that do not start at 0";
    // The ideal height ends with the last text line, not a trailing break.
    const std::pair<const wchar_t*, int> heights[] = {{L"", 16}, {L"abc\n", 20}, {L"abc\ndef", 40}};
    for (const auto& h : heights)
        EXPECT_EQ(h.second, UbbTextHeight(Laid(h.first, 100).frags)) << testing::PrintToString(std::wstring(h.first));
}

TEST(UbbLayout, HitTestsAndTheKeyboardFindEachLinkOnce) {
    Laid l(L"ab[link=1]cd\nef[/link]", 200);
    UbbLink* link = l.at(1).link;
    EXPECT_EQ(link, UbbHitTest(l.frags, POINT{20, 0}));
    EXPECT_EQ(link, UbbHitTest(l.frags, POINT{5, 25}));  // its second line
    EXPECT_EQ(nullptr, UbbHitTest(l.frags, POINT{19, 5}));
    EXPECT_EQ(nullptr, UbbHitTest(l.frags, POINT{40, 5}));  // the right edge is outside
    Laid none(L"plain", 200);
    EXPECT_EQ(nullptr, UbbFirstLink(none.frags));
    EXPECT_EQ(nullptr, UbbNextLink(none.frags, nullptr));
    Laid k(L"[link=1]one\none[/link] x [link=2]two[/link] [link=3]three", 200);
    UbbLink* first = UbbFirstLink(k.frags);
    ASSERT_EQ(1, first->number);
    EXPECT_EQ(first, UbbNextLink(k.frags, nullptr));
    EXPECT_EQ(first, UbbPreviousLink(k.frags, first));
    UbbLink* second = UbbNextLink(k.frags, first);  // a link over two lines is one stop
    EXPECT_EQ(2, second->number);
    UbbLink* third = UbbNextLink(k.frags, second);
    EXPECT_EQ(3, third->number);
    EXPECT_EQ(third, UbbNextLink(k.frags, third));
    EXPECT_EQ(second, UbbPreviousLink(k.frags, third));
}

// With the platform's font: lines never run past the width and no character
// but wrapped-away blanks is lost.
TEST(UbbLayout, RealFontsKeepLinesInsideTheWidth) {
    UbbFonts fonts = {};
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    UbbFontsSet(&fonts, lf.lfFaceName, lf.lfHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = GetCurrentObject(dc, OBJ_FONT);
    UbbGdiMeasure gdi = {dc, &fonts};
    UbbMeasurer m = UbbGdiMeasurer(&gdi);
    const wchar_t text[] = L"Welcome to Tovara2. No modules are loaded. [link=1]Click here to configure plugins[/link], "
                           L"[b]bold words[/b] and [i]italic ones[/i] with averyveryverylongwordthatfitsnoline.";
    auto noSpaces = [](std::wstring s) {
        s.erase(std::remove(s.begin(), s.end(), L' '), s.end());
        return s;
    };
    for (int width : {60, 150, 333}) {
        Laid l(text, width, 0, 0, &m);
        std::wstring seen, all;
        for (UINT i = 0; i < l.frags->count; i++) {
            EXPECT_LE(l.at(i).rect.right, width) << width;
            seen.append(l.at(i).text, l.at(i).length);
        }
        for (UINT i = 0; i < l.runs->count; i++) {
            const UbbRun* r = static_cast<UbbRun*>(l.runs->items[i]);
            if (r->kind == UBB_RUN_TEXT) all.append(r->text, r->length);
        }
        EXPECT_EQ(noSpaces(all), noSpaces(seen)) << width;
        EXPECT_GT(l.frags->count, 3u);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    UbbFontsClear(&fonts);
}
