// Settings.xml: the exact layout written, what loading makes of a file, round
// trips through a restart, and the user's file kept safe.
#include "settings_fixture.h"

using namespace settings_test;

namespace {
const wchar_t kExample[] =
    L"\xFEFF<?xml version=\"1.0\" ?>\r\n"
    L"<Tovara2>\r\n"
    L"\t<default>Default</default>\r\n"
    L"\t<profile name=\"Default\">\r\n"
    L"\t\t<setting name=\"_alignment\" type=\"string\">left</setting>\r\n"
    L"\t\t<setting name=\"_autohide\" type=\"bool\">false</setting>\r\n"
    L"\t\t<setting name=\"_language\" type=\"num\">1033</setting>\r\n"
    L"\t\t<node name=\"Example.dll\">\r\n"
    L"\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n"
    L"\t\t\t<node name=\"Example\">\r\n"
    L"\t\t\t\t<setting name=\"_activated\" type=\"bool\">true</setting>\r\n"
    L"\t\t\t\t<setting name=\"color\" type=\"num\">255</setting>\r\n"
    L"\t\t\t</node>\r\n"
    L"\t\t</node>\r\n"
    L"\t</profile>\r\n"
    L"\t<profile name=\"Work\" />\r\n"
    L"</Tovara2>\r\n";

std::wstring Name(UINT index) {
    WCHAR buffer[256];
    UINT size = 256;
    if (ProfileGetName(index, buffer, &size) != 0) return L"(none)";
    return buffer;
}

UINT Count() {
    UINT n = 0;
    ProfileGetCount(&n);
    return n;
}

DWORD Number(const WCHAR* path, int expectedResult = 0) {
    DWORD v = 12345;
    EXPECT_EQ(expectedResult, SettingsGetNumber(path, &v)) << ::testing::PrintToString(std::wstring(path));
    return v;
}

bool IsKeptCopy(const std::wstring& name) { return name.find(L".unreadable-") != std::wstring::npos; }
}  // namespace

TEST_F(StoreTest, SavesInTheProgramsLayout) {
    SettingsSetNumber(L"Example.dll/Example/color", 255);
    SettingsSetBool(L"Example.dll/Example/_activated", 1);
    SettingsSetBool(L"Example.dll/_loaded", 1);
    SettingsSetNumber(L"_language", 1033);
    SettingsSetBool(L"_autohide", 0);
    SettingsSetString(L"_alignment", L"left");
    ProfileCreate(L"Work");
    ASSERT_EQ(0, SettingsClose());
    EXPECT_EQ(kExample, Saved());
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    ASSERT_EQ(0, SettingsClose());
    EXPECT_EQ(kExample, Saved()) << "the layout reads back and writes out unchanged";
    SettingsOpenFile(scratch_.File().c_str(), L"Tovara2");
}

TEST_F(StoreTest, WithoutAFileTheStoreSavesOneDefaultProfile) {
    ASSERT_EQ(0, SettingsClose());
    EXPECT_EQ(L"\xFEFF" + FileText(L"\t<default>Default</default>\r\n\t<profile name=\"Default\" />\r\n"), Saved());
    EXPECT_EQ(std::vector<std::wstring>{L"Settings.xml"}, scratch_.List()) << "no temporary or kept files";
    // Without a root name the root is "profile".
    SettingsOpenFile(scratch_.File().c_str(), nullptr);
    ASSERT_EQ(0, SettingsClose());
    EXPECT_EQ(L"\xFEFF" + FileText(L"\t<default>Default</default>\r\n\t<profile name=\"Default\" />\r\n", L"profile"),
              Saved());
    SettingsOpenFile(scratch_.File().c_str(), L"Tovara2");
}

TEST_F(StoreTest, SavedSettingsAreSortedIgnoringCase) {
    for (const wchar_t* key : {L"b", L"C", L"a", L"B", L"_x", L"A"}) SettingsSetNumber(key, 1);
    SettingsSetNumber(L"Zed/k", 1);
    SettingsSetNumber(L"alpha/k", 1);
    Restart();
    std::wstring text = Saved();
    std::vector<std::wstring> order;
    for (size_t at = 0; (at = text.find(L"name=\"", at)) != std::wstring::npos; at += 6)
        order.push_back(text.substr(at + 6, text.find(L'"', at + 6) - at - 6));
    const std::vector<std::wstring> expected = {L"Default", L"_x", L"a", L"A", L"b", L"B", L"C",
                                                L"alpha",   L"k",  L"Zed", L"k"};
    EXPECT_EQ(expected, order) << "settings before nodes, each sorted ignoring case, ties in write order";
    for (const wchar_t* key : {L"b", L"C", L"a", L"B", L"_x", L"A"}) EXPECT_EQ(1, SettingsExists(key));
}

TEST_F(StoreTest, ValuesSurviveARestart) {
    SettingsSetNumber(L"n", 4000000000u);
    SettingsSetNumber(L"neg", static_cast<DWORD>(-5));
    SettingsSetNumber(L"min", 0x80000000u);
    SettingsSetNumber(L"all", 0xFFFFFFFFu);
    SettingsSetBool(L"flag", 5);
    SettingsSetBool(L"off", 0);
    SettingsSetString(L"p/m/s", L"\"quoted\" 'a' & <b> > c");
    SettingsSetString(L"lead", L"<start");
    SettingsSetString(L"unicode", L"\x00e9\x4e2d\xd83d\xde00");
    Restart();
    // Numbers are written signed; they read back as the same 32 bits.
    EXPECT_EQ(4000000000u, Number(L"n"));
    EXPECT_EQ(static_cast<DWORD>(-5), Number(L"neg"));
    EXPECT_EQ(0x80000000u, Number(L"min"));
    EXPECT_EQ(0xFFFFFFFFu, Number(L"all"));
    EXPECT_NE(std::wstring::npos, Saved().find(L"type=\"num\">-5</setting>"));
    DWORD flag = 0;
    SettingsGetBool(L"flag", &flag);
    EXPECT_EQ(1u, flag) << "a flag of 5 comes back as 1";
    SettingsGetBool(L"off", &flag);
    EXPECT_EQ(0u, flag);
    EXPECT_EQ(L"\"quoted\" 'a' & <b> > c", GetString(L"p/m/s"));
    EXPECT_EQ(L"<start", GetString(L"lead"));
    EXPECT_EQ(L"\x00e9\x4e2d\xd83d\xde00", GetString(L"unicode"));
}

TEST_F(StoreTest, WhitespaceCollapsesAndEmptyValuesAreLostAtARestart) {
    SettingsSetString(L"two", L"a  b");
    SettingsSetString(L"breaks", L"a\r\n\tb ");
    SettingsSetString(L"blank", L" \t ");
    SettingsSetString(L"empty", L"");
    SettingsSetNumber(L"none", 1);
    ProfileCreate(L"My  Profile");
    SettingsSetNumber(L"spaced  node/key\tname", 3);
    WCHAR* s = nullptr;
    Restart();
    EXPECT_EQ(L"a b", GetString(L"two"));
    EXPECT_EQ(L"a b ", GetString(L"breaks"));
    EXPECT_EQ(0, SettingsExists(L"blank"));
    EXPECT_EQ(0, SettingsExists(L"empty"));
    EXPECT_EQ(L"My Profile", Name(1));
    EXPECT_EQ(3u, Number(L"spaced node/key name"));
    EXPECT_EQ(3, SettingsGetString(L"spaced  node/key\tname", &s));
}

TEST_F(StoreTest, EmptyNodesAreSavedAndComeBack) {
    EXPECT_EQ(3, SettingsSetNumber(L"a/b//c", 1));
    Restart();
    EXPECT_EQ(1, SettingsExists(L"a/b/"));
    EXPECT_NE(std::wstring::npos, Saved().find(L"\t\t<node name=\"a\">\r\n\t\t\t<node name=\"b\" />\r\n\t\t</node>\r\n"));
}

TEST_F(StoreTest, LoadingMatchesNamesIgnoringCaseAndSkipsTheUnknown) {
    Reset();
    SettingsClose();
    WriteSettingsText(scratch_.File(),
                      L"<?XML version='1.0' encoding='UTF-16'?>\r\n<!-- hand made -->\n"
                      L"<Anything><DEFAULT>work</DEFAULT>\n"
                      L"  <Profile NAME='Home'><Setting Name='a' TYPE='NUM'>7</Setting></Profile>\n"
                      L"  <junk name='x'><setting name='j' type='num'>1</setting></junk>\n"
                      L"  <PROFILE name='Work'>\n"
                      L"    <NODE name='n'><SETTING name='b' type='Bool'>TRUE</SETTING>\n"
                      L"      <other/>text<setting name='c' type='String'>x<!--c--></setting></NODE>\n"
                      L"    <node><setting name='lost' type='num'>1</setting></node>\n"
                      L"    <node name=''><setting name='lost' type='num'>1</setting></node>\n"
                      L"    <setting type='num'>9</setting>\n"
                      L"    <setting name='nocontent' type='num'/>\n"
                      L"  </PROFILE>\n"
                      L"  <profile><setting name='lost' type='num'>1</setting></profile>\n"
                      L"</anything>\n");
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    ASSERT_EQ(2u, Count());
    EXPECT_EQ(L"Home", Name(0));
    EXPECT_EQ(L"Work", Name(1));
    UINT current = 9;
    ProfileGetCurrent(&current);
    EXPECT_EQ(1u, current) << "the default is matched ignoring case";
    DWORD flag = 0;
    EXPECT_EQ(0, SettingsGetBool(L"n/b", &flag));
    EXPECT_EQ(1u, flag);
    EXPECT_EQ(L"x", GetString(L"n/c"));
    EXPECT_EQ(0, SettingsExists(L"nocontent"));
    EXPECT_EQ(0, SettingsExists(L"lost"));
    ProfileSelect(0);
    EXPECT_EQ(7u, Number(L"a"));
    EXPECT_EQ(0, SettingsExists(L"j"));
}

TEST_F(StoreTest, TheDefaultElementPicksTheCurrentProfile) {
    struct Case {
        const wchar_t* body;
        UINT expected;
        UINT count;
    } cases[] = {
        {L"<default>Nowhere</default><profile name='A'/><profile name='B'/>", 0, 2},
        // Two profiles of one name are both kept; the first is taken.
        {L"<profile name='A'/><profile name='B'/><profile name='b'/><default>b</default>", 1, 3},
        {L"<default>A</default><profile name='A'/><profile name='B'/><default>b</default>", 1, 2},
        {L"<default>B</default><profile name='A'/><profile name='B'/><default></default>", 0, 2},
        {L"<profile name='A'/><profile name='B'/>", 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << ::testing::PrintToString(std::wstring(c.body)));
        SettingsClose();
        WriteSettingsText(scratch_.File(), FileText(c.body));
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
        UINT current = 9, def = 9;
        ProfileGetCurrent(&current);
        ProfileGetDefault(&def);
        EXPECT_EQ(c.expected, current);
        EXPECT_EQ(c.expected, def);
        EXPECT_EQ(c.count, Count());
    }
}

TEST_F(StoreTest, UntypedAndUnknownTypesFromAFile) {
    SettingsClose();
    WriteSettingsText(scratch_.File(), FileText(L"<profile name='P'>"
                                                L"<setting name='plain'>12 apples</setting>"
                                                L"<setting name='none' type='none'>5</setting>"
                                                L"<setting name='odd' type='float'>5</setting>"
                                                L"</profile>"));
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    // No type: the text is kept as a string and saved as one.
    EXPECT_EQ(L"12 apples", GetString(L"plain"));
    EXPECT_EQ(12u, Number(L"plain"));
    // A type the store does not know: it exists, reads as no string, and
    // numbers and flags read as missing so callers use their defaults.
    for (const wchar_t* key : {L"none", L"odd"}) {
        EXPECT_EQ(1, SettingsExists(key));
        int result = -1;
        EXPECT_EQ(L"(null)", GetString(key, &result));
        EXPECT_EQ(0, result);
        EXPECT_EQ(12345u, Number(key, 3));
        DWORD flag = 12345;
        EXPECT_EQ(3, SettingsGetBool(key, &flag));
        EXPECT_EQ(12345u, flag);
    }
    Restart();
    EXPECT_EQ(L"12 apples", GetString(L"plain"));
    EXPECT_NE(std::wstring::npos, Saved().find(L"<setting name=\"plain\" type=\"string\">12 apples</setting>"));
    EXPECT_NE(std::wstring::npos, Saved().find(L"<setting name=\"none\" type=\"none\"></setting>"));
    EXPECT_EQ(0, SettingsExists(L"none")) << "an untyped value is saved empty and gone after a restart";
}

TEST_F(StoreTest, DuplicateKeysInAFileAreBothKeptAndTheLaterOneIsUsed) {
    SettingsClose();
    WriteSettingsText(scratch_.File(), FileText(L"<profile name='P'>"
                                                L"<setting name='k' type='num'>1</setting>"
                                                L"<setting name='K' type='num'>5</setting>"
                                                L"<setting name='k' type='num'>2</setting>"
                                                L"</profile>"));
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    EXPECT_EQ(2u, Number(L"k"));
    EXPECT_EQ(5u, Number(L"K"));
    SettingsSetNumber(L"k", 3);
    Restart();
    std::wstring text = Saved();
    size_t first = text.find(L"name=\"k\" type=\"num\">1<");
    size_t upper = text.find(L"name=\"K\" type=\"num\">5<");
    size_t last = text.find(L"name=\"k\" type=\"num\">3<");
    ASSERT_NE(std::wstring::npos, first);
    ASSERT_NE(std::wstring::npos, upper);
    ASSERT_NE(std::wstring::npos, last);
    EXPECT_LT(first, upper);
    EXPECT_LT(upper, last);
    EXPECT_EQ(3u, Number(L"k"));
}

TEST_F(StoreTest, AnUnreadableFileIsKeptBesideTheNewOne) {
    const std::string variants[] = {
        std::string("\xFF\xFE<\0?\0x\0m\0l\0", 11),                        // odd length
        std::string("\xFF\xFE<\0?\0x\0m\0l\0 \0v\0", 14),                   // malformed
        std::string("<?xml version=\"1.0\"?><Tovara2/>\n"),                 // 8-bit text
        std::string(),                                                      // empty
    };
    int kept = 0;
    for (const std::string& bytes : variants) {
        SettingsClose();
        WriteBytes(scratch_.File(), bytes);
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
        EXPECT_EQ(1u, Count());
        SettingsSetNumber(L"fresh", 1);
        ASSERT_EQ(0, SettingsClose());
        kept++;
        wchar_t name[64];
        wsprintfW(name, L"Settings.xml.unreadable-%d", kept);
        EXPECT_EQ(bytes, ReadBytes(scratch_.File(name))) << "kept byte for byte, earlier copies untouched";
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
        EXPECT_EQ(1u, Number(L"fresh")) << "and the fresh store was saved";
    }
    SettingsClose();
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    ASSERT_EQ(0, SettingsClose());
    EXPECT_EQ(5u, scratch_.List().size()) << "a readable file makes no copy";
    SettingsOpenFile(scratch_.File().c_str(), L"Tovara2");
}

TEST_F(StoreTest, AFileLockedAtBothEndsIsNeitherReadNorReplaced) {
    SettingsSetNumber(L"mine", 1);
    ASSERT_EQ(0, SettingsClose());
    std::string original = ReadBytes(scratch_.File());
    HANDLE lock = CreateFileW(scratch_.File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    EXPECT_EQ(0, SettingsExists(L"mine"));
    EXPECT_EQ(2, SettingsClose());
    CloseHandle(lock);
    EXPECT_EQ(original, ReadBytes(scratch_.File()));
    for (const std::wstring& name : scratch_.List()) EXPECT_FALSE(IsKeptCopy(name)) << ::testing::PrintToString(name);
    // Locked only while loading: kept at close, then replaced.
    lock = CreateFileW(scratch_.File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    CloseHandle(lock);
    EXPECT_EQ(0, SettingsClose());
    EXPECT_EQ(original, ReadBytes(scratch_.File(L"Settings.xml.unreadable-1")));
    SettingsOpenFile(scratch_.File().c_str(), L"Tovara2");
    EXPECT_EQ(0, SettingsExists(L"mine"));
}

TEST_F(StoreTest, AFailedSaveReturnsTwoAndLeavesTheOldFile) {
    SettingsSetNumber(L"old", 1);
    ASSERT_EQ(0, SettingsClose());
    std::string original = ReadBytes(scratch_.File());

    // The file's folder is gone by the time of saving.
    ScratchFolder other;
    std::wstring vanishing = other.Folder() + L"\\sub";
    CreateDirectoryW(vanishing.c_str(), nullptr);
    ASSERT_EQ(0, SettingsOpenFile((vanishing + L"\\Settings.xml").c_str(), L"Tovara2"));
    RemoveDirectoryW(vanishing.c_str());
    EXPECT_EQ(2, SettingsClose());

    // The name is taken by a folder.
    std::wstring folderName = other.File(L"Settings.xml");
    CreateDirectoryW(folderName.c_str(), nullptr);
    ASSERT_EQ(0, SettingsOpenFile(folderName.c_str(), L"Tovara2"));
    EXPECT_EQ(2, SettingsClose());
    EXPECT_EQ(std::vector<std::wstring>{L"Settings.xml"}, other.List()) << "no temporary file is left behind";

    // The old file is read-only.
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    SettingsSetNumber(L"new", 1);
    SetFileAttributesW(scratch_.File().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(2, SettingsClose());
    SetFileAttributesW(scratch_.File().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(original, ReadBytes(scratch_.File()));
    EXPECT_EQ(std::vector<std::wstring>{L"Settings.xml"}, scratch_.List());
    SettingsOpenFile(scratch_.File().c_str(), L"Tovara2");
}

TEST(SettingsStore, OpenAndCloseReturnEveryBlock) {
    ScratchFolder scratch;
    LONG before = MemLiveBlocks();
    for (int round = 0; round < 3; round++) {
        ASSERT_EQ(0, SettingsOpenFile(scratch.File().c_str(), L"Tovara2"));
        SettingsAddListener(RecordingListener);
        SettingsSetString(L"a/b/c", L"text");
        SettingsSetNumber(L"a/n", 1);
        ProfileCreate(L"Second");
        ProfileCopy(1, 0);
        ProfileSelect(1);
        SettingsDelete(L"a/b/");
        ASSERT_EQ(0, SettingsClose());
    }
    EXPECT_EQ(before, MemLiveBlocks());
    EXPECT_EQ(2, SettingsOpenFile(nullptr, L"x"));
    EXPECT_EQ(0, SettingsClose()) << "closing a closed store does nothing";
}

TEST(SettingsStore, AClosedStoreAnswersWithoutCrashing) {
    DWORD v = 0;
    UINT n = 9;
    EXPECT_EQ(3, SettingsGetNumber(L"a", &v));
    EXPECT_EQ(3, SettingsSetNumber(L"a", 1));
    EXPECT_EQ(0, SettingsExists(L"a"));
    EXPECT_EQ(0, ProfileGetCount(&n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(4, ProfileSelect(0));
    EXPECT_EQ(nullptr, SettingsFilePath());
}
