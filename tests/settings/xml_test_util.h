#pragma once
// Shared helpers for the XML tests: parsing with a declaration in front,
// writing to a temporary file and reading the bytes back, and a fixture that
// proves every test returned all the heap blocks it took.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/runtime/memory.h"
#include "settings/xml.h"

class XmlTest : public ::testing::Test {
protected:
    void SetUp() override { liveAtStart_ = MemLiveBlocks(); }
    void TearDown() override { EXPECT_EQ(liveAtStart_, MemLiveBlocks()) << "heap blocks leaked"; }

private:
    LONG liveAtStart_ = 0;
};

// Owns a parsed document for the length of a test.
struct DocHolder {
    XmlDocument* doc;
    explicit DocHolder(XmlDocument* d) : doc(d) {}
    ~DocHolder() { XmlFreeNode(doc); }
    DocHolder(const DocHolder&) = delete;
    DocHolder& operator=(const DocHolder&) = delete;
    XmlDocument* operator->() const { return doc; }
    explicit operator bool() const { return doc != nullptr; }
};

inline const wchar_t* kDecl = L"<?xml version=\"1.0\"?>";

// Parses the declaration followed by body.
inline XmlDocument* ParseBody(const std::wstring& body) { return XmlParseText((kDecl + body).c_str()); }

// The result code of parsing text (the document, if any, is freed).
inline int ParseCode(const std::wstring& text) {
    XmlDocument* d = XmlParseText(text.c_str());
    int code = XmlGetLastError();
    if (d) {
        EXPECT_EQ(XML_OK, code);
        XmlFreeNode(d);
    }
    return code;
}

inline int BodyCode(const std::wstring& body) { return ParseCode(kDecl + body); }

inline std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"tv2_xml_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

inline std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

// Bytes of a UTF-16 LE string, as the writer puts them in a file.
inline std::string Utf16Bytes(const std::wstring& s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}

// What XmlWriteDocument puts in a fresh file for node.
inline std::string WrittenBytes(XmlNode* node) {
    std::wstring path = TempPath(L"write.xml");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    XmlWriteDocument(node, h);
    CloseHandle(h);
    std::string bytes = ReadFileBytes(path);
    DeleteFileW(path.c_str());
    return bytes;
}

// The writer's output as text, without the leading FF FE.
inline std::wstring WrittenText(XmlNode* node) {
    std::string bytes = WrittenBytes(node);
    if (bytes.size() < 2) return L"<missing mark>";
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    return text;
}

inline XmlElement* ChildElement(XmlElement* e, UINT index) {
    XmlNode* n = XmlGetChild(e, index);
    return n && n->type == XML_ELEMENT ? static_cast<XmlElement*>(n) : nullptr;
}

inline const wchar_t* ChildText(XmlElement* e, UINT index) {
    XmlNode* n = XmlGetChild(e, index);
    return n && n->type == XML_TEXT ? static_cast<XmlText*>(n)->text : nullptr;
}
