#pragma once
// Modules: the items packages put on the bar, their records, windows and the
// PT_ requests the PluginThread executes for them.
#include <windows.h>

#include "core/runtime/ptr_array.h"
#include "plugins/tovara2_sdk.h"

enum : UINT {
    PT_REGISTER_MODULE = 0x8001,    // ModuleRegistration*
    PT_UNREGISTER_MODULE = 0x8002,  // record
    PT_ACTIVATE_MODULE = 0x8003,
    PT_DEACTIVATE_MODULE = 0x8004,
    PT_SHOW_MODULE = 0x8005,
    PT_HIDE_MODULE = 0x8006,
    PT_LAYOUT = 0x8008,
    // The host's own: a module's settings calls made for another thread (so
    // that module code runs only on the PluginThread), and a fault queued by
    // FaultQueueModule.
    PT_SETTINGS_LOAD = 0x8009,    // record
    PT_SETTINGS_SAVE = 0x800A,    // record
    PT_MODULE_FAULTED = 0x800B,   // the queued fault
};

enum : int { MODULE_OK = 0, MODULE_ERR_NULL = 1, MODULE_ERR_RECORD = 2, MODULE_ERR_WINDOW = 3, MODULE_ERR_REQUEST = 99 };

struct ModuleRegistration {
    PackageRecord* package;
    const ModuleDescriptor* descriptor;
    ModuleRecord** result;
};

// Longest module name: the descriptor's name field, which need not be
// terminated inside it; the host never reads past it.
const int MODULE_NAME_MAX = TV2_MODULE_NAME_CHARS;
// The record's name, cut at the end of its field; buffer of MODULE_NAME_MAX + 1.
void ModuleGetName(const ModuleRecord* record, WCHAR* name);

ModuleRecord* ModuleCreate(const ModuleDescriptor* descriptor, PackageRecord* package);
int ModuleDestroy(ModuleRecord* record);
int ModuleCreateWindow(ModuleRecord* record, HWND bar);
int ModuleDestroyWindow(ModuleRecord* record);
int ModuleShow(ModuleRecord* record);
int ModuleHide(ModuleRecord* record);
bool ModuleHasWindow(const ModuleRecord* record);
bool ModuleIsVisible(const ModuleRecord* record);
int ModuleSetWidth(ModuleRecord* record, LONG width);
void ModuleNotifyLoadSettings(ModuleRecord* record);
void ModuleNotifySaveSettings(ModuleRecord* record);
void ModuleApplyActivated(ModuleRecord* record);
void ModuleStoreActivated(ModuleRecord* record);

bool ModuleIsListed(const ModuleRecord* record);
// The package's modules, copied under the list's lock so that the caller can
// send requests about them without it (the PluginThread takes the lock while
// it changes the list). Free with PtrArrayDestroy.
PtrArray* ModulesOfPackage(const PackageRecord* package);
// The last registered module of the package with that name, or null.
ModuleRecord* ModuleFind(const PackageRecord* package, const WCHAR* name);

UINT_PTR WINAPI ModuleRequestHandler(UINT code, UINT_PTR parameter);
// Sends a module request to the PluginThread (inline on it).
UINT_PTR ModuleRequest(UINT code, UINT_PTR parameter);

// The Tovara2Module class, counted by records.
bool ModuleClassAddRef();
void ModuleClassRelease();
// Whether the window is of the Tovara2Module class.
bool ModuleClassOf(HWND window);
// A module window was destroyed other than by deactivation.
void ModuleWindowGone(ModuleRecord* record);
// Puts every module window's timer in step (module_window.cpp).
void ModuleTimersAlign();
LRESULT CALLBACK ModuleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
extern const WCHAR kModuleClass[];
