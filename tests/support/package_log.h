#pragma once
// Reading what test packages report: each appends lines to <its DLL>.log.
#include <windows.h>

#include <string>
#include <vector>

namespace tv2test {

std::vector<std::string> ReadLogLines(const std::wstring& path);
// Waits until a line containing text appears (true) or the time runs out.
bool WaitForLogLine(const std::wstring& path, const std::string& text, DWORD timeoutMs = 10000);
// Index of the first line containing text, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& text);
int CountLines(const std::vector<std::string>& lines, const std::string& text);

}  // namespace tv2test
