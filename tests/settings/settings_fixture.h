#pragma once
// An open store on a file of its own, closed (and checked for leaks) after
// each test; the listener records every notification.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/runtime/memory.h"
#include "settings/settings_store.h"
#include "settings_scratch.h"

namespace settings_test {

struct Notification {
    UINT code;
    std::wstring path;  // "(null)" for a null path
    bool operator==(const Notification& o) const { return code == o.code && path == o.path; }
};

extern std::vector<Notification> g_heard;
void RecordingListener(UINT code, const WCHAR* path);

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_heard.clear();
        liveAtStart_ = MemLiveBlocks();
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    }
    void TearDown() override {
        SettingsClose();
        EXPECT_EQ(liveAtStart_, MemLiveBlocks()) << "heap blocks left behind";
    }
    // Saves and opens the same file again, as a restart would.
    void Restart() {
        ASSERT_EQ(0, SettingsClose());
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    }
    // Starts again from no file at all.
    void Reset() {
        SettingsClose();
        DeleteFileW(scratch_.File().c_str());
        ASSERT_EQ(0, SettingsOpenFile(scratch_.File().c_str(), L"Tovara2"));
    }
    std::wstring Saved() { return ReadUnits(scratch_.File()); }

    ScratchFolder scratch_;
    LONG liveAtStart_ = 0;
};

inline std::wstring GetString(const WCHAR* path, int* result = nullptr) {
    WCHAR* value = nullptr;
    int r = SettingsGetString(path, &value);
    if (result) *result = r;
    std::wstring out = value ? value : L"(null)";
    if (value) MemFree(value);
    return out;
}

}  // namespace settings_test
