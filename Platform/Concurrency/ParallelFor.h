#pragma once

namespace Platform {

namespace Detail {
using RangeBody = void (*)(const void* body, long begin, long end);
void runInParallel(long count, long grain, int threads, RangeBody run, const void* body);
} // namespace Detail

// Runs body(begin, end) over consecutive pieces of [0, count), each at least
// `grain` long, on up to `threads` threads: the caller and helpers from one
// process-wide set. Returns when every piece is done. Allocates nothing, so
// it may run per decoded token; work too small to split runs on the caller
// alone. The body must not throw.
template <typename Body>
void parallelFor(long count, long grain, int threads, const Body& body)
{
    if (count <= 0)
        return;
    if (threads <= 1 || count < 2 * grain) {
        body(0L, count);
        return;
    }
    Detail::runInParallel(
        count, grain, threads,
        [](const void* context, long begin, long end) { (*static_cast<const Body*>(context))(begin, end); },
        &body);
}

} // namespace Platform
