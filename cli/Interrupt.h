// Ctrl-C for a long walk: the signal handler only writes a byte to a pipe; the event loop
// (which runs during every download) turns it into a flag and a callback. SIGTERM and SIGHUP
// (a shutdown, a closed terminal) count as a first Ctrl-C and never as a second one.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace trouvel::cli {

class InterruptWatch : public QObject {
    Q_OBJECT
public:
    // Installs the SIGINT, SIGTERM and SIGHUP handlers; the previous ones come back when
    // this object goes.
    InterruptWatch();
    ~InterruptWatch() override;

    bool interrupted() const { return count_ > 0; }
    int count() const { return count_; }
    // Called from the event loop on each Ctrl-C, with the count so far.
    std::function<void(int count)> onInterrupt;

    // Simulates a Ctrl-C (tests).
    static void raiseForTest();

private:
    void drain();

    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    int count_ = 0;
};

} // namespace trouvel::cli
