#include "Platform/ML/BlasThreads.h"

#include <algorithm>
#include <cblas.h>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace Platform::ML {
namespace {

std::mutex shareMutex;
int activeShares = 0;

bool userChoseThreadCount()
{
    static const bool chosen = std::getenv("OPENBLAS_NUM_THREADS") || std::getenv("OMP_NUM_THREADS");
    return chosen;
}

void applyShares()
{
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    openblas_set_num_threads(std::max(1, cores / std::max(1, activeShares)));
}

} // namespace

BlasThreadShare::BlasThreadShare()
{
    if (userChoseThreadCount())
        return;
    std::lock_guard lock(shareMutex);
    ++activeShares;
    applyShares();
}

BlasThreadShare::~BlasThreadShare()
{
    if (userChoseThreadCount())
        return;
    std::lock_guard lock(shareMutex);
    --activeShares;
    if (activeShares > 0)
        applyShares();
}

int computeThreads()
{
    return std::max(1, openblas_get_num_threads());
}

} // namespace Platform::ML
