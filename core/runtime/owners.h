#pragma once
// Small owners so that every path, early returns included, gives back what it
// took. Handles owned elsewhere (cached fonts, a control's image) stay plain.
#include <windows.h>

// A memory or screen-compatible DC made with CreateCompatibleDC.
class ScopedMemDC {
public:
    explicit ScopedMemDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemDC() {
        if (dc_) DeleteDC(dc_);
    }
    ScopedMemDC(const ScopedMemDC&) = delete;
    ScopedMemDC& operator=(const ScopedMemDC&) = delete;
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// A window DC from GetDC, released with ReleaseDC.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
    ~ScopedPaint() { EndPaint(window_, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    operator HDC() const { return dc_; }
    const PAINTSTRUCT& info() const { return ps_; }

private:
    HWND window_;
    HDC dc_;
    PAINTSTRUCT ps_;
};

// A GDI object this code made and must delete.
template <typename T>
class GdiObject {
public:
    explicit GdiObject(T object = nullptr) : object_(object) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void reset(T object = nullptr) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }
    T release() {
        T o = object_;
        object_ = nullptr;
        return o;
    }
    T get() const { return object_; }
    operator T() const { return object_; }

private:
    T object_;
};

// Selects an object into a DC and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectScope() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A named mutex taken at construction (created initially owned). busy() is
// true when the mutex existed already: somebody else holds it and this owner
// holds nothing. Otherwise it is released and closed at destruction, on the
// thread that took it. A null name, or a mutex that cannot be made at all,
// is never busy: the caller goes on as if it held it.
class MutexOwner {
public:
    explicit MutexOwner(const WCHAR* name) {
        if (!name) return;
        h_ = CreateMutexW(nullptr, TRUE, name);
        if (h_ && GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(h_);
            h_ = nullptr;
            busy_ = true;
        }
    }
    ~MutexOwner() {
        if (!h_) return;
        ReleaseMutex(h_);
        CloseHandle(h_);
    }
    MutexOwner(const MutexOwner&) = delete;
    MutexOwner& operator=(const MutexOwner&) = delete;
    bool busy() const { return busy_; }

private:
    HANDLE h_ = nullptr;
    bool busy_ = false;
};
