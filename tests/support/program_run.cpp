#include "support/program_run.h"

#include <shlobj.h>

#include "support/desktop.h"

namespace tv2test {
namespace {
// Build paths come in as Unix paths; Wine maps them through drive Z:.
std::wstring HostPath(const char* unixPath) {
    std::wstring w = L"Z:";
    for (const char* p = unixPath; *p; p++) w += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return w;
}
}  // namespace

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

std::wstring MakeTempFolder(const wchar_t* prefix) {
    static LONG counter;
    wchar_t temp[MAX_PATH], name[96];
    GetTempPathW(MAX_PATH, temp);
    wsprintfW(name, L"%s-%u-%u", prefix, GetCurrentProcessId(), static_cast<unsigned>(InterlockedIncrement(&counter)));
    std::wstring folder = std::wstring(temp) + name;
    RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string Narrow(const std::wstring& s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring SettingsPath() {
    wchar_t path[MAX_PATH];
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, TRUE);
    return std::wstring(path) + L"\\Tovara2\\Settings.xml";
}

void SeedSettings(const std::wstring& xml) {
    std::wstring path = SettingsPath();
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    const wchar_t bom = 0xFEFF;
    WriteFile(h, &bom, 2, &written, nullptr);
    WriteFile(h, xml.data(), static_cast<DWORD>(xml.size() * 2), &written, nullptr);
    CloseHandle(h);
}

void ClearSettings() { DeleteFileW(SettingsPath().c_str()); }

std::wstring ReadUtf16File(const std::wstring& path, bool* found) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (found) *found = h != INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) return L"";
    DWORD size = GetFileSize(h, nullptr), read = 0;
    std::wstring text(size / 2, L'\0');
    if (size >= 2) ReadFile(h, &text[0], size & ~1u, &read, nullptr);
    CloseHandle(h);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return text;
}

std::wstring ReadSettings(bool* found) { return ReadUtf16File(SettingsPath(), found); }

std::wstring BuiltPackage(const wchar_t* fileName) {
    return HostPath(TOVARA2_PACKAGES_DIR) + L"\\" + fileName;
}

ProgramRun::ProgramRun() {
    folder_ = MakeTempFolder(L"tv2run");
    std::wstring exe = HostPath(TOVARA2_BIN_DIR) + L"\\Tovara2.exe";
    CopyFileW(exe.c_str(), (folder_ + L"\\Tovara2.exe").c_str(), FALSE);
}

ProgramRun::~ProgramRun() {
    if (pi_.hProcess) {
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    RemoveTree(folder_);
}

void ProgramRun::AddPackage(const std::wstring& source, const wchar_t* asName) {
    CreateDirectoryW(PluginsFolder().c_str(), nullptr);
    std::wstring name = asName ? asName : source.substr(source.rfind(L'\\') + 1);
    CopyFileW(source.c_str(), (PluginsFolder() + L"\\" + name).c_str(), FALSE);
}

bool ProgramRun::Start(const std::wstring& workingDir, DWORD timeoutMs) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring exe = folder_ + L"\\Tovara2.exe", cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si = {sizeof(si)};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? temp : workingDir.c_str(), &si, &pi_))
        return false;
    timeoutMs = Patient(timeoutMs);
    for (DWORD began = GetTickCount(); GetTickCount() - began < timeoutMs;) {
        bar_ = FindProcessWindow(pi_.dwProcessId, L"Tovara2 Main Window");
        if (bar_ && IsWindowVisible(bar_)) return true;
        if (WaitForSingleObject(pi_.hProcess, 5) == WAIT_OBJECT_0) return false;
    }
    return false;
}

DWORD ProgramRun::WaitExit(DWORD timeoutMs) {
    if (!pi_.hProcess) return kTimedOut;
    if (WaitForSingleObject(pi_.hProcess, Patient(timeoutMs)) != WAIT_OBJECT_0) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
        return kTimedOut;
    }
    DWORD code = kTimedOut;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

DWORD ProgramRun::Close(DWORD timeoutMs) {
    HWND bar = FindProcessWindow(pi_.dwProcessId, L"Tovara2 Main Window");
    if (bar) PostMessageW(bar, WM_CLOSE, 0, 0);
    return WaitExit(timeoutMs);
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* title) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        wchar_t cls[256], text[512];
        GetWindowThreadProcessId(w, &owner);
        GetClassNameW(w, cls, 256);
        GetWindowTextW(w, text, 512);
        if (owner == pid && lstrcmpW(cls, className) == 0 && (!title || lstrcmpW(text, title) == 0)) return w;
    }
    return nullptr;
}

std::wstring TakeMessageBox(DWORD pid, DWORD timeoutMs, std::wstring* caption) {
    timeoutMs = Patient(timeoutMs);
    for (DWORD began = GetTickCount(); GetTickCount() - began < timeoutMs; Sleep(20)) {
        HWND box = FindProcessWindow(pid, L"#32770");
        if (!box) continue;
        Sleep(50);  // let the box finish laying out its text
        std::wstring text;
        wchar_t buf[2048];
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            GetClassNameW(c, buf, 64);
            if (lstrcmpiW(buf, L"Static") || !GetWindowTextW(c, buf, 2048)) continue;
            text += (text.empty() ? L"" : L"\n") + std::wstring(buf);
        }
        if (caption) GetWindowTextW(box, buf, 256), *caption = buf;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        PostMessageW(box, WM_CLOSE, 0, 0);
        return text;
    }
    return L"";
}

}  // namespace tv2test
