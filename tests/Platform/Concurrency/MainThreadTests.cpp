#include "Platform/Concurrency/MainThread.h"

#include "Support/CoreApplication.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <thread>
#include <vector>

namespace {

class MainThread : public testing::Test {
protected:
    static void SetUpTestSuite() { TestSupport::ensureCoreApplication(); }
};

struct Receiver {
    std::vector<int>* ran;
};

} // namespace

TEST_F(MainThread, CallsFromAWorkerRunOnTheMainThreadInTheOrderQueued)
{
    const std::thread::id mainThread = std::this_thread::get_id();
    std::vector<int> ran;
    bool allOnMainThread = true;
    QObject object;
    auto shared = std::make_shared<Receiver>(Receiver{&ran});
    auto record = [&](int index) {
        ran.push_back(index);
        allOnMainThread = allOnMainThread && std::this_thread::get_id() == mainThread;
    };

    // The three ways of queueing take turns, so the order holds across them.
    constexpr int count = 300;
    std::thread worker([&] {
        for (int i = 0; i < count; ++i) {
            if (i % 3 == 0)
                Platform::runOnMainThread([&record, i] { record(i); });
            else if (i % 3 == 1)
                Platform::runOnMainThread(&object, [&record, i] { record(i); });
            else
                Platform::runOnMainThread(std::weak_ptr<Receiver>(shared), [&record, i](Receiver&) { record(i); });
        }
    });
    worker.join();
    Platform::runOnMainThread([&record] { record(count); });
    EXPECT_TRUE(ran.empty()) << "a call ran before the event loop turned";

    ASSERT_TRUE(TestSupport::waitUntil([&] { return ran.size() == count + 1; }));
    std::vector<int> expected(count + 1);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(ran, expected);
    EXPECT_TRUE(allOnMainThread);
}

TEST_F(MainThread, CallForAReceiverThatDiedIsDropped)
{
    bool ranForObject = false;
    bool ranForShared = false;
    bool ranAfter = false;
    auto object = std::make_unique<QObject>();
    auto shared = std::make_shared<Receiver>();
    std::thread worker([&] {
        Platform::runOnMainThread(object.get(), [&] { ranForObject = true; });
        Platform::runOnMainThread(std::weak_ptr<Receiver>(shared), [&](Receiver&) { ranForShared = true; });
        Platform::runOnMainThread([&] { ranAfter = true; });
    });
    worker.join();
    object.reset();
    shared.reset();

    ASSERT_TRUE(TestSupport::waitUntil([&] { return ranAfter; }));
    EXPECT_FALSE(ranForObject);
    EXPECT_FALSE(ranForShared);
}
