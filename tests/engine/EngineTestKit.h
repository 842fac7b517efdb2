#pragma once
// Helpers for engine tests: an engine set up for fast tests and a recorder of
// everything it reports.

#include "engine/TMFtp.h"
#include "support/EventLoopWait.h"
#include "support/LocalFiles.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace enginetest {

// Every report and event of one engine, as lines:
// "info infoConnected 127.0.0.1", "error errorLoginFailed ", "event LoggedIn".
struct Recorder {
    QStringList lines;
    QList<FtpInfo> infos;
    QList<FtpError> errors;
    QStringList needs; // "needUsername", ...
    QHash<TMFtpInfoNeeded, QStringList> answers; // given in turn, last repeats
    QHash<TMFtpInfoNeeded, int> asked;

    void attach(TMFtp &ftp)
    {
        ftp.OnFtpInfo = [this](QObject *, FtpInfo info, const QString &text) {
            infos.append(info);
            lines.append(QStringLiteral("info %1 %2").arg(QLatin1String(FtpInfoName(info)), text));
        };
        ftp.OnFtpError = [this](QObject *, FtpError error, const QString &text) {
            errors.append(error);
            lines.append(QStringLiteral("error %1 %2").arg(QLatin1String(FtpErrorName(error)), text));
        };
        ftp.OnFtpNeedInfo = [this](QObject *, TMFtpInfoNeeded need, QString &value) {
            needs.append(QLatin1String(FtpInfoNeededName(need)));
            const QStringList given = answers.value(need);
            const int n = asked[need]++;
            if (!given.isEmpty())
                value = given.at(qMin(n, int(given.size()) - 1));
        };
        const auto event = [this](const char *name) {
            return [this, name](QObject *) { lines.append(QStringLiteral("event ") + QLatin1String(name)); };
        };
        ftp.OnLoggedIn = event("LoggedIn");
        ftp.OnFtpReady = event("Ready");
        ftp.OnFtpQuit = event("Quit");
        ftp.OnFtpBusy = event("Busy");
        ftp.OnAborted = event("Aborted");
        ftp.OnDirectoryChanged = event("DirectoryChanged");
        ftp.OnListingDone = event("ListingDone");
        ftp.OnFileReceived = event("FileReceived");
        ftp.OnFileStored = event("FileStored");
        ftp.OnFileRenamed = event("FileRenamed");
        ftp.OnFileDeleted = event("FileDeleted");
        ftp.OnDirectoryCreated = event("DirectoryCreated");
        ftp.OnDirectoryDeleted = event("DirectoryDeleted");
    }

    int count(FtpInfo info) const { return int(infos.count(info)); }
    int count(FtpError error) const { return int(errors.count(error)); }
    int count(const QString &line) const { return int(lines.count(line)); }
    bool has(const QString &line) const { return lines.contains(line); }
    bool hasEvent(const char *name) const { return lines.contains(QStringLiteral("event ") + QLatin1String(name)); }
    int countEvent(const char *name) const { return int(lines.count(QStringLiteral("event ") + QLatin1String(name))); }
    QString dump() const { return lines.join(QLatin1Char('\n')); }
};

// Whole-file reads and writes for fixtures that check local files.
struct LocalFiles {
    static void Write(const QString &path, const QByteArray &bytes) { testsupport::writeFile(path, bytes); }
    static QByteArray Read(const QString &path) { return testsupport::readFile(path); }
};

// An engine aimed at 127.0.0.1:port with no pauses and no retries.
inline void SetUpForTest(TMFtp &ftp, quint16 port)
{
    ftp.SetServer(QStringLiteral("127.0.0.1"));
    ftp.SetPort(port);
    ftp.SetUsername(QStringLiteral("user"));
    ftp.SetPassword(QStringLiteral("secret"));
    ftp.SetRetries(0);
    ftp.SetRetryInterval(0);
    ftp.SetTimeOut(5);
}

// Until the login has ended one way or the other.
inline bool WaitLoginOver(TMFtp &ftp, Recorder &rec, int timeoutMs = 5000)
{
    return testsupport::waitUntil(
        [&] {
            return rec.has(QStringLiteral("event LoggedIn")) || rec.has(QStringLiteral("event Quit"))
                || (!ftp.Connecting() && !ftp.Retrying() && !ftp.Connected() && !rec.errors.isEmpty());
        },
        timeoutMs);
}

// Calls ftp.Abort() from the event loop once `ready` holds; `poll` does the
// checking, and is taken over from whatever it checked before.
inline void AbortWhen(QTimer &poll, TMFtp &ftp, std::function<bool()> ready)
{
    QObject::disconnect(&poll, &QTimer::timeout, nullptr, nullptr);
    QObject::connect(&poll, &QTimer::timeout, [&poll, &ftp, ready] {
        if (ready()) {
            poll.stop();
            ftp.Abort();
        }
    });
    poll.start(5);
}

} // namespace enginetest
