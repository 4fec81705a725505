// The runtime floor: the pointer array, and the string tables and other
// resources every window reads.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/runtime/art.h"
#include "core/runtime/ptr_array.h"
#include "core/runtime/res_string.h"
#include "resources/resource_ids.h"

namespace {
void* P(INT_PTR v) { return reinterpret_cast<void*>(v); }
int ByValue(const void* a, const void* b) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(a) - reinterpret_cast<INT_PTR>(b));
}
int ByTens(const void* a, const void* b) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(a) / 10 - reinterpret_cast<INT_PTR>(b) / 10);
}

std::wstring Load(UINT id, WORD lang) {
    WCHAR buf[1024];
    LoadStringLang(nullptr, id, buf, 1024, lang);
    return buf;
}
// What a translation must keep: printf conversions, markup tags, the
// accelerator count and the program's name.
std::wstring Shape(const std::wstring& s) {
    std::wstring shape;
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == L'%' && i + 1 < s.size()) shape += s.substr(i, 2), i++;
        if (s[i] == L'[') shape += s.substr(i, s.find(L']', i) - i + 1);
        if (s[i] == L'&') shape += L'&';
        if (s.compare(i, 7, L"Tovara2") == 0) shape += L"T";
    }
    return shape;
}
}  // namespace

TEST(PtrArray, GrowsInStepsOf16AndKeepsItsOrder) {
    PtrArray* a = PtrArrayCreate();
    EXPECT_EQ(16u, a->capacity);
    for (int i = 0; i < 15; i++) PtrArrayAdd(a, P(i));
    EXPECT_EQ(16u, a->capacity);
    PtrArrayAdd(a, P(15));
    EXPECT_EQ(32u, a->capacity);
    PtrArrayRemoveAt(a, 0);
    EXPECT_EQ(16u, a->capacity);
    EXPECT_EQ(P(15), PtrArrayGet(a, 14));
    EXPECT_EQ(nullptr, PtrArrayGet(a, 15));
    PtrArrayRemoveAt(a, 15);  // out of range: nothing
    PtrArrayRemove(nullptr, P(7));
    PtrArrayAdd(a, P(1));
    PtrArrayRemove(a, P(1));  // the first of two equal items
    EXPECT_EQ(15u, PtrArrayCount(a));
    EXPECT_EQ(P(2), PtrArrayGet(a, 0));
    EXPECT_EQ(P(1), PtrArrayGet(a, 14));
    PtrArrayDestroy(a);
}

TEST(PtrArray, SortedInsertIsStableAndSortOrdersAnyInput) {
    PtrArray* a = PtrArrayCreate();
    PtrArrayAdd(a, P(50));
    PtrArrayAdd(a, P(51));
    EXPECT_EQ(2u, PtrArrayAddSorted(a, P(52), ByTens)) << "after the equal ones";
    EXPECT_EQ(0u, PtrArrayAddSorted(a, P(10), ByTens));
    EXPECT_EQ(4u, PtrArrayAddSorted(a, P(90), ByTens));
    EXPECT_EQ(P(52), PtrArrayGet(a, 3));
    unsigned seed = 12345;
    for (int round = 0; round < 50; round++) {
        while (PtrArrayCount(a)) PtrArrayRemoveAt(a, 0);
        for (int i = round * 7 % 97; i > 0; i--) PtrArrayAdd(a, P((seed = seed * 1103515245 + 12345) >> 16 & 63));
        PtrArraySort(a, ByValue);
        for (UINT i = 1; i < PtrArrayCount(a); i++) ASSERT_LE(ByValue(PtrArrayGet(a, i - 1), PtrArrayGet(a, i)), 0);
    }
    PtrArrayDestroy(a);
}

TEST(StringTables, TheThreeLanguagesCarryTheSameTextsInTheirShape) {
    std::set<WORD> languages;
    EnumResourceLanguagesW(
        nullptr, RT_STRING, MAKEINTRESOURCEW(1),
        [](HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR p) {
            reinterpret_cast<std::set<WORD>*>(p)->insert(lang);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ((std::set<WORD>{1031, 1033, 1043}), languages) << "the General page lists these";
#define TV2_ID(name) name,
    const std::set<UINT> known = {TV2_STRING_IDS(TV2_ID)};
#undef TV2_ID
    for (UINT id = 0; id < 1024; id++) {
        std::wstring en = Load(id, 1033);
        EXPECT_EQ(known.count(id) == 0, en.empty()) << "id " << id << ": every named id and no other";
        for (WORD lang : {1043, 1031}) {
            std::wstring t = Load(id, lang);
            EXPECT_EQ(en.empty(), t.empty()) << "id " << id << " lang " << lang;
            EXPECT_EQ(Shape(en), Shape(t)) << "id " << id << " lang " << lang;
            size_t amp = t.find(L'&');
            if (amp != std::wstring::npos) EXPECT_TRUE(amp + 1 < t.size() && IsCharAlphaNumericW(t[amp + 1])) << id;
        }
    }
    EXPECT_EQ(L"English", Load(1, 1033));
    EXPECT_EQ(L"Nederlands", Load(1, 1043));
    EXPECT_EQ(L"Deutsch", Load(1, 1031));
}

TEST(StringTables, LoadingTruncatesTerminatesAndFollowsTheLanguage) {
    WCHAR buf[16];
    wmemset(buf, L'#', 16);
    EXPECT_EQ(5, LoadStringLang(nullptr, 1, buf, 6, 1043));
    EXPECT_EQ(std::wstring(L"Neder"), buf);
    EXPECT_EQ(L'#', buf[6]);
    wmemset(buf, L'#', 16);
    EXPECT_EQ(0, LoadStringLang(nullptr, 1, buf, 1, 1043));
    EXPECT_EQ(0, buf[0]);
    EXPECT_EQ(L'#', buf[1]);
    EXPECT_EQ(10, LoadStringLang(nullptr, 1, buf, 11, 1043));
    EXPECT_EQ(0, LoadStringLang(nullptr, 1, nullptr, 16, 1043));
    for (UINT id : {1u, 50u, 4096u, 65535u}) {
        wcscpy(buf, L"stale");
        EXPECT_EQ(0, LoadStringLang(nullptr, id, buf, 16, id == 1 || id == 50 ? 1036 : 1033)) << id;
        EXPECT_EQ(0, buf[0]);
    }
    WORD saved = CurrentLanguage;
    CurrentLanguage = 1031;
    EXPECT_EQ(std::wstring(L"Abbrechen"), GetStr(12));
    CurrentLanguage = 1043;
    EXPECT_EQ(10, LoadStr(1, buf, 16));
    CurrentLanguage = 1036;
    EXPECT_EQ(std::wstring(), GetStr(12));
    CurrentLanguage = saved;
}

TEST(Resources, IconsPicturesSoundAndManifestLoad) {
    HINSTANCE self = GetModuleHandleW(nullptr);
    for (int id : {IDI_TOVARA2, IDI_TOVARA2_ERROR})
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
            EXPECT_TRUE(icon) << id << " at " << size;
            DestroyIcon(icon);
        }
    // Stored compressed: the arrows' corners decode to their white key colour
    // around a dark arrow.
    HDC dc = CreateCompatibleDC(nullptr);
    for (int id : {IDB_ARROW_LEFT, IDB_ARROW_RIGHT, IDB_CONFIG_HEADER, IDB_ABOUT}) {
        HBITMAP bmp = ArtLoadBitmap(id);
        ASSERT_TRUE(bmp) << id;
        HGDIOBJ old = SelectObject(dc, bmp);
        if (id <= IDB_ARROW_RIGHT) EXPECT_TRUE(GetPixel(dc, 15, 15) == RGB(255, 255, 255) && GetPixel(dc, 8, 8) != RGB(255, 255, 255));
        SelectObject(dc, old);
        DeleteObject(bmp);
    }
    DeleteDC(dc);
    HRSRC wave = FindResourceW(nullptr, IDR_SHAKEIT_NAME, L"WAVE");
    ASSERT_NE(nullptr, wave);
    const BYTE* w = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, wave)));
    EXPECT_EQ(0, memcmp(w + 8, "WAVEfmt ", 8));
    EXPECT_LT(SizeofResource(nullptr, wave), *reinterpret_cast<const DWORD*>(w + 28)) << "shorter than a second";
    HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, manifest);
    std::string text(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))), SizeofResource(nullptr, manifest));
    EXPECT_NE(std::string::npos, text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
}
