#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

// Priorities of frame jobs. Higher runs first; within a level, first come first served.
enum class JobPriority : int { BelowNormal = -1, Normal = 0, Boost = 15 };

class JobPool;

// One unit of work on the pool. Shared between the pool and whoever started it.
class Job {
  public:
    enum class State { Queued, Running, Done, Cancelled };

    JobPriority priority() const { return JobPriority(priority_.load(std::memory_order_relaxed)); }
    State state() const;
    bool ended() const;

  private:
    friend class JobPool;
    std::function<void(Job&)> body_;
    std::atomic<int> priority_{0};
    uint64_t sequence_ = 0;
    State state_ = State::Queued;  // guarded by the pool's mutex
    JobPool* pool_ = nullptr;
};

using JobHandle = std::shared_ptr<Job>;

// A small pool of worker threads with a priority queue. It takes the place of one
// operating-system thread per job with per-thread priorities: raising a job's
// priority moves it forward in the queue, and a thread that waits for a job that has
// not started yet runs it itself, so a waited-for frame is never stuck behind others.
class JobPool {
  public:
    // workers <= 0: one per hardware thread, at least two.
    explicit JobPool(int workers = 0);
    ~JobPool();  // runs nothing further; waits for running jobs; queued jobs are cancelled
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;

    JobHandle Submit(std::function<void(Job&)> body, JobPriority priority);
    // Moves a queued job to its new place; a running job just records the value.
    void SetPriority(const JobHandle& job, JobPriority priority);
    // Returns when the job has ended. A job still queued is taken out and run here.
    void Wait(const JobHandle& job);
    // Takes a queued job out without running it. False when it already started or ended.
    bool Cancel(const JobHandle& job);
    int workerCount() const { return int(workers_.size()); }
    // Number of jobs queued or running; for tests and the closing sequence.
    int pendingCount() const;
    // Waits until no job is queued or running.
    void WaitIdle();

  private:
    struct Key {
        int negPriority;
        uint64_t sequence;
        Job* job;
        bool operator<(const Key& o) const {
            if (negPriority != o.negPriority) return negPriority < o.negPriority;
            return sequence < o.sequence;
        }
    };
    friend class Job;

    void WorkerLoop();
    void Run(Job& job, std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable jobEnded_;
    std::set<Key> queue_;
    std::vector<JobHandle> owned_;  // keeps queued jobs alive until they run
    uint64_t nextSequence_ = 0;
    int running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
