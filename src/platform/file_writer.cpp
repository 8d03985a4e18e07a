#include "platform/file_writer.h"

#include <pthread.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <thread>

#include "platform/atomic_file.h"

namespace tarvex {

namespace {

struct Job {
    std::string path;
    std::vector<uint8_t> bytes;
};

// The writer thread and its queue. The thread starts with the first write; at the end of the
// program it writes what is still queued before it is joined, so that no save is lost.
class Writer {
public:
    Writer() { pthread_atfork(LockForFork, UnlockInParent, RestartInChild); }

    ~Writer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_ && thread_->joinable()) thread_->join();
        delete thread_;
    }

    void Add(const std::string& path, std::vector<uint8_t> bytes) {
        {
            std::lock_guard lock(mutex_);
            if (!thread_) thread_ = new std::thread([this] { Run(); });
            bool replaced = false;
            for (Job& job : queue_)
                if (job.path == path) {
                    job.bytes = std::move(bytes);
                    replaced = true;
                    break;
                }
            if (!replaced) queue_.push_back(Job{path, std::move(bytes)});
        }
        wake_.notify_all();
    }

    void Wait() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return queue_.empty() && !writing_; });
    }

    std::vector<FailedWrite> TakeFailures() {
        std::lock_guard lock(mutex_);
        std::vector<FailedWrite> out;
        out.swap(failures_);
        return out;
    }

private:
    // A forked child has no writer thread: the parent's goes on with the queued files, the
    // child starts its own with its first write. The lock is held across the fork, so that
    // the child's copy of the queue is whole.
    static void LockForFork();
    static void UnlockInParent();
    static void RestartInChild();

    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping, with nothing left to write
            Job job = std::move(queue_.front());
            queue_.pop_front();
            writing_ = true;
            lock.unlock();
            const bool ok = WriteFileAtomically(job.path, job.bytes.data(), job.bytes.size());
            const int error = errno;
            lock.lock();
            if (!ok) failures_.push_back(FailedWrite{job.path, std::strerror(error)});
            writing_ = false;
            if (queue_.empty()) idle_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<Job> queue_;
    std::vector<FailedWrite> failures_;
    bool writing_ = false;
    bool stopping_ = false;
    std::thread* thread_ = nullptr;
};

Writer& TheWriter() {
    static Writer writer;
    return writer;
}

void Writer::LockForFork() { TheWriter().mutex_.lock(); }

void Writer::UnlockInParent() { TheWriter().mutex_.unlock(); }

void Writer::RestartInChild() {
    Writer& w = TheWriter();
    w.thread_ = nullptr;  // the parent's thread, not this process's: left, never joined
    w.queue_.clear();
    w.writing_ = false;
    // The parent's thread may have been waiting on them: fresh ones with no waiter.
    new (&w.wake_) std::condition_variable;
    new (&w.idle_) std::condition_variable;
    w.mutex_.unlock();
}

}  // namespace

void WriteFileInBackground(const std::string& path, std::vector<uint8_t> bytes) {
    TheWriter().Add(path, std::move(bytes));
}

void WaitForBackgroundWrites() { TheWriter().Wait(); }

std::vector<FailedWrite> TakeFailedWrites() { return TheWriter().TakeFailures(); }

}  // namespace tarvex
