// Letting the window messages waiting in this thread's queue run, as
// ZynRefresh does after the host has redrawn.  Command code must expect its
// own windows' handlers to run at that point.
#pragma once

namespace rotam {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Dispatches every message waiting now, then returns; never waits.
    virtual void run_pending() = 0;
};

// nullptr restores the platform's pump (on POSIX, where the core has no
// window system, one that has nothing to run).
void set_message_pump(MessagePump *pump);
MessagePump &message_pump();
// The pump of this platform (refresh_pump_win32.cpp / refresh_pump_posix.cpp).
MessagePump &platform_message_pump();

}  // namespace rotam
