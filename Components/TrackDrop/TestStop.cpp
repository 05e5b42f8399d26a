#include "Components/TrackDrop/TestStop.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace trackdrop {

void stopHereForTest(const char *point) {
    static bool stopped = false; // once: the copy passes "during-copy" at every MB
    const char *wanted = std::getenv("MOBIVERT_TRACKDROP_STOP_AT");
    if (!stopped && wanted != nullptr && std::strcmp(wanted, point) == 0) {
        stopped = true;
        std::raise(SIGSTOP);
    }
}

} // namespace trackdrop
