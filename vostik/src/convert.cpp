// ZynBeep, the old binary single format, and palette-relative colours.
#include <cstring>

#include "beep.h"
#include "vostik.h"

namespace vostik {
namespace {

// Simple beep, asterisk, exclamation, question, default sound.
constexpr std::uint32_t kBeepTable[5] = {0xFFFFFFFF, 0x40, 0x30, 0x20, 0x00};

constexpr std::uint32_t kPaletteRelative = 0x02000000;

}  // namespace

std::uint32_t beep_sound_type(std::int32_t kind) {
    // A negative kind would index before the table: it gets the simple beep
    // like every other kind outside 0 to 4.
    auto index = static_cast<std::int16_t>(static_cast<std::uint16_t>(kind & 0xFFFF));
    return kBeepTable[index >= 0 && index < 5 ? index : 0];
}

}  // namespace vostik

VOSTIK_API int32_t VOSTIK_CALL ZynBeep(int32_t kind) {
    return vostik::message_beep(vostik::beep_sound_type(kind));
}

// Both formats keep the sign, and the same 23 mantissa bits at the same
// places in bytes 0 to 2; only the sign and the exponent move, and the
// exponent's bias differs by 2 (MBF 0.1m x 2^(E-128), IEEE 1.m x 2^(x-127)).
// Exponents are not range-checked: they wrap modulo 256.  Both read all
// four bytes before writing, so source and target may be the same.
VOSTIK_API void VOSTIK_CALL MSBinToIEEE(const void *source, void *target) {
    unsigned char b[4];
    std::memcpy(b, source, 4);
    unsigned char out[4] = {b[0], b[1], b[2], b[3]};
    if (b[3] == 0) {
        std::memset(out, 0, 4);
    } else {
        unsigned char e = static_cast<unsigned char>(b[3] - 2);
        out[2] = static_cast<unsigned char>(((e & 1) << 7) | (b[2] & 0x7F));
        out[3] = static_cast<unsigned char>((b[2] & 0x80) | (e >> 1));
    }
    std::memcpy(target, out, 4);
}

VOSTIK_API void VOSTIK_CALL IEEEToMSBin(const void *source, void *target) {
    unsigned char b[4];
    std::memcpy(b, source, 4);
    unsigned char out[4] = {b[0], b[1], b[2], b[3]};
    if (b[0] | b[1] | b[2] | b[3]) {
        unsigned x = ((b[3] & 0x7Fu) << 1) | (b[2] >> 7);
        out[2] = static_cast<unsigned char>((b[3] & 0x80) | (b[2] & 0x7F));
        out[3] = static_cast<unsigned char>(x + 2);
    }
    std::memcpy(target, out, 4);
}

VOSTIK_API uint32_t VOSTIK_CALL XorPALETTERGB(uint32_t color1, uint32_t color2) {
    return vostik::kPaletteRelative | ((color1 ^ color2) & 0x00FFFFFF);
}

VOSTIK_API uint32_t VOSTIK_CALL MakePALETTERGB(uint32_t color) { return vostik::kPaletteRelative | (color & 0x00FFFFFF); }
