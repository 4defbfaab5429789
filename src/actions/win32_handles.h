// Owning wrappers for the system handles the tool holds: each is released when its owner goes
// out of scope, and can be moved but not copied. One template serves every kind: a handle type,
// and the function object that releases it (a function known when compiling, a function pointer
// loaded with its DLL, or a closer that needs more than the handle).
#pragma once

#include <windows.h>

#include <utility>

namespace portsetup {

template <class Handle, class Closer, Handle Invalid = Handle{}>
class UniqueAny {
  public:
    UniqueAny() = default;
    explicit UniqueAny(Handle handle, Closer closer = {}) noexcept
        : handle_(handle), closer_(closer) {}
    UniqueAny(UniqueAny&& other) noexcept
        : handle_(other.release()), closer_(std::move(other.closer_)) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        reset(other.release());
        closer_ = std::move(other.closer_);
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Invalid; }
    Handle release() noexcept { return std::exchange(handle_, Invalid); }
    void reset(Handle handle = Invalid) noexcept {
        if (handle_ != Invalid) {
            closer_(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle handle_ = Invalid;
    [[no_unique_address]] Closer closer_{};
};

// The closer for a function known when compiling.
template <auto Close>
struct CallClose {
    void operator()(auto handle) const noexcept { Close(handle); }
};

template <class Handle, auto Close, Handle Invalid = Handle{}>
using UniqueHandle = UniqueAny<Handle, CallClose<Close>, Invalid>;

using UniqueKernelHandle = UniqueHandle<HANDLE, &::CloseHandle>;
using UniqueHkey = UniqueHandle<HKEY, &::RegCloseKey>;
using UniqueHfont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueHdc = UniqueHandle<HDC, &::DeleteDC>;  // one CreateCompatibleDC made
using UniqueHicon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueHmodule = UniqueHandle<HMODULE, &::FreeLibrary>;
using UniqueHlocal = UniqueHandle<HLOCAL, &::LocalFree>;

}  // namespace portsetup
