// The exception table and the report text of a module fault.
#include "plugins/fault_report.h"

#include "controls/ubb_markup.h"
#include "core/runtime/memory.h"

namespace {

struct FaultEntry {
    DWORD code;
    const WCHAR* name;
    const WCHAR* description;
};

constexpr FaultEntry kFaults[] = {
    {0x80000002, L"Datatype misalignment",
     L"The thread attempted to read or write data that is misaligned on hardware that does not provide "
     L"alignment. For example, 16-bit values must be aligned on 2-byte boundaries, 32-bit values on 4-byte "
     L"boundaries, and so on."},
    {0x80000003, L"Breakpoint", L"A breakpoint was encountered."},
    {0x80000004, L"Single Step",
     L"A trace trap or other single-instruction mechanism signaled that one instruction has been executed."},
    {0xC0000005, L"Access violation",
     L"The thread attempted to read from or write to a virtual address for which it does not have the "
     L"appropriate access."},
    {0xC0000025, L"Noncontinuable exception",
     L"The thread attempted to continue execution after a noncontinuable exception occurred."},
    {0xC000008C, L"Array bounds exceeded",
     L"The thread attempted to access an array element that is out of bounds, and the underlying hardware "
     L"supports bounds checking."},
    {0xC000008D, L"Floating point denormal operand",
     L"One of the operands in a floating-point operation is denormal. A denormal value is one that is too "
     L"small to represent as a standard floating-point value."},
    {0xC000008E, L"Floating point divide by zero",
     L"The thread attempted to divide a floating-point value by a floating-point divisor of zero."},
    {0xC000008F, L"Floating point inexact result",
     L"The result of a floating-point operation cannot be represented exactly as a decimal fraction."},
    {0xC0000090, L"Floating point invalid operation",
     L"This exception represents any floating-point exception not included in this list."},
    {0xC0000091, L"Floating point overflow",
     L"The exponent of a floating-point operation is greater than the magnitude allowed by the corresponding "
     L"type."},
    {0xC0000092, L"Floating point stack check",
     L"The stack overflowed or underflowed as the result of a floating-point operation."},
    {0xC0000093, L"Floating point underflow",
     L"The exponent of a floating-point operation is less than the magnitude allowed by the corresponding "
     L"type."},
    {0xC0000094, L"Integer divide by zero",
     L"The thread attempted to divide an integer value by an integer divisor of zero."},
    {0xC0000095, L"Integer overflow",
     L"The result of an integer operation caused a carry out of the most significant bit of the result."},
    {0xC0000096, L"Privileged instruction",
     L"The thread attempted to execute an instruction whose operation is not allowed in the current machine "
     L"mode."},
};
static_assert(sizeof(kFaults) / sizeof(kFaults[0]) == 16, "one row per listed code");

constexpr FaultEntry kUnknown = {0, L"Unknown", L"An unknown exception was encountered."};

const FaultEntry& FaultLookup(DWORD code) {
    for (const FaultEntry& e : kFaults)
        if (e.code == code) return e;
    return kUnknown;
}

#define REPORT_DETAILS                                                                                      \
    L"\n\n[u]Code:[/u] 0x%.8X\n[u]Type:[/u] %s\n[u]Description:[/u] %s\n\nYou can help us track down the cause " \
    L"of the problem by [link=" FAULT_REPORT_LINK L"]submitting[/link] this problem to the developers."

const WCHAR kReportFormat[] =
    L"The module '%s' of package '%s' (%s) caused the following exception and has been deactivated. You can "
    L"reactivate it in the configuration screen." REPORT_DETAILS;

const WCHAR kOptionsFormat[] =
    L"The options of package '%s' (%s) caused the following exception and have been closed." REPORT_DETAILS;

// wsprintfW writes at most 1024 characters per call.
const int kFormatLimit = 1024;

}  // namespace

const WCHAR* FaultShortName(DWORD code) { return FaultLookup(code).name; }

const WCHAR* FaultDescription(DWORD code) { return FaultLookup(code).description; }

WCHAR* FaultReportText(const WCHAR* moduleName, const WCHAR* packageName, const WCHAR* fileName, DWORD code) {
    // Names come from packages: a long one must not run the text past the
    // formatter's limit, and a bracket in one must not open markup. Each name
    // is cut to a sensible length and brackets shown as parentheses.
    const int kNameMax = 100;
    WCHAR names[3][kNameMax];
    const WCHAR* sources[3] = {moduleName, packageName, fileName};
    for (int i = 0; i < 3; ++i) UbbPlainText(names[i], sources[i], kNameMax);
    WCHAR* text = static_cast<WCHAR*>(MemAlloc((kFormatLimit + 1) * sizeof(WCHAR)));
    if (!text) return nullptr;
    wsprintfW(text, kReportFormat, names[0], names[1], names[2], code, FaultShortName(code),
              FaultDescription(code));
    return text;
}

WCHAR* FaultOptionsReportText(const WCHAR* packageName, const WCHAR* fileName, DWORD code) {
    const int kNameMax = 100;
    WCHAR name[kNameMax], file[kNameMax];
    UbbPlainText(name, packageName, kNameMax);
    UbbPlainText(file, fileName, kNameMax);
    WCHAR* text = static_cast<WCHAR*>(MemAlloc((kFormatLimit + 1) * sizeof(WCHAR)));
    if (!text) return nullptr;
    wsprintfW(text, kOptionsFormat, name, file, code, FaultShortName(code), FaultDescription(code));
    return text;
}
