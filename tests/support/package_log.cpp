#include "support/package_log.h"

#include "support/desktop.h"

namespace tv2test {

std::vector<std::string> ReadLogLines(const std::wstring& path) {
    std::vector<std::string> lines;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lines;
    DWORD size = GetFileSize(h, nullptr), read = 0;
    std::string text(size, '\0');
    if (size) ReadFile(h, &text[0], size, &read, nullptr);
    CloseHandle(h);
    size_t start = 0;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

int FindLine(const std::vector<std::string>& lines, const std::string& text) {
    for (size_t i = 0; i < lines.size(); i++)
        if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
    return -1;
}

int CountLines(const std::vector<std::string>& lines, const std::string& text) {
    int n = 0;
    for (auto& l : lines)
        if (l.find(text) != std::string::npos) n++;
    return n;
}

bool WaitForLogLine(const std::wstring& path, const std::string& text, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    timeoutMs = Patient(timeoutMs);
    for (;;) {
        if (FindLine(ReadLogLines(path), text) >= 0) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(20);
    }
}

}  // namespace tv2test
