/* The example package: one module, "Hello", that shows a greeting and counts
   the seconds it has been on the bar. A click on it opens a popup under it;
   the Plugins page of the configuration window edits the greeting. Plain C
   against tovara2_sdk.h alone. */
#include "tovara2_sdk.h"

#define HELLO_RELOAD (WM_APP + 0x40) /* ours: the greeting was changed */
#define ID_GREETING 100

static TV2HostCallback host;
static HINSTANCE self;
static ModuleRecord* hello;
static HFONT font;        /* the host's GUI font: never deleted */
static WCHAR greeting[64];
static DWORD seconds;
static HWND popup;        /* made on the plug-in thread */
static HWND options;      /* made on the configuration window's thread */

static const PackageInfo info = {L"Example", L"Tovara2", NULL};
static const WCHAR popupClass[] = L"ExampleHelloPopup";
static const WCHAR optionsClass[] = L"ExampleHelloOptions";

static void ReadGreeting(void) {
    WCHAR* text = NULL;
    lstrcpyW(greeting, L"Hello");
    if (host(HC_GET_STRING, hello, (UINT_PTR)L"greeting", (UINT_PTR)&text) == HC_OK && text) {
        lstrcpynW(greeting, text, 64);
        HeapFree(GetProcessHeap(), 0, text);
    }
}

static int HelloText(WCHAR* text) { return wsprintfW(text, L"%s %lu", greeting, seconds); }

/* Wide enough for the greeting and five digits; the bar lays out again later. */
static void FitWidth(HWND window) {
    WCHAR text[96];
    SIZE size;
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text, wsprintfW(text, L"%s 00000", greeting), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    host(HC_SET_MODULE_WIDTH, hello, (UINT_PTR)(size.cx + 12), 0);
}

static LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        RECT r;
        WCHAR text[128];
        HDC dc = BeginPaint(window, &ps);
        wsprintfW(text, L"\"%s\" has been on the bar for %lu seconds.", greeting, seconds);
        GetClientRect(window, &r);
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_LBUTTONUP:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        popup = NULL;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static void TogglePopup(HWND module) {
    RECT r = {0, 0, 280, 40}; /* only the size counts */
    POINT at = {0, 0};        /* the module's top left corner */
    if (popup) {
        DestroyWindow(popup);
        return;
    }
    if (host(HC_PLACE_POPUP, hello, (UINT_PTR)&r, (UINT_PTR)&at) != HC_OK) return;
    popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, popupClass, NULL, WS_POPUP | WS_BORDER, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, module, NULL, self, NULL);
    if (popup) ShowWindow(popup, SW_SHOWNOACTIVATE);
}

static LRESULT CALLBACK HelloProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: /* comes before HC_REGISTER_MODULE has returned: ask for the record */
        host(HC_MODULE_FROM_WINDOW, NULL, (UINT_PTR)window, (UINT_PTR)&hello);
        return 0;
    case MODULE_MSG_SETTINGS:
        if (wParam == SETTINGS_LOAD) {
            seconds = 0;
            host(HC_GET_INT, hello, (UINT_PTR)L"seconds", (UINT_PTR)&seconds);
            ReadGreeting();
            FitWidth(window);
        } else if (wParam == SETTINGS_SAVE) {
            host(HC_SET_INT, hello, (UINT_PTR)L"seconds", seconds);
        }
        return 0;
    case HELLO_RELOAD:
        ReadGreeting();
        FitWidth(window);
        InvalidateRect(window, NULL, TRUE);
        return 0;
    case WM_TIMER: /* TV2_MODULE_TIMER_ID, once a second */
        seconds++;
        InvalidateRect(window, NULL, TRUE);
        if (popup) InvalidateRect(popup, NULL, TRUE);
        return 0;
    case WM_LBUTTONUP:
        TogglePopup(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        RECT r;
        WCHAR text[96];
        HDC dc = BeginPaint(window, &ps);
        GetClientRect(window, &r);
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text, HelloText(text), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 1; /* handled: non-zero */
    }
    case WM_DESTROY: /* the popup's owner is the bar, not this window */
        if (popup) DestroyWindow(popup);
        return 0;
    }
    return 0; /* 0: the host's default handling */
}

/* The options: a window of our own in the host's panel, so that the edit
   box's notifications come to us. Each change is saved at once and the
   module, on the plug-in thread, is told to read it. */
static LRESULT CALLBACK OptionsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == ID_GREETING && HIWORD(wParam) == EN_CHANGE) {
        WCHAR text[64];
        GetWindowTextW((HWND)lParam, text, 64);
        host(HC_SET_STRING, hello, (UINT_PTR)L"greeting", (UINT_PTR)text);
        if (hello && hello->window) PostMessageW(hello->window, HELLO_RELOAD, 0, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static void AddControl(const WCHAR* type, const WCHAR* text, DWORD style, int x, int y, int width, int id) {
    HWND control = CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | style, x, y, width, 22, options,
                                   (HMENU)(UINT_PTR)id, self, NULL);
    SendMessageW(control, WM_SETFONT, (WPARAM)font, FALSE);
}

static void ShowOptions(ModuleRecord* module, HWND panel) {
    RECT r;
    WCHAR* text = NULL;
    GetClientRect(panel, &r);
    InflateRect(&r, -4, -4); /* inside the panel's etched frame */
    options = CreateWindowExW(WS_EX_CONTROLPARENT, optionsClass, NULL, WS_CHILD | WS_VISIBLE, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, panel, NULL, self, NULL);
    if (!options) return;
    if (!module) {
        AddControl(L"STATIC", L"Select the module Hello to change its greeting.", SS_LEFT, 8, 8, 300, 0);
        return;
    }
    AddControl(L"STATIC", L"Greeting:", SS_LEFT, 8, 11, 70, 0);
    host(HC_GET_STRING, module, (UINT_PTR)L"greeting", (UINT_PTR)&text);
    AddControl(L"EDIT", text ? text : L"Hello", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 80, 8, 160, ID_GREETING);
    if (text) HeapFree(GetProcessHeap(), 0, text);
}

__declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    switch (message) {
    case PKG_GET_INFO:
        return (UINT_PTR)&info;
    case PKG_INIT: {
        PackageRecord* package = (PackageRecord*)arg1;
        ModuleDescriptor d;
        TV2FontTable fonts;
        WNDCLASSW wc;
        host = (TV2HostCallback)arg2;
        self = (HINSTANCE)package->module;
        fonts.size = TV2_FONT_TABLE_SIZE;
        if (host(HC_GET_FONT_TABLE, NULL, (UINT_PTR)&fonts, 0) == HC_OK) font = fonts.GetFont(0);
        ZeroMemory(&wc, sizeof(wc));
        wc.hInstance = self;
        wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
        wc.lpfnWndProc = PopupProc;
        wc.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
        wc.lpszClassName = popupClass;
        RegisterClassW(&wc);
        wc.lpfnWndProc = OptionsProc;
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = optionsClass;
        RegisterClassW(&wc);
        ZeroMemory(&d, sizeof(d));
        lstrcpyW(d.name, L"Hello");
        d.windowProc = HelloProc;
        d.width = 80;
        d.showOnCreate = 1;
        return host(HC_REGISTER_MODULE, package, (UINT_PTR)&d, (UINT_PTR)&hello) == HC_OK;
    }
    case PKG_SHOW_OPTIONS:
        ShowOptions((ModuleRecord*)arg1, (HWND)arg2);
        return 0;
    case PKG_HIDE_OPTIONS:
        if (options) DestroyWindow(options);
        options = NULL;
        return 0;
    case PKG_EXIT: /* every module window is gone by now */
        UnregisterClassW(popupClass, self);
        UnregisterClassW(optionsClass, self);
        hello = NULL;
        return 0;
    }
    return 0;
}
