// The process's file size limit (ulimit -f) for a scope, as a full disk or a quota would
// stop a write half-way. SIGXFSZ is ignored meanwhile, so that a writer going past the limit
// sees the error instead of the process being stopped.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace trouvel::testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace trouvel::testsupport
