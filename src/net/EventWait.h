// The downloads wait on the thread's event loop: every pending event (the window's clicks,
// socket signals) is handled while they wait, and the thread sleeps while nothing happens.
#pragma once

#include <QEventLoop>

namespace trouvel::net {

template <typename Done>
void waitForEvents(Done&& done)
{
    QEventLoop loop;
    while (!done())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace trouvel::net
