// Bounded, deterministic fuzzing of the parser and writer: valid and broken
// documents mutated by a fixed-seed generator. Every input must end in a
// document or a result code, return every heap block, and every document
// must survive being written and parsed again.
#include <cstdint>
#include <set>

#include "xml_test_util.h"

namespace {

const wchar_t* kCorpus[] = {
    L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n\t<profile name=\"Default\">\r\n"
    L"\t\t<setting name=\"_language\" type=\"num\">1033</setting>\r\n\t\t<node name=\"Example.dll\">\r\n"
    L"\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n\t\t</node>\r\n\t</profile>\r\n"
    L"\t<profile name=\"Work\" />\r\n</Tovara2>\r\n",
    L"<?xml version='1.0' encoding=\"UTF-16\" standalone='no'?><!-- c --><?pi data?><r a=\"&amp;&lt;&gt;\">"
    L"text<![CDATA[<raw>]]><!--in--><?p?><e/>&quot;&apos;&#65;</r><!--after-->",
    L"<?XML version=\"1\"?><a><b><c><d x='1' y=\"2\">deep</d></c></b></a>",
    L"<?xml version=\"1.0\"?><r>  lots   of\t\twhite\r\nspace  </r>",
    L"<?xml version=\"1.0\"?><R></r>",
    L"<?xml version=\"1.0\"?><r a=\"<\"/>",
    L"<?xml version=\"1.0\"?><r><!-- a -- b --></r>",
    L"<?xml version=\"1.0\"?><r><![CDATA[x</r>",
    L"<?xml version=\"1.0\"?><r>\u00E9\u4E2D\U0001F600<\u00E9l\u00E9ment \u00E9=\"\u00E9\"/></r>",
    L"<?xml version=\"1.0\"?><!DOCTYPE r><r/>",
};

// xorshift32: the same inputs on every run and every platform.
struct Rng {
    uint32_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

std::wstring Mutate(std::wstring s, Rng& rng) {
    static const wchar_t kInsert[] = L"<>&\"'/=!?-[]; \t\r\nx\u00E9";
    int steps = 1 + rng.Below(4);
    for (int i = 0; i < steps; i++) {
        size_t at = s.empty() ? 0 : rng.Below(static_cast<uint32_t>(s.size()));
        switch (rng.Below(7)) {
        case 0:  // flip bits of one code unit (never to the terminator)
            if (!s.empty()) {
                wchar_t c = static_cast<wchar_t>(s[at] ^ (1u << rng.Below(16)));
                s[at] = c ? c : L'x';
            }
            break;
        case 1: s.resize(at); break;
        case 2: s.insert(at, 1, kInsert[rng.Below(sizeof(kInsert) / sizeof(wchar_t) - 1)]); break;
        case 3:
            if (!s.empty()) s.erase(at, 1 + rng.Below(8));
            break;
        case 4: {  // duplicate a slice
            size_t len = 1 + rng.Below(32);
            s.insert(at, s.substr(at, len));
            break;
        }
        case 5: {  // nest a few levels at a random place
            int levels = 1 + rng.Below(50);
            std::wstring open, close;
            for (int k = 0; k < levels; k++) open += L"<n>", close += L"</n>";
            s.insert(at, rng.Below(2) ? open + close : open);
            break;
        }
        case 6: {  // a predefined or broken entity
            static const wchar_t* kEntities[] = {L"&amp;", L"&LT;", L"&quot", L"&#x41;", L"&", L"]]>", L"--"};
            s.insert(at, kEntities[rng.Below(7)]);
            break;
        }
        }
    }
    return s;
}

// One input through parse, write and parse again; returns the result code.
int Exercise(const std::wstring& text) {
    LONG live = MemLiveBlocks();
    XmlDocument* d = XmlParseText(text.c_str());
    int code = XmlGetLastError();
    if (d) {
        EXPECT_EQ(XML_OK, code);
        std::wstring written = WrittenText(d);
        XmlDocument* again = XmlParseText(written.c_str());
        // Only a comment holding "--" (written unchanged) may fail to read back.
        if (!again) EXPECT_EQ(XML_ERR_MARKUP, XmlGetLastError()) << "rewrite of input failed to parse";
        XmlFreeNode(again);
        XmlFreeNode(d);
    } else {
        EXPECT_TRUE(code == XML_ERR_SYNTAX || code == XML_ERR_MARKUP || code == XML_ERR_END_TAG) << code;
    }
    EXPECT_EQ(live, MemLiveBlocks());
    return code;
}

TEST_F(XmlTest, MutatedDocumentsNeverCrashOrLeak) {
    Rng rng{0x7A3C91E5u};
    std::set<int> codes;
    int inputs = 0;
    for (const wchar_t* doc : kCorpus) {
        codes.insert(Exercise(doc));
        inputs++;
    }
    for (int round = 0; round < 4000; round++) {
        std::wstring base = kCorpus[rng.Below(sizeof(kCorpus) / sizeof(kCorpus[0]))];
        codes.insert(Exercise(Mutate(base, rng)));
        inputs++;
        if (HasFailure()) break;
    }
    // The generator reaches success and every parse error.
    EXPECT_TRUE(codes.count(XML_OK) && codes.count(XML_ERR_SYNTAX) && codes.count(XML_ERR_MARKUP) &&
                codes.count(XML_ERR_END_TAG));
    EXPECT_GT(inputs, 4000);
}

TEST_F(XmlTest, HugeNestingEndsInADocumentOrAnError) {
    const int depth = 300000;
    std::wstring open, close;
    open.reserve(depth * 3);
    close.reserve(depth * 4);
    for (int i = 0; i < depth; i++) open += L"<a>", close += L"</a>";
    std::wstring decl = kDecl;
    EXPECT_EQ(XML_OK, Exercise(decl + open + close));
    EXPECT_EQ(XML_ERR_SYNTAX, Exercise(decl + open));
    EXPECT_EQ(XML_ERR_END_TAG, Exercise(decl + open + L"</b>" + close));
    std::wstring attrs;
    for (int i = 0; i < depth / 10; i++) attrs += L"<a x='1'>";
    EXPECT_EQ(XML_ERR_MARKUP, Exercise(decl + attrs + L"<!--"));
}

}  // namespace
