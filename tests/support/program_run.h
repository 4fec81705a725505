#pragma once
// Runs the real Tovara2.exe for an integration test: a fresh folder of its
// own with a Plugins folder, the user's settings file seeded or cleared, an
// orderly end through WM_CLOSE, and the exit code and settings file after.
#include <windows.h>

#include <string>
#include <vector>

namespace tv2test {

// The Wine user's settings file, %APPDATA%\Tovara2\Settings.xml.
std::wstring SettingsPath();
// Writes the file as the program would read it (UTF-16 LE with FF FE); an
// empty text with clear=true deletes it instead.
void SeedSettings(const std::wstring& xml);
void ClearSettings();
// The file's text without its byte-order mark; found=false when missing.
std::wstring ReadSettings(bool* found = nullptr);
std::wstring ReadUtf16File(const std::wstring& path, bool* found = nullptr);

std::wstring BuiltPackage(const wchar_t* fileName);  // path of a DLL built under packages/

// Removes a folder and everything in it, read-only files included.
void RemoveTree(const std::wstring& folder);
// A new empty folder under %TEMP% named prefix-<pid>-<n>.
std::wstring MakeTempFolder(const wchar_t* prefix);

class ProgramRun {
public:
    ProgramRun();
    ~ProgramRun();  // ends the process if it still runs, removes the folder
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring PluginsFolder() const { return folder_ + L"\\Plugins"; }
    // Copies a DLL into Plugins\ (made on demand) under the given name.
    void AddPackage(const std::wstring& source, const wchar_t* asName = nullptr);

    // Starts the program with workingDir as its current folder (default: a
    // folder that is not its own) and waits for its bar window.
    bool Start(const std::wstring& workingDir = L"", DWORD timeoutMs = 15000);
    HWND Bar() const { return bar_; }
    DWORD ProcessId() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }

    // WM_CLOSE to the bar, then waits. Returns the exit code, or
    // kTimedOut (and kills the process) when it did not end in time.
    static const DWORD kTimedOut = 0xFFFFFFF0;
    DWORD Close(DWORD timeoutMs = 15000);
    // Waits for the process to end by itself.
    DWORD WaitExit(DWORD timeoutMs = 15000);

private:
    std::wstring folder_;
    PROCESS_INFORMATION pi_ = {};
    HWND bar_ = nullptr;
};

// The top-level window of the process with this class (and title, if given).
HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* title = nullptr);
// Waits for a message box of the process, returns its text and dismisses it
// (empty when none came in time).
std::wstring TakeMessageBox(DWORD pid, DWORD timeoutMs = 10000, std::wstring* caption = nullptr);

// Small UTF-16 <-> UTF-8 helpers for readable assertion messages.
std::string Narrow(const std::wstring& s);

}  // namespace tv2test
