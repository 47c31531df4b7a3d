// A thread started on another processor than the one running its creator, when the process
// may use more than one. Linux often queues a new thread behind its parent, on the parent's
// processor, and it then waits until the parent sleeps or the next balancing tick moves it:
// on two shared processors, 1 to 4 ms, a good part of what the thread was made to overlap.
// Once running, the thread may use every processor again.
#pragma once

#include <functional>

#include <pthread.h>

namespace trouvel::cli {

class ThreadElsewhere {
public:
    explicit ThreadElsewhere(std::function<void()> work);
    ~ThreadElsewhere(); // joins
    ThreadElsewhere(const ThreadElsewhere&) = delete;
    ThreadElsewhere& operator=(const ThreadElsewhere&) = delete;

    void join();

private:
    pthread_t thread_{};
    bool joinable_ = false;
};

} // namespace trouvel::cli
