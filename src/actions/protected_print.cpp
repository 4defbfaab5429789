#include "actions/protected_print.h"

#include <windows.h>

#include <inspectable.h>
#include <roapi.h>
#include <winstring.h>

#include <iterator>

#include "actions/system_dll.h"
#include "actions/win32_handles.h"
#include "model/protected_print_answer.h"

namespace portsetup {
namespace {

constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP";
constexpr wchar_t kPolicyValue[] = L"WindowsProtectedPrintGroupPolicyState";

constexpr wchar_t kInfoClass[] =
    L"Windows.Graphics.Printing.ProtectedPrint.WindowsProtectedPrintInfo";

// The class's static interface, which MinGW-w64's headers lack: IInspectable's six methods, then
// the property. IID and layout as in the Windows SDK's windows.graphics.printing.protectedprint.h.
// In its C form, since a COM interface has no virtual destructor (-Wnon-virtual-dtor).
struct InfoStatics;
struct InfoStaticsVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(InfoStatics* self, REFIID iid, void** object);
    ULONG(STDMETHODCALLTYPE* AddRef)(InfoStatics* self);
    ULONG(STDMETHODCALLTYPE* Release)(InfoStatics* self);
    HRESULT(STDMETHODCALLTYPE* GetIids)(InfoStatics* self, ULONG* count, IID** iids);
    HRESULT(STDMETHODCALLTYPE* GetRuntimeClassName)(InfoStatics* self, HSTRING* name);
    HRESULT(STDMETHODCALLTYPE* GetTrustLevel)(InfoStatics* self, TrustLevel* level);
    HRESULT(STDMETHODCALLTYPE* get_IsProtectedPrintEnabled)(InfoStatics* self, boolean* value);
};
struct InfoStatics {
    const InfoStaticsVtbl* vtbl;
};
constexpr IID kIidInfoStatics = {
    0xa7d212f3, 0x4168, 0x5485, {0x98, 0xab, 0xd8, 0x9d, 0x04, 0x60, 0x3b, 0x40}};

void ReleaseInfoStatics(InfoStatics* statics) noexcept {
    statics->vtbl->Release(statics);
}
using UniqueInfoStatics = UniqueHandle<InfoStatics*, &ReleaseInfoStatics>;

bool PolicyTurnsItOn() noexcept {
    DWORD state = 0;
    DWORD size = sizeof state;
    // The 64-bit view, where policies are written whatever the reader's bitness.
    const LSTATUS status =
        RegGetValueW(HKEY_LOCAL_MACHINE, kPolicyKey, kPolicyValue,
                     RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &state, &size);
    return status == ERROR_SUCCESS && state == 1;
}

bool WindowsSaysItIsOn() noexcept {
    const UniqueHmodule combase = LoadSystemDll(L"combase.dll");
    if (!combase) {
        return false;
    }
    // Never unloaded once loaded: COM may keep threads of its own running in it after the call.
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"combase.dll", &pinned);
    const auto roInitialize =
        FindFunction<decltype(&::RoInitialize)>(combase.get(), "RoInitialize");
    const auto roUninitialize =
        FindFunction<decltype(&::RoUninitialize)>(combase.get(), "RoUninitialize");
    const auto createStringReference = FindFunction<decltype(&::WindowsCreateStringReference)>(
        combase.get(), "WindowsCreateStringReference");
    const auto getActivationFactory =
        FindFunction<decltype(&::RoGetActivationFactory)>(combase.get(), "RoGetActivationFactory");
    if (!roInitialize || !roUninitialize || !createStringReference || !getActivationFactory) {
        return false;
    }

    // A thread that is already in a single-threaded apartment stays there: the class is agile.
    // COM is uninitialised again only if this call initialised it.
    const HRESULT initialized = roInitialize(RO_INIT_MULTITHREADED);
    if (FAILED(initialized) && initialized != RPC_E_CHANGED_MODE) {
        return false;
    }
    struct CallIt {
        void operator()(decltype(&::RoUninitialize) uninitialize) const noexcept { uninitialize(); }
    };
    const UniqueAny<decltype(&::RoUninitialize), CallIt> apartment(
        SUCCEEDED(initialized) ? roUninitialize : nullptr);

    HSTRING_HEADER header;
    HSTRING className = nullptr;
    if (FAILED(createStringReference(kInfoClass, static_cast<UINT32>(std::size(kInfoClass) - 1),
                                     &header, &className))) {
        return false;
    }
    // Fails with REGDB_E_CLASSNOTREG where the class does not exist: before 24H2, and on Wine.
    void* factory = nullptr;
    if (FAILED(getActivationFactory(className, kIidInfoStatics, &factory))) {
        return false;
    }
    const UniqueInfoStatics statics(static_cast<InfoStatics*>(factory));
    boolean enabled = false;
    return ProtectedPrintAnswerIsOn(
        statics.get()->vtbl->get_IsProtectedPrintEnabled(statics.get(), &enabled), enabled != 0);
}

}  // namespace

bool ProtectedPrintIsOn() noexcept {
    return PolicyTurnsItOn() || WindowsSaysItIsOn();
}

}  // namespace portsetup
