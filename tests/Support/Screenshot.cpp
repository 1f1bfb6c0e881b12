#include "Support/Screenshot.h"

#include "Platform/Desktop/X11Connection.h"

#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace TestSupport {

namespace {

struct Area {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

// Where `window` lies on the screen, clipped to it.
Area screenArea(Platform::X11Connection& connection, std::optional<xcb_window_t> window)
{
    const xcb_screen_t& screen = connection.screen();
    Area area{0, 0, screen.width_in_pixels, screen.height_in_pixels};
    if (!window)
        return area;
    auto geometry = connection.reply(xcb_get_geometry_reply, xcb_get_geometry(connection.raw(), *window));
    auto origin = connection.reply(xcb_translate_coordinates_reply,
                                   xcb_translate_coordinates(connection.raw(), *window, screen.root, 0, 0));
    if (!geometry || !origin)
        throw std::runtime_error("cannot take a screenshot of window " + std::to_string(*window) + ": " +
                                 (geometry ? origin.error() : geometry.error())->description());
    const int left = std::max<int>(origin->dst_x, 0);
    const int top = std::max<int>(origin->dst_y, 0);
    const int right = std::min<int>(origin->dst_x + geometry->width, screen.width_in_pixels);
    const int bottom = std::min<int>(origin->dst_y + geometry->height, screen.height_in_pixels);
    if (right <= left || bottom <= top)
        throw std::runtime_error("window " + std::to_string(*window) + " is not on the screen");
    return {static_cast<std::int16_t>(left), static_cast<std::int16_t>(top), static_cast<std::uint16_t>(right - left),
            static_cast<std::uint16_t>(bottom - top)};
}

// Lets this process's Qt windows finish painting, and the X server take in
// their pictures, so that the screenshot shows the state the test reached.
void settleQtWindows()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application)
        return;
    // Each pass may post the next: a widget shown or hidden asks for a new
    // layout, which resizes widgets, which asks for a repaint.
    for (int pass = 0; pass < 5; ++pass)
        QCoreApplication::processEvents();
    if (auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>())
        Platform::X11Connection::sync(x11->connection());
}

std::filesystem::path screenshotPath(std::string_view state)
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "outside-a-test";
    if (!state.empty())
        name += "-" + std::string(state);
    std::replace(name.begin(), name.end(), '/', '_');
    return std::filesystem::path(QEL_SCREENSHOT_DIR) / (name + ".png");
}

} // namespace

std::filesystem::path saveScreenshot(std::string_view state, std::optional<xcb_window_t> window)
{
    settleQtWindows();
    Platform::X11Connection& connection = Platform::X11Connection::shared();
    if (connection.screen().root_depth != 24)
        throw std::runtime_error("screenshots need a screen of depth 24");
    const Area area = screenArea(connection, window);
    auto image = connection.reply(xcb_get_image_reply,
                                  xcb_get_image(connection.raw(), XCB_IMAGE_FORMAT_Z_PIXMAP, connection.root(), area.x,
                                                area.y, area.width, area.height, ~0u));
    if (!image)
        throw std::runtime_error("cannot read the screen: " + image.error()->description());
    // Depth 24 comes as 32-bit pixels in the layout QImage calls RGB32.
    const int bytesPerLine = xcb_get_image_data_length(image.get()) / area.height;
    const QImage picture =
        QImage(xcb_get_image_data(image.get()), area.width, area.height, bytesPerLine, QImage::Format_RGB32).copy();

    const std::filesystem::path path = screenshotPath(state);
    std::filesystem::create_directories(path.parent_path());
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit())
        throw std::runtime_error("cannot save the screenshot " + path.string());
    return path;
}

} // namespace TestSupport
