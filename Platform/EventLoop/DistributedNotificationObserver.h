#pragma once

#include <QObject>

#include <functional>
#include <string>

namespace Platform {

// Receives a notification that any process on the desktop may post. The name
// "a.b.c.member" is the signal `member` of the interface "a.b.c" on the
// session bus, from any sender and any object path; its arguments are ignored.
class DistributedNotificationObserver : public QObject {
    Q_OBJECT

public:
    // Calls `handler` on the main thread for each notification while this
    // object lives; construct it there. Returns once the bus routes the
    // notification here, so one posted right after is received. Throws
    // std::invalid_argument for a name without an interface part, and
    // std::runtime_error when the session bus cannot be reached.
    DistributedNotificationObserver(const std::string& name, std::function<void()> handler);
    ~DistributedNotificationObserver() override;

private slots:
    void receive();

private:
    QString interface_;
    QString member_;
    std::function<void()> handler_;
};

} // namespace Platform
