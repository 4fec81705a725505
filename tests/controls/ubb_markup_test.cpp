#include <gtest/gtest.h>

#include <string>

#include "controls/ubb_markup.h"
#include "core/runtime/memory.h"

namespace {

struct Parsed {
    PtrArray* runs = PtrArrayCreate();
    explicit Parsed(const wchar_t* markup) { UbbParse(runs, markup); }
    ~Parsed() {
        UbbFreeRuns(runs);
        PtrArrayDestroy(runs);
    }
    UINT count() const { return runs->count; }
    const UbbRun& operator[](UINT i) const { return *static_cast<UbbRun*>(runs->items[i]); }
    // The non-empty text runs, which are what the reader sees.
    std::vector<const UbbRun*> texts() const {
        std::vector<const UbbRun*> out;
        for (UINT i = 0; i < count(); i++)
            if ((*this)[i].kind == UBB_RUN_TEXT && (*this)[i].length > 0) out.push_back(&(*this)[i]);
        return out;
    }
};

std::wstring Text(const UbbRun* r) { return std::wstring(r->text, r->length); }

}  // namespace

TEST(UbbMarkup, TagsIgnoreCase) {
    Parsed p(L"[B]bold[/B] [I]it[/i] [u]un[/U] [S]st[/s] [LiNk=3]go[/LINK]");
    auto t = p.texts();
    ASSERT_EQ(9u, t.size());
    EXPECT_EQ(L"bold", Text(t[0]));
    EXPECT_EQ(UBB_BOLD, t[0]->style);
    EXPECT_EQ(0, t[1]->style);
    EXPECT_EQ(UBB_ITALIC, t[2]->style);
    EXPECT_EQ(UBB_UNDERLINE, t[4]->style);
    EXPECT_EQ(UBB_STRIKE, t[6]->style);
    EXPECT_EQ(UBB_LINK, t[8]->style);
    ASSERT_NE(nullptr, t[8]->link);
    EXPECT_EQ(3, t[8]->link->number);
}

TEST(UbbMarkup, StyleTagsAreFlagsNotAStack) {
    {
        Parsed p(L"[b]a[b]b[/b]c");
        auto t = p.texts();
        ASSERT_EQ(3u, t.size());
        EXPECT_EQ(UBB_BOLD, t[0]->style);
        EXPECT_EQ(UBB_BOLD, t[1]->style);
        EXPECT_EQ(0, t[2]->style);
    }
    {
        Parsed p(L"[/i]x[b]y[i]z[/b]w[/i]v");  // a stray close, overlapping tags
        auto t = p.texts();
        ASSERT_EQ(5u, t.size());
        EXPECT_EQ(0, t[0]->style);
        EXPECT_EQ(UBB_BOLD, t[1]->style);
        EXPECT_EQ(UBB_BOLD | UBB_ITALIC, t[2]->style);
        EXPECT_EQ(UBB_ITALIC, t[3]->style);
        EXPECT_EQ(0, t[4]->style);
    }
    {
        Parsed p(L"[link=1]a[link=2]b[/link]c");  // a new link starts the next one
        auto t = p.texts();
        ASSERT_EQ(3u, t.size());
        ASSERT_TRUE(t[0]->link && t[1]->link);
        EXPECT_NE(t[0]->link, t[1]->link);
        EXPECT_EQ(2, t[1]->link->number);
        EXPECT_EQ(nullptr, t[2]->link);
        EXPECT_EQ(0, t[2]->style);
    }
}

TEST(UbbMarkup, LinkTargetsAreNumbersOnlyWhenMinusSignsThenDigits) {
    struct Case {
        const wchar_t* markup;
        WORD kind;
        LONG number;
        const wchar_t* target;
    } cases[] = {
        {L"[link=12]Help", UBB_LINK_NUMBER, 12, nullptr},
        {L"[link=-1]x", UBB_LINK_NUMBER, -1, nullptr},
        {L"[link=--7]x", UBB_LINK_NUMBER, 7, nullptr},
        {L"[link=]x", UBB_LINK_NUMBER, 0, nullptr},
        {L"[link=-]x", UBB_LINK_NUMBER, 0, nullptr},
        {L"[link=1a]x", UBB_LINK_TARGET, 0, L"1a"},
        {L"[link=1-]x", UBB_LINK_TARGET, 0, L"1-"},
        {L"[link=C:\\readme.txt]x", UBB_LINK_TARGET, 0, L"C:\\readme.txt"},
        {L"[link=http://example.org/?a=[b]x", UBB_LINK_TARGET, 0, L"http://example.org/?a=[b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        Parsed p(c.markup);
        auto t = p.texts();
        ASSERT_EQ(1u, t.size());
        ASSERT_NE(nullptr, t[0]->link);
        EXPECT_EQ(c.kind, t[0]->link->kind);
        if (c.kind == UBB_LINK_NUMBER) {
            EXPECT_EQ(c.number, t[0]->link->number);
            EXPECT_EQ(nullptr, t[0]->link->target);
        } else {
            EXPECT_STREQ(c.target, t[0]->link->target);
        }
    }
}

TEST(UbbMarkup, LinkTargetsAreCutTo255Characters) {
    std::wstring longName(300, L'a');
    Parsed p((L"[link=" + longName + L"]x").c_str());
    ASSERT_EQ(1u, p.texts().size());
    EXPECT_EQ(std::wstring(255, L'a'), p.texts()[0]->link->target);

    std::wstring digits(300, L'1');
    Parsed n((L"[link=" + digits + L"]x").c_str());
    EXPECT_EQ(UBB_LINK_NUMBER, n.texts()[0]->link->kind);

    // Without its "]" the tag takes the rest of the text as its target.
    Parsed open((L"see [link=" + longName).c_str());
    ASSERT_EQ(2u, open.count());
    EXPECT_EQ(L"see ", Text(&open[0]));
    EXPECT_EQ(0, open[1].length);
    EXPECT_EQ(std::wstring(255, L'a'), open[1].link->target);
}

TEST(UbbMarkup, UnknownAndIncompleteTagsAreShownLiterally) {
    const wchar_t* cases[] = {L"[x]y[url=z]w", L"a[b", L"a[/lin", L"[[b", L"[link", L"[ b]"};
    for (const wchar_t* c : cases) {
        SCOPED_TRACE(c);
        Parsed p(c);
        ASSERT_EQ(1u, p.count());
        EXPECT_EQ(c, Text(&p[0]));
        EXPECT_EQ(0, p[0].style);
    }
    Parsed p(L"[[b]x");  // only the second bracket starts a tag
    auto t = p.texts();
    ASSERT_EQ(2u, t.size());
    EXPECT_EQ(L"[", Text(t[0]));
    EXPECT_EQ(L"x", Text(t[1]));
    EXPECT_EQ(UBB_BOLD, t[1]->style);
}

TEST(UbbMarkup, LineFeedsAndTabsAreRunsOfTheirOwnAndCarryNoLink) {
    Parsed p(L"[link=4][b]a\nb\tc\r[/link]");
    // a, break, b, tab, "c\r", then the empty run after [/link]
    ASSERT_EQ(6u, p.count());
    EXPECT_EQ(UBB_RUN_TEXT, p[0].kind);
    EXPECT_EQ(UBB_RUN_BREAK, p[1].kind);
    EXPECT_EQ(UBB_RUN_TAB, p[3].kind);
    EXPECT_EQ(L"c\r", Text(&p[4]));
    EXPECT_EQ(nullptr, p[1].link);
    EXPECT_EQ(0, p[1].style);
    EXPECT_EQ(nullptr, p[3].link);
    // Style and link go on across the break: one link record throughout.
    EXPECT_EQ(UBB_BOLD | UBB_LINK, p[2].style);
    EXPECT_EQ(p[0].link, p[2].link);
    EXPECT_EQ(p[0].link, p[4].link);
    EXPECT_EQ(nullptr, p[5].link);
}

TEST(UbbMarkup, EmptyOrMissingMarkupGivesNoRuns) {
    EXPECT_EQ(0u, Parsed(L"").count());
    EXPECT_EQ(0u, Parsed(nullptr).count());
}

TEST(UbbMarkup, ParsingAndFreeingReturnsEveryBlock) {
    LONG before = MemLiveBlocks();
    const wchar_t* cases[] = {
        L"[link=1][link=2]x",  // a link no run took up
        L"[link=1][/link]",     L"[link=a]x\ny\tz[link=b]w[/link]", L"[link=abc", L"[b]a[/b]\n\n",
    };
    PtrArray* runs = PtrArrayCreate();
    for (const wchar_t* c : cases) UbbParse(runs, c);  // each parse frees the previous runs
    UbbFreeRuns(runs);
    PtrArrayDestroy(runs);
    EXPECT_EQ(before, MemLiveBlocks());
}
