#include "sysmon_fixture.h"

TEST_F(SysMonTest, PackageInfoNamesThePackageWithoutAWebsite) {
    auto* info = reinterpret_cast<const PackageInfo*>(Call(PKG_GET_INFO));
    ASSERT_NE(nullptr, info);
    EXPECT_STREQ(L"System Monitor", info->name);
    ASSERT_NE(nullptr, info->author);
    EXPECT_GT(wcslen(info->author), 0u);
    EXPECT_EQ(nullptr, info->website);
}

TEST_F(SysMonTest, InitRegistersSixModulesThatDrawOnTheBar) {
    Init();
    const wchar_t* names[] = {L"CPU", L"Memory", L"Network", L"Disk", L"Clock", L"Uptime"};
    ASSERT_EQ(6u, host_->modules.size());
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(testing::Message() << "module " << i);
        ModuleRecord* r = host_->modules[i].get();
        EXPECT_STREQ(names[i], r->descriptor.name);
        EXPECT_NE(nullptr, r->descriptor.windowProc);
        EXPECT_NE(0u, r->descriptor.showOnCreate);
        ASSERT_NE(nullptr, r->window);
        EXPECT_TRUE(GetWindowLongW(r->window, GWL_STYLE) & WS_VISIBLE);
    }
}

TEST_F(SysMonTest, SettingsFromTheHostAreHonouredAtLoad) {
    host_->SetString(Key(L"Clock", L"time_format"), L"HH'h'mm");
    wchar_t sysdir[MAX_PATH];
    GetSystemDirectoryW(sysdir, MAX_PATH);
    host_->SetString(Key(L"Disk", L"drive"), std::wstring(1, sysdir[0]) + L":");  // "C:" means its root
    Init();
    wchar_t expected[64];
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"HH'h'mm", expected, 64);
    EXPECT_EQ(expected, host_->Text(L"Clock"));
    EXPECT_NE(kDash, host_->Text(L"Disk"));

    // Changed in the store and re-read on the next SETTINGS_LOAD.
    host_->SetString(Key(L"Clock", L"time_format"), L"mm");
    host_->SendSettings(SETTINGS_LOAD);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"mm", expected, 64);
    EXPECT_EQ(expected, host_->Text(L"Clock"));
}

TEST_F(SysMonTest, SaveWritesEveryModuleSettingBack) {
    host_->SetString(Key(L"Clock", L"time_format"), L"H:mm");
    host_->SetNumber(Key(L"CPU", L"interval"), 5);
    host_->SetNumber(Key(L"Memory", L"accent_color"), 0x0000FF);
    Init();
    host_->settings.clear();
    host_->SendSettings(SETTINGS_SAVE);
    auto number = [&](const wchar_t* m, const wchar_t* k) {
        const FakeSetting* s = host_->Get(Key(m, k));
        return s && s->type == FakeSetting::Number ? s->number : -999;
    };
    auto text = [&](const wchar_t* m, const wchar_t* k) {
        const FakeSetting* s = host_->Get(Key(m, k));
        return s && s->type == FakeSetting::String ? s->text : L"<missing>";
    };
    EXPECT_EQ(5, number(L"CPU", L"interval"));
    EXPECT_EQ(1, number(L"Uptime", L"interval"));
    EXPECT_EQ(0x0000FF, number(L"Memory", L"accent_color"));
    EXPECT_EQ(nullptr, host_->Get(Key(L"CPU", L"accent_color")));  // a default colour is no setting
    EXPECT_EQ(L"H:mm", text(L"Clock", L"time_format"));
    EXPECT_EQ(L"dddd, d MMMM yyyy", text(L"Clock", L"date_format"));
    EXPECT_EQ(L"", text(L"Network", L"interface"));
    wchar_t sysdir[MAX_PATH];
    GetSystemDirectoryW(sysdir, MAX_PATH);
    EXPECT_EQ(std::wstring(1, sysdir[0]) + L":\\", text(L"Disk", L"drive"));
    ASSERT_NE(nullptr, host_->Get(Key(L"CPU", L"graph")));
    EXPECT_EQ(FakeSetting::Bool, host_->Get(Key(L"CPU", L"graph"))->type);

    // The package-wide save does the same for every active module.
    host_->settings.clear();
    Call(PKG_SAVE_SETTINGS);
    EXPECT_EQ(L"H:mm", text(L"Clock", L"time_format"));
    EXPECT_EQ(5, number(L"CPU", L"interval"));
}

TEST_F(SysMonTest, PackageLoadSettingsReloadsEveryActiveModule) {
    Init();
    host_->SetString(Key(L"Clock", L"time_format"), L"'x'HH");
    Call(PKG_LOAD_SETTINGS);
    Pump(50);
    wchar_t expected[64];
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"'x'HH", expected, 64);
    EXPECT_EQ(expected, host_->Text(L"Clock"));
}

TEST_F(SysMonTest, ModulesReadOnlyEveryIntervalSeconds) {
    host_->SetNumber(Key(L"Clock", L"interval"), 2);
    host_->SetString(Key(L"Clock", L"time_format"), L"HH:mm:ss");
    Init();
    std::wstring first = host_->Text(L"Clock");
    Sleep(1100);
    host_->Tick();
    EXPECT_EQ(first, host_->Text(L"Clock")) << "read after one second with an interval of two";
    host_->Tick();
    EXPECT_NE(first, host_->Text(L"Clock"));
}

TEST_F(SysMonTest, InactiveModulesKeepTheirStoredSettingsOnPackageSave) {
    host_->activateOnRegister = false;
    host_->SetString(Key(L"Clock", L"time_format"), L"H:mm");
    Init();
    Call(PKG_SAVE_SETTINGS);
    EXPECT_EQ(L"H:mm", host_->Get(Key(L"Clock", L"time_format"))->text);
    EXPECT_EQ(nullptr, host_->Get(Key(L"CPU", L"interval")));
}

TEST_F(SysMonTest, ExitClosesThePopupAndUnregistersTheClasses) {
    Init();
    SendMessageW(host_->Window(L"Memory"), WM_LBUTTONDOWN, 0, 0);
    ASSERT_NE(nullptr, FindPopup());
    Exit();
    EXPECT_EQ(nullptr, FindPopup());
    WNDCLASSEXW wc{sizeof(wc)};
    EXPECT_FALSE(GetClassInfoExW(dll_, L"SysMonPopup", &wc));
    EXPECT_FALSE(GetClassInfoExW(dll_, L"SysMonOptions", &wc));
    // A second life after exit starts cleanly.
    host_ = std::make_unique<FakeHost>();
    Init();
    host_->Tick(2);
    EXPECT_EQ(6u, host_->modules.size());
    EXPECT_NE(L"", host_->Text(L"Clock"));
}
