#pragma once
// Messages posted to an object, pumping the event loop while waiting, and the
// millisecond tick counter.

#include <QEvent>
#include <QObject>
#include <QtGlobal>

namespace platform {

// A numbered message delivered to an object through its event() handler.
class MessageEvent : public QEvent
{
public:
    explicit MessageEvent(int number) : QEvent(eventType()), message(number) {}
    static QEvent::Type eventType();
    const int message;
};

// Queues `message` for `target`; it arrives after the events already queued.
void postMessage(QObject *target, int message);

// Waits for at least one event and handles everything pending. Used by loops
// of the form "while (busy) pumpEvents();" - they sleep, never spin.
void pumpEvents();

// Handles what is pending without waiting.
void pumpPendingEvents();

// Milliseconds since an arbitrary start; wraps around after 49.7 days, so
// compare with unsigned differences only.
quint32 tickCount();

} // namespace platform
