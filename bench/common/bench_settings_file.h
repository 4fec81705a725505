// The settings file both settings benches measure: packages of modules of
// settings, as plug-ins leave them (ten settings per module, ten modules per
// package, host keys at the top), in the store's own layout, order and
// encoding, so that saving what was opened gives the same bytes.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

inline std::wstring BenchSettingsText(int settings) {
    std::wstring t = L"\xFEFF<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n";
    t += L"\t<profile name=\"Default\">\r\n";
    t += L"\t\t<setting name=\"_alignment\" type=\"string\">left</setting>\r\n";
    t += L"\t\t<setting name=\"_language\" type=\"num\">1033</setting>\r\n";
    wchar_t line[256];
    int made = 2;
    for (int p = 0; made < settings; p++) {
        swprintf(line, 256, L"\t\t<node name=\"Package%04d.dll\">\r\n", p);
        t += line;
        t += L"\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n";
        made++;
        for (int m = 0; m < 10 && made < settings; m++) {
            swprintf(line, 256, L"\t\t\t<node name=\"Module%02d\">\r\n", m);
            t += line;
            for (int s = 0; s < 10 && made < settings; s++, made++) {
                if (s % 3 == 0)
                    swprintf(line, 256, L"\t\t\t\t<setting name=\"key%02d\" type=\"num\">%d</setting>\r\n", s, made * 7);
                else if (s % 3 == 1)
                    swprintf(line, 256, L"\t\t\t\t<setting name=\"key%02d\" type=\"string\">value &amp; %d</setting>\r\n", s, made);
                else
                    swprintf(line, 256, L"\t\t\t\t<setting name=\"key%02d\" type=\"bool\">false</setting>\r\n", s);
                t += line;
            }
            t += L"\t\t\t</node>\r\n";
        }
        t += L"\t\t</node>\r\n";
    }
    t += L"\t</profile>\r\n</Tovara2>\r\n";
    return t;
}

// The file as the store would find it: the text's UTF-16 units, mark first.
inline bool BenchWriteSettingsFile(const std::wstring& path, int settings) {
    std::wstring text = BenchSettingsText(settings);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t)), written = 0;
    bool ok = WriteFile(h, text.data(), bytes, &written, nullptr) && written == bytes;
    return CloseHandle(h) && ok;
}

// A scratch folder under the temporary folder, made on demand.
inline std::wstring BenchScratchFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}
