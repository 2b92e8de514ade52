// The registry layer on the platform's registry functions.
#include <windows.h>

#include "registry_layer.h"

namespace vostik::registry {

namespace {
HKEY hkey(VostikKey key) { return static_cast<HKEY>(key); }
}  // namespace

bool path_from_ansi(const char *path, Name *out) {
    // An empty path names root itself: deleting "its" first subkeys would
    // empty a whole predefined root.  Refuse it.
    if (!path || !*path) return false;
    int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (n <= 1) return false;
    out->assign(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, out->data(), n);
    out->resize(static_cast<std::size_t>(n - 1));
    return true;
}

bool delete_key(VostikKey root, const NameChar *path) {
    return RegDeleteKeyW(hkey(root), path) == ERROR_SUCCESS;
}

bool open_key(VostikKey root, const NameChar *path, bool all_access, VostikKey *key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hkey(root), path, 0, all_access ? KEY_ALL_ACCESS : KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    *key = opened;
    return true;
}

void close_key(VostikKey key) { RegCloseKey(hkey(key)); }

// No class buffer is passed: asking for the class with room for none makes
// the query fail on any key that carries a class name, and such a key could
// then never be emptied.
bool query_info(VostikKey key, KeyInfo *info) {
    DWORD subkeys = 0, longest = 0, values = 0;
    if (RegQueryInfoKeyW(hkey(key), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    info->subkeys = subkeys;
    info->longest_subkey_name = longest;
    info->values = values;
    return true;
}

bool enum_key(VostikKey key, std::uint32_t index, NameChar *name, std::uint32_t capacity) {
    DWORD length = capacity;
    return RegEnumKeyExW(hkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace vostik::registry
