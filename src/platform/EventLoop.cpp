#include "platform/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace platform {

QEvent::Type MessageEvent::eventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void postMessage(QObject *target, int message)
{
    QCoreApplication::postEvent(target, new MessageEvent(message));
}

void pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void pumpPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

quint32 tickCount()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<quint32>(clock.elapsed());
}

} // namespace platform
