#pragma once
// A private folder per test for the store's file, and raw access to the bytes
// the store leaves there.
#include <windows.h>

#include <string>
#include <vector>

namespace settings_test {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();  // removes the folder and everything in it
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Folder() const { return folder_; }
    std::wstring File(const wchar_t* name = L"Settings.xml") const { return folder_ + L"\\" + name; }
    // Names of the files in the folder, sorted.
    std::vector<std::wstring> List() const;

private:
    std::wstring folder_;
};

// The file's UTF-16 code units, byte-order mark included; empty when missing.
std::wstring ReadUnits(const std::wstring& path, bool* found = nullptr);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// Writes FF FE and the text.
void WriteSettingsText(const std::wstring& path, const std::wstring& text);

// The declaration and root that every test file starts with, and its end.
std::wstring FileText(const std::wstring& body, const wchar_t* root = L"Tovara2");

}  // namespace settings_test
