#pragma once

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <vector>

namespace QEL {

// A fixed-size circular store that keeps the most recent elements; every
// operation takes its own lock. Written in place, never reallocated.
template <typename Element>
class RingBuffer {
public:
    explicit RingBuffer(size_t capacity) : buffer_(capacity) {}
    RingBuffer(double durationSeconds, double sampleRate)
        : RingBuffer(static_cast<size_t>(durationSeconds * sampleRate))
    {
    }

    void write(const std::vector<Element>& elements)
    {
        std::lock_guard lock(mutex_);
        if (buffer_.empty())
            return;
        for (const Element& element : elements) {
            buffer_[writeIndex_] = element;
            writeIndex_ = (writeIndex_ + 1) % buffer_.size();
            count_ = std::min(count_ + 1, buffer_.size());
        }
    }

    // The last up to n elements written, oldest first.
    std::vector<Element> readLast(size_t n) const
    {
        std::lock_guard lock(mutex_);
        const size_t k = std::min(n, count_);
        std::vector<Element> elements;
        elements.reserve(k);
        const size_t start = (writeIndex_ + buffer_.size() - k) % std::max<size_t>(buffer_.size(), 1);
        for (size_t offset = 0; offset < k; ++offset)
            elements.push_back(buffer_[(start + offset) % buffer_.size()]);
        return elements;
    }

    void clear()
    {
        std::lock_guard lock(mutex_);
        writeIndex_ = 0;
        count_ = 0;
    }

    size_t count() const
    {
        std::lock_guard lock(mutex_);
        return count_;
    }

    size_t capacity() const { return buffer_.size(); }

private:
    mutable std::mutex mutex_;
    std::vector<Element> buffer_;
    size_t writeIndex_ = 0;
    size_t count_ = 0;
};

} // namespace QEL
