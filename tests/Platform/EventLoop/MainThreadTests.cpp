#include "Platform/EventLoop/MainThread.h"

#include "Support/CoreApplication.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string>
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

TEST_F(MainThread, AWaitedCallRunsOnTheMainThreadAndHandsBackWhatItThrows)
{
    const std::thread::id mainThread = std::this_thread::get_id();
    std::thread::id ranOn;
    EXPECT_TRUE(Platform::runOnMainThreadAndWait([&] { ranOn = std::this_thread::get_id(); }, std::chrono::seconds(0)))
        << "on the main thread the call runs at once";
    EXPECT_EQ(ranOn, mainThread);

    ranOn = {};
    bool returned = false;
    bool threw = false;
    TestSupport::runOnWorkerThread([&] {
        returned =
            Platform::runOnMainThreadAndWait([&] { ranOn = std::this_thread::get_id(); }, std::chrono::seconds(20));
        try {
            Platform::runOnMainThreadAndWait([] { throw std::runtime_error("refused"); }, std::chrono::seconds(20));
        } catch (const std::runtime_error& error) {
            threw = std::string(error.what()) == "refused";
        }
    });
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, mainThread);
    EXPECT_TRUE(threw);
}

TEST_F(MainThread, AWaitedCallTheMainThreadDoesNotComeToInTimeNeverRuns)
{
    bool ran = false;
    bool returned = true;
    // The main thread is busy joining the worker, so it cannot run the call.
    std::thread([&] {
        returned = Platform::runOnMainThreadAndWait([&] { ran = true; }, std::chrono::milliseconds(50));
    }).join();
    EXPECT_FALSE(returned);

    bool after = false;
    Platform::runOnMainThread([&] { after = true; });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return after; }));
    EXPECT_FALSE(ran);
}

TEST_F(MainThread, WorkersQueueingAtOnceHandOverWhatTheyWrote)
{
    // No join before the calls run: the queue alone must hand each worker's
    // writes to the main thread, and keep each worker's calls in their order.
    constexpr int workers = 4;
    constexpr int callsEach = 500;
    std::vector<std::vector<int>> ran(workers);
    std::vector<std::jthread> threads;
    for (int worker = 0; worker < workers; ++worker)
        threads.emplace_back([&ran, worker] {
            for (int i = 0; i < callsEach; ++i)
                Platform::runOnMainThread(
                    [&ran, worker, written = std::make_shared<int>(i)] { ran[worker].push_back(*written); });
        });

    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return std::all_of(ran.begin(), ran.end(), [](const auto& calls) { return calls.size() == callsEach; });
    }));
    std::vector<int> expected(callsEach);
    std::iota(expected.begin(), expected.end(), 0);
    for (int worker = 0; worker < workers; ++worker)
        EXPECT_EQ(ran[worker], expected) << "worker " << worker;
}

TEST_F(MainThread, ACallThatWaitsOnTheEventLoopLetsTheNextCallsRunInOrder)
{
    std::vector<std::string> ran;
    Platform::runOnMainThread([&] {
        ran.push_back("waiting");
        EXPECT_TRUE(TestSupport::waitUntil([&] { return ran.size() == 3; }));
        ran.push_back("waited");
    });
    Platform::runOnMainThread([&] { ran.push_back("second"); });
    Platform::runOnMainThread([&] { ran.push_back("third"); });

    ASSERT_TRUE(TestSupport::waitUntil([&] { return ran.size() == 4; }));
    EXPECT_EQ(ran, (std::vector<std::string>{"waiting", "second", "third", "waited"}));
}
