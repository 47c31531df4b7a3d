// The downloads wait on the thread's event loop: every pending event (the window's clicks,
// socket signals) is handled while they wait, and the thread sleeps while nothing happens.
#pragma once

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QObject>
#include <QThread>

namespace trouvel::net {

// Runs an event loop of its own (exec, not processEvents in a loop): under Qt's own Unix
// event dispatcher (QT_NO_GLIB, or a Qt built without GLib) a network reply waited for with
// processEvents alone may never deliver its end. The condition is looked at whenever the
// dispatcher wakes up and before it goes to sleep, so every handled event is followed by a
// look. A wait that is done stops looking: a nested wait (a click that fetches again) goes on
// under it, and the dispatcher skips a turn each time a loop is told to quit.
template <typename Done>
void waitForEvents(Done&& done)
{
    if (done())
        return;
    QEventLoop loop;
    QAbstractEventDispatcher* const dispatcher = QThread::currentThread()->eventDispatcher();
    QMetaObject::Connection onAwake;
    QMetaObject::Connection onAboutToBlock;
    const auto look = [&] {
        if (!done())
            return;
        QObject::disconnect(onAwake);
        QObject::disconnect(onAboutToBlock);
        loop.quit();
    };
    onAwake = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &loop, look);
    onAboutToBlock = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, look);
    loop.exec();
}

} // namespace trouvel::net
