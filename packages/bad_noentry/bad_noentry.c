/* Test package: a library that exports something, but no TV2PackageProc. */
#include <windows.h>

__declspec(dllexport) UINT_PTR WINAPI SomethingElse(UINT message, UINT_PTR a, UINT_PTR b) { return 1; }
