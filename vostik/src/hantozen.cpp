// HanToZen: half-width ASCII and katakana to their full-width Shift-JIS
// characters, one for one (a kana and a following sound mark stay two
// characters).
#include "hantozen.h"

#include <array>
#include <cstring>

#include "codepage.h"
#include "vostik.h"

namespace vostik {
namespace {

using CodeTable = std::array<std::uint16_t, 256>;
using LeadTable = std::array<bool, 256>;

constexpr CodeTable make_full_width_932() {
    CodeTable t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<std::uint16_t>(b);
    auto run = [&t](int first, std::initializer_list<std::uint16_t> codes) {
        for (std::uint16_t c : codes) t[first++] = c;
    };
    auto range = [&t](int first, int last, std::uint16_t code) {
        for (int b = first; b <= last; ++b) t[b] = code++;
    };

    // Printable ASCII.
    t[0x20] = 0x8140;
    run(0x21, {0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B, 0x8143,
               0x817C, 0x8144, 0x815E});
    range(0x30, 0x39, 0x824F);
    run(0x3A, {0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197});
    range(0x41, 0x5A, 0x8260);
    run(0x5B, {0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x8165});
    range(0x61, 0x7A, 0x8281);
    run(0x7B, {0x816F, 0x8162, 0x8170, 0x8150});

    // Half-width punctuation and katakana.  The kana rows skip the codes of
    // the voiced kana that lie between the plain ones in the full-width
    // block.
    run(0xA1, {0x8142, 0x8175, 0x8176, 0x8141, 0x8145});
    run(0xA6, {0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362});
    t[0xB0] = 0x815B;
    run(0xB1, {0x8341, 0x8343, 0x8345, 0x8347, 0x8349});
    run(0xB6, {0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
               0x8363, 0x8365, 0x8367});
    range(0xC5, 0xC9, 0x8369);
    run(0xCA, {0x836E, 0x8371, 0x8374, 0x8377, 0x837A});
    run(0xCF, {0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C,
               0x838D});
    t[0xDC] = 0x838F;
    t[0xDD] = 0x8393;
    t[0xDE] = 0x814A;
    t[0xDF] = 0x814B;
    return t;
}

constexpr CodeTable kFullWidth932 = make_full_width_932();

// The same codes as the two bytes written, high byte first, so that each
// byte of text costs one lookup and one two-byte store.
using PairTable = std::array<std::array<unsigned char, 2>, 256>;

constexpr PairTable make_pairs(bool japanese) {
    PairTable t{};
    for (int b = 0; b < 256; ++b) {
        std::uint16_t w = japanese ? kFullWidth932[b] : static_cast<std::uint16_t>(b);
        t[b] = {static_cast<unsigned char>(w >> 8), static_cast<unsigned char>(w & 0xFF)};
    }
    return t;
}

constexpr PairTable kPairs932 = make_pairs(true);
constexpr PairTable kPairsSingle = make_pairs(false);

template <class IsLead>
LeadTable make_lead_table(IsLead is_lead) {
    LeadTable t{};
    for (int b = 0; b < 256; ++b) t[b] = is_lead(static_cast<unsigned char>(b));
    return t;
}

std::size_t convert(const char *source, char *target, const LeadTable &lead, bool japanese) {
    const auto *s = reinterpret_cast<const unsigned char *>(source);
    auto *t = reinterpret_cast<unsigned char *>(target);
    unsigned char *const start = t;
    const PairTable &pairs = japanese ? kPairs932 : kPairsSingle;
    for (unsigned char b; (b = *s++) != 0;) {
        if (lead[b]) {
            // The trail byte goes along unchanged, even when it is the end of
            // the text: then the zero is copied and counted, and the walk ends.
            unsigned char trail = *s++;
            t[0] = b;
            t[1] = trail;
            t += 2;
            if (trail == 0) break;
        } else {
            std::memcpy(t, pairs[b].data(), 2);
            t += 2;
        }
    }
    *t = 0;
    return static_cast<std::size_t>(t - start);
}

}  // namespace

std::uint16_t full_width_code(unsigned codepage, unsigned char byte) {
    return codepage == 932 ? kFullWidth932[byte] : byte;
}

std::size_t han_to_zen(const char *source, char *target, unsigned codepage) {
    LeadTable lead = make_lead_table([codepage](unsigned char c) { return is_lead_byte_in(codepage, c); });
    return convert(source, target, lead, codepage == 932);
}

}  // namespace vostik

VOSTIK_API int32_t VOSTIK_CALL HanToZen(const char *source, char *target) {
    // The code page is fixed once the library is loaded, so its lead bytes
    // are asked of the platform once.
    static const vostik::LeadTable lead = vostik::make_lead_table(vostik::is_lead_byte);
    static const bool japanese = vostik::ansi_codepage() == 932;
    return static_cast<int32_t>(vostik::convert(source, target, lead, japanese));
}
