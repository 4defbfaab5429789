// Owning wrappers for the system handles the tool holds: each is released when its owner goes
// out of scope, and can be moved but not copied.
#pragma once

#include <windows.h>

#include <utility>

namespace portsetup {

template <class Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Invalid; }
    Handle release() noexcept { return std::exchange(handle_, Invalid); }
    void reset(Handle handle = Invalid) noexcept {
        if (handle_ != Invalid) {
            Close(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle handle_ = Invalid;
};

using UniqueKernelHandle = UniqueHandle<HANDLE, &::CloseHandle>;
using UniqueHkey = UniqueHandle<HKEY, &::RegCloseKey>;
using UniqueHfont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueHicon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueHmodule = UniqueHandle<HMODULE, &::FreeLibrary>;
using UniqueHlocal = UniqueHandle<HLOCAL, &::LocalFree>;

}  // namespace portsetup
