#pragma once
// The plug-in system inside the test program: a scratch folder as the current
// folder with Plugins\ in it, a settings file of its own, and a test window
// 1000 wide standing in for the bar through the host table.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/test_window.h"

struct ModuleRecord;

class PluginSystemTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void AddPackage(const wchar_t* builtName, const wchar_t* asName = nullptr);
    std::wstring LogOf(const wchar_t* fileName) const;
    bool Start();
    void Stop();
    template <typename F>
    bool PumpUntil(F condition, DWORD timeoutMs = 10000) {
        timeoutMs = tv2test::Patient(timeoutMs);
        for (DWORD start = GetTickCount(); !condition(); tv2test::Pump(10))
            if (GetTickCount() - start > timeoutMs) return false;
        return true;
    }
    // Module windows (class Tovara2Module) on the bar.
    int ModuleWindowCount(bool visibleOnly = false) const;
    ModuleRecord* ModuleAt(UINT index) const;      // in list order
    ModuleRecord* Module(const wchar_t* name) const;  // by its name
    std::wstring StoredOrder();                       // _order as stored now

    // The widths package (W40, W60, W100 shown, Hidden active but hidden)
    // with this alignment, style and order; false when they did not come up.
    bool StartWidths(const wchar_t* alignment, const wchar_t* style,
                     const wchar_t* order = L"widths.dll:W40, widths.dll:Hidden, widths.dll:W60, widths.dll:W100");
    std::vector<int> Lefts() const;  // of the visible module windows, left to right
    bool WaitForLefts(const std::vector<int>& lefts) {
        return PumpUntil([&] { return Lefts() == lefts; }, 5000);
    }

    std::wstring folder_;
    std::wstring oldFolder_;
    std::unique_ptr<tv2test::TestWindow> bar_;
    bool started_ = false;
};
