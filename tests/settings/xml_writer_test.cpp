// The writer's exact bytes, and what survives a write followed by a read.
#include "xml_test_util.h"

#include "core/runtime/wstr.h"

namespace {

std::wstring Rewritten(const std::wstring& body) {
    DocHolder d(ParseBody(body));
    EXPECT_TRUE(d) << "parse failed with " << XmlGetLastError();
    return d ? WrittenText(d.doc) : L"";
}

TEST_F(XmlTest, SettingsFileLayoutIsWrittenByteForByte) {
    DocHolder d(ParseBody(L"<Tovara2><default>Default</default><profile name=\"Default\">"
                          L"<setting name=\"_language\" type=\"num\">1033</setting>"
                          L"<node name=\"Example.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>"
                          L"</profile><profile name=\"Work\"/></Tovara2>"));
    ASSERT_TRUE(d);
    std::string bytes = WrittenBytes(d.doc);
    std::wstring expected =
        L"\xFEFF<?xml version=\"1.0\" ?>\r\n"
        L"<Tovara2>\r\n"
        L"\t<default>Default</default>\r\n"
        L"\t<profile name=\"Default\">\r\n"
        L"\t\t<setting name=\"_language\" type=\"num\">1033</setting>\r\n"
        L"\t\t<node name=\"Example.dll\">\r\n"
        L"\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n"
        L"\t\t</node>\r\n"
        L"\t</profile>\r\n"
        L"\t<profile name=\"Work\" />\r\n"
        L"</Tovara2>\r\n";
    EXPECT_EQ(Utf16Bytes(expected), bytes);
    EXPECT_EQ('\xFF', bytes[0]);
    EXPECT_EQ('\xFE', bytes[1]);
}

TEST_F(XmlTest, EscapingCoversTheFiveCharactersOnly) {
    XmlElement* e = static_cast<XmlElement*>(XmlCreateNode(XML_ELEMENT));
    e->name = StrDup(L"e");
    XmlAddAttribute(e, L"v", L"\"'&<>\t\r\n\u00E9");
    XmlText* t = static_cast<XmlText*>(XmlCreateNode(XML_TEXT));
    t->text = StrDup(L"a<b>&\"c'\r\n");
    XmlAppendChild(e, t);
    EXPECT_EQ(L"<e v=\"&quot;&apos;&amp;&lt;&gt;\t\r\n\u00E9\">a&lt;b&gt;&amp;&quot;c&apos;\r\n</e>\r\n", WrittenText(e));
    XmlFreeNode(e);
}

TEST_F(XmlTest, ElementFormsFollowTheirChildren) {
    EXPECT_EQ(L"<?xml version=\"1.0\" ?>\r\n<r>\r\n\t<empty />\r\n\t<one>x</one>\r\n\t<mixed>\r\n\t\t<a />\r\n"
              L"text\t\t<!--c-->\r\n\t</mixed>\r\n</r>\r\n",
              Rewritten(L"<r><empty/><one>x</one><mixed><a/>text<!--c--></mixed></r>"));
    // A lone empty text child: start tag straight followed by the end tag.
    XmlElement* e = static_cast<XmlElement*>(XmlCreateNode(XML_ELEMENT));
    e->name = StrDup(L"e");
    XmlText* t = static_cast<XmlText*>(XmlCreateNode(XML_TEXT));
    t->text = StrDup(L"");
    XmlAppendChild(e, t);
    EXPECT_EQ(L"<e></e>\r\n", WrittenText(e));
    XmlFreeNode(e);
}

TEST_F(XmlTest, InstructionsEncodingAndStandaloneAreLostAndCommentsMoveBeforeTheRoot) {
    EXPECT_EQ(L"<?xml version=\"1.0\" ?>\r\n<!--before-->\r\n<!--after-->\r\n<r>\r\n\t<!-- in -->\r\n</r>\r\n",
              Rewritten(L"<!--before--><?pi x?><r><?p?><!-- in --></r><!--after-->"));
    DocHolder d(XmlParseText(L"<?xml version=\"1.1\" encoding=\"UTF-16\" standalone=\"yes\"?><r/>"));
    EXPECT_EQ(L"<?xml version=\"1.1\" ?>\r\n<r />\r\n", WrittenText(d.doc));
}

TEST_F(XmlTest, NullVersionIsWrittenBareAndCannotBeReadBack) {
    XmlDocument* d = static_cast<XmlDocument*>(XmlCreateNode(XML_DOCUMENT));
    MemFree(d->version);
    d->version = nullptr;
    XmlElement* r = static_cast<XmlElement*>(XmlCreateNode(XML_ELEMENT));
    r->name = StrDup(L"r");
    XmlSetRoot(d, r);
    std::wstring text = WrittenText(d);
    EXPECT_EQ(L"<?xml?>\r\n<r />\r\n", text);
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(text));
    XmlFreeNode(d);
}

TEST_F(XmlTest, IndentationStopsAtSixteenTabs) {
    std::wstring body;
    for (int i = 0; i < 20; i++) body += L"<a>";
    body += L"<b/>";
    for (int i = 0; i < 20; i++) body += L"</a>";
    std::wstring text = Rewritten(body);
    std::wstring expected = L"<?xml version=\"1.0\" ?>\r\n";
    auto tabs = [](int n) { return std::wstring(n < 16 ? n : 16, L'\t'); };
    for (int i = 0; i < 20; i++) expected += tabs(i) + L"<a>\r\n";
    expected += tabs(20) + L"<b />\r\n";
    for (int i = 19; i >= 0; i--) expected += tabs(i) + L"</a>\r\n";
    EXPECT_EQ(expected, text);
}

TEST_F(XmlTest, NullArgumentsWriteNothingAndLoneNodesGetTheMark) {
    std::wstring path = TempPath(L"null.xml");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    XmlWriteDocument(nullptr, h);
    CloseHandle(h);
    EXPECT_EQ("", ReadFileBytes(path));
    DeleteFileW(path.c_str());
    DocHolder d(ParseBody(L"<r/>"));
    XmlWriteDocument(d.doc, nullptr);

    XmlNode* pi = XmlCreateNode(XML_PI);
    EXPECT_EQ(Utf16Bytes(L"\xFEFF"), WrittenBytes(pi));
    XmlFreeNode(pi);
    XmlAttribute* a = static_cast<XmlAttribute*>(XmlCreateNode(XML_ATTRIBUTE));
    a->name = StrDup(L"n");
    a->value = StrDup(L"<");
    EXPECT_EQ(L" n=\"&lt;\"", WrittenText(a));
    XmlFreeNode(a);
}

TEST_F(XmlTest, RoundTripKeepsTheTreeWithinTheKnownLosses) {
    DocHolder first(ParseBody(L"<r a=\"x  y\" b='&quot;&apos;&amp;&lt;&gt;'><c>  lead and trail  </c>"
                              L"<d><![CDATA[<raw> &amp;]]></d><e>one<f/>two</e></r>"));
    ASSERT_TRUE(first);
    std::wstring text = WrittenText(first.doc);
    DocHolder second(XmlParseText(text.c_str()));
    ASSERT_TRUE(second);
    XmlElement* r = XmlGetRoot(second.doc);
    EXPECT_STREQ(L"x y", XmlFindAttribute(r, L"a")->value);
    EXPECT_STREQ(L"\"'&<>", XmlFindAttribute(r, L"b")->value);
    EXPECT_STREQ(L" lead and trail ", XmlGetText(ChildElement(r, 0)));
    EXPECT_STREQ(L"<raw> &amp;", XmlGetText(ChildElement(r, 1)));  // CDATA comes back escaped, then decoded
    XmlElement* e = ChildElement(r, 2);
    ASSERT_EQ(3u, XmlGetChildCount(e));
    // The line end before the text and the tabs after it collapse into spaces.
    EXPECT_STREQ(L" one ", ChildText(e, 0));
    EXPECT_STREQ(L" two ", ChildText(e, 2));
    // From the second generation on, the text is stable.
    std::wstring text2 = WrittenText(second.doc);
    DocHolder third(XmlParseText(text2.c_str()));
    ASSERT_TRUE(third);
    EXPECT_EQ(text2, WrittenText(third.doc));
}

TEST_F(XmlTest, DeepTreesAreWrittenWithoutRecursion) {
    const int depth = 300000;
    std::wstring body;
    body.reserve(depth * 8);
    for (int i = 0; i < depth; i++) body += L"<a>";
    for (int i = 0; i < depth; i++) body += L"</a>";
    DocHolder d(ParseBody(body));
    ASSERT_TRUE(d);
    std::wstring text = WrittenText(d.doc);
    DocHolder again(XmlParseText(text.c_str()));
    EXPECT_TRUE(again);
}

}  // namespace
