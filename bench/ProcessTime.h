#pragma once

// CPU time of this process and of the calling thread, for benchmarks that
// report how much of a core some work takes beside a feeding thread.

#include <sys/resource.h>

#include <ctime>

namespace QelBench {

inline double secondsOf(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

inline double processCPUSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
}

inline double threadCPUSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

} // namespace QelBench
