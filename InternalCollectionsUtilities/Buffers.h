#pragma once

// Bulk copies and moves of elements into uninitialized memory, as spans. A
// target too small for its source is a broken contract and stops the program.

#include "InternalCollectionsUtilities/Fatal.h"

#include <cstddef>
#include <memory>
#include <span>

namespace InternalCollectionsUtilities {

// Part of a writable buffer: positions [start, end) counted from its start.
template <class T>
struct BufferSlice {
    std::span<T> buffer;
    std::ptrdiff_t start = 0;
    std::ptrdiff_t end = 0;

    std::span<T> slots() const
    {
        return buffer.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    }
};

template <class T>
T* _ptr(std::span<T> buffer, std::ptrdiff_t i)
{
    return buffer.data() + i;
}

template <class T, class U>
bool _isIdentical(std::span<T> a, std::span<U> b)
{
    return static_cast<const void*>(a.data()) == static_cast<const void*>(b.data()) && a.size() == b.size();
}

// Copies the source into the first slots of the target and returns its count.
template <class T>
std::ptrdiff_t _initializePrefix(std::span<T> target, std::span<const T> source)
{
    precondition(source.size() <= target.size());
    if (!source.empty())
        std::uninitialized_copy_n(source.data(), source.size(), target.data());
    return static_cast<std::ptrdiff_t>(source.size());
}

// The same, moving: afterwards the source slots hold no live elements.
template <class T>
std::ptrdiff_t _moveInitializePrefix(std::span<T> target, std::span<T> source)
{
    precondition(source.size() <= target.size());
    if (!source.empty()) {
        std::uninitialized_move_n(source.data(), source.size(), target.data());
        std::destroy_n(source.data(), source.size());
    }
    return static_cast<std::ptrdiff_t>(source.size());
}

// Copies as _initializePrefix, then the target becomes the part after the copy.
template <class T>
void _initializeAndDropPrefix(std::span<T>& target, std::span<const T> source)
{
    const auto written = _initializePrefix(target, source);
    target = target.subspan(static_cast<std::size_t>(written));
}

// Copies the source into the slice's first slots; returns the position after them.
template <class T>
std::ptrdiff_t initialize(BufferSlice<T> target, std::span<const T> source)
{
    return target.start + _initializePrefix(target.slots(), source);
}

// The source fills the whole target; a longer one stops the program.
template <class T>
void initializeAll(std::span<T> target, std::span<const T> source)
{
    precondition(source.size() == target.size());
    _initializePrefix(target, source);
}

template <class T>
void moveInitializeAll(std::span<T> target, std::span<T> source)
{
    if (target.data() == nullptr)
        return;
    precondition(source.size() == target.size());
    _moveInitializePrefix(target, source);
}

} // namespace InternalCollectionsUtilities
