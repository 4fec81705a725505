#pragma once
// What the user is told when a module faults: the exception table and the
// text of the report. Pure functions, no state.
#include <windows.h>

// The page on which users report problems to the developers.
#define FAULT_REPORT_LINK "https://tovara2.example.org/issues"

// Constant English texts (the same in every language, ASCII) for an exception
// code; codes outside the table get "Unknown" / "An unknown exception was
// encountered."
const char* FaultShortName(DWORD code);
const char* FaultDescription(DWORD code);

// The report as markup for the message box; heap text owned by the caller
// (MemFree). Null names are shown empty.
WCHAR* FaultReportText(const WCHAR* moduleName, const WCHAR* packageName, const WCHAR* fileName, DWORD code);

// The report of a package whose options (the windows it made in the
// configuration window's options panel) faulted; heap text as above.
WCHAR* FaultOptionsReportText(const WCHAR* packageName, const WCHAR* fileName, DWORD code);

// The report of a package that faulted (or, with hung, stopped responding)
// in its entry point or one of its modules; where says in which call.
WCHAR* FaultPackageReportText(const WCHAR* packageName, const WCHAR* fileName, const WCHAR* where, DWORD code,
                              bool hung);

// The message box's title and header lines.
#define FAULT_REPORT_TITLE L"Tovara2 - Error"
#define FAULT_REPORT_HEADER L"An exception in one of Tovara2's modules was encountered."
#define FAULT_PACKAGE_HEADER L"An exception in one of Tovara2's packages was encountered."
#define FAULT_HANG_HEADER L"One of Tovara2's packages stopped responding."
