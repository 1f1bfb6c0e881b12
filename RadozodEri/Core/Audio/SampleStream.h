#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace RadozodEri {

namespace Detail {
struct SampleStreamState;
}

// The feeding end of a SampleStream. Copies feed the same stream.
class SampleStreamContinuation {
public:
    explicit SampleStreamContinuation(std::shared_ptr<Detail::SampleStreamState> state) : state_(std::move(state)) {}

    // Queues the samples for the reader; nothing once the stream has ended.
    void yield(std::vector<float> samples) const;
    // Ends the stream: the reader gets what is queued, then the end, or the
    // error when one is given. Later calls change nothing.
    void finish(std::exception_ptr error = nullptr) const;

private:
    std::shared_ptr<Detail::SampleStreamState> state_;
};

// A queue of sample arrays, read in order by one consumer, that can end with
// an error. Its termination handler runs once, when the feeder finishes or the
// consumer lets the stream go (destroys it), whichever is first.
class SampleStream {
public:
    // A new stream and the continuation that feeds it.
    static std::pair<SampleStream, SampleStreamContinuation> make();

    SampleStream(SampleStream&&) = default;
    SampleStream& operator=(SampleStream&&) = default;
    ~SampleStream();

    // The next array, waiting for one; nothing at the end. Throws the error the
    // stream ended with, once the queued arrays have been read.
    std::optional<std::vector<float>> next();

    // Set before anything can end the stream; it runs outside the stream's lock.
    void setOnTermination(std::function<void()> onTermination);

private:
    explicit SampleStream(std::shared_ptr<Detail::SampleStreamState> state) : state_(std::move(state)) {}

    std::shared_ptr<Detail::SampleStreamState> state_;
};

namespace Detail {

struct SampleStreamState {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::vector<float>> queued;
    bool ended = false;
    std::exception_ptr error;
    std::function<void()> onTermination;

    // Marks the end and runs the handler once; false when it had ended before.
    void terminate(std::exception_ptr cause);
};

} // namespace Detail

} // namespace RadozodEri
