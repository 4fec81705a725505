// The exception table and the report text of a module fault.
#include "plugins/fault_report.h"

#include "controls/ubb_markup.h"
#include "core/runtime/memory.h"

namespace {

// The texts are ASCII: stored narrow, they take half the room.
struct FaultEntry {
    DWORD code;
    const char* name;
    const char* description;
};

constexpr FaultEntry kFaults[] = {
    {0x80000002, "Datatype misalignment",
     "The thread attempted to read or write data that is misaligned on hardware that does not provide "
     "alignment. For example, 16-bit values must be aligned on 2-byte boundaries, 32-bit values on 4-byte "
     "boundaries, and so on."},
    {0x80000003, "Breakpoint", "A breakpoint was encountered."},
    {0x80000004, "Single Step",
     "A trace trap or other single-instruction mechanism signaled that one instruction has been executed."},
    {0xC0000005, "Access violation",
     "The thread attempted to read from or write to a virtual address for which it does not have the "
     "appropriate access."},
    {0xC0000025, "Noncontinuable exception",
     "The thread attempted to continue execution after a noncontinuable exception occurred."},
    {0xC000008C, "Array bounds exceeded",
     "The thread attempted to access an array element that is out of bounds, and the underlying hardware "
     "supports bounds checking."},
    {0xC000008D, "Floating point denormal operand",
     "One of the operands in a floating-point operation is denormal. A denormal value is one that is too "
     "small to represent as a standard floating-point value."},
    {0xC000008E, "Floating point divide by zero",
     "The thread attempted to divide a floating-point value by a floating-point divisor of zero."},
    {0xC000008F, "Floating point inexact result",
     "The result of a floating-point operation cannot be represented exactly as a decimal fraction."},
    {0xC0000090, "Floating point invalid operation",
     "This exception represents any floating-point exception not included in this list."},
    {0xC0000091, "Floating point overflow",
     "The exponent of a floating-point operation is greater than the magnitude allowed by the corresponding "
     "type."},
    {0xC0000092, "Floating point stack check",
     "The stack overflowed or underflowed as the result of a floating-point operation."},
    {0xC0000093, "Floating point underflow",
     "The exponent of a floating-point operation is less than the magnitude allowed by the corresponding "
     "type."},
    {0xC0000094, "Integer divide by zero",
     "The thread attempted to divide an integer value by an integer divisor of zero."},
    {0xC0000095, "Integer overflow",
     "The result of an integer operation caused a carry out of the most significant bit of the result."},
    {0xC0000096, "Privileged instruction",
     "The thread attempted to execute an instruction whose operation is not allowed in the current machine "
     "mode."},
};
static_assert(sizeof(kFaults) / sizeof(kFaults[0]) == 16, "one row per listed code");

constexpr FaultEntry kUnknown = {0, "Unknown", "An unknown exception was encountered."};

const FaultEntry& FaultLookup(DWORD code) {
    for (const FaultEntry& e : kFaults)
        if (e.code == code) return e;
    return kUnknown;
}

#define REPORT_HELP                                                                                         \
    "You can help us track down the cause of the problem by [link=" FAULT_REPORT_LINK                       \
    "]submitting[/link] this problem to the developers."
#define REPORT_DETAILS "\n\n[u]Code:[/u] 0x%.8X\n[u]Type:[/u] %hs\n[u]Description:[/u] %hs\n\n" REPORT_HELP

const char kReportFormat[] =
    "The module '%s' of package '%s' (%s) caused the following exception and has been deactivated. You can "
    "reactivate it in the configuration screen." REPORT_DETAILS;

const char kOptionsFormat[] =
    "The options of package '%s' (%s) caused the following exception and have been closed." REPORT_DETAILS;

const char kPackageFaultFormat[] =
    "The package '%s' (%s) caused the following exception in %s and has been unloaded. It is loaded again at "
    "the next start if you load it in the configuration screen." REPORT_DETAILS;

const char kPackageHangFormat[] =
    "The package '%s' (%s) stopped responding in %s and has been unloaded. It is loaded again at the next "
    "start if you load it in the configuration screen.\n\n" REPORT_HELP;

// wvsprintfW writes at most 1024 characters per call.
const int kFormatLimit = 1024;

// Heap text of a narrow format (widened first) and its arguments: wide names
// as %s, the table's narrow texts as %hs.
WCHAR* Format(const char* format, ...) {
    WCHAR wide[kFormatLimit];
    int i = 0;
    do wide[i] = static_cast<unsigned char>(format[i]);
    while (format[i++]);
    WCHAR* text = static_cast<WCHAR*>(MemAlloc((kFormatLimit + 1) * sizeof(WCHAR)));
    if (!text) return nullptr;
    va_list args;
    va_start(args, format);
    wvsprintfW(text, wide, args);
    va_end(args);
    return text;
}

}  // namespace

const char* FaultShortName(DWORD code) { return FaultLookup(code).name; }

const char* FaultDescription(DWORD code) { return FaultLookup(code).description; }

WCHAR* FaultReportText(const WCHAR* moduleName, const WCHAR* packageName, const WCHAR* fileName, DWORD code) {
    // Names come from packages: a long one must not run the text past the
    // formatter's limit, and a bracket in one must not open markup. Each name
    // is cut to a sensible length and brackets shown as parentheses.
    const int kNameMax = 100;
    WCHAR names[3][kNameMax];
    const WCHAR* sources[3] = {moduleName, packageName, fileName};
    for (int i = 0; i < 3; ++i) UbbPlainText(names[i], sources[i], kNameMax);
    return Format(kReportFormat, names[0], names[1], names[2], code, FaultShortName(code), FaultDescription(code));
}

WCHAR* FaultOptionsReportText(const WCHAR* packageName, const WCHAR* fileName, DWORD code) {
    const int kNameMax = 100;
    WCHAR name[kNameMax], file[kNameMax];
    UbbPlainText(name, packageName, kNameMax);
    UbbPlainText(file, fileName, kNameMax);
    return Format(kOptionsFormat, name, file, code, FaultShortName(code), FaultDescription(code));
}

WCHAR* FaultPackageReportText(const WCHAR* packageName, const WCHAR* fileName, const WCHAR* where, DWORD code,
                              bool hung) {
    const int kNameMax = 100;
    WCHAR name[kNameMax], file[kNameMax], call[kNameMax];
    UbbPlainText(name, packageName, kNameMax);
    UbbPlainText(file, fileName, kNameMax);
    UbbPlainText(call, where, kNameMax);
    if (hung) return Format(kPackageHangFormat, name, file, call);
    return Format(kPackageFaultFormat, name, file, call, code, FaultShortName(code), FaultDescription(code));
}
