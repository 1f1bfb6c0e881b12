#include "App/Views/Overlay/OverlayController.h"
#include "App/Views/Overlay/FloatingPillView.h"
#include "App/Views/Overlay/OverlayWindow.h"

#include "App/Views/Overlay/PillTesting.h"
#include "App/Views/TestAppState.h"
#include "Support/Waiting.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using PillTesting::part;
using PillTesting::shownText;
using QEL::FloatingPillView;
using QEL::OverlayWindow;

namespace {

// Where the window belongs: centred, its bottom 60 points above the bottom of
// the screen's visible area.
QRect bottomCentre(QSize size)
{
    const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
    return {visible.center().x() + 1 - size.width() / 2, visible.bottom() + 1 - 60 - size.height(), size.width(),
            size.height()};
}

} // namespace

TEST(OverlayController, FadesInAtTheBottomCentreAndShowsTheStateItCalls)
{
    TestAppState state;
    QEL::OverlayController controller(*state);
    EXPECT_EQ(controller.window(), nullptr); // creates nothing until set up
    controller.setupWindow();
    controller.observeRecordingState();
    OverlayWindow& window = *controller.window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_LT(window.windowOpacity(), 0.5);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return window.windowOpacity() == 1; }));
    EXPECT_EQ(window.geometry(), bottomCentre({240, 48}));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));

    const FloatingPillView& pill = *controller.pill();
    EXPECT_EQ(pill.geometry(), window.rect());
    EXPECT_EQ(shownText(pill, "hint"), "⌥⇧Space to dictate");
    auto* record = part<QAbstractButton>(pill, "recordButton");
    EXPECT_FALSE(record->isEnabled());

    // A change of the state reaches the pill, as does the hot key read afresh.
    state->hotKeyManager().setCurrentKey(HotKey::Key::a);
    state->hotKeyManager().setCurrentModifiers(HotKey::ModifierFlags::control | HotKey::ModifierFlags::command);
    state->startRecording();
    EXPECT_EQ(shownText(pill, "error"), "Model still loading, please wait...");
    EXPECT_EQ(pill.state().hotKey, "⌃⌘A");
    EXPECT_EQ(pill.state(), QEL::pillState(*state));
}

TEST(OverlayController, TheWindowReturnsToTheBottomCentreAtEachResize)
{
    OverlayWindow window;
    EXPECT_EQ(window.geometry(), bottomCentre({240, 48}));
    // Hidden, at once.
    window.animateToSize(FloatingPillView::recordingSize);
    EXPECT_EQ(window.geometry(), bottomCentre({380, 120}));

    window.show();
    window.move(10, 10); // where a drag left it
    window.animateToSize(FloatingPillView::idleSize);
    EXPECT_NE(window.geometry(), bottomCentre({240, 48})); // it moves there over a while
    EXPECT_TRUE(TestSupport::waitUntil([&] { return window.geometry() == bottomCentre({240, 48}); }));

    // Growing keeps the bottom edge and the centre: it grows upward and to both sides.
    window.animateToSize(FloatingPillView::recordingSize);
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        EXPECT_EQ(window.geometry().bottom(), bottomCentre({240, 48}).bottom());
        return window.size() == QSize(380, 120);
    }));
    EXPECT_EQ(window.geometry(), bottomCentre({380, 120}));
}
