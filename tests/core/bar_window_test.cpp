// The bar window in this process, on a settings store of its own: how it
// follows the store, its profiles menu, dropped files and the exit rule.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "core/runtime/app_state.h"
#include "core/bar/bar_behaviours.h"
#include "core/bar/bar_window.h"
#include "core/bar/monitors.h"
#include "settings/settings_store.h"

namespace {
std::wstring TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter;
    return std::wstring(temp) + L"tv2bar-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

void WriteFileText(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string ReadFileText(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "(missing)";
    char buffer[256];
    DWORD read = 0;
    ReadFile(h, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(h);
    return std::string(buffer, read);
}

void WriteSettings(const std::wstring& path, const std::wstring& xml) {
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(xml.data()), xml.size() * 2);
    WriteFileText(path, bytes);
}

void RemoveTree(const std::wstring& folder) {
    std::wstring list = folder + L'\0';
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

// An HDROP as the shell hands it over: DROPFILES, then the wide paths, each
// terminated, and one more terminator.
HDROP MakeDrop(const std::vector<std::wstring>& files) {
    size_t chars = 1;
    for (const auto& f : files) chars += f.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(block));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(df + 1);
    for (const auto& f : files) {
        lstrcpyW(p, f.c_str());
        p += f.size() + 1;
    }
    *p = 0;
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

std::wstring ItemText(HMENU menu, UINT pos) {
    wchar_t text[300] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 300;
    GetMenuItemInfoW(menu, pos, TRUE, &info);
    return text;
}

MENUITEMINFOW ItemInfo(HMENU menu, UINT pos) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, pos, TRUE, &info);
    return info;
}

const wchar_t kThreeProfiles[] =
    L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>One</default>\r\n"
    L"\t<profile name=\"One\" />\r\n\t<profile name=\"Two\" />\r\n"
    L"\t<profile name=\"Three\">\r\n\t\t<setting name=\"_position\" type=\"string\">bottom</setting>\r\n"
    L"\t</profile>\r\n</Tovara2>\r\n";

class BarWindow : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = TempFolder();
        CreateDirectoryW(folder_.c_str(), nullptr);
        CreateDirectoryW((folder_ + L"\\Plugins").c_str(), nullptr);
        GetCurrentDirectoryW(MAX_PATH, previous_);
        SetCurrentDirectoryW(folder_.c_str());
        WriteSettings(folder_ + L"\\Settings.xml", kThreeProfiles);
        ASSERT_EQ(0, SettingsOpenFile((folder_ + L"\\Settings.xml").c_str(), L"Tovara2"));

        AppInstance = GetModuleHandleW(nullptr);
        if (!MonitorList) MonitorList = PtrArrayCreate();
        Bar.collapsed = 1;
        OsVersion.dwOSVersionInfoSize = sizeof(OsVersion);
        GetVersionExW(&OsVersion);
        AppSetLayeredWindowAttributes = reinterpret_cast<SetLayeredWindowAttributesFn>(
            GetProcAddress(GetModuleHandleW(L"user32"), "SetLayeredWindowAttributes"));
        ASSERT_TRUE(BarRegisterClass());
        ASSERT_TRUE(BarCreateWindow());
        bar_ = BarGetWindow();
        ASSERT_NE(nullptr, bar_);
        BarGetMonitorRect(&monitor_);
    }
    void TearDown() override {
        if (IsWindow(bar_)) DestroyWindow(bar_);
        MSG msg;  // the bar's WM_QUIT, meant for a loop this test does not run
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        BarUnregisterClass();
        SettingsClose();
        SetCurrentDirectoryW(previous_);
        RemoveTree(folder_);
    }
    RECT BarRect() {
        RECT r;
        GetWindowRect(bar_, &r);
        return r;
    }

    std::wstring folder_;
    wchar_t previous_[MAX_PATH];
    HWND bar_ = nullptr;
    RECT monitor_;
};
}  // namespace

TEST_F(BarWindow, WritingAHostKeyDocksTheBarAtOnce) {
    RECT r = BarRect();
    EXPECT_EQ(monitor_.top, r.top);
    EXPECT_EQ(28, r.bottom - r.top);
    EXPECT_EQ(monitor_.right - monitor_.left, r.right - r.left);

    ASSERT_EQ(0, SettingsSetString(L"_position", L"Bottom"));
    r = BarRect();
    EXPECT_EQ(monitor_.bottom, r.bottom);
    EXPECT_EQ(28, r.bottom - r.top);

    ASSERT_EQ(0, SettingsSetString(L"_position", L"sideways"));  // anything else is the top
    EXPECT_EQ(monitor_.top, BarRect().top);

    // Any host key re-docks, even one that is not the bar's.
    SetWindowPos(bar_, nullptr, 100, 300, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(0, SettingsSetNumber(L"_alignment", 1));
    r = BarRect();
    EXPECT_EQ(monitor_.top, r.top);
    EXPECT_EQ(28, r.bottom - r.top);
    // A package's key does not.
    SetWindowPos(bar_, nullptr, 100, 300, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(0, SettingsSetNumber(L"pkg.dll/_loaded", 1));
    EXPECT_EQ(300, BarRect().top);
}

TEST_F(BarWindow, AutohideReservesABandAndCollapsesToIt) {
    Bar.collapsed = 1;
    ASSERT_EQ(0, SettingsSetBool(L"_autohide", 1));
    RECT r = BarRect();
    EXPECT_EQ(monitor_.top, r.top);
    EXPECT_EQ(4, r.bottom - r.top);
    Bar.collapsed = 0;
    BarReposition();
    EXPECT_EQ(28, BarRect().bottom - BarRect().top);
    ASSERT_EQ(0, SettingsSetBool(L"_autohide", 0));
    EXPECT_EQ(28, BarRect().bottom - BarRect().top);
}

TEST_F(BarWindow, OpacitySettingDrivesTheLayeredStyle) {
    ASSERT_TRUE(LayeredWindowsAvailable());
    ASSERT_EQ(0, SettingsSetNumber(L"_opacity", 50));
    EXPECT_TRUE(GetWindowLongW(bar_, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(bar_, nullptr, &alpha, &flags));
    EXPECT_EQ(127, alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);

    ASSERT_EQ(0, SettingsSetNumber(L"_opacity", 101));  // ignored
    EXPECT_EQ(50u, BarGetOpacity());
    ASSERT_TRUE(GetLayeredWindowAttributes(bar_, nullptr, &alpha, &flags));
    EXPECT_EQ(127, alpha);

    ASSERT_EQ(0, SettingsSetNumber(L"_opacity", 100));
    EXPECT_FALSE(GetWindowLongW(bar_, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(100u, BarGetOpacity());
}

TEST_F(BarWindow, MenuListsProfilesNewestIndexFirstWithDefaultAndCurrentMarked) {
    ASSERT_EQ(0, ProfileSelect(1));  // "Two" current, "One" stays default
    HMENU menu = BarBuildMenu();
    ASSERT_EQ(7, GetMenuItemCount(menu));
    EXPECT_EQ(L"&Configuration...", ItemText(menu, 0));
    EXPECT_EQ(static_cast<UINT>(IDM_CONFIGURATION), ItemInfo(menu, 0).wID);
    EXPECT_TRUE(ItemInfo(menu, 0).fState & MFS_DEFAULT);
    EXPECT_EQ(L"&Profiles", ItemText(menu, 1));
    EXPECT_TRUE(ItemInfo(menu, 2).fType & MFT_SEPARATOR);
    EXPECT_EQ(L"&Help", ItemText(menu, 3));
    EXPECT_EQ(static_cast<UINT>(IDM_HELP), ItemInfo(menu, 3).wID);
    EXPECT_EQ(L"&About...", ItemText(menu, 4));
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUT), ItemInfo(menu, 4).wID);
    EXPECT_TRUE(ItemInfo(menu, 5).fType & MFT_SEPARATOR);
    EXPECT_EQ(L"E&xit", ItemText(menu, 6));
    EXPECT_EQ(static_cast<UINT>(IDM_EXIT), ItemInfo(menu, 6).wID);

    HMENU profiles = ItemInfo(menu, 1).hSubMenu;
    ASSERT_NE(nullptr, profiles);
    ASSERT_EQ(3, GetMenuItemCount(profiles));
    EXPECT_EQ(L"Three", ItemText(profiles, 0));
    EXPECT_EQ(L"Two", ItemText(profiles, 1));
    EXPECT_EQ(L"One", ItemText(profiles, 2));
    EXPECT_EQ(2002u, ItemInfo(profiles, 0).wID);
    EXPECT_EQ(2001u, ItemInfo(profiles, 1).wID);
    EXPECT_EQ(2000u, ItemInfo(profiles, 2).wID);
    EXPECT_EQ(0u, ItemInfo(profiles, 0).fState & (MFS_CHECKED | MFS_DEFAULT));
    EXPECT_EQ(static_cast<UINT>(MFS_CHECKED), ItemInfo(profiles, 1).fState & (MFS_CHECKED | MFS_DEFAULT));
    EXPECT_EQ(static_cast<UINT>(MFS_DEFAULT), ItemInfo(profiles, 2).fState & (MFS_CHECKED | MFS_DEFAULT));
    DestroyMenu(menu);
}

TEST_F(BarWindow, ChoosingAProfileSwitchesToItAndDocksByItsSettings) {
    EXPECT_EQ(monitor_.top, BarRect().top);
    SendMessageW(bar_, WM_COMMAND, IDM_PROFILE_FIRST + 2, 0);
    UINT current = 99;
    ProfileGetCurrent(&current);
    EXPECT_EQ(2u, current);
    EXPECT_EQ(monitor_.bottom, BarRect().bottom);  // "Three" keeps the bar at the bottom

    // The profile left behind kept the bar's state, without being disturbed
    // by the switch.
    SendMessageW(bar_, WM_COMMAND, IDM_PROFILE_FIRST + 0, 0);
    EXPECT_EQ(monitor_.top, BarRect().top);
    WCHAR* position = nullptr;
    ASSERT_EQ(0, SettingsGetString(L"_position", &position));
    EXPECT_STREQ(L"top", position);
    HeapFree(GetProcessHeap(), 0, position);
}

TEST_F(BarWindow, DroppedLibrariesAreCopiedIntoPluginsWithoutOverwriting) {
    std::wstring from = folder_ + L"\\from", other = folder_ + L"\\other";
    CreateDirectoryW(from.c_str(), nullptr);
    CreateDirectoryW(other.c_str(), nullptr);
    WriteFileText(from + L"\\example.DLL", "first");
    WriteFileText(from + L"\\notes.txt", "text");
    WriteFileText(other + L"\\example.DLL", "second");
    WriteFileText(other + L"\\Other.dll", "other");

    SendMessageW(bar_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({from + L"\\example.DLL", from + L"\\notes.txt"})),
                 0);
    EXPECT_EQ("first", ReadFileText(folder_ + L"\\Plugins\\example.DLL"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder_ + L"\\Plugins\\notes.txt").c_str()));

    SendMessageW(bar_, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({other + L"\\example.DLL", other + L"\\Other.dll"})), 0);
    EXPECT_EQ("first", ReadFileText(folder_ + L"\\Plugins\\example.DLL"));
    EXPECT_EQ("other", ReadFileText(folder_ + L"\\Plugins\\Other.dll"));
    // A file that does not exist is skipped quietly.
    SendMessageW(bar_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({from + L"\\gone.dll"})), 0);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder_ + L"\\Plugins\\gone.dll").c_str()));
}

TEST_F(BarWindow, ExitIsRefusedWhileTheConfigurationWindowIsOpen) {
    HANDLE open = CreateMutexW(nullptr, FALSE, L"Tovara2ConfigWindow");
    SendMessageW(bar_, WM_CLOSE, 0, 0);
    SendMessageW(bar_, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_TRUE(IsWindow(bar_));
    CloseHandle(open);
    SendMessageW(bar_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(bar_));
    EXPECT_EQ(nullptr, BarGetWindow());
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(BarWindow, CentredWindowsAddTheirFrameAroundTheClientArea) {
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(BarCenterWindow(w, 400, 300, WS_OVERLAPPEDWINDOW, 0));
    RECT want = {monitor_.left + (monitor_.right - monitor_.left - 400) / 2,
                 monitor_.top + (monitor_.bottom - monitor_.top - 300) / 2, 0, 0};
    want.right = want.left + 400;
    want.bottom = want.top + 300;
    AdjustWindowRectEx(&want, WS_OVERLAPPEDWINDOW, FALSE, 0);
    RECT got;
    GetWindowRect(w, &got);
    EXPECT_TRUE(EqualRect(&want, &got));
    DestroyWindow(w);
}
