#include "sysmon_fixture.h"

#include <cwchar>

const wchar_t kDash[] = L"\x2013";

std::wstring PackagePath() {
    // Build paths are Unix paths; Wine reaches them through drive Z:.
    std::string unix = TOVARA2_PACKAGES_DIR "/SysMon.dll";
    std::wstring path = L"Z:";
    for (char c : unix) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

std::wstring PopupText(HWND popup) {
    wchar_t buf[512] = {};
    SendMessageW(popup, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf));
    return buf;
}

static BOOL CALLBACK FindPopupProc(HWND w, LPARAM lp) {
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (wcscmp(cls, L"SysMonPopup") == 0 && IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindPopup() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindPopupProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

static BOOL CALLBACK CountProc(HWND, LPARAM lp) {
    ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

int CountDescendants(HWND parent) {
    int n = 0;
    EnumChildWindows(parent, CountProc, reinterpret_cast<LPARAM>(&n));
    return n;
}

bool ParsePercent(const std::wstring& text, int* out) {
    wchar_t* end = nullptr;
    long v = wcstol(text.c_str(), &end, 10);
    if (end == text.c_str() || std::wstring(end) != L"%") return false;
    *out = static_cast<int>(v);
    return true;
}

bool ParseAmount(const std::wstring& text, double* bytes) {
    wchar_t* end = nullptr;
    double v = wcstod(text.c_str(), &end);
    if (end == text.c_str()) return false;
    std::wstring unit(end);
    const wchar_t* units[] = {L" B", L" KB", L" MB", L" GB", L" TB", L" PB"};
    for (int i = 0; i < 6; ++i, v *= 1024)
        if (unit.rfind(units[i], 0) == 0) {
            *bytes = v;
            return true;
        }
    return false;
}

void SysMonTest::SetUp() {
    dll_ = LoadLibraryW(PackagePath().c_str());
    ASSERT_NE(nullptr, dll_) << "cannot load SysMon.dll, error " << GetLastError();
    proc_ = reinterpret_cast<TV2PackageProcFn>(reinterpret_cast<void*>(GetProcAddress(dll_, "TV2PackageProc")));
    ASSERT_NE(nullptr, proc_);
    host_ = std::make_unique<FakeHost>(barWidth_, visible_);
}

void SysMonTest::Init() {
    ASSERT_NE(0u, Call(PKG_INIT, reinterpret_cast<UINT_PTR>(&host_->package), reinterpret_cast<UINT_PTR>(FakeHostCallback)));
    initialised_ = true;
}

void SysMonTest::Exit() {
    if (initialised_) Call(PKG_EXIT);
    initialised_ = false;
}

void SysMonTest::TearDown() {
    Exit();
    host_.reset();
    Pump(0);
    if (dll_) FreeLibrary(dll_);
}
