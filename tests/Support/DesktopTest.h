#pragma once

// Tests that use the headless desktop of .ci/desktop.sh (X server, window
// manager, tray, sound server, session bus) derive their fixture from
// DesktopTest. Outside that desktop they fail at once, saying why. Inside it
// they run one at a time, even when ctest runs tests in parallel: keyboard
// focus, synthetic key presses, key grabs and the pipe microphone are shared
// by the whole desktop.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace TestSupport {

class DesktopTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* variable :
             {"DISPLAY", "PULSE_SERVER", "QEL_MIC_FIFO", "DBUS_SESSION_BUS_ADDRESS", "QEL_DESKTOP_RUN"}) {
            const char* value = std::getenv(variable);
            ASSERT_TRUE(value && *value) << variable << " is not set: this test needs the headless desktop; run it "
                                         << "through scripts/test or .ci/desktop.sh";
        }
        const std::string lock = std::string(std::getenv("QEL_DESKTOP_RUN")) + "/desktop.lock";
        lock_ = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(lock_, 0) << "cannot open " << lock;
        ASSERT_EQ(flock(lock_, LOCK_EX), 0) << "cannot lock " << lock;
    }

    void TearDown() override
    {
        if (lock_ >= 0)
            close(lock_); // also unlocks
    }

private:
    int lock_ = -1;
};

} // namespace TestSupport
