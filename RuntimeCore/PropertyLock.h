#pragma once

#include "Platform/JSON/JSONCoding.h"
#include "RuntimeCore/UnfairLock.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace RuntimeCore {

// One field of a shared object, safe to read, write and change from several
// threads. A copy shares the lock of the wrapper it was copied from but holds
// its own value. Coded to JSON exactly as the wrapped value is.
template <class Value>
class PropertyLock {
public:
    PropertyLock() : PropertyLock(Value {}) { }
    explicit PropertyLock(Value wrappedValue)
        : lock_(std::make_shared<UnfairLock>()), value_(std::move(wrappedValue))
    {
    }

    PropertyLock(const PropertyLock& other) : lock_(other.lock_), value_(other.wrappedValue()) { }
    PropertyLock& operator=(const PropertyLock& other)
    {
        if (this != &other) {
            Value copy = other.wrappedValue();
            lock_ = other.lock_;
            setWrappedValue(std::move(copy));
        }
        return *this;
    }

    // A copy taken under the lock.
    Value wrappedValue() const
    {
        return lock_->withLock([this] { return value_; });
    }

    // The old value is released while the lock is held.
    void setWrappedValue(Value newValue)
    {
        lock_->withLock([&] { value_ = std::move(newValue); });
    }

    // Changes the value in place under the lock (appending to a list, adding to a
    // number), so concurrent changes never overwrite one another. `change` gets a
    // reference to the value and must not touch this wrapper. Whatever the change
    // did before throwing stays in place.
    template <class Change>
    decltype(auto) modify(Change&& change)
    {
        return lock_->withLock([&]() -> decltype(auto) { return std::forward<Change>(change)(value_); });
    }

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const
    {
        return lock_->withLock([&] { return Platform::JSON::encode(value_, allocator); });
    }

    // Decoding errors propagate and no wrapper is made.
    static PropertyLock fromJSON(const rapidjson::Value& json)
    {
        return PropertyLock(Platform::JSON::decode<Value>(json));
    }

private:
    std::shared_ptr<UnfairLock> lock_;
    Value value_;
};

} // namespace RuntimeCore
