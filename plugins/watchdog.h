#pragma once
// The watchdog: a thread of the plug-in system that notices when the
// PluginThread or the FolderWatcher has been inside one call into a package
// for several seconds without serving its messages. That package fails
// (package_guard.h); the stuck thread is ended and a fresh one takes its
// place: a new FolderWatcher scans Plugins\ and loads what is still wanted; a
// new PluginThread makes the windows of every other active module anew. A
// thread in a long but live call (a package showing a message box or a menu)
// still serves its messages and is left alone.
#include <windows.h>

DWORD WINAPI WatchdogMain(void* unused);
// Closes the threads and frees the mailboxes replacements left behind. Stop
// only, once the watchdog has ended.
void WatchdogReleaseRetired();
