#include "RuntimeCore/ConcurrencyUtilities.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <thread>

// A process confined to some processors (taskset, a container's CPU set)
// counts only those, as the thread pools do.
TEST(ConcurrencyUtilities, CountsTheProcessorsThisProcessMayRunOn)
{
    // On a thread of its own, so the narrowed mask ends with it.
    std::thread([] {
        cpu_set_t allowed;
        ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
        EXPECT_EQ(RuntimeCore::ConcurrencyUtilities::activeProcessorCount(), CPU_COUNT(&allowed));
        int first = 0;
        while (!CPU_ISSET(first, &allowed))
            ++first;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        EXPECT_EQ(RuntimeCore::ConcurrencyUtilities::activeProcessorCount(), 1);
    }).join();
}
