#include "Platform/Clipboard/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>

namespace Platform {

namespace {

// Qt offers every image on the clipboard under this type too, made from the
// image's own types, which are saved anyway.
const QLatin1String derivedImageType("application/x-qt-image");

} // namespace

QClipboard& systemClipboard()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application)
        throw ClipboardUnavailable("The clipboard cannot be used: the application has no graphical session");
    if (QThread::currentThread() != application->thread())
        throw ClipboardUnavailable("The clipboard can only be used on the main thread");
    return *QGuiApplication::clipboard();
}

std::vector<ClipboardItem> clipboardContents()
{
    const QMimeData* data = systemClipboard().mimeData();
    std::vector<ClipboardItem> items;
    if (!data)
        return items;
    for (const QString& type : data->formats()) {
        if (!type.contains('/') || type == derivedImageType)
            continue;
        const QByteArray bytes = data->data(type);
        if (!bytes.isEmpty())
            items.push_back({type.toStdString(), bytes.toStdString()});
    }
    return items;
}

void setClipboardContents(const std::vector<ClipboardItem>& items)
{
    QClipboard& clipboard = systemClipboard();
    if (items.empty()) {
        clipboard.clear();
        return;
    }
    auto* data = new QMimeData;
    for (const ClipboardItem& item : items)
        data->setData(QString::fromStdString(item.type), QByteArray::fromStdString(item.data));
    clipboard.setMimeData(data);
}

void setClipboardText(const std::string& text)
{
    systemClipboard().setText(QString::fromStdString(text));
}

} // namespace Platform
