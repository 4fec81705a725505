/* Test package, plain C: calls every host-callback code with good and bad
   arguments and writes a "MISMATCH" line into <its DLL path>.log for every
   answer that differs from the published one. Expects
   its module "Cb" to be active (callbacks.dll/Cb/_activated = true) and a
   number _testnum = 77 at the top of the profile. */
#include <stdarg.h>

#include "tovara2_sdk.h"

static HINSTANCE self;
static TV2HostCallback host;
static PackageRecord* package;
static ModuleRecord* cb;
static ModuleRecord* fromCreate;
static int ticks;
static int loadedBeforeReturn;

static void Logf(const char* format, ...) {
    char line[256];
    WCHAR path[MAX_PATH];
    DWORD len, written;
    HANDLE h;
    int n;
    va_list args;
    va_start(args, format);
    n = wvsprintfA(line, format, args);
    va_end(args);
    line[n++] = '\n';
    len = GetModuleFileNameW(self, path, MAX_PATH - 5);
    lstrcpyW(path + len, L".log");
    h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return;
    WriteFile(h, line, n, &written, NULL);
    CloseHandle(h);
}

/* A call whose answer differs from the published one leaves a line. */
static void Check(const char* name, UINT_PTR got, UINT_PTR want) {
    if (got != want) Logf("MISMATCH %s=%lu, published %lu", name, (unsigned long)got, (unsigned long)want);
}

#define S(text) ((UINT_PTR)(text))

static void SettingChecks(void) {
    DWORD v = 0;
    WCHAR* s = (WCHAR*)1;
    Check("set_int_absolute", host(HC_SET_INT, package, S(L"/x"), 1), 4);
    v = 0;
    Check("get_int_host_key", host(HC_GET_INT, package, S(L"/_testnum"), S(&v)), 0);
    Check("get_int_host_key_value", v, 77);
    Check("set_bool_module_activated", host(HC_SET_BOOL, cb, S(L"_activated"), 1), 4);
    Check("set_bool_sub_reserved", host(HC_SET_BOOL, cb, S(L"sub/_x"), 1), 4);
    Check("set_bool_reserved_node", host(HC_SET_BOOL, cb, S(L"_x/sub"), 1), 0);
    Check("set_loaded_package", host(HC_SET_BOOL, package, S(L"_loaded"), 0), 4);
    Check("null_record_get", host(HC_GET_INT, NULL, S(L"a"), S(&v)), 3);
    Check("null_record_set", host(HC_SET_INT, NULL, S(L"a"), 1), 2);
    Check("null_record_exists", host(HC_SETTING_EXISTS, NULL, S(L"a"), 0), 3);
    Check("null_path_exists", host(HC_SETTING_EXISTS, package, 0, 0), 1);
    Check("null_path_get", host(HC_GET_INT, package, 0, S(&v)), 1);
    Check("null_address_get", host(HC_GET_INT, package, S(L"a"), 0), 1);
    Check("set_int", host(HC_SET_INT, package, S(L"val"), 5), 0);
    Check("exists_set", host(HC_SETTING_EXISTS, package, S(L"val"), 0), 1);
    Check("exists_missing", host(HC_SETTING_EXISTS, package, S(L"nope"), 0), 0);
    host(HC_SET_INT, cb, S(L"sub/k"), 9);
    Check("exists_node", host(HC_SETTING_EXISTS, cb, S(L"sub/"), 0), 1);
    Check("get_missing", host(HC_GET_INT, package, S(L"nope"), S(&v)), 3);
    v = 0;
    Check("get_bool_of_int", host(HC_GET_BOOL, package, S(L"val"), S(&v)), 0);
    Check("get_bool_of_int_value", v, 1);
    Check("set_string", host(HC_SET_STRING, cb, S(L"text"), S(L"hello")), 0);
    Check("get_string", host(HC_GET_STRING, cb, S(L"text"), S(&s)), 0);
    Check("get_string_ok", s && lstrcmpW(s, L"hello") == 0, 1);
    if (s) HeapFree(GetProcessHeap(), 0, s);
    s = (WCHAR*)1;
    Check("get_string_missing", host(HC_GET_STRING, cb, S(L"none"), S(&s)), 3);
    Check("get_string_missing_null", s == NULL, 1);
    Check("get_string_of_int", host(HC_GET_STRING, package, S(L"val"), S(&s)), 0);
    Check("get_string_of_int_ok", s && lstrcmpW(s, L"5") == 0, 1);
    if (s) HeapFree(GetProcessHeap(), 0, s);
    host(HC_SET_INT, package, S(L"del"), 1);
    Check("delete", host(HC_DELETE_SETTING, package, S(L"del"), 0), 0);
    Check("delete_again", host(HC_DELETE_SETTING, package, S(L"del"), 0), 3);
    Check("delete_reserved", host(HC_DELETE_SETTING, package, S(L"_loaded"), 0), 4);
    Check("delete_absolute", host(HC_DELETE_SETTING, package, S(L"/a"), 0), 4);
    Check("delete_null_record", host(HC_DELETE_SETTING, NULL, S(L"a"), 0), 2);
    Check("delete_null_path", host(HC_DELETE_SETTING, package, 0, 0), 1);
    host(HC_SET_INT, package, S(L"gone/k"), 1);
    Check("delete_node", host(HC_DELETE_SETTING, package, S(L"gone/"), 0), 0);
    Check("delete_node_exists", host(HC_SETTING_EXISTS, package, S(L"gone/"), 0), 0);
    Check("set_kept", host(HC_SET_STRING, cb, S(L"kept"), S(L"yes")), 0);
}

static void ModuleChecks(void) {
    DWORD iface = 0, hostVersion = 0, data = 0;
    ModuleDescriptor d, copy;
    ModuleRecord* tmp = NULL;
    RECT r;
    POINT pt;
    UINT_PTR found = 0;
    Check("version_both_null", host(HC_GET_VERSION, NULL, 0, 0), 1);
    Check("version_only_host", host(HC_GET_VERSION, NULL, 0, S(&hostVersion)), 0);
    Check("version_host", hostVersion, 262146);
    host(HC_GET_VERSION, NULL, S(&iface), 0);
    Check("version_interface", iface, 65536);

    Check("from_window_null", host(HC_MODULE_FROM_WINDOW, NULL, 0, S(&found)), 1);
    Check("from_window", host(HC_MODULE_FROM_WINDOW, NULL, S(cb->window), S(&found)), 0);
    Check("from_window_matches", found == (UINT_PTR)cb, 1);
    Check("from_create_matches", fromCreate == cb, 1);

    Check("user_data", host(HC_GET_USER_DATA, cb, S(&data), 0), 0);
    Check("user_data_value", data, 4242);
    Check("user_data_null", host(HC_GET_USER_DATA, cb, 0, 0), 1);
    Check("user_data_null_record", host(HC_GET_USER_DATA, NULL, S(&data), 0), 2);
    Check("width_null_record", host(HC_SET_MODULE_WIDTH, NULL, 50, 0), 2);
    Check("width_package_record", host(HC_SET_MODULE_WIDTH, package, 50, 0), 2);
    Check("width", host(HC_SET_MODULE_WIDTH, cb, 77, 0), 0);
    Check("descriptor_null", host(HC_GET_DESCRIPTOR, cb, 0, 0), 1);
    Check("descriptor_null_record", host(HC_GET_DESCRIPTOR, NULL, S(&copy), 0), 2);
    Check("descriptor", host(HC_GET_DESCRIPTOR, cb, S(&copy), 0), 0);
    Check("descriptor_width", copy.width, 77);
    Check("descriptor_own_word", copy.reserved, 20817);
    Check("descriptor_own_bytes", copy.name[100] == 0x1234, 1);

    Check("hide", host(HC_SHOW_MODULE, cb, 0, 0), 0);
    SetRect(&r, 1, 2, 101, 52);
    pt.x = 3;
    pt.y = 4;
    Check("popup_hidden", host(HC_PLACE_POPUP, cb, S(&r), S(&pt)), 5);
    Check("popup_hidden_untouched", r.left == 1 && r.top == 2 && r.right == 101 && r.bottom == 52 && pt.x == 3 && pt.y == 4, 1);
    Check("show", host(HC_SHOW_MODULE, cb, 1, 0), 0);
    Check("popup_null", host(HC_PLACE_POPUP, cb, 0, S(&pt)), 1);
    Check("popup_package_record", host(HC_PLACE_POPUP, package, S(&r), S(&pt)), 2);
    Check("popup", host(HC_PLACE_POPUP, cb, S(&r), S(&pt)), 0);
    Check("popup_size_kept", r.right - r.left == 100 && r.bottom - r.top == 50, 1);

    Check("activate_active", host(HC_ACTIVATE_MODULE, cb, 1, 0), 99);
    Check("deactivate", host(HC_ACTIVATE_MODULE, cb, 0, 0), 0);
    Check("deactivate_inactive", host(HC_ACTIVATE_MODULE, cb, 0, 0), 99);
    Check("popup_inactive", host(HC_PLACE_POPUP, cb, S(&r), S(&pt)), 5);
    Check("activate", host(HC_ACTIVATE_MODULE, cb, 1, 0), 0);
    Check("activate_null", host(HC_ACTIVATE_MODULE, NULL, 1, 0), 2);

    ZeroMemory(&d, sizeof(d));
    lstrcpyW(d.name, L"Tmp");
    d.width = 10;
    Check("register_null_descriptor", host(HC_REGISTER_MODULE, package, 0, S(&tmp)), 1);
    Check("register_null_address", host(HC_REGISTER_MODULE, package, S(&d), 0), 1);
    Check("register_null_package", host(HC_REGISTER_MODULE, NULL, S(&d), S(&tmp)), 2);
    Check("register_tmp", host(HC_REGISTER_MODULE, package, S(&d), S(&tmp)), 0);
    Check("register_tmp_tag", tmp ? tmp->size : 0, 268);
    Check("unregister_tmp", host(HC_UNREGISTER_MODULE, tmp, 0, 0), 0);
    Check("unregister_tmp_again", host(HC_UNREGISTER_MODULE, tmp, 0, 0), 2);
    Check("unregister_null", host(HC_UNREGISTER_MODULE, NULL, 0, 0), 2);

    /* A name that fills its whole field, with no terminator before the
       window procedure: it is cut there. */
    ZeroMemory(&d, sizeof(d));
    {
        int i;
        for (i = 0; i < TV2_MODULE_NAME_CHARS; i++) d.name[i] = L'A';
    }
    d.width = 10;
    tmp = NULL;
    Check("register_long_name", host(HC_REGISTER_MODULE, package, S(&d), S(&tmp)), 0);
    Check("long_name_set", host(HC_SET_INT, tmp, S(L"long"), 118), 0);
}

static void TableChecks(void) {
    TV2FontTable fonts;
    TV2XmlAccessTable xml, again;
    TV2XmlDocument* doc;
    TV2XmlElement* root;
    TV2XmlDocument* back;
    WCHAR path[MAX_PATH], value[32];
    DWORD len;
    HANDLE h;

    fonts.size = 11;
    fonts.version = 0xAA;
    Check("font_table_wrong_size", host(HC_GET_FONT_TABLE, NULL, S(&fonts), 0), 1);
    Check("font_table_untouched", fonts.version == 0xAA, 1);
    fonts.size = TV2_FONT_TABLE_SIZE;
    Check("font_table", host(HC_GET_FONT_TABLE, NULL, S(&fonts), 0), 0);
    Check("font_table_version", fonts.version, 1);
    Check("font_bold", fonts.GetFont(TV2_FONT_BOLD) != NULL, 1);
    Check("font_style_8", fonts.GetFont(8) == NULL, 1);

    FillMemory(&xml, sizeof(xml), 0xAB);
    xml.size = TV2_XML_TABLE_SIZE - 1;
    Check("xml_table_small", host(HC_GET_XML_TABLE, NULL, S(&xml), 0), 8);
    Check("xml_table_small_untouched", xml.version == 0xABABABAB, 1);
    xml.size = TV2_XML_TABLE_SIZE + 1;
    Check("xml_table_large", host(HC_GET_XML_TABLE, NULL, S(&xml), 0), 8);
    xml.size = TV2_XML_TABLE_SIZE;
    Check("xml_table", host(HC_GET_XML_TABLE, NULL, S(&xml), 0), 0);
    Check("xml_table_version", xml.version, 1);
    again.size = TV2_XML_TABLE_SIZE;
    host(HC_GET_XML_TABLE, NULL, S(&again), 0);
    Check("xml_table_same", memcmp(&xml, &again, sizeof(xml)) == 0, 1);

    doc = (TV2XmlDocument*)xml.XmlCreateNode(TV2_XML_DOCUMENT);
    root = (TV2XmlElement*)xml.XmlCreateNode(TV2_XML_ELEMENT);
    root->name = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, 16 * sizeof(WCHAR));
    lstrcpyW(root->name, L"probe");
    xml.XmlAddAttribute(root, L"answer", L"42");
    xml.XmlSetRoot(doc, root);
    len = GetModuleFileNameW(self, path, MAX_PATH - 5);
    lstrcpyW(path + len, L".xml");
    h = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    xml.XmlWriteDocument((TV2XmlNode*)doc, h);
    CloseHandle(h);
    xml.XmlFreeNode((TV2XmlNode*)doc);
    back = xml.XmlLoadFile(path);
    Check("xml_load", back != NULL, 1);
    if (back) {
        root = xml.XmlGetRoot(back);
        Check("xml_root_name", root && lstrcmpW(root->name, L"probe") == 0, 1);
        value[0] = 0;
        xml.XmlGetAttributeValue(root, L"answer", value, 32);
        Check("xml_attribute", lstrcmpW(value, L"42") == 0, 1);
        xml.XmlFreeNode((TV2XmlNode*)back);
    }
    Check("xml_parse_error", xml.XmlParseText(L"<a></b>") == NULL, 1);
    Check("xml_parse_error_code", (UINT_PTR)xml.XmlGetLastError(), 4);
    Check("unknown_code", host(0x9999, package, 1, 2), 0);
}

static DWORD WINAPI OwnThread(void* unused) {
    Check("thread_hide", host(HC_SHOW_MODULE, cb, 0, 0), 0);
    Check("thread_hidden", !IsWindowVisible(cb->window), 1);
    Check("thread_show", host(HC_SHOW_MODULE, cb, 1, 0), 0);
    return 0;
}

static LRESULT CALLBACK CbProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CREATE && !fromCreate) {
        UINT_PTR found = 0;
        host(HC_MODULE_FROM_WINDOW, NULL, S(w), S(&found));
        fromCreate = (ModuleRecord*)found;
        Check("create_before_return", cb == NULL, 1);
    }
    if (msg == MODULE_MSG_SETTINGS && wp == SETTINGS_LOAD && !cb) loadedBeforeReturn = 1;
    if (msg == WM_TIMER && wp == TV2_MODULE_TIMER_ID && ++ticks == 1) {
        /* On the host's plug-in thread: requests run inline. */
        Check("timer_width", host(HC_SET_MODULE_WIDTH, cb, 66, 0), 0);
        Check("timer_hide", host(HC_SHOW_MODULE, cb, 0, 0), 0);
        Check("timer_show", host(HC_SHOW_MODULE, cb, 1, 0), 0);
        Logf("timer_done");
    }
    return 0;
}

__declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    static const PackageInfo info = {L"Callbacks", L"Tovara2 tests", L"https://example.invalid/cb"};
    switch (message) {
    case PKG_GET_INFO:
        return (UINT_PTR)&info;
    case PKG_INIT: {
        ModuleDescriptor d;
        HANDLE t;
        package = (PackageRecord*)arg1;
        host = (TV2HostCallback)arg2;
        ZeroMemory(&d, sizeof(d));
        lstrcpyW(d.name, L"Cb");
        d.name[100] = 0x1234; /* the package's own bytes after the name */
        d.windowProc = CbProc;
        d.width = 40;
        d.userData = 4242;
        d.showOnCreate = 1;
        d.reserved = 0x5151;
        Check("register", host(HC_REGISTER_MODULE, package, S(&d), S(&cb)), 0);
        Check("register_active", cb && cb->window != NULL, 1);
        Check("settings_load_before_return", loadedBeforeReturn, 1);
        if (!cb || !cb->window) return 1;
        SettingChecks();
        ModuleChecks();
        TableChecks();
        t = CreateThread(NULL, 0, OwnThread, NULL, 0, NULL);
        WaitForSingleObject(t, 10000);
        CloseHandle(t);
        Logf("init_done");
        return 1;
    }
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* unused) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}
