// Parse throughput of XmlParseText on settings-shaped documents, against two
// baselines on the same text: copying it in memory (the floor) and MSXML's
// DOM (IXMLDOMDocument::loadXML). Also times XmlWriteDocument to a file.
#include <windows.h>
#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/runtime/memory.h"
#include "settings/xml.h"

namespace {

// MinGW's import libraries lack some of these ids, so they are spelt out.
const CLSID kDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
const CLSID kDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
const CLSID kDomDocument = {0xf6d90f11, 0x9c73, 0x11d3, {0xb3, 0x2e, 0x00, 0xc0, 0x4f, 0x99, 0x0b, 0xb4}};
const IID kIXMLDOMDocument = {0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// A settings file of about `settings` settings: profiles holding nodes of
// packages, modules and their settings, as the store writes it.
std::wstring MakeSettingsDocument(int settings) {
    std::wstring s = L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n";
    int made = 0, profile = 0;
    wchar_t line[256];
    while (made < settings) {
        swprintf(line, 256, L"\t<profile name=\"Profile %d\">\r\n", profile++);
        s += line;
        s += L"\t\t<setting name=\"_alignment\" type=\"string\">left</setting>\r\n";
        s += L"\t\t<setting name=\"_language\" type=\"num\">1033</setting>\r\n";
        made += 2;
        for (int pkg = 0; pkg < 10 && made < settings; pkg++) {
            swprintf(line, 256, L"\t\t<node name=\"Package%d.dll\">\r\n", pkg);
            s += line;
            s += L"\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n";
            made++;
            for (int mod = 0; mod < 5 && made < settings; mod++) {
                swprintf(line, 256, L"\t\t\t<node name=\"Module%d\">\r\n", mod);
                s += line;
                s += L"\t\t\t\t<setting name=\"_activated\" type=\"bool\">true</setting>\r\n";
                made++;
                for (int k = 0; k < 8 && made < settings; k++, made++) {
                    swprintf(line, 256,
                             L"\t\t\t\t<setting name=\"key%d\" type=\"string\">value &amp; text %d</setting>\r\n", k,
                             made);
                    s += line;
                }
                s += L"\t\t\t</node>\r\n";
            }
            s += L"\t\t</node>\r\n";
        }
        s += L"\t</profile>\r\n";
    }
    s += L"</Tovara2>\r\n";
    return s;
}

// Best time of several runs of f, each run repeated until it lasts a while.
template <class F>
double BestSeconds(F f, int minRuns = 5) {
    double best = 1e30;
    for (int run = 0; run < minRuns; run++) {
        int reps = 0;
        double start = Now(), elapsed;
        do {
            f();
            reps++;
            elapsed = Now() - start;
        } while (elapsed < 0.2);
        best = std::min(best, elapsed / reps);
    }
    return best;
}

struct Msxml {
    IXMLDOMDocument* doc = nullptr;
    const char* name = "";
    bool Open() {
        static const struct {
            const CLSID* clsid;
            const char* name;
        } kinds[] = {{&kDomDocument60, "msxml6"}, {&kDomDocument30, "msxml3"}, {&kDomDocument, "msxml2"}};
        for (const auto& k : kinds) {
            if (SUCCEEDED(CoCreateInstance(*k.clsid, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument,
                                           reinterpret_cast<void**>(&doc)))) {
                name = k.name;
                doc->put_async(VARIANT_FALSE);
                return true;
            }
        }
        return false;
    }
    bool Load(BSTR text) {
        VARIANT_BOOL ok = VARIANT_FALSE;
        return SUCCEEDED(doc->loadXML(text, &ok)) && ok == VARIANT_TRUE;
    }
    ~Msxml() {
        if (doc) doc->Release();
    }
};

}  // namespace

int main() {
    CoInitialize(nullptr);
    Msxml msxml;
    bool haveMsxml = msxml.Open();
    if (!haveMsxml) std::printf("MSXML: not available under this Wine (CoCreateInstance failed); skipped\n");
    else std::printf("MSXML: %s DOMDocument\n", msxml.name);

    {
        // What one small heap block costs here: the parser's main expense.
        const int n = 200000;
        std::vector<void*> blocks(n);
        double start = Now();
        for (int i = 0; i < n; i++) blocks[i] = MemAlloc(16 + (i & 31));
        for (int i = 0; i < n; i++) MemFree(blocks[i]);
        std::printf("heap: %.0f ns per MemAlloc + MemFree of a small block\n", (Now() - start) * 1e9 / n);
    }
    std::printf("%9s %9s | %10s %10s %10s | %8s %8s | %10s\n", "settings", "KB", "copy MB/s", "Xml MB/s",
                "MSXML MB/s", "Xml/copy", "Xml/MSXML", "write MB/s");
    for (int settings : {1000, 10000, 100000}) {
        std::wstring text = MakeSettingsDocument(settings);
        size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);

        std::vector<wchar_t> copy(text.size() + 1);
        double tCopy = BestSeconds([&] {
            std::memcpy(copy.data(), text.c_str(), bytes);
            // Keep the copy observable so it is not optimised away.
            if (copy[text.size() / 2] == 0xFFFF) std::printf("!");
        });

        LONG live = MemLiveBlocks();
        XmlDocument* check = XmlParseText(text.c_str());
        if (!check) {
            std::printf("XmlParseText failed: %d\n", XmlGetLastError());
            return 1;
        }
        double tParse = BestSeconds([&] {
            XmlDocument* d = XmlParseText(text.c_str());
            XmlFreeNode(d);
        });
        // Parse alone, without freeing the tree, for comparison.
        double tParseOnly = 1e30;
        for (int run = 0; run < 5; run++) {
            double start = Now();
            XmlDocument* d = XmlParseText(text.c_str());
            tParseOnly = std::min(tParseOnly, Now() - start);
            XmlFreeNode(d);
        }

        wchar_t path[MAX_PATH];
        GetTempPathW(MAX_PATH, path);
        lstrcatW(path, L"bench_xml_parse.xml");
        double tWrite = BestSeconds([&] {
            HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            XmlWriteDocument(check, h);
            CloseHandle(h);
        });
        DeleteFileW(path);
        XmlFreeNode(check);
        if (MemLiveBlocks() != live) std::printf("leak: %ld blocks\n", MemLiveBlocks() - live);

        double tMsxml = 0;
        if (haveMsxml) {
            BSTR b = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
            if (!msxml.Load(b)) std::printf("MSXML loadXML failed on %d settings\n", settings);
            else tMsxml = BestSeconds([&] { msxml.Load(b); }, 3);
            SysFreeString(b);
        }

        double copyRate = mb / tCopy, parseRate = mb / tParse, msxmlRate = tMsxml > 0 ? mb / tMsxml : 0;
        std::printf("%9d %9.0f | %10.0f %10.1f %10.1f | %8.3f %8.2f | %10.1f\n", settings, bytes / 1024.0,
                    copyRate, parseRate, msxmlRate, parseRate / copyRate, msxmlRate > 0 ? parseRate / msxmlRate : 0.0,
                    mb / tWrite);
        std::printf("%9s %9s   parse without freeing: %.1f MB/s\n", "", "", mb / tParseOnly);
    }
    CoUninitialize();
    return 0;
}
