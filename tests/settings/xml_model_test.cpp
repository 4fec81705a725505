// Operations on trees: making, linking, finding, walking and freeing nodes.
#include "xml_test_util.h"

#include "core/runtime/wstr.h"

namespace {

XmlElement* NewElement(const wchar_t* name) {
    XmlElement* e = static_cast<XmlElement*>(XmlCreateNode(XML_ELEMENT));
    e->name = StrDup(name);
    return e;
}

XmlText* NewText(const wchar_t* text) {
    XmlText* t = static_cast<XmlText*>(XmlCreateNode(XML_TEXT));
    t->text = StrDup(text);
    return t;
}

TEST_F(XmlTest, CreateNodeMakesZeroFilledNodesOfKnownTypesOnly) {
    EXPECT_EQ(nullptr, XmlCreateNode(0));
    EXPECT_EQ(nullptr, XmlCreateNode(6));
    EXPECT_EQ(nullptr, XmlCreateNode(8));
    XmlDocument* d = static_cast<XmlDocument*>(XmlCreateNode(XML_DOCUMENT));
    EXPECT_EQ(static_cast<UINT>(XML_DOCUMENT), d->type);
    EXPECT_STREQ(L"1.0", d->version);
    EXPECT_EQ(nullptr, d->encoding);
    EXPECT_EQ(0u, d->standalone);
    EXPECT_EQ(nullptr, d->root);
    EXPECT_EQ(0u, d->misc->count);
    XmlFreeNode(d);
    XmlElement* e = static_cast<XmlElement*>(XmlCreateNode(XML_ELEMENT));
    EXPECT_EQ(nullptr, e->name);
    EXPECT_EQ(0u, e->attributes->count);
    EXPECT_EQ(0u, e->children->count);
    XmlFreeNode(e);
    for (UINT type : {3u, 4u, 5u, 7u}) {
        XmlNode* n = XmlCreateNode(type);
        ASSERT_NE(nullptr, n);
        EXPECT_EQ(type, n->type);
        XmlFreeNode(n);
    }
    XmlFreeNode(nullptr);
}

TEST_F(XmlTest, AppendAcceptsOnlyTheKindsEachListHolds) {
    XmlDocument* d = static_cast<XmlDocument*>(XmlCreateNode(XML_DOCUMENT));
    XmlElement* root = NewElement(L"r");
    XmlNode* attr = XmlCreateNode(XML_ATTRIBUTE);
    XmlNode* comment = XmlCreateNode(XML_COMMENT);
    XmlNode* pi = XmlCreateNode(XML_PI);
    XmlText* text = NewText(L"t");
    XmlAppendChild(root, attr);  // ignored
    XmlAppendChild(root, d);     // ignored
    XmlAppendChild(root, nullptr);
    XmlAppendChild(reinterpret_cast<XmlElement*>(d), text);  // not an element: ignored
    EXPECT_EQ(0u, XmlGetChildCount(root));
    XmlAppendChild(root, text);
    XmlAppendMisc(d, root);  // ignored
    XmlAppendMisc(d, comment);
    XmlAppendMisc(d, pi);
    XmlAppendAttribute(root, reinterpret_cast<XmlAttribute*>(comment));  // ignored
    XmlAppendAttribute(root, static_cast<XmlAttribute*>(attr));
    EXPECT_EQ(1u, XmlGetChildCount(root));
    EXPECT_EQ(2u, XmlGetMiscCount(d));
    EXPECT_EQ(1u, XmlGetAttributeCount(root));
    EXPECT_EQ(0u, XmlGetMiscCount(reinterpret_cast<XmlDocument*>(root)));
    EXPECT_EQ(0u, XmlGetChildCount(reinterpret_cast<XmlElement*>(d)));
    EXPECT_EQ(nullptr, XmlGetRoot(reinterpret_cast<XmlDocument*>(root)));
    XmlSetRoot(reinterpret_cast<XmlDocument*>(root), root);  // ignored
    XmlSetRoot(d, root);
    EXPECT_EQ(root, XmlGetRoot(d));
    XmlFreeNode(d);
}

TEST_F(XmlTest, SetRootDoesNotFreeTheOldRoot) {
    XmlDocument* d = static_cast<XmlDocument*>(XmlCreateNode(XML_DOCUMENT));
    XmlElement* first = NewElement(L"a");
    XmlSetRoot(d, first);
    XmlSetRoot(d, NewElement(L"b"));
    EXPECT_STREQ(L"a", first->name);
    XmlFreeNode(d);
    XmlFreeNode(first);
}

TEST_F(XmlTest, IndexedAccessStopsAtTheCount) {
    DocHolder d(ParseBody(L"<!--m--><r a=\"1\"><x/></r>"));
    XmlElement* r = XmlGetRoot(d.doc);
    EXPECT_NE(nullptr, XmlGetChild(r, 0));
    EXPECT_EQ(nullptr, XmlGetChild(r, 1));
    EXPECT_EQ(nullptr, XmlGetChild(r, 0xFFFFFFFF));
    EXPECT_EQ(nullptr, XmlGetAttribute(r, 1));
    EXPECT_EQ(nullptr, XmlGetMisc(d.doc, 1));
    EXPECT_EQ(nullptr, XmlGetChild(nullptr, 0));
    EXPECT_EQ(nullptr, XmlGetText(r));  // no text child
    EXPECT_EQ(nullptr, XmlGetText(nullptr));
}

TEST_F(XmlTest, GetTextReturnsTheFirstTextChildInPlace) {
    DocHolder d(ParseBody(L"<r><a/>one<b/>two</r>"));
    XmlElement* r = XmlGetRoot(d.doc);
    const wchar_t* t = XmlGetText(r);
    EXPECT_STREQ(L"one", t);
    EXPECT_EQ(static_cast<XmlText*>(XmlGetChild(r, 1))->text, t);
}

TEST_F(XmlTest, RemoveUnlinksAndFreesAndIgnoresBadIndices) {
    DocHolder d(ParseBody(L"<!--1--><?p?><r a=\"1\" b=\"2\"><x><y/></x>t<z/></r>"));
    XmlElement* r = XmlGetRoot(d.doc);
    LONG before = MemLiveBlocks();
    XmlRemoveChild(r, 3);
    XmlRemoveAttribute(r, 2);
    XmlRemoveMisc(d.doc, 2);
    XmlRemoveChild(nullptr, 0);
    XmlRemoveChild(reinterpret_cast<XmlElement*>(d.doc), 0);
    XmlRemoveMisc(reinterpret_cast<XmlDocument*>(r), 0);
    XmlRemoveAttribute(reinterpret_cast<XmlElement*>(d.doc), 0);
    EXPECT_EQ(before, MemLiveBlocks());
    XmlRemoveChild(r, 0);
    EXPECT_LT(MemLiveBlocks(), before);
    ASSERT_EQ(2u, XmlGetChildCount(r));
    EXPECT_STREQ(L"t", ChildText(r, 0));
    XmlRemoveAttribute(r, 0);
    ASSERT_EQ(1u, XmlGetAttributeCount(r));
    EXPECT_STREQ(L"b", XmlGetAttribute(r, 0)->name);
    XmlRemoveMisc(d.doc, 0);
    ASSERT_EQ(1u, XmlGetMiscCount(d.doc));
    EXPECT_EQ(static_cast<UINT>(XML_PI), XmlGetMisc(d.doc, 0)->type);
}

TEST_F(XmlTest, AttributesAreCopiedAndFoundIgnoringCase) {
    XmlElement* e = NewElement(L"e");
    wchar_t name[] = L"Key";
    XmlAddAttribute(e, name, L"v1");
    name[0] = L'X';
    XmlAddAttribute(e, L"key", nullptr);
    XmlAddAttribute(e, nullptr, L"ignored");
    XmlAddAttribute(nullptr, L"a", L"b");
    ASSERT_EQ(2u, XmlGetAttributeCount(e));
    EXPECT_STREQ(L"Key", XmlGetAttribute(e, 0)->name);
    EXPECT_STREQ(L"", XmlGetAttribute(e, 1)->value);
    EXPECT_EQ(XmlGetAttribute(e, 0), XmlFindAttribute(e, L"KEY"));
    EXPECT_EQ(nullptr, XmlFindAttribute(e, L"ke"));
    EXPECT_EQ(nullptr, XmlFindAttribute(e, nullptr));
    EXPECT_EQ(nullptr, XmlFindAttribute(nullptr, L"key"));

    wchar_t buffer[8];
    XmlGetAttributeValue(e, L"kEy", buffer, 8);
    EXPECT_STREQ(L"v1", buffer);
    XmlAddAttribute(e, L"long", L"abcdefghij");
    XmlGetAttributeValue(e, L"long", buffer, 4);
    EXPECT_STREQ(L"abc", buffer);
    XmlGetAttributeValue(e, L"none", buffer, 8);
    EXPECT_STREQ(L"", buffer);
    wcscpy(buffer, L"keep");
    XmlGetAttributeValue(nullptr, L"long", buffer, 8);
    XmlGetAttributeValue(e, nullptr, buffer, 8);
    EXPECT_STREQ(L"keep", buffer);
    XmlFreeNode(e);
}

TEST_F(XmlTest, IteratorWalksMatchingChildElementsCaseSensitively) {
    DocHolder d(ParseBody(L"<r><a n=\"1\"/>text<B/><a n=\"2\"/><!--c--><A/><a n=\"3\"/></r>"));
    XmlElement* r = XmlGetRoot(d.doc);
    XmlIterator* it = XmlOpenIterator(r, L"a");
    ASSERT_NE(nullptr, it);
    EXPECT_EQ(-1, it->position);
    std::wstring seen;
    while (XmlElement* e = XmlNextElement(it)) seen += XmlFindAttribute(e, L"n")->value;
    EXPECT_EQ(L"123", seen);
    EXPECT_EQ(nullptr, XmlNextElement(it));
    EXPECT_EQ(nullptr, XmlNextElement(it));
    XmlCloseIterator(it);

    it = XmlOpenIterator(r, nullptr);
    int count = 0;
    while (XmlNextElement(it)) count++;
    EXPECT_EQ(5, count);
    XmlCloseIterator(it);
    XmlCloseIterator(nullptr);
    EXPECT_EQ(nullptr, XmlOpenIterator(nullptr, L"a"));
    EXPECT_EQ(nullptr, XmlNextElement(nullptr));
}

TEST_F(XmlTest, FreeingADeepHandBuiltTreeDoesNotRecurse) {
    XmlElement* root = NewElement(L"d");
    XmlElement* e = root;
    for (int i = 0; i < 300000; i++) {
        XmlElement* child = NewElement(L"d");
        XmlAddAttribute(child, L"i", L"1");
        XmlAppendChild(e, child);
        e = child;
    }
    XmlAppendChild(e, NewText(L"leaf"));
    XmlFreeNode(root);
}

}  // namespace
