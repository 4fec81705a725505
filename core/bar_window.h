#pragma once
#include <windows.h>

// The bar window's class, "Tovara2 Main Window".
bool BarRegisterClass();
void BarUnregisterClass();
// Creates the bar; false when creation (docking included) failed.
bool BarCreateWindow();
