#pragma once

#include <windows.h>

#include <utility>

// Owning holders for Windows handles and GDI objects. Every close keeps the
// thread's last error, so releasing a resource on a failure path never hides
// the error that is about to be reported.
template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    [[nodiscard]] Type get() const noexcept { return value_; }
    [[nodiscard]] bool valid() const noexcept { return Traits::isValid(value_); }
    explicit operator bool() const noexcept { return valid(); }

    [[nodiscard]] Type release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(Type value = Traits::invalid()) noexcept
    {
        Type old = std::exchange(value_, value);
        if (Traits::isValid(old)) {
            const DWORD lastError = GetLastError();
            Traits::close(old);
            SetLastError(lastError);
        }
    }

    // Resets and hands out the address, for calls that return through a pointer.
    [[nodiscard]] Type* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::invalid();
};

namespace resource_traits {

template <typename T, auto CloseFn>
struct NullInvalid {
    using Type = T;
    static constexpr Type invalid() noexcept { return nullptr; }
    static bool isValid(Type value) noexcept { return value != nullptr; }
    static void close(Type value) noexcept { CloseFn(value); }
};

struct Handle {
    using Type = HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static bool isValid(Type value) noexcept { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void close(Type value) noexcept { CloseHandle(value); }
};

struct File {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isValid(Type value) noexcept { return value != INVALID_HANDLE_VALUE; }
    static void close(Type value) noexcept { CloseHandle(value); }
};

inline void closeKey(HKEY key) noexcept
{
    RegCloseKey(key);
}
inline void freeModule(HMODULE module) noexcept
{
    FreeLibrary(module);
}
inline void freeLocal(HLOCAL memory) noexcept
{
    LocalFree(memory);
}
inline void freeGlobal(HGLOBAL memory) noexcept
{
    GlobalFree(memory);
}
inline void deleteGdiObject(HGDIOBJ object) noexcept
{
    DeleteObject(object);
}
inline void deleteDc(HDC dc) noexcept
{
    DeleteDC(dc);
}
inline void destroyMenu(HMENU menu) noexcept
{
    DestroyMenu(menu);
}
inline void destroyAccelerators(HACCEL table) noexcept
{
    DestroyAcceleratorTable(table);
}

}  // namespace resource_traits

using UniqueHandle = UniqueResource<resource_traits::Handle>;
using UniqueFile = UniqueResource<resource_traits::File>;
using UniqueHKey = UniqueResource<resource_traits::NullInvalid<HKEY, resource_traits::closeKey>>;
using UniqueHModule = UniqueResource<resource_traits::NullInvalid<HMODULE, resource_traits::freeModule>>;
using UniqueHLocal = UniqueResource<resource_traits::NullInvalid<HLOCAL, resource_traits::freeLocal>>;
using UniqueGlobal = UniqueResource<resource_traits::NullInvalid<HGLOBAL, resource_traits::freeGlobal>>;
using UniqueHFont = UniqueResource<resource_traits::NullInvalid<HFONT, resource_traits::deleteGdiObject>>;
using UniqueHPen = UniqueResource<resource_traits::NullInvalid<HPEN, resource_traits::deleteGdiObject>>;
using UniqueHBrush = UniqueResource<resource_traits::NullInvalid<HBRUSH, resource_traits::deleteGdiObject>>;
using UniqueHBitmap = UniqueResource<resource_traits::NullInvalid<HBITMAP, resource_traits::deleteGdiObject>>;
using UniqueHdc = UniqueResource<resource_traits::NullInvalid<HDC, resource_traits::deleteDc>>;
using UniqueHMenu = UniqueResource<resource_traits::NullInvalid<HMENU, resource_traits::destroyMenu>>;
using UniqueHAccel = UniqueResource<resource_traits::NullInvalid<HACCEL, resource_traits::destroyAccelerators>>;

// Paired calls as scoped objects.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    [[nodiscard]] HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    [[nodiscard]] HDC get() const noexcept { return dc_; }
    [[nodiscard]] const PAINTSTRUCT& paint() const noexcept { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class RedrawDisabler {
public:
    explicit RedrawDisabler(HWND window) noexcept : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawDisabler()
    {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawDisabler(const RedrawDisabler&) = delete;
    RedrawDisabler& operator=(const RedrawDisabler&) = delete;

private:
    HWND window_;
};

// GlobalLock/GlobalUnlock of a movable block.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL memory) noexcept : memory_(memory), pointer_(GlobalLock(memory)) {}
    ~GlobalLockGuard()
    {
        if (pointer_ != nullptr) {
            GlobalUnlock(memory_);
        }
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    [[nodiscard]] void* get() const noexcept { return pointer_; }

private:
    HGLOBAL memory_;
    void* pointer_;
};
