#pragma once

#include <functional>
#include <semaphore>
#include <thread>

namespace orvani::cli {

// One thread kept for the whole run, which takes one job at a time: starting a thread for every
// piece of the input would cost more, and would let the system put it on the busy core.
class Worker {
public:
    Worker() : thread_([this] { loop(); }) {}
    ~Worker() {
        if (busy_) {
            wait();
        }
        job_ = nullptr;
        start_.release();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Runs `job` on the worker's thread; wait() before posting the next one.
    void post(std::function<void()> job) {
        job_ = std::move(job);
        busy_ = true;
        start_.release();
    }
    void wait() {
        done_.acquire();
        busy_ = false;
    }

private:
    void loop() {
        for (;;) {
            start_.acquire();
            if (!job_) {
                return;
            }
            job_();
            done_.release();
        }
    }

    std::function<void()> job_;
    bool busy_ = false; // touched by the posting thread only
    std::binary_semaphore start_{0};
    std::binary_semaphore done_{0};
    std::jthread thread_; // last: it starts once the rest is in place, and is joined first
};

} // namespace orvani::cli
