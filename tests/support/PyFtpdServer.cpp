#include "support/PyFtpdServer.h"

#include <QDeadlineTimer>

namespace testsupport {

namespace {
constexpr int StartTimeoutMs = 15000;
}

PyFtpdServer::PyFtpdServer(const QStringList &extraArguments)
{
    QStringList args {QStringLiteral(BW_FTPD_SCRIPT), QStringLiteral("--port"), QStringLiteral("0"),
                      QStringLiteral("--watch-stdin"), QStringLiteral("--root"), root_.path(),
                      QStringLiteral("--user"), QString::fromLatin1(User),
                      QStringLiteral("--password"), QString::fromLatin1(Password)};
    args += extraArguments;
    process_.start(QStringLiteral("/usr/bin/python3"), args);
    if (!process_.waitForStarted(StartTimeoutMs))
        return;
    QDeadlineTimer deadline(StartTimeoutMs);
    QByteArray output;
    while (!deadline.hasExpired()) {
        if (!process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        output += process_.readAllStandardOutput();
        const qsizetype at = output.indexOf("PORT ");
        const qsizetype end = at >= 0 ? output.indexOf('\n', at) : -1;
        if (end > at) {
            port_ = quint16(output.mid(at + 5, end - at - 5).trimmed().toUInt());
            return;
        }
    }
}

PyFtpdServer::~PyFtpdServer()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QString PyFtpdServer::errors()
{
    return QString::fromLocal8Bit(process_.readAllStandardError());
}

} // namespace testsupport
