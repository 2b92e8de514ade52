// The few registry operations that DeleteRegistry's walk needs.  On Windows
// they are the platform's registry functions (UTF-16 names, so that key
// names the ANSI code page cannot spell are still found); elsewhere a small
// layer of our own over directories: a key is a directory, a value is any
// other file in it.
#pragma once

#include <cstdint>
#include <string>

#include "vostik.h"

namespace vostik::registry {

#if defined(_WIN32)
using NameChar = wchar_t;
#else
using NameChar = char;
#endif
using Name = std::basic_string<NameChar>;

// The caller's ANSI key path in the layer's form; false when it is empty or
// names no key that could exist.
bool path_from_ansi(const char *path, Name *out);

// Deletes the key with its values; fails while it has a subkey.
bool delete_key(VostikKey root, const NameChar *path);

// Opens a key, for everything (all_access) or for reading values only.
bool open_key(VostikKey root, const NameChar *path, bool all_access, VostikKey *key);
void close_key(VostikKey key);

struct KeyInfo {
    std::uint32_t subkeys = 0;
    std::uint32_t longest_subkey_name = 0;  // characters, terminator not counted
    std::uint32_t values = 0;
};
bool query_info(VostikKey key, KeyInfo *info);

// The name of the subkey at index into name, which holds capacity
// characters with the terminator; false if there is none or it is too long.
bool enum_key(VostikKey key, std::uint32_t index, NameChar *name, std::uint32_t capacity);

#if !defined(_WIN32)
// path_from_ansi with the code page's lead-byte test passed in.
bool path_from_bytes(const char *path, bool (*is_lead)(unsigned char), Name *out);
#endif

// One step of DeleteRegistry on a path in the layer's form.
bool delete_step(VostikKey root, const NameChar *path);

}  // namespace vostik::registry
