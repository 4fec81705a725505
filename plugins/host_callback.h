#pragma once
// The one function packages call the host through.
#include <windows.h>

UINT WINAPI HostCallback(UINT code, void* record, UINT_PTR arg1, UINT_PTR arg2);
