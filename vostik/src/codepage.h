// The process's ANSI code page as the library sees it, noted once at load.
#pragma once

namespace vostik {

unsigned ansi_codepage();
bool is_lead_byte(unsigned char c);

// Lead-byte ranges of the double-byte pages we know; single-byte pages have none.
bool is_lead_byte_in(unsigned codepage, unsigned char c);

}  // namespace vostik
