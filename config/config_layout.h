#pragma once
// Where the controls of the configuration window, its pages and its dialogs
// go: plain arithmetic on rectangles and text heights, so that it can be
// checked without windows. Each window applies the result at WM_SIZE.
#include <windows.h>

struct ControlPlace {
    int id;
    int x, y, width, height;
};

// Moves each control of window to its place.
void ControlPlaceApply(HWND window, const ControlPlace* places, int count, BOOL repaint);

// The body of the configuration window below its header band of height
// headerHeight: the tab control, the profile selector row (label, selector,
// the menu button) in the tab strip, and OK. Returns the count (5); body
// receives the body rectangle.
int ConfigWindowLayout(const RECT& client, int headerHeight, ControlPlace* out, RECT* body);
// A page's rectangle inside the tab control's display area.
RECT ConfigPageRect(const RECT& display);

// The General page: two columns. descriptionHeights are the heights the six
// descriptions need at the column width, in the order alignment, style,
// position, autohide, language, opacity. Returns the count of places.
int GeneralColumnWidth(const RECT& client);
int GeneralPageLayout(const RECT& client, int boldHeight, const int* descriptionHeights, bool opacity,
                      ControlPlace* out);

// The New Profile (isNew) and Rename Profile dialogs below their header band.
// labelWidth is the width of the column of labels and radio buttons (at
// least 124: longer texts widen it rather than being cut).
int ProfileDialogLayout(const RECT& client, int headerHeight, bool isNew, int labelWidth, ControlPlace* out);

// The Plugins page: the list at the left, the information frame with its
// text, check box and buttons at the top right, the options panel below it.
// lineHeight is the normal font's line height.
int PluginsPageLayout(const RECT& client, int lineHeight, ControlPlace* out);

// The Uninstall Package dialog below its header band.
int UninstallDialogLayout(const RECT& client, int headerHeight, ControlPlace* out);

// Height given to a drop-down list box: its field and room for the list.
const int kComboDropHeight = 121;
