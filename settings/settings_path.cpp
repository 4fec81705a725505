#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"

namespace {
// Component names are cut out of a private copy of the path; most paths fit
// on the stack.
const int kLocalPath = 260;

bool Walk(WCHAR* p, bool create, SettingsTarget* target) {
    SettingsNode* node = SettingsCurrentProfile();
    SettingsNode* parent = nullptr;
    int nodeIndex = -1;
    for (;;) {
        WCHAR* slash = p;
        while (*slash && *slash != L'/') slash++;
        if (!*slash) break;
        // A leading "/" or two in a row: an empty name ends the walk, after
        // whatever a write has already made before it.
        if (slash == p) return false;
        *slash = 0;
        int i = SettingsFindChild(node, p);
        SettingsNode* child;
        if (i >= 0) {
            child = static_cast<SettingsNode*>(node->children->items[i]);
        } else {
            if (!create) return false;
            child = SettingsNodeCreate(p);
            SettingsNodeInsertChild(node, child);
        }
        parent = node;
        nodeIndex = i;
        node = child;
        p = slash + 1;
    }
    if (!*p) {
        // The path ends in "/": it names the node reached, which only
        // existence tests and deletion take.
        if (create || !parent) return false;
        target->parent = parent;
        target->index = nodeIndex;
        target->node = node;
        return true;
    }
    int i = SettingsFindSetting(node, p);
    Setting* setting;
    if (i >= 0) {
        setting = static_cast<Setting*>(node->settings->items[i]);
    } else {
        if (!create) return false;
        setting = SettingCreate(p);
        SettingsNodeInsertSetting(node, setting);
    }
    target->parent = node;
    target->index = i;
    target->setting = setting;
    return true;
}
}  // namespace

bool SettingsResolvePath(const WCHAR* path, bool create, SettingsTarget* target) {
    target->parent = nullptr;
    target->index = -1;
    target->setting = nullptr;
    target->node = nullptr;
    if (!Store.open || !path || !*path) return false;
    int n = StrLen(path);
    WCHAR local[kLocalPath];
    WCHAR* copy = n < kLocalPath ? local : static_cast<WCHAR*>(MemAlloc((n + 1) * sizeof(WCHAR)));
    CopyMemory(copy, path, (n + 1) * sizeof(WCHAR));
    bool found = Walk(copy, create, target);
    if (copy != local) MemFree(copy);
    return found;
}
