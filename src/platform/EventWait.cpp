#include "platform/EventWait.h"

#include <QEventLoop>
#include <QTimer>

bool EventWait::waitUntil(const Condition &done, std::chrono::milliseconds timeout)
{
    if (done())
        return true;
    if (timeout == std::chrono::milliseconds::zero())
        return false;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &EventWait::woken, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (timeout.count() >= 0)
        deadline.start(timeout);
    loop.exec();
    return done();
}
