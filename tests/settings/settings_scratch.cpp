#include "settings_scratch.h"

#include "support/program_run.h"

#include <algorithm>

namespace settings_test {
using tv2test::RemoveTree;

ScratchFolder::ScratchFolder() : folder_(tv2test::MakeTempFolder(L"tv2store")) {}

ScratchFolder::~ScratchFolder() { RemoveTree(folder_); }

std::vector<std::wstring> ScratchFolder::List() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder_ + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    DWORD size = GetFileSize(h, nullptr), read = 0;
    std::string bytes(size, '\0');
    if (size) ReadFile(h, &bytes[0], size, &read, nullptr);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

std::wstring ReadUnits(const std::wstring& path, bool* found) {
    if (found) *found = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::string bytes = ReadBytes(path);
    std::wstring units(bytes.size() / 2, L'\0');
    if (!units.empty()) CopyMemory(&units[0], bytes.data(), units.size() * 2);
    return units;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

void WriteSettingsText(const std::wstring& path, const std::wstring& text) {
    std::wstring units = L"\xFEFF" + text;
    WriteBytes(path, std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2));
}

std::wstring FileText(const std::wstring& body, const wchar_t* root) {
    return std::wstring(L"<?xml version=\"1.0\" ?>\r\n<") + root + L">\r\n" + body + L"</" + root + L">\r\n";
}

}  // namespace settings_test
