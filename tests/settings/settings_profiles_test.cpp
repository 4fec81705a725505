// Profiles: names, creation, deletion index rules and switching.
#include "settings_fixture.h"

using namespace settings_test;

namespace {
std::wstring Name(UINT index) {
    UINT size = 0;
    if (ProfileGetName(index, nullptr, &size) != 0) return L"(none)";
    std::wstring name(size + 1, L'\0');
    size++;
    ProfileGetName(index, &name[0], &size);
    name.resize(size);
    return name;
}

std::pair<UINT, UINT> CurrentAndDefault() {
    UINT c = 99, d = 99;
    ProfileGetCurrent(&c);
    ProfileGetDefault(&d);
    return {c, d};
}

// During SN_PROFILE_LEAVING: stores a marker into the profile being left.
void StoreStateOnLeaving(UINT code, const WCHAR* path) {
    RecordingListener(code, path);
    if (code == SN_PROFILE_LEAVING) SettingsSetNumber(L"left", 1);
}
}  // namespace

TEST_F(StoreTest, AFreshStoreHasOneProfileNamedDefault) {
    UINT count = 0;
    EXPECT_EQ(0, ProfileGetCount(&count));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(L"Default", Name(0));
    EXPECT_EQ(std::make_pair(0u, 0u), CurrentAndDefault());
    EXPECT_EQ(1, ProfileGetCount(nullptr));
    EXPECT_EQ(1, ProfileGetCurrent(nullptr));
    EXPECT_EQ(1, ProfileGetDefault(nullptr));
}

TEST_F(StoreTest, ProfileGetNameReportsTheFullLengthAndCopiesWhatFits) {
    ASSERT_EQ(0, ProfileCreate(L"Gaming"));
    UINT size = 0;
    EXPECT_EQ(0, ProfileGetName(1, nullptr, &size));
    EXPECT_EQ(6u, size);
    WCHAR buffer[8] = L"xxxxxxx";
    size = 4;
    EXPECT_EQ(0, ProfileGetName(1, buffer, &size));
    EXPECT_STREQ(L"Gam", buffer);
    EXPECT_EQ(6u, size);
    EXPECT_EQ(1, ProfileGetName(0, buffer, nullptr));
    EXPECT_EQ(5, ProfileGetName(2, buffer, &size));
}

TEST_F(StoreTest, ProfileCreateRefusesEmptyAndExistingNames) {
    EXPECT_EQ(1, ProfileCreate(nullptr));
    EXPECT_EQ(1, ProfileCreate(L""));
    EXPECT_EQ(4, ProfileCreate(L"DEFAULT"));
    EXPECT_EQ(0, ProfileCreate(L"Work"));
    EXPECT_EQ(0, ProfileCreate(L"Home"));
    EXPECT_EQ(L"Work", Name(1));
    EXPECT_EQ(L"Home", Name(2)) << "profiles keep creation order";
    UINT count = 0;
    ProfileGetCount(&count);
    EXPECT_EQ(3u, count);
}

TEST_F(StoreTest, ProfileRenameAcceptsAnExistingName) {
    ProfileCreate(L"Work");
    EXPECT_EQ(1, ProfileRename(0, nullptr));
    EXPECT_EQ(1, ProfileRename(0, L""));
    EXPECT_EQ(4, ProfileRename(2, L"x"));
    EXPECT_EQ(0, ProfileRename(1, L"Default"));
    EXPECT_EQ(L"Default", Name(1));
    EXPECT_EQ(0, ProfileRename(0, L"Renamed"));
    EXPECT_EQ(L"Renamed", Name(0));
}

TEST_F(StoreTest, ProfileDeleteKeepsCurrentAndDefaultPointingAtTheRightProfiles) {
    struct Case {
        UINT current, defaultIndex, removed;
        UINT newCurrent, newDefault;
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
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "current " << c.current << " default " << c.defaultIndex << " removed "
                                        << c.removed);
        Reset();
        for (const wchar_t* name : {L"B", L"C", L"D"}) ASSERT_EQ(0, ProfileCreate(name));
        SettingsSetNumber(L"mark", 0);
        for (UINT i = 1; i < 4; i++) {
            ProfileSelect(i);
            SettingsSetNumber(L"mark", i);
        }
        ProfileSelect(c.current);
        ProfileSetDefault(c.defaultIndex);
        g_heard.clear();
        SettingsAddListener(RecordingListener);
        ASSERT_EQ(0, ProfileDelete(c.removed));
        EXPECT_EQ(std::make_pair(c.newCurrent, c.newDefault), CurrentAndDefault());
        EXPECT_EQ((std::vector<Notification>{{SN_PROFILE_CHANGED, L"(null)"}}), g_heard);
        // The indexes still name the same profiles as before (or the one
        // that took over).
        DWORD mark = 99;
        SettingsGetNumber(L"mark", &mark);
        UINT expectedMark = c.newCurrent >= c.removed ? c.newCurrent + 1 : c.newCurrent;
        EXPECT_EQ(expectedMark, mark);
        SettingsRemoveListener(RecordingListener);
    }
}

TEST_F(StoreTest, ProfileDeleteRefusesTheOnlyProfileAndBadIndexes) {
    EXPECT_EQ(5, ProfileDelete(0));
    EXPECT_EQ(1, ProfileDelete(1));
    ProfileCreate(L"Work");
    EXPECT_EQ(1, ProfileDelete(2));
    EXPECT_EQ(0, ProfileDelete(0));
    EXPECT_EQ(L"Work", Name(0));
    EXPECT_EQ(5, ProfileDelete(0));
}

TEST_F(StoreTest, ProfileSelectSendsLeavingQuietlyThenChanged) {
    ProfileCreate(L"Work");
    SettingsAddListener(StoreStateOnLeaving);
    EXPECT_EQ(4, ProfileSelect(2));
    EXPECT_TRUE(g_heard.empty());
    EXPECT_EQ(0, ProfileSelect(1));
    const std::vector<Notification> expected = {{SN_PROFILE_LEAVING, L"(null)"}, {SN_PROFILE_CHANGED, L"(null)"}};
    EXPECT_EQ(expected, g_heard) << "the write made while leaving is not announced";
    EXPECT_EQ(std::make_pair(1u, 0u), CurrentAndDefault());
    EXPECT_EQ(0, SettingsExists(L"left")) << "settings resolve in the new profile";
    g_heard.clear();
    EXPECT_EQ(0, ProfileSelect(1)) << "selecting the current profile goes through the same steps";
    EXPECT_EQ(expected, g_heard);
    EXPECT_EQ(1, SettingsExists(L"left"));
    ProfileSelect(0);
    EXPECT_EQ(1, SettingsExists(L"left"));
    g_heard.clear();
    SettingsSetNumber(L"after", 1);
    EXPECT_EQ((std::vector<Notification>{{SN_SETTING_CHANGED, L"after"}}), g_heard) << "quiet is over";
}

TEST_F(StoreTest, ProfileOperationsWithoutNotification) {
    SettingsAddListener(RecordingListener);
    ProfileCreate(L"Work");
    ProfileRename(1, L"Play");
    ProfileCopy(1, 0);
    EXPECT_EQ(4, ProfileSetDefault(2));
    EXPECT_EQ(0, ProfileSetDefault(1));
    EXPECT_EQ(std::make_pair(0u, 1u), CurrentAndDefault());
    EXPECT_TRUE(g_heard.empty());
}

TEST_F(StoreTest, ProfileCopyMakesAnIndependentDeepCopy) {
    SettingsSetNumber(L"a/b/n", 7);
    SettingsSetString(L"s", L"text");
    SettingsSetBool(L"f", 1);
    ProfileCreate(L"Copy");
    EXPECT_EQ(1, ProfileCopy(2, 0));
    EXPECT_EQ(1, ProfileCopy(1, 2));
    ASSERT_EQ(0, ProfileCopy(1, 0));
    ProfileSelect(1);
    DWORD v = 0;
    EXPECT_EQ(0, SettingsGetNumber(L"a/b/n", &v));
    EXPECT_EQ(7u, v);
    EXPECT_EQ(L"text", GetString(L"s"));
    SettingsSetString(L"s", L"changed");
    SettingsDelete(L"a/");
    ProfileSelect(0);
    EXPECT_EQ(L"text", GetString(L"s"));
    EXPECT_EQ(1, SettingsExists(L"a/b/n"));
}

TEST_F(StoreTest, ProfileCopyIntoAFilledProfileKeepsLookupsWorking) {
    SettingsSetNumber(L"m", 1);
    SettingsSetNumber(L"b", 2);
    ProfileCreate(L"Other");
    ProfileSelect(1);
    SettingsSetNumber(L"a", 10);
    SettingsSetNumber(L"z", 20);
    ASSERT_EQ(0, ProfileCopy(1, 0));
    for (auto& e : std::vector<std::pair<const wchar_t*, DWORD>>{{L"a", 10}, {L"b", 2}, {L"m", 1}, {L"z", 20}}) {
        DWORD v = 0;
        EXPECT_EQ(0, SettingsGetNumber(e.first, &v));
        EXPECT_EQ(e.second, v);
    }
    // Into itself: every entry twice, the copies found.
    ASSERT_EQ(0, ProfileCopy(1, 1));
    DWORD v = 0;
    EXPECT_EQ(0, SettingsGetNumber(L"z", &v));
    EXPECT_EQ(20u, v);
}
