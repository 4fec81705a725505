// Disk: free space of one drive, the system drive unless the user picked one.
#include "sysmon.h"

void DiskSystemRoot(WCHAR* out, int cap) {
    WCHAR dir[MAX_PATH];
    UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n >= 2 && n < MAX_PATH && dir[1] == L':' && cap >= 4) {
        out[0] = dir[0], out[1] = L':', out[2] = L'\\', out[3] = 0;
        return;
    }
    StrCopy(out, L"C:\\", cap);
}

// "D:" and "d" both mean the root of that drive.
static void NormaliseRoot(const WCHAR* drive, WCHAR* out, int cap) {
    StrCopy(out, drive, cap - 1);
    int n = StrLength(out);
    if (n == 1 && ((out[0] >= L'A' && out[0] <= L'Z') || (out[0] >= L'a' && out[0] <= L'z'))) out[n++] = L':';
    if (n > 0 && out[n - 1] != L'\\' && out[n - 1] != L'/') out[n++] = L'\\';
    out[n] = 0;
    if (n >= 2 && out[1] == L':' && out[0] >= L'a' && out[0] <= L'z') out[0] = static_cast<WCHAR>(out[0] - L'a' + L'A');
}

// The short name drawn on the bar: "C:" for a drive, else the last folder.
static void DriveLabel(const WCHAR* root, WCHAR* out, int cap) {
    int n = StrLength(root);
    if (n >= 2 && root[1] == L':') {
        WCHAR label[3] = {root[0], L':', 0};
        StrCopy(out, label, cap);
        return;
    }
    StrCopy(out, root, cap);
}

static void DiskSample(Module* m) {
    DiskData& d = m->disk;
    NormaliseRoot(m->settings.drive, d.root, kDriveChars);
    ULARGE_INTEGER freeToCaller, total, totalFree;
    // No "insert a disk" boxes from an empty removable drive.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    BOOL ok = d.root[0] && GetDiskFreeSpaceExW(d.root, &freeToCaller, &total, &totalFree) && total.QuadPart > 0;
    SetErrorMode(oldMode);
    m->valid = ok;
    if (!ok) {
        d.freeBytes = d.totalBytes = 0;
        m->percent = -1;
        StrCopy(m->text, kPlaceholder, kTextChars);
        return;
    }
    d.freeBytes = freeToCaller.QuadPart < totalFree.QuadPart ? freeToCaller.QuadPart : totalFree.QuadPart;
    d.totalBytes = total.QuadPart;
    ULONGLONG used = d.totalBytes - (totalFree.QuadPart < d.totalBytes ? totalFree.QuadPart : d.totalBytes);
    m->percent = static_cast<int>(U64Div(used * 100 + d.totalBytes / 2, d.totalBytes));
    FormatBytes(d.freeBytes, m->text, kTextChars);
}

static int DiskMeasure(Module* m, HDC dc) {
    WCHAR label[kDriveChars];
    DriveLabel(m->disk.root, label, kDriveChars);
    return TextWidth(dc, label, 0) + kGap + kMeterWidth + kGap + TemplateWidth(dc, L"00.0 GB", 1);
}

static void DiskPaint(Module* m, HDC dc, int width) {
    WCHAR label[kDriveChars];
    DriveLabel(m->disk.root, label, kDriveChars);
    int x = DrawLabel(dc, kPad, label, ModuleTextColor(m), 0) + kGap;
    DrawMeter(m, dc, x, kMeterWidth, m->percent);
    DrawLabel(dc, x + kMeterWidth + kGap, m->text, ModuleTextColor(m), 1);
}

static void DiskPopup(Module* m, WCHAR* out, int cap) {
    const DiskData& d = m->disk;
    WCHAR buf[kPopupChars];
    if (!m->valid) {
        wsprintfW(buf, L"Drive:\t%s\nFree:\t%s", d.root[0] ? d.root : kPlaceholder, kPlaceholder);
    } else {
        WCHAR freeText[24], total[24];
        FormatBytes(d.freeBytes, freeText, 24);
        FormatBytes(d.totalBytes, total, 24);
        wsprintfW(buf, L"Drive:\t%s\nFree:\t%s of %s\nIn use:\t%d%%", d.root, freeText, total, m->percent);
    }
    StrCopy(out, buf, cap);
}

// For the options: every drive root the system has.
void DiskListDrives(HWND combo) {
    WCHAR roots[512];
    DWORD n = GetLogicalDriveStringsW(511, roots);
    if (n == 0 || n > 511) return;
    for (const WCHAR* p = roots; *p; p += StrLength(p) + 1) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
}

const ModuleKindOps kDiskOps = {L"Disk", L"Disk", RGB(176, 120, 20), DiskSample, DiskPaint, DiskMeasure, DiskPopup, nullptr};
