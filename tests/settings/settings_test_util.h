#pragma once
// What the XML and settings tests share: fixtures that prove every heap block
// came back, a scratch folder per test, and the bytes of files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/runtime/memory.h"
#include "settings/settings_store.h"
#include "settings/xml.h"
#include "support/program_run.h"

#define XML_DECL L"<?xml version=\"1.0\"?>"

class XmlTest : public ::testing::Test {
protected:
    void SetUp() override { live_ = MemLiveBlocks(); }
    void TearDown() override { EXPECT_EQ(live_, MemLiveBlocks()) << "heap blocks leaked"; }
    LONG live_ = 0;
};

// Owns a parsed document for the length of a test.
struct Doc {
    XmlDocument* doc;
    explicit Doc(const std::wstring& text) : doc(XmlParseText(text.c_str())) {}
    ~Doc() { XmlFreeNode(doc); }
    XmlElement* root() const { return XmlGetRoot(doc); }
};

inline XmlElement* ChildElement(XmlElement* e, UINT i) {
    XmlNode* n = XmlGetChild(e, i);
    return n && n->type == XML_ELEMENT ? static_cast<XmlElement*>(n) : nullptr;
}
inline const wchar_t* ChildText(XmlElement* e, UINT i) {
    XmlNode* n = XmlGetChild(e, i);
    return n && n->type == XML_TEXT ? static_cast<XmlText*>(n)->text : nullptr;
}

// A folder of its own under %TEMP%, removed with everything in it.
struct ScratchFolder {
    std::wstring folder = tv2test::MakeTempFolder(L"tv2store");
    ~ScratchFolder() { tv2test::RemoveTree(folder); }
    std::wstring File(const wchar_t* name = L"Settings.xml") const { return folder + L"\\" + name; }
    std::vector<std::wstring> List() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do
            if (fd.cFileName[0] != L'.') names.push_back(fd.cFileName);
        while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
};

inline std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}
inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}
inline std::string Utf16(const std::wstring& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2); }
inline std::wstring Units(const std::string& b) {
    return std::wstring(reinterpret_cast<const wchar_t*>(b.data()), b.size() / 2);
}

// What XmlWriteDocument puts in a fresh file for node.
inline std::string WrittenBytes(XmlNode* node) {
    ScratchFolder scratch;
    HANDLE h = CreateFileW(scratch.File().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    XmlWriteDocument(node, h);
    CloseHandle(h);
    return ReadBytes(scratch.File());
}
// The same as text, without the byte-order mark (which must be there).
inline std::wstring WrittenText(XmlNode* node) {
    std::wstring units = Units(WrittenBytes(node));
    if (units.empty() || units[0] != 0xFEFF) return L"<no byte-order mark>";
    return units.substr(1);
}

// An open store on a file of its own; closed, and checked for leaks, after
// each test. The recording listener keeps what it hears in heard_.
struct Heard {
    UINT code;
    std::wstring path;
    bool operator==(const Heard& o) const { return code == o.code && path == o.path; }
};
extern std::vector<Heard> g_heard;
inline void Record(UINT code, const WCHAR* path) { g_heard.push_back({code, path ? path : L"(null)"}); }

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_heard.clear();
        live_ = MemLiveBlocks();
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    }
    void TearDown() override {
        SettingsClose();
        EXPECT_EQ(live_, MemLiveBlocks()) << "heap blocks left behind";
    }
    // Saves and opens the file again, as a restart would.
    void Restart() {
        ASSERT_EQ(0, SettingsClose());
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    }
    // Opens the store on a file holding this text (after FF FE).
    void Load(const std::wstring& text) {
        SettingsClose();
        WriteBytes(scratch_.File(), "\xFF\xFE" + Utf16(text));
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    }
    std::wstring Saved() { return Units(ReadBytes(scratch_.File())); }
    ScratchFolder scratch_;
    LONG live_ = 0;
};

inline std::wstring GetString(const WCHAR* path, int* result = nullptr) {
    WCHAR* value = nullptr;
    int r = SettingsGetString(path, &value);
    if (result) *result = r;
    std::wstring out = value ? value : L"(null)";
    if (value) MemFree(value);
    return out;
}
inline DWORD Number(const WCHAR* path, int expected = 0) {
    DWORD v = 12345;
    EXPECT_EQ(expected, SettingsGetNumber(path, &v)) << testing::PrintToString(std::wstring(path));
    return v;
}
inline DWORD Flag(const WCHAR* path, int expected = 0) {
    DWORD v = 12345;
    EXPECT_EQ(expected, SettingsGetBool(path, &v)) << testing::PrintToString(std::wstring(path));
    return v;
}
// The text of a settings file around a body.
inline std::wstring FileText(const std::wstring& body, const wchar_t* root = L"Tovara2") {
    return std::wstring(L"<?xml version=\"1.0\" ?>\r\n<") + root + L">\r\n" + body + L"</" + root + L">\r\n";
}
