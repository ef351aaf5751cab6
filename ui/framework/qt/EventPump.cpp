#include "ui/framework/EventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

namespace telmaq {

EventPump::EventPump(QObject* parent) : QObject(parent), m_dispatcher(QAbstractEventDispatcher::instance())
{
    // A quit request reaches the application object as an event before any loop ends; that is
    // the moment the procedures that pump for themselves must learn to stop.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { requestQuit(); });
    }
}

EventPump::~EventPump()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool EventPump::pumpPendingMessages()
{
    if (isQuitting())
        return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !isQuitting();
}

bool EventPump::waitAndPump(int maxMs)
{
    if (isQuitting())
        return false;
    // The flag is consumed only here, before the wait: a wake() from now on either finds the
    // dispatcher asleep and rouses it, or comes before it sleeps and ends the next wait.
    if (!m_woken.exchange(false) && maxMs > 0) {
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        deadline.start(maxMs);
        if (!m_woken.load())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return pumpPendingMessages();
}

void EventPump::wake()
{
    m_woken.store(true);
    if (m_dispatcher)
        m_dispatcher->wakeUp();
}

void EventPump::requestQuit()
{
    m_quitting.store(true);
    wake();
}

bool EventPump::isQuitting() const
{
    return m_quitting.load() || QCoreApplication::closingDown();
}

bool EventPump::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        m_quitting.store(true);
    return QObject::eventFilter(watched, event);
}

} // namespace telmaq
