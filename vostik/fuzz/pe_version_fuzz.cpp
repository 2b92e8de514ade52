// The PE version reader on any bytes, as a whole file and as a version
// block: no read outside them, and whatever text it finds lies within them.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // A copy of exactly the input's size, so that a byte beyond is caught.
    std::vector<std::uint8_t> bytes(data, data + size);
    bytes.shrink_to_fit();
    vostik::pe::MemorySource file(bytes);

    std::vector<std::uint8_t> block = vostik::pe::read_version_block(file);
    if (block.size() > 0x10000 || block.size() > size) std::abort();
    auto version = vostik::pe::product_version(file);
    if (version && (version->empty() || version->size() * 2 > size)) std::abort();

    for (const char *path : {"\\StringFileInfo\\041104b0\\FileVersion", "\\", "\\VarFileInfo\\Translation",
                             "StringFileInfo\\\\041104B0\\ProductVersion\\"}) {
        auto value = vostik::pe::query_value(bytes, path);
        if (value && value->size() * 2 > size) std::abort();
    }
    return 0;
}
