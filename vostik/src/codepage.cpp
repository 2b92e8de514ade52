#include "codepage.h"

namespace vostik {

bool is_lead_byte_in(unsigned codepage, unsigned char c) {
    switch (codepage) {
    case 932:  // Shift-JIS
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
        return c >= 0x81 && c <= 0xFE;
    default:
        return false;
    }
}

}  // namespace vostik
