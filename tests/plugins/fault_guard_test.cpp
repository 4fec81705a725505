// The structured-exception guard: which faults it stops, that the thread and
// its windows go on working afterwards, and that it costs nothing per fault.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "core/runtime/memory.h"
#include "plugins/fault_guard.h"

namespace {
volatile int g_zero = 0;  // a constant divisor would compile to ud2
void DivideByZero(void*) {
    volatile int x = 7;
    x = x / g_zero;
}
void WriteNull(void*) { *reinterpret_cast<volatile int*>(static_cast<DWORD_PTR>(g_zero)) = 1; }
void RaiseCode(void* code) { RaiseException(*static_cast<DWORD*>(code), 0, 0, nullptr); }
void CountCall(void* counter) { ++*static_cast<int*>(counter); }

DWORD Fault(FaultGuardProc proc, void* context = nullptr) {
    FaultInfo info = {0xDEADBEEF, nullptr};
    return FaultGuardCall(proc, context, &info) ? 0 : info.code;
}

// A window whose procedure faults on WM_APP (directly, or one sent message
// further down on WM_APP + 3) and counts the WM_APP + 1 it handles.
int g_handled;
LRESULT CALLBACK FaultyProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) DivideByZero(nullptr);
    if (msg == WM_APP + 1) return ++g_handled, 0;
    if (msg == WM_APP + 2) WriteNull(nullptr);
    if (msg == WM_APP + 3) return SendMessageW(w, WM_APP, 0, 0);
    if (msg == WM_TIMER) KillTimer(w, wp), DivideByZero(nullptr);
    return DefWindowProcW(w, msg, wp, lp);
}
HWND FaultyWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FaultyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FaultGuardTestWindow";
    RegisterClassW(&wc);
    g_handled = 0;
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
}
void DispatchOne(void* msg) { DispatchMessageW(static_cast<MSG*>(msg)); }
// Pumps what is queued, each message under its own guard as the PluginThread
// does; the codes of the faults seen.
std::vector<DWORD> PumpGuarded() {
    std::vector<DWORD> codes;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (DWORD code = Fault(DispatchOne, &msg)) codes.push_back(code);
    return codes;
}
DWORD WINAPI GuardOnThread(void* outcome) {
    for (int i = 0; i < 200; ++i) *static_cast<int*>(outcome) += Fault(i % 2 ? DivideByZero : WriteNull) == (i % 2 ? 0xC0000094u : 0xC0000005u);
    return 0;
}
DWORD WINAPI FaultWithoutGuard(void*) {
    DivideByZero(nullptr);
    return 1;
}
#ifndef _WIN64
void* ExceptionChainHead() {
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}
#endif
LONG g_unguarded;
LONG WINAPI CountUnhandled(EXCEPTION_POINTERS*) {
    InterlockedIncrement(&g_unguarded);
    ExitThread(0);
}
}  // namespace

TEST(FaultGuard, StopsFaultsWithTheirCodeAndLetsNotificationsPass) {
#ifndef _WIN64
    void* head = ExceptionChainHead();
#endif
    int calls = 0;
    FaultInfo info = {0x1234, nullptr};
    EXPECT_TRUE(FaultGuardCall(CountCall, &calls, &info));
    EXPECT_EQ(1, calls);
    EXPECT_EQ(0x1234u, info.code) << "untouched on success";
    EXPECT_FALSE(FaultGuardCall(DivideByZero, nullptr, &info));
    EXPECT_EQ(0xC0000094u, info.code);
    EXPECT_NE(nullptr, info.address);
    EXPECT_EQ(0xC0000005u, Fault(WriteNull));
#ifndef _WIN64
    // The guard's frame leaves the thread's exception chain with the call,
    // whether it returned or faulted.
    EXPECT_EQ(head, ExceptionChainHead());
#endif
    DWORD unknown = 0xE0001234;
    EXPECT_EQ(0xE0001234u, Fault(RaiseCode, &unknown));
    for (DWORD code : {0xC0000094u, 0x80000002u, 0xC00000FDu}) EXPECT_TRUE(FaultGuardCatches(code)) << std::hex << code;
    // Debug output, thread naming, a C++ throw and guard pages are somebody else's.
    for (DWORD code : {0x40010006u, 0x406D1388u, 0xE06D7363u, 0x80000001u}) EXPECT_FALSE(FaultGuardCatches(code)) << std::hex << code;
    EXPECT_TRUE(FaultGuardCall([](void* c) { OutputDebugStringW(L"guard\n"), ++*static_cast<int*>(c); }, &calls, nullptr));
    EXPECT_EQ(2, calls);
    // Nested guards each stop their own fault; outside them all, a new one works.
    struct {
        DWORD inner = 0;
        bool after = false;
    } nest;
    EXPECT_EQ(0xC0000005u, Fault([](void* p) {
        auto* n = static_cast<decltype(nest)*>(p);
        n->inner = Fault(DivideByZero);
        n->after = true;
        WriteNull(nullptr);
    }, &nest));
    EXPECT_EQ(0xC0000094u, nest.inner);
    EXPECT_TRUE(nest.after);
    EXPECT_EQ(0xC0000094u, Fault(DivideByZero));
}

TEST(FaultGuard, AWindowThatFaultsKeepsItsThreadHandlingMessages) {
    HWND w = FaultyWindow();
    for (UINT m : {WM_APP, WM_APP + 1, WM_APP + 2, WM_APP + 1}) PostMessageW(w, m, 0, 0);
    EXPECT_EQ((std::vector<DWORD>{0xC0000094u, 0xC0000005u}), PumpGuarded());
    EXPECT_EQ(2, g_handled);
    EXPECT_EQ(0, SendMessageW(w, WM_APP + 1, 0, 0)) << "sent messages still arrive";
    SetTimer(w, 7, 1, nullptr);  // as a module's tick would fault
    std::vector<DWORD> timer;
    for (DWORD began = GetTickCount(); timer.empty() && GetTickCount() - began < 5000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        timer = PumpGuarded();
    }
    EXPECT_EQ(1u, timer.size());
    DestroyWindow(w);
}

TEST(FaultGuard, AThousandFaultsInARowLeakNothing) {
    HWND w = FaultyWindow();
    DWORD handles0 = 0, handles1 = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles0);
    LONG blocks = MemLiveBlocks();
    size_t faults = 0;
    for (int i = 0; i < 1000; ++i) {
        faults += Fault(i % 2 ? DivideByZero : WriteNull) != 0;
        PostMessageW(w, i % 3 ? WM_APP : WM_APP + 3, 0, 0);
        PostMessageW(w, WM_APP + 1, 0, 0);
        faults += PumpGuarded().size();
    }
    EXPECT_EQ(2000u, faults);
    EXPECT_EQ(1000, g_handled) << "and the window manager goes on calling the procedure";
    GetProcessHandleCount(GetCurrentProcess(), &handles1);
    EXPECT_EQ(blocks, MemLiveBlocks());
    EXPECT_LE(handles1, handles0 + 2);
    DestroyWindow(w);
}

TEST(FaultGuard, EachThreadHasItsOwnGuardsAndAFaultOutsideThemIsNotSwallowed) {
    int a = 0, b = 0, calls = 0;
    HANDLE t1 = CreateThread(nullptr, 0, GuardOnThread, &a, 0, nullptr);
    HANDLE t2 = CreateThread(nullptr, 0, GuardOnThread, &b, 0, nullptr);
    for (int i = 0; i < 200; ++i) FaultGuardCall(CountCall, &calls, nullptr);
    WaitForSingleObject(t1, 30000);
    WaitForSingleObject(t2, 30000);
    CloseHandle(t1);
    CloseHandle(t2);
    EXPECT_EQ(200, a);
    EXPECT_EQ(200, b);
    EXPECT_EQ(200, calls);
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(CountUnhandled);
    HANDLE t = CreateThread(nullptr, 0, FaultWithoutGuard, nullptr, 0, nullptr);
    WaitForSingleObject(t, 30000);
    DWORD code = 1;
    GetExitCodeThread(t, &code);
    CloseHandle(t);
    SetUnhandledExceptionFilter(previous);
    EXPECT_EQ(1, g_unguarded) << "the ordinary handlers saw it";
    EXPECT_EQ(0u, code);
}
