#include "net/Pause.h"

#include "net/EventWait.h"

#include <QTimer>

#include <chrono>

namespace trouvel::net {

bool pauseFor(std::int64_t ms, const std::function<bool()>& cancelled)
{
    QTimer timer;
    timer.setSingleShot(true);
    bool elapsed = false;
    QObject::connect(&timer, &QTimer::timeout, [&elapsed] { elapsed = true; });
    timer.start(std::chrono::milliseconds(ms));
    waitForEvents([&] { return elapsed || cancelled(); });
    return !cancelled();
}

} // namespace trouvel::net
