// The settings store: typed values and their conversions, paths, listeners,
// profiles, and Settings.xml as it is read, written and kept safe.
#include "settings_test_util.h"

std::vector<Heard> g_heard;

namespace {
std::vector<int> g_calls;
void First(UINT, const WCHAR*) { g_calls.push_back(1); }
void Second(UINT, const WCHAR*) { g_calls.push_back(2); }
void RemovesItself(UINT, const WCHAR*) {
    g_calls.push_back(3);
    SettingsRemoveListener(RemovesItself);
}
// Stores a marker into the profile being left, as the bar and plug-ins do.
void StoresOnLeaving(UINT code, const WCHAR* path) {
    Record(code, path);
    if (code == SN_PROFILE_LEAVING) SettingsSetNumber(L"left", 1);
}

std::wstring Name(UINT index) {
    WCHAR buffer[64];
    UINT size = 64;
    return ProfileGetName(index, buffer, &size) == 0 ? buffer : L"(none)";
}
std::pair<UINT, UINT> CurrentAndDefault() {
    UINT c = 99, d = 99;
    ProfileGetCurrent(&c);
    ProfileGetDefault(&d);
    return {c, d};
}
UINT Count() {
    UINT n = 0;
    ProfileGetCount(&n);
    return n;
}
}  // namespace

TEST_F(StoreTest, BadArgumentsAndMissingSettingsHaveTheirCodes) {
    DWORD v = 77;
    WCHAR* s = reinterpret_cast<WCHAR*>(0x1234);
    EXPECT_EQ(1, SettingsGetNumber(nullptr, &v));
    EXPECT_EQ(1, SettingsGetNumber(L"", &v));
    EXPECT_EQ(1, SettingsGetBool(L"a", nullptr));
    EXPECT_EQ(1, SettingsGetString(L"", &s));
    EXPECT_EQ(reinterpret_cast<WCHAR*>(0x1234), s) << "left alone on result 1";
    EXPECT_EQ(1, SettingsSetNumber(nullptr, 1));
    EXPECT_EQ(1, SettingsSetString(L"a", nullptr));
    EXPECT_EQ(1, SettingsDelete(L""));
    EXPECT_EQ(0, SettingsExists(nullptr));
    EXPECT_EQ(3, SettingsGetNumber(L"nothing", &v));
    EXPECT_EQ(3, SettingsGetBool(L"node/nothing", &v));
    EXPECT_EQ(3, SettingsGetString(L"nothing", &s));
    EXPECT_EQ(nullptr, s) << "cleared before the lookup";
    EXPECT_EQ(77u, v);
    // Paths with an empty name name nothing; the nodes before one are made.
    EXPECT_EQ(3, SettingsSetNumber(L"/a", 1));
    EXPECT_EQ(3, SettingsSetNumber(L"p/q//k", 1));
    EXPECT_EQ(1, SettingsExists(L"p/q/"));
    EXPECT_EQ(0, SettingsExists(L"p/q//k"));
    EXPECT_EQ(3, SettingsSetString(L"t/u/", L"x"));
    EXPECT_EQ(1, SettingsExists(L"t/u/"));
    EXPECT_EQ(3, SettingsGetNumber(L"t/u/", &v));
    EXPECT_EQ(0, SettingsExists(L"a"));
}

TEST_F(StoreTest, ValuesConvertBetweenTypes) {
    const struct {
        const wchar_t* text;
        DWORD number, flag;
    } strings[] = {
        {L"42abc", 42, 0}, {L"-5", 0, 0},   {L"abc", 0, 0},   {L" 7", 0, 0},
        {L"4294967297", 1, 0}, {L"TRUE", 0, 1}, {L"true ", 0, 0}, {L"yes", 0, 0},
    };
    for (const auto& c : strings) {
        ASSERT_EQ(0, SettingsSetString(L"s", c.text));
        EXPECT_EQ(c.number, Number(L"s")) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(c.flag, Flag(L"s")) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(c.text, GetString(L"s"));
    }
    SettingsSetNumber(L"n", 5);
    EXPECT_EQ(1u, Flag(L"n"));
    SettingsSetNumber(L"n", static_cast<DWORD>(-5));
    EXPECT_EQ(L"-5", GetString(L"n"));
    SettingsSetNumber(L"n", 0x80000000u);
    EXPECT_EQ(L"-2147483648", GetString(L"n"));
    SettingsSetBool(L"b", 5);  // a flag is stored as given, read as a number as 0 or 1
    EXPECT_EQ(5u, Flag(L"b"));
    EXPECT_EQ(1u, Number(L"b"));
    EXPECT_EQ(L"true", GetString(L"b"));
    SettingsSetBool(L"b", 0);
    EXPECT_EQ(L"false", GetString(L"b"));
    SettingsSetString(L"b", L"again");  // a write changes the type
    EXPECT_EQ(L"again", GetString(L"b"));
    WCHAR* copy = nullptr;
    SettingsGetString(L"b", &copy);
    copy[0] = L'X';  // the caller's own copy
    EXPECT_EQ(0, SettingsSetString(L"b", copy));
    MemFree(copy);
    EXPECT_EQ(L"Xgain", GetString(L"b"));
}

TEST_F(StoreTest, NamesRespectCaseAndDeleteTakesSettingsOrWholeNodes) {
    ASSERT_EQ(0, SettingsSetNumber(L"Example.dll/Example/color", 255));
    EXPECT_EQ(1, SettingsExists(L"Example.dll/Example/"));
    EXPECT_EQ(0, SettingsExists(L"Example.dll/Example/color/")) << "a setting is not a node";
    EXPECT_EQ(0, SettingsExists(L"Example.dll")) << "a node is not a setting";
    for (auto key : {L"Key", L"key", L"KEY"}) SettingsSetNumber(key, key[1]);
    EXPECT_EQ(L'e', Number(L"Key"));
    EXPECT_EQ(L'E', Number(L"KEY"));
    EXPECT_EQ(0, SettingsExists(L"kEY"));
    SettingsAddListener(Record);
    EXPECT_EQ(0, SettingsDelete(L"key"));
    EXPECT_EQ(2, SettingsExists(L"Key") + SettingsExists(L"KEY"));
    EXPECT_EQ(0, SettingsExists(L"key"));
    EXPECT_EQ(3, SettingsDelete(L"Example.dll/Example")) << "no node without its slash";
    EXPECT_EQ(0, SettingsDelete(L"Example.dll/Example/"));
    EXPECT_EQ(0, SettingsExists(L"Example.dll/Example/color"));
    EXPECT_EQ(1, SettingsExists(L"Example.dll/"));
    EXPECT_EQ(3, SettingsDelete(L"x/y"));
    const std::vector<Heard> expected = {{SN_SETTING_DELETED, L"key"},
                                         {SN_SETTING_DELETED, L"Example.dll/Example"},
                                         {SN_SETTING_DELETED, L"Example.dll/Example/"},
                                         {SN_SETTING_DELETED, L"x/y"}};
    EXPECT_EQ(expected, g_heard) << "found or not, a delete notifies";
}

TEST_F(StoreTest, ListenersHearEveryWriteInRegistrationOrder) {
    SettingsAddListener(Record);
    SettingsSetNumber(L"a/n", 1);
    SettingsSetNumber(L"a/n", 1);
    SettingsSetBool(L"b", 0);
    SettingsSetNumber(L"/bad", 1);  // failed writes are not announced
    const std::vector<Heard> expected = {{SN_SETTING_CHANGED, L"a/n"}, {SN_SETTING_CHANGED, L"a/n"}, {SN_SETTING_CHANGED, L"b"}};
    EXPECT_EQ(expected, g_heard);
    SettingsRemoveListener(Record);

    g_calls.clear();
    EXPECT_EQ(1, SettingsAddListener(nullptr));
    SettingsAddListener(RemovesItself);
    SettingsAddListener(Second);
    SettingsAddListener(First);
    SettingsAddListener(Second);
    SettingsSetNumber(L"x", 1);
    SettingsRemoveListener(Second);  // only its first place goes
    SettingsSetNumber(L"x", 1);
    EXPECT_EQ((std::vector<int>{3, 2, 1, 2, 1, 2}), g_calls) << "a listener removing itself skips no other";
    g_calls.clear();
    Restart();
    SettingsSetNumber(L"x", 1);
    EXPECT_TRUE(g_calls.empty()) << "closing drops the listeners";
}

TEST_F(StoreTest, ProfilesAreNamedCreatedAndRenamed) {
    EXPECT_EQ(1u, Count());
    EXPECT_EQ(L"Default", Name(0));
    EXPECT_EQ(std::make_pair(0u, 0u), CurrentAndDefault());
    EXPECT_EQ(1, ProfileCreate(L""));
    EXPECT_EQ(4, ProfileCreate(L"DEFAULT")) << "names are unique ignoring case";
    EXPECT_EQ(0, ProfileCreate(L"Gaming"));
    EXPECT_EQ(0, ProfileCreate(L"Home"));
    EXPECT_EQ(L"Home", Name(2)) << "profiles keep creation order";
    UINT size = 4;
    WCHAR buffer[8] = L"xxxxxxx";
    EXPECT_EQ(0, ProfileGetName(1, buffer, &size));
    EXPECT_STREQ(L"Gam", buffer);
    EXPECT_EQ(6u, size) << "the full length";
    EXPECT_EQ(5, ProfileGetName(3, buffer, &size));
    EXPECT_EQ(4, ProfileRename(3, L"x"));
    EXPECT_EQ(0, ProfileRename(1, L"Default")) << "renaming may repeat a name";
    EXPECT_EQ(L"Default", Name(1));
    SettingsAddListener(Record);
    ProfileCopy(1, 0);
    EXPECT_EQ(4, ProfileSetDefault(3));
    EXPECT_EQ(0, ProfileSetDefault(1));
    EXPECT_EQ(std::make_pair(0u, 1u), CurrentAndDefault());
    EXPECT_TRUE(g_heard.empty()) << "none of these notifies";
}

TEST_F(StoreTest, DeletingAProfileKeepsCurrentAndDefaultOnTheRightProfiles) {
    const struct {
        UINT current, defaultIndex, removed, newCurrent, newDefault;
    } cases[] = {
        {2, 2, 2, 0, 0},  // the default and current: both become 0
        {3, 1, 1, 2, 2},  // the default, current after it: current moves down and becomes the default
        {0, 2, 2, 0, 0},  // the default, current before it: current becomes the default
        {1, 3, 1, 2, 2},  // current, default after it: the default moves down and becomes current
        {2, 0, 2, 0, 0},  // current, default before it: the default becomes current
        {3, 0, 1, 2, 0},  // neither: those after it move down
        {0, 3, 2, 0, 2},
        {0, 1, 3, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << " " << c.defaultIndex << " " << c.removed);
        Load(FileText(L"<profile name='A'><setting name='mark' type='num'>0</setting></profile>"
                      L"<profile name='B'><setting name='mark' type='num'>1</setting></profile>"
                      L"<profile name='C'><setting name='mark' type='num'>2</setting></profile>"
                      L"<profile name='D'><setting name='mark' type='num'>3</setting></profile>"));
        ProfileSelect(c.current);
        ProfileSetDefault(c.defaultIndex);
        g_heard.clear();
        SettingsAddListener(Record);
        ASSERT_EQ(0, ProfileDelete(c.removed));
        EXPECT_EQ(std::make_pair(c.newCurrent, c.newDefault), CurrentAndDefault());
        EXPECT_EQ((std::vector<Heard>{{SN_PROFILE_CHANGED, L"(null)"}}), g_heard);
        EXPECT_EQ(c.newCurrent >= c.removed ? c.newCurrent + 1 : c.newCurrent, Number(L"mark"));
    }
    EXPECT_EQ(1, ProfileDelete(3));
    while (Count() > 1) ProfileDelete(0);
    EXPECT_EQ(5, ProfileDelete(0)) << "the only profile stays";
}

TEST_F(StoreTest, SelectingAProfileLetsListenersStoreQuietlyThenReload) {
    ProfileCreate(L"Work");
    SettingsAddListener(StoresOnLeaving);
    EXPECT_EQ(4, ProfileSelect(2));
    EXPECT_TRUE(g_heard.empty());
    EXPECT_EQ(0, ProfileSelect(1));
    const std::vector<Heard> expected = {{SN_PROFILE_LEAVING, L"(null)"}, {SN_PROFILE_CHANGED, L"(null)"}};
    EXPECT_EQ(expected, g_heard) << "the write made while leaving is not announced";
    EXPECT_EQ(0, SettingsExists(L"left")) << "settings resolve in the new profile";
    ProfileSelect(0);
    EXPECT_EQ(1, SettingsExists(L"left"));
    g_heard.clear();
    SettingsSetNumber(L"after", 1);
    EXPECT_EQ((std::vector<Heard>{{SN_SETTING_CHANGED, L"after"}}), g_heard) << "quiet is over";
}

TEST_F(StoreTest, CopiedProfilesAreIndependentAndStillFindEverything) {
    SettingsSetNumber(L"a/b/n", 7);
    SettingsSetString(L"s", L"text");
    SettingsSetNumber(L"m", 1);
    ProfileCreate(L"Copy");
    EXPECT_EQ(1, ProfileCopy(2, 0));
    ProfileSelect(1);
    SettingsSetNumber(L"b", 2);
    SettingsSetNumber(L"z", 20);
    ASSERT_EQ(0, ProfileCopy(1, 0));  // into a filled profile: lookups still work
    EXPECT_EQ(7u, Number(L"a/b/n"));
    EXPECT_EQ(2u, Number(L"b"));
    EXPECT_EQ(20u, Number(L"z"));
    SettingsSetString(L"s", L"changed");
    SettingsDelete(L"a/");
    ASSERT_EQ(0, ProfileCopy(1, 1));  // into itself
    EXPECT_EQ(20u, Number(L"z"));
    ProfileSelect(0);
    EXPECT_EQ(L"text", GetString(L"s"));
    EXPECT_EQ(1, SettingsExists(L"a/b/n"));
}

TEST_F(StoreTest, SavesInTheProgramsLayoutAndReadsItBackUnchanged) {
    const std::wstring expected = L"\xFEFF" + FileText(
        L"\t<default>Default</default>\r\n\t<profile name=\"Default\">\r\n"
        L"\t\t<setting name=\"_x\" type=\"num\">-5</setting>\r\n"
        L"\t\t<setting name=\"a\" type=\"bool\">true</setting>\r\n"
        L"\t\t<setting name=\"A\" type=\"string\">&quot;q&quot; &apos;a&apos; &amp; &lt;b&gt;</setting>\r\n"
        L"\t\t<setting name=\"b\" type=\"num\">-2147483648</setting>\r\n"
        L"\t\t<node name=\"alpha\">\r\n\t\t\t<node name=\"empty\" />\r\n\t\t</node>\r\n"
        L"\t\t<node name=\"Example.dll\">\r\n\t\t\t<setting name=\"_loaded\" type=\"bool\">false</setting>\r\n"
        L"\t\t</node>\r\n\t</profile>\r\n\t<profile name=\"Work\" />\r\n");
    // Settings before nodes, each sorted ignoring case, ties in write order.
    SettingsSetBool(L"Example.dll/_loaded", 0);
    SettingsSetNumber(L"b", 0x80000000u);
    SettingsSetBool(L"a", 5);
    SettingsSetString(L"A", L"\"q\" 'a' & <b>");
    SettingsSetNumber(L"_x", static_cast<DWORD>(-5));
    SettingsSetNumber(L"alpha/empty//k", 1);
    ProfileCreate(L"Work");
    Restart();
    EXPECT_EQ(expected, Saved());
    EXPECT_EQ(0x80000000u, Number(L"b")) << "numbers are written signed and read back as the same bits";
    EXPECT_EQ(1u, Flag(L"a"));
    EXPECT_EQ(L"\"q\" 'a' & <b>", GetString(L"A"));
    Restart();
    EXPECT_EQ(expected, Saved());
    EXPECT_EQ(std::vector<std::wstring>{L"Settings.xml"}, scratch_.List()) << "no temporary or kept files";
}

TEST_F(StoreTest, WhitespaceCollapsesAndEmptyValuesAreLostAtARestart) {
    SettingsSetString(L"two", L"a  b");
    SettingsSetString(L"breaks", L"a\r\n\tb ");
    SettingsSetString(L"blank", L" \t ");
    SettingsSetString(L"empty", L"");
    SettingsSetString(L"unicode", L"\x00e9\x4e2d\xd83d\xde00");
    ProfileCreate(L"My  Profile");
    SettingsSetNumber(L"spaced  node/key\tname", 3);
    Restart();
    EXPECT_EQ(L"a b", GetString(L"two"));
    EXPECT_EQ(L"a b ", GetString(L"breaks"));
    EXPECT_EQ(0, SettingsExists(L"blank") + SettingsExists(L"empty"));
    EXPECT_EQ(L"\x00e9\x4e2d\xd83d\xde00", GetString(L"unicode"));
    EXPECT_EQ(L"My Profile", Name(1));
    EXPECT_EQ(3u, Number(L"spaced node/key name"));
}

TEST_F(StoreTest, LoadingMatchesNamesIgnoringCaseAndSkipsTheUnknown) {
    Load(L"<?XML version='1.0' encoding='UTF-16'?>\r\n<!-- hand made -->\n"
         L"<Anything><DEFAULT>work</DEFAULT>\n"
         L"  <Profile NAME='Home'><Setting Name='a' TYPE='NUM'>7</Setting></Profile>\n"
         L"  <junk name='x'><setting name='j' type='num'>1</setting></junk>\n"
         L"  <PROFILE name='Work'>\n"
         L"    <NODE name='n'><SETTING name='b' type='Bool'>TRUE</SETTING>\n"
         L"      <other/>text<setting name='c' type='String'>x<!--c--></setting></NODE>\n"
         L"    <node><setting name='lost' type='num'>1</setting></node>\n"
         L"    <node name=''><setting name='lost' type='num'>1</setting></node>\n"
         L"    <setting type='num'>9</setting><setting name='nocontent' type='num'/>\n"
         L"    <setting name='plain'>12 apples</setting><setting name='odd' type='float'>5</setting>\n"
         L"    <setting name='k' type='num'>1</setting><setting name='K' type='num'>5</setting>\n"
         L"    <setting name='k' type='num'>2</setting>\n"
         L"  </PROFILE>\n  <profile><setting name='lost' type='num'>1</setting></profile>\n</anything>\n");
    ASSERT_EQ(2u, Count());
    EXPECT_EQ(L"Work", Name(1));
    EXPECT_EQ(std::make_pair(1u, 1u), CurrentAndDefault()) << "the default is matched ignoring case";
    EXPECT_EQ(1u, Flag(L"n/b"));
    EXPECT_EQ(L"x", GetString(L"n/c"));
    EXPECT_EQ(0, SettingsExists(L"nocontent") + SettingsExists(L"lost"));
    EXPECT_EQ(12u, Number(L"plain")) << "untyped: a string";
    // An unknown type exists, reads as no string, and as missing for
    // numbers and flags, so that callers use their defaults.
    EXPECT_EQ(1, SettingsExists(L"odd"));
    EXPECT_EQ(L"(null)", GetString(L"odd"));
    EXPECT_EQ(12345u, Number(L"odd", 3));
    EXPECT_EQ(12345u, Flag(L"odd", 3));
    EXPECT_EQ(2u, Number(L"k")) << "of two equal keys the later one is used";
    EXPECT_EQ(5u, Number(L"K"));
    Restart();
    std::wstring text = Saved();
    EXPECT_LT(text.find(L"name=\"k\" type=\"num\">1<"), text.find(L"name=\"K\" type=\"num\">5<")) << "both kept";
    EXPECT_LT(text.find(L"name=\"K\" type=\"num\">5<"), text.find(L"name=\"k\" type=\"num\">2<"));
    EXPECT_NE(std::wstring::npos, text.find(L"<setting name=\"plain\" type=\"string\">12 apples</setting>"));
    ProfileSelect(0);
    EXPECT_EQ(7u, Number(L"a"));
    EXPECT_EQ(0, SettingsExists(L"j"));
}

TEST_F(StoreTest, TheDefaultElementPicksTheCurrentProfile) {
    const struct {
        const wchar_t* body;
        UINT expected, count;
    } cases[] = {
        {L"<default>Nowhere</default><profile name='A'/><profile name='B'/>", 0, 2},
        {L"<profile name='A'/><profile name='B'/><profile name='b'/><default>b</default>", 1, 3},
        {L"<default>A</default><profile name='A'/><profile name='B'/><default>b</default>", 1, 2},
        {L"<default>B</default><profile name='A'/><profile name='B'/><default></default>", 0, 2},
    };
    for (const auto& c : cases) {
        Load(FileText(c.body));
        EXPECT_EQ(std::make_pair(c.expected, c.expected), CurrentAndDefault()) << testing::PrintToString(std::wstring(c.body));
        EXPECT_EQ(c.count, Count());
    }
}

TEST_F(StoreTest, AnUnreadableFileIsKeptBesideTheNewOne) {
    const std::string variants[] = {
        std::string("\xFF\xFE<\0?\0x\0m\0l\0", 11),       // odd length
        std::string("\xFF\xFE<\0?\0x\0m\0l\0 \0v\0", 14),  // malformed
        std::string("<?xml version=\"1.0\"?><Tovara2/>\n"),
        std::string(),
    };
    int kept = 0;
    for (const std::string& bytes : variants) {
        SettingsClose();
        WriteBytes(scratch_.File(), bytes);
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
        EXPECT_EQ(1u, Count());
        SettingsSetNumber(L"fresh", 1);
        Restart();
        wchar_t name[64];
        wsprintfW(name, L"Settings.xml.unreadable-%d", ++kept);
        EXPECT_EQ(bytes, ReadBytes(scratch_.File(name))) << "kept byte for byte, earlier copies untouched";
        EXPECT_EQ(1u, Number(L"fresh")) << "and the fresh store was saved";
    }
    Restart();
    EXPECT_EQ(5u, scratch_.List().size()) << "a readable file makes no copy";
}

TEST_F(StoreTest, AFileThatCannotBeWrittenStaysAsItWas) {
    SettingsSetNumber(L"mine", 1);
    ASSERT_EQ(0, SettingsClose());
    std::string original = ReadBytes(scratch_.File());
    // Locked while loading and saving: neither read nor replaced.
    HANDLE lock = CreateFileW(scratch_.File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    EXPECT_EQ(0, SettingsExists(L"mine"));
    EXPECT_EQ(2, SettingsClose());
    CloseHandle(lock);
    EXPECT_EQ(original, ReadBytes(scratch_.File()));
    // Locked only while loading: kept at close, then replaced.
    lock = CreateFileW(scratch_.File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    CloseHandle(lock);
    Restart();
    EXPECT_EQ(original, ReadBytes(scratch_.File(L"Settings.xml.unreadable-1")));
    EXPECT_EQ(0, SettingsExists(L"mine"));
    SettingsSetNumber(L"mine", 1);
    ASSERT_EQ(0, SettingsClose());
    DeleteFileW(scratch_.File(L"Settings.xml.unreadable-1").c_str());
    original = ReadBytes(scratch_.File());
    // Read-only, or its folder gone by the time of saving.
    SetFileAttributesW(scratch_.File().c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    SettingsSetNumber(L"new", 1);
    EXPECT_EQ(2, SettingsClose());
    SetFileAttributesW(scratch_.File().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(original, ReadBytes(scratch_.File()));
    EXPECT_EQ(std::vector<std::wstring>{L"Settings.xml"}, scratch_.List());
    ScratchFolder other;
    std::wstring vanishing = other.folder + L"\\sub";
    CreateDirectoryW(vanishing.c_str(), nullptr);
    ASSERT_EQ(0, SettingsOpenFile((vanishing + L"\\Settings.xml").c_str(), L"Tovara2"));
    RemoveDirectoryW(vanishing.c_str());
    EXPECT_EQ(2, SettingsClose());
    CreateDirectoryW(other.File().c_str(), nullptr);  // the name is taken by a folder
    ASSERT_EQ(0, SettingsOpenFile(other.File().c_str(), L"Tovara2"));
    EXPECT_EQ(2, SettingsClose());
    EXPECT_EQ(std::vector<std::wstring>{L"Settings.xml"}, other.List()) << "no temporary file is left behind";
    // A closed store answers without crashing.
    DWORD v = 0;
    EXPECT_EQ(3, SettingsSetNumber(L"a", 1));
    EXPECT_EQ(3, SettingsGetNumber(L"a", &v));
    EXPECT_EQ(0u, Count());
    EXPECT_EQ(4, ProfileSelect(0));
    EXPECT_EQ(nullptr, SettingsFilePath());
    EXPECT_EQ(2, SettingsOpenFile(nullptr, L"x"));
    SettingsOpenFile(scratch_.File().c_str(), L"Tovara2");
}

// The configuration window adds and removes its listener on every open and
// close while the plug-in threads write settings.
TEST_F(StoreTest, ListenersComeAndGoWhileAnotherThreadWrites) {
    static volatile LONG heard;
    heard = 0;
    auto counting = [](UINT, const WCHAR*) { InterlockedIncrement(&heard); };
    SettingsAddListener(counting);
    volatile LONG stop = 0;
    HANDLE writer = CreateThread(nullptr, 0, [](void* p) -> DWORD {
        for (UINT i = 0; !*static_cast<volatile LONG*>(p); i++) SettingsSetNumber(L"pkg.dll/n", i);
        return 0;
    }, const_cast<LONG*>(&stop), 0, nullptr);
    for (int i = 0; i < 2000 || heard < 2000; i++) {
        SettingsAddListener(First);
        SettingsAddListener(Second);
        SettingsRemoveListener(First);
        SettingsRemoveListener(Second);
    }
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(writer, INFINITE);
    CloseHandle(writer);
    EXPECT_EQ(static_cast<LONG>(Number(L"pkg.dll/n") + 1), heard) << "the listener that stayed heard every write once";
    SettingsRemoveListener(counting);
}
