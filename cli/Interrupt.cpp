#include "Interrupt.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace trouvel::cli {

namespace {

int g_writeFd = -1;
struct sigaction g_previous;

void onSigint(int)
{
    const int saved = errno;
    if (g_writeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
    }
    errno = saved;
}

} // namespace

InterruptWatch::InterruptWatch()
{
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        fds_[0] = fds_[1] = -1;
        return;
    }
    g_writeFd = fds_[1];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &InterruptWatch::drain);
    struct sigaction action = {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &g_previous);
}

InterruptWatch::~InterruptWatch()
{
    if (fds_[0] < 0)
        return;
    sigaction(SIGINT, &g_previous, nullptr);
    g_writeFd = -1;
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void InterruptWatch::raiseForTest() { std::raise(SIGINT); }

void InterruptWatch::drain()
{
    char buffer[64];
    ssize_t n;
    while ((n = ::read(fds_[0], buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            ++count_;
            if (onInterrupt)
                onInterrupt(count_);
        }
    }
}

} // namespace trouvel::cli
