#include "RadozodEri/Core/Audio/SampleStream.h"

namespace RadozodEri {

void Detail::SampleStreamState::terminate(std::exception_ptr cause)
{
    std::function<void()> handler;
    {
        const std::lock_guard lock(mutex);
        if (ended)
            return;
        ended = true;
        error = std::move(cause);
        handler = std::move(onTermination);
    }
    arrived.notify_all();
    if (handler)
        handler();
}

void SampleStreamContinuation::yield(std::vector<float> samples) const
{
    {
        const std::lock_guard lock(state_->mutex);
        if (state_->ended)
            return;
        state_->queued.push_back(std::move(samples));
    }
    state_->arrived.notify_one();
}

void SampleStreamContinuation::finish(std::exception_ptr error) const
{
    state_->terminate(std::move(error));
}

std::pair<SampleStream, SampleStreamContinuation> SampleStream::make()
{
    auto state = std::make_shared<Detail::SampleStreamState>();
    return {SampleStream(state), SampleStreamContinuation(state)};
}

SampleStream::~SampleStream()
{
    if (state_)
        state_->terminate(nullptr);
}

std::optional<std::vector<float>> SampleStream::next()
{
    std::unique_lock lock(state_->mutex);
    state_->arrived.wait(lock, [&] { return !state_->queued.empty() || state_->ended; });
    if (!state_->queued.empty()) {
        std::vector<float> samples = std::move(state_->queued.front());
        state_->queued.pop_front();
        return samples;
    }
    if (state_->error)
        std::rethrow_exception(state_->error);
    return std::nullopt;
}

void SampleStream::setOnTermination(std::function<void()> onTermination)
{
    const std::lock_guard lock(state_->mutex);
    state_->onTermination = std::move(onTermination);
}

} // namespace RadozodEri
