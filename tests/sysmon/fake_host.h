// A stand-in for the host's side of the plug-in interface, enough to drive
// SysMon.dll in the test process: settings over a map, module windows on a
// test "bar", fonts, popup placement and the widths the modules ask for.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugins/tovara2_sdk.h"

struct FakeSetting {
    enum Type { Number, Bool, String } type;
    int number;
    std::wstring text;
};

struct FakeHost {
    std::map<std::wstring, FakeSetting> settings;  // full paths: SysMon.dll/CPU/interval
    std::vector<std::unique_ptr<ModuleRecord>> modules;
    std::vector<std::pair<ModuleRecord*, int>> widthCalls;
    int placeCalls = 0;
    HWND bar = nullptr;
    PackageRecord package{};
    bool activateOnRegister = true;

    // The one host in the process; the callback is a plain function.
    static FakeHost* current;

    FakeHost(int barWidth = 1000, bool visible = false);
    ~FakeHost();

    ModuleRecord* Find(const wchar_t* name) const;
    HWND Window(const wchar_t* name) const;
    std::wstring Text(const wchar_t* name) const;  // what the module reports as its text
    int LastWidth(const ModuleRecord* record) const;
    int WidthCallsFor(const ModuleRecord* record) const;
    void Tick(int times = 1);  // the one-second timer, sent directly
    void Layout();
    void SendSettings(WPARAM which);
    void SetString(const std::wstring& path, const std::wstring& value);
    void SetNumber(const std::wstring& path, int value);
    void SetBool(const std::wstring& path, bool value);
    const FakeSetting* Get(const std::wstring& path) const;
    HWND Activate(ModuleRecord* record);
    void Deactivate(ModuleRecord* record);
};

UINT WINAPI FakeHostCallback(UINT code, void* record, UINT_PTR a, UINT_PTR b);
HFONT WINAPI FakeGetFont(WORD style);
void FakeFreeFonts();
void Pump(DWORD milliseconds);
