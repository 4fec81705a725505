#pragma once
// Runs the plug-in system inside the test program: a scratch folder as the
// current folder with Plugins\ in it, a settings file of its own, and a plain
// window standing in for the bar.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/desktop.h"

class PluginSystemTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void AddPackage(const wchar_t* builtName, const wchar_t* asName = nullptr);
    std::wstring LogOf(const wchar_t* fileName) const;
    bool Start();
    void Stop();
    // Serves this thread's messages for a while (the bar's thread).
    void Pump(DWORD ms);
    // Pumps until the condition holds or the time runs out.
    template <typename F>
    bool PumpUntil(F condition, DWORD timeoutMs = 10000) {
        DWORD start = GetTickCount();
        timeoutMs = tv2test::Patient(timeoutMs);
        while (!condition()) {
            if (GetTickCount() - start > timeoutMs) return false;
            Pump(10);
        }
        return true;
    }
    // Module windows (class Tovara2Module) that are children of the bar.
    int ModuleWindowCount(bool visibleOnly = false) const;
    HWND FindModuleWindow(int index) const;

    std::wstring folder_;
    std::wstring oldFolder_;
    HWND bar_ = nullptr;
    bool started_ = false;

public:
    // The test host: module area of bar_ with its raised edge at the bottom
    // (top edge) or at the top (barAtBottom), popups left where they are.
    static bool barAtBottom;
};
