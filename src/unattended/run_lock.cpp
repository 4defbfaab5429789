#include "unattended/run_lock.h"

#include <sddl.h>

#include "actions/system_dll.h"

namespace portsetup {
namespace {

constexpr wchar_t kNamespace[] = L"PortSetup";  // the boundary's name and the namespace's prefix
constexpr wchar_t kPrivateName[] = L"PortSetup\\Unattended";
// Who may open the namespace, and so make or open the mutex in it; the same for the global mutex,
// so that an administrator's run during a run as SYSTEM can open it and see it held.
constexpr wchar_t kLockSecurity[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

// Looked up when the lock is taken: a program that imported them would not start on a system
// that lacks them, as Wine lacks all but CreateBoundaryDescriptorW.
struct NamespaceFunctions {
    decltype(&::CreateBoundaryDescriptorW) createBoundary;
    decltype(&::AddSIDToBoundaryDescriptor) addSid;
    decltype(&::DeleteBoundaryDescriptor) deleteBoundary;
    decltype(&::CreatePrivateNamespaceW) create;
    decltype(&::ClosePrivateNamespace) close;

    static NamespaceFunctions Find() noexcept {
        const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        NamespaceFunctions found{};
        if (kernel32) {
            found = {FindFunction<decltype(createBoundary)>(kernel32, "CreateBoundaryDescriptorW"),
                     FindFunction<decltype(addSid)>(kernel32, "AddSIDToBoundaryDescriptor"),
                     FindFunction<decltype(deleteBoundary)>(kernel32, "DeleteBoundaryDescriptor"),
                     FindFunction<decltype(create)>(kernel32, "CreatePrivateNamespaceW"),
                     FindFunction<decltype(close)>(kernel32, "ClosePrivateNamespace")};
        }
        return found;
    }
    bool All() const noexcept {
        return createBoundary && addSid && deleteBoundary && create && close;
    }
};

}  // namespace

RunLock::RunLock() {
    const NamespaceFunctions functions = NamespaceFunctions::Find();
    const wchar_t* name = kPrivateName;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockSecurity, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        error_ = GetLastError();
        return;
    }
    const UniqueHlocal ownedDescriptor(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    HANDLE boundary = functions.All() ? functions.createBoundary(kNamespace, 0) : nullptr;
    if (!boundary) {
        name = kGlobalRunLockName;
        global_ = true;
    } else {
        // Only a process whose token holds the Administrators group (an elevated administrator,
        // or SYSTEM) can make a namespace within this boundary.
        BYTE administrators[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof administrators;
        const bool added =
            CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
            functions.addSid(&boundary, administrators);
        const DWORD addError = GetLastError();
        boundary_ = decltype(boundary_)(boundary, functions.deleteBoundary);
        if (!added) {
            error_ = addError;
            return;
        }
        // A namespace that exists was made by a run that still holds it: once its maker closes
        // it, nobody can open it again ("CreatePrivateNamespaceW function", learn.microsoft.com).
        namespace_ = decltype(namespace_)(functions.create(&security, boundary, kNamespace),
                                          {functions.close});
        if (!namespace_) {
            const DWORD error = GetLastError();
            state_ = error == ERROR_ALREADY_EXISTS ? State::HeldElsewhere : State::Unknown;
            error_ = error == ERROR_ALREADY_EXISTS ? 0 : error;
            return;
        }
    }
    mutex_.reset(CreateMutexW(&security, FALSE, name));
    // Where another kind of object holds the name, no mutex is made: that, too, counts as held.
    const DWORD created = GetLastError();
    state_ = !mutex_                           ? State::Unknown
             : created == ERROR_ALREADY_EXISTS ? State::HeldElsewhere
                                               : State::Taken;
    error_ = mutex_ ? 0 : created;
}

}  // namespace portsetup
