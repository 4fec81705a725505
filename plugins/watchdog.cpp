// Giving up on a package that hangs one of the plug-in threads.
//
// The stuck thread is suspended, checked once more (still in the same call,
// not waiting for the host), and terminated. Only a thread that runs package
// code and serves no messages is ended that way: it holds none of the host's
// locks (nobody holds one across a call into a package), and what the package
// held is the package's own loss. It is ended while it is in the package's
// own code or waiting in ntdll; caught inside another system library, which
// may hold a lock of the process, it is let go on and tried again, and ended
// regardless only after a few seconds more.
#include "plugins/watchdog.h"

#include "core/runtime/memory.h"
#include "plugins/fault_handling.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/package.h"
#include "plugins/package_guard.h"
#include "plugins/plugin_state.h"
#include "plugins/plugin_threads.h"

namespace {
const DWORD kCheckMs = 250;
// How long one call may keep a thread from its messages. Windows calls a
// window that has not looked at its messages for 5 s "not responding".
const DWORD kHangMs = 4000;
const DWORD kProbeMs = 500;
const int kUnsafeChecks = 20;  // 5 s of checks that found it inside a system library

struct Retired {
    HANDLE thread;
    ThreadMailbox* mailbox;
};

struct Hang {
    PackageRecord* package;
    UINT what;
    bool inModule;
    WCHAR module[MODULE_NAME_MAX + 1];
};

bool Inside(HMODULE image, DWORD_PTR address) {
    if (!image) return false;
    BYTE* base = reinterpret_cast<BYTE*>(image);
    IMAGE_NT_HEADERS* nt =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    DWORD_PTR begin = reinterpret_cast<DWORD_PTR>(base);
    return address >= begin && address < begin + nt->OptionalHeader.SizeOfImage;
}

// Whether the suspended thread may be ended now: it is in the package's code
// or in ntdll (a wait), not inside a library that may hold a lock.
bool SafeToEnd(HANDLE thread, const PackageRecord* package, int* unsafeChecks) {
    CONTEXT c = {};
    c.ContextFlags = CONTEXT_CONTROL;
    if (!GetThreadContext(thread, &c)) return true;
#ifdef _WIN64
    DWORD_PTR at = c.Rip;
#else
    DWORD_PTR at = c.Eip;
#endif
    if (Inside(package->module, at) || Inside(GetModuleHandleW(L"ntdll.dll"), at)) return true;
    return ++*unsafeChecks > kUnsafeChecks;
}

bool Answers(HWND probe) {
    DWORD_PTR result;
    return probe && SendMessageTimeoutW(probe, WM_NULL, 0, 0, SMTO_BLOCK, kProbeMs, &result);
}

// True, with the thread suspended, when it is stuck in package code and may
// be ended.
bool SuspendIfHung(ThreadWatch* w, Hang* hang, int* unsafeChecks) {
    if (!w->thread || !w->depth || w->inHost || GetTickCount() - w->since < kHangMs) {
        *unsafeChecks = 0;
        return false;
    }
    LONG serial = w->serial;
    if (Answers(w->probe)) return false;
    if (SuspendThread(w->thread) == static_cast<DWORD>(-1)) return false;
    if (w->serial != serial || !w->depth || w->inHost || !w->package ||
        !SafeToEnd(w->thread, w->package, unsafeChecks)) {
        ResumeThread(w->thread);
        return false;
    }
    *unsafeChecks = 0;
    hang->package = w->package;
    hang->what = w->what;
    hang->inModule = w->module != nullptr;
    ModuleGetName(w->module, hang->module);
    return true;
}

// Ends the suspended thread. Its mailbox is marked first, so that senders
// waiting on it turn to the replacement; both are kept until stop, since
// senders may still hold them.
void EndThread(ThreadWatch* w, ThreadMailbox* mailbox) {
    InterlockedExchange(&mailbox->abandoned, 1);
    TerminateThread(w->thread, 1);
    WaitForSingleObject(w->thread, 2000);
    Retired* r = static_cast<Retired*>(MemAlloc(sizeof(Retired)));
    r->thread = w->thread;
    r->mailbox = mailbox;
    PtrArrayAdd(PluginSys.retired, r);
    w->thread = nullptr;
    w->probe = nullptr;  // the system destroyed the thread's windows
    w->depth = 0;
}

void ReplaceFolderWatcher(const Hang& hang) {
    EndThread(&PluginSys.watcherWatch, PluginSys.watcherMailbox);
    // One that hung while being listed is listed now, failed, so no scan
    // calls it again.
    PackageKeepListed(hang.package);
    PluginSys.watcherThread = PluginThreadsStart(FolderWatcherMain, MailboxCreate(PackageRequestHandler),
                                                 PluginSys.watcherReady, &PluginSys.watcherWatch);
}

void ReplacePluginThread() {
    EndThread(&PluginSys.pluginWatch, PluginSys.pluginMailbox);
    FaultReportsReset();
    // Every module window went with the thread; the modules of packages
    // that are still well get theirs anew.
    PtrArray* again = PtrArrayCreate();
    {
        ListLock lock(PluginSys.modules);
        PtrArray* all = PluginSys.modules.items;
        for (UINT i = 0; i < PtrArrayCount(all); i++) {
            ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(all, i));
            if (!m->window) continue;
            m->window = nullptr;
            EntryOf(m)->counted = false;
            if (!PackageHasFailed(m->package) && !ModuleHasFaulted(m)) PtrArrayAdd(again, m);
        }
    }
    PluginSys.windowCount = 0;
    PluginSys.pluginThread = PluginThreadsStart(PluginThreadMain, MailboxCreate(ModuleRequestHandler),
                                                PluginSys.pluginReady, &PluginSys.pluginWatch);
    if (!PluginSys.stopping)
        for (UINT i = 0; i < PtrArrayCount(again); i++)
            ModuleRequest(PT_ACTIVATE_MODULE, reinterpret_cast<UINT_PTR>(PtrArrayGet(again, i)));
    PtrArrayDestroy(again);
    LayoutPost();
}

void Check(ThreadWatch* watch, bool pluginThread, int* unsafeChecks) {
    Hang hang;
    if (!SuspendIfHung(watch, &hang, unsafeChecks)) return;
    bool first = PackageMarkFailed(hang.package);
    if (pluginThread)
        ReplacePluginThread();
    else
        ReplaceFolderWatcher(hang);
    if (first) PackageCompleteFailure(hang.package, hang.what, hang.inModule ? hang.module : nullptr, 0, true);
    if (pluginThread && PluginSys.windowCount == 0 && PluginSys.host.showWelcome) PluginSys.host.showWelcome(true);
}

// How long the watchdog may sleep: until the call in progress could first
// count as hung, and while nothing is in progress, as long as a call would
// need to hang. An idle bar then wakes it once in four seconds instead of
// four times a second: every wake-up costs a round trip to the system.
DWORD NextCheckMs(const ThreadWatch* const* watches, int count) {
    DWORD wait = kHangMs, now = GetTickCount();
    for (int i = 0; i < count; i++) {
        const ThreadWatch* w = watches[i];
        if (!w->thread || !w->depth || w->inHost) continue;
        DWORD elapsed = now - w->since;
        DWORD left = elapsed >= kHangMs ? kCheckMs : kHangMs - elapsed;
        if (left < kCheckMs) left = kCheckMs;
        if (left < wait) wait = left;
    }
    return wait;
}
}  // namespace

DWORD WINAPI WatchdogMain(void*) {
    int unsafe[2] = {0, 0};
    const ThreadWatch* const watches[2] = {&PluginSys.watcherWatch, &PluginSys.pluginWatch};
    while (WaitForSingleObject(PluginSys.stopEvent, NextCheckMs(watches, 2)) == WAIT_TIMEOUT) {
        Check(&PluginSys.watcherWatch, false, &unsafe[0]);
        Check(&PluginSys.pluginWatch, true, &unsafe[1]);
    }
    return 0;
}

void WatchdogReleaseRetired() {
    if (!PluginSys.retired) return;
    for (UINT i = 0; i < PtrArrayCount(PluginSys.retired); i++) {
        Retired* r = static_cast<Retired*>(PtrArrayGet(PluginSys.retired, i));
        CloseHandle(r->thread);
        MailboxDestroy(r->mailbox);
        MemFree(r);
    }
    PtrArrayDestroy(PluginSys.retired);
    PluginSys.retired = nullptr;
}
