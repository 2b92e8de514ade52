// Registration of the component, for the machine (DllRegisterServer) or for
// the current user only (DllInstall with "user", as `regsvr32 /n /i:user`
// calls it), which needs no administrator rights.
//
// Every key is written by this file and listed here, so unregistering
// removes exactly what registering added: the class, its program
// identifier, the three interfaces and this version of the type library.
#include <windows.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "com_util.h"
#include "guids.h"
#include "module.h"

namespace rotam::com {
namespace {

// The proxy of every dispatch interface is the type library marshaller's.
constexpr wchar_t kDispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";

std::wstring guid_text(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

struct Value {
    std::wstring key;    // below Software\Classes
    const wchar_t *name; // nullptr: the key's default value
    std::wstring data;
};

std::wstring library_version() {
    return std::to_wstring(kLibraryMajor) + L"." + std::to_wstring(kLibraryMinor);
}

std::vector<Value> registry_values(const std::wstring &path) {
    const std::wstring clsid = L"CLSID\\" + guid_text(CLSID_ZynOptCmd120);
    const std::wstring libid = guid_text(LIBID_component);
    const std::wstring version = library_version();
    const std::wstring library = L"TypeLib\\" + libid + L"\\" + version;
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));

    std::vector<Value> values = {
        {clsid, nullptr, L"ZynOptCmd120"},
        {clsid + L"\\InprocServer32", nullptr, path},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\ProgID", nullptr, kProgId},
        {clsid + L"\\TypeLib", nullptr, libid},
        {clsid + L"\\Version", nullptr, version},
        // The control flag: hosts list the class among the controls.
        {clsid + L"\\Control", nullptr, L""},
        {kProgId, nullptr, kProgId},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, guid_text(CLSID_ZynOptCmd120)},
        {library, nullptr, kLibraryName},
        {library + L"\\0\\win32", nullptr, path},
        {library + L"\\FLAGS", nullptr, L"0"},
        {library + L"\\HELPDIR", nullptr, folder},
    };
    const std::pair<const GUID *, const wchar_t *> interfaces[] = {
        {&DIID__ZynOptCmd120, L"_ZynOptCmd120"},
        {&DIID___ZynOptCmd120, L"__ZynOptCmd120"},
        {&DIID__QVZ_Class, L"_QVZ_Class"},
    };
    for (const auto &[iid, name] : interfaces) {
        const std::wstring key = L"Interface\\" + guid_text(*iid);
        values.push_back({key, nullptr, name});
        values.push_back({key + L"\\ProxyStubClsid", nullptr, kDispatchProxy});
        values.push_back({key + L"\\ProxyStubClsid32", nullptr, kDispatchProxy});
        values.push_back({key + L"\\TypeLib", nullptr, libid});
        values.push_back({key + L"\\TypeLib", L"Version", version});
    }
    return values;
}

// The trees that belong to the component alone.
std::vector<std::wstring> owned_keys() {
    return {
        L"CLSID\\" + guid_text(CLSID_ZynOptCmd120),
        kProgId,
        L"Interface\\" + guid_text(DIID__ZynOptCmd120),
        L"Interface\\" + guid_text(DIID___ZynOptCmd120),
        L"Interface\\" + guid_text(DIID__QVZ_Class),
        L"TypeLib\\" + guid_text(LIBID_component) + L"\\" + library_version(),
    };
}

HKEY classes_root(bool per_user, REGSAM access, LSTATUS &status) {
    HKEY root = nullptr;
    status = RegOpenKeyExW(per_user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                           L"Software\\Classes", 0, access, &root);
    if (status == ERROR_FILE_NOT_FOUND && per_user)
        status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, access,
                                 nullptr, &root, nullptr);
    return status == ERROR_SUCCESS ? root : nullptr;
}

// An empty key says nothing; one with values or subkeys is someone's.
void delete_if_empty(HKEY root, const std::wstring &path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    const LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                            nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyW(root, path.c_str());
}

HRESULT unregister(bool per_user) {
    LSTATUS status;
    HKEY root = classes_root(per_user, KEY_READ | KEY_WRITE, status);
    if (!root)
        return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
    HRESULT hr = S_OK;
    for (const std::wstring &key : owned_keys()) {
        status = RegDeleteTreeW(root, key.c_str());
        if (status == ERROR_SUCCESS)
            status = RegDeleteKeyW(root, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(hr))
            hr = HRESULT_FROM_WIN32(status);
    }
    // The library's own key goes once no other version is left in it, and so
    // do the folders that registering made in a user's empty classes.
    delete_if_empty(root, L"TypeLib\\" + guid_text(LIBID_component));
    for (const wchar_t *folder : {L"CLSID", L"Interface", L"TypeLib"})
        delete_if_empty(root, folder);
    RegCloseKey(root);
    return hr;
}

HRESULT register_server(bool per_user) {
    const std::wstring path = module_path();
    if (path.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    // A component whose type library does not load must not be registered.
    com_ptr<ITypeLib> library;
    if (FAILED(type_library(library.put())))
        return SELFREG_E_TYPELIB;

    LSTATUS status;
    HKEY root = classes_root(per_user, KEY_READ | KEY_WRITE, status);
    if (!root)
        return HRESULT_FROM_WIN32(status);
    for (const Value &v : registry_values(path)) {
        HKEY key = nullptr;
        status = RegCreateKeyExW(root, v.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                 nullptr);
        if (status == ERROR_SUCCESS) {
            const DWORD bytes = static_cast<DWORD>((v.data.size() + 1) * sizeof(wchar_t));
            status = RegSetValueExW(key, v.name, 0, REG_SZ,
                                    reinterpret_cast<const BYTE *>(v.data.c_str()), bytes);
            RegCloseKey(key);
        }
        if (status != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(root);
    if (status != ERROR_SUCCESS) {
        // Half a registration is worse than none.
        unregister(per_user);
        return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

}  // namespace
}  // namespace rotam::com

STDAPI DllRegisterServer() { return rotam::com::register_server(false); }

STDAPI DllUnregisterServer() { return rotam::com::unregister(false); }

// "user" registers for the current user alone; no text, or "machine", for the
// whole machine like DllRegisterServer.
STDAPI DllInstall(BOOL install, PCWSTR command_line) {
    bool per_user;
    if (!command_line || !*command_line || _wcsicmp(command_line, L"machine") == 0)
        per_user = false;
    else if (_wcsicmp(command_line, L"user") == 0)
        per_user = true;
    else
        return E_INVALIDARG;
    return install ? rotam::com::register_server(per_user) : rotam::com::unregister(per_user);
}
