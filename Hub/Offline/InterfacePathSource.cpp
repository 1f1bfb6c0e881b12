#include "Hub/Offline/InterfacePathSource.h"

#include <cerrno>

#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Hub {

namespace {

// Without netlink the interfaces are looked at this often.
constexpr int pollingMilliseconds = 5000;

int openRouteSocket()
{
    const int route = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (route < 0)
        return -1;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
    if (bind(route, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(route);
        return -1;
    }
    return route;
}

// Reads every pending message: only the fact that something changed counts.
void drain(int route)
{
    char buffer[8192];
    while (recv(route, buffer, sizeof(buffer), 0) > 0) {}
}

} // namespace

std::shared_ptr<NetworkPathSource> NetworkPathSource::system()
{
    static const std::shared_ptr<NetworkPathSource> source = std::make_shared<InterfacePathSource>();
    return source;
}

InterfacePathSource::~InterfacePathSource()
{
    std::unique_lock lock(mutex_);
    handlers_.clear();
    stopWatching(lock);
}

NetworkPath InterfacePathSource::currentPath()
{
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0)
        return NetworkPath{.satisfied = false};
    bool satisfied = false;
    for (const ifaddrs* entry = interfaces; entry && !satisfied; entry = entry->ifa_next) {
        const bool hasAddress =
            entry->ifa_addr && (entry->ifa_addr->sa_family == AF_INET || entry->ifa_addr->sa_family == AF_INET6);
        const unsigned flags = entry->ifa_flags;
        satisfied = hasAddress && (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
    }
    freeifaddrs(interfaces);
    return NetworkPath{.satisfied = satisfied};
}

std::uint64_t InterfacePathSource::subscribe(Handler handler)
{
    const NetworkPath path = currentPath();
    std::lock_guard lock(mutex_);
    const std::uint64_t subscription = nextSubscription_++;
    lastPath_ = path;
    handler(path);
    handlers_.emplace(subscription, std::move(handler));
    if (!watcher_.joinable()) {
        wake_ = eventfd(0, EFD_CLOEXEC);
        if (wake_ >= 0)
            watcher_ = std::thread([this, wake = wake_] { watch(wake); });
    }
    return subscription;
}

void InterfacePathSource::unsubscribe(std::uint64_t subscription)
{
    std::unique_lock lock(mutex_);
    handlers_.erase(subscription);
    if (handlers_.empty())
        stopWatching(lock);
}

// Leaves no thread behind once the last subscriber is gone.
void InterfacePathSource::stopWatching(std::unique_lock<std::mutex>& lock)
{
    if (!watcher_.joinable())
        return;
    std::thread watcher = std::move(watcher_);
    const int wake = wake_;
    wake_ = -1;
    eventfd_write(wake, 1);
    lock.unlock();
    watcher.join();
    close(wake);
    lock.lock();
}

void InterfacePathSource::watch(int wake)
{
    const int route = openRouteSocket();
    for (;;) {
        pollfd waiting[2] = {{wake, POLLIN, 0}, {route, POLLIN, 0}};
        const int ready = poll(waiting, route >= 0 ? 2 : 1, route >= 0 ? -1 : pollingMilliseconds);
        if (ready < 0 && errno != EINTR)
            break;
        if (waiting[0].revents != 0)
            break;
        if (route >= 0 && waiting[1].revents == 0)
            continue;
        if (route >= 0)
            drain(route);
        const NetworkPath path = currentPath();
        std::lock_guard lock(mutex_);
        if (path == lastPath_)
            continue;
        lastPath_ = path;
        for (const auto& [subscription, handler] : handlers_)
            handler(path);
    }
    if (route >= 0)
        close(route);
}

} // namespace Hub
