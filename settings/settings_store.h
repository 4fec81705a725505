#pragma once
// The store of profiles and typed settings, read from Settings.xml once at
// start and written once at an orderly exit. Any thread may call it: one lock
// guards the profiles and the listener list, and is never held while
// listeners run.
#include <windows.h>

enum SettingType : int { SETTING_NONE = 0, SETTING_NUM = 1, SETTING_STRING = 2, SETTING_BOOL = 3 };

enum SettingsNotification : UINT {
    SN_PROFILE_LEAVING = 1,
    SN_PROFILE_CHANGED = 2,
    SN_SETTING_CHANGED = 3,
    SN_SETTING_DELETED = 4,
};

// Called synchronously on the writing thread; only the low 16 bits of code
// carry meaning; path is null for the profile notifications.
typedef void (*SettingsListener)(UINT code, const WCHAR* path);

// Finds this user's Settings.xml and opens the store on it.
int SettingsOpen(const WCHAR* rootName);
// Opens the store on the given file (tests, tools). 2 for a null or empty
// path; a store already open is closed (and saved) first.
int SettingsOpenFile(const WCHAR* path, const WCHAR* rootName);
// Saves and frees everything: 0, or 2 when the file could not be written (the
// file on disk is then as it was).
int SettingsClose();
// Writes the file now and keeps the store open: for the end of the Windows
// session, after which no orderly exit comes. 0, or 2 when it could not be
// written (the file on disk is then as it was).
int SettingsWrite();
// The file the open store reads and writes; null when closed.
const WCHAR* SettingsFilePath();

int SettingsGetNumber(const WCHAR* path, DWORD* value);
int SettingsSetNumber(const WCHAR* path, DWORD value);
int SettingsGetBool(const WCHAR* path, DWORD* value);
int SettingsSetBool(const WCHAR* path, DWORD value);
int SettingsGetString(const WCHAR* path, WCHAR** value);
int SettingsSetString(const WCHAR* path, const WCHAR* value);
int SettingsDelete(const WCHAR* path);
int SettingsExists(const WCHAR* path);

int ProfileGetCount(UINT* count);
int ProfileGetName(UINT index, WCHAR* buffer, UINT* size);
int ProfileGetCurrent(UINT* index);
int ProfileGetDefault(UINT* index);
int ProfileCreate(const WCHAR* name);
int ProfileDelete(UINT index);
int ProfileRename(UINT index, const WCHAR* name);
int ProfileCopy(UINT destination, UINT source);
int ProfileSelect(UINT index);
int ProfileSetDefault(UINT index);

// Safe from any thread, also while another thread notifies. A listener that
// is being called on another thread may still run once after its removal
// returns: listeners hand their work to their own thread (post) rather than
// touch state that the remover is about to free.
int SettingsAddListener(SettingsListener listener);
int SettingsRemoveListener(SettingsListener listener);
