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
// Where the row starts and the space added between modules, for a module
// area areaWidth wide holding n visible modules that take total pixels
// (their widths plus 6 each).
void LayoutStartAndGap(LONG alignment, LONG style, int areaWidth, int total, int n, int* x, int* gap);
// The pass itself: PluginThread only.
void LayoutPass();
// Passes run since start of the process: lets tests see coalescing.
LONG LayoutPassCount();
