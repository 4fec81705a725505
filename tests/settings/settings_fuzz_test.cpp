// Mutated settings files, valid and not: the store opens each, works on it
// and saves into a scratch folder without crashing, leaking or writing a file
// it cannot read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/runtime/memory.h"
#include "settings/settings_store.h"
#include "settings/xml.h"
#include "settings_scratch.h"

using namespace settings_test;

namespace {
const int kRounds = 2000;

struct Random {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

const wchar_t* const kCorpus[] = {
    L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Work</default>\r\n\t<profile name=\"Default\">\r\n"
    L"\t\t<setting name=\"_alignment\" type=\"string\">left</setting>\r\n"
    L"\t\t<setting name=\"_language\" type=\"num\">-1033</setting>\r\n"
    L"\t\t<node name=\"Example.dll\">\r\n\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n"
    L"\t\t\t<node name=\"Example\">\r\n\t\t\t\t<setting name=\"color\" type=\"num\">255</setting>\r\n"
    L"\t\t\t</node>\r\n\t\t</node>\r\n\t</profile>\r\n\t<profile name=\"Work\" />\r\n</Tovara2>\r\n",
    L"<?xml version='1.0'?><a><profile name='p'><setting name='s' type='string'>&amp;&lt;&quot;x</setting>"
    L"<node name='n'><node name='m'><setting name='k'>v</setting></node></node></profile></a>",
    L"<?xml version=\"1.0\"?><r><default/><profile name=\"x\"><setting name=\"a\" type=\"none\">1</setting>"
    L"<![CDATA[<raw>]]><!-- c --><?pi data?></profile></r>",
    L"<?xml version=\"1.0\"?><r><profile name=\"x\"><node name=\"\"><setting name=\"a\" type=\"num\">1</setting>"
    L"</node><node><setting/></node></profile><profile name=\"X\"/><default>x</default></r>",
    L"<?xml version=\"1.0\"?><r><profile name=\"x\"><setting name=\"a\" type=\"num\">1</profile></r>",  // bad end tag
    L"<?xml version=\"1.0\"?>",
    L"",
};

const wchar_t* const kSnippets[] = {
    L"<", L">", L"/>", L"</", L"</node>", L"<node name=\"q\">", L"<setting name=\"z\" type=\"num\">",
    L"</setting>", L"name=\"", L"type=\"bool\"", L"&amp;", L"&", L"\"", L"'", L"-", L"4294967295",
    L"<profile name=\"P\">", L"</profile>", L"<default>P</default>", L"<!--", L"-->", L"<![CDATA[", L"]]>",
    L"\t", L"\r\n", L" ", L"/", L"\xFEFF", L"\xD800", L"\x00A0",
};

std::wstring Mutate(std::wstring text, Random& r) {
    int steps = 1 + static_cast<int>(r.Below(4));
    for (int i = 0; i < steps; i++) {
        size_t at = r.Below(static_cast<uint32_t>(text.size() + 1));
        switch (r.Below(6)) {
        case 0:  // insert a snippet
            text.insert(at, kSnippets[r.Below(sizeof(kSnippets) / sizeof(kSnippets[0]))]);
            break;
        case 1:  // delete a range
            text.erase(at, r.Below(16));
            break;
        case 2:  // change one unit
            if (at < text.size()) text[at] = static_cast<wchar_t>(r.Below(2) ? r.Below(128) : r.Below(0x10000));
            break;
        case 3:  // duplicate a range
            if (at < text.size()) text.insert(at, text.substr(at, r.Below(64)));
            break;
        case 4:  // cut the end
            text.resize(at);
            break;
        default:  // swap two units
            if (!text.empty()) std::swap(text[at % text.size()], text[r.Below(static_cast<uint32_t>(text.size()))]);
        }
    }
    return text;
}

std::string Bytes(const std::wstring& text, Random& r) {
    std::string bytes;
    if (r.Below(4) != 0) bytes.append("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    if (r.Below(20) == 0) bytes.push_back('x');  // odd length
    return bytes;
}

void WorkOnTheStore(Random& r) {
    static const wchar_t* const paths[] = {L"_language", L"Example.dll/_loaded", L"a/b/c", L"s", L"n/m/k", L"q/"};
    for (int i = 0; i < 4; i++) {
        const wchar_t* path = paths[r.Below(6)];
        DWORD v = 0;
        WCHAR* s = nullptr;
        SettingsGetNumber(path, &v);
        if (SettingsGetString(path, &s) == 0 && s) MemFree(s);
        switch (r.Below(4)) {
        case 0: SettingsSetNumber(path, r.Next()); break;
        case 1: SettingsSetString(path, L"v<&>\"'  x"); break;
        case 2: SettingsDelete(path); break;
        default: ProfileCreate(L"Fuzz"); ProfileSelect(r.Below(3)); break;
        }
    }
}
}  // namespace

TEST(SettingsFuzz, MutatedFilesOpenAndSaveIntoReadableFiles) {
    ScratchFolder scratch;
    const std::wstring file = scratch.File();
    Random r{20240611u};
    LONG before = MemLiveBlocks();
    int keptCopies = 0;
    for (int round = 0; round < kRounds; round++) {
        std::wstring text = kCorpus[r.Below(sizeof(kCorpus) / sizeof(kCorpus[0]))];
        if (round % 10 != 0) text = Mutate(text, r);
        WriteBytes(file, Bytes(text, r));
        ASSERT_EQ(0, SettingsOpenFile(file.c_str(), L"Tovara2")) << "round " << round;
        WorkOnTheStore(r);
        ASSERT_EQ(0, SettingsClose()) << "round " << round;
        ASSERT_EQ(before, MemLiveBlocks()) << "round " << round;

        // What the store wrote opens as a settings file (no copy is kept
        // this time) and comes out again byte for byte after the losses of
        // the first pass.
        std::vector<std::wstring> names = scratch.List();
        for (const std::wstring& name : names)
            if (name != L"Settings.xml") {
                keptCopies++;
                DeleteFileW(scratch.File(name.c_str()).c_str());
            }
        ASSERT_EQ(0, SettingsOpenFile(file.c_str(), L"Tovara2"));
        ASSERT_EQ(0, SettingsClose());
        std::string second = ReadBytes(file);
        ASSERT_EQ(std::vector<std::wstring>{L"Settings.xml"}, scratch.List()) << "round " << round;
        ASSERT_EQ(0, SettingsOpenFile(file.c_str(), L"Tovara2"));
        ASSERT_EQ(0, SettingsClose());
        ASSERT_EQ(second, ReadBytes(file)) << "round " << round;
        // The store writes straight from its profiles; the XML writer must
        // give the very same bytes for the document read back.
        XmlDocument* document = XmlLoadFile(file.c_str());
        ASSERT_NE(nullptr, document);
        const std::wstring rewritten = scratch.File(L"rewritten.xml");
        HANDLE out = CreateFileW(rewritten.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        XmlWriteDocument(document, out);
        CloseHandle(out);
        XmlFreeNode(document);
        ASSERT_EQ(second, ReadBytes(rewritten)) << "round " << round;
        DeleteFileW(rewritten.c_str());
        ASSERT_EQ(before, MemLiveBlocks());
    }
    // The corpus holds both kinds; make sure the run exercised both.
    EXPECT_GT(keptCopies, kRounds / 20);
    EXPECT_LT(keptCopies, kRounds);
}
