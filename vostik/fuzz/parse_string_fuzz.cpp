// ParseString on any text, under a single-byte and a double-byte code page,
// and with the working memory running out at a chosen moment: the text is
// never read past its end, the code is one of the documented ones, the
// result stays 0 unless the text was evaluated, and nothing leaks.  (A text
// without digits may still evaluate to non-zero: ".^." is 0^0 = 1.)
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "codepage.h"
#include "parse.h"
#include "vostik.h"

namespace {

int allocations_left = 0;

void *limited(void *block, std::size_t size) {
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    if (allocations_left-- <= 0) return nullptr;
    return std::realloc(block, size);
}

bool lead_932(unsigned char c) { return vostik::is_lead_byte_in(932, c); }
bool no_lead(unsigned char) { return false; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    std::uint8_t control = data[0];
    ++data;
    --size;
    std::size_t len = strnlen(reinterpret_cast<const char *>(data), size);
    char *text = static_cast<char *>(std::malloc(len + 1));  // exact, so overreads are caught
    std::memcpy(text, data, len);
    text[len] = '\0';
    double result = 7;
    allocations_left = (control >> 1) & 7 ? (control >> 1) & 7 : 1000;
    int32_t code = vostik::parse_expression(text, &result, limited, control & 1 ? lead_932 : no_lead);
    if (code != 0 && code != 1 && code != 2 && code != 0x8000 && code != 0x101) std::abort();
    if (code != 0 && result != 0) std::abort();

    int32_t public_code = ParseString(text, &result);
    if (public_code == 0x101) std::abort();
    if (code != 0x101 && (control & 1) == 0 && public_code != code && vostik::ansi_codepage() == 1252) std::abort();
    std::free(text);
    return 0;
}
