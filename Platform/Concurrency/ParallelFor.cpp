#include "Platform/Concurrency/ParallelFor.h"

#include "Platform/Concurrency/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace Platform {
namespace {

// One helper fewer than cores: the caller always works too.
unsigned cores()
{
    static const unsigned count = std::max(1u, std::thread::hardware_concurrency());
    return count;
}

WorkerPool& helperPool()
{
    static WorkerPool pool(cores() - 1);
    return pool;
}

// Pieces are claimed one at a time, so a helper that starts late (the pool
// busy with another caller's pieces) finds the work done and leaves at once.
// Shared ownership keeps this alive for such a helper after the caller returned.
struct SharedWork {
    long count = 0;
    long pieceLength = 0;
    long pieces = 0;
    Detail::RangeBody run = nullptr;
    const void* body = nullptr;
    std::atomic<long> nextPiece{0};
    std::mutex mutex;
    std::condition_variable allDone;
    long piecesDone = 0;

    void work()
    {
        long done = 0;
        for (long piece = nextPiece++; piece < pieces; piece = nextPiece++) {
            const long begin = piece * pieceLength;
            run(body, begin, std::min(count, begin + pieceLength));
            ++done;
        }
        if (done == 0)
            return;
        std::lock_guard lock(mutex);
        piecesDone += done;
        if (piecesDone == pieces)
            allDone.notify_all();
    }
};

} // namespace

namespace Detail {

void runInParallel(long count, long grain, int threads, RangeBody run, const void* body)
{
    // A few pieces per thread even out threads that start late or run slower.
    constexpr long kPiecesPerThread = 4;
    const long pieces = std::clamp(count / std::max(grain, 1L), 1L, threads * kPiecesPerThread);
    auto shared = std::make_shared<SharedWork>();
    shared->count = count;
    shared->pieceLength = (count + pieces - 1) / pieces;
    shared->pieces = (count + shared->pieceLength - 1) / shared->pieceLength;
    shared->run = run;
    shared->body = body;
    // Never more helpers than the pool has threads: a job that no thread is
    // free to take would wait in the queue for ever.
    const long helpers = std::min<long>({threads, shared->pieces, cores()}) - 1;
    for (long i = 0; i < helpers; ++i)
        helperPool().submit([shared] { shared->work(); });
    shared->work();
    std::unique_lock lock(shared->mutex);
    shared->allDone.wait(lock, [&] { return shared->piecesDone == shared->pieces; });
}

} // namespace Detail
} // namespace Platform
