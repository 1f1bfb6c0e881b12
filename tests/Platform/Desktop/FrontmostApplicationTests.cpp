#include "Platform/Desktop/FrontmostApplication.h"

#include "Support/DesktopTest.h"
#include "Support/TestEnvironment.h"
#include "Support/TestWindow.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <optional>

TEST(FrontmostApplication, NoneWithoutADisplay)
{
    const TestSupport::ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
    EXPECT_EQ(Platform::frontmostApplication(), std::nullopt);
}

namespace {

std::optional<std::string> frontmostName()
{
    const auto application = Platform::frontmostApplication();
    return application ? application->displayName : std::nullopt;
}

} // namespace

using FrontmostApplicationOnDesktop = TestSupport::DesktopTest;

TEST_F(FrontmostApplicationOnDesktop, FollowsTheActiveWindow)
{
    std::optional<TestSupport::TestWindow> editor(std::in_place, "qel-editor", "QelEditor");
    std::optional<TestSupport::TestWindow> mail(std::in_place, "qel-mail", "QelMail");
    for (const auto* window : {&*editor, &*mail, &*editor}) {
        window->activate();
        const std::string expected = window == &*editor ? "QelEditor" : "QelMail";
        EXPECT_TRUE(TestSupport::waitUntil([&] { return frontmostName() == expected; }))
            << "expected " << expected << ", found " << frontmostName().value_or("none");
    }
    EXPECT_EQ(Platform::frontmostApplication()->identifier, "qel-editor");

    // The window manager may still name a closed window as the active one for
    // a moment; that is no application, and no failure.
    editor.reset();
    mail.reset();
    const auto afterwards = frontmostName();
    EXPECT_NE(afterwards, "QelEditor");
    EXPECT_NE(afterwards, "QelMail");
}
