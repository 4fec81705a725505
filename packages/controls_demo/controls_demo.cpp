// Test package: one module, "Controls", that puts the host's controls in its
// window by class name as any plug-in would: a flat and a normal fancy
// button, a slider in either look, an image with a transparent colour and a
// scrolling text. Every WM_COMMAND they send is logged as
// "command <id> <code>" in <its DLL path>.log.
#include "../common/test_package.h"
#include <windows.h>

#include "tovara2_sdk.h"

namespace {
HINSTANCE g_self;
TV2HostCallback g_host;
ModuleRecord* g_module;
HBITMAP g_bitmap;  // ours: the image control draws from a copy

const PackageInfo kInfo = {L"Controls demo", L"Tovara2 tests", nullptr};

enum { ID_FLAT = 1, ID_BUTTON, ID_THUMB, ID_BAR, ID_IMAGE, ID_TEXT };

struct Child {
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    int x, width, id;
};
const Child kChildren[] = {
    {FANCYBUTTON_CLASS_NAME, L"Flat", FBS_FLAT | FBS_NOTIFY, 0, 40, ID_FLAT},
    {FANCYBUTTON_CLASS_NAME, L"OK", FBS_NOTIFY, 44, 40, ID_BUTTON},
    {TV2SLIDER_CLASS_NAME, nullptr, SLS_THUMB, 88, 70, ID_THUMB},
    {TV2SLIDER_CLASS_NAME, nullptr, 0, 162, 50, ID_BAR},
    {FANCYIMAGE_CLASS_NAME, nullptr, FIS_NOTIFY | FIS_TRANSPARENT, 216, 16, ID_IMAGE},
    {TV2SCROLLTEXT_CLASS_NAME, L"A scrolling text, longer than its little window on the bar", STS_SMOOTH, 236, 124,
     ID_TEXT},
};

// A red disc on magenta, the colour left out.
HBITMAP MakeBitmap() {
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, b);
    RECT all = {0, 0, 16, 16};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255)), red = CreateSolidBrush(RGB(220, 30, 30));
    FillRect(dc, &all, magenta);
    HGDIOBJ oldBrush = SelectObject(dc, red);
    Ellipse(dc, 2, 2, 14, 14);
    SelectObject(dc, oldBrush);
    SelectObject(dc, old);
    DeleteObject(magenta);
    DeleteObject(red);
    DeleteDC(dc);
    return b;
}

void CreateChildren(HWND w) {
    TV2FontTable fonts = {};
    fonts.size = TV2_FONT_TABLE_SIZE;
    g_host(HC_GET_FONT_TABLE, nullptr, reinterpret_cast<UINT_PTR>(&fonts), 0);
    for (const Child& c : kChildren) {
        // The host's classes are registered under the host's instance.
        HWND child = CreateWindowExW(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, c.x, 0, c.width, 16, w,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleW(nullptr),
                                     nullptr);
        PackageLog(g_self, "created %d %s", c.id, child ? "yes" : "no");
        if (fonts.GetFont) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.GetFont(0)), FALSE);
    }
    for (int id = ID_THUMB; id <= ID_BAR; id++) {
        HWND s = GetDlgItem(w, id);
        SendMessageW(s, SLM_SETMAX, 100, 0);
        SendMessageW(s, SLM_SETPOS, id == ID_THUMB ? 30 : 60, 0);
    }
    g_bitmap = MakeBitmap();
    SendMessageW(GetDlgItem(w, ID_IMAGE), FBM_SETIMAGE, reinterpret_cast<WPARAM>(g_bitmap), RGB(255, 0, 255));
}

LRESULT CALLBACK ModuleProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_CREATE: CreateChildren(w); return 0;
    case WM_COMMAND: PackageLog(g_self, "command %d %d", LOWORD(wp), HIWORD(wp)); return 1;
    case WM_DESTROY:
        DeleteObject(g_bitmap);
        g_bitmap = nullptr;
        return 0;
    }
    return 0;
}
}  // namespace

extern "C" __declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    switch (message) {
    case PKG_GET_INFO: return reinterpret_cast<UINT_PTR>(&kInfo);
    case PKG_INIT: {
        g_host = reinterpret_cast<TV2HostCallback>(arg2);
        ModuleDescriptor d = {};
        lstrcpyW(d.name, L"Controls");
        d.windowProc = ModuleProc;
        d.width = 360;
        d.showOnCreate = 1;
        return g_host(HC_REGISTER_MODULE, reinterpret_cast<PackageRecord*>(arg1), reinterpret_cast<UINT_PTR>(&d),
                      reinterpret_cast<UINT_PTR>(&g_module)) == HC_OK;
    }
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}
