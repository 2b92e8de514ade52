// Half-width to full-width text for HanToZen, with the code page as an
// argument so that every page can be tried on any machine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vostik {

// The two-byte code HanToZen writes for a byte that does not start a
// double-byte character: its full-width Shift-JIS character under code
// page 932 where it has one, else the byte itself (high byte 0).
std::uint16_t full_width_code(unsigned codepage, unsigned char byte);

// HanToZen under `codepage`, with that page's lead bytes as
// is_lead_byte_in() knows them.  target must hold 2 x strlen(source) + 1
// bytes.  Returns the bytes written before the final zero.
std::size_t han_to_zen(const char *source, char *target, unsigned codepage);

}  // namespace vostik
