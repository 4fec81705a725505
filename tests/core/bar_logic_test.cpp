// The bar's rules checked without its window: placement arithmetic, opacity,
// typed words, the autohide state table, full-screen programs, the menu it
// builds from the profiles, and the files it installs from a drop.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/bar/bar_behaviours.h"
#include "core/bar/bar_geometry.h"
#include "core/bar/bar_window.h"
#include "settings/settings_store.h"
#include "support/program_run.h"

namespace {
RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
std::string S(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}
int Completions(const wchar_t* word, const std::wstring& typed) {
    UINT progress = 0;
    int done = 0;
    for (wchar_t c : typed) done += BarWordAdvance(word, static_cast<UINT>(lstrlenW(word)), &progress, c);
    return done;
}
std::string Step(bool autohide, bool click, bool collapsed, BarAutohideEvent e, DWORD since = 0, bool inside = false) {
    BarAutohideStep s = BarAutohideDecide(BarAutohideInput{autohide, click, collapsed, since, inside}, e);
    return std::string(s.collapsed ? "C" : "o") + (s.startTimer ? "+" : "") + (s.killTimer ? "-" : "") + (s.reposition ? "R" : "");
}
// A settings store of its own holding these profiles, for as long as it lives.
struct ScratchSettings {
    std::wstring folder = tv2test::MakeTempFolder(L"tv2menu");
    explicit ScratchSettings(const std::wstring& profiles) {
        std::wstring text = L"\xFEFF<?xml version=\"1.0\" ?><Tovara2>" + profiles + L"</Tovara2>";
        HANDLE h = CreateFileW((folder + L"\\Settings.xml").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n;
        WriteFile(h, text.data(), static_cast<DWORD>(text.size() * 2), &n, nullptr);
        CloseHandle(h);
        SettingsOpenFile((folder + L"\\Settings.xml").c_str(), L"Tovara2");
    }
    ~ScratchSettings() {
        SettingsClose();
        tv2test::RemoveTree(folder);
    }
};

std::wstring ItemText(HMENU menu, UINT pos, UINT* id = nullptr, UINT* state = nullptr) {
    wchar_t text[300] = {};
    MENUITEMINFOW info = {sizeof(info), MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_FTYPE};
    info.dwTypeData = text;
    info.cch = 300;
    GetMenuItemInfoW(menu, pos, TRUE, &info);
    if (id) *id = info.wID;
    if (state) *state = info.fState & (MFS_CHECKED | MFS_DEFAULT);
    return info.fType & MFT_SEPARATOR ? L"-" : text;
}
}  // namespace

TEST(BarGeometry, AreasBandsAndRectanglesFollowTheEdge) {
    RECT monitor = R(0, 0, 1280, 800), top = monitor, bottom = monitor, bandTop = monitor, bandBottom = monitor;
    BarClipBand(&top, BAR_TOP, 28);
    BarClipBand(&bottom, BAR_BOTTOM, 28);
    BarClipBand(&bandTop, BAR_TOP, 4);
    BarClipBand(&bandBottom, BAR_BOTTOM, 4);
    RECT second = R(1280, 100, 2304, 868);
    BarClipBand(&second, BAR_BOTTOM, 28);
    const std::pair<RECT, const char*> cases[] = {
        // The module area leaves the raised edge facing the desktop, also
        // when the bar is collapsed to its band.
        {BarModuleAreaOf(R(0, 0, 1280, 28), BAR_TOP), "0,0,1280,26"},
        {BarModuleAreaOf(R(0, 0, 1280, 28), BAR_BOTTOM), "0,2,1280,28"},
        {BarModuleAreaOf(R(0, 0, 1280, 4), BAR_BOTTOM), "0,2,1280,28"},
        {top, "0,0,1280,28"},
        {bottom, "0,772,1280,800"},
        {second, "1280,840,2304,868"},
        {BarWindowRectOf(top, BAR_TOP, 28, false), "0,0,1280,28"},
        // Autohide reserves 4 pixels; expanded, the window reaches over the desktop.
        {BarWindowRectOf(bandTop, BAR_TOP, 4, false), "0,0,1280,4"},
        {BarWindowRectOf(bandTop, BAR_TOP, 4, true), "0,0,1280,28"},
        {BarWindowRectOf(bandBottom, BAR_BOTTOM, 4, false), "0,796,1280,800"},
        {BarWindowRectOf(bandBottom, BAR_BOTTOM, 4, true), "0,772,1280,800"},
        // Centring truncates halves toward zero, also when larger than the monitor.
        {BarCenteredRect(monitor, 400, 300), "440,250,840,550"},
        {BarCenteredRect(R(1280, 100, 2304, 868), 401, 301), "1591,333,1992,634"},
        {BarCenteredRect(R(0, 0, 100, 100), 131, 111), "-15,-5,116,106"},
        {BarWelcomeRectOf(R(0, 0, 1280, 26)), "8,6,1272,24"},
        {BarWelcomeRectOf(R(0, 2, 1280, 28)), "8,8,1272,26"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, S(c.first));
    // Popups move beside the bar inside the monitor; touching the right
    // edge counts as over it, and when too wide the right edge wins.
    const struct {
        RECT rect;
        UINT position;
        const char* placed;
    } popups[] = {{R(-30, 500, 170, 600), BAR_TOP, "0,28,200,128"},    {R(1200, 0, 1300, 50), BAR_BOTTOM, "1180,722,1280,772"},
                  {R(1180, 0, 1280, 50), BAR_TOP, "1180,28,1280,78"},  {R(-100, 300, 1400, 310), BAR_TOP, "-220,28,1280,38"},
                  {R(100, 400, 300, 450), BAR_BOTTOM, "100,722,300,772"}};
    for (auto p : popups) {
        BarFitRect(monitor, p.position == BAR_TOP ? top : bottom, p.position, &p.rect);
        EXPECT_EQ(p.placed, S(p.rect));
    }
}

TEST(BarOpacity, PercentMapsToAlphaAndTheStyleChangesOnlyAcross100) {
    const std::pair<UINT, int> alphas[] = {{50, 127}, {99, 252}, {75, 191}, {25, 63}, {1, 2}, {0, 0}};
    for (const auto& a : alphas) EXPECT_EQ(a.second, BarOpacityAlpha(a.first)) << a.first;
    EXPECT_EQ(OPACITY_ADD_LAYERED_ALPHA, BarOpacityPlan(true, 100, 50));
    EXPECT_EQ(OPACITY_SET_ALPHA, BarOpacityPlan(true, 50, 75));
    EXPECT_EQ(OPACITY_REMOVE_LAYERED, BarOpacityPlan(true, 75, 100));
    for (UINT wanted : {50u, 101u, 0xFFFFFFFFu}) EXPECT_EQ(OPACITY_NOTHING, BarOpacityPlan(true, wanted == 50 ? 50 : 100, wanted));
    EXPECT_EQ(OPACITY_NOTHING, BarOpacityPlan(false, 100, 50)) << "no layered windows";
}

TEST(BarRules, WordsAutohideAndFullScreenFollowTheirTables) {
    const std::tuple<const wchar_t*, const wchar_t*, int> words[] = {
        {L"duke", L"duke", 1},   {L"duke", L"dduke", 0},     {L"duke", L"ddduke", 1},  // the second d resets, the third starts
        {L"duke", L"duk", 0},    {L"duke", L"dukeduke", 2},  {L"duke", L"xxduke", 1},
        {L"disco", L"disdisco", 0}, {L"disco", L"disxdisco", 1}};
    for (const auto& w : words) EXPECT_EQ(std::get<2>(w), Completions(std::get<0>(w), std::get<1>(w))) << std::get<1>(w);

    EXPECT_EQ("o+R", Step(true, false, true, AUTOHIDE_HOVER)) << "hover opens a closed band";
    EXPECT_EQ("C", Step(true, true, true, AUTOHIDE_HOVER)) << "unless only a click opens it";
    EXPECT_EQ("o", Step(true, false, false, AUTOHIDE_HOVER));
    EXPECT_EQ("C", Step(false, false, true, AUTOHIDE_HOVER));
    EXPECT_EQ("C-R", Step(true, false, false, AUTOHIDE_TICK, 501, false)) << "closes 500 ms after the mouse left";
    EXPECT_EQ("o", Step(true, false, false, AUTOHIDE_TICK, 500, false));
    EXPECT_EQ("o", Step(true, false, false, AUTOHIDE_TICK, 5000, true));
    EXPECT_EQ("o-", Step(false, false, false, AUTOHIDE_TICK, 0, true)) << "a leftover timer stops itself";
    EXPECT_EQ("o-R", Step(true, true, true, AUTOHIDE_ACTIVATE));
    EXPECT_EQ("CR", Step(true, false, false, AUTOHIDE_DEACTIVATE));

    EXPECT_EQ(-1, BarFullScreenDecide(1, 1, L"Notepad")) << "the first report matches the start state";
    EXPECT_EQ(SW_SHOW, BarFullScreenDecide(1, 0, L"Notepad"));
    EXPECT_EQ(SW_HIDE, BarFullScreenDecide(0, 1, L"Notepad"));
    EXPECT_EQ(-1, BarFullScreenDecide(0, 0, L"Notepad"));
    for (const wchar_t* shell : {L"progman", L"WORKERW", L"Shell_TrayWnd"}) EXPECT_EQ(-1, BarFullScreenDecide(0, 1, shell));
}

TEST(BarMenu, ListsTheProfilesNewestIndexFirstWithDefaultAndCurrentMarked) {
    ScratchSettings scratch(L"<profile name=\"One\" /><profile name=\"Two\" /><profile name=\"Three\" />");
    ASSERT_EQ(0, ProfileSelect(1));  // Two current, One stays the default
    HMENU menu = BarBuildMenu();
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(menu); i++) items.push_back(ItemText(menu, i));
    EXPECT_EQ((std::vector<std::wstring>{L"&Configuration...", L"&Profiles", L"-", L"&Help", L"&About...", L"-", L"E&xit"}), items);
    UINT id = 0, state = 0;
    ItemText(menu, 0, &id, &state);
    EXPECT_EQ(static_cast<UINT>(IDM_CONFIGURATION), id);
    EXPECT_EQ(static_cast<UINT>(MFS_DEFAULT), state);
    ItemText(menu, 6, &id);
    EXPECT_EQ(static_cast<UINT>(IDM_EXIT), id);
    HMENU profiles = GetSubMenu(menu, 1);
    const struct {
        const wchar_t* name;
        UINT id, state;
    } expected[] = {{L"Three", 2002, 0}, {L"Two", 2001, MFS_CHECKED}, {L"One", 2000, MFS_DEFAULT}};
    ASSERT_EQ(3, GetMenuItemCount(profiles));
    for (UINT i = 0; i < 3; i++) {
        EXPECT_EQ(expected[i].name, ItemText(profiles, i, &id, &state));
        EXPECT_EQ(expected[i].id, id);
        EXPECT_EQ(expected[i].state, state) << i;
    }
    DestroyMenu(menu);
}

TEST(BarDrop, LibrariesAreCopiedIntoPluginsNeverOverAFile) {
    for (auto path : {L"C:\\x\\example.DLL", L"C:\\my.folder\\pkg.tar.dll", L".dll"}) EXPECT_TRUE(BarIsPackageFile(path)) << path;
    for (auto path : {L"C:\\x\\notes.txt", L"C:\\x\\example.dll.txt", L"C:\\my.dll\\readme", L"dll"})
        EXPECT_FALSE(BarIsPackageFile(path)) << path;
    std::wstring folder = tv2test::MakeTempFolder(L"tv2drop");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());  // the executable's folder in the program
    CreateDirectoryW(L"Plugins", nullptr);
    CreateDirectoryW(L"from", nullptr);
    CreateDirectoryW(L"other", nullptr);
    auto write = [](const wchar_t* path, const char* text) {
        HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n;
        WriteFile(h, text, lstrlenA(text), &n, nullptr);
        CloseHandle(h);
    };
    write(L"from\\example.DLL", "firs");
    write(L"from\\notes.txt", "text");
    write(L"other\\example.DLL", "more");
    // An HDROP as the shell hands it over: the wide paths, each terminated.
    auto drop = [&](std::vector<std::wstring> files) {
        std::wstring list;
        for (auto& f : files) list += folder + L"\\" + f + L'\0';
        HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
        auto* df = static_cast<DROPFILES*>(GlobalLock(block));
        df->pFiles = sizeof(DROPFILES);
        df->fWide = TRUE;
        memcpy(df + 1, list.c_str(), list.size() * sizeof(wchar_t));
        GlobalUnlock(block);
        BarInstallDroppedFiles(static_cast<HDROP>(block));
        GlobalFree(block);
    };
    drop({L"from\\example.DLL", L"from\\notes.txt", L"from\\gone.dll"});
    drop({L"other\\example.DLL"});
    HANDLE h = CreateFileW(L"Plugins\\example.DLL", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char got[8] = {};
    DWORD n = 0;
    ReadFile(h, got, 8, &n, nullptr);
    CloseHandle(h);
    EXPECT_STREQ("firs", got) << "the first copy stays";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"Plugins\\notes.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"Plugins\\gone.dll"));
    SetCurrentDirectoryW(previous);
    tv2test::RemoveTree(folder);
}
