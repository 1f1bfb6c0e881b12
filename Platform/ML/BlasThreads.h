#pragma once

namespace Platform::ML {

// Shares the processor among the computations running at once: while n of
// them hold a share, BLAS runs each call on cores / n threads, so parallel
// transcriptions do not oversubscribe the machine. A thread count the user
// set through OPENBLAS_NUM_THREADS or OMP_NUM_THREADS is left alone.
class BlasThreadShare {
public:
    BlasThreadShare();
    ~BlasThreadShare();
    BlasThreadShare(const BlasThreadShare&) = delete;
    BlasThreadShare& operator=(const BlasThreadShare&) = delete;
};

// The threads one computation may use for its own parallel loops: as many as
// BLAS has been given, so the share above bounds both.
int computeThreads();

} // namespace Platform::ML
