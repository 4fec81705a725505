// The New Profile and Rename Profile dialogs: one procedure, two kinds. New
// makes an empty profile or a copy of an existing one; Rename renames the
// profile it was given. A name another profile bears already (in any case) is
// refused on the spot: the dialog stays open with the name selected.
#include "config/profile_dialogs.h"

#include "config/config_layout.h"
#include "config/config_pages.h"
#include "controls/dialog_frame.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {
const int kClientWidth = 320, kClientHeight = 180;
// Longest profile name the dialogs take (Rename reads names into 128).
const int kNameMax = 127;

struct ProfileDialogKind {
    bool isNew;
    UINT profile;  // Rename: the profile being renamed
};

ProfileDialogKind* KindOf(HWND d) { return reinterpret_cast<ProfileDialogKind*>(GetWindowLongPtrW(d, DWLP_USER)); }

HWND Item(HWND d, int id) { return GetDlgItem(d, id); }

// True when a profile other than except bears name, ignoring case.
bool NameTaken(const WCHAR* name, UINT except) {
    UINT count = 0;
    ProfileGetCount(&count);
    for (UINT i = 0; i < count; i++) {
        WCHAR other[257];
        UINT size = 257;
        other[0] = 0;
        if (i != except && ProfileGetName(i, other, &size) == 0 && lstrcmpiW(other, name) == 0) return true;
    }
    return false;
}

void RefuseName(HWND d) {
    MessageBeep(MB_ICONEXCLAMATION);
    HWND edit = Item(d, IDC_PROF_NAME);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void OnOk(HWND d) {
    ProfileDialogKind* kind = KindOf(d);
    WCHAR name[kNameMax + 1];
    if (GetDlgItemTextW(d, IDC_PROF_NAME, name, kNameMax + 1) == 0) return;
    if (!kind->isNew) {
        if (NameTaken(name, kind->profile)) return RefuseName(d);
        ProfileRename(kind->profile, name);
        EndDialog(d, IDOK);
        return;
    }
    if (NameTaken(name, static_cast<UINT>(-1)) || ProfileCreate(name) != 0) return RefuseName(d);
    if (IsDlgButtonChecked(d, IDC_PROF_COPY) == BST_CHECKED) {
        HWND list = Item(d, IDC_PROF_SOURCE);
        LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
        UINT count = 0;
        ProfileGetCount(&count);
        if (item >= 0) ProfileCopy(count - 1, static_cast<UINT>(SendMessageW(list, CB_GETITEMDATA, item, 0)));
    }
    EndDialog(d, IDOK);
}

void OnInitDialog(HWND d, ProfileDialogKind* kind) {
    SetWindowLongPtrW(d, DWLP_USER, reinterpret_cast<LONG_PTR>(kind));
    WCHAR heading[256], description[256];
    LoadStr(kind->isNew ? IDS_NEWPROF_TITLE : IDS_RENPROF_TITLE, heading, 256);
    LoadStr(kind->isNew ? IDS_NEWPROF_HINT : IDS_RENPROF_HINT, description, 256);
    DialogHeaderCreate(d, {DLGHDR_PLAIN, heading, description, nullptr, nullptr});
    WCHAR label[256], blank[256], copy[256], ok[64], cancel[64];
    LoadStr(kind->isNew ? IDS_NEWPROF_NAME : IDS_RENPROF_NAME, label, 256);
    LoadStr(IDS_NEWPROF_BLANK, blank, 256);
    LoadStr(IDS_NEWPROF_COPY_FROM, copy, 256);
    LoadStr(IDS_OK, ok, 64);
    LoadStr(IDS_CANCEL, cancel, 64);
    const DWORD button = WS_GROUP | WS_TABSTOP;
    const DialogChild name[] = {
        {IDC_PROF_NAME_LABEL, L"STATIC", 0, 0, label},
        {IDC_PROF_NAME, L"EDIT", WS_EX_CLIENTEDGE, WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, nullptr},
    };
    const DialogChild source[] = {
        {IDC_PROF_BLANK, L"BUTTON", 0, WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, blank},
        {IDC_PROF_COPY, L"BUTTON", 0, BS_AUTORADIOBUTTON, copy},
        {IDC_PROF_SOURCE, L"COMBOBOX", 0, WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, nullptr},
    };
    const DialogChild buttons[] = {
        {IDOK, L"BUTTON", 0, button | BS_DEFPUSHBUTTON, ok},
        {IDCANCEL, L"BUTTON", 0, button, cancel},
    };
    DialogCreateChildren(d, name, 2);
    if (kind->isNew) DialogCreateChildren(d, source, 3);
    DialogCreateChildren(d, buttons, 2);
    HWND edit = Item(d, IDC_PROF_NAME);
    SendMessageW(edit, EM_LIMITTEXT, kNameMax, 0);
    if (kind->isNew) {
        CheckRadioButton(d, IDC_PROF_BLANK, IDC_PROF_COPY, IDC_PROF_BLANK);
        EnableWindow(Item(d, IDC_PROF_SOURCE), FALSE);
        EnableWindow(Item(d, IDOK), FALSE);
    }
    DialogSetFonts(d, SkinGetFont(0), SkinGetFont(SKIN_BOLD), DLGHDR_HEADING);
    ConfigCentreDialog(d, kClientWidth, kClientHeight);
    if (kind->isNew) {
        ConfigFillProfileList(Item(d, IDC_PROF_SOURCE));
    } else {
        // Set at its final width, or the field keeps the name scrolled away.
        WCHAR current[128];
        UINT size = 128;
        current[0] = 0;
        ProfileGetName(kind->profile, current, &size);
        SetWindowTextW(edit, current);
    }
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    DialogFrameAnimateOpen(d);
}

// The column of labels is as wide as its longest text, so that no
// translation is cut.
int LabelWidth(HWND d) {
    const int ids[] = {IDC_PROF_NAME_LABEL, IDC_PROF_BLANK, IDC_PROF_COPY};
    int widest = 0;
    for (int id : ids) {
        HWND control = Item(d, id);
        if (!control) continue;
        WCHAR text[256], shown[256];
        GetWindowTextW(control, text, 256);
        // Measured as shown: the mnemonic's ampersand takes no room.
        int n = 0;
        for (const WCHAR* p = text; *p; p++)
            if (*p != L'&' || p[1] == L'&') shown[n++] = *p;
        shown[n] = 0;
        SIZE size = {0, 0};
        MeasureText(shown, &size, SkinGetFont(0));
        int width = size.cx + (id == IDC_PROF_NAME_LABEL ? 2 : GetSystemMetrics(SM_CXMENUCHECK) + 6);
        if (width > widest) widest = width;
    }
    return widest;
}

void Layout(HWND d) {
    RECT client;
    GetClientRect(d, &client);
    int header = DialogHeaderLayout(d, DLGHDR_PLAIN, client, SkinGetFont(SKIN_BOLD), SkinGetFont(0));
    ControlPlace places[8];
    int n = ProfileDialogLayout(client, header, KindOf(d)->isNew, LabelWidth(d), places);
    ControlPlaceApply(d, places, n, FALSE);
    InvalidateRect(d, nullptr, TRUE);
}

void OnCommand(HWND d, int id, int code) {
    switch (id) {
    case IDOK:
        if (code == BN_CLICKED) OnOk(d);
        return;
    case IDCANCEL:
        if (code == BN_CLICKED) EndDialog(d, IDCANCEL);
        return;
    case IDC_PROF_NAME:
        if (code == EN_CHANGE) EnableWindow(Item(d, IDOK), GetWindowTextLengthW(Item(d, IDC_PROF_NAME)) > 0);
        return;
    case IDC_PROF_BLANK:
    case IDC_PROF_COPY: EnableWindow(Item(d, IDC_PROF_SOURCE), id == IDC_PROF_COPY); return;
    }
}

INT_PTR CALLBACK ProfileDialogProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR header;
    if (DialogHeaderHandles(DLGHDR_PLAIN, msg, wp, lp, &header)) return header;
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(d, reinterpret_cast<ProfileDialogKind*>(lp)); return FALSE;
    case WM_SIZE:
        if (KindOf(d)) Layout(d);
        return TRUE;
    case WM_COMMAND: OnCommand(d, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_CLOSE: DialogFrameClose(d, IDCANCEL); return TRUE;
    }
    return FALSE;
}

INT_PTR RunProfileDialog(HWND parent, ProfileDialogKind kind, UINT titleId, const WCHAR* mutexName) {
    WCHAR name[128], title[128];
    LoadStr(titleId, name, 118);
    wsprintfW(title, L"Tovara2 - %s", name);
    const DialogFrame frame = {title, mutexName, DLGFRAME_STYLE, 0};
    return DialogFrameRun(frame, parent, ProfileDialogProc, reinterpret_cast<LPARAM>(&kind), -1);
}
}  // namespace

INT_PTR ShowNewProfileDialog(HWND parent) {
    return RunProfileDialog(parent, {true, 0}, IDS_NEWPROF_TITLE, L"Tovara2NewProfileWindow");
}

INT_PTR ShowRenameProfileDialog(HWND parent, UINT profile) {
    return RunProfileDialog(parent, {false, profile}, IDS_RENPROF_TITLE, L"Tovara2RenameProfileWindow");
}
