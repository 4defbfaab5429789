#include "unattended/run_lock.h"

#include <sddl.h>

#include "actions/system_dll.h"

namespace portsetup {
namespace {

constexpr wchar_t kNamespace[] = L"PortSetup";  // the boundary's name and the namespace's prefix
constexpr wchar_t kPrivateName[] = L"PortSetup\\Unattended";
// Who may open the namespace, and so make or open the mutex in it.
constexpr wchar_t kNamespaceSecurity[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

// Looked up when the lock is taken: a program that imported them would not start on a system
// that lacks them, as Wine lacks all but CreateBoundaryDescriptorW.
struct NamespaceFunctions {
    decltype(&::CreateBoundaryDescriptorW) createBoundary;
    decltype(&::AddSIDToBoundaryDescriptor) addSid;
    decltype(&::DeleteBoundaryDescriptor) deleteBoundary;
    decltype(&::CreatePrivateNamespaceW) create;
    decltype(&::OpenPrivateNamespaceW) open;
    decltype(&::ClosePrivateNamespace) close;

    static NamespaceFunctions Find() noexcept {
        const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        NamespaceFunctions found{};
        if (kernel32) {
            found = {FindFunction<decltype(createBoundary)>(kernel32, "CreateBoundaryDescriptorW"),
                     FindFunction<decltype(addSid)>(kernel32, "AddSIDToBoundaryDescriptor"),
                     FindFunction<decltype(deleteBoundary)>(kernel32, "DeleteBoundaryDescriptor"),
                     FindFunction<decltype(create)>(kernel32, "CreatePrivateNamespaceW"),
                     FindFunction<decltype(open)>(kernel32, "OpenPrivateNamespaceW"),
                     FindFunction<decltype(close)>(kernel32, "ClosePrivateNamespace")};
        }
        return found;
    }
    bool All() const noexcept {
        return createBoundary && addSid && deleteBoundary && create && open && close;
    }
};

}  // namespace

RunLock::Namespace::~Namespace() {
    // Not destroyed: a run that opened it may still hold the mutex in it.
    if (handle) {
        close(handle, 0);
    }
    if (boundary) {
        deleteBoundary(boundary);
    }
}

RunLock::RunLock() {
    const NamespaceFunctions functions = NamespaceFunctions::Find();
    const wchar_t* name = kPrivateName;
    if (functions.All()) {
        namespace_.close = functions.close;
        namespace_.deleteBoundary = functions.deleteBoundary;
        namespace_.boundary = functions.createBoundary(kNamespace, 0);
    }
    if (!namespace_.boundary) {
        name = kGlobalRunLockName;
        global_ = true;
    } else {
        // Only a process whose token holds the Administrators group (an elevated administrator,
        // or SYSTEM) can make a namespace within this boundary.
        BYTE administrators[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof administrators;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
            !functions.addSid(&namespace_.boundary, administrators) ||
            !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                kNamespaceSecurity, SDDL_REVISION_1, &descriptor, nullptr)) {
            error_ = GetLastError();
            return;
        }
        const UniqueHlocal ownedDescriptor(descriptor);
        SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
        // The first run makes the namespace, a run that finds it made opens it.
        namespace_.handle = functions.create(&security, namespace_.boundary, kNamespace);
        if (!namespace_.handle && GetLastError() == ERROR_ALREADY_EXISTS) {
            namespace_.handle = functions.open(namespace_.boundary, kNamespace);
        }
        if (!namespace_.handle) {
            error_ = GetLastError();
            return;
        }
    }
    mutex_.reset(CreateMutexW(nullptr, FALSE, name));
    // Where another kind of object holds the name, no mutex is made: that, too, counts as held.
    state_ = !mutex_                                  ? State::Unknown
             : GetLastError() == ERROR_ALREADY_EXISTS ? State::HeldElsewhere
                                                      : State::Taken;
}

}  // namespace portsetup
