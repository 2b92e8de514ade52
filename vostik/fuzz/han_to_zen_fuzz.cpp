// HanToZen under several code pages on any text: the output stays within
// 2 x length + 1 bytes, ends in a zero at the returned count, and pairs up
// with the source byte by byte (double-byte characters unchanged, every
// other byte widened).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "codepage.h"
#include "hantozen.h"
#include "vostik.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    static const unsigned pages[] = {932, 1252, 936, 949, 950, 437};
    unsigned page = pages[data[0] % (sizeof pages / sizeof pages[0])];
    ++data;
    --size;
    std::size_t len = strnlen(reinterpret_cast<const char *>(data), size);

    // Exact sizes on the heap, so that a byte beyond either is reported.
    char *source = static_cast<char *>(std::malloc(len + 1));
    std::memcpy(source, data, len);
    source[len] = '\0';
    char *target = static_cast<char *>(std::malloc(2 * len + 1));

    std::size_t n = vostik::han_to_zen(source, target, page);
    if (n > 2 * len || target[n] != '\0') std::abort();
    const auto *s = reinterpret_cast<const unsigned char *>(source);
    const auto *t = reinterpret_cast<const unsigned char *>(target);
    std::size_t i = 0, o = 0;
    while (i < len) {
        if (vostik::is_lead_byte_in(page, s[i])) {
            if (t[o] != s[i] || t[o + 1] != s[i + 1]) std::abort();
            i += 2;
        } else {
            std::uint16_t w = vostik::full_width_code(page, s[i]);
            if (t[o] != (w >> 8) || t[o + 1] != (w & 0xFF)) std::abort();
            i += 1;
        }
        o += 2;
    }
    if (o != n) std::abort();

    // The export under the process's own page, same bounds.
    if (static_cast<std::size_t>(HanToZen(source, target)) > 2 * len) std::abort();

    std::free(target);
    std::free(source);
    return 0;
}
