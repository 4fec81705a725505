// Network: receive and send rates summed over the active interfaces (or the
// one the user picked), from iphlpapi's interface table. The library is
// loaded at run time so that a system without it shows a placeholder.
// The newer entry (MIB_IF_ROW2) is looked up at run time, so the package
// still loads where it is missing: only its declarations need the newer
// headers.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "sysmon.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

typedef DWORD(WINAPI* GetIfTableFn)(MIB_IFTABLE*, ULONG*, BOOL);
typedef DWORD(WINAPI* GetIfEntryFn)(MIB_IFROW*);
typedef DWORD(WINAPI* GetIfEntry2Fn)(MIB_IF_ROW2*);
typedef DWORD(WINAPI* IndexToLuidFn)(NET_IFINDEX, NET_LUID*);

static FARPROC Lookup(HMODULE library, const char* name) {
    return library ? GetProcAddress(library, name) : nullptr;
}

static bool Countable(const MIB_IFROW& row) {
    return row.dwType != IF_TYPE_SOFTWARE_LOOPBACK && row.dwOperStatus >= IF_OPER_STATUS_CONNECTED;
}

static void Description(const MIB_IFROW& row, WCHAR* out, int cap) {
    DWORD n = row.dwDescrLen < MAXLEN_IFDESCR ? row.dwDescrLen : MAXLEN_IFDESCR;
    while (n > 0 && row.bDescr[n - 1] == 0) --n;  // some systems count the terminator
    int written = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(row.bDescr), static_cast<int>(n), out, cap - 1);
    out[written > 0 ? written : 0] = 0;
}

// Fills (and only when it is too small, grows) the reusable table buffer.
static MIB_IFTABLE* ReadTable(NetData& n) {
    GetIfTableFn fn = reinterpret_cast<GetIfTableFn>(reinterpret_cast<void*>(n.getIfTable));
    if (!fn) return nullptr;
    for (int attempt = 0; attempt < 3; ++attempt) {
        ULONG size = n.tableSize;
        DWORD rc = fn(reinterpret_cast<MIB_IFTABLE*>(n.table), &size, FALSE);
        if (rc == NO_ERROR && n.table) return reinterpret_cast<MIB_IFTABLE*>(n.table);
        if (rc != ERROR_INSUFFICIENT_BUFFER || size == 0) return nullptr;
        BYTE* grown = static_cast<BYTE*>(n.table ? HeapReAlloc(GetProcessHeap(), 0, n.table, size + 512)
                                                 : HeapAlloc(GetProcessHeap(), 0, size + 512));
        if (!grown) return nullptr;
        n.table = grown;
        n.tableSize = size + 512;
    }
    return nullptr;
}

// Whether the row counts: the interface the user picked, by description, or
// else every connected one but loopback.
static bool Counted(const Module* m, const MIB_IFROW& row) {
    if (!m->settings.iface[0]) return Countable(row);
    WCHAR name[kInterfaceChars];
    Description(row, name, kInterfaceChars);
    return StrEqual(name, m->settings.iface);
}

// Sums the whole table and remembers which interfaces counted.
static bool ReadAll(Module* m, DWORD now, DWORD* in, DWORD* out, int* active) {
    NetData& n = m->net;
    MIB_IFTABLE* table = ReadTable(n);
    BOOL wasListed = n.listed;
    n.listed = FALSE;
    if (!table) return false;
    int before = n.rowCount;
    bool same = wasListed != FALSE;
    n.rowCount = 0;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IFROW& row = table->table[i];
        if (!Counted(m, row)) continue;
        *in += row.dwInOctets;  // 32-bit counters: differences survive a wrap
        *out += row.dwOutOctets;
        ++*active;
        if (n.rowCount < kNetRows) {
            same = same && n.rowCount < before && n.rows[n.rowCount] == row.dwIndex;
            n.rows[n.rowCount] = row.dwIndex;
        }
        ++n.rowCount;
    }
    // Another set of interfaces, even as many, makes no rate with the last sums.
    if (wasListed && !(same && before == n.rowCount)) n.primed = FALSE;
    // Nothing to follow, or too much, and the whole table is read again.
    n.listed = n.getIfEntry && n.rowCount > 0 && n.rowCount <= kNetRows;
    n.byLuid = n.listed && n.getIfEntry2 && n.indexToLuid;
    IndexToLuidFn toLuid = reinterpret_cast<IndexToLuidFn>(reinterpret_cast<void*>(n.indexToLuid));
    for (int i = 0; n.byLuid && i < n.rowCount; ++i) {
        NET_LUID luid;
        n.byLuid = toLuid(n.rows[i], &luid) == NO_ERROR;
        n.luids[i] = luid.Value;
    }
    n.listTick = now;
    return true;
}

// An interface read by LUID is the one listed (a LUID, unlike an index, is
// never handed to another interface); it still counts while it is up.
static bool ReadByLuid(Module* m, DWORD* in, DWORD* out) {
    NetData& n = m->net;
    GetIfEntry2Fn fn = reinterpret_cast<GetIfEntry2Fn>(reinterpret_cast<void*>(n.getIfEntry2));
    DWORD sumIn = 0, sumOut = 0;
    for (int i = 0; i < n.rowCount; ++i) {
        MIB_IF_ROW2 row;
        memset(&row, 0, sizeof(row));
        row.InterfaceLuid.Value = n.luids[i];
        if (fn(&row) != NO_ERROR) return false;
        if (!m->settings.iface[0] && row.OperStatus != IfOperStatusUp) return false;
        sumIn += static_cast<DWORD>(row.InOctets);  // the table's 32-bit counters
        sumOut += static_cast<DWORD>(row.OutOctets);
    }
    *in = sumIn, *out = sumOut;
    return true;
}

// Between listings only the counted interfaces are read. An interface that
// connects is seen at the next listing, at most 30 s on; one that goes, or
// whose index now names another interface, makes the table be read at once.
static bool ReadListed(Module* m, DWORD now, DWORD* in, DWORD* out, int* active) {
    const DWORD kListMs = 30000;
    NetData& n = m->net;
    if (!n.listed || now - n.listTick >= kListMs) return false;
    if (n.byLuid) {
        if (!ReadByLuid(m, in, out)) return false;
        *active = n.rowCount;
        return true;
    }
    GetIfEntryFn fn = reinterpret_cast<GetIfEntryFn>(reinterpret_cast<void*>(n.getIfEntry));
    DWORD sumIn = 0, sumOut = 0;
    for (int i = 0; i < n.rowCount; ++i) {
        MIB_IFROW row;
        memset(&row, 0, sizeof(row));
        row.dwIndex = n.rows[i];
        if (fn(&row) != NO_ERROR || !Counted(m, row)) return false;
        sumIn += row.dwInOctets;
        sumOut += row.dwOutOctets;
    }
    *in = sumIn, *out = sumOut, *active = n.rowCount;
    return true;
}

static void Placeholder(Module* m) {
    m->valid = FALSE;
    m->percent = -1;
    StrCopy(m->text, kPlaceholder, kTextChars);
}

static void NetworkSample(Module* m) {
    NetData& n = m->net;
    if (!n.loadTried) {
        n.loadTried = TRUE;  // once per activation: a missing library stays missing
        n.library = LoadLibraryW(L"iphlpapi.dll");
        n.getIfTable = Lookup(n.library, "GetIfTable");
        n.getIfEntry = Lookup(n.library, "GetIfEntry");
        n.getIfEntry2 = Lookup(n.library, "GetIfEntry2");
        n.indexToLuid = Lookup(n.library, "ConvertInterfaceIndexToLuid");
    }
    DWORD now = GetTickCount();
    DWORD in = 0, out = 0;
    int active = 0;
    bool read = ReadListed(m, now, &in, &out, &active) || ReadAll(m, now, &in, &out, &active);
    // A chosen interface that has gone, or no table at all, reads as nothing.
    if (!read || (m->settings.iface[0] && active == 0)) {
        n.primed = FALSE;
        n.active = 0;
        Placeholder(m);
        return;
    }
    bool had = n.primed != FALSE && n.active == active;
    DWORD dIn = in - n.lastIn, dOut = out - n.lastOut, dt = now - n.lastTick;
    n.lastIn = in, n.lastOut = out, n.lastTick = now, n.active = active;
    n.primed = TRUE;
    if (!had || dt == 0) {
        if (!had) Placeholder(m);
        return;
    }
    n.inRate = U64Div(static_cast<ULONGLONG>(dIn) * 1000, dt);
    n.outRate = U64Div(static_cast<ULONGLONG>(dOut) * 1000, dt);
    n.totalIn += dIn;
    n.totalOut += dOut;
    m->valid = TRUE;
    m->percent = -1;
    FormatRate(n.inRate, m->text, kTextChars);
}

static const WCHAR kRateTemplate[] = L"00.0 MB/s";

static int NetworkMeasure(Module* m, HDC dc) {
    // The same width with or without a reading, so the bar never shifts.
    int rate = TemplateWidth(dc, kRateTemplate, 0);
    return 2 * (kArrowWidth + 2 + rate) + kGap;
}

static void NetworkPaint(Module* m, HDC dc, int width) {
    int rate = TemplateWidth(dc, kRateTemplate, 0);
    COLORREF text = ModuleTextColor(m);
    if (!m->valid) {
        DrawArrow(dc, kPad, false, ModuleAccentColor(m));
        DrawLabel(dc, kPad + kArrowWidth + kGap, kPlaceholder, text, 0);
        return;
    }
    WCHAR buf[24];
    int x = kPad;
    DrawArrow(dc, x, false, ModuleAccentColor(m));
    FormatRate(m->net.inRate, buf, 24);
    DrawLabel(dc, x + kArrowWidth + 2, buf, text, 0);
    x += kArrowWidth + 2 + rate + kGap;
    DrawArrow(dc, x, true, kSendColor);
    FormatRate(m->net.outRate, buf, 24);
    DrawLabel(dc, x + kArrowWidth + 2, buf, text, 0);
}

static void NetworkPopup(Module* m, WCHAR* out, int cap) {
    const NetData& n = m->net;
    WCHAR buf[kPopupChars], in[24], outRate[24], totalIn[24], totalOut[24], which[kInterfaceChars + 24];
    if (m->settings.iface[0])
        StrCopy(which, m->settings.iface, kInterfaceChars + 24);
    else
        wsprintfW(which, L"%d active", n.active);
    if (!m->valid) {
        wsprintfW(buf, L"Receiving:\t%s\nSending:\t%s\nInterfaces:\t%s", kPlaceholder, kPlaceholder,
                  n.getIfTable ? which : L"unavailable");
    } else {
        FormatRate(n.inRate, in, 24);
        FormatRate(n.outRate, outRate, 24);
        FormatBytes(n.totalIn, totalIn, 24);
        FormatBytes(n.totalOut, totalOut, 24);
        wsprintfW(buf, L"Receiving:\t%s\nSending:\t%s\nReceived:\t%s\nSent:\t%s\nInterfaces:\t%s", in, outRate, totalIn,
                  totalOut, which);
    }
    StrCopy(out, buf, cap);
}

static void NetworkRelease(Module* m) {
    NetData& n = m->net;
    if (n.table) HeapFree(GetProcessHeap(), 0, n.table);
    if (n.library) FreeLibrary(n.library);
    memset(&n, 0, sizeof(n));
}

// For the options: every interface but loopback, by description.
void NetworkListInterfaces(HWND combo) {
    NetData n;
    memset(&n, 0, sizeof(n));
    n.library = LoadLibraryW(L"iphlpapi.dll");
    n.getIfTable = Lookup(n.library, "GetIfTable");
    if (MIB_IFTABLE* table = ReadTable(n)) {
        WCHAR name[kInterfaceChars];
        for (DWORD i = 0; i < table->dwNumEntries; ++i) {
            if (table->table[i].dwType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
            Description(table->table[i], name, kInterfaceChars);
            if (name[0] && SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name)) == CB_ERR)
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
    }
    if (n.table) HeapFree(GetProcessHeap(), 0, n.table);
    if (n.library) FreeLibrary(n.library);
}

const ModuleKindOps kNetworkOps = {L"Network", L"Network", RGB(46, 139, 87), NetworkSample, NetworkPaint, NetworkMeasure, NetworkPopup, NetworkRelease};
