// TEMPORARY: class names that start-up registers before their controls are
// built. Each registers a plain window under the final name so that start-up
// runs its real order; the control's own file replaces its entry here.
#include "controls/controls.h"
#include "core/runtime/app_state.h"

namespace {
bool RegisterPlain(const WCHAR* name) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = AppInstance;
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0;
}
void UnregisterPlain(const WCHAR* name) { UnregisterClassW(name, AppInstance); }
}  // namespace

bool FancyButtonRegister() { return RegisterPlain(L"FANCYBUTTON"); }
void FancyButtonUnregister() { UnregisterPlain(L"FANCYBUTTON"); }
bool ScrollTextRegister() { return RegisterPlain(L"TV2SCROLLTEXT"); }
void ScrollTextUnregister() { UnregisterPlain(L"TV2SCROLLTEXT"); }
bool SliderRegister() { return RegisterPlain(L"TV2SLIDER"); }
void SliderUnregister() { UnregisterPlain(L"TV2SLIDER"); }
bool FancyImageRegister() { return RegisterPlain(L"FANCYIMAGE"); }
void FancyImageUnregister() { UnregisterPlain(L"FANCYIMAGE"); }
