// The component's entry points for COM: the class factory, DllGetClassObject
// and DllCanUnloadNow, and what every object of the component shares.
#include "module.h"

#include <atomic>
#include <new>
#include <string_view>
#include <utility>

#include "control_object.h"
#include "guids.h"
#include "service.h"

namespace rotam::com {
namespace {

HINSTANCE g_instance = nullptr;
// Objects and class factory references alive, and server locks held.
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
// A plain pointer: released by DllCanUnloadNow, never by a static destructor,
// which would run after the system libraries may have gone at process exit.
ITypeLib *g_type_library = nullptr;

class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        const bool known = riid == IID_IUnknown || riid == IID_IClassFactory;
        return answer_query(known ? this : nullptr, out);
    }
    // The factory is static; a reference to it keeps the component loaded.
    STDMETHODIMP_(ULONG) AddRef() override {
        object_created();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        object_destroyed();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID riid, void **out) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return create_control(riid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock_server(lock != FALSE);
        return S_OK;
    }
};

ClassFactory g_factory;

}  // namespace

HINSTANCE module_instance() { return g_instance; }

std::wstring module_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void object_created() { ++g_objects; }
void object_destroyed() { --g_objects; }

void lock_server(bool lock) {
    if (lock)
        ++g_locks;
    else
        --g_locks;
}

HRESULT type_library(ITypeLib **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = nullptr;
    if (!g_type_library) {
        // The library is a resource of this very file; loading it by path
        // works whether or not the component is registered.
        const std::wstring path = module_path();
        ROTAM_RETURN_IF_FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_type_library));
    }
    g_type_library->AddRef();
    *out = g_type_library;
    return S_OK;
}

HRESULT type_info(REFGUID guid, ITypeInfo **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = nullptr;
    com_ptr<ITypeLib> lib;
    ROTAM_RETURN_IF_FAILED(type_library(lib.put()));
    return lib->GetTypeInfoOfGuid(guid, out);
}

HRESULT report_error(std::int32_t number, const char *text, REFGUID source_iid, EXCEPINFO *excep) {
    const HRESULT hr = error_hresult(number);
    unique_bstr description(utf8_to_bstr(text));
    com_ptr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetGUID(source_iid);
        create->SetSource(const_cast<LPOLESTR>(kLibraryName));
        create->SetDescription(description.get());
        if (auto info = create.query<IErrorInfo>(IID_IErrorInfo))
            SetErrorInfo(0, info.get());
    }
    if (!excep)
        return hr;
    *excep = EXCEPINFO{};
    excep->scode = hr;
    excep->bstrSource = SysAllocString(kLibraryName);
    excep->bstrDescription = description.release();
    return DISP_E_EXCEPTION;
}

}  // namespace rotam::com

using namespace rotam::com;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
        // Refusals and other messages of the component carry its own name.
        const std::wstring_view name(kLibraryName);
        rotam::set_component_name(std::u16string(name.begin(), name.end()));
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID *out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = nullptr;
    if (clsid != CLSID_ZynOptCmd120)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

// When nothing is left, the cached type library goes too: it was loaded from
// this file, and the file may be about to go away.
STDAPI DllCanUnloadNow() {
    if (g_objects.load() != 0 || g_locks.load() != 0)
        return S_FALSE;
    if (ITypeLib *lib = std::exchange(g_type_library, nullptr))
        lib->Release();
    return S_OK;
}
