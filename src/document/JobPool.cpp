#include "document/JobPool.h"

#include <algorithm>

Job::State Job::state() const {
    std::lock_guard lock(pool_->mutex_);
    return state_;
}

bool Job::ended() const {
    const State s = state();
    return s == State::Done || s == State::Cancelled;
}

JobPool::JobPool(int workers) {
    if (workers <= 0) workers = std::max(2, int(std::thread::hardware_concurrency()));
    workers_.reserve(size_t(workers));
    for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { WorkerLoop(); });
}

JobPool::~JobPool() {
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        for (const Key& key : queue_) key.job->state_ = Job::State::Cancelled;
        queue_.clear();
        owned_.clear();
        jobEnded_.notify_all();
        workAvailable_.notify_all();
    }
    for (std::thread& worker : workers_) worker.join();
}

JobHandle JobPool::Submit(std::function<void(Job&)> body, JobPriority priority) {
    auto job = std::make_shared<Job>();
    job->body_ = std::move(body);
    job->pool_ = this;
    job->priority_ = int(priority);
    std::lock_guard lock(mutex_);
    job->sequence_ = nextSequence_++;
    if (stopping_) {
        job->state_ = Job::State::Cancelled;
        return job;
    }
    queue_.insert(Key{-int(priority), job->sequence_, job.get()});
    owned_.push_back(job);
    workAvailable_.notify_one();
    return job;
}

void JobPool::SetPriority(const JobHandle& job, JobPriority priority) {
    if (!job) return;
    std::lock_guard lock(mutex_);
    const int old = job->priority_.exchange(int(priority));
    if (job->state_ != Job::State::Queued || old == int(priority)) return;
    queue_.erase(Key{-old, job->sequence_, job.get()});
    queue_.insert(Key{-int(priority), job->sequence_, job.get()});
}

void JobPool::Run(Job& job, std::unique_lock<std::mutex>& lock) {
    // Called with the lock held and the job already out of the queue.
    job.state_ = Job::State::Running;
    ++running_;
    JobHandle keepAlive;
    auto it = std::find_if(owned_.begin(), owned_.end(),
                           [&](const JobHandle& h) { return h.get() == &job; });
    if (it != owned_.end()) {
        keepAlive = std::move(*it);
        owned_.erase(it);
    }
    lock.unlock();
    job.body_(job);
    lock.lock();
    job.state_ = Job::State::Done;
    job.body_ = nullptr;  // release what the body captured
    --running_;
    jobEnded_.notify_all();
}

void JobPool::WorkerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workAvailable_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        Job* job = queue_.begin()->job;
        queue_.erase(queue_.begin());
        Run(*job, lock);
    }
}

void JobPool::Wait(const JobHandle& job) {
    if (!job) return;
    std::unique_lock lock(mutex_);
    if (job->state_ == Job::State::Queued && !stopping_) {
        queue_.erase(Key{-job->priority_.load(), job->sequence_, job.get()});
        Run(*job, lock);
        return;
    }
    jobEnded_.wait(lock, [&] {
        return job->state_ == Job::State::Done || job->state_ == Job::State::Cancelled;
    });
}

bool JobPool::Cancel(const JobHandle& job) {
    if (!job) return false;
    std::lock_guard lock(mutex_);
    if (job->state_ != Job::State::Queued) return false;
    queue_.erase(Key{-job->priority_.load(), job->sequence_, job.get()});
    job->state_ = Job::State::Cancelled;
    job->body_ = nullptr;
    owned_.erase(std::remove(owned_.begin(), owned_.end(), job), owned_.end());
    jobEnded_.notify_all();
    return true;
}

int JobPool::pendingCount() const {
    std::lock_guard lock(mutex_);
    return int(queue_.size()) + running_;
}

void JobPool::WaitIdle() {
    std::unique_lock lock(mutex_);
    jobEnded_.wait(lock, [this] { return queue_.empty() && running_ == 0; });
}
