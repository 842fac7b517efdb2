// ftpsh: drives the FTP engine from standard input, one command per line,
// and prints every report of the engine as one line:
//   info <code-name> <text>      error <code-name> <text>
// (CR, LF and backslash in texts are written \r, \n and \\). Stops with exit
// status 1 at the first command that fails, 2 on a command it does not know.
//
// Commands:
//   open HOST [PORT [USER [PASS]]]   log in (anonymous without USER)
//   pwd                              print "pwd <current directory>"
//   cd DIR                           change directory
//   cdup                             change to the parent directory
//   set retries|retryinterval|timeout|noop N
//   set initialdir DIR
//   quit                             end the session and exit

#include "engine/TMFtp.h"
#include "platform/EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr int CommandTimeoutMs = 120000;

QString Escaped(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return out;
}

void PrintLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class Shell
{
public:
    Shell()
    {
        ftp_.SetRetries(0);
        ftp_.OnFtpInfo = [](QObject *, FtpInfo info, const QString &text) {
            PrintLine(QStringLiteral("info %1 %2").arg(QLatin1String(FtpInfoName(info)), Escaped(text)));
        };
        ftp_.OnFtpError = [this](QObject *, FtpError error, const QString &text) {
            ++errors_;
            PrintLine(QStringLiteral("error %1 %2").arg(QLatin1String(FtpErrorName(error)), Escaped(text)));
        };
        ftp_.OnFtpNeedInfo = [this](QObject *, TMFtpInfoNeeded need, QString &) {
            // No one to ask: give up, as a cancelled prompt does.
            PrintLine(QStringLiteral("need %1").arg(QLatin1String(FtpInfoNeededName(need))));
            ftp_.SetRetryLogin(false);
            if (ftp_.Connecting())
                ftp_.Disconnect();
        };
        ftp_.OnLoggedIn = [this](QObject *) { loggedInEvents_++; };
        ftp_.OnFtpQuit = [this](QObject *) { quitEvents_++; };
        ftp_.OnDirectoryChanged = [this](QObject *) { directoryEvents_++; };
    }

    // Runs one command line; returns the exit status to stop with, or -1 to go on.
    int Run(const QByteArray &line)
    {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            return -1;
        const qsizetype blank = trimmed.indexOf(' ');
        const QByteArray verb = (blank < 0 ? trimmed : trimmed.left(blank)).toLower();
        const QByteArray rest = blank < 0 ? QByteArray() : trimmed.mid(blank + 1).trimmed();
        const QList<QByteArray> args = rest.simplified().split(' ');

        if (verb == "open")
            return Open(args) ? -1 : 1;
        if (verb == "pwd") {
            if (!ftp_.Connected())
                return Fail("not connected");
            PrintLine(QStringLiteral("pwd ") + QString::fromUtf8(ftp_.CurrentDirectory()));
            return -1;
        }
        if (verb == "cd")
            return ChangeDirectory(rest, false) ? -1 : 1;
        if (verb == "cdup")
            return ChangeDirectory(QByteArray(), true) ? -1 : 1;
        if (verb == "set")
            return Set(args) ? -1 : 2;
        if (verb == "quit") {
            Quit();
            return 0;
        }
        PrintLine(QStringLiteral("error unknown-command ") + QString::fromUtf8(verb));
        return 2;
    }

    void Quit()
    {
        if (!ftp_.Connected())
            return;
        const int before = quitEvents_;
        ftp_.Quit();
        Wait([&] { return quitEvents_ > before || !ftp_.Connected(); });
    }

private:
    int Fail(const char *why)
    {
        PrintLine(QStringLiteral("error ftpsh ") + QLatin1String(why));
        return 1;
    }

    bool Open(const QList<QByteArray> &args)
    {
        if (args.isEmpty() || args.first().isEmpty()) {
            Fail("usage: open HOST [PORT [USER [PASS]]]");
            return false;
        }
        ftp_.SetServer(QString::fromUtf8(args.value(0)));
        ftp_.SetPort(args.size() > 1 ? quint16(args.at(1).toUInt()) : quint16(21));
        ftp_.SetUsername(args.size() > 2 ? QString::fromUtf8(args.at(2)) : QStringLiteral("anonymous"));
        if (args.size() > 3)
            ftp_.SetPassword(QString::fromUtf8(args.at(3)));
        const int errorsBefore = errors_;
        const int loggedInBefore = loggedInEvents_;
        const int quitBefore = quitEvents_;
        ftp_.Login();
        Wait([&] {
            return loggedInEvents_ > loggedInBefore || quitEvents_ > quitBefore
                || (errors_ > errorsBefore && !ftp_.Connecting() && !ftp_.Retrying() && !ftp_.Connected());
        });
        return ftp_.LoggedIn();
    }

    bool ChangeDirectory(const QByteArray &directory, bool up)
    {
        const int before = directoryEvents_;
        const int errorsBefore = errors_;
        if (up)
            ftp_.ChangeDirectoryUp();
        else
            ftp_.ChangeDirectory(directory);
        if (!ftp_.Busy() && directoryEvents_ == before)
            return false; // refused: not connected or busy
        Wait([&] { return directoryEvents_ > before || !ftp_.Connected(); });
        return ftp_.ChangeDirOK() && errors_ == errorsBefore && ftp_.Connected();
    }

    bool Set(const QList<QByteArray> &args)
    {
        const QByteArray name = args.value(0).toLower();
        const QByteArray value = args.value(1);
        if (name == "retries")
            ftp_.SetRetries(value.toInt());
        else if (name == "retryinterval")
            ftp_.SetRetryInterval(value.toInt());
        else if (name == "timeout")
            ftp_.SetTimeOut(value.toInt());
        else if (name == "noop")
            ftp_.SetNoopInterval(value.toInt());
        else if (name == "initialdir")
            ftp_.SetInitialDirectory(value);
        else {
            PrintLine(QStringLiteral("error unknown-setting ") + QString::fromUtf8(name));
            return false;
        }
        return true;
    }

    template <typename Done>
    void Wait(Done done)
    {
        QDeadlineTimer deadline(CommandTimeoutMs);
        QTimer wake;
        wake.start(100);
        while (!done() && !deadline.hasExpired())
            platform::pumpEvents();
    }

    TMFtp ftp_;
    int errors_ = 0;
    int loggedInEvents_ = 0;
    int quitEvents_ = 0;
    int directoryEvents_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Shell shell;
    std::string line;
    while (std::getline(std::cin, line)) {
        const int status = shell.Run(QByteArray::fromStdString(line));
        if (status >= 0) {
            shell.Quit();
            return status;
        }
    }
    shell.Quit();
    return 0;
}
