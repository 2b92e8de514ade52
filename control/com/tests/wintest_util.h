// Helpers for the tests that drive rotamcmd.dll as a host would: the DLL and
// its entry points, a recording event sink, late-bound calls with
// by-reference arguments, and a timer that acts while the dialog is open.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com_util.h"
#include "guids.h"

namespace rotam::test {

using com::com_ptr;

inline std::wstring exe_folder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

inline std::wstring dll_path() { return exe_folder() + L"rotamcmd.dll"; }

// Runs a program to its end with its standard output and error in one pipe.
// Returns false, with nothing read, when it could not be started.
inline bool run_captured(std::wstring command, DWORD &exit_code, std::string &output) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &sa, 0))
        return false;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(write);
    if (started) {
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0)
            output.append(buffer, n);
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &exit_code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(read);
    return started != FALSE;
}

// rotamcmd.dll loaded by path, its entry points at hand.
struct Dll {
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE *get_class_object)(REFCLSID, REFIID, void **) = nullptr;
    HRESULT(STDAPICALLTYPE *can_unload_now)() = nullptr;
    HRESULT(STDAPICALLTYPE *register_server)() = nullptr;
    HRESULT(STDAPICALLTYPE *unregister_server)() = nullptr;
    HRESULT(STDAPICALLTYPE *install)(BOOL, LPCWSTR) = nullptr;

    Dll() {
        module = LoadLibraryW(dll_path().c_str());
        if (!module)
            return;
        auto get = [this](const char *name) { return reinterpret_cast<void *>(GetProcAddress(module, name)); };
        get_class_object = reinterpret_cast<decltype(get_class_object)>(get("DllGetClassObject"));
        can_unload_now = reinterpret_cast<decltype(can_unload_now)>(get("DllCanUnloadNow"));
        register_server = reinterpret_cast<decltype(register_server)>(get("DllRegisterServer"));
        unregister_server = reinterpret_cast<decltype(unregister_server)>(get("DllUnregisterServer"));
        install = reinterpret_cast<decltype(install)>(get("DllInstall"));
    }
    ~Dll() {
        if (module)
            FreeLibrary(module);
    }
    bool ok() const {
        return module && get_class_object && can_unload_now && register_server && unregister_server && install;
    }

    // A new control straight from the class factory, no registration needed.
    com_ptr<IDispatch> create() const {
        com_ptr<IClassFactory> factory;
        com_ptr<IDispatch> control;
        if (SUCCEEDED(get_class_object(com::CLSID_ZynOptCmd120, IID_IClassFactory, factory.put_void())))
            factory->CreateInstance(nullptr, IID_IDispatch, control.put_void());
        return control;
    }
};

// One event as a sink saw it, arguments in declaration order, after the
// sink's handler ran.
struct Heard {
    DISPID dispid;
    std::vector<VARTYPE> types;
    std::vector<std::wstring> values;
};

inline std::wstring text_of(const VARIANT &v) {
    com::unique_variant copy;
    if (FAILED(VariantCopyInd(&copy, const_cast<VARIANT *>(&v))))
        return L"?";
    com::unique_variant text;
    if (FAILED(VariantChangeType(&text, &copy, 0, VT_BSTR)))
        return L"?";
    return std::wstring(text.bstrVal, SysStringLen(text.bstrVal));
}

class Sink final : public IDispatch {
public:
    // Called with the arguments in declaration order; its result is the
    // sink's answer.
    std::function<HRESULT(DISPID, std::vector<VARIANTARG *> &)> handler;
    std::vector<Heard> heard;

    static com_ptr<Sink> make() { return com_ptr<Sink>::attach(new Sink); }

    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == com::DIID___ZynOptCmd120) {
            *out = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG r = --refs;
        if (r == 0)
            delete this;
        return r;
    }
    STDMETHODIMP GetTypeInfoCount(UINT *n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS *dp, VARIANT *, EXCEPINFO *,
                        UINT *) override {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        std::vector<VARIANTARG *> args;
        for (UINT i = 0; i < dp->cArgs; ++i)
            args.push_back(&dp->rgvarg[dp->cArgs - 1 - i]);
        HRESULT hr = handler ? handler(dispid, args) : S_OK;
        Heard h{dispid, {}, {}};
        for (VARIANTARG *a : args) {
            h.types.push_back(a->vt);
            h.values.push_back(text_of(*a));
        }
        heard.push_back(std::move(h));
        return hr;
    }

    std::vector<DISPID> dispids() const {
        std::vector<DISPID> ids;
        for (const Heard &h : heard)
            ids.push_back(h.dispid);
        return ids;
    }
    ULONG refs = 1;
};

inline DWORD advise(IDispatch *control, IDispatch *sink) {
    auto container = com_ptr<IDispatch>(control).query<IConnectionPointContainer>(IID_IConnectionPointContainer);
    com_ptr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (container && SUCCEEDED(container->FindConnectionPoint(com::DIID___ZynOptCmd120, point.put())))
        point->Advise(sink, &cookie);
    return cookie;
}

inline HRESULT unadvise(IDispatch *control, DWORD cookie) {
    auto container = com_ptr<IDispatch>(control).query<IConnectionPointContainer>(IID_IConnectionPointContainer);
    com_ptr<IConnectionPoint> point;
    if (!container || FAILED(container->FindConnectionPoint(com::DIID___ZynOptCmd120, point.put())))
        return E_FAIL;
    return point->Unadvise(cookie);
}

// The outcome of one late-bound call.
struct Outcome {
    HRESULT hr = E_FAIL;
    SCODE scode = 0;
    std::wstring error;
    VARTYPE result_type = VT_ILLEGAL;
};

// Calls a method with the given arguments, in declaration order (they are
// reversed for the call).  Leave the argument VARIANTs to the caller.
inline Outcome call(IDispatch *control, DISPID dispid, std::vector<VARIANTARG> args, WORD flags = DISPATCH_METHOD,
                    bool with_excepinfo = true) {
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_ILLEGAL;
    EXCEPINFO excep{};
    UINT arg_error = 0;
    Outcome o;
    o.hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, &result,
                           with_excepinfo ? &excep : nullptr, &arg_error);
    o.scode = excep.scode;
    if (excep.bstrDescription)
        o.error = excep.bstrDescription;
    o.result_type = result.vt;
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    VariantClear(&result);
    return o;
}

// A by-reference argument that points at v.
template <class T> inline constexpr VARTYPE kByRefType = VT_EMPTY;
template <> inline constexpr VARTYPE kByRefType<LONG> = VT_I4;
template <> inline constexpr VARTYPE kByRefType<SHORT> = VT_I2;
template <> inline constexpr VARTYPE kByRefType<double> = VT_R8;
template <> inline constexpr VARTYPE kByRefType<BSTR> = VT_BSTR;
template <> inline constexpr VARTYPE kByRefType<VARIANT> = VT_VARIANT;
template <class T> VARIANTARG ref(T &v) {
    static_assert(kByRefType<T> != VT_EMPTY, "no by-reference form for this type");
    VARIANTARG a;
    a.vt = VT_BYREF | kByRefType<T>;
    a.byref = &v;
    return a;
}

// A property as read late-bound: its type and its value as text.
struct Got {
    HRESULT hr;
    VARTYPE vt;
    std::wstring text;
};

inline Got get(IDispatch *control, DISPID dispid) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    com::unique_variant v;
    const HRESULT hr = control->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr);
    return Got{hr, v.vt, text_of(v)};
}

inline HRESULT put(IDispatch *control, DISPID dispid, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp{&value, &named, 1, 1};
    UINT arg_error = 99;
    return control->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, &arg_error);
}

inline DISPID id_of(IDispatch *control, const wchar_t *name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    control->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    return id;
}

// The drawing list dialog of the running command, or nullptr.
inline HWND find_dialog() {
    struct Search {
        static BOOL CALLBACK each(HWND w, LPARAM p) {
            wchar_t text[64] = {};
            GetWindowTextW(w, text, 64);
            if (std::wstring(text) == L"ロタムリスト作成 Ver1.0" && IsWindowVisible(w)) {
                *reinterpret_cast<HWND *>(p) = w;
                return FALSE;
            }
            return TRUE;
        }
    };
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Search::each, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs an action once, the first time the thread's messages are pumped after
// `ms` (that is, inside the dialog's modal loop).
class Later {
public:
    Later(UINT ms, std::function<void()> action) : action_(std::move(action)) {
        current() = this;
        id_ = SetTimer(nullptr, 0, ms, &Later::tick);
    }
    ~Later() {
        KillTimer(nullptr, id_);
        if (current() == this)
            current() = nullptr;
    }
    bool ran() const { return ran_; }

private:
    static Later *&current() {
        static Later *later = nullptr;
        return later;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        Later *self = current();
        if (self && self->id_ == id && !self->ran_) {
            self->ran_ = true;
            self->action_();
        }
    }
    std::function<void()> action_;
    UINT_PTR id_ = 0;
    bool ran_ = false;
};

// Bytes in use on the process heap, where the system's string and COM
// allocations live too: repeating an operation that leaks shows as growth.
inline SIZE_T heap_bytes_in_use() {
    SIZE_T total = 0;
    PROCESS_HEAP_ENTRY e{};
    HANDLE heap = GetProcessHeap();
    HeapLock(heap);
    while (HeapWalk(heap, &e))
        if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            total += e.cbData;
    HeapUnlock(heap);
    return total;
}

// COM for the test thread, as a host's user-interface thread has it.
struct OleThread {
    OleThread() { OleInitialize(nullptr); }
    ~OleThread() { OleUninitialize(); }
};

// Tests of the reference host, which creates the control by its program
// identifier: the component is registered for the machine, as an installed
// one is (any registration for the user removed first), and the
// registration goes again afterwards.
class RegisteredComponent : public ::testing::Test {
protected:
    OleThread ole;
    Dll dll;
    void SetUp() override {
        ASSERT_TRUE(dll.ok());
        dll.install(FALSE, L"user");
        ASSERT_EQ(dll.register_server(), S_OK);
    }
    void TearDown() override { dll.unregister_server(); }
};

}  // namespace rotam::test
