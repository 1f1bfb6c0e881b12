#pragma once

// The progress of a piece of work in units: how many there are, how many are
// done, and children that each stand for a number of their parent's units
// (the pending count), so a parent's fraction follows its children's as they
// advance. Progress objects may be read and advanced from any thread.

#include <cstdint>
#include <memory>
#include <optional>

namespace Platform {

class Progress {
public:
    explicit Progress(std::int64_t totalUnitCount);
    // A child of `parent` counting for `pendingUnitCount` of its units. Once the
    // child's units are all done, the parent counts those units as completed.
    Progress(std::int64_t totalUnitCount, Progress& parent, std::int64_t pendingUnitCount);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    std::int64_t totalUnitCount() const;
    void setTotalUnitCount(std::int64_t count);
    std::int64_t completedUnitCount() const;
    void setCompletedUnitCount(std::int64_t count);
    // Some units, all of them completed.
    bool isFinished() const;

    // Completed units plus the fractions of the children that are under way, over
    // the total; 0 without units.
    double fractionCompleted() const;

    // The transfer speed in bytes per second, when one was reported.
    std::optional<double> throughput() const;
    void setThroughput(double bytesPerSecond);

private:
    struct Node;
    std::shared_ptr<Node> node_;
};

} // namespace Platform
