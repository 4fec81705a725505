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

// The file is written straight from the profiles, in the bytes the XML writer
// gives the same tree (tab-indented to at most 16, CR LF, the five escapes):
// building the plug-in-visible document first cost a dozen heap blocks per
// setting. It goes out through one small buffer, reused, rather than a block
// the size of the file, which the heap would have to grow and the system to
// map afresh at every doubling.
const DWORD kOutChars = 32768;

struct Out {
    HANDLE file;
    WCHAR* text;
    DWORD used;    // characters waiting in text
    DWORD bytes;   // bytes written so far
    bool failed;   // a write failed or fell short
};

void Drain(Out* o) {
    if (!o->used) return;
    DWORD bytes = o->used * sizeof(WCHAR), written = 0;
    if (!WriteFile(o->file, o->text, bytes, &written, nullptr) || written != bytes) o->failed = true;
    o->bytes += written;
    o->used = 0;
}

// Room for n more characters, n at most kOutChars.
inline void Room(Out* o, DWORD n) {
    if (o->used + n > kOutChars) Drain(o);
}

void PutChars(Out* o, const WCHAR* s, DWORD n) {
    while (n) {
        if (o->used == kOutChars) Drain(o);
        DWORD take = kOutChars - o->used < n ? kOutChars - o->used : n;
        CopyMemory(o->text + o->used, s, take * sizeof(WCHAR));
        o->used += take;
        s += take;
        n -= take;
    }
}

void Put(Out* o, const WCHAR* s) { PutChars(o, s, static_cast<DWORD>(StrLen(s))); }

// Runs without anything to escape go out in one copy; a settings file is
// mostly such runs.
void PutEscaped(Out* o, const WCHAR* s) {
    if (!s) return;
    for (;;) {
        const WCHAR* run = s;
        const WCHAR* entity = nullptr;
        for (; *s; s++)
            if ((entity = XmlEntityFor(*s))) break;
        PutChars(o, run, static_cast<DWORD>(s - run));
        if (!*s) return;
        Put(o, entity);
        s++;
    }
}

void PutIndent(Out* o, UINT depth) {
    UINT tabs = depth < 16 ? depth : 16;
    Room(o, tabs);
    for (UINT i = 0; i < tabs; i++) o->text[o->used++] = L'\t';
}

// Signed decimal, as "%i" formats the 32 bits.
void PutNumber(Out* o, DWORD number) {
    WCHAR text[12];
    WCHAR* p = text + 12;
    bool negative = static_cast<LONG>(number) < 0;
    DWORD magnitude = negative ? 0u - number : number;
    do {
        *--p = static_cast<WCHAR>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (negative) *--p = L'-';
    PutChars(o, p, static_cast<DWORD>(text + 12 - p));
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
    case SETTING_NUM: PutNumber(o, s->number); return;
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

bool WriteReplacing(const WCHAR* path) {
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
    Out out = {file, static_cast<WCHAR*>(MemAlloc(kOutChars * sizeof(WCHAR))), 0, 0, false};
    PutDocument(&out);
    Drain(&out);
    MemFree(out.text);
    // A full disk or a failing device shows as a short write: the old file
    // then stays as it was.
    bool complete = !out.failed && FlushFileBuffers(file) && GetFileSize(file, nullptr) == out.bytes;
    complete = CloseHandle(file) && complete;
    if (complete && MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp);
    return false;
}
}  // namespace

bool SettingsSave() {
    if (Store.keepUnreadable && !KeepUnreadableFile(Store.path)) return false;
    return WriteReplacing(Store.path);
}
