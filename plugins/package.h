#pragma once
// Packages: the plug-in libraries in Plugins\ and the list of them. Loading,
// initialising, exiting and unloading happen on the FolderWatcher thread;
// other threads ask for them with the FW_ requests.
#include <windows.h>

#include "plugins/tovara2_sdk.h"

enum : UINT {
    FW_ADD_PACKAGE = 0x8001,     // file name -> new record or 0
    FW_REMOVE_PACKAGE = 0x8002,  // record
    FW_LOAD_PACKAGE = 0x8003,
    FW_UNLOAD_PACKAGE = 0x8004,
    FW_INIT_PACKAGE = 0x8005,
    FW_EXIT_PACKAGE = 0x8006,
    // The host's own: a package's settings calls made for another thread, so
    // that its entry point runs on the FolderWatcher, where a hang can be
    // ended, rather than on the bar's thread.
    FW_LOAD_SETTINGS = 0x8007,  // record
    FW_SAVE_SETTINGS = 0x8008,  // record
};

PackageRecord* PackageCreate(const WCHAR* fileName);
int PackageDestroy(PackageRecord* record);
int PackageLoadLibrary(PackageRecord* record);
int PackageUnloadLibrary(PackageRecord* record);
int PackageInit(PackageRecord* record);
int PackageExit(PackageRecord* record);
int PackageLoadSettings(PackageRecord* record);
int PackageSaveSettings(PackageRecord* record);
int PackageShowOptions(PackageRecord* record, HWND panel, ModuleRecord* module);
int PackageHideOptions(PackageRecord* record, ModuleRecord* module);
int PackageQueryInfo(PackageRecord* record);
bool PackageIsLoaded(const PackageRecord* record);
bool PackageIsInitialised(const PackageRecord* record);

// The listed package of that file name, or null. Any thread.
PackageRecord* PackageFind(const WCHAR* fileName);
bool PackageIsListed(const PackageRecord* record);
// Lists a record that is not listed (the watchdog, for a package that hung
// while being listed, with the FolderWatcher gone).
void PackageKeepListed(PackageRecord* record);
// FolderWatcher thread. Returns how many unknown files could not be listed.
UINT PackageScanFolder();
// Loads or unloads per fileName/_loaded; any thread.
void PackageApplyLoaded(PackageRecord* record);
void PackageStoreLoaded(PackageRecord* record);
// Writes fileName/_info_failed: listings do not ask it for its info until the
// user loads it again.
void PackageMarkInfoFailed(const WCHAR* fileName);

UINT_PTR WINAPI PackageRequestHandler(UINT code, UINT_PTR parameter);
// Sends a package request to the FolderWatcher (inline on it).
UINT_PTR PackageRequest(UINT code, UINT_PTR parameter);
