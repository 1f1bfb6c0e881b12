// qel-test-text-field: a focused text field in a process of its own, so that
// tests can type and paste into another application as a user's would be.
//
// Standard output, one line each: "ready <window id>" once the field has the
// keyboard focus; "text <hex>" with the field's whole text (UTF-8, in hex)
// after every change; "key <Qt key, hex> <text, hex>" for each key pressed in
// the field other than a modifier key. Commands on standard input, one per line:
// - "copy-sample": puts the sample clipboard on the clipboard, then answers
//   "copied"; "copy-text <hex>" puts that text there instead;
// - "clear": empties the field, then answers "cleared";
// - "clipboard": answers "format <type> <hex>" for each MIME type the clipboard
//   offers, then "end".

#include "Support/SampleClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void answer(QPlainTextEdit& field, const QByteArray& command)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (command == "copy-sample") {
        auto* data = new QMimeData;
        for (const auto& [type, bytes] : TestSupport::sampleClipboard())
            data->setData(QString::fromStdString(type), QByteArray::fromStdString(bytes));
        clipboard->setMimeData(data);
        say("copied");
    } else if (command.startsWith("copy-text ")) {
        clipboard->setText(QString::fromUtf8(QByteArray::fromHex(command.mid(10))));
        say("copied");
    } else if (command == "clear") {
        field.clear();
        say("cleared");
    } else if (command == "clipboard") {
        const QMimeData* data = clipboard->mimeData();
        for (const QString& type : data ? data->formats() : QStringList())
            say("format " + type.toUtf8() + ' ' + data->data(type).toHex());
        say("end");
    }
}

// Reports the keys pressed in the field.
class KeyReporter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* press = static_cast<const QKeyEvent*>(event);
            const bool modifierKey = press->key() >= Qt::Key_Shift && press->key() <= Qt::Key_ScrollLock;
            if (!modifierKey)
                say("key " + QByteArray::number(press->key(), 16) + ' ' + press->text().toUtf8().toHex());
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QPlainTextEdit field;
    field.setWindowTitle("qel-test-text-field");
    field.resize(480, 240);
    KeyReporter keyReporter;
    field.installEventFilter(&keyReporter);
    QObject::connect(&field, &QPlainTextEdit::textChanged,
                     [&] { say("text " + field.toPlainText().toUtf8().toHex()); });

    QTimer focusCheck;
    QObject::connect(&focusCheck, &QTimer::timeout, [&] {
        if (field.hasFocus() && field.isActiveWindow()) {
            focusCheck.stop();
            say("ready " + QByteArray::number(field.winId()));
        }
    });
    focusCheck.start(10);

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            QApplication::quit(); // the test has gone
            return;
        }
        pending.append(buffer, count);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
            answer(field, pending.left(end));
    });

    field.show();
    field.activateWindow();
    return application.exec();
}
