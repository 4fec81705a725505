#pragma once
// String-table access in a chosen language, and the file-exists test.
#include <windows.h>

// Set once by start-up before the first string is loaded.
extern WORD CurrentLanguage;

// Reads entry id of the string table of module (null: the executable) in the
// given language. Returns the characters copied (at most size - 1, always
// terminated); 0 with an empty buffer when the language has no such block.
int LoadStringLang(HMODULE module, UINT id, WCHAR* buffer, int size, WORD language);
int LoadStr(UINT id, WCHAR* buffer, int size);
// Main thread only: the text stays valid until the next call.
WCHAR* GetStr(UINT id);

int FileExists(const WCHAR* path);
