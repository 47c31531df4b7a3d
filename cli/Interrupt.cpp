#include "Interrupt.h"

#include <QSocketNotifier>

#include <csignal>
#include <cerrno>
#include <iterator>
#include <fcntl.h>
#include <unistd.h>

namespace trouvel::cli {

namespace {

int g_writeFd = -1;
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[std::size(kWatched)];

constexpr char kCtrlC = 1;
constexpr char kEndRequest = 2; // SIGTERM, SIGHUP

void onSignal(int signal)
{
    const int saved = errno;
    if (g_writeFd >= 0) {
        const char byte = signal == SIGINT ? kCtrlC : kEndRequest;
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
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kWatched); ++i)
        sigaction(kWatched[i], &action, &g_previous[i]);
}

InterruptWatch::~InterruptWatch()
{
    if (fds_[0] < 0)
        return;
    for (std::size_t i = 0; i < std::size(kWatched); ++i)
        sigaction(kWatched[i], &g_previous[i], nullptr);
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
            // A closed terminal or a shutdown asks once to stop and save: a second request
            // (a service manager's repeat) must not turn into the immediate stop of a second Ctrl-C.
            if (buffer[i] == kEndRequest && count_ > 0)
                continue;
            ++count_;
            if (onInterrupt)
                onInterrupt(count_);
        }
    }
}

} // namespace trouvel::cli
