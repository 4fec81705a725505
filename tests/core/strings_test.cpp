#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/runtime/res_string.h"
#include "resources/resource_ids.h"

namespace {

// The ids every language carries; anything else must be absent.
std::vector<UINT> KnownIds() {
#define TV2_ID(name) name,
    return {TV2_STRING_IDS(TV2_ID)};
#undef TV2_ID
}

const WORD kLanguages[] = {1033, 1043, 1031};

std::wstring Load(UINT id, WORD lang) {
    WCHAR buf[1024];
    int n = LoadStringLang(nullptr, id, buf, 1024, lang);
    EXPECT_EQ(static_cast<size_t>(n), wcslen(buf)) << "id " << id << " lang " << lang;
    return buf;
}

// The printf conversions of a text, in order ("%%" is no conversion).
std::string Conversions(const std::wstring& s) {
    std::string out;
    for (size_t i = 0; i + 1 < s.size(); i++) {
        if (s[i] != L'%') continue;
        if (s[i + 1] == L'%') {
            i++;
            continue;
        }
        out += static_cast<char>(s[i + 1]);
    }
    return out;
}

// The markup tags of a text, in order.
std::vector<std::wstring> Tags(const std::wstring& s) {
    std::vector<std::wstring> out;
    for (size_t i = s.find(L'['); i != std::wstring::npos; i = s.find(L'[', i + 1)) {
        size_t end = s.find(L']', i);
        if (end == std::wstring::npos) break;
        out.push_back(s.substr(i, end - i + 1));
    }
    return out;
}

size_t Count(const std::wstring& s, const std::wstring& what) {
    size_t n = 0;
    for (size_t i = s.find(what); i != std::wstring::npos; i = s.find(what, i + what.size())) n++;
    return n;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR param) {
    reinterpret_cast<std::set<WORD>*>(param)->insert(lang);
    return TRUE;
}

SIZE BitmapSize(HBITMAP bmp) {
    BITMAP info = {};
    GetObjectW(bmp, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

}  // namespace

TEST(StringTables, EveryKnownIdIsPresentInAllThreeLanguages) {
    std::vector<UINT> ids = KnownIds();
    ASSERT_EQ(92u, ids.size());
    for (WORD lang : kLanguages)
        for (UINT id : ids) EXPECT_FALSE(Load(id, lang).empty()) << "id " << id << " lang " << lang;
}

TEST(StringTables, IdsOutsideTheListAreAbsent) {
    std::vector<UINT> ids = KnownIds();
    std::set<UINT> known(ids.begin(), ids.end());
    for (WORD lang : kLanguages) {
        for (UINT id = 0; id < 400; id++) {
            if (known.count(id)) continue;
            WCHAR buf[64] = L"stale";
            EXPECT_EQ(0, LoadStringLang(nullptr, id, buf, 64, lang)) << "id " << id << " lang " << lang;
            EXPECT_EQ(0, buf[0]) << "id " << id << " lang " << lang;
        }
        for (UINT id : {1000u, 4096u, 65535u}) {
            WCHAR buf[64] = L"stale";
            EXPECT_EQ(0, LoadStringLang(nullptr, id, buf, 64, lang));
            EXPECT_EQ(0, buf[0]);
        }
    }
}

TEST(StringTables, StringOneIsTheLanguagesOwnName) {
    EXPECT_EQ(L"English", Load(1, 1033));
    EXPECT_EQ(L"Nederlands", Load(1, 1043));
    EXPECT_EQ(L"Deutsch", Load(1, 1031));
}

TEST(StringTables, TheLanguagesOfBlockOneAreExactlyTheThree) {
    // The General page builds its language list from this enumeration.
    std::set<WORD> found;
    EnumResourceLanguagesW(nullptr, RT_STRING, MAKEINTRESOURCEW(1), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&found));
    EXPECT_EQ((std::set<WORD>{1031, 1033, 1043}), found);
}

TEST(StringTables, UnknownLanguageGivesNothing) {
    for (UINT id : {1u, 2u, 50u, 231u}) {
        WCHAR buf[64] = L"stale";
        EXPECT_EQ(0, LoadStringLang(nullptr, id, buf, 64, 1036));
        EXPECT_EQ(0, buf[0]);
    }
}

TEST(StringTables, ShortBuffersTruncateAndTerminate) {
    // "Nederlands" has ten characters.
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
    EXPECT_EQ(std::wstring(L"Nederlands"), buf);

    EXPECT_EQ(0, LoadStringLang(nullptr, 1, nullptr, 16, 1043));
}

TEST(StringTables, LoadStrAndGetStrFollowCurrentLanguage) {
    WORD saved = CurrentLanguage;
    WCHAR buf[64];
    CurrentLanguage = 1043;
    EXPECT_EQ(10, LoadStr(1, buf, 64));
    EXPECT_EQ(std::wstring(L"Nederlands"), buf);
    EXPECT_EQ(std::wstring(L"Annuleren"), GetStr(12));
    CurrentLanguage = 1031;
    EXPECT_EQ(std::wstring(L"Deutsch"), GetStr(1));
    EXPECT_EQ(std::wstring(L"Abbrechen"), GetStr(12));
    CurrentLanguage = 1033;
    EXPECT_EQ(std::wstring(L"Cancel"), GetStr(12));
    CurrentLanguage = 1036;
    EXPECT_EQ(std::wstring(), GetStr(12));
    EXPECT_EQ(0, LoadStr(12, buf, 64));
    CurrentLanguage = saved;
}

TEST(StringTables, EnglishTextsThatCodeFormatsOrParses) {
    EXPECT_EQ(L"Are you sure you want to uninstall package [b]%s[/b] (%s) ?", Load(222, 1033));
    EXPECT_EQ(L"Welcome to Tovara2. No modules are loaded at this time. [link=1]Click here to configure "
              L"plugins[/link], or [link=2]open the Help file[/link].",
              Load(50, 1033));
    EXPECT_EQ(L"This is the configuration window of Tovara2. You can change all kinds of settings here.",
              Load(101, 1033));
    EXPECT_EQ(L"Could not create main window.", Load(33, 1033));
    EXPECT_EQ(L"Select &Profile:", Load(102, 1033));
}

TEST(StringTables, TranslationsKeepSpecifiersMarkupAcceleratorsAndName) {
    for (UINT id : KnownIds()) {
        std::wstring en = Load(id, 1033);
        for (WORD lang : {WORD(1043), WORD(1031)}) {
            std::wstring t = Load(id, lang);
            EXPECT_EQ(Conversions(en), Conversions(t)) << "id " << id << " lang " << lang;
            EXPECT_EQ(Tags(en), Tags(t)) << "id " << id << " lang " << lang;
            EXPECT_EQ(Count(en, L"&"), Count(t, L"&")) << "id " << id << " lang " << lang;
            EXPECT_EQ(Count(en, L"Tovara2"), Count(t, L"Tovara2")) << "id " << id << " lang " << lang;
            // An accelerator must mark a letter, not sit at the end.
            size_t amp = t.find(L'&');
            if (amp != std::wstring::npos) {
                EXPECT_LT(amp + 1, t.size()) << "id " << id << " lang " << lang;
                EXPECT_TRUE(IsCharAlphaNumericW(t[amp + 1])) << "id " << id << " lang " << lang;
            }
        }
    }
}

TEST(Resources, IconsLoadInBothSizes) {
    HINSTANCE self = GetModuleHandleW(nullptr);
    for (int id : {32512, 32513}) {
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(nullptr, icon) << id << " at " << size;
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            SIZE s = BitmapSize(info.hbmColor);
            EXPECT_EQ(size, s.cx) << id;
            EXPECT_EQ(size, s.cy) << id;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
        EXPECT_NE(nullptr, LoadIconW(self, MAKEINTRESOURCEW(id)));
    }
}

TEST(Resources, BitmapsLoadWithTheirSizesAndColours) {
    HINSTANCE self = GetModuleHandleW(nullptr);
    struct Expect {
        int id, cx, cy;
    };
    for (Expect e : {Expect{100, 16, 16}, Expect{101, 16, 16}, Expect{102, 620, 37}, Expect{103, 288, 272}}) {
        HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(self, MAKEINTRESOURCEW(e.id), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(nullptr, bmp) << e.id;
        SIZE s = BitmapSize(bmp);
        EXPECT_EQ(e.cx, s.cx) << e.id;
        EXPECT_EQ(e.cy, s.cy) << e.id;
        DeleteObject(bmp);
        bmp = LoadBitmapW(self, MAKEINTRESOURCEW(e.id));
        ASSERT_NE(nullptr, bmp) << e.id;
        DeleteObject(bmp);
    }

    // The pictures are stored compressed; read pixels back to be sure they
    // decode: arrows keep white corners (their transparent colour) around a
    // dark arrow, the header is white where the icon sits, and the About
    // picture's text area is light.
    HDC dc = CreateCompatibleDC(nullptr);
    auto pixel = [&](int id, int x, int y) {
        HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
        HGDIOBJ old = SelectObject(dc, bmp);
        COLORREF c = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteObject(bmp);
        return c;
    };
    auto light = [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 180; };
    for (int id : {100, 101}) {
        EXPECT_EQ(RGB(255, 255, 255), pixel(id, 0, 0)) << id;
        EXPECT_EQ(RGB(255, 255, 255), pixel(id, 15, 15)) << id;
        EXPECT_FALSE(light(pixel(id, 8, 8))) << id;
    }
    EXPECT_EQ(RGB(255, 255, 255), pixel(102, 2, 2));
    EXPECT_TRUE(light(pixel(103, 10, 150)));
    EXPECT_TRUE(light(pixel(103, 100, 266)));
    EXPECT_FALSE(light(pixel(103, 5, 5)));
    DeleteDC(dc);
}

TEST(Resources, ShakeSoundIsAShortWave) {
    HRSRC info = FindResourceW(nullptr, L"SHAKEIT", L"WAVE");
    ASSERT_NE(nullptr, info);
    DWORD size = SizeofResource(nullptr, info);
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info)));
    ASSERT_NE(nullptr, p);
    ASSERT_GT(size, 44u);
    EXPECT_EQ(0, memcmp(p, "RIFF", 4));
    EXPECT_EQ(0, memcmp(p + 8, "WAVEfmt ", 8));
    DWORD byteRate = *reinterpret_cast<const DWORD*>(p + 28);
    ASSERT_GT(byteRate, 0u);
    EXPECT_LT(size, byteRate) << "longer than a second";
}

TEST(Resources, ManifestAsksForCommonControlsSix) {
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, info);
    const char* p = static_cast<const char*>(LockResource(LoadResource(nullptr, info)));
    std::string text(p, SizeofResource(nullptr, info));
    EXPECT_NE(std::string::npos, text.find("name=\"Microsoft.Windows.Tovara2\""));
    EXPECT_NE(std::string::npos, text.find("Tovara2 - A better system monitoring utility"));
    EXPECT_NE(std::string::npos, text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, text.find("publicKeyToken=\"6595b64144ccf1df\""));
}
