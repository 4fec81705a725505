// The anchors of the settings benches, one operation per process:
//   msxml_anchor load FILE       MSXML3 IXMLDOMDocument::load(FILE)
//   msxml_anchor loadxml FILE    MSXML3 loadXML of FILE's text, read beforehand
//   msxml_anchor save FILE OUT   MSXML3 save(OUT) of FILE, loaded beforehand
//   msxml_anchor read FILE       floor: CreateFile/ReadFile of FILE and one copy
// It prints the milliseconds of that operation alone: process start-up, COM
// start-up and creating the DOMDocument come before the clock starts. Only
// MSXML3 is ever created here: under Wine a process that has used MSXML6
// makes MSXML3 several times faster, so the two must never meet in one
// process.
#include <windows.h>
#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstring>
#include <vector>

#include "bench/common/bench_child.h"
#include "bench/common/bench_report.h"

namespace {
// "Msxml2.DOMDocument.3.0"; spelt out because MinGW's import libraries lack it.
const CLSID kDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
const IID kIXMLDOMDocument = {0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

std::vector<char> ReadWhole(const wchar_t* path) {
    std::vector<char> bytes;
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
    bytes.resize(got);
    CloseHandle(h);
    return bytes;
}

VARIANT PathVariant(const wchar_t* path) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(path);
    return v;
}

int Floor(const wchar_t* path) {
    double t0 = BenchNow();
    std::vector<char> bytes = ReadWhole(path);
    std::vector<char> copy(bytes.size());
    if (!bytes.empty()) std::memcpy(copy.data(), bytes.data(), bytes.size());
    double t1 = BenchNow();
    if (bytes.empty() || copy.back() != bytes.back()) return 2;
    BenchPrintMs(t1 - t0);
    return 0;
}

int Msxml(int argc, wchar_t** argv) {
    const wchar_t* mode = argv[1];
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument,
                                reinterpret_cast<void**>(&doc))))
        return 3;
    doc->put_async(VARIANT_FALSE);
    VARIANT_BOOL ok = VARIANT_FALSE;
    VARIANT file = PathVariant(argv[2]);
    double ms = -1;
    if (!lstrcmpW(mode, L"load")) {
        double t0 = BenchNow();
        HRESULT hr = doc->load(file, &ok);
        ms = BenchNow() - t0;
        if (FAILED(hr)) ok = VARIANT_FALSE;
    } else if (!lstrcmpW(mode, L"loadxml")) {
        std::vector<char> bytes = ReadWhole(argv[2]);
        const wchar_t* text = reinterpret_cast<const wchar_t*>(bytes.data());
        UINT units = static_cast<UINT>(bytes.size() / 2);
        if (units && text[0] == 0xFEFF) text++, units--;
        BSTR b = SysAllocStringLen(text, units);
        double t0 = BenchNow();
        HRESULT hr = doc->loadXML(b, &ok);
        ms = BenchNow() - t0;
        if (FAILED(hr)) ok = VARIANT_FALSE;
        SysFreeString(b);
    } else if (!lstrcmpW(mode, L"save") && argc > 3) {
        if (SUCCEEDED(doc->load(file, &ok)) && ok == VARIANT_TRUE) {
            VARIANT out = PathVariant(argv[3]);
            double t0 = BenchNow();
            HRESULT hr = doc->save(out);
            ms = BenchNow() - t0;
            if (FAILED(hr)) ok = VARIANT_FALSE;
            VariantClear(&out);
        }
    }
    VariantClear(&file);
    doc->Release();
    if (ok != VARIANT_TRUE || ms < 0) return 4;
    BenchPrintMs(ms);
    return 0;
}
}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 1;
    if (!lstrcmpW(argv[1], L"read")) return Floor(argv[2]);
    CoInitialize(nullptr);
    int code = Msxml(argc, argv);
    CoUninitialize();
    return code;
}
