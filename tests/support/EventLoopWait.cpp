#include "support/EventLoopWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTimer>

namespace testsupport {

void ensureCoreApplication()
{
    if (QCoreApplication::instance())
        return;
    // Settings and the listing cache of a test program go to a folder of its
    // own, never to the user's.
    if (qEnvironmentVariableIsEmpty("BRAMBLEWAY_HOME")) {
        static QTemporaryDir home;
        qputenv("BRAMBLEWAY_HOME", home.path().toLocal8Bit());
    }
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

void drainEvents()
{
    ensureCoreApplication();
    // Each marker goes to the back of the queue, so a round ends after one
    // full turn of the loop; the later rounds take in what the first queued.
    for (int round = 0; round < 3; ++round) {
        bool reached = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&reached] { reached = true; }, Qt::QueuedConnection);
        while (!reached)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace testsupport
