// The beep behind ZynBeep: the library's one global table, and the
// platform's message beep (beep_win32.cpp, beep_posix.cpp).
#pragma once

#include <cstdint>

namespace vostik {

// Sound type of the platform's message beep for ZynBeep(kind): only the low
// 16 bits of kind count, as a signed number; 0 to 4 pick their entry, any
// other value the simple beep of entry 0.
std::uint32_t beep_sound_type(std::int32_t kind);

// Sounds a message beep of the given type; non-zero when it sounded.
std::int32_t message_beep(std::uint32_t sound_type);

}  // namespace vostik
