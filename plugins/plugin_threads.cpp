#include "plugins/plugin_threads.h"

#include "plugins/fault_handling.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/package.h"
#include "plugins/plugin_state.h"

// A module's code runs inside the fault guard: a fault costs only that
// module (deactivated and reported), never the thread.
void PluginThreadDispatch(MSG* message) { FaultGuardedDispatch(message); }

DWORD WINAPI PluginThreadMain(void*) {
    MailboxBind(PluginSys.pluginMailbox);
    SetEvent(PluginSys.pluginReady);
    MSG layout = {};
    bool layoutPending = false;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &PluginSys.stopEvent, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return 0;
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
                MailboxDispatch(PluginSys.pluginMailbox, &m);
            } else {
                // Module windows' own messages, whatever their number: a
                // module posting WM_APP + n to its window is not a request.
                PluginThreadDispatch(&m);
            }
        }
        if (layoutPending) {
            layoutPending = false;
            MailboxDispatch(PluginSys.pluginMailbox, &layout);
        }
    }
}

DWORD WINAPI FolderWatcherMain(void*) {
    MailboxBind(PluginSys.watcherMailbox);
    HANDLE change = FindFirstChangeNotificationW(L"Plugins\\", FALSE,
                                                 FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (change == INVALID_HANDLE_VALUE) {
        // Requests sent from now on fail at once: the thread has ended.
        SetEvent(PluginSys.watcherReady);
        return 1;
    }
    SetEvent(PluginSys.watcherReady);
    UINT failed = PackageScanFolder();
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
            retries = 0;
            failed = PackageScanFolder();
            FindNextChangeNotification(change);
        } else if (r == WAIT_OBJECT_0 + 2) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (MailboxIsRequest(&m)) {
                    MailboxDispatch(PluginSys.watcherMailbox, &m);
                } else {
                    // Windows a package made on this thread during PKG_INIT.
                    TranslateMessage(&m);
                    DispatchMessageW(&m);
                }
            }
        } else {
            break;
        }
    }
    FindCloseChangeNotification(change);
    return 0;
}
