// Download and upload throughput of the engine next to curl against the same
// FTP server, in passive and active mode, several rounds; then the time to
// list one large folder with both. bench/transfer.sh sets up a server and
// the files and runs this; run alone:
//   transfer --port P --file NAME --upload-dir DIR --list-dir DIR --work DIR
//            [--host 127.0.0.1] [--user anonymous] [--password x] [--rounds 3]

#include "engine/TMFtp.h"
#include "platform/EventLoop.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Options {
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 21;
    QString user = QStringLiteral("anonymous");
    QString password = QStringLiteral("bench@example.org");
    QByteArray file;
    QByteArray uploadDir;
    QByteArray listDir;
    QString work;
    int rounds = 3;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

qint64 PeakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

class Bench
{
public:
    explicit Bench(const Options &o) : o_(o)
    {
        ftp_.SetServer(o.host);
        ftp_.SetPort(o.port);
        ftp_.SetUsername(o.user);
        ftp_.SetPassword(o.password);
        ftp_.SetRetries(0);
        ftp_.SetCacheFolder(o.work + QStringLiteral("/cache"));
        ftp_.OnFtpError = [this](QObject *, FtpError e, const QString &text) {
            ++errors_;
            std::fprintf(stderr, "engine error %s %s\n", FtpErrorName(e), qPrintable(text));
        };
        ftp_.OnFtpNeedInfo = [this](QObject *, TMFtpInfoNeeded need, QString &value) {
            if (need == needResumeDecision)
                value = QStringLiteral("Overwrite");
            else
                ftp_.SetRetryLogin(false); // no new credentials: give up
        };
    }

    bool Login()
    {
        ftp_.Login();
        QTimer wake;
        wake.start(100);
        while (!ftp_.LoggedIn() && (ftp_.Connecting() || ftp_.Connected()))
            platform::pumpEvents();
        return ftp_.LoggedIn();
    }

    QString Url(const QByteArray &path) const
    {
        QString url = QStringLiteral("ftp://%1:%2/").arg(o_.host).arg(o_.port);
        return url + QString::fromUtf8(path);
    }

    double Curl(QStringList args)
    {
        args.prepend(QStringLiteral("--disable-epsv"));
        args.prepend(QStringLiteral("-sS"));
        args << QStringLiteral("--user") << o_.user + QLatin1Char(':') + o_.password;
        QProcess curl;
        QElapsedTimer t;
        t.start();
        curl.start(QStringLiteral("curl"), args);
        curl.waitForFinished(-1);
        const double seconds = t.nsecsElapsed() / 1e9;
        if (curl.exitCode() != 0)
            std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
        return seconds;
    }

    double EngineDownload(const QString &local)
    {
        QFile::remove(local);
        QElapsedTimer t;
        t.start();
        ftp_.DownloadFile(o_.file, local);
        return t.nsecsElapsed() / 1e9;
    }

    double EngineUpload(const QString &local, const QByteArray &remote)
    {
        QElapsedTimer t;
        t.start();
        ftp_.UploadFile(local, remote);
        while (ftp_.Busy())
            platform::pumpEvents();
        return t.nsecsElapsed() / 1e9;
    }

    void Transfers(bool passive)
    {
        ftp_.SetPassive(passive);
        const char *mode = passive ? "passive" : "active";
        const QString local = o_.work + QStringLiteral("/download.bin");
        const QString curlLocal = o_.work + QStringLiteral("/curl-download.bin");
        const QByteArray remoteUp = o_.uploadDir + "/engine-up.bin";
        const QByteArray curlUp = o_.uploadDir + "/curl-up.bin";
        QStringList curlMode;
        if (!passive)
            curlMode << QStringLiteral("-P") << o_.host;
        std::vector<double> downRatio, upRatio;
        for (int round = 1; round <= o_.rounds; ++round) {
            const double ed = EngineDownload(local);
            const bool downOK = ftp_.TransferOK();
            const qint64 size = QFileInfo(local).size();
            QFile::remove(curlLocal);
            const double cd = Curl(curlMode + QStringList {QStringLiteral("-o"), curlLocal, Url(o_.file)});
            const double eu = EngineUpload(local, remoteUp);
            const bool upOK = ftp_.TransferOK();
            const double cu = Curl(curlMode + QStringList {QStringLiteral("-T"), local, Url(curlUp)});
            const double mib = size / 1048576.0;
            downRatio.push_back(cd / ed);
            upRatio.push_back(cu / eu);
            std::printf("%-7s round %d  download: engine %7.1f MiB/s  curl %7.1f MiB/s  ratio %.2f%s\n", mode, round,
                        mib / ed, mib / cd, cd / ed, downOK ? "" : "  (engine FAILED)");
            std::printf("%-7s round %d  upload:   engine %7.1f MiB/s  curl %7.1f MiB/s  ratio %.2f%s\n", mode, round,
                        mib / eu, mib / cu, cu / eu, upOK ? "" : "  (engine FAILED)");
            std::fflush(stdout);
        }
        std::printf("%-7s median ratio engine/curl: download %.2f, upload %.2f\n", mode, Median(downRatio),
                    Median(upRatio));
        QFile::remove(local);
        QFile::remove(curlLocal);
    }

    void Listing()
    {
        if (o_.listDir.isEmpty())
            return;
        ftp_.SetPassive(true);
        ftp_.SetCache(false);
        ftp_.SetAsynchronous(false);
        ftp_.ChangeDirectory(o_.listDir);
        std::vector<double> engine, curl;
        int count = 0;
        for (int round = 0; round < o_.rounds; ++round) {
            QElapsedTimer t;
            t.start();
            ftp_.List();
            engine.push_back(t.nsecsElapsed() / 1e9);
            count = ftp_.FileList().Count() + ftp_.FolderList().Count();
            curl.push_back(Curl({QStringLiteral("-o"), QStringLiteral("/dev/null"), Url(o_.listDir + "/")}));
        }
        std::printf("list of %d entries: engine %.3f s (listing, parsing, cache file), curl LIST %.3f s (median)\n",
                    count, Median(engine), Median(curl));
    }

    int Errors() const { return errors_; }
    QByteArray LastReply() const { return ftp_.LastReply(); }

private:
    Options o_;
    TMFtp ftp_;
    int errors_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString &k = args.at(i);
        const QString &v = args.at(i + 1);
        if (k == QLatin1String("--host")) o.host = v;
        else if (k == QLatin1String("--port")) o.port = quint16(v.toUInt());
        else if (k == QLatin1String("--user")) o.user = v;
        else if (k == QLatin1String("--password")) o.password = v;
        else if (k == QLatin1String("--file")) o.file = v.toUtf8();
        else if (k == QLatin1String("--upload-dir")) o.uploadDir = v.toUtf8();
        else if (k == QLatin1String("--list-dir")) o.listDir = v.toUtf8();
        else if (k == QLatin1String("--work")) o.work = v;
        else if (k == QLatin1String("--rounds")) o.rounds = v.toInt();
    }
    if (o.file.isEmpty() || o.work.isEmpty()) {
        std::fputs("usage: transfer --port P --file NAME --upload-dir DIR --list-dir DIR --work DIR\n", stderr);
        return 2;
    }
    QDir().mkpath(o.work);
    Bench bench(o);
    if (!bench.Login()) {
        std::fprintf(stderr, "login failed: %s\n", bench.LastReply().constData());
        return 1;
    }
    bench.Transfers(true);
    bench.Transfers(false);
    bench.Listing();
    std::printf("engine peak resident memory: %.1f MiB\n", PeakResidentKiB() / 1024.0);
    return bench.Errors() == 0 ? 0 : 1;
}
