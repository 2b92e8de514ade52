// Registration of the component, for the machine (DllRegisterServer) or for
// the current user only (DllInstall with "user", as `regsvr32 /n /i:user`
// calls it), which needs no administrator rights.
//
// Every key comes from the component's row table (registry_rows.txt, made
// into registry_rows.inc at build time), as do its installers' rows, so
// unregistering removes exactly what registering added: the class, its
// program identifier, the interfaces and this version of the type library.
#include <windows.h>
#include <olectl.h>

#include <string>
#include <string_view>
#include <vector>

#include "com_util.h"
#include "module.h"

namespace rotam::com {
namespace {

struct Value {
    std::wstring key;    // below Software\Classes
    const wchar_t *name; // nullptr: the key's default value
    std::wstring data;
};

// The table leaves the file's place, and the platform the type library is
// registered for, to be filled in as the component runs.
std::wstring fill(std::wstring text, const std::wstring &path) {
#ifdef _WIN64
    const wchar_t *platform = L"win64";
#else
    const wchar_t *platform = L"win32";
#endif
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    const std::pair<const wchar_t *, std::wstring> runtime[] = {
        {L"{PATH}", path}, {L"{FOLDER}", folder}, {L"{WIN}", platform}};
    for (const auto &[placeholder, value] : runtime) {
        const std::wstring_view p = placeholder;
        for (std::size_t at = text.find(p); at != std::wstring::npos; at = text.find(p, at + value.size()))
            text.replace(at, p.size(), value);
    }
    return text;
}

std::vector<Value> registry_values(const std::wstring &path) {
    std::vector<Value> values;
#define ROTAM_REGISTRY_TREE(key)
#define ROTAM_REGISTRY_VALUE(key, name, data) values.push_back({fill(key, path), name, fill(data, path)});
#include "registry_rows.inc"
#undef ROTAM_REGISTRY_TREE
#undef ROTAM_REGISTRY_VALUE
    return values;
}

// The trees that belong to the component alone.
std::vector<std::wstring> owned_keys() {
    std::vector<std::wstring> keys;
#define ROTAM_REGISTRY_TREE(key) keys.push_back(key);
#define ROTAM_REGISTRY_VALUE(key, name, data)
#include "registry_rows.inc"
#undef ROTAM_REGISTRY_TREE
#undef ROTAM_REGISTRY_VALUE
    return keys;
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
    for (const std::wstring &key : owned_keys())
        if (key.rfind(L"TypeLib\\", 0) == 0)
            delete_if_empty(root, key.substr(0, key.find_last_of(L'\\')));
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
