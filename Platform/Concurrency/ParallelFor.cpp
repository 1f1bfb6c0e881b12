#include "Platform/Concurrency/ParallelFor.h"

#include "Platform/Concurrency/ProcessorCount.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace Platform {
namespace {

// How long a thread that runs out of work keeps watching for more before it
// sleeps: waking a sleeping thread costs tens of microseconds, more than many
// of the loops that follow each other in a model's forward pass.
constexpr auto kSpinBeforeSleep = std::chrono::microseconds(500);

void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Polls `ready` for at most kSpinBeforeSleep; true once it holds.
template <typename Ready>
bool spinUntil(const Ready& ready)
{
    const auto deadline = std::chrono::steady_clock::now() + kSpinBeforeSleep;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (ready())
                return true;
            relax();
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

unsigned cores()
{
    static const auto count = static_cast<unsigned>(processorCount());
    return count;
}

// One loop's pieces, on its caller's stack. Pieces are claimed one at a
// time, so a helper that starts late finds the work done and leaves at once.
struct Loop {
    long count = 0;
    long pieceLength = 0;
    long pieces = 0;
    Detail::RangeBody run = nullptr;
    const void* body = nullptr;
    std::atomic<long> nextPiece{0};

    void work()
    {
        for (long piece = nextPiece++; piece < pieces; piece = nextPiece++) {
            const long begin = piece * pieceLength;
            run(body, begin, std::min(count, begin + pieceLength));
        }
    }
};

// One helper fewer than cores, shared by every caller: the caller always
// works too. Each helper has a mailbox: empty while it is idle, a loop's
// address once a caller hands it one, that address marked once the helper
// has started on it. A caller takes back what was not started before it
// returns and waits for the rest, so no helper can reach a finished loop.
// Nothing is allocated per loop, and no lock is shared between helpers.
class Helpers {
public:
    Helpers() : mailboxes_(std::make_unique<Mailbox[]>(cores() - 1))
    {
        threads_.reserve(cores() - 1);
        for (unsigned i = 0; i + 1 < cores(); ++i)
            threads_.emplace_back([this, i] { serve(mailboxes_[i].state); });
    }

    ~Helpers()
    {
        for (unsigned i = 0; i + 1 < cores(); ++i) {
            auto& state = mailboxes_[i].state;
            // An idle helper takes the stop at once; a busy one after its loop.
            for (std::uintptr_t idle = kEmpty; !state.compare_exchange_weak(idle, kStop); idle = kEmpty)
                state.wait(idle);
            state.notify_all();
        }
        threads_.clear(); // joins
    }

    // Hands the loop to up to `wanted` idle helpers; returns how many took it
    // and records which in `taken`.
    unsigned offer(Loop& loop, unsigned wanted, unsigned* taken)
    {
        const auto address = reinterpret_cast<std::uintptr_t>(&loop);
        unsigned count = 0;
        for (unsigned i = 0; i + 1 < cores() && count < wanted; ++i) {
            std::uintptr_t idle = kEmpty;
            if (mailboxes_[i].state.compare_exchange_strong(idle, address)) {
                mailboxes_[i].state.notify_all();
                taken[count++] = i;
            }
        }
        return count;
    }

    // Returns once none of the helpers given the loop can still be on it.
    void withdraw(Loop& loop, const unsigned* taken, unsigned count)
    {
        const auto address = reinterpret_cast<std::uintptr_t>(&loop);
        for (unsigned n = 0; n < count; ++n) {
            auto& state = mailboxes_[taken[n]].state;
            std::uintptr_t offered = address;
            if (state.compare_exchange_strong(offered, kEmpty)) {
                state.notify_all(); // the destructor may wait for an idle helper
                continue;
            }
            const std::uintptr_t started = address | kStarted;
            if (!spinUntil([&] { return state.load() != started; }))
                while (state.load() == started)
                    state.wait(started);
        }
    }

private:
    static constexpr std::uintptr_t kEmpty = 0;
    static constexpr std::uintptr_t kStarted = 1; // loops are aligned: the low bit is free
    static constexpr std::uintptr_t kStop = 2;

    struct alignas(64) Mailbox {
        std::atomic<std::uintptr_t> state{kEmpty};
    };

    static void serve(std::atomic<std::uintptr_t>& state)
    {
        for (;;) {
            if (!spinUntil([&] { return state.load() != kEmpty; }))
                state.wait(kEmpty);
            std::uintptr_t offered = state.load();
            if (offered == kStop)
                return;
            if (offered == kEmpty || !state.compare_exchange_strong(offered, offered | kStarted))
                continue; // taken back before this helper started
            reinterpret_cast<Loop*>(offered)->work();
            state = kEmpty;
            state.notify_all();
        }
    }

    std::unique_ptr<Mailbox[]> mailboxes_;
    std::vector<std::jthread> threads_;
};

Helpers& helpers()
{
    static Helpers instance;
    return instance;
}

} // namespace

namespace Detail {

void runInParallel(long count, long grain, int threads, RangeBody run, const void* body)
{
    // A few pieces per thread even out threads that start late or run slower.
    constexpr long kPiecesPerThread = 4;
    Loop loop;
    const long pieces = std::clamp(count / std::max(grain, 1L), 1L, threads * kPiecesPerThread);
    loop.count = count;
    loop.pieceLength = (count + pieces - 1) / pieces;
    loop.pieces = (count + loop.pieceLength - 1) / loop.pieceLength;
    loop.run = run;
    loop.body = body;
    const auto wanted = static_cast<unsigned>(std::min<long>({threads, loop.pieces, cores()}) - 1);
    thread_local std::vector<unsigned> taken;
    taken.resize(cores());
    const unsigned helping = wanted > 0 ? helpers().offer(loop, wanted, taken.data()) : 0;
    loop.work();
    if (helping > 0)
        helpers().withdraw(loop, taken.data(), helping);
}

} // namespace Detail
} // namespace Platform
