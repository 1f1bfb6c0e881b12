#include "RuntimeCore/UnfairLock.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(UnfairLock, ABodyThatThrowsLeavesTheLockFree)
{
    RuntimeCore::UnfairLock lock;
    EXPECT_THROW(lock.withLock([]() -> int { throw std::runtime_error("body failed"); }), std::runtime_error);
    // A lock left held would make this try fail.
    EXPECT_EQ(lock.withLock([] { return 42; }), 42);
}
