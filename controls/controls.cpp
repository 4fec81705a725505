#include "controls/controls.h"

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
