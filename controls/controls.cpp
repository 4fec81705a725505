#include "controls/controls.h"

#include "core/runtime/skin.h"

bool ControlsRegister() {
    bool ok = UBBControlRegister();
    ok = FancyButtonRegister() && ok;
    ok = ScrollTextRegister() && ok;
    ok = SliderRegister() && ok;
    ok = FancyImageRegister() && ok;
    return ok;
}

void ControlsUnregister() {
    UBBControlUnregister();
    FancyButtonUnregister();
    ScrollTextUnregister();
    SliderUnregister();
    FancyImageUnregister();
}

void ControlTakeFont(HFONT* held, HFONT font) {
    if (*held && *held != font && !SkinOwnsFont(*held)) DeleteObject(*held);
    *held = font;
}
