#pragma once
// The plug-in system in the test program with the widths package (modules
// W40, W60, W100 shown, Hidden active but hidden) standing on a test bar
// that the bar's geometry and painting treat as the real one.
#include <string>
#include <vector>

#include "plugins/plugin_fixture.h"

struct ModuleRecord;

class WidthsBarTest : public PluginSystemTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Seeds the profile (alignment, style, order) and starts with all four
    // modules active; false when they did not come up.
    bool StartWidths(const wchar_t* alignment, const wchar_t* style,
                     const wchar_t* order = L"widths.dll:W40, widths.dll:Hidden, widths.dll:W60, widths.dll:W100");
    // Lefts of the visible module windows in the bar, in x order, and the
    // windows' tops and heights.
    std::vector<int> Lefts(std::vector<int>* tops = nullptr, std::vector<int>* heights = nullptr) const;
    // Pumps until the visible windows stand at these lefts.
    bool WaitForLefts(const std::vector<int>& lefts, DWORD timeoutMs = 5000);
    ModuleRecord* Module(const wchar_t* name) const;
    std::wstring StoredOrder();
    void ResizeBar(int width);
};
