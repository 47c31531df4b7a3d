#include "ThreadElsewhere.h"

#include <memory>
#include <system_error>

#include <sched.h>

namespace trouvel::cli {

namespace {

struct Start {
    std::function<void()> work;
    cpu_set_t allowed;
    bool widen = false;
};

void* run(void* argument)
{
    const std::unique_ptr<Start> start(static_cast<Start*>(argument));
    // Best effort: if the mask cannot be widened the thread stays where it was put.
    if (start->widen)
        sched_setaffinity(0, sizeof start->allowed, &start->allowed);
    start->work();
    return nullptr;
}

} // namespace

ThreadElsewhere::ThreadElsewhere(std::function<void()> work)
{
    auto start = std::make_unique<Start>();
    start->work = std::move(work);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    CPU_ZERO(&start->allowed);
    if (const int here = sched_getcpu(); here >= 0 && here < CPU_SETSIZE
        && sched_getaffinity(0, sizeof start->allowed, &start->allowed) == 0) {
        cpu_set_t elsewhere = start->allowed;
        CPU_CLR(here, &elsewhere);
        start->widen = CPU_COUNT(&elsewhere) > 0 && pthread_attr_setaffinity_np(&attributes, sizeof elsewhere, &elsewhere) == 0;
    }
    int error = pthread_create(&thread_, &attributes, run, start.get());
    if (error != 0 && start->widen) {
        // A processor set that changed meanwhile: start it anywhere.
        pthread_attr_destroy(&attributes);
        pthread_attr_init(&attributes);
        start->widen = false;
        error = pthread_create(&thread_, &attributes, run, start.get());
    }
    pthread_attr_destroy(&attributes);
    if (error != 0)
        throw std::system_error(error, std::generic_category(), "pthread_create");
    start.release(); // the thread owns it now
    joinable_ = true;
}

ThreadElsewhere::~ThreadElsewhere() { join(); }

void ThreadElsewhere::join()
{
    if (joinable_) {
        pthread_join(thread_, nullptr);
        joinable_ = false;
    }
}

} // namespace trouvel::cli
