// Loads SysMon.dll into the test process and drives it through a FakeHost.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_host.h"

std::wstring PackagePath();
std::wstring PopupText(HWND popup);
HWND FindPopup();  // the package's visible popup in this thread, or null
int CountDescendants(HWND parent);
bool ParsePercent(const std::wstring& text, int* out);
bool ParseAmount(const std::wstring& text, double* bytes);  // "3.1 GB"
extern const wchar_t kDash[];

class SysMonTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the package the way the host does after loading it.
    void Init();
    void Exit();
    UINT_PTR Call(UINT message, UINT_PTR a = 0, UINT_PTR b = 0) { return proc_(message, a, b); }
    std::wstring Key(const wchar_t* module, const wchar_t* key) {
        return std::wstring(L"SysMon.dll/") + module + L"/" + key;
    }

    HMODULE dll_ = nullptr;
    TV2PackageProcFn proc_ = nullptr;
    std::unique_ptr<FakeHost> host_;
    bool initialised_ = false;
    int barWidth_ = 1000;
    bool visible_ = false;
};
