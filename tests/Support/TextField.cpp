#include "Support/TextField.h"

#include "Support/Waiting.h"

#include <QByteArray>

#include <algorithm>
#include <stdexcept>

namespace TestSupport {

namespace {

std::string fromHex(std::string_view hex)
{
    return QByteArray::fromHex(QByteArray(hex.data(), static_cast<qsizetype>(hex.size()))).toStdString();
}

} // namespace

ForeignTextField::ForeignTextField()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QEL_TEXT_FIELD_PATH, QStringList());
    const std::string ready = nextLine();
    if (!ready.starts_with("ready "))
        throw std::runtime_error("the text field process said \"" + ready + "\" instead of being ready");
    window_ = static_cast<xcb_window_t>(std::stoul(ready.substr(6)));
}

ForeignTextField::~ForeignTextField()
{
    process_.closeWriteChannel(); // the field quits when its input ends
    if (!process_.waitForFinished(5000))
        process_.kill();
    process_.waitForFinished();
}

void ForeignTextField::readOutput()
{
    buffered_ += process_.readAllStandardOutput().toStdString();
    for (std::size_t end; (end = buffered_.find('\n')) != std::string::npos; buffered_.erase(0, end + 1)) {
        const std::string line = buffered_.substr(0, end);
        if (line.starts_with("text ")) {
            text_ = fromHex(std::string_view(line).substr(5));
        } else if (line.starts_with("key ")) {
            // "key <Qt key> <text>"
            const std::size_t space = line.find(' ', 4);
            keyPresses_.push_back(
                {std::stoi(line.substr(4, space - 4), nullptr, 16), fromHex(std::string_view(line).substr(space + 1))});
        } else {
            lines_.push_back(line);
        }
    }
}

std::string ForeignTextField::nextLine()
{
    if (!waitUntil([&] {
            readOutput();
            return !lines_.empty();
        }))
        throw std::runtime_error("the text field process did not answer in time");
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
}

void ForeignTextField::send(const std::string& command)
{
    process_.write((command + '\n').c_str());
    process_.waitForBytesWritten();
}

std::string ForeignTextField::text()
{
    readOutput();
    return text_;
}

std::vector<ForeignTextField::KeyPress> ForeignTextField::keyPresses()
{
    readOutput();
    return keyPresses_;
}

bool ForeignTextField::waitForText(const std::string& expected)
{
    return waitUntil([&] { return text() == expected; });
}

void ForeignTextField::clear()
{
    send("clear");
    if (const std::string answer = nextLine(); answer != "cleared")
        throw std::runtime_error("the text field process said \"" + answer + "\" instead of clearing");
}

void ForeignTextField::copySample()
{
    send("copy-sample");
    expectCopied();
}

void ForeignTextField::copyText(const std::string& text)
{
    send("copy-text " + QByteArray::fromStdString(text).toHex().toStdString());
    expectCopied();
}

void ForeignTextField::expectCopied()
{
    if (const std::string answer = nextLine(); answer != "copied")
        throw std::runtime_error("the text field process said \"" + answer + "\" instead of copying");
}

ClipboardContents ForeignTextField::clipboard()
{
    send("clipboard");
    ClipboardContents contents;
    for (std::string line = nextLine(); line != "end"; line = nextLine()) {
        // "format <type> <hex>"
        const std::size_t space = line.find(' ', 7);
        contents.emplace_back(line.substr(7, space - 7), fromHex(std::string_view(line).substr(space + 1)));
    }
    return contents;
}

bool ForeignTextField::clipboardHolds(const ClipboardContents& expected)
{
    const ClipboardContents seen = clipboard();
    return std::all_of(expected.begin(), expected.end(),
                       [&](const auto& item) { return std::find(seen.begin(), seen.end(), item) != seen.end(); });
}

std::optional<std::string> ForeignTextField::clipboardText()
{
    for (const auto& [type, data] : clipboard())
        if (type == "text/plain")
            return data;
    return std::nullopt;
}

} // namespace TestSupport
