#include "platform/TerminationRequest.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int wakeFds[2] = {-1, -1};
constexpr int watchedSignals[] = {SIGTERM, SIGINT, SIGHUP};

void restoreDefaults()
{
    for (int sig : watchedSignals)
        std::signal(sig, SIG_DFL);
}

extern "C" void onSignal(int sig)
{
    // Only async-signal-safe calls here: the rest happens in the event loop.
    const char byte = char(sig);
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[0], &byte, 1);
    // The next request is not caught: a stuck shutdown can still be ended.
    for (int s : watchedSignals)
        std::signal(s, SIG_DFL);
}

} // namespace

void WatchTerminationRequests(std::function<void()> onRequest)
{
    if (wakeFds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0) {
        wakeFds[0] = wakeFds[1] = -1;
        return;
    }
    auto *notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [onRequest = std::move(onRequest)] {
        char bytes[16];
        while (::read(wakeFds[1], bytes, sizeof bytes) > 0) {
        }
        onRequest();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : watchedSignals)
        ::sigaction(sig, &action, nullptr);
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { restoreDefaults(); });
}

} // namespace platform
