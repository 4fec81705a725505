// TEMPORARY: the About window is not built yet; the menu entry does nothing.
#include "about/about_window.h"

void AboutWindowOpen(HWND bar) {}
