#pragma once
// Alignment, border style and the layout pass of the module windows.
#include <windows.h>

enum ModuleAlignment : LONG { ALIGN_LEFT = 0, ALIGN_RIGHT = 1, ALIGN_CENTER = 2, ALIGN_JUSTIFY = 3 };
enum ModuleStyle : LONG { STYLE_SEPARATOR = 0, STYLE_ETCHED = 1, STYLE_INSET = 2, STYLE_OUTSET = 3 };

LONG LayoutGetAlignment();
LONG LayoutGetStyle();
// Back to left and separator (plug-in system start).
void LayoutResetAlignmentAndStyle();
// From _alignment and _style; any thread.
void LayoutRereadAlignmentAndStyle();
void LayoutStoreAlignmentAndStyle();
// Asks the PluginThread for a layout; any number of asks in one batch cost
// one pass.
void LayoutPost();
// The pass itself: PluginThread only.
void LayoutPass();
// Passes run since start of the process: lets tests see coalescing.
LONG LayoutPassCount();
