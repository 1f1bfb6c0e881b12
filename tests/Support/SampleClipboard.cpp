#include "Support/SampleClipboard.h"

#include <QBuffer>
#include <QImage>

namespace TestSupport {

namespace {

std::string pngImage()
{
    QImage image(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(60 * x, 80 * y, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace

const ClipboardContents& sampleClipboard()
{
    static const ClipboardContents sample{
        {"text/plain", "what the user copied"},
        {"image/png", pngImage()},
        {"application/x-qel-sample", std::string("\0\x01\xff binary", 10)},
    };
    return sample;
}

} // namespace TestSupport
