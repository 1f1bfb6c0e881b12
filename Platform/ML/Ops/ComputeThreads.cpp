#include "Platform/ML/Ops/ComputeThreads.h"

#include "Platform/Concurrency/ProcessorCount.h"

#include <algorithm>
#include <atomic>
#include <cblas.h>
#include <cstdlib>

namespace Platform::ML {
namespace {

std::atomic<int> activeShares{0};
std::atomic<int> fixedThreads{0};

// The count the user chose, 0 for none. Read once, before BLAS is made
// single-threaded: BLAS has already parsed the variables into its own count.
int userThreads()
{
    static const int chosen = [] {
        const bool set = std::getenv("OPENBLAS_NUM_THREADS") || std::getenv("OMP_NUM_THREADS");
        const int count = set ? std::max(1, openblas_get_num_threads()) : 0;
        openblas_set_num_threads(1);
        return count;
    }();
    return chosen;
}

} // namespace

ComputeThreadShare::ComputeThreadShare()
{
    ++activeShares;
}

ComputeThreadShare::~ComputeThreadShare()
{
    --activeShares;
}

int computeThreads()
{
    const int user = userThreads();
    if (const int fixed = fixedThreads.load(); fixed > 0)
        return fixed;
    if (user > 0)
        return user;
    static const int cores = processorCount();
    return std::max(1, cores / std::max(1, activeShares.load()));
}

void setComputeThreads(int threads)
{
    userThreads();
    fixedThreads = std::max(0, threads);
}

} // namespace Platform::ML
