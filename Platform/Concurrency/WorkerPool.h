#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Platform {

// A small fixed set of threads that run submitted jobs in submission order.
// Destruction runs every job already submitted, then joins the threads.
class WorkerPool {
public:
    explicit WorkerPool(size_t threadCount);
    ~WorkerPool();

    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // A job must not throw; it runs on one of the pool's threads.
    void submit(std::function<void()> job);

private:
    void runJobs();

    std::mutex mutex_;
    std::condition_variable jobsAvailable_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;
};

} // namespace Platform
