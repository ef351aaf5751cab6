#include "ui/framework/EventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace telmaq {

// Watches the application object for its quit request.
class EventPump::Impl : public QObject
{
public:
    Impl();
    ~Impl() override;

    bool pumpPendingMessages();
    bool waitAndPump(int maxMs);
    void wake();
    void requestQuit();
    bool isQuitting() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractEventDispatcher* m_dispatcher;
    std::atomic<bool> m_woken{false};
    std::atomic<bool> m_quitting{false};
};

EventPump::EventPump() : m_impl(std::make_unique<Impl>()) {}

EventPump::~EventPump() = default;

bool EventPump::pumpPendingMessages()
{
    return m_impl->pumpPendingMessages();
}

bool EventPump::waitAndPump(int maxMs)
{
    return m_impl->waitAndPump(maxMs);
}

void EventPump::wake()
{
    m_impl->wake();
}

void EventPump::requestQuit()
{
    m_impl->requestQuit();
}

bool EventPump::isQuitting() const
{
    return m_impl->isQuitting();
}

EventPump::Impl::Impl() : m_dispatcher(QAbstractEventDispatcher::instance())
{
    // A quit request reaches the application object as an event before any loop ends; that is
    // the moment the procedures that pump for themselves must learn to stop.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { requestQuit(); });
    }
}

EventPump::Impl::~Impl()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool EventPump::Impl::pumpPendingMessages()
{
    if (isQuitting())
        return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !isQuitting();
}

bool EventPump::Impl::waitAndPump(int maxMs)
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

void EventPump::Impl::wake()
{
    m_woken.store(true);
    if (m_dispatcher)
        m_dispatcher->wakeUp();
}

void EventPump::Impl::requestQuit()
{
    m_quitting.store(true);
    wake();
}

bool EventPump::Impl::isQuitting() const
{
    return m_quitting.load() || QCoreApplication::closingDown();
}

bool EventPump::Impl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        m_quitting.store(true);
    return QObject::eventFilter(watched, event);
}

} // namespace telmaq
