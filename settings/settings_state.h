#pragma once
// The one store of the process and the helpers its files share.
#include <windows.h>

#include "core/runtime/ptr_array.h"
#include "settings/settings_store.h"
#include "settings/settings_tree.h"

struct SettingsStoreState {
    bool open;
    WCHAR path[MAX_PATH];
    WCHAR* rootName;      // own copy, or null
    PtrArray* profiles;   // SettingsNode*, file and creation order; never empty while open
    UINT current;
    UINT defaultIndex;
    PtrArray* listeners;  // SettingsListener, registration order
    LONG quiet;           // a flag, not a count
    // The file existed at open but gave no profile (locked, odd length,
    // malformed, not ours): it is kept beside the new one before saving.
    bool keepUnreadable;
};

extern SettingsStoreState Store;

// Packages reach the store from their own threads and from the plug-in
// thread while the main thread uses it too, so every look at the profiles
// happens under one lock. It is never held while listeners run: they send
// requests to other threads, which may be waiting to read a setting.
void SettingsLock();
void SettingsUnlock();
struct StoreLock {
    StoreLock() { SettingsLock(); }
    ~StoreLock() { SettingsUnlock(); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
};

SettingsNode* SettingsCurrentProfile();
// Calls every listener in registration order; a listener may add or remove
// listeners while this runs.
void SettingsNotify(UINT code, const WCHAR* path);

// Fills Store.profiles, current and default from Store.path.
void SettingsLoad();
// Writes Store's profiles to Store.path; false when the file could not be
// written, in which case whatever stood there before is untouched.
bool SettingsSave();
// Frees every profile and empties the list; current and default become 0.
void SettingsFreeProfiles();
// Where Settings.xml of this user lives (creates its folder on demand).
void SettingsLocateFile(WCHAR* path);

// What a path reaches in the current profile.
struct SettingsTarget {
    SettingsNode* parent;  // the node whose list holds the entry
    int index;             // in parent's settings, or children when node is set
    Setting* setting;      // the setting named, or null
    SettingsNode* node;    // the node named by a path ending in "/", or null
};
// Resolves path from the current profile. With create, missing nodes along
// the way and a missing setting are made (in name order) and a setting path
// always ends in a setting unless the path holds an empty name; a path ending
// in "/" then names nothing. Without create, a path ending in "/" names its
// last node. False when nothing is named.
bool SettingsResolvePath(const WCHAR* path, bool create, SettingsTarget* target);
