#include "fake_host.h"

#include "controls/controls.h"

FakeHost* FakeHost::current = nullptr;

namespace {

const wchar_t kBarClass[] = L"SysMonTestBar";
const wchar_t kModuleClass[] = L"SysMonTestModule";
HFONT g_fonts[8];

ModuleRecord* RecordOf(HWND w) { return reinterpret_cast<ModuleRecord*>(GetWindowLongPtrW(w, 0)); }

// Mirrors the host's module window procedure closely enough for a package.
LRESULT CALLBACK ModuleWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    ModuleRecord* r = RecordOf(w);
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        return TRUE;
    case WM_NCDESTROY: SetWindowLongPtrW(w, 0, 0); return TRUE;
    case WM_MOVE:
    case WM_SIZE: RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE); return TRUE;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(w, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    case WM_CREATE: SetTimer(w, TV2_MODULE_TIMER_ID, 1000, nullptr); break;
    case WM_DESTROY: KillTimer(w, TV2_MODULE_TIMER_ID); break;
    }
    if (r && r->descriptor.windowProc) {
        LRESULT res = r->descriptor.windowProc(w, msg, wp, lp);
        if (msg != WM_DESTROY && res) return res;
    }
    if (msg == WM_DESTROY) return 0;
    return DefWindowProcW(w, msg, wp, lp);
}

LRESULT CALLBACK BarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT && FakeHost::current) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        for (auto& m : FakeHost::current->modules) {
            if (!m->window || !IsWindowVisible(m->window)) continue;
            RECT rc;
            GetClientRect(m->window, &rc);
            MapWindowPoints(m->window, w, reinterpret_cast<POINT*>(&rc), 2);
            InflateRect(&rc, 3, 3);
            DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT | BF_MIDDLE);
        }
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

void RegisterClasses() {
    ControlsRegister();  // the host's controls, as start-up registers them
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kBarClass;
    RegisterClassExW(&wc);
    WNDCLASSEXW mc{};
    mc.cbSize = sizeof(mc);
    mc.style = CS_HREDRAW | CS_VREDRAW;
    mc.lpfnWndProc = ModuleWindowProc;
    mc.cbWndExtra = sizeof(void*);
    mc.hInstance = GetModuleHandleW(nullptr);
    mc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    mc.lpszClassName = kModuleClass;
    RegisterClassExW(&mc);
}

// Relative paths hang under the package's or the module's node.
bool Resolve(void* record, const wchar_t* path, std::wstring* out) {
    if (!path) return false;
    if (path[0] == L'/') {
        *out = path + 1;
        return true;
    }
    if (!record) return false;
    DWORD tag = *static_cast<DWORD*>(record);
    if (tag == TV2_PACKAGE_RECORD_TAG) {
        *out = std::wstring(static_cast<PackageRecord*>(record)->fileName) + L"/" + path;
    } else if (tag == TV2_MODULE_RECORD_TAG) {
        auto* m = static_cast<ModuleRecord*>(record);
        *out = std::wstring(m->package->fileName) + L"/" + m->descriptor.name + L"/" + path;
    } else {
        *out = path;
    }
    return true;
}

bool Reserved(const std::wstring& path) {
    size_t slash = path.rfind(L'/');
    std::wstring last = slash == std::wstring::npos ? path : path.substr(slash + 1);
    return !last.empty() && last[0] == L'_';
}

UINT Write(void* record, const wchar_t* path, std::wstring* full) {
    if (!record) return HC_ERR_RECORD;
    if (!path) return HC_ERR_NULL_ARGUMENT;
    if (path[0] == L'/') return HC_ERR_REFUSED;
    if (!Resolve(record, path, full)) return HC_ERR_SETTING;
    if (Reserved(*full)) return HC_ERR_REFUSED;
    return HC_OK;
}

}  // namespace

HFONT WINAPI FakeGetFont(WORD style) {
    if (style > 7) return nullptr;
    if (!g_fonts[style])
        g_fonts[style] = CreateFontW(-11, 0, 0, 0, (style & 1) ? FW_BOLD : FW_NORMAL, (style & 2) != 0, (style & 4) != 0, 0,
                                     DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma");
    return g_fonts[style];
}

void FakeFreeFonts() {
    for (HFONT& f : g_fonts)
        if (f) DeleteObject(f), f = nullptr;
}

void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

UINT WINAPI FakeHostCallback(UINT code, void* record, UINT_PTR a, UINT_PTR b) {
    FakeHost* h = FakeHost::current;
    if (!h) return HC_ERR_REQUEST;
    std::wstring path;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(a);
    switch (code) {
    case HC_REGISTER_MODULE: {
        if (!record || *static_cast<DWORD*>(record) != TV2_PACKAGE_RECORD_TAG) return HC_ERR_RECORD;
        if (!a || !b) return HC_ERR_NULL_ARGUMENT;
        auto r = std::make_unique<ModuleRecord>();
        r->size = TV2_MODULE_RECORD_TAG;
        r->descriptor = *reinterpret_cast<ModuleDescriptor*>(a);
        r->package = static_cast<PackageRecord*>(record);
        ModuleRecord* raw = r.get();
        h->modules.push_back(std::move(r));
        if (h->activateOnRegister) h->Activate(raw);
        *reinterpret_cast<ModuleRecord**>(b) = raw;
        return HC_OK;
    }
    case HC_SET_MODULE_WIDTH: {
        if (!record) return HC_ERR_RECORD;
        auto* r = static_cast<ModuleRecord*>(record);
        r->descriptor.width = static_cast<LONG>(a);
        h->widthCalls.emplace_back(r, static_cast<int>(a));
        h->Layout();
        return HC_OK;
    }
    case HC_MODULE_FROM_WINDOW:
        if (!a || !b) return HC_ERR_NULL_ARGUMENT;
        *reinterpret_cast<UINT_PTR*>(b) = static_cast<UINT_PTR>(GetWindowLongPtrW(reinterpret_cast<HWND>(a), 0));
        return HC_OK;
    case HC_GET_FONT_TABLE: {
        auto* t = reinterpret_cast<TV2FontTable*>(a);
        if (!t || t->size != TV2_FONT_TABLE_SIZE) return HC_ERR_NULL_ARGUMENT;
        t->version = 1;
        t->GetFont = FakeGetFont;
        return HC_OK;
    }
    case HC_PLACE_POPUP: {
        if (!record || *static_cast<DWORD*>(record) != TV2_MODULE_RECORD_TAG) return HC_ERR_RECORD;
        auto* rc = reinterpret_cast<RECT*>(a);
        auto* pt = reinterpret_cast<POINT*>(b);
        if (!rc || !pt) return HC_ERR_NULL_ARGUMENT;
        HWND w = static_cast<ModuleRecord*>(record)->window;
        if (!w || !IsWindowVisible(w)) return HC_ERR_NO_WINDOW;
        ++h->placeCalls;
        ClientToScreen(w, pt);
        RECT bar;
        GetWindowRect(h->bar, &bar);
        OffsetRect(rc, pt->x - rc->left, bar.bottom - rc->top);  // bar at the top: popup under it
        return HC_OK;
    }
    case HC_SETTING_EXISTS:
        if (!text) return 1;
        if (!Resolve(record, text, &path)) return HC_ERR_SETTING;
        return h->settings.count(path) ? 1 : 0;
    case HC_GET_INT:
    case HC_GET_BOOL:
    case HC_GET_STRING: {
        if (!text || !b) return HC_ERR_NULL_ARGUMENT;
        if (code == HC_GET_STRING) *reinterpret_cast<wchar_t**>(b) = nullptr;
        if (!Resolve(record, text, &path)) return HC_ERR_SETTING;
        const FakeSetting* s = h->Get(path);
        if (!s) return HC_ERR_SETTING;
        if (code == HC_GET_STRING) {
            std::wstring v = s->type == FakeSetting::String ? s->text : std::to_wstring(s->number);
            auto* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (v.size() + 1) * sizeof(wchar_t)));
            memcpy(copy, v.c_str(), (v.size() + 1) * sizeof(wchar_t));
            *reinterpret_cast<wchar_t**>(b) = copy;
        } else if (s->type == FakeSetting::String) {
            if (code == HC_GET_BOOL) *reinterpret_cast<DWORD*>(b) = s->text == L"true";
            else *reinterpret_cast<DWORD*>(b) = static_cast<DWORD>(_wtoi(s->text.c_str()));
        } else {
            *reinterpret_cast<DWORD*>(b) = static_cast<DWORD>(s->number);
        }
        return HC_OK;
    }
    case HC_SET_INT:
    case HC_SET_BOOL:
    case HC_SET_STRING:
    case HC_DELETE_SETTING: {
        UINT rc = Write(record, text, &path);
        if (rc != HC_OK) return rc;
        if (code == HC_DELETE_SETTING) return h->settings.erase(path) ? HC_OK : HC_ERR_SETTING;
        if (code == HC_SET_STRING) {
            if (!b) return HC_ERR_SETTING;
            h->SetString(path, reinterpret_cast<const wchar_t*>(b));
        } else if (code == HC_SET_INT) {
            h->SetNumber(path, static_cast<int>(b));
        } else {
            h->SetBool(path, b != 0);
        }
        return HC_OK;
    }
    }
    return HC_OK;
}

FakeHost::FakeHost(int barWidth, bool visible) {
    RegisterClasses();
    current = this;
    bar = CreateWindowExW(WS_EX_TOOLWINDOW, kBarClass, L"bar", WS_POPUP | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0),
                          0, 0, barWidth, 28, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    package.size = TV2_PACKAGE_RECORD_TAG;
    package.fileName = const_cast<wchar_t*>(L"SysMon.dll");
}

FakeHost::~FakeHost() {
    for (auto& m : modules)
        if (m->window) DestroyWindow(m->window), m->window = nullptr;
    if (bar) DestroyWindow(bar);
    if (current == this) current = nullptr;
}

HWND FakeHost::Activate(ModuleRecord* r) {
    r->window = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kModuleClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                0, 0, 0, bar, nullptr, GetModuleHandleW(nullptr), r);
    if (r->descriptor.showOnCreate) ShowWindow(r->window, SW_SHOW);
    r->descriptor.windowProc(r->window, MODULE_MSG_SETTINGS, SETTINGS_LOAD, 0);
    Layout();
    return r->window;
}

void FakeHost::Deactivate(ModuleRecord* r) {
    if (!r->window) return;
    r->descriptor.windowProc(r->window, MODULE_MSG_SETTINGS, SETTINGS_SAVE, 0);
    DestroyWindow(r->window);
    r->window = nullptr;
    Layout();
}

// Left alignment as the host lays modules out: 3 pixels either side.
void FakeHost::Layout() {
    int x = 2;
    for (auto& m : modules) {
        // The bar may be hidden in a test: the module's own visibility counts.
        if (!m->window || !(GetWindowLongW(m->window, GWL_STYLE) & WS_VISIBLE)) continue;
        x += 3;
        SetWindowPos(m->window, nullptr, x, 5, m->descriptor.width, 16, SWP_NOZORDER | SWP_NOACTIVATE);
        x += m->descriptor.width + 3;
    }
    InvalidateRect(bar, nullptr, TRUE);
}

ModuleRecord* FakeHost::Find(const wchar_t* name) const {
    for (auto& m : modules)
        if (wcscmp(m->descriptor.name, name) == 0) return m.get();
    return nullptr;
}

HWND FakeHost::Window(const wchar_t* name) const {
    ModuleRecord* r = Find(name);
    return r ? r->window : nullptr;
}

std::wstring FakeHost::Text(const wchar_t* name) const {
    wchar_t buf[256] = {};
    if (HWND w = Window(name)) SendMessageW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf));
    return buf;
}

int FakeHost::LastWidth(const ModuleRecord* r) const {
    int w = -1;
    for (auto& c : widthCalls)
        if (c.first == r) w = c.second;
    return w;
}

int FakeHost::WidthCallsFor(const ModuleRecord* r) const {
    int n = 0;
    for (auto& c : widthCalls) n += c.first == r;
    return n;
}

void FakeHost::Tick(int times) {
    for (int i = 0; i < times; ++i)
        for (auto& m : modules)
            if (m->window) SendMessageW(m->window, WM_TIMER, TV2_MODULE_TIMER_ID, 0);
}

void FakeHost::SendSettings(WPARAM which) {
    for (auto& m : modules)
        if (m->window) m->descriptor.windowProc(m->window, MODULE_MSG_SETTINGS, which, 0);
}

void FakeHost::SetString(const std::wstring& p, const std::wstring& v) { settings[p] = {FakeSetting::String, 0, v}; }
void FakeHost::SetNumber(const std::wstring& p, int v) { settings[p] = {FakeSetting::Number, v, L""}; }
void FakeHost::SetBool(const std::wstring& p, bool v) { settings[p] = {FakeSetting::Bool, v ? 1 : 0, L""}; }

const FakeSetting* FakeHost::Get(const std::wstring& p) const {
    auto it = settings.find(p);
    return it == settings.end() ? nullptr : &it->second;
}
