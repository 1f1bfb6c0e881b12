#include "Platform/Clipboard/ClipboardLoan.h"

#include "Platform/Clipboard/Clipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include <optional>
#include <vector>

namespace Platform {

namespace {

// The pasted text, which notes when an application has read it.
class LentText : public QMimeData {
public:
    explicit LentText(const std::string& text) { setText(QString::fromStdString(text)); }
    bool wasRead() const { return read_; }

protected:
    QVariant retrieveData(const QString& type, QMetaType as) const override
    {
        read_ = true;
        return QMimeData::retrieveData(type, as);
    }

private:
    mutable bool read_ = false;
};

// An application slow to read the text gets this long before the user's
// contents come back regardless.
constexpr std::chrono::seconds longestWaitForReading{1};
constexpr std::chrono::milliseconds readingCheckInterval{20};

// The loan not yet given back; only the main thread touches it.
struct Outstanding {
    std::uint64_t number;
    std::vector<ClipboardItem> saved;
    QPointer<LentText> text;
    std::chrono::steady_clock::time_point lentAt;

    bool textStillThere() const
    {
        QClipboard& clipboard = systemClipboard();
        return text && clipboard.ownsClipboard() && clipboard.mimeData() == text;
    }
};

std::optional<Outstanding> outstanding;
std::uint64_t loansMade = 0;

// Puts the saved contents of loan `number` back, unless it has been given
// back already or is no longer the one to do it.
void restore(std::uint64_t number, ClipboardLoan::WhenEmptyBefore whenEmpty)
{
    if (!outstanding || outstanding->number != number)
        return;
    const bool textStillThere = outstanding->textStillThere();
    const std::vector<ClipboardItem> saved = std::move(outstanding->saved);
    outstanding.reset();
    if (textStillThere && (!saved.empty() || whenEmpty == ClipboardLoan::WhenEmptyBefore::clear))
        setClipboardContents(saved);
}

void restoreWhenRead(std::uint64_t number, ClipboardLoan::WhenEmptyBefore whenEmpty)
{
    const bool waitLonger = outstanding && outstanding->number == number && outstanding->textStillThere() &&
                            !outstanding->text->wasRead() &&
                            std::chrono::steady_clock::now() < outstanding->lentAt + longestWaitForReading;
    if (waitLonger)
        QTimer::singleShot(readingCheckInterval, QCoreApplication::instance(),
                           [number, whenEmpty] { restoreWhenRead(number, whenEmpty); });
    else
        restore(number, whenEmpty);
}

} // namespace

ClipboardLoan::ClipboardLoan(const std::string& text)
{
    QClipboard& clipboard = systemClipboard();
    std::vector<ClipboardItem> saved =
        outstanding && outstanding->textStillThere() ? std::move(outstanding->saved) : clipboardContents();
    auto* lent = new LentText(text);
    clipboard.setMimeData(lent);
    number_ = ++loansMade;
    outstanding = Outstanding{number_, std::move(saved), lent, std::chrono::steady_clock::now()};
}

void ClipboardLoan::giveBack(std::chrono::milliseconds delay, WhenEmptyBefore whenEmpty) const
{
    QTimer::singleShot(delay, QCoreApplication::instance(),
                       [number = number_, whenEmpty] { restoreWhenRead(number, whenEmpty); });
}

void ClipboardLoan::giveBackNow() const
{
    restore(number_, WhenEmptyBefore::clear);
}

} // namespace Platform
