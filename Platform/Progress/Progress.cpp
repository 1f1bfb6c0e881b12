#include "Platform/Progress/Progress.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace Platform {

// Every node of one tree shares its root's mutex, so a parent's fraction and a
// child's advance never take two locks in opposite orders.
struct Progress::Node {
    std::shared_ptr<std::mutex> mutex;
    std::int64_t total = 0;
    std::int64_t completed = 0;
    std::optional<double> throughput;
    std::weak_ptr<Node> parent;
    std::int64_t pendingInParent = 0;
    std::vector<std::shared_ptr<Node>> children;

    double fraction() const
    {
        if (total <= 0)
            return 0;
        double units = static_cast<double>(completed);
        for (const auto& child : children)
            units += std::min(child->fraction(), 1.0) * static_cast<double>(child->pendingInParent);
        return units / static_cast<double>(total);
    }
};

Progress::Progress(std::int64_t totalUnitCount) : node_(std::make_shared<Node>())
{
    node_->mutex = std::make_shared<std::mutex>();
    node_->total = totalUnitCount;
}

Progress::Progress(std::int64_t totalUnitCount, Progress& parent, std::int64_t pendingUnitCount)
    : node_(std::make_shared<Node>())
{
    node_->mutex = parent.node_->mutex;
    node_->total = totalUnitCount;
    node_->parent = parent.node_;
    node_->pendingInParent = pendingUnitCount;
    std::lock_guard lock(*node_->mutex);
    parent.node_->children.push_back(node_);
}

Progress::~Progress()
{
    std::lock_guard lock(*node_->mutex);
    if (auto parent = node_->parent.lock())
        std::erase(parent->children, node_);
}

std::int64_t Progress::totalUnitCount() const
{
    std::lock_guard lock(*node_->mutex);
    return node_->total;
}

void Progress::setTotalUnitCount(std::int64_t count)
{
    std::lock_guard lock(*node_->mutex);
    node_->total = count;
}

std::int64_t Progress::completedUnitCount() const
{
    std::lock_guard lock(*node_->mutex);
    return node_->completed;
}

void Progress::setCompletedUnitCount(std::int64_t count)
{
    std::lock_guard lock(*node_->mutex);
    node_->completed = count;
    auto parent = node_->parent.lock();
    if (!parent || node_->total <= 0 || count < node_->total)
        return;
    // A finished child hands its units to its parent once and leaves it.
    std::erase(parent->children, node_);
    parent->completed += node_->pendingInParent;
    node_->parent.reset();
}

bool Progress::isFinished() const
{
    std::lock_guard lock(*node_->mutex);
    return node_->total > 0 && node_->completed >= node_->total;
}

double Progress::fractionCompleted() const
{
    std::lock_guard lock(*node_->mutex);
    return node_->fraction();
}

std::optional<double> Progress::throughput() const
{
    std::lock_guard lock(*node_->mutex);
    return node_->throughput;
}

void Progress::setThroughput(double bytesPerSecond)
{
    std::lock_guard lock(*node_->mutex);
    node_->throughput = bytesPerSecond;
}

} // namespace Platform
