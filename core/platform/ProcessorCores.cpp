#include "core/platform/ProcessorCores.h"

#include <thread>

#include <sched.h>

int AvailableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0)
            return count;
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? int(hardware) : 1;
}
