#include "plugins/plugin_threads.h"

#include "plugins/fault_handling.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/package.h"
#include "plugins/package_guard.h"
#include "plugins/plugin_state.h"

namespace {
// A window of the thread's own that answers whenever the thread serves its
// messages, so the watchdog can tell a thread in a long modal loop (a package
// showing a message box) from one that hangs. Message-only: no desktop
// enumeration sees it.
void BindWatched(ThreadMailbox* mailbox, ThreadMailbox** installed, ThreadWatch* watch) {
    MailboxBind(mailbox);
    watch->probe = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    *installed = mailbox;
}

void UnbindWatched(ThreadWatch* watch) {
    if (watch->probe) DestroyWindow(watch->probe);
    watch->probe = nullptr;
}
}  // namespace

HANDLE PluginThreadsStart(LPTHREAD_START_ROUTINE main, ThreadMailbox* mailbox, HANDLE ready, ThreadWatch* watch) {
    const DWORD kReadyWaitMs = 3000;
    ResetEvent(ready);
    HANDLE thread = CreateThread(nullptr, 0, main, mailbox, CREATE_SUSPENDED, nullptr);
    if (!thread) return nullptr;
    // Known before the thread runs, so a send can always tell it has ended.
    MailboxSetThread(mailbox, thread);
    watch->depth = 0;
    watch->inHost = 0;
    watch->package = nullptr;
    watch->module = nullptr;
    watch->probe = nullptr;
    watch->thread = thread;
    ResumeThread(thread);
    WaitForSingleObject(ready, kReadyWaitMs);
    return thread;
}

// A module's code runs inside the fault guard: a fault costs only that
// module (deactivated and reported), never the thread.
void PluginThreadDispatch(MSG* message) { FaultGuardedDispatch(message); }

DWORD WINAPI PluginThreadMain(void* mailbox) {
    ThreadMailbox* own = static_cast<ThreadMailbox*>(mailbox);
    BindWatched(own, &PluginSys.pluginMailbox, &PluginSys.pluginWatch);
    SetEvent(PluginSys.pluginReady);
    MSG layout = {};
    bool layoutPending = false;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &PluginSys.stopEvent, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) {
            UnbindWatched(&PluginSys.pluginWatch);
            return 0;
        }
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (MailboxIsRequest(&m) && m.message == PT_LAYOUT) {
                // However many layouts a batch asks for, it gets one, after
                // its other requests. A sender waiting on a dropped copy is
                // answered at once.
                if (!layoutPending) {
                    layout = m;
                    layoutPending = true;
                } else {
                    MailboxReply(&m, 0);
                }
            } else if (MailboxIsRequest(&m)) {
                MailboxDispatch(own, &m);
            } else {
                // Module windows' own messages, whatever their number: a
                // module posting WM_APP + n to its window is not a request.
                PluginThreadDispatch(&m);
            }
        }
        if (layoutPending) {
            layoutPending = false;
            MailboxDispatch(own, &layout);
        }
    }
}

DWORD WINAPI FolderWatcherMain(void* mailbox) {
    ThreadMailbox* own = static_cast<ThreadMailbox*>(mailbox);
    // One that replaces a hung FolderWatcher finds its predecessor's mailbox
    // installed, and the packages it listed.
    bool replacement = PluginSys.watcherMailbox != own;
    BindWatched(own, &PluginSys.watcherMailbox, &PluginSys.watcherWatch);
    HANDLE change = FindFirstChangeNotificationW(L"Plugins\\", FALSE,
                                                 FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (change == INVALID_HANDLE_VALUE) {
        // Requests sent from now on fail at once: the thread has ended.
        UnbindWatched(&PluginSys.watcherWatch);
        SetEvent(PluginSys.watcherReady);
        return 1;
    }
    SetEvent(PluginSys.watcherReady);
    UINT failed = PackageScanFolder();
    if (replacement && !PluginSys.stopping) {
        // Loads the one it replaced had not come to, and those asked for
        // while it hung (the requests were lost with it).
        PtrArray* packages = ListSnapshot(PluginSys.packages);
        for (UINT i = 0; i < PtrArrayCount(packages); i++)
            PackageApplyLoaded(static_cast<PackageRecord*>(PtrArrayGet(packages, i)));
        PtrArrayDestroy(packages);
    }
    InterlockedExchange(&PluginSys.firstScanDone, 1);
    LayoutPost();
    // The count belongs to the PluginThread; a stale read here only repeats
    // what the bar already shows.
    if (PluginSys.windowCount == 0 && PluginSys.host.showWelcome) PluginSys.host.showWelcome(true);

    HANDLE handles[2] = {PluginSys.stopEvent, change};
    // A file that could not be loaded may simply not be complete: some
    // copiers let readers in while they write, and their last change can
    // come before the scan that failed. Such scans are retried a few times.
    const DWORD kRetryMs = 1000;
    const UINT kRetries = 5;
    UINT retries = 0;
    for (;;) {
        DWORD wait = failed && retries < kRetries ? kRetryMs : INFINITE;
        DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, wait, QS_ALLINPUT);
        if (r == WAIT_TIMEOUT) {
            retries++;
            failed = PackageScanFolder();
        } else if (r == WAIT_OBJECT_0 + 1) {
            // Watching again before the scan: a file that arrives while the
            // scan runs then wakes the next one (re-armed after it, the
            // change would be lost until some other file changed).
            FindNextChangeNotification(change);
            retries = 0;
            failed = PackageScanFolder();
        } else if (r == WAIT_OBJECT_0 + 2) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (MailboxIsRequest(&m)) {
                    MailboxDispatch(own, &m);
                } else {
                    // Windows a package made on this thread during PKG_INIT.
                    PackageDispatchGuarded(&m);
                }
            }
        } else {
            break;
        }
    }
    FindCloseChangeNotification(change);
    UnbindWatched(&PluginSys.watcherWatch);
    return 0;
}
