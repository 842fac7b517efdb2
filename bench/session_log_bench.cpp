// Cost of one session-log line when replies arrive one per turn of the event
// loop (as from a server), with the log empty and with it nearly full, and of
// a burst of 2000 lines. Run with QT_QPA_PLATFORM=offscreen or under Xvfb.
#include "views/FtpMsg.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace views;

namespace {

QString reply(int i)
{
    return QStringLiteral("150 Opening BINARY mode data connection for file%1.zip (10 bytes).\r\n").arg(i);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TMFtpMessenger log;
    log.resize(900, 120);
    log.show();
    QApplication::processEvents();

    constexpr int Lines = 500;
    for (int prefilled : {0, TMFtpMessenger::MaxLines - Lines}) {
        log.clear();
        for (int i = 0; i < prefilled; ++i)
            log.AddMessage(reply(i), mkReply);
        log.publishLines();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < Lines; ++i) {
            log.AddMessage(reply(i), mkReply);
            QApplication::processEvents();
        }
        log.publishLines();
        QApplication::processEvents();
        std::printf("%4d lines before: %.3f ms per line, one line per event-loop turn\n", prefilled,
                    double(t.nsecsElapsed()) / 1e6 / Lines);
    }

    log.clear();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < TMFtpMessenger::MaxLines; ++i)
        log.AddMessage(reply(i), mkReply);
    log.publishLines();
    QApplication::processEvents();
    std::printf("burst of %d lines: %.1f ms\n", TMFtpMessenger::MaxLines, double(t.nsecsElapsed()) / 1e6);
    return 0;
}
