#pragma once
// A top-level parent for control window tests: it records what the controls
// send and answers WM_CTLCOLORSTATIC and WM_CTLCOLORBTN like a dialog with a
// white page.
#include <windows.h>

#include <vector>

struct UbbCommand {
    WPARAM wParam;
    LPARAM lParam;
};

struct UbbTestParent {
    HWND hwnd = nullptr;
    std::vector<UbbCommand> commands;
    int ctlColorCount = 0;
    HBRUSH brush = nullptr;  // what WM_CTLCOLORSTATIC and WM_CTLCOLORBTN return
    COLORREF textColor = RGB(0, 0, 0);

    UbbTestParent(int x = 40, int y = 40, int width = 420, int height = 300);
    ~UbbTestParent();
    HWND Add(const wchar_t* markup, int x, int y, int width, int height, DWORD style = 0, DWORD exStyle = 0,
             int id = 77, const wchar_t* className = L"UBBControl");
};

// Registers the host's control classes once for the test program.
void UbbEnsureRegistered();
void UbbPump(DWORD milliseconds = 0);
