// The thread's message queue, emptied once: every message waiting is
// translated and dispatched, then control returns to the wrapper.
#include <windows.h>

#include "refresh_pump.h"

namespace rotam {

MessagePump &platform_message_pump() {
    struct Queue final : MessagePump {
        void run_pending() override {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                // A quit request belongs to the host's own loop: put it back
                // for that loop to see, and stop here.
                if (msg.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    return;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    };
    static Queue pump;
    return pump;
}

}  // namespace rotam
