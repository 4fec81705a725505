// The table of XML operations handed to plug-ins.
#include "xml_test_util.h"

namespace {

TEST_F(XmlTest, TableOfWrongSizeIsRefusedAndLeftUntouched) {
    for (DWORD size : {DWORD(0), DWORD(XML_ACCESS_TABLE_SIZE - 1), DWORD(XML_ACCESS_TABLE_SIZE + 1), DWORD(2 * XML_ACCESS_TABLE_SIZE)}) {
        unsigned char bytes[sizeof(XmlAccessTable)];
        memset(bytes, 0xA5, sizeof(bytes));
        memcpy(bytes, &size, sizeof(size));
        EXPECT_EQ(8, XmlFillAccessTable(reinterpret_cast<XmlAccessTable*>(bytes)));
        EXPECT_EQ(0, memcmp(bytes, &size, sizeof(size)));
        for (size_t i = sizeof(size); i < sizeof(bytes); i++) EXPECT_EQ(0xA5, bytes[i]) << "byte " << i;
    }
    EXPECT_EQ(1, XmlFillAccessTable(nullptr));
#if !defined(_WIN64)
    EXPECT_EQ(116u, XML_ACCESS_TABLE_SIZE);
#endif
}

TEST_F(XmlTest, TableHoldsVersionOneAndTheOperationsInOrder) {
    XmlAccessTable table = {};
    table.size = XML_ACCESS_TABLE_SIZE;
    ASSERT_EQ(0, XmlFillAccessTable(&table));
    EXPECT_EQ(XML_ACCESS_TABLE_SIZE, table.size);
    EXPECT_EQ(1u, table.version);
    const void* expected[] = {
        reinterpret_cast<const void*>(XmlSetRoot),          reinterpret_cast<const void*>(XmlGetRoot),
        reinterpret_cast<const void*>(XmlCreateNode),       reinterpret_cast<const void*>(XmlFreeNode),
        reinterpret_cast<const void*>(XmlAppendChild),      reinterpret_cast<const void*>(XmlGetChildCount),
        reinterpret_cast<const void*>(XmlGetChild),         reinterpret_cast<const void*>(XmlGetText),
        reinterpret_cast<const void*>(XmlRemoveChild),      reinterpret_cast<const void*>(XmlAppendMisc),
        reinterpret_cast<const void*>(XmlGetMiscCount),     reinterpret_cast<const void*>(XmlGetMisc),
        reinterpret_cast<const void*>(XmlRemoveMisc),       reinterpret_cast<const void*>(XmlAddAttribute),
        reinterpret_cast<const void*>(XmlAppendAttribute),  reinterpret_cast<const void*>(XmlGetAttributeCount),
        reinterpret_cast<const void*>(XmlGetAttribute),     reinterpret_cast<const void*>(XmlFindAttribute),
        reinterpret_cast<const void*>(XmlGetAttributeValue), reinterpret_cast<const void*>(XmlRemoveAttribute),
        reinterpret_cast<const void*>(XmlOpenIterator),     reinterpret_cast<const void*>(XmlNextElement),
        reinterpret_cast<const void*>(XmlCloseIterator),    reinterpret_cast<const void*>(XmlWriteDocument),
        reinterpret_cast<const void*>(XmlParseText),        reinterpret_cast<const void*>(XmlLoadFile),
        reinterpret_cast<const void*>(XmlGetLastError),
    };
    // The entries as consecutive pointer-sized words after size and version.
    const void* const* entries = reinterpret_cast<const void* const*>(
        reinterpret_cast<const char*>(&table) + offsetof(XmlAccessTable, XmlSetRoot));
    ASSERT_EQ(sizeof(XmlAccessTable), offsetof(XmlAccessTable, XmlSetRoot) + 27 * sizeof(void*));
    for (int i = 0; i < 27; i++) EXPECT_EQ(expected[i], entries[i]) << "entry " << i + 2;
    XmlAccessTable again = {};
    again.size = XML_ACCESS_TABLE_SIZE;
    XmlFillAccessTable(&again);
    EXPECT_EQ(0, memcmp(&table, &again, sizeof(table)));
}

// Calls through the table as a plug-in would: standard-call pointers only,
// strings it stores itself taken from the process heap. Those strings never
// passed through MemAlloc, so this test cannot use the block count.
TEST(XmlTable, DocumentBuiltThroughTheTableReadsBackFromAFile) {
    XmlAccessTable t = {};
    t.size = XML_ACCESS_TABLE_SIZE;
    ASSERT_EQ(0, XmlFillAccessTable(&t));
    auto heapCopy = [](const wchar_t* s) {
        size_t bytes = (wcslen(s) + 1) * sizeof(wchar_t);
        wchar_t* p = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        memcpy(p, s, bytes);
        return p;
    };
    XmlDocument* d = reinterpret_cast<XmlDocument*>(t.XmlCreateNode(XML_DOCUMENT));
    XmlElement* root = reinterpret_cast<XmlElement*>(t.XmlCreateNode(XML_ELEMENT));
    root->name = heapCopy(L"data");
    t.XmlSetRoot(d, root);
    XmlElement* item = reinterpret_cast<XmlElement*>(t.XmlCreateNode(XML_ELEMENT));
    item->name = heapCopy(L"item");
    t.XmlAddAttribute(item, L"id", L"7 & <8>");
    XmlText* text = reinterpret_cast<XmlText*>(t.XmlCreateNode(XML_TEXT));
    text->text = heapCopy(L"value");
    t.XmlAppendChild(item, text);
    t.XmlAppendChild(root, item);

    std::wstring path = TempPath(L"table.xml");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    t.XmlWriteDocument(d, h);
    CloseHandle(h);
    t.XmlFreeNode(d);

    XmlDocument* back = t.XmlLoadFile(path.c_str());
    ASSERT_NE(nullptr, back) << t.XmlGetLastError();
    EXPECT_EQ(XML_OK, t.XmlGetLastError());
    XmlIterator* it = t.XmlOpenIterator(t.XmlGetRoot(back), L"item");
    XmlElement* e = t.XmlNextElement(it);
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ(L"7 & <8>", t.XmlFindAttribute(e, L"ID")->value);
    EXPECT_STREQ(L"value", t.XmlGetText(e));
    EXPECT_EQ(nullptr, t.XmlNextElement(it));
    t.XmlCloseIterator(it);
    t.XmlFreeNode(back);
    DeleteFileW(path.c_str());
}

}  // namespace
