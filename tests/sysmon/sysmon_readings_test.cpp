#include "sysmon_fixture.h"

#include <cstdlib>

namespace {

std::wstring TimeNow(const wchar_t* picture) {
    wchar_t buf[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, picture, buf, 64);
    return buf;
}

// "h:mm:ss" or "Nd hh:mm", as minutes.
bool ParseUptimeMinutes(const std::wstring& text, double* minutes) {
    unsigned d = 0, h = 0, m = 0, s = 0;
    if (swscanf(text.c_str(), L"%ud %u:%u", &d, &h, &m) == 3 && text.find(L'd') != std::wstring::npos) {
        *minutes = d * 1440.0 + h * 60.0 + m;
        return true;
    }
    if (swscanf(text.c_str(), L"%u:%u:%u", &h, &m, &s) == 3) {
        *minutes = h * 60.0 + m + s / 60.0;
        return true;
    }
    return false;
}

}  // namespace

TEST_F(SysMonTest, CpuLoadIsAPercentageOnceTwoReadingsExist) {
    Init();
    EXPECT_EQ(kDash, host_->Text(L"CPU")) << "one reading gives no load yet";
    for (int i = 0; i < 3; ++i) {
        Sleep(150);
        host_->Tick();
        int load = -1;
        ASSERT_TRUE(ParsePercent(host_->Text(L"CPU"), &load)) << "text: " << testing::PrintToString(host_->Text(L"CPU"));
        EXPECT_GE(load, 0);
        EXPECT_LE(load, 100);
        printf("[ info     ] CPU load %d%%\n", load);
    }
}

TEST_F(SysMonTest, MemoryInUseIsAPercentageAndNeverExceedsTotal) {
    Init();
    host_->Tick();
    int used = -1;
    ASSERT_TRUE(ParsePercent(host_->Text(L"Memory"), &used));
    EXPECT_GE(used, 0);
    EXPECT_LE(used, 100);
    SendMessageW(host_->Window(L"Memory"), WM_LBUTTONDOWN, 0, 0);
    HWND popup = FindPopup();
    ASSERT_NE(nullptr, popup);
    std::wstring text = PopupText(popup);
    // "In use:\t3.1 GB of 7.8 GB (41%)"
    size_t at = text.find(L"In use:\t");
    ASSERT_NE(std::wstring::npos, at) << testing::PrintToString(text);
    std::wstring rest = text.substr(at + 8);
    size_t of = rest.find(L" of ");
    ASSERT_NE(std::wstring::npos, of);
    double inUse = 0, total = 0;
    ASSERT_TRUE(ParseAmount(rest.substr(0, of), &inUse));
    ASSERT_TRUE(ParseAmount(rest.substr(of + 4), &total));
    MEMORYSTATUSEX ms{sizeof(ms)};
    GlobalMemoryStatusEx(&ms);
    EXPECT_LE(inUse, total);
    EXPECT_NEAR(static_cast<double>(ms.ullTotalPhys), total, total * 0.06);
}

TEST_F(SysMonTest, ClockShowsTheSystemTimeInTheDefaultFormat) {
    Init();
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::wstring before = TimeNow(L"HH:mm:ss");
        host_->Tick();
        std::wstring shown = host_->Text(L"Clock");
        std::wstring after = TimeNow(L"HH:mm:ss");
        if (before != after) continue;  // a second ended in between
        EXPECT_EQ(before, shown);
        return;
    }
    FAIL() << "the second never held still";
}

TEST_F(SysMonTest, ClockPopupShowsTheDateInItsFormat) {
    host_->SetString(Key(L"Clock", L"date_format"), L"yyyy-MM-dd");
    Init();
    SendMessageW(host_->Window(L"Clock"), WM_LBUTTONDOWN, 0, 0);
    HWND popup = FindPopup();
    ASSERT_NE(nullptr, popup);
    wchar_t date[32];
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"yyyy-MM-dd", date, 32);
    EXPECT_NE(std::wstring::npos, PopupText(popup).find(std::wstring(L"Date:\t") + date));
}

TEST_F(SysMonTest, UptimeFollowsTheTickCount) {
    Init();
    host_->Tick();
    double shown = 0;
    ASSERT_TRUE(ParseUptimeMinutes(host_->Text(L"Uptime"), &shown)) << testing::PrintToString(host_->Text(L"Uptime"));
    auto tick64 = reinterpret_cast<ULONGLONG(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    ASSERT_NE(nullptr, tick64);
    double actual = tick64() / 60000.0;
    EXPECT_NEAR(actual, shown, 1.1);
}

TEST_F(SysMonTest, NetworkShowsRatesOnceTwoReadingsExist) {
    Init();
    EXPECT_EQ(kDash, host_->Text(L"Network"));
    Sleep(200);
    host_->Tick();
    std::wstring text = host_->Text(L"Network");
    ASSERT_GE(text.size(), 4u) << testing::PrintToString(text);
    EXPECT_EQ(L"B/s", text.substr(text.size() - 3)) << testing::PrintToString(text);
}

TEST_F(SysMonTest, WidthsFitTheContentAndAreSentOnlyWhenTheyChange) {
    Init();
    Sleep(150);
    host_->Tick(5);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FakeGetFont(TV2_FONT_BOLD));
    int total = 0;
    for (auto& m : host_->modules) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(m->descriptor.name)));
        // The width in force: the last one sent, or the descriptor's own
        // when the content fitted it from the start (fonts differ between
        // machines, so either can happen).
        int width = m->descriptor.width;
        RECT rc;
        GetClientRect(m->window, &rc);
        EXPECT_EQ(width, rc.right);
        std::wstring text = host_->Text(m->descriptor.name);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        EXPECT_GE(width, size.cx + 4);
        EXPECT_LE(width, 260) << "a module should stay small";
        total += width;
        int previous = -1;
        for (auto& call : host_->widthCalls) {
            if (call.first != m.get()) continue;
            EXPECT_NE(previous, call.second) << "the same width sent twice";
            previous = call.second;
        }
        EXPECT_LE(host_->WidthCallsFor(m.get()), 3);
    }
    EXPECT_LE(total, 700) << "six modules should leave most of a bar free";
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

TEST_F(SysMonTest, MissingDriveShowsAPlaceholder) {
    if (GetDriveTypeW(L"Q:\\") != DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "this system has a drive Q:";
    host_->SetString(Key(L"Disk", L"drive"), L"Q:\\");
    Init();
    host_->Tick(2);
    EXPECT_EQ(kDash, host_->Text(L"Disk"));
    SendMessageW(host_->Window(L"Disk"), WM_LBUTTONDOWN, 0, 0);
    HWND popup = FindPopup();
    ASSERT_NE(nullptr, popup);
    EXPECT_NE(std::wstring::npos, PopupText(popup).find(L"Q:\\"));
    EXPECT_NE(std::wstring::npos, PopupText(popup).find(std::wstring(L"Free:\t") + kDash));
}

TEST_F(SysMonTest, DiskShowsFreeSpaceOfTheSystemDriveByDefault) {
    Init();
    host_->Tick();
    wchar_t sysdir[MAX_PATH];
    GetSystemDirectoryW(sysdir, MAX_PATH);
    std::wstring root = std::wstring(1, sysdir[0]) + L":\\";
    ULARGE_INTEGER freeBytes, total, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExW(root.c_str(), &freeBytes, &total, &totalFree));
    double shown = 0;
    ASSERT_TRUE(ParseAmount(host_->Text(L"Disk"), &shown)) << testing::PrintToString(host_->Text(L"Disk"));
    EXPECT_NEAR(static_cast<double>(freeBytes.QuadPart), shown, freeBytes.QuadPart * 0.06 + 1e6);
}

TEST_F(SysMonTest, InterfaceThatIsNotThereShowsAPlaceholder) {
    host_->SetString(Key(L"Network", L"interface"), L"no such interface 42");
    Init();
    for (int i = 0; i < 3; ++i) {
        Sleep(50);
        host_->Tick();
        EXPECT_EQ(kDash, host_->Text(L"Network"));
    }
}

// Runs again in a child process that Wine refuses iphlpapi.dll: Wine reads
// DLL overrides per program name from the registry (AppDefaults), so the
// child is a copy of this program under a name of its own.
TEST_F(SysMonTest, UnavailableNetworkLibraryShowsAPlaceholder) {
    if (!GetEnvironmentVariableW(L"SYSMON_TEST_NO_IPHLPAPI", nullptr, 0)) {
        const wchar_t kChildName[] = L"sysmon_no_iphlpapi.exe";
        wchar_t exe[MAX_PATH], temp[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        GetTempPathW(MAX_PATH, temp);
        std::wstring copy = std::wstring(temp) + kChildName;
        ASSERT_TRUE(CopyFileW(exe, copy.c_str(), FALSE));
        std::wstring appKey = std::wstring(L"Software\\Wine\\AppDefaults\\") + kChildName;
        std::wstring overridesKey = appKey + L"\\DllOverrides";
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, overridesKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &key, nullptr));
        RegSetValueExW(key, L"iphlpapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
        RegCloseKey(key);
        SetEnvironmentVariableW(L"SYSMON_TEST_NO_IPHLPAPI", L"1");
        std::wstring cmd = L"\"" + copy + L"\" --gtest_filter=SysMonTest.UnavailableNetworkLibraryShowsAPlaceholder";
        STARTUPINFOW si{sizeof(si)};
        PROCESS_INFORMATION pi{};
        BOOL started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        SetEnvironmentVariableW(L"SYSMON_TEST_NO_IPHLPAPI", nullptr);
        DWORD code = 1;
        if (started) {
            WaitForSingleObject(pi.hProcess, 120000);
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, overridesKey.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
        DeleteFileW(copy.c_str());
        ASSERT_TRUE(started);
        EXPECT_EQ(0u, code) << "the child run failed";
        return;
    }
    HMODULE lib = LoadLibraryW(L"iphlpapi.dll");
    if (lib) {
        FreeLibrary(lib);
        GTEST_SKIP() << "iphlpapi.dll could not be kept from loading here";
    }
    Init();
    for (int i = 0; i < 3; ++i) {
        host_->Tick();
        EXPECT_EQ(kDash, host_->Text(L"Network"));
    }
    SendMessageW(host_->Window(L"Network"), WM_LBUTTONDOWN, 0, 0);
    HWND popup = FindPopup();
    ASSERT_NE(nullptr, popup);
    EXPECT_NE(std::wstring::npos, PopupText(popup).find(L"unavailable"));
    printf("[ child    ] iphlpapi.dll refused: the network module shows its placeholder\n");
}
