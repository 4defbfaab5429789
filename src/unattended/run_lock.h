// One unattended run at a time on the machine, whichever session started it: a second run ends at
// once (1618) and the deployment tool retries it later.
#pragma once

#include <windows.h>

#include "actions/win32_handles.h"

namespace portsetup {

// The lock's name where the system makes no private namespaces.
inline constexpr wchar_t kGlobalRunLockName[] = L"Global\\PortSetup.Unattended";

class RunLock {
  public:
    enum class State {
        Taken,          // this run holds the lock until the object is destroyed
        HeldElsewhere,  // another run holds it
        Unknown,        // the lock cannot be made, or its name is held by another kind of
                        // object: taken as held
    };

    // Takes the lock unless another run holds it. It is a mutex in a private namespace whose
    // boundary holds the Administrators group and which only SYSTEM and Administrators may open,
    // so that no standard user can take it first; a namespace already made is another run's.
    // Where the system has no private namespaces, it is a mutex named in the global namespace,
    // which any user could take; SYSTEM and Administrators may open it.
    RunLock();

    State state() const noexcept { return state_; }
    // Whether the lock fell back to the global name, which the log says.
    bool global() const noexcept { return global_; }
    // The system's error code when the lock could not be made (State::Unknown); 0 otherwise.
    unsigned long error() const noexcept { return error_; }

  private:
    // Destroyed with the run that made it: no other run ever opens it.
    struct CloseNamespace {
        BOOLEAN(WINAPI* close)(HANDLE, ULONG);
        void operator()(HANDLE handle) const noexcept {
            close(handle, PRIVATE_NAMESPACE_FLAG_DESTROY);
        }
    };

    State state_ = State::Unknown;
    bool global_ = false;
    unsigned long error_ = 0;
    // Declared in the order they are made, so that each is released before what it lies in.
    UniqueAny<HANDLE, VOID(WINAPI*)(HANDLE)> boundary_;
    UniqueAny<HANDLE, CloseNamespace> namespace_;
    UniqueKernelHandle mutex_;
};

}  // namespace portsetup
