#include "Platform/Concurrency/ProcessorCount.h"

#include <algorithm>
#include <sched.h>
#include <thread>

namespace Platform {

int processorCount()
{
    // The fixed-size mask covers 1024 processors; beyond that the call fails
    // and the online count stands.
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return std::max(1, CPU_COUNT(&allowed));
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace Platform
