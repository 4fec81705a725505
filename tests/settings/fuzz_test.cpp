// Bounded, deterministic fuzzing: documents and settings files mutated by a
// fixed-seed generator. Every input ends in a document or a result code,
// returns every heap block, and what is written reads back.
#include <cstdint>
#include <set>

#include "settings/settings_tree.h"
#include "settings/xml_internal.h"
#include "settings_test_util.h"

namespace {
struct Rng {  // xorshift32: the same inputs on every run and platform
    uint32_t state;
    uint32_t Below(uint32_t n) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return n ? state % n : 0;
    }
};

const wchar_t* const kCorpus[] = {
    L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Work</default>\r\n\t<profile name=\"Default\">\r\n"
    L"\t\t<setting name=\"_language\" type=\"num\">-1033</setting>\r\n\t\t<node name=\"Example.dll\">\r\n"
    L"\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n\t\t</node>\r\n\t</profile>\r\n"
    L"\t<profile name=\"Work\" />\r\n</Tovara2>\r\n",
    L"<?xml version='1.0' encoding=\"UTF-16\" standalone='no'?><!-- c --><?pi data?><r a=\"&amp;&lt;&gt;\">"
    L"text<![CDATA[<raw>]]><!--in--><?p?><e/>&quot;&apos;&#65;</r><!--after-->",
    L"<?xml version='1.0'?><a><profile name='p'><setting name='s' type='string'>&amp;&lt;&quot;x</setting>"
    L"<node name='n'><node name='m'><setting name='k'>v</setting></node></node></profile></a>",
    L"<?xml version=\"1.0\"?><r><profile name=\"x\"><node name=\"\"><setting name=\"a\" type=\"none\">1</setting>"
    L"</node><node><setting/></node></profile><profile name=\"X\"/><default>x</default></r>",
    L"<?xml version=\"1.0\"?><R></r>",
    L"<?xml version=\"1.0\"?><r>\u00E9\u4E2D\U0001F600<\u00E9l\u00E9ment \u00E9=\"\u00E9\"/>  lots   of\twhite</r>",
    L"<?xml version=\"1.0\"?>",
};
const wchar_t* const kSnippets[] = {
    L"<", L">", L"/>", L"</", L"</node>", L"<node name=\"q\">", L"<setting name=\"z\" type=\"num\">", L"&amp;",
    L"&", L"\"", L"'", L"<profile name=\"P\">", L"</profile>", L"<default>P</default>", L"<!--", L"-->",
    L"<![CDATA[", L"]]>", L"\r\n", L"\xFEFF", L"\xD800", L"<n><n><n><n><n><n><n><n>", L"--",
};

std::wstring Mutate(std::wstring s, Rng& r) {
    for (int steps = 1 + r.Below(4); steps > 0; steps--) {
        size_t at = r.Below(static_cast<uint32_t>(s.size() + 1));
        switch (r.Below(5)) {
        case 0: s.insert(at, kSnippets[r.Below(sizeof(kSnippets) / sizeof(kSnippets[0]))]); break;
        case 1: s.erase(at, r.Below(16)); break;
        case 2:
            if (at < s.size()) s[at] = static_cast<wchar_t>(r.Below(2) ? 1 + r.Below(127) : 1 + r.Below(0xFFFF));
            break;
        case 3:
            if (at < s.size()) s.insert(at, s.substr(at, r.Below(64)));
            break;
        default: s.resize(at);
        }
    }
    return s;
}

// One text through parse, write and parse again; returns the result code.
int Exercise(const std::wstring& text) {
    XmlDocument* d = XmlParseText(text.c_str());
    int code = XmlGetLastError();
    if (!d) {
        EXPECT_TRUE(code == XML_ERR_SYNTAX || code == XML_ERR_MARKUP || code == XML_ERR_END_TAG) << code;
        return code;
    }
    std::wstring written = WrittenText(d);
    XmlDocument* again = XmlParseText(written.c_str());
    // Only a comment holding "--" (written unchanged) may fail to read back.
    if (!again) EXPECT_EQ(XML_ERR_MARKUP, XmlGetLastError()) << "the rewrite failed to parse";
    XmlFreeNode(again);
    XmlFreeNode(d);
    return code;
}
// Every field of a tree, in order (attributes and processing instructions
// share one layout of two strings).
std::wstring Dump(XmlNode* n) {
    if (!n) return L"-";
    std::wstring s = std::to_wstring(n->type) + L"(";
    auto str = [&](const WCHAR* t) { s += t ? t : L"\x1", s += L'|'; };
    auto list = [&](PtrArray* l) {
        for (UINT i = 0; l && i < l->count; i++) s += Dump(static_cast<XmlNode*>(l->items[i]));
        s += L';';
    };
    if (n->type == XML_DOCUMENT) {
        XmlDocument* d = static_cast<XmlDocument*>(n);
        str(d->version), str(d->encoding), s += std::to_wstring(d->standalone), list(d->misc), s += Dump(d->root);
    } else if (n->type == XML_ELEMENT) {
        XmlElement* e = static_cast<XmlElement*>(n);
        str(e->name), list(e->attributes), list(e->children);
    } else if (n->type == XML_ATTRIBUTE || n->type == XML_PI) {
        str(static_cast<XmlPi*>(n)->target), str(static_cast<XmlPi*>(n)->data);
    } else {
        str(static_cast<XmlText*>(n)->text);
    }
    return s + L")";
}

// The settings store reads its file into an arena-owned document: the very
// tree, or the very error, that XmlParseText gives.
void ExpectArenaParseSame(const std::wstring& text) {
    XmlDocument* heap = XmlParseText(text.c_str());
    int code = XmlGetLastError();
    XmlArena arena;
    XmlArenaInit(&arena);
    XmlDocument* inArena = XmlParseTextIn(text.c_str(), &arena);
    EXPECT_EQ(code, XmlGetLastError());
    EXPECT_EQ(Dump(heap), Dump(inArena));
    XmlArenaFree(&arena);
    XmlFreeNode(heap);
}
}  // namespace

TEST_F(XmlTest, MutatedDocumentsNeverCrashOrLeak) {
    Rng rng{0x7A3C91E5u};
    std::set<int> codes;
    for (int round = 0; round < 3000 && !HasFailure(); round++) {
        std::wstring text = Mutate(kCorpus[rng.Below(sizeof(kCorpus) / sizeof(kCorpus[0]))], rng);
        codes.insert(Exercise(text));
        ExpectArenaParseSame(text);
    }
    // Lists outgrow the slots inside an element's own block.
    std::wstring wide = XML_DECL L"<r";
    for (int i = 0; i < 40; i++) wide += L" a" + std::to_wstring(i) + L"='v'";
    wide += L">";
    for (int i = 0; i < 40; i++) wide += L"<e/>t";
    ExpectArenaParseSame(wide + L"</r>");
    EXPECT_EQ(XML_OK, Exercise(wide + L"</r>"));
    Doc d(wide + L"</r>");
    for (int i = 0; i < 40; i++) XmlAppendChild(d.root(), XmlCreateNode(XML_COMMENT)), XmlRemoveChild(d.root(), 0);
    EXPECT_EQ(80u, XmlGetChildCount(d.root()));
    Doc small(XML_DECL L"<r a='1' b='2'><e/>t</r>");
    for (int i = 0; i < 12; i++) i < 6 ? XmlAddAttribute(small.root(), L"c", L"3") : XmlRemoveAttribute(small.root(), 0);
    for (int i = 0; i < 5; i++) i < 2 ? XmlRemoveChild(small.root(), 0) : XmlAppendChild(small.root(), XmlCreateNode(XML_TEXT));
    EXPECT_EQ(2u, XmlGetAttributeCount(small.root()));
    EXPECT_EQ(3u, XmlGetChildCount(small.root()));
    EXPECT_EQ((std::set<int>{XML_OK, XML_ERR_SYNTAX, XML_ERR_MARKUP, XML_ERR_END_TAG}), codes)
        << "the generator reaches success and every parse error";
}

TEST_F(XmlTest, HugeNestingIsParsedWrittenAndFreedWithoutRecursion) {
    const int depth = 300000;
    std::wstring open, close;
    for (int i = 0; i < depth; i++) open += L"<a>", close += L"</a>";
    EXPECT_EQ(XML_OK, Exercise(XML_DECL + open + L"x" + close));
    Doc d(XML_DECL + open + L"x" + close);
    XmlElement* e = d.root();
    int levels = 1;
    for (; ChildElement(e, 0); levels++) e = ChildElement(e, 0);
    EXPECT_EQ(depth, levels);
    EXPECT_STREQ(L"x", XmlGetText(e));
    EXPECT_EQ(XML_ERR_SYNTAX, Exercise(XML_DECL + open));
    EXPECT_EQ(XML_ERR_END_TAG, Exercise(XML_DECL + open + L"</b>" + close));
}

TEST(SettingsFuzz, MutatedFilesOpenAndSaveIntoReadableFiles) {
    ScratchFolder scratch;
    const std::wstring file = scratch.File();
    Rng r{20240611u};
    LONG before = MemLiveBlocks();
    int keptCopies = 0;
    const int rounds = 300;
    for (int round = 0; round < rounds; round++) {
        std::wstring text = kCorpus[r.Below(sizeof(kCorpus) / sizeof(kCorpus[0]))];
        if (round % 10) text = Mutate(text, r);
        WriteBytes(file, (r.Below(4) ? "\xFF\xFE" : "") + Utf16(text) + (r.Below(20) ? "" : "x"));
        ASSERT_EQ(0, SettingsOpenFile(file.c_str(), L"Tovara2")) << "round " << round;
        for (int i = 0; i < 4; i++) {
            static const wchar_t* const paths[] = {L"_language", L"Example.dll/_loaded", L"a/b/c", L"q/"};
            const wchar_t* path = paths[r.Below(4)];
            switch (r.Below(4)) {
            case 0: SettingsSetNumber(path, r.Below(0xFFFFFFFF)); break;
            case 1: SettingsSetString(path, L"v<&>\"'  x"); break;
            case 2: SettingsDelete(path); break;
            default: ProfileCreate(L"Fuzz"), ProfileSelect(r.Below(3));
            }
        }
        ASSERT_EQ(0, SettingsClose()) << "round " << round;
        for (const std::wstring& name : scratch.List())
            if (name != L"Settings.xml") keptCopies++, DeleteFileW(scratch.File(name.c_str()).c_str());
        // What the store wrote opens without a kept copy and comes out again
        // byte for byte after the losses of the first pass.
        ASSERT_EQ(0, SettingsOpenFile(file.c_str(), L"Tovara2"));
        ASSERT_EQ(0, SettingsClose());
        std::string second = ReadBytes(file);
        ASSERT_EQ(0, SettingsOpenFile(file.c_str(), L"Tovara2"));
        ASSERT_EQ(0, SettingsClose());
        ASSERT_EQ(second, ReadBytes(file)) << "round " << round;
        // The store writes straight from its profiles; the XML writer gives
        // the very same bytes for the document read back.
        XmlDocument* document = XmlLoadFile(file.c_str());
        ASSERT_NE(nullptr, document);
        ASSERT_EQ(second, WrittenBytes(document)) << "round " << round;
        XmlFreeNode(document);
        ASSERT_EQ(std::vector<std::wstring>{L"Settings.xml"}, scratch.List()) << "round " << round;
        ASSERT_EQ(before, MemLiveBlocks()) << "round " << round;
    }
    EXPECT_GT(keptCopies, rounds / 20) << "the run exercised unreadable files";
    EXPECT_LT(keptCopies, rounds) << "and readable ones";
}

TEST(SettingsFuzz, NameOrderIsThePlatformsOrder) {
    const wchar_t kUnits[] = L"0159aAcChH-'_.\u00E9\u0301";
    Rng r{77u};
    for (int round = 0; round < 20000; round++) {
        std::wstring a, b;
        for (int n = r.Below(6); n > 0; n--) a += kUnits[r.Below(16)];
        b = a;  // a shared start, then tails that often begin with digits
        for (int n = r.Below(4); n > 0; n--) a += kUnits[r.Below(16)];
        for (int n = r.Below(4); n > 0; n--) b += kUnits[r.Below(16)];
        int platform = lstrcmpiW(a.c_str(), b.c_str()), ours = SettingsNameOrder(a.c_str(), b.c_str());
        ASSERT_EQ((platform > 0) - (platform < 0), (ours > 0) - (ours < 0)) << "round " << round;
    }
}
