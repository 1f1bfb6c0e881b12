#pragma once

// Hands every state it is given to any number of listeners, each reading its
// own unbounded queue at its own pace; a new listener first gets the latest
// state, or the initial one while nothing was broadcast. Thread-safe.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace Hub {

template <class T>
class Broadcaster {
    struct Channel {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<T> states;
        bool closed = false;

        void push(T state)
        {
            {
                std::lock_guard lock(mutex);
                states.push_back(std::move(state));
            }
            ready.notify_all();
        }
        void close()
        {
            {
                std::lock_guard lock(mutex);
                closed = true;
            }
            ready.notify_all();
        }
    };

    struct Listeners {
        std::mutex mutex;
        std::optional<T> latestState;
        std::map<std::uint64_t, std::shared_ptr<Channel>> channels;
        std::uint64_t nextIdentifier = 0;
    };

public:
    // One listener's queue; it stops receiving when it is destroyed.
    class Subscription {
    public:
        Subscription(Subscription&&) noexcept = default;
        Subscription& operator=(Subscription&&) noexcept = default;
        ~Subscription()
        {
            if (auto listeners = listeners_.lock()) {
                std::lock_guard lock(listeners->mutex);
                listeners->channels.erase(identifier_);
            }
        }

        // The next state, waiting for one; none once the broadcaster is gone
        // and every state it sent was taken.
        std::optional<T> next()
        {
            std::unique_lock lock(channel_->mutex);
            channel_->ready.wait(lock, [&] { return !channel_->states.empty() || channel_->closed; });
            if (channel_->states.empty())
                return std::nullopt;
            T state = std::move(channel_->states.front());
            channel_->states.pop_front();
            return state;
        }

    private:
        friend class Broadcaster;
        Subscription(std::weak_ptr<Listeners> listeners, std::uint64_t identifier, std::shared_ptr<Channel> channel)
            : listeners_(std::move(listeners)), identifier_(identifier), channel_(std::move(channel))
        {
        }

        std::weak_ptr<Listeners> listeners_;
        std::uint64_t identifier_ = 0;
        std::shared_ptr<Channel> channel_;
    };

    explicit Broadcaster(std::function<std::optional<T>()> initialState = {})
        : initialState_(std::move(initialState)), listeners_(std::make_shared<Listeners>())
    {
    }
    ~Broadcaster()
    {
        std::lock_guard lock(listeners_->mutex);
        for (auto& [identifier, channel] : listeners_->channels)
            channel->close();
        listeners_->channels.clear();
    }
    Broadcaster(const Broadcaster&) = delete;
    Broadcaster& operator=(const Broadcaster&) = delete;

    // The first state is queued before this returns, under the same lock as
    // broadcasts, so a listener never sees an older state after a newer one.
    Subscription subscribe()
    {
        std::lock_guard lock(listeners_->mutex);
        auto channel = std::make_shared<Channel>();
        const std::uint64_t identifier = listeners_->nextIdentifier++;
        listeners_->channels.emplace(identifier, channel);
        if (listeners_->latestState)
            channel->push(*listeners_->latestState);
        else if (initialState_)
            if (std::optional<T> initial = initialState_())
                channel->push(std::move(*initial));
        return Subscription(listeners_, identifier, std::move(channel));
    }

    void broadcast(const T& state)
    {
        std::lock_guard lock(listeners_->mutex);
        listeners_->latestState = state;
        for (auto& [identifier, channel] : listeners_->channels)
            channel->push(state);
    }

    std::optional<T> latestState() const
    {
        std::lock_guard lock(listeners_->mutex);
        return listeners_->latestState;
    }

private:
    std::function<std::optional<T>()> initialState_;
    std::shared_ptr<Listeners> listeners_;
};

} // namespace Hub
