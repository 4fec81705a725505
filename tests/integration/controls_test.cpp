// The host's controls in a third-party package's module on the real bar:
// created by class name, answering their messages from another process, and
// reporting real mouse input to the package.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/tovara2_sdk.h"
#include "support/desktop.h"
#include "support/package_log.h"
#include "support/program_run.h"

namespace {
std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND c = parent ? GetWindow(parent, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    return children;
}

// The controls track the pointer by capturing it: press only once this one
// holds it, or the press may still go to the control the pointer just left.
void HoverThenClick(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    tv2test::MoveMouse((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    GUITHREADINFO info = {sizeof(info)};
    DWORD thread = GetWindowThreadProcessId(w, nullptr);
    tv2test::WaitFor([&] { return GetGUIThreadInfo(thread, &info) && info.hwndCapture == w; }, 2000);
    tv2test::ClickWindow(w);
}

class ControlsRun : public ::testing::Test {
protected:
    void TearDown() override { tv2test::ClearSettings(); }
};
}  // namespace

TEST_F(ControlsRun, APackageMakesEveryControlByClassNameAndHearsFromThem) {
    tv2test::SeedSettings(tv2test::OneProfileSettings(
        L"<node name=\"controls_demo.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>"
        L"<node name=\"Controls\"><setting name=\"_activated\" type=\"bool\">true</setting></node></node>\r\n"));
    tv2test::ProgramRun run;
    run.AddPackage(tv2test::BuiltPackage(L"controls_demo.dll"));
    ASSERT_TRUE(run.Start());
    std::wstring log = run.PluginsFolder() + L"\\controls_demo.dll.log";
    std::vector<HWND> children;
    EXPECT_TRUE(tv2test::WaitFor([&] {
        children = Children(FindWindowExW(run.Bar(), nullptr, TV2_MODULE_CLASS, nullptr));
        return children.size() >= 6;
    }, 8000));
    std::vector<std::wstring> classes;
    for (HWND c : children) {
        wchar_t name[64];
        GetClassNameW(c, name, 64);
        classes.push_back(name);
    }
    EXPECT_EQ((std::vector<std::wstring>{FANCYBUTTON_CLASS_NAME, FANCYBUTTON_CLASS_NAME, TV2SLIDER_CLASS_NAME,
                                         TV2SLIDER_CLASS_NAME, FANCYIMAGE_CLASS_NAME, TV2SCROLLTEXT_CLASS_NAME}),
              classes);
    // Closed in order even when the controls are missing: a killed bar stays
    // in the shell's list of desktop toolbars and moves the next one down.
    if (children.size() < 6) children.resize(6);

    EXPECT_EQ(100, SendMessageW(children[2], SLM_GETMAX, 0, 0));
    EXPECT_EQ(30, SendMessageW(children[2], SLM_GETPOS, 0, 0));
    SendMessageW(children[2], SLM_SETPOS, 70, 1);
    EXPECT_TRUE(tv2test::WaitForLogLine(log, "command 3 0"));
    wchar_t text[80] = L"";
    SendMessageW(children[5], WM_GETTEXT, 80, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(L"A scrolling text, longer than its little window on the bar"), text);

    tv2test::ClickWindow(children[1]);
    EXPECT_TRUE(tv2test::WaitForLogLine(log, "command 2 0")) << "the OK button clicked";
    HoverThenClick(children[4]);
    EXPECT_TRUE(tv2test::WaitForLogLine(log, "command 5 0")) << "the image clicked";
    RECT flat;
    GetWindowRect(children[0], &flat);
    tv2test::MoveMouse(flat.left + 5, flat.top + 5);  // the flat button lit for a picture
    char folder[MAX_PATH];
    if (GetEnvironmentVariableA("TV2_SCREENSHOTS", folder, MAX_PATH)) {
        Sleep(700);
        tv2test::SaveScreenshot(std::wstring(folder, folder + lstrlenA(folder)) + L"/controls.png");
    }
    EXPECT_EQ(0u, run.Close());
    EXPECT_EQ(-1, tv2test::FindLine(tv2test::ReadLogLines(log), "no"));
}
