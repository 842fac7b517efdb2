// ftpsh: drives the FTP engine from standard input, one command per line,
// and prints every report of the engine as one line:
//   info <code-name> <text>      error <code-name> <text>
// (CR, LF and backslash in texts are written \r, \n and \\). Stops with exit
// status 1 at the first command that fails, 2 on a command it does not know.
//
// Commands:
//   open HOST [PORT [USER [PASS]]]   log in (anonymous without USER); an
//                                    IPv6 HOST with or without brackets
//   pwd                              print "pwd <current directory>"
//   cd DIR                           change directory
//   cdup                             change to the parent directory
//   set retries|retryinterval|timeout|noop N
//   set initialdir DIR
//   ls                               list the current directory; prints
//                                    where the listing came from, for a
//                                    server listing "listed with MLSD" or
//                                    "listed with LIST", then the
//                                    entries, folders first, one row each:
//                                    d|f TAB name TAB size TAB date TAB
//                                    attributes TAB owner TAB group TAB link
//   get REMOTE LOCAL                 download
//   put LOCAL REMOTE                 upload
//   resume on|off                    answer to "resume?": Resume or Overwrite
//   mkdir DIR, rmdir DIR, del NAME   create, remove, delete
//   ren OLD NEW                      rename (an existing NEW is overwritten
//                                    only with "overwrite on")
//   overwrite on|off                 answer to "overwrite on rename?"
//   mv NAME... DIR                   move names into a folder
//   chmod MODE NAME                  SITE CHMOD
//   passive on|off                   PASV or PORT data connections
//   type a|i                         transfer type
//   cache on|off                     use the listing cache for ls
//   charset auto|utf-8|gbk           the site's character set for names, for
//                                    the next open: whether OPTS UTF8 ON is
//                                    sent, and how names are shown in reports
//   url ADDRESS                      open an ftp://, ftps:// (implicit TLS)
//                                    or ftpes:// (explicit TLS) address (a
//                                    file named by it is saved under its
//                                    name in the current local folder); an
//                                    IPv6 host in brackets: ftp://[::1]:2121/
//   tls off|explicit|implicit        TLS for the next open (implicit: port
//                                    990 when open names none)
//   trust on|off                     answer to "trust this certificate?":
//                                    on trusts it (remembered, and its
//                                    SHA-256 printed as "trusted <sha256>"),
//                                    off (the default) refuses it
//   set truststore FILE              the remembered-certificates file
//   quit                             end the session and exit
// Names are sent as the bytes given.

#include "engine/TMFtp.h"
#include "platform/EventLoop.h"
#include "platform/TextCodec.h"

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
        ftp_.OnFtpNeedInfo = [this](QObject *, TMFtpInfoNeeded need, QString &value) {
            PrintLine(QStringLiteral("need %1").arg(QLatin1String(FtpInfoNeededName(need))));
            switch (need) {
            case needResumeDecision:
                value = resume_ ? QStringLiteral("Resume") : QStringLiteral("Overwrite");
                break;
            case needOverwriteConfirm:
                value = overwrite_ ? QStringLiteral("Overwrite") : QString();
                break;
            case needLocalFile:
                break; // the remote name, in the current folder
            case needCertificateTrust:
                if (trust_) {
                    PrintLine(QStringLiteral("trusted ") + value);
                    value = QStringLiteral("Trust");
                } else {
                    value.clear();
                }
                break;
            default:
                // No one to ask: give up, as a cancelled prompt does.
                ftp_.SetRetryLogin(false);
                if (ftp_.Connecting())
                    ftp_.Disconnect();
                break;
            }
        };
        ftp_.OnLoggedIn = [this](QObject *) { loggedInEvents_++; };
        ftp_.OnFtpQuit = [this](QObject *) { quitEvents_++; };
        ftp_.OnDirectoryChanged = [this](QObject *) { directoryEvents_++; };
        ftp_.OnFtpReady = [this](QObject *) { readyEvents_++; };
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
        if (verb == "ls")
            return ListDirectory() ? -1 : 1;
        if (verb == "get" || verb == "put") {
            if (args.size() != 2)
                return Fail("usage: get REMOTE LOCAL | put LOCAL REMOTE");
            return Transfer(verb == "get", args.at(0), args.at(1)) ? -1 : 1;
        }
        if (verb == "resume" || verb == "overwrite" || verb == "passive" || verb == "cache") {
            const bool on = rest == "on";
            if (!on && rest != "off")
                return Fail("usage: resume|overwrite|passive|cache on|off");
            if (verb == "resume")
                resume_ = on;
            else if (verb == "overwrite")
                overwrite_ = on;
            else if (verb == "passive")
                ftp_.SetPassive(on);
            else
                ftp_.SetCache(on);
            return -1;
        }
        if (verb == "trust") {
            if (rest != "on" && rest != "off")
                return Fail("usage: trust on|off");
            trust_ = rest == "on";
            return -1;
        }
        if (verb == "tls") {
            if (rest == "off")
                ftp_.SetTlsMode(tlsOff);
            else if (rest == "explicit")
                ftp_.SetTlsMode(tlsExplicit);
            else if (rest == "implicit")
                ftp_.SetTlsMode(tlsImplicit);
            else
                return Fail("usage: tls off|explicit|implicit");
            return -1;
        }
        if (verb == "charset") {
            const QByteArray name = rest.toLower();
            if (name == "auto")
                ftp_.SetNameCharset(TMFtpNameCharset::Auto);
            else if (name == "utf-8" || name == "utf8")
                ftp_.SetNameCharset(TMFtpNameCharset::Utf8);
            else if (name == "gbk")
                ftp_.SetNameCharset(TMFtpNameCharset::Gbk);
            else
                return Fail("usage: charset auto|utf-8|gbk");
            return -1;
        }
        if (verb == "type") {
            if (rest != "a" && rest != "i")
                return Fail("usage: type a|i");
            ftp_.SetTransferMode(rest == "a" ? AsciiTransfer : BinaryTransfer);
            return -1;
        }
        if (verb == "mkdir" || verb == "rmdir" || verb == "del") {
            if (rest.isEmpty())
                return Fail("usage: mkdir|rmdir|del NAME");
            return Simple([&] {
                if (verb == "mkdir")
                    ftp_.CreateDirectory(rest);
                else if (verb == "rmdir")
                    ftp_.RemoveDirectory(rest);
                else
                    ftp_.DeleteFile(rest);
            }) ? -1 : 1;
        }
        if (verb == "ren") {
            if (args.size() != 2)
                return Fail("usage: ren OLD NEW");
            return Simple([&] { ftp_.RenameFile(args.at(0), args.at(1)); }) ? -1 : 1;
        }
        if (verb == "mv") {
            if (args.size() < 2)
                return Fail("usage: mv NAME... DIR");
            const QList<QByteArray> names = args.mid(0, args.size() - 1);
            return Simple([&] { ftp_.MoveFiles(names, args.last()); }) ? -1 : 1;
        }
        if (verb == "chmod") {
            if (args.size() != 2)
                return Fail("usage: chmod MODE NAME");
            return Simple([&] { ftp_.ChangeMode(args.at(1), args.at(0)); }) ? -1 : 1;
        }
        if (verb == "url")
            return OpenUrl(rest) ? -1 : 1;
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
        QString host = QString::fromUtf8(args.value(0));
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        ftp_.SetServer(host);
        const quint16 defaultPort = ftp_.TlsMode() == tlsImplicit ? 990 : 21;
        ftp_.SetPort(args.size() > 1 ? quint16(args.at(1).toUInt()) : defaultPort);
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

    // Runs an operation that ends with a ready message; true without errors.
    template <typename Start>
    bool Simple(Start start)
    {
        const int before = readyEvents_;
        const int errorsBefore = errors_;
        start();
        Wait([&] { return readyEvents_ > before || !ftp_.Connected(); });
        Wait([&] { return !ftp_.Busy(); });
        return errors_ == errorsBefore && ftp_.Connected() && readyEvents_ > before;
    }

    static void PutField(QByteArray &row, QByteArrayView field)
    {
        row += '\t';
        QByteArray text = platform::decodeRemoteName(field.toByteArray()).toUtf8();
        text.replace('\\', "\\\\").replace('\t', "\\t").replace('\r', "\\r").replace('\n', "\\n");
        row += text;
    }

    static void PrintEntries(const TMFtpFileInfoList &list, char kind)
    {
        for (int i = 0; i < list.Count(); ++i) {
            QByteArray row(1, kind);
            for (const TFileInfoField field : {fiFileName, fiFileSize, fiModifiedDate, fiAttributes, fiOwner, fiGroup,
                                               fiLinkTo})
                PutField(row, list.Field(field, i));
            row += '\n';
            std::fwrite(row.constData(), 1, size_t(row.size()), stdout);
        }
        std::fflush(stdout);
    }

    bool ListDirectory()
    {
        if (!ftp_.Connected())
            return Fail("not connected") < 0;
        if (!Simple([&] { ftp_.List(); }))
            return false;
        PrintLine(ftp_.FromCache() ? QStringLiteral("listing from cache") : QStringLiteral("listing from server"));
        if (!ftp_.FromCache())
            PrintLine(ftp_.ListedWithMlsd() ? QStringLiteral("listed with MLSD") : QStringLiteral("listed with LIST"));
        PrintEntries(ftp_.FolderList(), 'd');
        PrintEntries(ftp_.FileList(), 'f');
        return true;
    }

    bool Transfer(bool download, const QByteArray &first, const QByteArray &second)
    {
        bool ok;
        if (download) {
            ok = Simple([&] { ftp_.DownloadFile(first, QString::fromLocal8Bit(second)); });
            ok = ok && ftp_.TransferOK();
        } else {
            ok = Simple([&] { ftp_.UploadFile(QString::fromLocal8Bit(first), second); });
            ok = ok && ftp_.TransferOK();
        }
        PrintLine(QStringLiteral("transferred %1").arg(ftp_.BytesTransferred()));
        return ok;
    }

    bool OpenUrl(const QByteArray &address)
    {
        const int errorsBefore = errors_;
        const int directoryBefore = directoryEvents_;
        const int readyBefore = readyEvents_;
        const int quitBefore = quitEvents_;
        ftp_.OpenURL(address);
        // Done when the folder was entered, a download ended, or the session
        // is over for good.
        Wait([&] {
            return (directoryEvents_ > directoryBefore && !ftp_.Busy())
                || (readyEvents_ > readyBefore && !ftp_.Busy() && ftp_.Operation() == opNone
                    && !ftp_.LocalFile().isEmpty())
                || (quitEvents_ > quitBefore && !ftp_.Connecting() && !ftp_.Busy() && !ftp_.Connected())
                || (errors_ > errorsBefore && !ftp_.Busy() && !ftp_.Connecting());
        });
        if (ftp_.Connected())
            PrintLine(QStringLiteral("pwd ") + QString::fromUtf8(ftp_.CurrentDirectory()));
        return errors_ == errorsBefore && ftp_.Connected();
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
        else if (name == "truststore")
            ftp_.SetTrustStorePath(QString::fromLocal8Bit(value));
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
    int readyEvents_ = 0;
    bool resume_ = true;
    bool overwrite_ = false;
    bool trust_ = false;
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
