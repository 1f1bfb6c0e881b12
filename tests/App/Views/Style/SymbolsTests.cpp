#include "App/Views/Style/Symbols.h"

#include "Support/TestEnvironment.h"

#include <QImage>
#include <QPainter>

#include <fstream>

#include <gtest/gtest.h>

using QEL::Symbol;

namespace {

constexpr Symbol allSymbols[] = {
    Symbol::arrowDownCircle, Symbol::bolt, Symbol::brain, Symbol::checkmark, Symbol::checkmarkCircleFill,
    Symbol::clockArrowCirclepath, Symbol::exclamationmarkTriangle, Symbol::gear, Symbol::infoCircle,
    Symbol::internalDrive, Symbol::micFill, Symbol::micSlash, Symbol::sliderHorizontal3, Symbol::stopFill,
    Symbol::target, Symbol::textBookClosed, Symbol::waveform, Symbol::waveformCircle, Symbol::waveformCircleFill,
    Symbol::xmark, Symbol::xmarkCircleFill,
};

QImage drawn(const QIcon& icon, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(24, 24), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The share of the picture's pixels that are not transparent, and the colour
// of the most opaque one.
std::pair<double, QColor> ink(const QImage& image)
{
    int inked = 0;
    QColor strongest(Qt::transparent);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 0)
                ++inked;
            if (pixel.alpha() > strongest.alpha())
                strongest = pixel;
        }
    }
    return {double(inked) / (image.width() * image.height()), strongest};
}

// An icon theme of the test's own, which has a microphone and nothing else.
class IconTheme {
public:
    IconTheme()
    {
        std::filesystem::create_directories(folder / "Fixture" / "16x16");
        std::ofstream(folder / "Fixture" / "index.theme")
            << "[Icon Theme]\nName=Fixture\nDirectories=16x16\n\n[16x16]\nSize=16\nType=Fixed\n";
        QImage microphone(16, 16, QImage::Format_ARGB32);
        microphone.fill(QColor(20, 40, 200));
        microphone.save(QString::fromStdString((folder / "Fixture" / "16x16" / "audio-input-microphone.png").string()));
        QIcon::setThemeSearchPaths({QString::fromStdString(folder.path().string())});
        QIcon::setThemeName("Fixture");
    }
    ~IconTheme()
    {
        QIcon::setThemeName(themeName_);
        QIcon::setThemeSearchPaths(searchPaths_);
    }

private:
    QString themeName_ = QIcon::themeName();
    QStringList searchPaths_ = QIcon::themeSearchPaths();
    TestSupport::TemporaryFolder folder;
};

} // namespace

TEST(Symbols, EverySymbolIsDrawnWhenTheThemeLacksIt)
{
    const QColor tint(200, 30, 30);
    for (Symbol symbol : allSymbols) {
        SCOPED_TRACE(int(symbol));
        const auto [share, colour] = ink(drawn(QEL::symbolIcon(symbol, tint)));
        EXPECT_GT(share, 0.05);
        EXPECT_LT(share, 0.95);
        EXPECT_EQ(colour.rgb(), tint.rgb());
        // Disabled, it is fainter.
        EXPECT_LT(ink(drawn(QEL::symbolIcon(symbol, tint), QIcon::Disabled)).second.alpha(), colour.alpha());
    }
    // The tray's disc carries white waves whatever its colour.
    const QImage disc = drawn(QEL::symbolIcon(Symbol::waveformCircleFill, tint));
    int whitish = 0;
    for (int y = 0; y < disc.height(); ++y)
        for (int x = 0; x < disc.width(); ++x)
            whitish += disc.pixelColor(x, y).green() > 200;
    EXPECT_GE(whitish, 20);
}

TEST(Symbols, TheThemesIconIsPreferredAndTakesTheTint)
{
    IconTheme theme;
    // The theme's icon is a filled square of 16 by 16, drawn no larger than it
    // is: a silhouette in the tint.
    const auto [share, colour] = ink(drawn(QEL::symbolIcon(Symbol::micFill, Qt::white)));
    EXPECT_EQ(colour.rgb(), QColor(Qt::white).rgb());
    EXPECT_NEAR(share, 16.0 * 16 / (24 * 24), 0.01);
    // What the theme lacks is still drawn.
    EXPECT_GT(ink(drawn(QEL::symbolIcon(Symbol::xmark, Qt::white))).first, 0.05);
}
