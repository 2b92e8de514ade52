// The portable core has no window system of its own on POSIX: nothing waits.
#include "refresh_pump.h"

namespace rotam {

MessagePump &platform_message_pump() {
    struct Idle final : MessagePump {
        void run_pending() override {}
    };
    static Idle pump;
    return pump;
}

}  // namespace rotam
