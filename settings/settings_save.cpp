// Writing the profiles to Settings.xml at close. The file on disk is only ever
// replaced whole: the document goes to a temporary file in the same folder,
// is checked, and is then moved over the old one.
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"
#include "settings/xml_internal.h"

namespace {
// How many unreadable copies of one file are kept before giving up.
const UINT kMaxKeptCopies = 9999;

// The file is written straight from the profiles into one memory block, in
// the bytes the XML writer gives the same tree (tab-indented to at most 16,
// CR LF, the five escapes): building the plug-in-visible document first cost
// a dozen heap blocks per setting.
struct Out {
    WCHAR* text;
    DWORD used;
    DWORD capacity;
};

void Grow(Out* o, DWORD more) {
    if (o->used + more <= o->capacity) return;
    DWORD capacity = o->capacity ? o->capacity : 4096;
    while (capacity < o->used + more) capacity *= 2;
    o->text = static_cast<WCHAR*>(o->text ? MemRealloc(o->text, capacity * sizeof(WCHAR)) : MemAlloc(capacity * sizeof(WCHAR)));
    o->capacity = capacity;
}

void Put(Out* o, const WCHAR* s) {
    DWORD n = static_cast<DWORD>(StrLen(s));
    Grow(o, n);
    for (DWORD i = 0; i < n; i++) o->text[o->used++] = s[i];
}

void PutEscaped(Out* o, const WCHAR* s) {
    for (; s && *s; s++) {
        if (const WCHAR* entity = XmlEntityFor(*s)) {
            Put(o, entity);
        } else {
            Grow(o, 1);
            o->text[o->used++] = *s;
        }
    }
}

void PutIndent(Out* o, UINT depth) {
    UINT tabs = depth < 16 ? depth : 16;
    Grow(o, tabs);
    for (UINT i = 0; i < tabs; i++) o->text[o->used++] = L'\t';
}

const WCHAR* TypeName(int type) {
    switch (type) {
    case SETTING_NUM: return L"num";
    case SETTING_STRING: return L"string";
    case SETTING_BOOL: return L"bool";
    default: return L"none";
    }
}

void PutValue(Out* o, const Setting* s) {
    switch (s->type) {
    case SETTING_NUM: {
        WCHAR text[16];
        wsprintfW(text, L"%i", s->number);
        Put(o, text);
        return;
    }
    case SETTING_STRING: PutEscaped(o, s->string); return;
    case SETTING_BOOL: Put(o, s->flag ? L"true" : L"false"); return;
    default: return;
    }
}

// A profile or node and everything below it. Nodes nest as deep as the
// paths of the settings in them, which is shallow, so recursion is fine.
void PutNode(Out* o, const SettingsNode* node, const WCHAR* element, UINT depth) {
    PutIndent(o, depth);
    Put(o, L"<");
    Put(o, element);
    Put(o, L" name=\"");
    PutEscaped(o, node->name);
    if (node->settings->count == 0 && node->children->count == 0) {
        Put(o, L"\" />\r\n");
        return;
    }
    Put(o, L"\">\r\n");
    for (UINT i = 0; i < node->settings->count; i++) {
        const Setting* s = static_cast<const Setting*>(node->settings->items[i]);
        PutIndent(o, depth + 1);
        Put(o, L"<setting name=\"");
        PutEscaped(o, s->name);
        Put(o, L"\" type=\"");
        Put(o, TypeName(s->type));
        Put(o, L"\">");
        PutValue(o, s);
        Put(o, L"</setting>\r\n");
    }
    for (UINT i = 0; i < node->children->count; i++)
        PutNode(o, static_cast<const SettingsNode*>(node->children->items[i]), L"node", depth + 1);
    PutIndent(o, depth);
    Put(o, L"</");
    Put(o, element);
    Put(o, L">\r\n");
}

void PutDocument(Out* o) {
    const WCHAR* root = Store.rootName ? Store.rootName : L"profile";
    Put(o, L"\xFEFF<?xml version=\"1.0\" ?>\r\n<");
    Put(o, root);
    Put(o, L">\r\n\t<default>");
    PutEscaped(o, static_cast<SettingsNode*>(Store.profiles->items[Store.defaultIndex])->name);
    Put(o, L"</default>\r\n");
    for (UINT i = 0; i < Store.profiles->count; i++)
        PutNode(o, static_cast<SettingsNode*>(Store.profiles->items[i]), L"profile", 1);
    Put(o, L"</");
    Put(o, root);
    Put(o, L">\r\n");
}

// Copies the file that could not be read to "<path>.unreadable-<n>", never
// over an earlier copy. True when it is kept or no longer there.
bool KeepUnreadableFile(const WCHAR* path) {
    WCHAR kept[MAX_PATH + 32];
    for (UINT n = 1; n <= kMaxKeptCopies; n++) {
        wsprintfW(kept, L"%s.unreadable-%u", path, n);
        if (CopyFileW(path, kept, TRUE)) return true;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return true;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

void FolderOf(const WCHAR* path, WCHAR* folder) {
    StrCopyN(folder, path, MAX_PATH);
    WCHAR* cut = nullptr;
    for (WCHAR* p = folder; *p; p++)
        if (*p == L'\\' || *p == L'/') cut = p;
    if (cut)
        cut[cut == folder ? 1 : 0] = 0;
    else
        lstrcpyW(folder, L".");
}

bool WriteReplacing(const Out& document, const WCHAR* path) {
    // A read-only file is not ours to replace. Writing it in place is refused
    // by the system; a rename over it is not refused everywhere (Wine allows
    // it), so it is checked here.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    WCHAR folder[MAX_PATH], temp[MAX_PATH];
    FolderOf(path, folder);
    if (!GetTempFileNameW(folder, L"tv2", 0, temp)) return false;
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(temp);
        return false;
    }
    // A full disk or a failing device shows as a short write: the old file
    // then stays as it was.
    DWORD bytes = document.used * sizeof(WCHAR), written = 0;
    bool complete = WriteFile(file, document.text, bytes, &written, nullptr) && written == bytes;
    complete = complete && FlushFileBuffers(file) && GetFileSize(file, nullptr) == bytes;
    complete = CloseHandle(file) && complete;
    if (complete && MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp);
    return false;
}
}  // namespace

bool SettingsSave() {
    if (Store.keepUnreadable && !KeepUnreadableFile(Store.path)) return false;
    Out document = {nullptr, 0, 0};
    PutDocument(&document);
    bool saved = WriteReplacing(document, Store.path);
    MemFree(document.text);
    return saved;
}
