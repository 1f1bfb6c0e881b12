#pragma once

// A child of a syntax tree in shared, immutable storage: copying a tree copies
// pointers, and nothing changes a child once built. Compares by value.

#include <memory>
#include <type_traits>
#include <variant>

namespace Jinja {

// Whether T is one of the alternatives of the variant `Cases`, so that a tree
// type converts only from its own cases.
template <class T, class Cases>
inline constexpr bool isCaseOf = false;
template <class T, class... Alternatives>
inline constexpr bool isCaseOf<T, std::variant<Alternatives...>> = (std::is_same_v<T, Alternatives> || ...);

template <class T>
class Shared {
public:
    Shared(T value) : storage_(std::make_shared<const T>(std::move(value))) {}

    const T& operator*() const { return *storage_; }
    const T* operator->() const { return storage_.get(); }

    friend bool operator==(const Shared& first, const Shared& second)
    {
        return first.storage_ == second.storage_ || *first.storage_ == *second.storage_;
    }

private:
    std::shared_ptr<const T> storage_;
};

} // namespace Jinja
