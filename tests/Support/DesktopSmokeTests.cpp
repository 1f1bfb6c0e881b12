// One check per part of the headless desktop that later tests rely on, each
// through the helpers those tests use.

#include "Platform/Desktop/X11Connection.h"
#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/Microphone.h"
#include "Support/Screenshot.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QSystemTrayIcon>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using DesktopSmoke = TestSupport::DesktopTest;

TEST_F(DesktopSmoke, XTestKeysReachTheFocusedLineEdit)
{
    ASSERT_TRUE(Platform::X11Connection::shared().hasXTest());
    QLineEdit edit;
    edit.resize(320, 40);
    edit.show();
    edit.activateWindow();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return edit.hasFocus() && QApplication::activeWindow() == &edit; }));

    TestSupport::typeText("Hello, QEL!");
    EXPECT_TRUE(TestSupport::waitUntil([&] { return edit.text() == "Hello, QEL!"; })) << edit.text().toStdString();
    TestSupport::saveScreenshot("typed", edit.winId());
}

TEST_F(DesktopSmoke, TrayIsAvailable)
{
    ASSERT_TRUE(TestSupport::waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkRed);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !icon.geometry().isEmpty(); }));
    const auto tray = TestSupport::waitForWindow("panel");
    ASSERT_TRUE(tray);
    TestSupport::saveScreenshot("icon shown", *tray);
}

// Records `count` samples from the sound server's default source.
std::vector<float> recordDefaultSource(std::size_t count)
{
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, 16000, 1};
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "qel-tests", PA_STREAM_RECORD, nullptr, "pipe microphone", &format,
                                      nullptr, nullptr, &error);
    if (!stream)
        throw std::runtime_error(std::string("cannot record: ") + pa_strerror(error));
    std::vector<float> samples(count);
    const int result = pa_simple_read(stream, samples.data(), count * sizeof(float), &error);
    pa_simple_free(stream);
    if (result < 0)
        throw std::runtime_error(std::string("cannot record: ") + pa_strerror(error));
    return samples;
}

TEST_F(DesktopSmoke, PipeMicrophoneReadsBackBitExactly)
{
    // Values a conversion anywhere on the way would change.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> amplitude(-1.0f, 1.0f);
    std::vector<float> samples(8000);
    for (float& sample : samples)
        sample = amplitude(random);
    samples[0] = -0.0f;
    samples[1] = 1e-30f;
    samples[2] = -1.0f;
    TestSupport::MicrophoneFeed feed(samples);

    const std::vector<float> recorded = recordDefaultSource(samples.size());
    EXPECT_EQ(std::memcmp(recorded.data(), samples.data(), samples.size() * sizeof(float)), 0);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return feed.finished(); }));
}

TEST_F(DesktopSmoke, PipeMicrophonePlaysAWavFile)
{
    // 16-bit samples, which every float format holds exactly.
    std::vector<std::int16_t> pcm(4000);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>((static_cast<int>(i) * 7919) % 65536 - 32768);
    TestSupport::TemporaryFolder folder;
    std::ofstream(folder / "speech.raw", std::ios::binary)
        .write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size() * 2));
    ASSERT_EQ(QProcess::execute("sox", {"-t", "raw", "-e", "signed-integer", "-b", "16", "-r", "16000", "-c", "1", "-L",
                                        QString::fromStdString((folder / "speech.raw").string()),
                                        QString::fromStdString((folder / "speech.wav").string())}),
              0);

    TestSupport::MicrophoneFeed feed(TestSupport::microphoneSamples(folder / "speech.wav"));
    const std::vector<float> recorded = recordDefaultSource(pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i)
        ASSERT_EQ(recorded[i], pcm[i] / 32768.0f) << "sample " << i;
}

class SignalCounter : public QObject {
    Q_OBJECT
public:
    int received = 0;
public slots:
    void count() { ++received; }
};

TEST_F(DesktopSmoke, SignalFromDBusSendReachesAQtReceiver)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    SignalCounter counter;
    ASSERT_TRUE(bus.connect(QString(), "/org/example/Smoke", "org.example.Smoke", "ping", &counter, SLOT(count())));
    // A round trip, so the bus has taken the match rule before the signal comes.
    ASSERT_TRUE(bus.interface()->isServiceRegistered("org.freedesktop.DBus").value());

    ASSERT_EQ(
        QProcess::execute("dbus-send", {"--session", "--type=signal", "/org/example/Smoke", "org.example.Smoke.ping"}),
        0);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return counter.received == 1; }));
}

} // namespace

#include "DesktopSmokeTests.moc"
