#pragma once

#include "App/Utils/FileLogger.h"
#include "Support/DesktopTest.h"
#include "Support/TestEnvironment.h"
#include "Support/TextField.h"

#include <optional>
#include <string>

namespace QEL::Testing {

// A focused text field in another process to insert into, and a debug log of
// the test's own.
class InsertionTest : public TestSupport::DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (HasFatalFailure())
            return;
        FileLogger::setLogPathForTesting(folder / "debug.log");
        field.emplace();
    }

    void TearDown() override
    {
        field.reset();
        FileLogger::setLogPathForTesting({});
        DesktopTest::TearDown();
    }

    std::string debugLog() const { return TestSupport::fileContents(folder / "debug.log"); }

    TestSupport::TemporaryFolder folder;
    std::optional<TestSupport::ForeignTextField> field;
};

} // namespace QEL::Testing
