// The XML dialect read by the parser: what it accepts, what it builds, and
// the result code of every way to fail.
#include "xml_test_util.h"

#include "settings/xml_chars.h"

namespace {

TEST_F(XmlTest, DeclarationFieldsAreRead) {
    DocHolder d(XmlParseText(L"<?xml version=\"2.5_a:b-c\" encoding='UTF-16' standalone=\"no\" ?><r/>"));
    ASSERT_TRUE(d);
    EXPECT_STREQ(L"2.5_a:b-c", d->version);
    EXPECT_STREQ(L"UTF-16", d->encoding);
    EXPECT_EQ(0u, d->standalone);
    DocHolder plain(XmlParseText(L"<?xml version=\"1.0\"?><r/>"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(nullptr, plain->encoding);
    EXPECT_EQ(0u, plain->standalone);
    DocHolder yes(XmlParseText(L"<?xml version=\"1.0\" standalone='yes'?><r/>"));
    ASSERT_TRUE(yes);
    EXPECT_EQ(1u, yes->standalone);
    DocHolder empty(XmlParseText(L"<?xml version=\"1.0\" standalone=\"\"?><r/>"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(1u, empty->standalone);
    DocHolder caps(XmlParseText(L"<?XML version=\"1.0\" ?><r/>"));
    EXPECT_TRUE(caps);
    DocHolder spaced(XmlParseText(L"<?xml\r\n\tversion \t= '1.0'\n encoding = \"x\"  standalone = 'no'  ?><r/>"));
    EXPECT_TRUE(spaced);
}

TEST_F(XmlTest, DeclarationFaultsGiveTheirCodes) {
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L""));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L" <?xml version=\"1.0\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"\xFEFF<?xml version=\"1.0\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xmlversion=\"1.0\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xml Version=\"1.0\"?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xml version 1.0?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xml version=1.0?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xml version=\"\"?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xml version=\"1 0\"?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xml version=\"1.0'?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xml version=\"1.0\"encoding=\"x\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xml version=\"1.0\" encode=\"x\"?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xml version=\"1.0\" encoding=\"a:b\"?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(L"<?xml version=\"1.0\" standalone=\"YES\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xml version=\"1.0\" stand=\"yes\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xml version=\"1.0\" standalone=\"no\" encoding=\"x\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xml version=\"1.0\" other=\"x\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xml version=\"1.0\""));
    EXPECT_EQ(XML_ERR_MARKUP, ParseCode(L"<?xm"));
}

TEST_F(XmlTest, NullTextIsReportedAndEveryParseResetsTheCode) {
    EXPECT_EQ(nullptr, XmlParseText(nullptr));
    EXPECT_EQ(XML_ERR_NO_TEXT, XmlGetLastError());
    DocHolder d(ParseBody(L"<r/>"));
    EXPECT_TRUE(d);
    EXPECT_EQ(XML_OK, XmlGetLastError());
}

TEST_F(XmlTest, ElementsAttributesAndChildrenAreBuiltInOrder) {
    DocHolder d(ParseBody(L"<root a=\"1\" b='two' a=\"3\"><x/><y k = \"v\" >t</y><!--c--><?p d?></root>"));
    ASSERT_TRUE(d);
    XmlElement* root = XmlGetRoot(d.doc);
    ASSERT_NE(nullptr, root);
    EXPECT_STREQ(L"root", root->name);
    ASSERT_EQ(3u, XmlGetAttributeCount(root));
    EXPECT_STREQ(L"b", XmlGetAttribute(root, 1)->name);
    EXPECT_STREQ(L"two", XmlGetAttribute(root, 1)->value);
    EXPECT_STREQ(L"1", XmlFindAttribute(root, L"A")->value);
    ASSERT_EQ(4u, XmlGetChildCount(root));
    EXPECT_STREQ(L"x", ChildElement(root, 0)->name);
    EXPECT_EQ(0u, XmlGetChildCount(ChildElement(root, 0)));
    XmlElement* y = ChildElement(root, 1);
    EXPECT_STREQ(L"v", XmlFindAttribute(y, L"k")->value);
    EXPECT_STREQ(L"t", XmlGetText(y));
    XmlNode* c = XmlGetChild(root, 2);
    ASSERT_EQ(static_cast<UINT>(XML_COMMENT), c->type);
    EXPECT_STREQ(L"c", static_cast<XmlComment*>(c)->text);
    XmlNode* p = XmlGetChild(root, 3);
    ASSERT_EQ(static_cast<UINT>(XML_PI), p->type);
    EXPECT_STREQ(L"p", static_cast<XmlPi*>(p)->target);
    EXPECT_STREQ(L"d", static_cast<XmlPi*>(p)->data);
}

TEST_F(XmlTest, NamesFollowThePlatformCharacterClasses) {
    DocHolder d(ParseBody(L"<9a_b-c.d:e\u00B7f _x=\"1\" \u00E9t\u00E9=\"2\"/>"));
    ASSERT_TRUE(d);
    XmlElement* root = XmlGetRoot(d.doc);
    EXPECT_STREQ(L"9a_b-c.d:e\u00B7f", root->name);
    EXPECT_STREQ(L"2", XmlFindAttribute(root, L"\u00E9t\u00E9")->value);
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<-a/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<.a/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"< a/>"));
}

TEST_F(XmlTest, CharacterTableAgreesWithThePlatformForEveryCodeUnit) {
    XmlCharClassPrepare();
    int mismatches = 0;
    for (UINT c = 0; c < 65536; c++)
        if (g_xmlCharClass[c] != XmlCharClassFromPlatform(static_cast<WCHAR>(c)) && c != 0) mismatches++;
    EXPECT_EQ(0, mismatches);
    EXPECT_TRUE(XmlIsSpace(L'\t') && XmlIsSpace(L'\r') && XmlIsSpace(L'\n') && XmlIsSpace(L' '));
    EXPECT_TRUE(XmlIsSpace(0x3000));  // ideographic space: C1_SPACE
    EXPECT_FALSE(XmlIsSpace(0));
}

TEST_F(XmlTest, KeywordsMatchAsThePlatformComparesThem) {
    const wchar_t* texts[] = {L"<?xml", L"<?XmL", L"<?xm", L"<?xmk", L"<\u00C9xml", L"&AMP;", L"&amp", L"&\u0131mp;",
                              L"version", L"VERSION", L"versio\u00F1"};
    const wchar_t* keywords[] = {L"<?xml", L"&amp;", L"version"};
    for (const wchar_t* t : texts)
        for (const wchar_t* k : keywords)
            for (bool nocase : {false, true}) {
                int n = lstrlenW(k);
                bool expected = lstrlenW(t) >= n &&
                                CompareStringW(LOCALE_USER_DEFAULT, nocase ? NORM_IGNORECASE : 0, t, n, k, n) == CSTR_EQUAL;
                EXPECT_EQ(expected, XmlKeyword(t, k, n, nocase)) << t << " / " << k << " nocase " << nocase;
            }
}

TEST_F(XmlTest, EndTagsCompareIgnoringCase) {
    DocHolder d(ParseBody(L"<Setting>x</sETTING >"));
    EXPECT_TRUE(d);
    EXPECT_EQ(XML_ERR_END_TAG, BodyCode(L"<a></b>"));
    EXPECT_EQ(XML_ERR_END_TAG, BodyCode(L"<ab></a>"));
    EXPECT_EQ(XML_ERR_END_TAG, BodyCode(L"<a></ab>"));
    EXPECT_EQ(XML_ERR_END_TAG, BodyCode(L"<a><b></a></b>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<a></a x>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<a></>"));
}

TEST_F(XmlTest, TextIsDecodedAndWhitespaceCollapsed) {
    DocHolder d(ParseBody(L"<r><a>  x   y  </a><b>&lt;tag&gt; &AMP; &quot;q&quot; &apos;</b><c>&#65; &amp;lt; &nbsp; &</c>"
                          L"<d>\r\n\t \t</d><e v=\"a\r\n\t\tb &Lt; &#x20;\"/></r>"));
    ASSERT_TRUE(d);
    XmlElement* r = XmlGetRoot(d.doc);
    EXPECT_STREQ(L" x y ", XmlGetText(ChildElement(r, 0)));
    EXPECT_STREQ(L"<tag> & \"q\" '", XmlGetText(ChildElement(r, 1)));
    EXPECT_STREQ(L"&#65; &lt; &nbsp; &", XmlGetText(ChildElement(r, 2)));
    EXPECT_EQ(0u, XmlGetChildCount(ChildElement(r, 3)));
    EXPECT_STREQ(L"a b < &#x20;", XmlFindAttribute(ChildElement(r, 4), L"v")->value);
    // Whitespace-only runs between elements leave no children.
    DocHolder spaced(ParseBody(L"<r>\r\n\t<a/>\r\n\t<b/>\r\n</r>"));
    ASSERT_TRUE(spaced);
    EXPECT_EQ(2u, XmlGetChildCount(XmlGetRoot(spaced.doc)));
}

TEST_F(XmlTest, CdataAndTextStaySeparateAndCdataIsRaw) {
    DocHolder d(ParseBody(L"<r>a &amp;<![CDATA[ <b>&amp;  ]]>c</r>"));
    ASSERT_TRUE(d);
    XmlElement* r = XmlGetRoot(d.doc);
    ASSERT_EQ(3u, XmlGetChildCount(r));
    EXPECT_STREQ(L"a &", ChildText(r, 0));
    EXPECT_STREQ(L" <b>&amp;  ", ChildText(r, 1));
    EXPECT_STREQ(L"c", ChildText(r, 2));
    EXPECT_STREQ(L"a &", XmlGetText(r));
    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<r><![CDATA[x]]</r>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r>a]]>b</r>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r><![cdata[x]]></r>"));
}

TEST_F(XmlTest, CommentsAndInstructionsAreKeptRawOrRejected) {
    DocHolder d(ParseBody(L"<!-- a  &amp; b --><?go  x  y ?><r/><!--after--><?t?><?u \t?>"));
    ASSERT_TRUE(d);
    ASSERT_EQ(5u, XmlGetMiscCount(d.doc));
    EXPECT_STREQ(L" a  &amp; b ", static_cast<XmlComment*>(XmlGetMisc(d.doc, 0))->text);
    XmlPi* go = static_cast<XmlPi*>(XmlGetMisc(d.doc, 1));
    EXPECT_STREQ(L"go", go->target);
    EXPECT_STREQ(L"x  y ", go->data);
    EXPECT_STREQ(L"after", static_cast<XmlComment*>(XmlGetMisc(d.doc, 2))->text);
    EXPECT_EQ(nullptr, static_cast<XmlPi*>(XmlGetMisc(d.doc, 3))->data);
    EXPECT_EQ(nullptr, static_cast<XmlPi*>(XmlGetMisc(d.doc, 4))->data);
    DocHolder empty(ParseBody(L"<!----><r/>"));
    ASSERT_TRUE(empty);
    EXPECT_STREQ(L"", static_cast<XmlComment*>(XmlGetMisc(empty.doc, 0))->text);

    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<!-- a -- b --><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<r><!-- open</r>"));
    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<?xml-stylesheet x?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<r/><?XmLfoo?>"));
    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<?xml version=\"1.0\"?><r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<?pi data<r/>"));
    EXPECT_EQ(XML_ERR_MARKUP, BodyCode(L"<?pi*?><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<? pi?><r/>"));
}

TEST_F(XmlTest, TagAndAttributeFaultsAreSyntaxErrors) {
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L""));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"  text"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<!DOCTYPE r><r/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r a=\"<\"/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r a=1/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r a=\"1\"b=\"2\"/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r a/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r a=\"1/>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r/ >"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r>text"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r><a></a>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r><></r>"));
    EXPECT_EQ(XML_ERR_SYNTAX, BodyCode(L"<r></r"));
    EXPECT_EQ(XML_OK, BodyCode(L"<r a='\"x>\"' b=\"'\"/>"));
}

TEST_F(XmlTest, WhateverFollowsTheTrailingMiscIsIgnored) {
    DocHolder d(ParseBody(L"<!--1--><r/><!--2--> <second/> stray & < text"));
    ASSERT_TRUE(d);
    EXPECT_EQ(2u, XmlGetMiscCount(d.doc));
    EXPECT_STREQ(L"r", XmlGetRoot(d.doc)->name);
}

TEST_F(XmlTest, DeepNestingParsesWithoutExhaustingTheStack) {
    const int depth = 300000;
    std::wstring text = kDecl;
    text.reserve(depth * 8 + 64);
    for (int i = 0; i < depth; i++) text += L"<a>";
    text += L"x";
    for (int i = 0; i < depth; i++) text += L"</a>";
    DocHolder d(XmlParseText(text.c_str()));
    ASSERT_TRUE(d);
    XmlElement* e = XmlGetRoot(d.doc);
    int levels = 1;
    while (XmlGetChildCount(e) == 1 && ChildElement(e, 0)) {
        e = ChildElement(e, 0);
        levels++;
    }
    EXPECT_EQ(depth, levels);
    EXPECT_STREQ(L"x", XmlGetText(e));
    // Unclosed at the same depth: an error, and everything freed.
    text.resize(text.size() - 4 * 10);
    EXPECT_EQ(XML_ERR_SYNTAX, ParseCode(text));
}

TEST_F(XmlTest, LoadFileReadsUtf16WithOrWithoutMark) {
    std::wstring path = TempPath(L"load.xml");
    WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(L"<?xml version=\"1.0\"?><r>\u00E9</r>"));
    {
        DocHolder d(XmlLoadFile(path.c_str()));
        ASSERT_TRUE(d);
        EXPECT_STREQ(L"\u00E9", XmlGetText(XmlGetRoot(d.doc)));
    }
    WriteFileBytes(path, Utf16Bytes(L"<?xml version=\"1.0\"?><r/>"));
    {
        DocHolder d(XmlLoadFile(path.c_str()));
        EXPECT_TRUE(d);
    }
    DeleteFileW(path.c_str());
}

TEST_F(XmlTest, LoadFileFaultsGiveTheirCodesAndCloseTheFile) {
    std::wstring path = TempPath(L"fault.xml");
    EXPECT_EQ(nullptr, XmlLoadFile(TempPath(L"missing.xml").c_str()));
    EXPECT_EQ(XML_ERR_OPEN, XmlGetLastError());
    EXPECT_EQ(nullptr, XmlLoadFile(nullptr));
    EXPECT_EQ(XML_ERR_OPEN, XmlGetLastError());

    WriteFileBytes(path, "\xFF\xFE<");
    EXPECT_EQ(nullptr, XmlLoadFile(path.c_str()));
    EXPECT_EQ(XML_ERR_ODD_SIZE, XmlGetLastError());
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "file left open";

    struct Case {
        std::string bytes;
        int code;
    } cases[] = {
        {"", XML_ERR_MARKUP},
        {"\xFF\xFE", XML_ERR_MARKUP},
        {"\xFF\xFE" + Utf16Bytes(L" <?xml version=\"1.0\"?><r/>"), XML_ERR_MARKUP},
        {"<?xml version=\"1.0\"?><r/>!", XML_ERR_MARKUP},  // 8-bit, even length
        {"\xFF\xFE" + Utf16Bytes(L"<?xml version=\"1.0\"?><r>"), XML_ERR_SYNTAX},
    };
    for (const Case& c : cases) {
        WriteFileBytes(path, c.bytes);
        EXPECT_EQ(nullptr, XmlLoadFile(path.c_str()));
        EXPECT_EQ(c.code, XmlGetLastError()) << c.bytes.size() << " bytes";
    }
    // Opened without sharing: a file held by another writer cannot be read.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(nullptr, XmlLoadFile(path.c_str()));
    EXPECT_EQ(XML_ERR_OPEN, XmlGetLastError());
    CloseHandle(held);
    DeleteFileW(path.c_str());
}

}  // namespace
