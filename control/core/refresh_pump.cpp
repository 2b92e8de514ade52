#include "refresh_pump.h"

namespace rotam {
namespace {
MessagePump *installed_pump = nullptr;
}

void set_message_pump(MessagePump *pump) { installed_pump = pump; }

MessagePump &message_pump() { return installed_pump ? *installed_pump : platform_message_pump(); }

}  // namespace rotam
