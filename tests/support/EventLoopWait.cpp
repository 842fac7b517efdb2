#include "support/EventLoopWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace testsupport {

void ensureCoreApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "tests";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    ensureCoreApplication();
    QDeadlineTimer deadline(timeoutMs);
    // Wakes the loop now and then so the deadline is seen without events.
    QTimer wake;
    wake.start(20);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pumpFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

} // namespace testsupport
