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

// One loop's pieces, on its caller's stack. Each thread owns a run of
// consecutive pieces and works through it from the front, so that it streams
// one stretch of memory; one that runs out takes pieces from the back of the
// others' runs, so a thread that starts late or runs slower holds up no one.
// A helper that starts after all is done finds nothing and leaves at once.
// Aligned so that a mailbox can carry the loop's address and a share's
// number in one word.
struct alignas(512) Loop {
    // At most this many threads share one loop.
    static constexpr int kMaxShares = 256;

    // A run of pieces [next, end), both in one word so that its owner taking
    // the front and another thread taking the back can never both get the
    // last piece. Each on its own cache line: an owner taking a piece would
    // otherwise take the line from every thread reading the loop or its own
    // run.
    struct alignas(64) Share {
        std::atomic<std::uint64_t> range{0};

        static std::uint64_t pack(long next, long end)
        {
            return static_cast<std::uint64_t>(next) | static_cast<std::uint64_t>(end) << 32;
        }

        // The piece taken from the front (or the back), or -1 once none is left.
        long take(bool fromBack)
        {
            std::uint64_t current = range.load(std::memory_order_relaxed);
            for (;;) {
                const long next = static_cast<long>(current & 0xffffffffu), end = static_cast<long>(current >> 32);
                if (next >= end)
                    return -1;
                const std::uint64_t taken = fromBack ? pack(next, end - 1) : pack(next + 1, end);
                if (range.compare_exchange_weak(current, taken, std::memory_order_acq_rel))
                    return fromBack ? end - 1 : next;
            }
        }
    };

    long count = 0;
    long pieceLength = 0;
    int shares = 0;
    Detail::RangeBody run = nullptr;
    const void* body = nullptr;
    Share share[kMaxShares]; // the caller's is 0

    void divide(long pieces, int threads)
    {
        shares = threads;
        for (int i = 0; i < threads; ++i)
            share[i].range.store(Share::pack(pieces * i / threads, pieces * (i + 1) / threads),
                                 std::memory_order_relaxed);
    }

    void runPiece(long piece) const
    {
        const long begin = piece * pieceLength;
        run(body, begin, std::min(count, begin + pieceLength));
    }

    // The work of the thread that owns share `mine`.
    void work(int mine)
    {
        for (long piece = share[mine].take(false); piece >= 0; piece = share[mine].take(false))
            runPiece(piece);
        for (int k = 1; k < shares; ++k) {
            Share& other = share[(mine + k) % shares];
            for (long piece = other.take(true); piece >= 0; piece = other.take(true))
                runPiece(piece);
        }
    }
};

// One helper fewer than cores, shared by every caller: the caller always
// works too. Each helper has a mailbox: empty while it is idle, a letter
// once a caller hands it a loop (the loop and which share is the helper's),
// that letter marked once the helper has started on it. A caller takes back what was not started before it
// returns and waits for the rest, so no helper can reach a finished loop.
// Nothing is allocated per loop, and no lock is shared between helpers.
class Helpers {
public:
    Helpers() : mailboxes_(std::make_unique<Mailbox[]>(cores() - 1))
    {
        threads_.reserve(cores() - 1);
        for (unsigned i = 0; i + 1 < cores(); ++i)
            threads_.emplace_back([this, i] { serve(mailboxes_[i]); });
    }

    ~Helpers()
    {
        for (unsigned i = 0; i + 1 < cores(); ++i) {
            auto& box = mailboxes_[i];
            // An idle helper takes the stop at once; a busy one after its loop.
            // A weak exchange may fail spuriously on an idle helper, and this
            // thread would then sleep on a mailbox that no longer changes.
            for (std::uintptr_t idle = kEmpty; !box.state.compare_exchange_strong(idle, kStop); idle = kEmpty)
                box.sleepWhile(idle);
            box.wake();
        }
        threads_.clear(); // joins
    }

    // Hands the loop to up to `wanted` idle helpers, the n-th to take it with
    // share n + 1; returns how many took it and records which in `taken`.
    unsigned offer(Loop& loop, unsigned wanted, unsigned* taken)
    {
        unsigned count = 0;
        for (unsigned i = 0; i + 1 < cores() && count < wanted; ++i) {
            std::uintptr_t idle = kEmpty;
            if (mailboxes_[i].state.compare_exchange_strong(idle, letter(loop, count + 1))) {
                mailboxes_[i].wake();
                taken[count++] = i;
            }
        }
        return count;
    }

    // Returns once none of the helpers given the loop can still be on it.
    void withdraw(Loop& loop, const unsigned* taken, unsigned count)
    {
        for (unsigned n = 0; n < count; ++n) {
            auto& box = mailboxes_[taken[n]];
            // Read before taking back: a helper that has started keeps the
            // line, and a failed exchange would take it from the helper.
            std::uintptr_t offered = letter(loop, n + 1);
            if (box.state.load() == offered && box.state.compare_exchange_strong(offered, kEmpty)) {
                box.wake(); // the destructor may wait for an idle helper
                continue;
            }
            const std::uintptr_t started = letter(loop, n + 1) | kStarted;
            if (!spinUntil([&] { return box.state.load() != started; }))
                box.sleepWhile(started);
        }
    }

private:
    static constexpr std::uintptr_t kEmpty = 0;
    // A letter is a loop's address, a share's number above the lowest bit,
    // and the lowest bit once a helper has started; the alignment of loops
    // leaves the low bits free.
    static constexpr std::uintptr_t kStarted = 1;
    static constexpr std::uintptr_t kStop = 2; // no loop lies at address 0
    static constexpr std::uintptr_t kShareBits = 0x1fe;
    static_assert(alignof(Loop) >= 512 && Loop::kMaxShares <= 256);

    static std::uintptr_t letter(const Loop& loop, unsigned share)
    {
        return reinterpret_cast<std::uintptr_t>(&loop) | static_cast<std::uintptr_t>(share) << 1;
    }

    // A mailbox counts the threads asleep on it, so a change wakes them with
    // a system call only when there is someone to wake: the standard
    // library's own count is shared by unrelated addresses, and a loop would
    // pay for two calls whenever any helper sleeps.
    //
    // No wake-up is lost: a sleeper counts itself before `wait` reads the
    // state, and a waker changes the state before it reads the count. All
    // four accesses are sequentially consistent, so in their one total order
    // either the sleeper reads the new state and does not sleep, or the waker
    // reads the sleeper's count and notifies. Weaker orders would let both
    // reads see the old values.
    struct alignas(64) Mailbox {
        std::atomic<std::uintptr_t> state{kEmpty};
        std::atomic<int> sleepers{0};

        // Returns once the state is no longer `old`.
        void sleepWhile(std::uintptr_t old)
        {
            ++sleepers;
            state.wait(old); // returns only once the state differs
            --sleepers;
        }

        // Call after each change of state.
        void wake()
        {
            if (sleepers.load() > 0)
                state.notify_all();
        }
    };

    static void serve(Mailbox& box)
    {
        for (;;) {
            if (!spinUntil([&] { return box.state.load() != kEmpty; }))
                box.sleepWhile(kEmpty);
            std::uintptr_t offered = box.state.load();
            if (offered == kStop)
                return;
            if (offered == kEmpty || !box.state.compare_exchange_strong(offered, offered | kStarted))
                continue; // taken back before this helper started
            auto* loop = reinterpret_cast<Loop*>(offered & ~(kShareBits | kStarted));
            loop->work(static_cast<int>((offered & kShareBits) >> 1));
            box.state = kEmpty;
            box.wake();
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
    loop.run = run;
    loop.body = body;
    const long wholePieces = (count + loop.pieceLength - 1) / loop.pieceLength;
    const int sharing = static_cast<int>(std::min<long>({threads, wholePieces, cores(), Loop::kMaxShares}));
    loop.divide(wholePieces, sharing);
    thread_local std::vector<unsigned> taken;
    taken.resize(cores());
    const unsigned helping = sharing > 1 ? helpers().offer(loop, static_cast<unsigned>(sharing - 1), taken.data()) : 0;
    loop.work(0);
    if (helping > 0)
        helpers().withdraw(loop, taken.data(), helping);
}

} // namespace Detail
} // namespace Platform
