#pragma once
// The ids of the executable's resources, named once for the .rc files, the
// code and the tests. Control ids of a dialog stay beside that dialog.
//
// Plain #defines: the resource compiler reads this file too.

// String tables (1033, 1043, 1031 carry exactly these ids).
#define IDS_LANGUAGE_NAME          1
#define IDS_MENU_EXIT              2
#define IDS_MENU_ABOUT             3
#define IDS_MENU_HELP              4
#define IDS_MENU_CONFIGURATION     5
#define IDS_MENU_PROFILES          6
#define IDS_DEFAULT                10
#define IDS_OK                     11
#define IDS_CANCEL                 12
#define IDS_PACKAGE                14
#define IDS_MODULE                 15
#define IDS_AUTHOR                 16
#define IDS_ERR_CONTROLS           30
#define IDS_ERR_SKIN               31
#define IDS_ERR_CLASS              32
#define IDS_ERR_WINDOW             33
#define IDS_WELCOME                50
#define IDS_CFG_TITLE              100
#define IDS_CFG_DESCRIPTION        101
#define IDS_CFG_SELECT_PROFILE     102
#define IDS_CFG_NEW_PROFILE        103
#define IDS_CFG_DELETE_PROFILE     104
#define IDS_CFG_RENAME_PROFILE     105
#define IDS_CFG_SET_DEFAULT        106
#define IDS_CFG_DELETE_QUESTION    107
#define IDS_PAGE_GENERAL           111
#define IDS_PAGE_PLUGINS           112
#define IDS_PAGE_SKINS             113
#define IDS_GEN_ALIGNMENT          120
#define IDS_GEN_ALIGNMENT_HINT     121
#define IDS_GEN_ALIGN_LEFT         122
#define IDS_GEN_ALIGN_RIGHT        123
#define IDS_GEN_ALIGN_CENTER       124
#define IDS_GEN_ALIGN_JUSTIFY      125
#define IDS_GEN_STYLE              130
#define IDS_GEN_STYLE_HINT         131
#define IDS_GEN_STYLE_SEPARATOR    132
#define IDS_GEN_STYLE_ETCHED       133
#define IDS_GEN_STYLE_INSET        134
#define IDS_GEN_STYLE_OUTSET       135
#define IDS_GEN_POSITION           140
#define IDS_GEN_POSITION_HINT      141
#define IDS_GEN_POSITION_TOP       142
#define IDS_GEN_POSITION_BOTTOM    143
#define IDS_GEN_MONITOR            144
#define IDS_GEN_LANGUAGE           150
#define IDS_GEN_LANGUAGE_HINT      151
#define IDS_GEN_OPACITY            160
#define IDS_GEN_OPACITY_HINT       161
#define IDS_GEN_TRANSPARENT        162
#define IDS_GEN_OPAQUE             163
#define IDS_GEN_AUTOHIDE           170
#define IDS_GEN_AUTOHIDE_HINT      171
#define IDS_GEN_AUTOHIDE_ENABLE    172
#define IDS_GEN_AUTOHIDE_CLICK     173
#define IDS_PLG_NOTHING_SELECTED   180
#define IDS_PLG_LOADED             181
#define IDS_PLG_ACTIVE             182
#define IDS_PLG_OPTIONS            183
#define IDS_PLG_VISIT_WEBSITE      184
#define IDS_PLG_UNINSTALL          185
#define IDS_NEWPROF_TITLE          200
#define IDS_NEWPROF_HINT           201
#define IDS_NEWPROF_NAME           202
#define IDS_NEWPROF_BLANK          203
#define IDS_NEWPROF_COPY_FROM      204
#define IDS_RENPROF_TITLE          210
#define IDS_RENPROF_HINT           211
#define IDS_RENPROF_NAME           212
#define IDS_UNINST_TITLE           220
#define IDS_UNINST_HINT            221
#define IDS_UNINST_QUESTION        222
#define IDS_UNINST_REMOVE_SETTINGS 223
#define IDS_UNINST_BUTTON          224
#define IDS_UNINST_REMOVING        225
#define IDS_UNINST_DELETE_FAILED   226
#define IDS_ABOUT_CREDITS          230
#define IDS_ABOUT_ABOUT            231
#define IDS_ABOUT_TEXT             232
#define IDS_CREDITS_TEAM           240
#define IDS_CREDITS_DEVELOPMENT    241
#define IDS_CREDITS_CORE_TEAM      242
#define IDS_CREDITS_CONTRIBUTORS   243
#define IDS_CREDITS_PLUGINS        244
#define IDS_CREDITS_SYSMON         245
#define IDS_CREDITS_TESTING        246
#define IDS_CREDITS_TEST_TEAM      247
#define IDS_CREDITS_ALPHA_TESTERS  248
#define IDS_CREDITS_THANKS         249
#define IDS_CREDITS_TRANSLATORS    250
#define IDS_CREDITS_REPORTERS      251
#define IDS_CREDITS_USERS          252

// Icon groups: the program, and the same tile with an error badge.
#define IDI_TOVARA2       32512
#define IDI_TOVARA2_ERROR 32513

// Bitmaps: the Plugins page's move arrows (white is transparent), the
// configuration header strip, the About picture.
#define IDB_ARROW_LEFT    100
#define IDB_ARROW_RIGHT   101
#define IDB_CONFIG_HEADER 102
#define IDB_ABOUT         103

// The wave played when the bar shakes is a named resource: SHAKEIT (WAVE).
#define IDR_SHAKEIT_NAME L"SHAKEIT"

#ifndef RC_INVOKED
// Every string id, for walks over the whole table (X(name) per id).
#define TV2_STRING_IDS(X) \
    X(IDS_LANGUAGE_NAME) \
    X(IDS_MENU_EXIT) \
    X(IDS_MENU_ABOUT) \
    X(IDS_MENU_HELP) \
    X(IDS_MENU_CONFIGURATION) \
    X(IDS_MENU_PROFILES) \
    X(IDS_DEFAULT) \
    X(IDS_OK) \
    X(IDS_CANCEL) \
    X(IDS_PACKAGE) \
    X(IDS_MODULE) \
    X(IDS_AUTHOR) \
    X(IDS_ERR_CONTROLS) \
    X(IDS_ERR_SKIN) \
    X(IDS_ERR_CLASS) \
    X(IDS_ERR_WINDOW) \
    X(IDS_WELCOME) \
    X(IDS_CFG_TITLE) \
    X(IDS_CFG_DESCRIPTION) \
    X(IDS_CFG_SELECT_PROFILE) \
    X(IDS_CFG_NEW_PROFILE) \
    X(IDS_CFG_DELETE_PROFILE) \
    X(IDS_CFG_RENAME_PROFILE) \
    X(IDS_CFG_SET_DEFAULT) \
    X(IDS_CFG_DELETE_QUESTION) \
    X(IDS_PAGE_GENERAL) \
    X(IDS_PAGE_PLUGINS) \
    X(IDS_PAGE_SKINS) \
    X(IDS_GEN_ALIGNMENT) \
    X(IDS_GEN_ALIGNMENT_HINT) \
    X(IDS_GEN_ALIGN_LEFT) \
    X(IDS_GEN_ALIGN_RIGHT) \
    X(IDS_GEN_ALIGN_CENTER) \
    X(IDS_GEN_ALIGN_JUSTIFY) \
    X(IDS_GEN_STYLE) \
    X(IDS_GEN_STYLE_HINT) \
    X(IDS_GEN_STYLE_SEPARATOR) \
    X(IDS_GEN_STYLE_ETCHED) \
    X(IDS_GEN_STYLE_INSET) \
    X(IDS_GEN_STYLE_OUTSET) \
    X(IDS_GEN_POSITION) \
    X(IDS_GEN_POSITION_HINT) \
    X(IDS_GEN_POSITION_TOP) \
    X(IDS_GEN_POSITION_BOTTOM) \
    X(IDS_GEN_MONITOR) \
    X(IDS_GEN_LANGUAGE) \
    X(IDS_GEN_LANGUAGE_HINT) \
    X(IDS_GEN_OPACITY) \
    X(IDS_GEN_OPACITY_HINT) \
    X(IDS_GEN_TRANSPARENT) \
    X(IDS_GEN_OPAQUE) \
    X(IDS_GEN_AUTOHIDE) \
    X(IDS_GEN_AUTOHIDE_HINT) \
    X(IDS_GEN_AUTOHIDE_ENABLE) \
    X(IDS_GEN_AUTOHIDE_CLICK) \
    X(IDS_PLG_NOTHING_SELECTED) \
    X(IDS_PLG_LOADED) \
    X(IDS_PLG_ACTIVE) \
    X(IDS_PLG_OPTIONS) \
    X(IDS_PLG_VISIT_WEBSITE) \
    X(IDS_PLG_UNINSTALL) \
    X(IDS_NEWPROF_TITLE) \
    X(IDS_NEWPROF_HINT) \
    X(IDS_NEWPROF_NAME) \
    X(IDS_NEWPROF_BLANK) \
    X(IDS_NEWPROF_COPY_FROM) \
    X(IDS_RENPROF_TITLE) \
    X(IDS_RENPROF_HINT) \
    X(IDS_RENPROF_NAME) \
    X(IDS_UNINST_TITLE) \
    X(IDS_UNINST_HINT) \
    X(IDS_UNINST_QUESTION) \
    X(IDS_UNINST_REMOVE_SETTINGS) \
    X(IDS_UNINST_BUTTON) \
    X(IDS_UNINST_REMOVING) \
    X(IDS_UNINST_DELETE_FAILED) \
    X(IDS_ABOUT_CREDITS) \
    X(IDS_ABOUT_ABOUT) \
    X(IDS_ABOUT_TEXT) \
    X(IDS_CREDITS_TEAM) \
    X(IDS_CREDITS_DEVELOPMENT) \
    X(IDS_CREDITS_CORE_TEAM) \
    X(IDS_CREDITS_CONTRIBUTORS) \
    X(IDS_CREDITS_PLUGINS) \
    X(IDS_CREDITS_SYSMON) \
    X(IDS_CREDITS_TESTING) \
    X(IDS_CREDITS_TEST_TEAM) \
    X(IDS_CREDITS_ALPHA_TESTERS) \
    X(IDS_CREDITS_THANKS) \
    X(IDS_CREDITS_TRANSLATORS) \
    X(IDS_CREDITS_REPORTERS) \
    X(IDS_CREDITS_USERS)
#endif
