#include "Platform/Concurrency/ProcessorCount.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <thread>

TEST(ProcessorCount, CountsOnlyTheProcessorsTheThreadMayRunOn)
{
    // On a thread of its own, so the narrowed mask ends with it.
    std::thread([] {
        cpu_set_t allowed;
        ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
        int first = 0;
        while (!CPU_ISSET(first, &allowed))
            ++first;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        EXPECT_EQ(Platform::processorCount(), 1);
    }).join();
}
