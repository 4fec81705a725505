// The rules behind the bar's behaviours, checked without a window: typed
// words, the autohide state table, full-screen programs, dropped files.
#include <gtest/gtest.h>

#include <string>

#include "core/bar/bar_behaviours.h"

namespace {
// Feeds a text to one word's matcher; the number of completions.
int Completions(const wchar_t* word, const std::wstring& typed) {
    UINT progress = 0;
    int done = 0;
    UINT length = static_cast<UINT>(lstrlenW(word));
    for (wchar_t c : typed)
        if (BarWordAdvance(word, length, &progress, c)) done++;
    return done;
}

BarAutohideStep Decide(bool autohide, bool click, bool collapsed, BarAutohideEvent e, DWORD since = 0,
                       bool inside = false) {
    BarAutohideInput in = {autohide, click, collapsed, since, inside};
    return BarAutohideDecide(in, e);
}
}  // namespace

TEST(BarWords, AWordCountsOnlyWhenTypedWithoutAWrongLetter) {
    EXPECT_EQ(1, Completions(L"duke", L"duke"));
    EXPECT_EQ(0, Completions(L"duke", L"dduke"));  // the second d resets and is not a new start
    EXPECT_EQ(1, Completions(L"duke", L"ddduke"));  // ...but the third d starts again
    EXPECT_EQ(0, Completions(L"duke", L"duk"));
    EXPECT_EQ(2, Completions(L"duke", L"dukeduke"));
    EXPECT_EQ(1, Completions(L"duke", L"xxduke"));
    EXPECT_EQ(1, Completions(L"disco", L"disco"));
    EXPECT_EQ(0, Completions(L"disco", L"disdisco"));  // 'd' after "dis" resets, then "isco" is wrong
    EXPECT_EQ(1, Completions(L"disco", L"disxdisco"));
}

TEST(BarWords, BothWordsAdvanceIndependently) {
    UINT duke = 0, disco = 0;
    // "d" advances both; "i" keeps disco going and resets duke.
    EXPECT_FALSE(BarWordAdvance(L"duke", 4, &duke, L'd'));
    EXPECT_FALSE(BarWordAdvance(L"disco", 5, &disco, L'd'));
    EXPECT_EQ(1u, duke);
    EXPECT_EQ(1u, disco);
    BarWordAdvance(L"duke", 4, &duke, L'i');
    BarWordAdvance(L"disco", 5, &disco, L'i');
    EXPECT_EQ(0u, duke);
    EXPECT_EQ(2u, disco);
}

TEST(BarAutohide, FollowsTheStateTable) {
    // Collapsed + hover: opens and starts the timer, unless only clicks open it.
    BarAutohideStep s = Decide(true, false, true, AUTOHIDE_HOVER);
    EXPECT_FALSE(s.collapsed);
    EXPECT_TRUE(s.startTimer);
    EXPECT_TRUE(s.reposition);
    s = Decide(true, true, true, AUTOHIDE_HOVER);
    EXPECT_TRUE(s.collapsed);
    EXPECT_FALSE(s.startTimer || s.reposition);
    // Hover over an open bar, or with autohide off: nothing.
    s = Decide(true, false, false, AUTOHIDE_HOVER);
    EXPECT_FALSE(s.collapsed || s.startTimer || s.reposition);
    s = Decide(false, false, true, AUTOHIDE_HOVER);
    EXPECT_FALSE(s.startTimer || s.reposition);

    // Timer: closes only after 500 ms without hover and with the mouse away.
    s = Decide(true, false, false, AUTOHIDE_TICK, 501, false);
    EXPECT_TRUE(s.collapsed && s.killTimer && s.reposition);
    s = Decide(true, false, false, AUTOHIDE_TICK, 500, false);
    EXPECT_FALSE(s.collapsed || s.killTimer || s.reposition);
    s = Decide(true, false, false, AUTOHIDE_TICK, 5000, true);
    EXPECT_FALSE(s.collapsed || s.killTimer);
    // A leftover timer stops itself.
    s = Decide(false, false, false, AUTOHIDE_TICK, 0, true);
    EXPECT_TRUE(s.killTimer);
    EXPECT_FALSE(s.collapsed);

    // Activation opens and stops the timer; deactivation closes.
    s = Decide(true, true, true, AUTOHIDE_ACTIVATE);
    EXPECT_FALSE(s.collapsed);
    EXPECT_TRUE(s.killTimer && s.reposition);
    s = Decide(true, false, false, AUTOHIDE_DEACTIVATE);
    EXPECT_TRUE(s.collapsed && s.reposition);
    EXPECT_FALSE(s.killTimer);
}

TEST(BarFullScreen, HidesAndShowsOnlyOnRealChanges) {
    // The first "opened" after start-up matches the initial state.
    EXPECT_EQ(-1, BarFullScreenDecide(1, 1, L"Notepad"));
    EXPECT_EQ(SW_SHOW, BarFullScreenDecide(1, 0, L"Notepad"));
    EXPECT_EQ(SW_HIDE, BarFullScreenDecide(0, 1, L"Notepad"));
    EXPECT_EQ(-1, BarFullScreenDecide(0, 0, L"Notepad"));
    // The desktop and the taskbar are not full-screen programs.
    EXPECT_EQ(-1, BarFullScreenDecide(0, 1, L"progman"));
    EXPECT_EQ(-1, BarFullScreenDecide(0, 1, L"WORKERW"));
    EXPECT_EQ(-1, BarFullScreenDecide(1, 0, L"Shell_TrayWnd"));
    EXPECT_EQ(SW_HIDE, BarFullScreenDecide(0, 1, L""));
}

TEST(BarDrop, OnlyLibrariesAreInstalled) {
    EXPECT_TRUE(BarIsPackageFile(L"C:\\x\\example.DLL"));
    EXPECT_TRUE(BarIsPackageFile(L"C:\\x\\example.dll"));
    EXPECT_TRUE(BarIsPackageFile(L"C:\\my.folder\\pkg.tar.dll"));
    EXPECT_FALSE(BarIsPackageFile(L"C:\\x\\notes.txt"));
    EXPECT_FALSE(BarIsPackageFile(L"C:\\x\\example.dll.txt"));
    EXPECT_FALSE(BarIsPackageFile(L"C:\\my.dll\\readme"));  // the last '.' of the whole path
    EXPECT_FALSE(BarIsPackageFile(L"dll"));
    EXPECT_TRUE(BarIsPackageFile(L".dll"));
}
