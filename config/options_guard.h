#pragma once
// The windows a package makes in the Plugins page's options panel run their
// code on the configuration window's thread. While the guard watches a
// panel, every window made in it has its procedure called inside the fault
// guard: a fault abandons that one call, and the panel's owner is told once
// (message posted with the exception code as wParam) so that it can close
// the options. The package's own threads are not covered.
#include <windows.h>

void OptionsGuardBegin(HWND panel, HWND owner, UINT message);
// Stops adopting new windows; those adopted stay guarded until destroyed.
void OptionsGuardEnd();
