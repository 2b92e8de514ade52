// DeleteRegistry and its step, the same walk on every platform over the
// operations of registry_layer.h.
//
// A step deletes at most one key: the key itself if it has no subkeys,
// otherwise the deepest key reached through first subkeys.  So a tree of n
// keys goes in n steps, each visiting one chain from the top, and the number
// of keys open at a time is the depth of the tree.
#include <cstdlib>
#include <new>

#include "registry_layer.h"

namespace vostik::registry {

bool delete_step(VostikKey root, const NameChar *path) {
    if (delete_key(root, path)) return true;
    VostikKey key;
    if (!open_key(root, path, true, &key)) return false;
    KeyInfo info;
    if (query_info(key, &info) && (info.subkeys > 0 || info.values > 0)) {
        std::size_t room = std::size_t{info.longest_subkey_name} + 20;
        auto *name = static_cast<NameChar *>(std::calloc(room, sizeof(NameChar)));
        if (name) {
            if (enum_key(key, 0, name, info.longest_subkey_name + 1)) delete_step(key, name);
            std::free(name);
        }
    }
    close_key(key);
    return false;
}

}  // namespace vostik::registry

namespace {

// How many failed steps DeleteRegistry retries before it gives up: enough
// for a tree of 10000 keys below the one named.
constexpr int kRetries = 10000;

}  // namespace

VOSTIK_API int32_t VOSTIK_CALL DeleteRegistrySub(VostikKey root, const char *path) {
    using namespace vostik::registry;
    try {
        Name name;
        if (!path_from_ansi(path, &name)) return 0;
        return delete_step(root, name.c_str()) ? 1 : 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

VOSTIK_API int32_t VOSTIK_CALL DeleteRegistry(VostikKey root, const char *path) {
    using namespace vostik::registry;
    try {
        Name name;
        if (!path_from_ansi(path, &name)) return 0;
        VostikKey key;
        if (!open_key(root, name.c_str(), false, &key)) return 0;
        close_key(key);
        for (int failed = 0; failed <= kRetries; ++failed)
            if (delete_step(root, name.c_str())) return 1;
        return 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}
