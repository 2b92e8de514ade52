#include <windows.h>

#include "beep.h"

namespace vostik {

std::int32_t message_beep(std::uint32_t sound_type) { return MessageBeep(sound_type); }

}  // namespace vostik
