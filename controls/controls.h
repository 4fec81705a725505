#pragma once
// The five window classes the host registers for itself and for plug-ins.
#include <windows.h>

// Registers UBBControl, FANCYBUTTON, TV2SCROLLTEXT, TV2SLIDER and FANCYIMAGE
// in that order, trying each even after a failure; true when all succeeded.
bool ControlsRegister();
void ControlsUnregister();

// One registration per class, each in the file of its control.
bool UBBControlRegister();
void UBBControlUnregister();
bool FancyButtonRegister();
void FancyButtonUnregister();
bool ScrollTextRegister();
void ScrollTextUnregister();
bool SliderRegister();
void SliderUnregister();
bool FancyImageRegister();
void FancyImageUnregister();

// Keeps a font handed over with WM_SETFONT (fancy button, scrolling text):
// the control deletes the font it held before, unless that is the very font
// handed over again or one of the host's cached fonts, which others share.
void ControlTakeFont(HFONT* held, HFONT font);
