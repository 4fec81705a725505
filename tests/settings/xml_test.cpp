// The XML dialect: what the parser accepts and builds, the code of every way
// to fail, the writer's exact bytes, and the tree operations plug-ins use.
#include "core/runtime/wstr.h"
#include "settings/xml_chars.h"
#include "settings_test_util.h"

namespace {
int ParseCode(const std::wstring& text) {
    XmlDocument* d = XmlParseText(text.c_str());
    int code = XmlGetLastError();
    if (d && code != XML_OK) return -1;
    XmlFreeNode(d);
    return code;
}

XmlElement* NewElement(const wchar_t* name, const wchar_t* text = nullptr) {
    XmlElement* e = static_cast<XmlElement*>(XmlCreateNode(XML_ELEMENT));
    e->name = StrDup(name);
    if (text) {
        XmlText* t = static_cast<XmlText*>(XmlCreateNode(XML_TEXT));
        t->text = StrDup(text);
        XmlAppendChild(e, t);
    }
    return e;
}

std::wstring Rewritten(const std::wstring& body) {
    Doc d(XML_DECL + body);
    EXPECT_TRUE(d.doc) << "parse failed with " << XmlGetLastError();
    return d.doc ? WrittenText(d.doc) : L"";
}
}  // namespace

TEST_F(XmlTest, EveryWayToFailHasItsCode) {
    const struct {
        const wchar_t* text;
        int code;
    } cases[] = {
        // The declaration: first, exact, in order.
        {L"", XML_ERR_MARKUP}, {L" <?xml version=\"1.0\"?><r/>", XML_ERR_MARKUP},
        {L"\xFEFF<?xml version=\"1.0\"?><r/>", XML_ERR_MARKUP}, {L"<r/>", XML_ERR_MARKUP},
        {L"<?xmlversion=\"1.0\"?><r/>", XML_ERR_SYNTAX}, {L"<?xml Version=\"1.0\"?><r/>", XML_ERR_MARKUP},
        {L"<?xml version=1.0?><r/>", XML_ERR_SYNTAX}, {L"<?xml version=\"\"?><r/>", XML_ERR_SYNTAX},
        {L"<?xml version=\"1 0\"?><r/>", XML_ERR_SYNTAX}, {L"<?xml version=\"1.0'?><r/>", XML_ERR_SYNTAX},
        {L"<?xml version=\"1.0\"encoding=\"x\"?><r/>", XML_ERR_MARKUP},
        {L"<?xml version=\"1.0\" encoding=\"a:b\"?><r/>", XML_ERR_SYNTAX},
        {L"<?xml version=\"1.0\" standalone=\"YES\"?><r/>", XML_ERR_SYNTAX},
        {L"<?xml version=\"1.0\" standalone=\"no\" encoding=\"x\"?><r/>", XML_ERR_MARKUP},
        {L"<?xml version=\"1.0\" other=\"x\"?><r/>", XML_ERR_MARKUP}, {L"<?xm", XML_ERR_MARKUP},
        // Tags and attributes.
        {XML_DECL, XML_ERR_SYNTAX}, {XML_DECL L"  text", XML_ERR_SYNTAX},
        {XML_DECL L"<!DOCTYPE r><r/>", XML_ERR_SYNTAX}, {XML_DECL L"<-a/>", XML_ERR_SYNTAX},
        {XML_DECL L"< a/>", XML_ERR_SYNTAX}, {XML_DECL L"<r a=\"<\"/>", XML_ERR_SYNTAX},
        {XML_DECL L"<r a=1/>", XML_ERR_SYNTAX}, {XML_DECL L"<r a=\"1\"b=\"2\"/>", XML_ERR_SYNTAX},
        {XML_DECL L"<r a/>", XML_ERR_SYNTAX}, {XML_DECL L"<r/ >", XML_ERR_SYNTAX},
        {XML_DECL L"<r>text", XML_ERR_SYNTAX}, {XML_DECL L"<r><a></a>", XML_ERR_SYNTAX},
        {XML_DECL L"<r></r", XML_ERR_SYNTAX}, {XML_DECL L"<a></a x>", XML_ERR_SYNTAX},
        {XML_DECL L"<a></b>", XML_ERR_END_TAG}, {XML_DECL L"<ab></a>", XML_ERR_END_TAG},
        {XML_DECL L"<a><b></a></b>", XML_ERR_END_TAG},
        // Character data, comments and instructions.
        {XML_DECL L"<r>a]]>b</r>", XML_ERR_SYNTAX}, {XML_DECL L"<r><![CDATA[x]]</r>", XML_ERR_MARKUP},
        {XML_DECL L"<r><![cdata[x]]></r>", XML_ERR_SYNTAX}, {XML_DECL L"<!-- a -- b --><r/>", XML_ERR_MARKUP},
        {XML_DECL L"<r><!-- open</r>", XML_ERR_MARKUP}, {XML_DECL L"<?xml-stylesheet x?><r/>", XML_ERR_MARKUP},
        {XML_DECL L"<r/><?XmLfoo?>", XML_ERR_MARKUP}, {XML_DECL L"<?pi data<r/>", XML_ERR_MARKUP},
        {XML_DECL L"<? pi?><r/>", XML_ERR_SYNTAX},
        // What is accepted.
        {L"<?XML version=\"1.0\" ?><r/>", XML_OK},
        {L"<?xml\r\n\tversion \t= '1.0'\n encoding = \"x\"  standalone = 'no'  ?><r/>", XML_OK},
        {XML_DECL L"<Setting>x</sETTING >", XML_OK}, {XML_DECL L"<r a='\"x>\"' b=\"'\"/>", XML_OK},
        {XML_DECL L"<!--1--><r/><!--2--> <second/> stray & < text", XML_OK},  // after the trailing misc: ignored
    };
    for (const auto& c : cases) EXPECT_EQ(c.code, ParseCode(c.text)) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(nullptr, XmlParseText(nullptr));
    EXPECT_EQ(XML_ERR_NO_TEXT, XmlGetLastError());
}

TEST_F(XmlTest, DeclarationFieldsAreRead) {
    const struct {
        const wchar_t* text;
        const wchar_t* version;
        const wchar_t* encoding;
        UINT standalone;
    } cases[] = {
        {L"<?xml version=\"2.5_a:b-c\" encoding='UTF-16' standalone=\"no\" ?><r/>", L"2.5_a:b-c", L"UTF-16", 0},
        {L"<?xml version=\"1.0\"?><r/>", L"1.0", nullptr, 0},
        {L"<?xml version=\"1.0\" standalone='yes'?><r/>", L"1.0", nullptr, 1},
        {L"<?xml version=\"1.0\" standalone=\"\"?><r/>", L"1.0", nullptr, 1},
    };
    for (const auto& c : cases) {
        Doc d(c.text);
        ASSERT_TRUE(d.doc);
        EXPECT_STREQ(c.version, d.doc->version);
        EXPECT_STREQ(c.encoding, d.doc->encoding);
        EXPECT_EQ(c.standalone, d.doc->standalone);
    }
}

TEST_F(XmlTest, TreeIsBuiltInOrderWithTextDecodedAndCollapsed) {
    Doc d(XML_DECL L"<!-- a  &amp; b --><?go  x  y ?><root a=\"1\" b='two' a=\"3\"><x/><y k = \"v\" >t</y><!--c--><?p d?>"
                   L"<s>  x   y  </s><e>&lt;tag&gt; &AMP; &quot;q&quot; &apos;</e><n>&#65; &amp;lt; &nbsp; &</n>"
                   L"<w>\r\n\t \t</w><v v=\"a\r\n\t\tb &Lt; &#x20;\"/>\r\n\t<c>a &amp;<![CDATA[ <b>&amp;  ]]>c</c>"
                   L"<9a_b-c.d:e\u00B7f \u00E9t\u00E9=\"2\"/></root><?t?>");
    ASSERT_TRUE(d.doc) << XmlGetLastError();
    XmlElement* r = d.root();
    EXPECT_STREQ(L"root", r->name);
    ASSERT_EQ(3u, XmlGetAttributeCount(r));
    EXPECT_STREQ(L"two", XmlGetAttribute(r, 1)->value);
    EXPECT_STREQ(L"1", XmlFindAttribute(r, L"A")->value);
    ASSERT_EQ(11u, XmlGetChildCount(r)) << "whitespace between elements leaves no children";
    EXPECT_EQ(0u, XmlGetChildCount(ChildElement(r, 0)));
    EXPECT_STREQ(L"v", XmlFindAttribute(ChildElement(r, 1), L"k")->value);
    EXPECT_STREQ(L"t", XmlGetText(ChildElement(r, 1)));
    EXPECT_STREQ(L"c", static_cast<XmlComment*>(XmlGetChild(r, 2))->text);
    EXPECT_STREQ(L"d", static_cast<XmlPi*>(XmlGetChild(r, 3))->data);
    EXPECT_STREQ(L" x y ", XmlGetText(ChildElement(r, 4)));
    EXPECT_STREQ(L"<tag> & \"q\" '", XmlGetText(ChildElement(r, 5)));
    EXPECT_STREQ(L"&#65; &lt; &nbsp; &", XmlGetText(ChildElement(r, 6)));
    EXPECT_EQ(0u, XmlGetChildCount(ChildElement(r, 7)));
    EXPECT_STREQ(L"a b < &#x20;", XmlFindAttribute(ChildElement(r, 8), L"v")->value);
    XmlElement* c = ChildElement(r, 9);  // CDATA stays raw and apart from the text
    ASSERT_EQ(3u, XmlGetChildCount(c));
    EXPECT_STREQ(L"a &", ChildText(c, 0));
    EXPECT_STREQ(L" <b>&amp;  ", ChildText(c, 1));
    EXPECT_STREQ(L"9a_b-c.d:e\u00B7f", ChildElement(r, 10)->name);
    EXPECT_STREQ(L"2", XmlFindAttribute(ChildElement(r, 10), L"\u00E9t\u00E9")->value);
    ASSERT_EQ(3u, XmlGetMiscCount(d.doc));
    EXPECT_STREQ(L" a  &amp; b ", static_cast<XmlComment*>(XmlGetMisc(d.doc, 0))->text);
    EXPECT_STREQ(L"x  y ", static_cast<XmlPi*>(XmlGetMisc(d.doc, 1))->data);
    EXPECT_EQ(nullptr, static_cast<XmlPi*>(XmlGetMisc(d.doc, 2))->data);
}

TEST_F(XmlTest, CharacterClassesAndKeywordsAgreeWithThePlatform) {
    XmlCharClassPrepare();
    int mismatches = 0;
    for (UINT c = 1; c < 65536; c++)
        if (g_xmlCharClass[c] != XmlCharClassFromPlatform(static_cast<WCHAR>(c))) mismatches++;
    EXPECT_EQ(0, mismatches);
    for (const wchar_t* t : {L"<?xml", L"<?XmL", L"<?xm", L"<\u00C9xml", L"&AMP;", L"&\u0131mp;", L"versio\u00F1"})
        for (const wchar_t* k : {L"<?xml", L"&amp;", L"version"})
            for (bool nocase : {false, true}) {
                int n = lstrlenW(k);
                bool same = lstrlenW(t) >= n &&
                            CompareStringW(LOCALE_USER_DEFAULT, nocase ? NORM_IGNORECASE : 0, t, n, k, n) == CSTR_EQUAL;
                EXPECT_EQ(same, XmlKeyword(t, k, n, nocase)) << t << " / " << k;
            }
}

TEST_F(XmlTest, LoadFileReadsUtf16AndReportsWhatItCannot) {
    ScratchFolder scratch;
    std::wstring path = scratch.File();
    for (const std::string& prefix : {std::string("\xFF\xFE"), std::string()}) {
        WriteBytes(path, prefix + Utf16(XML_DECL L"<r>\u00E9</r>"));
        XmlDocument* d = XmlLoadFile(path.c_str());
        ASSERT_NE(nullptr, d);
        EXPECT_STREQ(L"\u00E9", XmlGetText(XmlGetRoot(d)));
        XmlFreeNode(d);
    }
    const struct {
        std::string bytes;
        int code;
    } cases[] = {
        {"\xFF\xFE<", XML_ERR_ODD_SIZE},
        {"", XML_ERR_MARKUP},
        {"<?xml version=\"1.0\"?><r/>!", XML_ERR_MARKUP},  // 8-bit text
        {"\xFF\xFE" + Utf16(XML_DECL L"<r>"), XML_ERR_SYNTAX},
    };
    for (const auto& c : cases) {
        WriteBytes(path, c.bytes);
        EXPECT_EQ(nullptr, XmlLoadFile(path.c_str()));
        EXPECT_EQ(c.code, XmlGetLastError()) << c.bytes.size() << " bytes";
        EXPECT_TRUE(DeleteFileW(path.c_str())) << "file left open";
    }
    EXPECT_EQ(nullptr, XmlLoadFile(path.c_str()));
    EXPECT_EQ(XML_ERR_OPEN, XmlGetLastError());
    // Opened without sharing: a file another writer holds is not read.
    WriteBytes(path, "\xFF\xFE" + Utf16(XML_DECL L"<r/>"));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(nullptr, XmlLoadFile(path.c_str()));
    EXPECT_EQ(XML_ERR_OPEN, XmlGetLastError());
    CloseHandle(held);
}

TEST_F(XmlTest, TreeOperationsTakeOnlyWhatEachListHoldsAndFreeWhatTheyRemove) {
    for (UINT bad : {0u, 6u, 8u}) EXPECT_EQ(nullptr, XmlCreateNode(bad));
    XmlDocument* d = static_cast<XmlDocument*>(XmlCreateNode(XML_DOCUMENT));
    XmlElement* root = NewElement(L"r");
    XmlNode* attr = XmlCreateNode(XML_ATTRIBUTE);
    XmlNode* comment = XmlCreateNode(XML_COMMENT);
    XmlAppendChild(root, attr);  // each ignored: the wrong kind or the wrong list
    XmlAppendChild(reinterpret_cast<XmlElement*>(d), comment);
    XmlAppendMisc(d, root);
    XmlAppendAttribute(root, reinterpret_cast<XmlAttribute*>(comment));
    EXPECT_EQ(0u, XmlGetChildCount(root) + XmlGetMiscCount(d) + XmlGetAttributeCount(root));
    XmlAppendMisc(d, comment);
    XmlAppendAttribute(root, static_cast<XmlAttribute*>(attr));
    XmlElement* first = NewElement(L"old");
    XmlSetRoot(d, first);
    XmlSetRoot(d, root);  // the old root is the caller's again
    EXPECT_STREQ(L"old", first->name);
    XmlFreeNode(first);
    XmlFreeNode(d);

    Doc doc(XML_DECL L"<!--1--><?p?><r a=\"1\" b=\"2\"><x><y/></x>t<z/>u</r>");
    XmlElement* r = doc.root();
    EXPECT_EQ(static_cast<XmlText*>(XmlGetChild(r, 1))->text, XmlGetText(r)) << "the first text child, in place";
    LONG before = MemLiveBlocks();
    XmlRemoveChild(r, 4);
    XmlRemoveAttribute(r, 2);
    XmlRemoveMisc(doc.doc, 2);
    EXPECT_EQ(before, MemLiveBlocks()) << "indexes past the end change nothing";
    XmlRemoveChild(r, 0);
    EXPECT_LT(MemLiveBlocks(), before) << "removed nodes are freed";
    XmlRemoveAttribute(r, 0);
    XmlRemoveMisc(doc.doc, 0);
    EXPECT_STREQ(L"t", ChildText(r, 0));
    EXPECT_STREQ(L"b", XmlGetAttribute(r, 0)->name);
    EXPECT_EQ(static_cast<UINT>(XML_PI), XmlGetMisc(doc.doc, 0)->type);

    XmlElement* e = NewElement(L"e");
    wchar_t name[] = L"Key";
    XmlAddAttribute(e, name, L"v1");
    name[0] = L'X';  // copied, not kept
    XmlAddAttribute(e, L"key", nullptr);
    XmlAddAttribute(e, nullptr, L"ignored");
    XmlAddAttribute(e, L"long", L"abcdefghij");
    ASSERT_EQ(3u, XmlGetAttributeCount(e));
    EXPECT_STREQ(L"", XmlGetAttribute(e, 1)->value);
    EXPECT_EQ(XmlGetAttribute(e, 0), XmlFindAttribute(e, L"KEY"));
    wchar_t buffer[8];
    XmlGetAttributeValue(e, L"lONG", buffer, 4);
    EXPECT_STREQ(L"abc", buffer);
    XmlGetAttributeValue(e, L"none", buffer, 8);
    EXPECT_STREQ(L"", buffer);
    XmlFreeNode(e);
}

TEST_F(XmlTest, IteratorWalksMatchingChildElementsCaseSensitively) {
    Doc d(XML_DECL L"<r><a n=\"1\"/>text<B/><a n=\"2\"/><!--c--><A/><a n=\"3\"/></r>");
    XmlIterator* it = XmlOpenIterator(d.root(), L"a");
    std::wstring seen;
    while (XmlElement* e = XmlNextElement(it)) seen += XmlFindAttribute(e, L"n")->value;
    EXPECT_EQ(L"123", seen);
    EXPECT_EQ(nullptr, XmlNextElement(it));
    XmlCloseIterator(it);
    it = XmlOpenIterator(d.root(), nullptr);
    int all = 0;
    while (XmlNextElement(it)) all++;
    EXPECT_EQ(5, all);
    XmlCloseIterator(it);
    EXPECT_EQ(nullptr, XmlOpenIterator(nullptr, L"a"));
}

TEST_F(XmlTest, WriterPutsTheSettingsLayoutByteForByte) {
    Doc d(XML_DECL L"<Tovara2><default>Default</default><profile name=\"Default\">"
                   L"<setting name=\"_language\" type=\"num\">1033</setting>"
                   L"<node name=\"Example.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>"
                   L"</profile><profile name=\"Work\"/></Tovara2>");
    EXPECT_EQ(Utf16(L"\xFEFF<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n"
                    L"\t<profile name=\"Default\">\r\n\t\t<setting name=\"_language\" type=\"num\">1033</setting>\r\n"
                    L"\t\t<node name=\"Example.dll\">\r\n\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n"
                    L"\t\t</node>\r\n\t</profile>\r\n\t<profile name=\"Work\" />\r\n</Tovara2>\r\n"),
              WrittenBytes(d.doc));
    // Element forms; instructions, encoding and standalone are lost, comments
    // move before the root.
    EXPECT_EQ(L"<?xml version=\"1.0\" ?>\r\n<!--before-->\r\n<!--after-->\r\n<r>\r\n\t<empty />\r\n\t<one>x</one>\r\n"
              L"\t<mixed>\r\n\t\t<a />\r\ntext\t\t<!--c-->\r\n\t</mixed>\r\n</r>\r\n",
              Rewritten(L"<!--before--><?pi x?><r><empty/><one>x</one><mixed><a/>text<!--c--></mixed><?p?></r><!--after-->"));
    Doc flags(L"<?xml version=\"1.1\" encoding=\"UTF-16\" standalone=\"yes\"?><r/>");
    EXPECT_EQ(L"<?xml version=\"1.1\" ?>\r\n<r />\r\n", WrittenText(flags.doc));
    XmlElement* e = NewElement(L"e", L"");
    EXPECT_EQ(L"<e></e>\r\n", WrittenText(e));
    XmlFreeNode(e);
}

TEST_F(XmlTest, WriterEscapesTheFiveCharactersAndStopsIndentingAtSixteen) {
    XmlElement* e = NewElement(L"e", L"a<b>&\"c'\r\n");
    XmlAddAttribute(e, L"v", L"\"'&<>\t\r\n\u00E9");
    EXPECT_EQ(L"<e v=\"&quot;&apos;&amp;&lt;&gt;\t\r\n\u00E9\">a&lt;b&gt;&amp;&quot;c&apos;\r\n</e>\r\n", WrittenText(e));
    XmlFreeNode(e);
    std::wstring body, expected = L"<?xml version=\"1.0\" ?>\r\n";
    auto tabs = [](int n) { return std::wstring(n < 16 ? n : 16, L'\t'); };
    for (int i = 0; i < 20; i++) body += L"<a>", expected += tabs(i) + L"<a>\r\n";
    body += L"<b/>", expected += tabs(20) + L"<b />\r\n";
    for (int i = 19; i >= 0; i--) body += L"</a>", expected += tabs(i) + L"</a>\r\n";
    EXPECT_EQ(expected, Rewritten(body));
}

TEST_F(XmlTest, WriterHandlesNullsAndLoneNodes) {
    EXPECT_EQ("", WrittenBytes(nullptr));
    Doc d(XML_DECL L"<r/>");
    XmlWriteDocument(d.doc, nullptr);
    MemFree(d.doc->version);  // written as it stands, and then unreadable
    d.doc->version = nullptr;
    std::wstring bare = WrittenText(d.doc);
    EXPECT_EQ(L"<?xml?>\r\n<r />\r\n", bare);
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(bare));
    XmlNode* pi = XmlCreateNode(XML_PI);
    EXPECT_EQ(Utf16(L"\xFEFF"), WrittenBytes(pi));
    XmlFreeNode(pi);
    XmlAttribute* a = static_cast<XmlAttribute*>(XmlCreateNode(XML_ATTRIBUTE));
    a->name = StrDup(L"n");
    a->value = StrDup(L"<");
    EXPECT_EQ(L" n=\"&lt;\"", WrittenText(a));
    XmlFreeNode(a);
}

TEST_F(XmlTest, RoundTripKeepsTheTreeWithinTheKnownLosses) {
    Doc first(XML_DECL L"<r a=\"x  y\" b='&quot;&apos;&amp;&lt;&gt;'><c>  lead and trail  </c>"
                       L"<d><![CDATA[<raw> &amp;]]></d><e>one<f/>two</e></r>");
    std::wstring text = WrittenText(first.doc);
    Doc second(text);
    ASSERT_TRUE(second.doc);
    XmlElement* r = second.root();
    EXPECT_STREQ(L"x y", XmlFindAttribute(r, L"a")->value);
    EXPECT_STREQ(L"\"'&<>", XmlFindAttribute(r, L"b")->value);
    EXPECT_STREQ(L" lead and trail ", XmlGetText(ChildElement(r, 0)));
    EXPECT_STREQ(L"<raw> &amp;", XmlGetText(ChildElement(r, 1)));  // escaped, then decoded
    EXPECT_STREQ(L" one ", ChildText(ChildElement(r, 2), 0));      // line ends and tabs collapse
    std::wstring text2 = WrittenText(second.doc);
    Doc third(text2);
    EXPECT_EQ(text2, WrittenText(third.doc)) << "from the second generation on, the text is stable";
}
