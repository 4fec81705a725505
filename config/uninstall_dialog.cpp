// The Uninstall Package dialog. The file goes first: the package's settings
// are removed only once it is gone, so a file that cannot be deleted leaves
// everything as it was, the package loaded again if it was.
#include "config/uninstall_dialog.h"

#include "config/config_layout.h"
#include "config/config_pages.h"
#include "controls/dialog_frame.h"
#include "controls/ubb_control.h"
#include "controls/ubb_markup.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"
#include "plugins/package.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {
const int kClientWidth = 320, kClientHeight = 180;
const WCHAR kRemoveKey[] = L"_remove_settings_on_package_uninstall";
// How long a package may take to unload: 30 looks, 100 ms apart.
const int kUnloadLooks = 30;

struct UninstallState {
    HWND owner;
    PackageRecord* package;  // an identity: checked before every use
    WCHAR name[128];
    WCHAR fileName[MAX_PATH];
};

UninstallState* StateOf(HWND d) { return reinterpret_cast<UninstallState*>(GetWindowLongPtrW(d, DWLP_USER)); }

bool StillLoaded(const PackageRecord* package) { return PackageIsListed(package) && PackageIsLoaded(package); }

// The package's file: Plugins\ beside the executable.
bool PackagePath(const WCHAR* fileName, WCHAR* path) {
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    WCHAR* cut = path;
    for (WCHAR* p = path; *p; p++)
        if (*p == L'\\') cut = p;
    *cut = 0;
    if (StrLen(path) + StrLen(fileName) + 10 > MAX_PATH) return false;
    wsprintfW(cut, L"\\Plugins\\%s", fileName);
    return true;
}

void OnUninstall(HWND d) {
    UninstallState* s = StateOf(d);
    HWND question = GetDlgItem(d, IDC_UNINST_QUESTION);
    SetWindowTextW(question, GetStr(IDS_UNINST_REMOVING));
    RedrawWindow(question, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const int controls[] = {IDOK, IDCANCEL, IDC_UNINST_REMOVE};
    for (int id : controls) EnableWindow(GetDlgItem(d, id), FALSE);
    bool removeSettings = IsDlgButtonChecked(d, IDC_UNINST_REMOVE) == BST_CHECKED;
    SettingsSetBool(kRemoveKey, removeSettings ? 1 : 0);

    // Unloaded through its setting: the plug-in system exits and frees it.
    WCHAR loaded[MAX_PATH + 16];
    wsprintfW(loaded, L"%s/_loaded", s->fileName);
    bool wasLoaded = StillLoaded(s->package);
    SettingsSetBool(loaded, 0);
    for (int i = 0; i < kUnloadLooks && StillLoaded(s->package); i++) Sleep(100);

    WCHAR path[MAX_PATH];
    bool gone = PackagePath(s->fileName, path) && (DeleteFileW(path) || GetLastError() == ERROR_FILE_NOT_FOUND);
    if (!gone) {
        MessageBoxW(s->owner, GetStr(IDS_UNINST_DELETE_FAILED), L"Tovara2", MB_ICONWARNING);
        if (wasLoaded) SettingsSetBool(loaded, 1);
        EndDialog(d, UNINSTALL_FAILED);
        return;
    }
    if (removeSettings) {
        WCHAR node[MAX_PATH + 2];
        wsprintfW(node, L"%s/", s->fileName);
        SettingsDelete(node);
    }
    EndDialog(d, UNINSTALL_DONE);
}

void OnInitDialog(HWND d, UninstallState* s) {
    SetWindowLongPtrW(d, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    WCHAR heading[128], description[256], format[256], text[600], name[100], file[100];
    LoadStr(IDS_UNINST_TITLE, heading, 128);
    LoadStr(IDS_UNINST_HINT, description, 256);
    DialogHeaderCreate(d, {DLGHDR_PLAIN, heading, description, nullptr, nullptr});
    // The names are the package's: shown as they are, never as markup.
    LoadStr(IDS_UNINST_QUESTION, format, 256);
    UbbPlainText(name, s->name, 100);
    UbbPlainText(file, s->fileName, 100);
    wsprintfW(text, format, name, file);
    WCHAR remove[256], uninstall[64], cancel[64];
    LoadStr(IDS_UNINST_REMOVE_SETTINGS, remove, 256);
    LoadStr(IDS_UNINST_BUTTON, uninstall, 64);
    LoadStr(IDS_CANCEL, cancel, 64);
    const DialogChild children[] = {
        {IDC_UNINST_QUESTION, UBB_CLASS_NAME, 0, 0, text},
        {IDC_UNINST_REMOVE, L"BUTTON", 0, BS_AUTOCHECKBOX | BS_MULTILINE, remove},
        {IDOK, L"BUTTON", 0, WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, uninstall},
        {IDCANCEL, L"BUTTON", 0, WS_TABSTOP | WS_GROUP, cancel},
    };
    DialogCreateChildren(d, children, 4);
    DWORD remembered = 0;
    if (SettingsGetBool(kRemoveKey, &remembered) == 0 && remembered) CheckDlgButton(d, IDC_UNINST_REMOVE, BST_CHECKED);
    DialogSetFonts(d, SkinGetFont(0), SkinGetFont(SKIN_BOLD), DLGHDR_HEADING);
    ConfigCentreDialog(d, kClientWidth, kClientHeight);
}

void Layout(HWND d) {
    RECT client;
    GetClientRect(d, &client);
    int header = DialogHeaderLayout(d, DLGHDR_PLAIN, client, SkinGetFont(SKIN_BOLD), SkinGetFont(0));
    ControlPlace places[4];
    ControlPlaceApply(d, places, UninstallDialogLayout(client, header, places), FALSE);
    InvalidateRect(d, nullptr, TRUE);
}

INT_PTR CALLBACK UninstallProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR header;
    if (DialogHeaderHandles(DLGHDR_PLAIN, msg, wp, lp, &header)) return header;
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(d, reinterpret_cast<UninstallState*>(lp)); return TRUE;
    case WM_SIZE:
        if (StateOf(d)) Layout(d);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) return TRUE;
        if (LOWORD(wp) == IDOK) OnUninstall(d);
        if (LOWORD(wp) == IDCANCEL) EndDialog(d, UNINSTALL_CANCELLED);
        return TRUE;
    case WM_CLOSE: EndDialog(d, UNINSTALL_CLOSED); return TRUE;
    }
    return FALSE;
}
}  // namespace

INT_PTR ShowUninstallDialog(HWND owner, PackageRecord* package) {
    if (!PackageIsListed(package)) return UNINSTALL_FAILED;
    UninstallState state = {};
    state.owner = owner;
    state.package = package;
    StrCopyN(state.name, package->name ? package->name : package->fileName, 128);
    StrCopyN(state.fileName, package->fileName, MAX_PATH);
    WCHAR heading[118], title[128];
    LoadStr(IDS_UNINST_TITLE, heading, 118);
    wsprintfW(title, L"Tovara2 - %s", heading);
    // One rule with the Rename Profile dialog: neither opens over the other.
    const DialogFrame frame = {title, L"Tovara2RenameProfileWindow", DLGFRAME_STYLE, 0};
    return DialogFrameRun(frame, owner, UninstallProc, reinterpret_cast<LPARAM>(&state), -1);
}
