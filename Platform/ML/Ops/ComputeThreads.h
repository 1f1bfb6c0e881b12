#pragma once

namespace Platform::ML {

// Shares the processor among the computations running at once: while n of
// them hold a share, each spreads its work over cores / n threads, so
// parallel transcriptions do not oversubscribe the machine. A thread count
// the user set through OPENBLAS_NUM_THREADS or OMP_NUM_THREADS is used as it
// stands.
class ComputeThreadShare {
public:
    ComputeThreadShare();
    ~ComputeThreadShare();
    ComputeThreadShare(const ComputeThreadShare&) = delete;
    ComputeThreadShare& operator=(const ComputeThreadShare&) = delete;
};

// The threads one computation may use for its parallel loops, matrix
// products included. BLAS itself is kept to the thread that calls it: one
// set of threads does all the work, and no idle BLAS thread spins beside it.
int computeThreads();

// Fixes computeThreads() for benchmarks and tests that compare thread
// counts; 0 returns to the share.
void setComputeThreads(int threads);

} // namespace Platform::ML
