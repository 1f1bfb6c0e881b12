#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace Platform {

// Objects that are costly to make (large scratch buffers), lent to one caller
// at a time: a caller takes one, made when none is free, and it returns to the
// pool when the lease ends. Calls that run at once never share an object, and
// calls one after another reuse the same ones, so the pool holds as many
// objects as calls have ever run at once.
template <class T>
class ObjectPool {
public:
    explicit ObjectPool(std::function<std::unique_ptr<T>()> make) : make_(std::move(make)) {}

    class Lease {
    public:
        Lease(ObjectPool& pool, std::unique_ptr<T> object) : pool_(&pool), object_(std::move(object)) {}
        Lease(Lease&& other) noexcept = default;
        Lease& operator=(Lease&&) = delete;
        ~Lease()
        {
            if (object_)
                pool_->giveBack(std::move(object_));
        }

        T& operator*() const { return *object_; }
        T* operator->() const { return object_.get(); }

    private:
        ObjectPool* pool_;
        std::unique_ptr<T> object_;
    };

    Lease take()
    {
        {
            std::lock_guard lock(mutex_);
            if (!free_.empty()) {
                auto object = std::move(free_.back());
                free_.pop_back();
                return Lease(*this, std::move(object));
            }
        }
        return Lease(*this, make_());
    }

private:
    // Runs in a destructor: an object the list has no room for is dropped.
    void giveBack(std::unique_ptr<T> object) noexcept
    {
        std::lock_guard lock(mutex_);
        try {
            free_.push_back(std::move(object));
        } catch (const std::bad_alloc&) {
        }
    }

    std::function<std::unique_ptr<T>()> make_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<T>> free_;
};

} // namespace Platform
