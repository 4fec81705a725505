// Typed settings: result codes, conversions, paths and notifications.
#include "settings_fixture.h"

namespace settings_test {
std::vector<Notification> g_heard;

void RecordingListener(UINT code, const WCHAR* path) { g_heard.push_back({code, path ? path : L"(null)"}); }
}  // namespace settings_test

using namespace settings_test;

namespace {
std::vector<UINT> g_order;
void FirstListener(UINT, const WCHAR*) { g_order.push_back(1); }
void SecondListener(UINT, const WCHAR*) { g_order.push_back(2); }
void SelfRemovingListener(UINT, const WCHAR*) {
    g_order.push_back(3);
    SettingsRemoveListener(SelfRemovingListener);
}
}  // namespace

TEST_F(StoreTest, NullOrEmptyArgumentsReturnOne) {
    DWORD v = 77;
    WCHAR* s = reinterpret_cast<WCHAR*>(0x1234);
    EXPECT_EQ(1, SettingsGetNumber(nullptr, &v));
    EXPECT_EQ(1, SettingsGetNumber(L"", &v));
    EXPECT_EQ(1, SettingsGetNumber(L"a", nullptr));
    EXPECT_EQ(1, SettingsGetBool(L"", &v));
    EXPECT_EQ(1, SettingsGetBool(L"a", nullptr));
    EXPECT_EQ(1, SettingsGetString(L"", &s));
    EXPECT_EQ(reinterpret_cast<WCHAR*>(0x1234), s) << "pointer is left alone on result 1";
    EXPECT_EQ(1, SettingsGetString(L"a", nullptr));
    EXPECT_EQ(1, SettingsSetNumber(nullptr, 1));
    EXPECT_EQ(1, SettingsSetBool(L"", 1));
    EXPECT_EQ(1, SettingsSetString(L"a", nullptr));
    EXPECT_EQ(1, SettingsSetString(L"", L"x"));
    EXPECT_EQ(1, SettingsDelete(nullptr));
    EXPECT_EQ(1, SettingsDelete(L""));
    EXPECT_EQ(0, SettingsExists(nullptr));
    EXPECT_EQ(0, SettingsExists(L""));
    EXPECT_EQ(77u, v);
    EXPECT_EQ(0, SettingsExists(L"a")) << "failed writes created nothing";
}

TEST_F(StoreTest, MissingSettingsReturnThree) {
    DWORD v = 77;
    WCHAR* s = reinterpret_cast<WCHAR*>(0x1234);
    EXPECT_EQ(3, SettingsGetNumber(L"nothing", &v));
    EXPECT_EQ(3, SettingsGetBool(L"node/nothing", &v));
    EXPECT_EQ(3, SettingsGetString(L"nothing", &s));
    EXPECT_EQ(nullptr, s) << "pointer is cleared before the lookup";
    EXPECT_EQ(77u, v);
}

TEST_F(StoreTest, NumbersConvertToFlagsAndSignedText) {
    DWORD v = 0;
    ASSERT_EQ(0, SettingsSetNumber(L"n", 5));
    EXPECT_EQ(0, SettingsGetNumber(L"n", &v));
    EXPECT_EQ(5u, v);
    EXPECT_EQ(0, SettingsGetBool(L"n", &v));
    EXPECT_EQ(1u, v);
    EXPECT_EQ(L"5", GetString(L"n"));
    SettingsSetNumber(L"n", 0);
    SettingsGetBool(L"n", &v);
    EXPECT_EQ(0u, v);
    SettingsSetNumber(L"n", static_cast<DWORD>(-5));
    EXPECT_EQ(L"-5", GetString(L"n"));
    SettingsSetNumber(L"n", 0x80000000u);
    EXPECT_EQ(L"-2147483648", GetString(L"n"));
}

TEST_F(StoreTest, StringsReadAsLeadingDigitsAndTrueIgnoringCase) {
    struct Case {
        const wchar_t* text;
        DWORD number;
        DWORD flag;
    } cases[] = {
        {L"42abc", 42, 0}, {L"-5", 0, 0},   {L"abc", 0, 0},        {L" 7", 0, 0},
        {L"4294967297", 1, 0}, {L"TRUE", 0, 1}, {L"true ", 0, 0}, {L"yes", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << ::testing::PrintToString(std::wstring(c.text)));
        ASSERT_EQ(0, SettingsSetString(L"s", c.text));
        DWORD v = 99;
        EXPECT_EQ(0, SettingsGetNumber(L"s", &v));
        EXPECT_EQ(c.number, v);
        EXPECT_EQ(0, SettingsGetBool(L"s", &v));
        EXPECT_EQ(c.flag, v);
        EXPECT_EQ(c.text, GetString(L"s"));
    }
}

TEST_F(StoreTest, FlagsAreStoredUnchanged) {
    DWORD v = 0;
    SettingsSetBool(L"b", 5);
    SettingsGetBool(L"b", &v);
    EXPECT_EQ(5u, v);
    SettingsGetNumber(L"b", &v);
    EXPECT_EQ(1u, v);
    EXPECT_EQ(L"true", GetString(L"b"));
    SettingsSetBool(L"b", 0);
    EXPECT_EQ(L"false", GetString(L"b"));
    SettingsGetNumber(L"b", &v);
    EXPECT_EQ(0u, v);
}

TEST_F(StoreTest, AWriteChangesTheType) {
    SettingsSetString(L"x", L"text");
    SettingsSetNumber(L"x", 12);
    EXPECT_EQ(L"12", GetString(L"x"));
    SettingsSetBool(L"x", 1);
    EXPECT_EQ(L"true", GetString(L"x"));
    SettingsSetString(L"x", L"again");
    EXPECT_EQ(L"again", GetString(L"x"));
}

TEST_F(StoreTest, StringReadsAreCopiesTheCallerOwns) {
    SettingsSetString(L"s", L"value");
    WCHAR* first = nullptr;
    ASSERT_EQ(0, SettingsGetString(L"s", &first));
    first[0] = L'V';
    EXPECT_EQ(L"value", GetString(L"s"));
    MemFree(first);
    // Writing a string with the text a read gave back.
    WCHAR* copy = nullptr;
    SettingsGetString(L"s", &copy);
    EXPECT_EQ(0, SettingsSetString(L"s", copy));
    MemFree(copy);
    EXPECT_EQ(L"value", GetString(L"s"));
}

TEST_F(StoreTest, PathsWithAnEmptyNameNameNothing) {
    // Leading slash: nothing is made.
    EXPECT_EQ(3, SettingsSetNumber(L"/a", 1));
    EXPECT_EQ(0, SettingsExists(L"a"));
    EXPECT_EQ(3, SettingsSetNumber(L"/", 1));
    // Two slashes: the nodes before them are made, the setting is not.
    EXPECT_EQ(3, SettingsSetNumber(L"p/q//k", 1));
    EXPECT_EQ(1, SettingsExists(L"p/"));
    EXPECT_EQ(1, SettingsExists(L"p/q/"));
    EXPECT_EQ(0, SettingsExists(L"p/q//k"));
    DWORD v;
    EXPECT_EQ(3, SettingsGetNumber(L"p//q", &v));
    // Trailing slash: a write makes the nodes and finds no setting.
    EXPECT_EQ(3, SettingsSetString(L"t/u/", L"x"));
    EXPECT_EQ(1, SettingsExists(L"t/u/"));
    EXPECT_EQ(3, SettingsGetNumber(L"t/u/", &v));
    EXPECT_TRUE(g_heard.empty()) << "failed writes do not notify";
}

TEST_F(StoreTest, WritingThreeNamesOnAnEmptyProfileMakesTwoNodesAndTheSetting) {
    ASSERT_EQ(0, SettingsSetNumber(L"Example.dll/Example/color", 255));
    EXPECT_EQ(1, SettingsExists(L"Example.dll/"));
    EXPECT_EQ(1, SettingsExists(L"Example.dll/Example/"));
    EXPECT_EQ(1, SettingsExists(L"Example.dll/Example/color"));
    EXPECT_EQ(0, SettingsExists(L"Example.dll/Example/color/")) << "a setting is not a node";
    EXPECT_EQ(0, SettingsExists(L"Example.dll")) << "a node is not a setting";
    DWORD v = 0;
    EXPECT_EQ(0, SettingsGetNumber(L"Example.dll/Example/color", &v));
    EXPECT_EQ(255u, v);
}

TEST_F(StoreTest, NamesRespectCase) {
    SettingsSetNumber(L"Key", 1);
    SettingsSetNumber(L"key", 2);
    SettingsSetNumber(L"KEY", 3);
    SettingsSetNumber(L"Node/k", 4);
    SettingsSetNumber(L"node/k", 5);
    DWORD v = 0;
    const std::pair<const wchar_t*, DWORD> expected[] = {{L"Key", 1}, {L"key", 2}, {L"KEY", 3}, {L"Node/k", 4}, {L"node/k", 5}};
    for (auto& e : expected) {
        EXPECT_EQ(0, SettingsGetNumber(e.first, &v)) << ::testing::PrintToString(std::wstring(e.first));
        EXPECT_EQ(e.second, v);
    }
    EXPECT_EQ(0, SettingsExists(L"kEY"));
    EXPECT_EQ(0, SettingsExists(L"NODE/"));
    SettingsDelete(L"key");
    EXPECT_EQ(1, SettingsExists(L"Key"));
    EXPECT_EQ(1, SettingsExists(L"KEY"));
    EXPECT_EQ(0, SettingsExists(L"key"));
}

TEST_F(StoreTest, DeleteRemovesSettingsAndWholeNodes) {
    SettingsSetNumber(L"a/b/c", 1);
    SettingsSetNumber(L"a/d", 2);
    SettingsSetNumber(L"e", 3);
    SettingsAddListener(RecordingListener);
    EXPECT_EQ(0, SettingsDelete(L"e"));
    EXPECT_EQ(0, SettingsExists(L"e"));
    EXPECT_EQ(3, SettingsDelete(L"a/b")) << "a node is not deleted without its slash";
    EXPECT_EQ(0, SettingsDelete(L"a/b/"));
    EXPECT_EQ(0, SettingsExists(L"a/b/"));
    EXPECT_EQ(0, SettingsExists(L"a/b/c"));
    EXPECT_EQ(1, SettingsExists(L"a/d"));
    EXPECT_EQ(3, SettingsDelete(L"/"));
    EXPECT_EQ(3, SettingsDelete(L"x/y"));
    const std::vector<Notification> expected = {
        {SN_SETTING_DELETED, L"e"}, {SN_SETTING_DELETED, L"a/b"}, {SN_SETTING_DELETED, L"a/b/"},
        {SN_SETTING_DELETED, L"/"}, {SN_SETTING_DELETED, L"x/y"}};
    EXPECT_EQ(expected, g_heard) << "found or not, a delete notifies";
}

TEST_F(StoreTest, EveryWriteNotifiesWithThePathAsGiven) {
    SettingsAddListener(RecordingListener);
    SettingsSetNumber(L"a/n", 1);
    SettingsSetNumber(L"a/n", 1);
    SettingsSetBool(L"b", 0);
    SettingsSetString(L"c", L"");
    SettingsSetNumber(L"/bad", 1);
    const std::vector<Notification> expected = {
        {SN_SETTING_CHANGED, L"a/n"}, {SN_SETTING_CHANGED, L"a/n"}, {SN_SETTING_CHANGED, L"b"}, {SN_SETTING_CHANGED, L"c"}};
    EXPECT_EQ(expected, g_heard);
}

TEST_F(StoreTest, ListenersAreCalledInRegistrationOrder) {
    g_order.clear();
    EXPECT_EQ(1, SettingsAddListener(nullptr));
    EXPECT_EQ(1, SettingsRemoveListener(nullptr));
    EXPECT_EQ(0, SettingsAddListener(SecondListener));
    EXPECT_EQ(0, SettingsAddListener(FirstListener));
    EXPECT_EQ(0, SettingsAddListener(SecondListener));
    SettingsSetNumber(L"x", 1);
    EXPECT_EQ((std::vector<UINT>{2, 1, 2}), g_order) << "added twice, called twice";
    g_order.clear();
    EXPECT_EQ(0, SettingsRemoveListener(SecondListener));
    SettingsSetNumber(L"x", 1);
    EXPECT_EQ((std::vector<UINT>{1, 2}), g_order) << "only the first occurrence goes";
    g_order.clear();
    SettingsRemoveListener(SecondListener);
    SettingsRemoveListener(SecondListener);
    SettingsSetNumber(L"x", 1);
    EXPECT_EQ((std::vector<UINT>{1}), g_order);
}

TEST_F(StoreTest, AListenerRemovingItselfDoesNotSkipTheNextOne) {
    g_order.clear();
    SettingsAddListener(SelfRemovingListener);
    SettingsAddListener(FirstListener);
    SettingsSetNumber(L"x", 1);
    SettingsSetNumber(L"x", 2);
    EXPECT_EQ((std::vector<UINT>{3, 1, 1}), g_order);
}

TEST_F(StoreTest, CloseDropsTheListeners) {
    SettingsAddListener(RecordingListener);
    Restart();
    SettingsSetNumber(L"x", 1);
    EXPECT_TRUE(g_heard.empty());
}

// The configuration window adds and removes its listener on every open and
// close while the plug-in threads write settings.
volatile LONG g_calls;
void CountingListener(UINT, const WCHAR*) { InterlockedIncrement(&g_calls); }

TEST_F(StoreTest, ListenersComeAndGoWhileAnotherThreadWrites) {
    g_calls = 0;
    g_order.clear();
    SettingsAddListener(CountingListener);
    volatile LONG stop = 0;
    HANDLE writer = CreateThread(nullptr, 0, [](void* p) -> DWORD {
        for (UINT i = 0; !*static_cast<volatile LONG*>(p); i++) SettingsSetNumber(L"pkg.dll/n", i);
        return 0;
    }, const_cast<LONG*>(&stop), 0, nullptr);
    for (int i = 0; i < 2000 || g_calls < 2000; i++) {
        SettingsAddListener(FirstListener);
        SettingsAddListener(SecondListener);
        SettingsRemoveListener(FirstListener);
        SettingsRemoveListener(SecondListener);
    }
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(writer, INFINITE);
    CloseHandle(writer);
    // The listener that stayed put heard every write, none twice.
    DWORD n = 0;
    ASSERT_EQ(0, SettingsGetNumber(L"pkg.dll/n", &n));
    EXPECT_EQ(static_cast<LONG>(n + 1), g_calls);
    SettingsRemoveListener(CountingListener);
}
