// The structured-exception guard: which faults it stops, that the thread and
// its windows go on working afterwards, and that it costs nothing per fault.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/runtime/memory.h"
#include "plugins/fault_guard.h"

namespace {

volatile int g_zero = 0;  // a constant divisor would compile to ud2

void DivideByZero(void*) {
    volatile int x = 7;
    x = x / g_zero;
}

void ReadNull(void*) {
    volatile int* p = reinterpret_cast<volatile int*>(static_cast<DWORD_PTR>(g_zero));
    *p = 1;
}

void RaiseCode(void* code) { RaiseException(*static_cast<DWORD*>(code), 0, 0, nullptr); }

void CountCall(void* counter) { ++*static_cast<int*>(counter); }

struct Outcome {
    bool returned;
    FaultInfo info;
};

Outcome Guarded(FaultGuardProc proc, void* context = nullptr) {
    Outcome o = {};
    o.info.code = 0xDEADBEEF;
    o.returned = FaultGuardCall(proc, context, &o.info);
    return o;
}

#ifndef _WIN64
void* ExceptionChainHead() {
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}
#endif

TEST(FaultGuard, NormalReturnRunsTheCallOnceAndReportsSuccess) {
#ifndef _WIN64
    void* head = ExceptionChainHead();
#endif
    int calls = 0;
    FaultInfo info = {0x1234, nullptr};
    EXPECT_TRUE(FaultGuardCall(CountCall, &calls, &info));
    EXPECT_EQ(1, calls);
    EXPECT_EQ(0x1234u, info.code);  // untouched on success
    EXPECT_TRUE(FaultGuardCall(CountCall, &calls, nullptr));
    EXPECT_EQ(2, calls);
#ifndef _WIN64
    // The guard's frame leaves the thread's exception chain with the call,
    // whether it returned or faulted.
    EXPECT_EQ(head, ExceptionChainHead());
    FaultGuardCall(DivideByZero, nullptr, nullptr);
    EXPECT_EQ(head, ExceptionChainHead());
#endif
}

TEST(FaultGuard, StopsHardwareFaultsWithTheirCodeAndAddress) {
    Outcome div = Guarded(DivideByZero);
    EXPECT_FALSE(div.returned);
    EXPECT_EQ(0xC0000094u, div.info.code);
    EXPECT_NE(nullptr, div.info.address);

    Outcome av = Guarded(ReadNull);
    EXPECT_FALSE(av.returned);
    EXPECT_EQ(0xC0000005u, av.info.code);
    EXPECT_NE(nullptr, av.info.address);
}

TEST(FaultGuard, StopsRaisedErrorCodesButLetsNotificationsPass) {
    DWORD unknown = 0xE0001234;
    Outcome raised = Guarded(RaiseCode, &unknown);
    EXPECT_FALSE(raised.returned);
    EXPECT_EQ(0xE0001234u, raised.info.code);

    EXPECT_TRUE(FaultGuardCatches(0xC0000094));
    EXPECT_TRUE(FaultGuardCatches(0x80000002));
    EXPECT_TRUE(FaultGuardCatches(0xC00000FD));  // stack overflow: not in the table, still a fault
    EXPECT_FALSE(FaultGuardCatches(0x40010006));  // debug output
    EXPECT_FALSE(FaultGuardCatches(0x406D1388));  // thread naming
    EXPECT_FALSE(FaultGuardCatches(0xE06D7363));  // C++ throw
    EXPECT_FALSE(FaultGuardCatches(0x80000001));  // guard page

    // A notification inside a guard reaches the ordinary handlers and the
    // guarded code carries on.
    int calls = 0;
    EXPECT_TRUE(FaultGuardCall(
        [](void* c) {
            OutputDebugStringW(L"fault guard test\n");
            ++*static_cast<int*>(c);
        },
        &calls, nullptr));
    EXPECT_EQ(1, calls);
}

TEST(FaultGuard, NestedGuardsEachStopTheirOwnFault) {
    struct Nest {
        bool innerReturned = true;
        FaultInfo inner = {};
        bool afterInner = false;
    } nest;
    FaultInfo outer = {};
    bool outerReturned = FaultGuardCall(
        [](void* p) {
            Nest* n = static_cast<Nest*>(p);
            n->innerReturned = FaultGuardCall(DivideByZero, nullptr, &n->inner);
            n->afterInner = true;
            ReadNull(nullptr);
        },
        &nest, &outer);
    EXPECT_FALSE(nest.innerReturned);
    EXPECT_EQ(0xC0000094u, nest.inner.code);
    EXPECT_TRUE(nest.afterInner);
    EXPECT_FALSE(outerReturned);
    EXPECT_EQ(0xC0000005u, outer.code);
    // Back outside every guard, a new one works as the first did.
    EXPECT_FALSE(Guarded(DivideByZero).returned);
}

// A window whose procedure faults on WM_APP and counts what it handles.
struct FaultyWindow {
    HWND hwnd = nullptr;
    static int handled;
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_APP) DivideByZero(nullptr);
        if (msg == WM_APP + 1) {
            ++handled;
            return 0;
        }
        if (msg == WM_APP + 2) ReadNull(nullptr);
        // Through the system's sent-message path, one level further down.
        if (msg == WM_APP + 3) return SendMessageW(w, WM_APP, 0, 0);
        if (msg == WM_TIMER) {
            KillTimer(w, wp);
            DivideByZero(nullptr);
        }
        return DefWindowProcW(w, msg, wp, lp);
    }
    FaultyWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FaultGuardTestWindow";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
    ~FaultyWindow() { DestroyWindow(hwnd); }
};
int FaultyWindow::handled = 0;

void DispatchOne(void* msg) {
    TranslateMessage(static_cast<MSG*>(msg));
    DispatchMessageW(static_cast<MSG*>(msg));
}

// Pumps what is queued, each message under its own guard as the PluginThread
// does; returns the faults seen.
int PumpGuarded(std::vector<DWORD>* codes = nullptr) {
    int faults = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        FaultInfo info = {};
        if (!FaultGuardCall(DispatchOne, &msg, &info)) {
            ++faults;
            if (codes) codes->push_back(info.code);
        }
    }
    return faults;
}

TEST(FaultGuard, StopsAFaultInAWindowProcedureAndTheThreadKeepsHandlingMessages) {
    FaultyWindow window;
    ASSERT_NE(nullptr, window.hwnd);
    FaultyWindow::handled = 0;
    PostMessageW(window.hwnd, WM_APP, 0, 0);
    PostMessageW(window.hwnd, WM_APP + 1, 0, 0);
    PostMessageW(window.hwnd, WM_APP + 2, 0, 0);
    PostMessageW(window.hwnd, WM_APP + 1, 0, 0);
    std::vector<DWORD> codes;
    EXPECT_EQ(2, PumpGuarded(&codes));
    ASSERT_EQ(2u, codes.size());
    EXPECT_EQ(0xC0000094u, codes[0]);
    EXPECT_EQ(0xC0000005u, codes[1]);
    EXPECT_EQ(2, FaultyWindow::handled);
    // Sent messages (the system's own path into the procedure) still arrive.
    EXPECT_EQ(0, SendMessageW(window.hwnd, WM_APP + 1, 0, 0));
    EXPECT_EQ(3, FaultyWindow::handled);
    // A timer message, as a module's one-second tick would fault.
    SetTimer(window.hwnd, 7, 1, nullptr);
    DWORD began = GetTickCount();
    int timerFaults = 0;
    while (!timerFaults && GetTickCount() - began < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        timerFaults += PumpGuarded();
    }
    EXPECT_EQ(1, timerFaults);
    wchar_t title[8] = L"x";
    SetWindowTextW(window.hwnd, L"ok");
    GetWindowTextW(window.hwnd, title, 8);
    EXPECT_STREQ(L"ok", title);
}

TEST(FaultGuard, AThousandFaultsInARowLeakNothing) {
    FaultyWindow window;
    ASSERT_NE(nullptr, window.hwnd);
    FaultyWindow::handled = 0;
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    LONG blocksBefore = MemLiveBlocks();
    int faults = 0;
    for (int i = 0; i < 1000; ++i) {
        faults += Guarded(i % 2 ? DivideByZero : ReadNull).returned ? 0 : 1;
        PostMessageW(window.hwnd, i % 3 ? WM_APP : WM_APP + 3, 0, 0);
        PostMessageW(window.hwnd, WM_APP + 1, 0, 0);
        faults += PumpGuarded();
    }
    EXPECT_EQ(2000, faults);
    EXPECT_EQ(1000, FaultyWindow::handled);
    // The window manager's own bookkeeping survived: procedures are still called.
    EXPECT_EQ(0, SendMessageW(window.hwnd, WM_APP + 1, 0, 0));
    EXPECT_EQ(1001, FaultyWindow::handled);
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(blocksBefore, MemLiveBlocks());
    EXPECT_LE(handlesAfter, handlesBefore + 2);
}

DWORD WINAPI GuardOnThread(void* param) {
    int* outcome = static_cast<int*>(param);
    for (int i = 0; i < 200; ++i) {
        FaultInfo info = {};
        if (!FaultGuardCall(i % 2 ? DivideByZero : ReadNull, nullptr, &info))
            *outcome += (info.code == (i % 2 ? 0xC0000094u : 0xC0000005u)) ? 1 : 1000;
    }
    return 0;
}

TEST(FaultGuard, EachThreadHasItsOwnGuards) {
    int a = 0, b = 0;
    HANDLE t1 = CreateThread(nullptr, 0, GuardOnThread, &a, 0, nullptr);
    HANDLE t2 = CreateThread(nullptr, 0, GuardOnThread, &b, 0, nullptr);
    // Meanwhile this thread's own guard is undisturbed.
    int calls = 0;
    for (int i = 0; i < 200; ++i) FaultGuardCall(CountCall, &calls, nullptr);
    WaitForSingleObject(t1, 30000);
    WaitForSingleObject(t2, 30000);
    CloseHandle(t1);
    CloseHandle(t2);
    EXPECT_EQ(200, a);
    EXPECT_EQ(200, b);
    EXPECT_EQ(200, calls);
}

// A thread outside any guard is left to the ordinary handlers: the fault
// reaches the thread's own __try-less frames and would end the process. Here
// a frame handler of the test (the C runtime's unhandled filter) sees it.
LONG g_seenUnguarded = 0;
LONG WINAPI CountUnhandled(EXCEPTION_POINTERS* p) {
    InterlockedIncrement(&g_seenUnguarded);
    ExitThread(0);
}

DWORD WINAPI FaultWithoutGuard(void*) {
    DivideByZero(nullptr);
    return 1;
}

TEST(FaultGuard, AFaultOutsideEveryGuardIsNotSwallowed) {
    int calls = 0;
    FaultGuardCall(CountCall, &calls, nullptr);  // the handler is installed
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(CountUnhandled);
    HANDLE t = CreateThread(nullptr, 0, FaultWithoutGuard, nullptr, 0, nullptr);
    WaitForSingleObject(t, 30000);
    DWORD code = 0;
    GetExitCodeThread(t, &code);
    CloseHandle(t);
    SetUnhandledExceptionFilter(previous);
    EXPECT_EQ(1, g_seenUnguarded);
    EXPECT_EQ(0u, code);
}

}  // namespace
