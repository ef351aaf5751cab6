#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace telmaq::test {

// Pumps events until the condition holds or the time-out passes; true when it held. The
// time-out is generous on purpose: sanitizers and busy machines slow things down a lot, and a
// condition that holds returns at once anyway.
template <typename Predicate> bool waitUntil(Predicate condition, int timeoutMs = 20000)
{
    for (QDeadlineTimer deadline(timeoutMs); !condition(); QThread::msleep(1)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace telmaq::test
