// The structured-exception guard, once per architecture.
//
// Both builds resume at a __builtin_setjmp point in FaultGuardCall: it keeps
// only the frame, stack pointer and resume address, needs no runtime, and the
// compiler treats every register as lost at the resume point, so nothing the
// faulting code left behind leaks into ours.
#include "plugins/fault_guard.h"

bool FaultGuardCatches(DWORD code) {
    switch (code) {
    case 0x80000002:  // datatype misalignment
    case 0x80000003:  // breakpoint
    case 0x80000004:  // single step
        return true;
    case 0xE06D7363:  // a C++ throw of a Microsoft-built module: its own business
    case 0xE0434352:  // a managed exception
    case 0xE0434F4D:
        return false;
    }
    // Warnings and informational codes (debug output 0x40010006, thread
    // naming 0x406D1388, guard pages 0x80000001, ...) are notifications that
    // somebody else handles; only error severity is a fault.
    return (code & 0xC0000000) == 0xC0000000;
}

namespace {

// The floating-point control state of the guarded code's caller. A module
// that faulted in the middle of x87 or SSE work may leave exceptions pending
// or unmasked; the caller gets back what it had.
struct FpuState {
    unsigned short x87Control;
    unsigned int sseControl;
};

inline void FpuSave(FpuState* s) {
    __asm__ __volatile__("fnstcw %0" : "=m"(s->x87Control));
    __asm__ __volatile__("stmxcsr %0" : "=m"(s->sseControl));
}

inline void FpuRestore(const FpuState* s) {
    unsigned int sse = s->sseControl & ~0x3Fu;  // clear the sticky flags
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(s->x87Control));
    __asm__ __volatile__("ldmxcsr %0" : : "m"(sse));
}

}  // namespace

#ifndef _WIN64

// 32-bit x86: an exception registration record {next, handler} pushed on the
// thread's fs:[0] chain for the duration of the call. Frames the guarded code
// registered itself come first and may handle their own exceptions; what they
// leave reaches our handler, which unwinds them (their unwind handlers run)
// and jumps back into FaultGuardCall.
namespace {

struct Registration {
    Registration* next;
    void* handler;
};

// The registration comes first: the system hands its address to the handler
// as the establisher frame, which is how the handler finds the rest.
struct Guard {
    Registration reg;
    void* jump[5];
    DWORD code;
    void* address;
    FpuState fpu;
};

inline Registration* ChainHead() {
    Registration* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

inline void SetChainHead(Registration* head) {
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory");
}

extern "C" EXCEPTION_DISPOSITION __cdecl FaultGuardHandler(EXCEPTION_RECORD* record, void* frame,
                                                           CONTEXT* context, void* dispatcher) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    if (!FaultGuardCatches(record->ExceptionCode)) return ExceptionContinueSearch;
    Guard* guard = static_cast<Guard*>(frame);
    guard->code = record->ExceptionCode;
    guard->address = record->ExceptionAddress;
    // Runs the unwind handlers of every frame registered above ours and
    // leaves ours at the head of the chain; on x86 it returns here.
    RtlUnwind(frame, nullptr, record, nullptr);
    __builtin_longjmp(guard->jump, 1);
}

}  // namespace

bool FaultGuardCall(FaultGuardProc proc, void* context, FaultInfo* info) {
    Guard guard;
    guard.reg.next = ChainHead();
    guard.reg.handler = reinterpret_cast<void*>(&FaultGuardHandler);
    guard.code = 0;
    guard.address = nullptr;
    FpuSave(&guard.fpu);
    if (__builtin_setjmp(guard.jump) == 0) {
        SetChainHead(&guard.reg);
        proc(context);
        SetChainHead(guard.reg.next);
        return true;
    }
    SetChainHead(guard.reg.next);
    FpuRestore(&guard.fpu);
    if (info) {
        info->code = guard.code;
        info->address = guard.address;
    }
    return false;
}

#else  // _WIN64

// 64-bit: exception handling is driven by unwind tables, which product code
// and many modules are built without, so a frame-based handler could not be
// reached reliably. A vectored handler sees every exception first; it acts
// only when the faulting thread is inside a guard, and then points the
// thread at FaultGuardResume, which jumps back into the innermost guard.
// Frames between the guard and the fault are abandoned without unwinding,
// with one exception. A window procedure is called by the system's window
// manager, which keeps per-call state of its own (Wine counts nested calls
// and stops calling any procedure of the thread after 64 of them; a sent
// message may run as a callback of a system call). Jumping out over such a
// call would leak that state with every fault. So when the frames between the
// fault and the guard include one of user32 (or the callback dispatcher of
// ntdll), the handler instead returns 0 to it from the procedure it called,
// exactly as an unwinder would resume there; the code around carries on, and
// the guard reports the fault when the guarded call returns. Faults in code
// the guard reached without such a call are stopped on the spot.
namespace {

struct Guard {
    void* jump[5];
    Guard* outer;
    DWORD code;
    void* address;
    bool pending;           // a fault was answered with a return; report at the end
    DWORD_PTR frame;        // our own frame: the walk for system callers stops here
    DWORD_PTR resumeStack;  // where FaultGuardResume runs: below our frame
    FpuState fpu;
};

struct CodeRange {
    DWORD64 begin;
    DWORD64 end;
    bool Holds(DWORD64 address) const { return address >= begin && address < end; }
};

// 0: nothing yet; 1: being set up by one thread; 2: ready.
volatile LONG g_state;
DWORD g_slot;  // TLS index of the thread's innermost Guard
void* g_handler;
CodeRange g_user32;
CodeRange g_dispatcher;  // ntdll's KiUserCallbackDispatcher

__attribute__((noinline, noreturn)) void FaultGuardResume() {
    Guard* guard = static_cast<Guard*>(TlsGetValue(g_slot));
    __builtin_longjmp(guard->jump, 1);
}

CodeRange ImageRange(HMODULE module) {
    CodeRange r = {0, 0};
    if (!module) return r;
    BYTE* base = reinterpret_cast<BYTE*>(module);
    IMAGE_NT_HEADERS* nt =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    r.begin = reinterpret_cast<DWORD64>(base);
    r.end = r.begin + nt->OptionalHeader.SizeOfImage;
    return r;
}

void FindSystemCallers() {
    g_user32 = ImageRange(GetModuleHandleW(L"user32.dll"));
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    DWORD64 entry = ntdll ? reinterpret_cast<DWORD64>(GetProcAddress(ntdll, "KiUserCallbackDispatcher")) : 0;
    DWORD64 base = 0;
    PRUNTIME_FUNCTION f = entry ? RtlLookupFunctionEntry(entry, &base, nullptr) : nullptr;
    if (f) {
        g_dispatcher.begin = base + f->BeginAddress;
        g_dispatcher.end = base + f->EndAddress;
    }
}

// Walks the frames from the fault up to the guard. True when one of them is
// a system caller; *resume is then the state right after the call into the
// faulting code returned to it. The faulting function may be a leaf without
// unwind data; any other frame without it (the host's own code has none) ends
// the walk, since reading on would take stale stack words for return
// addresses. A walk that ends or goes astray yields false, the jump to the
// guard: right for every call the host guards itself, whose guard sits just
// outside the package's frames.
bool SystemCallerBetween(const CONTEXT* fault, DWORD_PTR guardFrame, CONTEXT* resume) {
    NT_TIB* tib;
    __asm__("movq %%gs:0x30, %0" : "=r"(tib));  // the TEB, which begins with the NT_TIB
    DWORD64 stackLow = reinterpret_cast<DWORD64>(tib->StackLimit);
    DWORD64 stackHigh = reinterpret_cast<DWORD64>(tib->StackBase);
    *resume = *fault;
    CONTEXT& c = *resume;
    // Only a call from the system into foreign code counts: a fault inside
    // user32 itself is answered at the procedure that called user32.
    bool calleeIsSystem = true;
    for (int depth = 0; depth < 256; ++depth) {
        if (c.Rsp >= guardFrame || c.Rsp < stackLow || c.Rsp + 8 > stackHigh) return false;
        bool system = g_user32.Holds(c.Rip) || g_dispatcher.Holds(c.Rip);
        if (system && !calleeIsSystem) return true;
        calleeIsSystem = system;
        DWORD64 before = c.Rsp;
        DWORD64 base = 0;
        PRUNTIME_FUNCTION f = RtlLookupFunctionEntry(c.Rip, &base, nullptr);
        if (f) {
            void* handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, c.Rip, f, &c, &handlerData, &establisher, nullptr);
        } else {
            if (depth > 0) return false;
            c.Rip = *reinterpret_cast<DWORD64*>(c.Rsp);
            c.Rsp += 8;
        }
        if (c.Rsp <= before || !c.Rip) return false;
    }
    return false;
}

LONG CALLBACK FaultGuardFilter(EXCEPTION_POINTERS* pointers) {
    EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (!FaultGuardCatches(record->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    DWORD lastError = GetLastError();  // TlsGetValue clears it
    Guard* guard = static_cast<Guard*>(TlsGetValue(g_slot));
    SetLastError(lastError);
    if (!guard) return EXCEPTION_CONTINUE_SEARCH;
    if (!guard->pending) {  // the first fault is the cause; later ones follow from it
        guard->code = record->ExceptionCode;
        guard->address = record->ExceptionAddress;
    }
    CONTEXT* context = pointers->ContextRecord;
    CONTEXT resume;
    if (SystemCallerBetween(context, guard->frame, &resume)) {
        guard->pending = true;
        resume.Rax = 0;  // the procedure's result
        *context = resume;
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    // As if FaultGuardResume had just been called: rsp = 8 modulo 16.
    context->Rsp = (guard->resumeStack & ~static_cast<DWORD_PTR>(15)) - 8;
    context->Rip = reinterpret_cast<DWORD64>(&FaultGuardResume);
    return EXCEPTION_CONTINUE_EXECUTION;
}

bool FaultGuardReady() {
    for (;;) {
        LONG state = InterlockedCompareExchange(&g_state, 1, 0);
        if (state == 2) return true;
        if (state == 0) break;
        Sleep(0);  // another thread is setting up
    }
    g_slot = TlsAlloc();
    if (g_slot == TLS_OUT_OF_INDEXES) {
        InterlockedExchange(&g_state, 0);
        return false;
    }
    FindSystemCallers();
    g_handler = AddVectoredExceptionHandler(1, FaultGuardFilter);
    InterlockedExchange(&g_state, 2);
    return true;
}

// An address in a frame below the caller's: committed stack that the
// abandoned frames were using and nobody needs any more.
__attribute__((noinline)) DWORD_PTR StackBelowCaller() {
    volatile char here = 0;
    return reinterpret_cast<DWORD_PTR>(&here) - 256;
}

}  // namespace

bool FaultGuardCall(FaultGuardProc proc, void* context, FaultInfo* info) {
    if (!FaultGuardReady()) {
        proc(context);
        return true;
    }
    Guard guard;
    guard.outer = static_cast<Guard*>(TlsGetValue(g_slot));
    guard.code = 0;
    guard.address = nullptr;
    guard.pending = false;
    guard.frame = reinterpret_cast<DWORD_PTR>(&guard);
    guard.resumeStack = StackBelowCaller();
    FpuSave(&guard.fpu);
    if (__builtin_setjmp(guard.jump) == 0) {
        TlsSetValue(g_slot, &guard);
        proc(context);
        TlsSetValue(g_slot, guard.outer);
        if (!guard.pending) return true;
    } else {
        TlsSetValue(g_slot, guard.outer);
    }
    FpuRestore(&guard.fpu);
    if (info) {
        info->code = guard.code;
        info->address = guard.address;
    }
    return false;
}

#endif
