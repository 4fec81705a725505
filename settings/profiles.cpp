// The list of profiles: one is current, one becomes current at the next start.
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"

namespace {
UINT ProfileCount() { return Store.open ? Store.profiles->count : 0; }

SettingsNode* Profile(UINT index) { return static_cast<SettingsNode*>(Store.profiles->items[index]); }
void RemoveProfile(UINT index);
}  // namespace

int ProfileGetCount(UINT* count) {
    if (!count) return 1;
    StoreLock lock;
    *count = ProfileCount();
    return 0;
}

int ProfileGetName(UINT index, WCHAR* buffer, UINT* size) {
    if (!size) return 1;
    StoreLock lock;
    if (index >= ProfileCount()) return 5;
    const WCHAR* name = Profile(index)->name;
    if (buffer && *size > 0) lstrcpynW(buffer, name, static_cast<int>(*size));
    *size = static_cast<UINT>(StrLen(name));
    return 0;
}

int ProfileGetCurrent(UINT* index) {
    if (!index) return 1;
    *index = Store.current;
    return 0;
}

int ProfileGetDefault(UINT* index) {
    if (!index) return 1;
    *index = Store.defaultIndex;
    return 0;
}

int ProfileCreate(const WCHAR* name) {
    if (!name || !*name) return 1;
    StoreLock lock;
    if (!Store.open) return 4;
    for (UINT i = 0; i < ProfileCount(); i++)
        if (lstrcmpiW(Profile(i)->name, name) == 0) return 4;
    PtrArrayAdd(Store.profiles, SettingsNodeCreate(name));
    return 0;
}

int ProfileDelete(UINT index) {
    {
        StoreLock lock;
        UINT count = ProfileCount();
        if (index >= count) return 1;
        if (count == 1) return 5;
        RemoveProfile(index);
    }
    SettingsNotify(SN_PROFILE_CHANGED, nullptr);
    return 0;
}

namespace {
void RemoveProfile(UINT index) {
    SettingsNode* removed = Profile(index);
    PtrArrayRemoveAt(Store.profiles, index);
    SettingsNodeFree(removed);
    UINT& c = Store.current;
    UINT& d = Store.defaultIndex;
    if (index == d) {
        if (index == c) {
            c = d = 0;
        } else {
            if (c > index) c--;
            d = c;
        }
    } else if (index == c) {
        if (d > index) d--;
        c = d;
    } else {
        if (c > index) c--;
        if (d > index) d--;
    }
}
}  // namespace

int ProfileRename(UINT index, const WCHAR* name) {
    if (!name || !*name) return 1;
    StoreLock lock;
    if (index >= ProfileCount()) return 4;
    SettingsNode* profile = Profile(index);
    WCHAR* copy = StrDup(name);
    MemFree(profile->name);
    profile->name = copy;
    return 0;
}

int ProfileCopy(UINT destination, UINT source) {
    StoreLock lock;
    UINT count = ProfileCount();
    if (destination >= count || source >= count) return 1;
    SettingsNodeCopyInto(Profile(destination), Profile(source));
    return 0;
}

int ProfileSelect(UINT index) {
    if (index >= ProfileCount()) return 4;
    // Listeners store their state into the profile being left; those writes
    // must not wake the other listeners.
    Store.quiet = 1;
    SettingsNotify(SN_PROFILE_LEAVING, nullptr);
    Store.quiet = 0;
    {
        // A listener may have deleted profiles meanwhile.
        StoreLock lock;
        if (index < ProfileCount()) Store.current = index;
    }
    SettingsNotify(SN_PROFILE_CHANGED, nullptr);
    return 0;
}

int ProfileSetDefault(UINT index) {
    StoreLock lock;
    if (index >= ProfileCount()) return 4;
    Store.defaultIndex = index;
    return 0;
}
