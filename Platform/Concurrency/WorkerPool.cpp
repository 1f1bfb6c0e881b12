#include "Platform/Concurrency/WorkerPool.h"

namespace Platform {

WorkerPool::WorkerPool(size_t threadCount)
{
    threads_.reserve(threadCount);
    for (size_t index = 0; index < threadCount; ++index)
        threads_.emplace_back([this] { runJobs(); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    jobsAvailable_.notify_all();
    threads_.clear(); // joins
}

void WorkerPool::submit(std::function<void()> job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    jobsAvailable_.notify_one();
}

void WorkerPool::runJobs()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            jobsAvailable_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

} // namespace Platform
