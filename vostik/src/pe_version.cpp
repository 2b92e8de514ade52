// Version resource of a PE file, read the way the platform's version
// functions read it: headers, section table, the three levels of the
// resource directory (type 16, id 1, language), then the version block's
// tree of (length, value length, type, key, value, children) nodes.
//
// Offsets and lengths come from the file and are trusted nowhere: reads go
// through ByteSource, which fails rather than read past the file, and the
// block is walked with every position checked against its end.  Sizes are
// kept in 64 bits so that no sum of 32-bit fields can wrap.
#include "pe_version.h"

#include <algorithm>
#include <cstring>

namespace vostik::pe {
namespace {

constexpr std::uint32_t kVersionType = 16;  // resource type of version blocks
constexpr std::uint32_t kVersionId = 1;
constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::size_t kMaxBlock = 0x10000;

std::uint16_t u16(const std::uint8_t *p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t *p) { return u16(p) | static_cast<std::uint32_t>(u16(p + 2)) << 16; }

struct Section {
    std::uint64_t address;  // relative virtual address
    std::uint64_t size;     // bytes of file data
    std::uint64_t offset;   // where they start in the file
};

class Image {
public:
    explicit Image(const ByteSource &file) : file_(file) {}

    bool load_headers() {
        std::uint8_t dos[64];
        if (!file_.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
        std::uint64_t nt = u32(dos + 0x3C);
        std::uint8_t header[26];  // signature, file header, optional header magic
        if (!file_.read(nt, header, sizeof header) || std::memcmp(header, "PE\0\0", 4) != 0) return false;
        std::uint16_t section_count = u16(header + 6);
        std::uint64_t optional = nt + 24;
        std::uint64_t count_at, directories_at;
        switch (u16(header + 24)) {
            case 0x10b: count_at = 92, directories_at = 96; break;    // 32-bit image
            case 0x20b: count_at = 108, directories_at = 112; break;  // 64-bit image
            default: return false;
        }
        std::uint8_t field[8];
        if (!file_.read(optional + count_at, field, 4) || u32(field) <= 2) return false;
        if (!file_.read(optional + directories_at + 2 * 8, field, 8)) return false;  // resources: entry 2
        resources_ = u32(field);
        if (u32(field + 4) == 0) return false;

        std::vector<std::uint8_t> table(std::size_t{section_count} * 40);
        if (!file_.read(optional + u16(header + 20), table.data(), table.size())) return false;
        sections_.reserve(section_count);
        for (std::size_t i = 0; i < section_count; ++i) {
            const std::uint8_t *s = table.data() + i * 40;
            sections_.push_back({u32(s + 12), u32(s + 16), u32(s + 20)});
        }
        return true;
    }

    // Reads size bytes at rva, all of which must be file data of the first
    // section that holds rva.
    bool read(std::uint64_t rva, void *out, std::size_t size) const {
        const Section *s = section_of(rva);
        if (!s || rva - s->address + size > s->size) return false;
        return file_.read(s->offset + (rva - s->address), out, size);
    }

    // Bytes of file data from rva to the end of its section.
    std::uint64_t available(std::uint64_t rva) const {
        const Section *s = section_of(rva);
        return s ? s->size - (rva - s->address) : 0;
    }

    std::uint64_t resources() const { return resources_; }

private:
    const Section *section_of(std::uint64_t rva) const {
        for (const Section &s : sections_)
            if (rva >= s.address && rva < s.address + s.size) return &s;
        return nullptr;
    }

    const ByteSource &file_;
    std::vector<Section> sections_;
    std::uint64_t resources_ = 0;
};

// One directory of the resource tree: its entries as (name, offset) pairs.
struct Directory {
    std::size_t named = 0;  // the named entries come first, the numbered after
    std::vector<std::uint8_t> entries;

    std::size_t size() const { return entries.size() / 8; }
    std::uint32_t name(std::size_t i) const { return u32(&entries[i * 8]); }
    std::uint32_t offset(std::size_t i) const { return u32(&entries[i * 8 + 4]); }

    // The offset of the numbered entry id, if any.
    std::optional<std::uint32_t> find(std::uint16_t id) const {
        for (std::size_t i = named; i < size(); ++i)
            if ((name(i) & 0xFFFF) == id) return offset(i);
        return std::nullopt;
    }
};

std::optional<Directory> read_directory(const Image &image, std::uint32_t offset) {
    std::uint64_t at = image.resources() + (offset & ~kSubdirectory);
    std::uint8_t header[16];
    if (!image.read(at, header, sizeof header)) return std::nullopt;
    Directory d;
    d.named = u16(header + 12);
    d.entries.resize((d.named + std::size_t{u16(header + 14)}) * 8);
    if (!image.read(at + 16, d.entries.data(), d.entries.size())) return std::nullopt;
    return d;
}

// Follows a subdirectory entry of the type or name level.
std::optional<Directory> subdirectory(const Image &image, std::optional<std::uint32_t> offset) {
    if (!offset || !(*offset & kSubdirectory)) return std::nullopt;
    return read_directory(image, *offset);
}

std::size_t align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

// A node of the version block, positions relative to the block.
struct Node {
    std::size_t begin, length, key, value, children;
    std::uint16_t value_length;
};

// The node at pos, or nullopt when its header or key runs past the end.
std::optional<Node> node_at(std::span<const std::uint8_t> block, std::size_t pos) {
    if (pos + 6 > block.size()) return std::nullopt;
    const std::uint8_t *p = block.data() + pos;
    Node n{pos, u16(p), pos + 6, 0, 0, u16(p + 2)};
    std::size_t k = n.key;
    for (;; k += 2) {
        if (k + 2 > block.size()) return std::nullopt;
        if (u16(block.data() + k) == 0) break;
    }
    n.value = align4(k + 2);
    n.children = align4(n.value + std::size_t{n.value_length} * (u16(p + 4) ? 2 : 1));
    return n;
}

bool key_is(std::span<const std::uint8_t> block, const Node &n, std::string_view name) {
    auto fold = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    std::size_t k = n.key;
    for (char c : name) {
        // node_at saw the key's terminator and we stop there, so k stays
        // inside the block.
        unsigned unit = u16(block.data() + k);
        if (unit == 0 || fold(unit) != fold(static_cast<unsigned char>(c))) return false;
        k += 2;
    }
    return u16(block.data() + k) == 0;
}

std::optional<Node> find_child(std::span<const std::uint8_t> block, const Node &parent, std::string_view name) {
    std::size_t end = parent.begin + parent.length;
    for (std::size_t pos = parent.children; pos < end;) {
        std::optional<Node> child = node_at(block, pos);
        if (!child) return std::nullopt;
        if (key_is(block, *child, name)) return child;
        if (child->length == 0) return std::nullopt;
        pos += align4(child->length);
    }
    return std::nullopt;
}

}  // namespace

bool MemorySource::read(std::uint64_t offset, void *out, std::size_t size) const {
    if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
    if (size) std::memcpy(out, bytes_.data() + offset, size);
    return true;
}

std::vector<std::uint8_t> read_version_block(const ByteSource &file) {
    Image image(file);
    if (!image.load_headers()) return {};
    std::optional<Directory> root = read_directory(image, 0);
    if (!root) return {};
    std::optional<Directory> type = subdirectory(image, root->find(kVersionType));
    if (!type) return {};
    std::optional<Directory> languages = subdirectory(image, type->find(kVersionId));
    if (!languages || languages->size() == 0) return {};
    std::optional<std::uint32_t> entry = languages->find(0x0000);       // neutral
    if (!entry) entry = languages->find(0x0409);                        // US English
    if (!entry) entry = languages->offset(0);                           // the first
    if (*entry & kSubdirectory) return {};

    std::uint8_t data[16];
    if (!image.read(image.resources() + *entry, data, sizeof data)) return {};
    std::uint64_t rva = u32(data);
    std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>({u32(data + 4), image.available(rva), kMaxBlock}));
    if (size < 6) return {};
    std::vector<std::uint8_t> block(size);
    if (!image.read(rva, block.data(), size)) return {};
    // The old 8-bit form starts its key right after two lengths; the Unicode
    // form has a type word (0 or 1) there.
    if (block[4] >= ' ') return {};
    return block;
}

std::optional<std::u16string> query_value(std::span<const std::uint8_t> block, std::string_view path) {
    if (block.size() < 6) return std::nullopt;
    block = block.first(std::min<std::size_t>(block.size(), u16(block.data())));
    std::optional<Node> node = node_at(block, 0);
    while (node && !path.empty()) {
        std::size_t slash = path.find('\\');
        std::string_view name = path.substr(0, slash);
        path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
        if (!name.empty()) node = find_child(block, *node, name);
    }
    if (!node) return std::nullopt;
    std::u16string text;
    if (node->value_length == 0) return text;
    for (std::size_t p = node->value; p + 2 <= block.size(); p += 2) {
        char16_t c = u16(block.data() + p);
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

std::optional<std::u16string> product_version(const ByteSource &file) {
    std::vector<std::uint8_t> block = read_version_block(file);
    if (block.empty()) return std::nullopt;
    auto file_version = query_value(block, "\\StringFileInfo\\041104b0\\FileVersion");
    auto product = query_value(block, "\\StringFileInfo\\041104b0\\ProductVersion");
    if (file_version && !file_version->empty()) return file_version;
    if (product && !product->empty()) return product;
    return std::nullopt;
}

}  // namespace vostik::pe
