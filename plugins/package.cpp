#include "plugins/package.h"

#include "core/runtime/memory.h"
#include "core/runtime/res_string.h"
#include "core/runtime/wstr.h"
#include "plugins/host_callback.h"
#include "plugins/module.h"
#include "plugins/package_guard.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"

namespace {
int CompareByFileName(const void* a, const void* b) {
    return lstrcmpW(static_cast<const PackageRecord*>(a)->fileName, static_cast<const PackageRecord*>(b)->fileName);
}

// The host shows the package list (the configuration window's Plugins
// page); it is told, and refills on its own thread.
void TellHostPackagesChanged() {
    if (PluginSys.host.packagesChanged) PluginSys.host.packagesChanged();
}

// Builds fileName + "/" + key ("_loaded", "_info_failed").
bool PackageKeyPath(const WCHAR* fileName, const WCHAR* key, WCHAR* path, int size) {
    if (!fileName || StrLen(fileName) + StrLen(key) + 2 > size) return false;
    wsprintfW(path, L"%s/%s", fileName, key);
    return true;
}

bool LoadedPath(const PackageRecord* record, WCHAR* path, int size) {
    return PackageKeyPath(record->fileName, L"_loaded", path, size);
}

// A package whose PKG_GET_INFO failed is marked so, and listed at later starts
// without being asked again, until the user loads it.
const WCHAR kInfoFailed[] = L"_info_failed";

bool InfoFailed(const WCHAR* fileName) {
    WCHAR path[MAX_PATH + 16];
    DWORD failed = 0;
    return PackageKeyPath(fileName, kInfoFailed, path, MAX_PATH + 16) && SettingsGetBool(path, &failed) == 0 &&
           failed;
}

void RemoveFromList(PackageRecord* record) {
    ListLock lock(PluginSys.packages);
    PtrArrayRemove(PluginSys.packages.items, record);
}
}  // namespace

bool PluginsPath(const WCHAR* fileName, WCHAR* path) {
    if (!fileName || StrLen(fileName) + 9 > MAX_PATH) return false;
    wsprintfW(path, L"Plugins\\%s", fileName);
    return true;
}

namespace {
// A file being copied in cannot be opened yet but does exist: loading then
// waits for the copy to end instead of missing the file for good.
bool PackageFileExists(const WCHAR* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

PackageRecord* PackageCreate(const WCHAR* fileName) {
    WCHAR path[MAX_PATH];
    if (!fileName || !PluginsPath(fileName, path) || !PackageFileExists(path)) return nullptr;
    PackageRecord* r = static_cast<PackageRecord*>(MemAllocZero(sizeof(PackageEntry)));
    r->size = TV2_PACKAGE_RECORD_TAG;
    r->fileName = StrDup(fileName);
    if (PackageLoadLibrary(r) != 0) {
        PackageDestroy(r);
        return nullptr;
    }
    // A package that fails here is listed all the same, failed, so that
    // later scans do not call it again.
    if (!InfoFailed(fileName)) PackageQueryInfo(r);
    PackageUnloadLibrary(r);
    return r;
}

int PackageDestroy(PackageRecord* record) {
    if (!record) return 1;
    // A failed package's record stays: threads of the package, or one hung
    // in it, may still read it.
    if (PackageHasFailed(record)) return 0;
    if (record->initialised) return 4;
    if (record->module) PackageUnloadLibrary(record);
    MemFree(record->fileName);
    MemFree(record->name);
    MemFree(record->author);
    MemFree(record->website);
    MemFree(record);
    return 0;
}

int PackageLoadLibrary(PackageRecord* record) {
    if (!record) return 1;
    if (record->module) return 2;
    if (PackageHasFailed(record)) return 3;
    WCHAR path[MAX_PATH];
    if (!PluginsPath(record->fileName, path)) return 3;
    // A file still being copied in is held open by the copier: wait until it
    // is complete rather than load half a library.
    for (;;) {
        HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            break;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(100);
    }
    HMODULE module = LoadLibraryW(path);
    if (!module) return 3;
    FARPROC entry = GetProcAddress(module, "TV2PackageProc");
    if (!entry) {
        FreeLibrary(module);
        return 3;
    }
    record->module = module;
    record->entry = entry;
    return 0;
}

int PackageUnloadLibrary(PackageRecord* record) {
    if (!record) return 1;
    if (!record->module) return 2;
    if (PackageHasFailed(record)) {
        // Left mapped: code of it may still run on threads it started.
        record->module = nullptr;
        record->entry = nullptr;
        return 0;
    }
    if (record->initialised) return 4;
    FreeLibrary(record->module);
    record->module = nullptr;
    record->entry = nullptr;
    return 0;
}

int PackageInit(PackageRecord* record) {
    if (!record || !record->module) return 2;
    if (record->initialised) return 4;
    record->initialised = 1;
    UINT_PTR ok = 0;
    PackageCallEntry(record, PKG_INIT, reinterpret_cast<UINT_PTR>(record), reinterpret_cast<UINT_PTR>(&HostCallback),
                     &ok);
    return ok ? 0 : 4;
}

int PackageExit(PackageRecord* record) {
    if (!record || !record->module) return 2;
    if (!record->initialised) return 4;
    PackageCallEntry(record, PKG_EXIT, 0, 0, nullptr);
    record->initialised = 0;
    return 0;
}

// Settings calls made elsewhere go to the FolderWatcher (FW_LOAD_SETTINGS,
// FW_SAVE_SETTINGS), where a package that never returns can be given up.
int PackageLoadSettings(PackageRecord* record) {
    if (!record || !record->module) return 2;
    if (!MailboxIsOwner(PluginSys.watcherMailbox) &&
        PackageRequest(FW_LOAD_SETTINGS, reinterpret_cast<UINT_PTR>(record)) != MAILBOX_FAILED)
        return 0;
    PackageCallEntry(record, PKG_LOAD_SETTINGS, 0, 0, nullptr);
    return 0;
}

int PackageSaveSettings(PackageRecord* record) {
    if (!record || !record->module) return 0;
    if (!MailboxIsOwner(PluginSys.watcherMailbox) &&
        PackageRequest(FW_SAVE_SETTINGS, reinterpret_cast<UINT_PTR>(record)) != MAILBOX_FAILED)
        return 0;
    PackageCallEntry(record, PKG_SAVE_SETTINGS, 0, 0, nullptr);
    return 0;
}

int PackageShowOptions(PackageRecord* record, HWND panel, ModuleRecord* module) {
    if (!record || !record->module) return 2;
    // 4: its code faulted there (and the package has failed).
    return PackageCallEntry(record, PKG_SHOW_OPTIONS, reinterpret_cast<UINT_PTR>(module),
                            reinterpret_cast<UINT_PTR>(panel), nullptr)
               ? 0
               : 4;
}

int PackageHideOptions(PackageRecord* record, ModuleRecord* module) {
    if (!record || !record->module) return 2;
    PackageCallEntry(record, PKG_HIDE_OPTIONS, reinterpret_cast<UINT_PTR>(module), 0, nullptr);
    return 0;
}

int PackageQueryInfo(PackageRecord* record) {
    if (!record || !record->module) return 2;
    UINT_PTR result = 0;
    if (!PackageCallEntry(record, PKG_GET_INFO, 0, 0, &result)) return 4;
    const PackageInfo* info = reinterpret_cast<const PackageInfo*>(result);
    if (!info) return 4;
    // Name and author are required, but a package that breaks that rule is
    // listed with empty texts rather than taking the host down.
    MemFree(record->name);
    MemFree(record->author);
    MemFree(record->website);
    record->name = info->name ? StrDup(info->name) : nullptr;
    record->author = info->author ? StrDup(info->author) : nullptr;
    record->website = info->website ? StrDup(info->website) : nullptr;
    return 0;
}

bool PackageIsLoaded(const PackageRecord* record) { return record && record->module; }
bool PackageIsInitialised(const PackageRecord* record) { return record && record->initialised; }

PackageRecord* PackageFind(const WCHAR* fileName) {
    if (!fileName || !PluginSys.packages.items) return nullptr;
    ListLock lock(PluginSys.packages);
    PtrArray* list = PluginSys.packages.items;
    UINT lo = 0, hi = PtrArrayCount(list);
    while (lo < hi) {
        UINT mid = (lo + hi) / 2;
        PackageRecord* r = static_cast<PackageRecord*>(PtrArrayGet(list, mid));
        int c = lstrcmpW(r->fileName, fileName);
        if (c == 0) return r;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return nullptr;
}

void PackageKeepListed(PackageRecord* record) {
    if (!record || PackageIsListed(record)) return;
    ListLock lock(PluginSys.packages);
    PtrArrayAddSorted(PluginSys.packages.items, record, CompareByFileName);
}

bool PackageIsListed(const PackageRecord* record) {
    return record && PluginSys.packages.items && ListContains(PluginSys.packages, record);
}

UINT PackageScanFolder() {
    // Once stop is removing packages, a scan would list them again.
    if (PluginSys.stopping) return 0;
    UINT failed = 0;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(L"Plugins\\*.dll", &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            if (!PackageFind(fd.cFileName) && !PackageRequestHandler(FW_ADD_PACKAGE, reinterpret_cast<UINT_PTR>(fd.cFileName)))
                failed++;
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    UINT i = 0;
    for (;;) {
        PackageRecord* r;
        {
            ListLock lock(PluginSys.packages);
            r = static_cast<PackageRecord*>(PtrArrayGet(PluginSys.packages.items, i));
        }
        if (!r) break;
        WCHAR path[MAX_PATH];
        if (!PackageIsLoaded(r) && (!PluginsPath(r->fileName, path) || !PackageFileExists(path)))
            PackageRequestHandler(FW_REMOVE_PACKAGE, reinterpret_cast<UINT_PTR>(r));
        else
            i++;
    }
    return failed;
}

void PackageApplyLoaded(PackageRecord* record) {
    // A failed package is not loaded again in this session.
    if (!record || PackageHasFailed(record)) return;
    WCHAR path[MAX_PATH + 16];
    if (!LoadedPath(record, path, MAX_PATH + 16)) return;
    DWORD wanted = 0;
    if (SettingsGetBool(path, &wanted) != 0) wanted = 0;
    UINT code = 0;
    if (wanted && !PackageIsLoaded(record)) {
        code = FW_LOAD_PACKAGE;
        // The user loads it: its next listing asks for its info again.
        if (InfoFailed(record->fileName) && PackageKeyPath(record->fileName, kInfoFailed, path, MAX_PATH + 16))
            SettingsDelete(path);
    }
    if (!wanted && PackageIsLoaded(record)) code = FW_UNLOAD_PACKAGE;
    if (!code) return;
    // The PluginThread never waits for the FolderWatcher (which may be
    // waiting for it): from there the request goes without waiting.
    if (MailboxIsOwner(PluginSys.pluginMailbox))
        MailboxPost(PluginSys.watcherMailbox, code, reinterpret_cast<UINT_PTR>(record));
    else
        PackageRequest(code, reinterpret_cast<UINT_PTR>(record));
}

void PackageMarkInfoFailed(const WCHAR* fileName) {
    WCHAR path[MAX_PATH + 16];
    if (PackageKeyPath(fileName, kInfoFailed, path, MAX_PATH + 16)) SettingsSetBool(path, 1);
}

void PackageStoreLoaded(PackageRecord* record) {
    if (!record) return;
    WCHAR path[MAX_PATH + 16];
    if (LoadedPath(record, path, MAX_PATH + 16)) SettingsSetBool(path, PackageIsLoaded(record) ? 1 : 0);
}

UINT_PTR PackageRequest(UINT code, UINT_PTR parameter) {
    return MailboxSendFollowing(&PluginSys.watcherMailbox, code, parameter);
}

UINT_PTR WINAPI PackageRequestHandler(UINT code, UINT_PTR parameter) {
    if (code == FW_ADD_PACKAGE) {
        PackageRecord* r = PackageCreate(reinterpret_cast<const WCHAR*>(parameter));
        if (!r) return 0;
        {
            ListLock lock(PluginSys.packages);
            PtrArrayAddSorted(PluginSys.packages.items, r, CompareByFileName);
        }
        PackageApplyLoaded(r);
        TellHostPackagesChanged();
        return reinterpret_cast<UINT_PTR>(r);
    }
    if (code < FW_REMOVE_PACKAGE || code > FW_SAVE_SETTINGS) return 0;
    // Requests may arrive late (posted, or from a thread that held on to a
    // record): only listed records are touched.
    PackageRecord* r = reinterpret_cast<PackageRecord*>(parameter);
    if (!PackageIsListed(r)) return 0;
    switch (code) {
    case FW_REMOVE_PACKAGE:
        // Unloading keeps the order of every deactivation: the modules save
        // and lose their windows (WM_DESTROY reaching them) while the package
        // still serves them, and only then does it exit.
        if (PackageIsLoaded(r)) PackageRequestHandler(FW_UNLOAD_PACKAGE, parameter);
        RemoveFromList(r);
        PackageDestroy(r);
        TellHostPackagesChanged();
        break;
    case FW_LOAD_PACKAGE:
        if (!PackageIsLoaded(r) && PackageLoadLibrary(r) == 0) PackageRequestHandler(FW_INIT_PACKAGE, parameter);
        break;
    case FW_UNLOAD_PACKAGE: {
        PtrArray* mine = ModulesOfPackage(r);
        // Active modules save their settings and lose their windows while
        // their package can still serve them; then the package exits and
        // the records go.
        for (UINT i = 0; i < PtrArrayCount(mine); i++)
            ModuleRequest(PT_DEACTIVATE_MODULE, reinterpret_cast<UINT_PTR>(PtrArrayGet(mine, i)));
        if (PackageIsInitialised(r)) PackageRequestHandler(FW_EXIT_PACKAGE, parameter);
        for (UINT i = 0; i < PtrArrayCount(mine); i++)
            ModuleRequest(PT_UNREGISTER_MODULE, reinterpret_cast<UINT_PTR>(PtrArrayGet(mine, i)));
        PtrArrayDestroy(mine);
        PackageUnloadLibrary(r);
        break;
    }
    case FW_INIT_PACKAGE:
        PackageInit(r);
        break;
    case FW_EXIT_PACKAGE:
        PackageExit(r);
        break;
    case FW_LOAD_SETTINGS:
        PackageLoadSettings(r);
        break;
    case FW_SAVE_SETTINGS:
        PackageSaveSettings(r);
        break;
    }
    return 0;
}
