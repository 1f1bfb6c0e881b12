#include "Platform/EventLoop/DistributedNotificationObserver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <stdexcept>
#include <utility>

namespace Platform {

DistributedNotificationObserver::DistributedNotificationObserver(const std::string& name, std::function<void()> handler)
    : handler_(std::move(handler))
{
    const std::string::size_type dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size())
        throw std::invalid_argument("Not a notification name of the form interface.member: \"" + name + "\"");
    interface_ = QString::fromStdString(name.substr(0, dot));
    member_ = QString::fromStdString(name.substr(dot + 1));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        throw std::runtime_error("No session bus: " + bus.lastError().message().toStdString());
    // An empty service and path match every sender and every object.
    if (!bus.connect(QString(), QString(), interface_, member_, this, SLOT(receive())))
        throw std::runtime_error("Cannot receive \"" + name +
                                 "\" on the session bus: " + bus.lastError().message().toStdString());
    // The bus applies the match rule before it answers a later call.
    bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
}

DistributedNotificationObserver::~DistributedNotificationObserver()
{
    QDBusConnection::sessionBus().disconnect(QString(), QString(), interface_, member_, this, SLOT(receive()));
}

void DistributedNotificationObserver::receive()
{
    handler_();
}

} // namespace Platform
