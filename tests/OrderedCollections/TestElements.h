#pragma once

// Element types whose hashes the tests choose: one pinned to a bucket (the
// seed is ignored), and one whose hashes all collide.

#include <cstdint>
#include <ostream>

namespace OrderedCollectionsTests {

// Hashes to `bucket` under every seed; equal by `value` alone.
struct Pinned {
    std::int64_t value;
    std::int64_t bucket = 0;

    friend bool operator==(const Pinned& a, const Pinned& b) { return a.value == b.value; }
    friend std::int64_t seededHash(const Pinned& element, std::int64_t) { return element.bucket; }
    friend std::ostream& operator<<(std::ostream& out, const Pinned& element) { return out << element.value; }
};

// Every value hashes alike, so every lookup walks one long run.
struct Colliding {
    std::int64_t value;

    friend bool operator==(const Colliding&, const Colliding&) = default;
    friend std::int64_t seededHash(const Colliding&, std::int64_t) { return 7; }
    friend std::ostream& operator<<(std::ostream& out, const Colliding& element) { return out << element.value; }
};

} // namespace OrderedCollectionsTests
