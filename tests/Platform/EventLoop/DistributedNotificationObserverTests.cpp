#include "Platform/EventLoop/DistributedNotificationObserver.h"

#include "Support/CoreApplication.h"
#include "Support/DesktopTest.h"
#include "Support/Waiting.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

class DistributedNotificationObserverTest : public TestSupport::DesktopTest {
protected:
    static void SetUpTestSuite() { TestSupport::ensureCoreApplication(); }

    // Posts a signal from another process, as any program on the desktop may.
    static void post(const char* path, const char* signal)
    {
        ASSERT_EQ(QProcess::execute("dbus-send", {"--session", "--type=signal", path, signal}), 0);
    }
};

} // namespace

TEST_F(DistributedNotificationObserverTest, ReceivesTheNotificationFromAnyObjectOnTheMainThread)
{
    int received = 0;
    bool onMainThread = true;
    const auto mainThread = std::this_thread::get_id();
    Platform::DistributedNotificationObserver observer("com.tolvek.qel.tests.ping", [&] {
        ++received;
        onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
    });

    post("/com/tolvek/qel", "com.tolvek.qel.tests.ping");
    post("/some/other/object", "com.tolvek.qel.tests.ping");
    post("/com/tolvek/qel", "com.tolvek.qel.tests.pong");
    post("/com/tolvek/qel", "com.tolvek.qel.other.ping");
    // The bus delivers in order, so once this one is in, the two above would be too.
    post("/com/tolvek/qel", "com.tolvek.qel.tests.ping");
    ASSERT_TRUE(TestSupport::waitUntil([&] { return received >= 3; }));
    EXPECT_EQ(received, 3);
    EXPECT_TRUE(onMainThread);
}

TEST_F(DistributedNotificationObserverTest, ANameWithoutAnInterfaceIsRefused)
{
    for (const char* name : {"toggle", ".toggle", "com.tolvek.qel."})
        EXPECT_THROW(Platform::DistributedNotificationObserver(name, [] {}), std::invalid_argument) << name;
}
