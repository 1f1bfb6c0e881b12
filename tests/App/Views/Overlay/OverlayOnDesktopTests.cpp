// The overlay on a real X desktop: it floats above the field being typed into
// without taking its focus, and each state of the pill as the user sees it.

#include "App/Views/Overlay/FloatingPillView.h"
#include "App/Views/Overlay/OverlayController.h"
#include "App/Views/Overlay/OverlayWindow.h"

#include "App/Views/TestAppState.h"
#include "Platform/Desktop/X11Connection.h"
#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/Screenshot.h"
#include "Support/TextField.h"
#include "Support/Waiting.h"

#include <QProcess>
#include <QWindow>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

using QEL::FloatingPillView;
using QEL::PillState;

namespace {

class OverlayOnDesktop : public TestSupport::DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        controller.setupWindow();
        controller.observeRecordingState();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return window().windowOpacity() == 1 && pill().isVisible(); }));
    }

    QEL::OverlayWindow& window() { return *controller.window(); }
    FloatingPillView& pill() { return *controller.pill(); }

    // The window's position as the X server has it.
    QRect serverGeometry()
    {
        auto& x = Platform::X11Connection::shared();
        const auto geometry = x.reply(xcb_get_geometry_reply, xcb_get_geometry(x.raw(), window().winId()));
        const auto origin = x.reply(xcb_translate_coordinates_reply,
                                    xcb_translate_coordinates(x.raw(), window().winId(), x.root(), 0, 0));
        return {origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    }

    std::vector<xcb_atom_t> atomsOf(const char* property)
    {
        auto& x = Platform::X11Connection::shared();
        const auto reply = x.reply(xcb_get_property_reply, xcb_get_property(x.raw(), 0, window().winId(),
                                                                            x.atom(property), XCB_ATOM_ANY, 0, 64));
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        return {values, values + xcb_get_property_value_length(reply.get()) / 4};
    }

    // Shows `state` at its size and waits until the window and the pill have settled there.
    void settle(const PillState& state)
    {
        pill().setState(state);
        const QSize size = state.isRecording ? FloatingPillView::recordingSize : FloatingPillView::idleSize;
        window().animateToSize(size);
        ASSERT_TRUE(TestSupport::waitUntil([&] {
            return serverGeometry().size() == size && pill().pillRect().size() == QSizeF(size) &&
                   pill().cornerRadius() == (state.isRecording ? 16 : 24);
        }));
    }

    TestAppState state;
    QEL::OverlayController controller{*state};
};

void pointer(const QStringList& arguments)
{
    ASSERT_EQ(QProcess::execute("xdotool", arguments), 0) << arguments.join(' ').toStdString();
}

} // namespace

TEST_F(OverlayOnDesktop, FloatsAboveTheFieldBeingTypedIntoWithoutTakingItsFocus)
{
    TestSupport::ForeignTextField field;
    window().raise();
    TestSupport::typeText("typed with the overlay up");
    EXPECT_TRUE(field.waitForText("typed with the overlay up"));

    // Clicking the pill's buttons does not take the focus either.
    const QPoint left = window().geometry().topLeft() + QPoint(26, 24);
    pointer({"mousemove", QString::number(left.x()), QString::number(left.y()), "click", "1"});
    TestSupport::typeText(", still");
    EXPECT_TRUE(field.waitForText("typed with the overlay up, still"));
    EXPECT_FALSE(window().isActiveWindow());

    // Above other windows, on every desktop, and out of task bars and the window cycle.
    auto& x = Platform::X11Connection::shared();
    EXPECT_THAT(atomsOf("_NET_WM_STATE"), testing::IsSupersetOf({x.atom("_NET_WM_STATE_ABOVE"),
                                                                 x.atom("_NET_WM_STATE_SKIP_TASKBAR"),
                                                                 x.atom("_NET_WM_STATE_SKIP_PAGER")}));
    EXPECT_THAT(atomsOf("_NET_WM_DESKTOP"), testing::ElementsAre(0xFFFFFFFF));
    TestSupport::saveScreenshot("over a focused field");
}

TEST_F(OverlayOnDesktop, ADragOnThePillMovesTheWindowAndAResizeBringsItBack)
{
    const QRect home = serverGeometry();
    EXPECT_EQ(home.size(), QSize(240, 48));
    // The middle of the row is background.
    const QPoint start = home.topLeft() + QPoint(120, 24);
    pointer({"mousemove", QString::number(start.x()), QString::number(start.y()), "mousedown", "1"});
    pointer({"mousemove", QString::number(start.x() - 200), QString::number(start.y() - 150)});
    pointer({"mousemove", QString::number(start.x() - 300), QString::number(start.y() - 300), "mouseup", "1"});
    EXPECT_TRUE(TestSupport::waitUntil([&] { return serverGeometry().topLeft() == home.topLeft() - QPoint(300, 300); }))
        << serverGeometry().x() << "," << serverGeometry().y();

    // It grows upward and to both sides from the bottom centre.
    window().animateToSize(FloatingPillView::recordingSize);
    const QRect grown(home.center().x() - 190 + 1, home.bottom() - 120 + 1, 380, 120);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return serverGeometry() == grown; }))
        << serverGeometry().x() << "," << serverGeometry().y() << " " << serverGeometry().width() << "x"
        << serverGeometry().height();
}

TEST_F(OverlayOnDesktop, EachStateOfThePill)
{
    // A light desktop behind, where the dark panel's shape and texts are the
    // hardest to make out.
    QWidget backdrop(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus);
    backdrop.setAttribute(Qt::WA_ShowWithoutActivating);
    QPalette light = backdrop.palette();
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    backdrop.setPalette(light);
    backdrop.setAutoFillBackground(true);
    backdrop.setGeometry(window().geometry().adjusted(-100, -150, 100, 20));
    backdrop.show();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return backdrop.windowHandle()->isExposed(); }));

    PillState idle{.isModelLoaded = true, .hotKey = "⌥⇧Space"};
    settle(idle);
    TestSupport::saveScreenshot("idle hint", backdrop.winId());

    PillState loading{.isLoadingModel = true, .modelLoadPhase = "Downloading model", .modelDownloadProgress = 0.42,
                      .hotKey = "⌥⇧Space"};
    settle(loading);
    TestSupport::saveScreenshot("loading", backdrop.winId());

    PillState failed{.errorMessage = "Failed to load model: the cached model file is damaged, so it was moved aside",
                     .hotKey = "⌥⇧Space"};
    settle(failed);
    TestSupport::saveScreenshot("error", backdrop.winId());

    PillState listening{.isRecording = true, .isSpeechDetected = true, .audioLevel = 0.55f, .isModelLoaded = true,
                        .hotKey = "⌥⇧Space"};
    settle(listening);
    TestSupport::saveScreenshot("listening with levels", backdrop.winId());

    PillState transcript = listening;
    transcript.currentTranscript = "Send the quarterly report to Dana by Friday, and copy the finance team on it.";
    transcript.partialTranscript = "Also remind her about the";
    transcript.lastLatencyMs = 312.7;
    settle(transcript);
    TestSupport::saveScreenshot("transcript", backdrop.winId());
}
