// The registry layer over directories.  root is an open directory
// descriptor; a key is a directory below it and a value any other file in a
// key's directory.  Deleting a key takes its values with it and fails while
// it has a subkey, as the platform registry does.  Symbolic links below the
// caller's path are never followed: a link counts as a value, and removing
// it removes the link only.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "codepage.h"
#include "registry_layer.h"

namespace vostik::registry {
namespace {

int open_directory(int at, const char *path) {
    return openat(at, path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

struct Entry {
    std::string name;
    bool key;
};

// The entries of a key's directory, "." and ".." left out.  No layer
// function lets an exception out: the walk holds open keys and a name block.
bool list(int dir, std::vector<Entry> *out) {
    // A descriptor of our own, so that reading does not move the caller's.
    int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    DIR *d = fdopendir(fd);
    if (!d) {
        close(fd);
        return false;
    }
    bool ok = true;
    try {
        while (const dirent *e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            bool key = e->d_type == DT_DIR;
            if (e->d_type == DT_UNKNOWN) {
                struct stat st;
                key = fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            }
            out->push_back({e->d_name, key});
        }
    } catch (const std::bad_alloc &) {
        ok = false;
    }
    closedir(d);
    return ok;
}

}  // namespace

bool path_from_bytes(const char *path, bool (*is_lead)(unsigned char), Name *out) {
    if (!path || !*path) return false;
    Name result, name;
    auto end_name = [&] {
        if (name.empty() || name == "." || name == "..") return false;
        if (!result.empty()) result += '/';
        result += name;
        name.clear();
        return true;
    };
    for (const char *p = path; *p;) {
        if (is_lead(static_cast<unsigned char>(*p)) && p[1]) {
            name.append(p, 2);  // the trail byte may be a "\"
            p += 2;
        } else if (*p == '\\' || *p == '/') {
            if (!end_name()) return false;
            ++p;
        } else {
            name += *p++;
        }
    }
    if (!end_name()) return false;
    *out = std::move(result);
    return true;
}

bool path_from_ansi(const char *path, Name *out) { return path_from_bytes(path, is_lead_byte, out); }

bool delete_key(VostikKey root, const NameChar *path) {
    int fd = open_directory(root, path);
    if (fd < 0) return false;
    std::vector<Entry> entries;
    bool ok = list(fd, &entries) && std::none_of(entries.begin(), entries.end(), [](const Entry &e) { return e.key; });
    for (const Entry &e : entries) {
        if (!ok) break;
        ok = unlinkat(fd, e.name.c_str(), 0) == 0;
    }
    close(fd);
    return ok && unlinkat(root, path, AT_REMOVEDIR) == 0;
}

bool open_key(VostikKey root, const NameChar *path, bool, VostikKey *key) {
    int fd = open_directory(root, path);
    if (fd < 0) return false;
    *key = fd;
    return true;
}

void close_key(VostikKey key) { close(key); }

bool query_info(VostikKey key, KeyInfo *info) {
    std::vector<Entry> entries;
    if (!list(key, &entries)) return false;
    *info = {};
    for (const Entry &e : entries) {
        if (e.key) {
            ++info->subkeys;
            info->longest_subkey_name = std::max(info->longest_subkey_name, static_cast<std::uint32_t>(e.name.size()));
        } else {
            ++info->values;
        }
    }
    return true;
}

// Subkeys are numbered in byte order of their names, so a walk is the same
// on every file system.
bool enum_key(VostikKey key, std::uint32_t index, NameChar *name, std::uint32_t capacity) {
    std::vector<Entry> entries;
    if (!list(key, &entries)) return false;
    auto is_value = [](const Entry &e) { return !e.key; };
    entries.erase(std::remove_if(entries.begin(), entries.end(), is_value), entries.end());
    if (index >= entries.size()) return false;
    auto by_name = [](const Entry &a, const Entry &b) { return a.name < b.name; };
    std::nth_element(entries.begin(), entries.begin() + index, entries.end(), by_name);
    const std::string &found = entries[index].name;
    if (found.size() + 1 > capacity) return false;
    std::memcpy(name, found.c_str(), found.size() + 1);
    return true;
}

}  // namespace vostik::registry
