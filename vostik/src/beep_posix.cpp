// Without a sound service of the platform's kind, the message beep is the
// terminal's bell, whatever the sound type.  With no terminal on standard
// error nothing can sound, and we say so with 0 rather than claim a beep.
#include <unistd.h>

#include <cerrno>

#include "beep.h"

namespace vostik {

std::int32_t message_beep(std::uint32_t) {
    if (!isatty(STDERR_FILENO)) return 0;
    ssize_t written;
    do {
        written = write(STDERR_FILENO, "\a", 1);
    } while (written < 0 && errno == EINTR);
    return written == 1 ? 1 : 0;
}

}  // namespace vostik
