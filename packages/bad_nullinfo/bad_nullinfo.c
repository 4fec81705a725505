/* Test package: gives no information (PKG_GET_INFO returns null) but
   otherwise initialises and exits normally. */
#include "tovara2_sdk.h"

__declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    if (message == PKG_INIT) return 1;
    return 0;
}
