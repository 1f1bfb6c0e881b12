#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/Concurrency/ProcessorCount.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

struct Split {
    long count;
    long grain;
    int threads;
};

// Runs a parallel loop that counts every visit of every index.
std::vector<int> visits(const Split& split)
{
    std::vector<std::atomic<int>> counts(static_cast<size_t>(split.count));
    Platform::parallelFor(split.count, split.grain, split.threads, [&](long begin, long end) {
        for (long i = begin; i < end; ++i)
            ++counts[static_cast<size_t>(i)];
    });
    return {counts.begin(), counts.end()};
}

} // namespace

TEST(ParallelFor, VisitsEveryIndexExactlyOnce)
{
    const Split splits[] = {
        {0, 1, 4},     {1, 1, 4},     {7, 1, 1},    {7, 100, 8},
        {1000, 1, 8},  {1001, 3, 3},  {97, 10, 64}, {100000, 64, 8},
    };
    for (const auto& split : splits) {
        const auto counts = visits(split);
        for (size_t i = 0; i < counts.size(); ++i)
            ASSERT_EQ(counts[i], 1) << "index " << i << " of " << split.count << ", grain " << split.grain
                                    << ", " << split.threads << " threads";
    }
}

TEST(ParallelFor, CallersSharingThePoolEachGetAllTheirWork)
{
    std::vector<std::jthread> callers;
    std::atomic<int> wrong{0};
    for (int caller = 0; caller < 6; ++caller)
        callers.emplace_back([&] {
            for (int round = 0; round < 50; ++round)
                for (int count : visits({5000, 16, 8}))
                    if (count != 1)
                        ++wrong;
        });
    callers.clear();
    EXPECT_EQ(wrong, 0);
}

// Each loop starts after a pause longer than idle helpers keep watching for
// work, so its helper is asleep and must be woken by the offer; its two
// pieces wait for each other, so the loop cannot end unless a helper joins.
// The helper's piece then outlasts the caller's watching for it, so the
// caller sleeps too and must be woken when the helper finishes. A lost
// wake-up on either side leaves the loop waiting for ever.
TEST(ParallelFor, SleepingHelpersAndCallersAreWoken)
{
    if (Platform::processorCount() < 2)
        GTEST_SKIP() << "a single processor gives the caller no helper";
    const auto caller = std::this_thread::get_id();
    for (int round = 0; round < 20; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::atomic<int> started{0};
        std::atomic<bool> helped{false};
        Platform::parallelFor(2, 1, 2, [&](long, long) {
            ++started;
            while (started.load() < 2)
                std::this_thread::yield();
            if (std::this_thread::get_id() != caller) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                helped = true;
            }
        });
        ASSERT_TRUE(helped) << "round " << round;
    }
}

// The first piece waits until every other piece is done. Its thread owns the
// pieces after it too, so the loop ends only if the helper, once through its
// own run, takes those from the back of the waiting thread's.
TEST(ParallelFor, AThreadHeldUpInOnePieceHasTheRestOfItsRunTakenByAnother)
{
    if (Platform::processorCount() < 2)
        GTEST_SKIP() << "a single processor gives the caller no helper";
    constexpr long kPieces = 8;
    std::atomic<long> done{0};
    std::atomic<bool> gaveUp{false};
    Platform::parallelFor(kPieces, 1, 2, [&](long begin, long end) {
        for (long piece = begin; piece < end; ++piece) {
            if (piece == 0) {
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (done.load() < kPieces - 1 && !gaveUp)
                    if (std::chrono::steady_clock::now() > deadline)
                        gaveUp = true;
                    else
                        std::this_thread::yield();
            }
            ++done;
        }
    });
    EXPECT_FALSE(gaveUp);
    EXPECT_EQ(done, kPieces);
}
