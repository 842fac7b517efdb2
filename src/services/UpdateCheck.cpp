#include "services/UpdateCheck.h"

#include "platform/ProfileFile.h"
#include "services/ServiceConfig.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace services {
namespace {

const QString SectionInformation = QStringLiteral("information");
const QString SectionDownLoadPath = QStringLiteral("DownLoadPath");

bool parseHexDigest(const QString &text, QByteArray *digest)
{
    if (text.size() != 64)
        return false;
    for (const QChar c : text)
        if (!c.isDigit() && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
            return false;
    *digest = QByteArray::fromHex(text.toLatin1());
    return digest->size() == 32;
}

quint16 read16(const QByteArray &b, int at, bool bigEndian)
{
    const auto lo = quint8(b[at]), hi = quint8(b[at + 1]);
    return bigEndian ? quint16(lo << 8 | hi) : quint16(hi << 8 | lo);
}

struct ElfIdentity
{
    quint8 elfClass = 0;
    quint8 data = 0;
    quint16 type = 0;
    quint16 machine = 0;
};

bool readElfIdentity(const QString &path, ElfIdentity *id)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(64);
    if (h.size() < 52 || !h.startsWith("\x7F" "ELF"))
        return false;
    id->elfClass = quint8(h[4]);
    id->data = quint8(h[5]);
    if ((id->elfClass != 1 && id->elfClass != 2) || (id->data != 1 && id->data != 2) || quint8(h[6]) != 1)
        return false;
    if (id->elfClass == 2 && h.size() < 64)
        return false;
    const bool big = id->data == 2;
    id->type = read16(h, 16, big);
    id->machine = read16(h, 18, big);
    return true;
}

bool folderWritable(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.bw-update-probe-XXXXXX"));
    return probe.open();
}

} // namespace

bool ReadVersionDescription(const QString &path, VersionDescription *description)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0)
        return false;
    const platform::ProfileFile ini(path);
    VersionDescription d;
    d.version = ini.ReadString(SectionInformation, QStringLiteral("version"), QString());
    bool ok = false;
    const qint64 size = ini.ReadString(SectionInformation, QStringLiteral("FileSize"), QString()).trimmed().toLongLong(&ok);
    d.fileSize = ok && size >= 0 ? size : -1;
    const QString sha = ini.ReadString(SectionInformation, QStringLiteral("SHA256"), QString()).trimmed();
    if (!sha.isEmpty() && !parseHexDigest(sha, &d.sha256)) {
        d.sha256.clear();
        d.sha256Malformed = true;
    }
    for (const QString &key : ini.ReadSection(SectionDownLoadPath)) {
        const QString address = ini.ReadString(SectionDownLoadPath, key, QString()).trimmed();
        if (!address.isEmpty())
            d.addresses << address;
    }
    *description = d;
    return true;
}

bool IsNewVersion(const VersionDescription &description)
{
    return description.version != QLatin1String(ProgramVersion);
}

QList<QUrl> DownloadAddresses(const VersionDescription &description, const QUrl &serviceBase)
{
    QList<QUrl> out;
    for (const QString &text : description.addresses) {
        QUrl url(text, QUrl::StrictMode);
        if (url.isRelative() && IsWebAddress(serviceBase))
            url = serviceBase.resolved(url);
        if (IsWebAddress(url))
            out << url;
    }
    return out;
}

DescriptionProblem CheckDescription(const VersionDescription &description, const QUrl &serviceBase)
{
    if (description.fileSize <= 0)
        return DescriptionProblem::NoFileSize;
    if (description.sha256Malformed)
        return DescriptionProblem::BadChecksum;
    if (DownloadAddresses(description, serviceBase).isEmpty())
        return DescriptionProblem::NoAddress;
    return DescriptionProblem::None;
}

QUrl PickDownloadAddress(const QList<QUrl> &addresses, QRandomGenerator &random)
{
    if (addresses.isEmpty())
        return {};
    if (addresses.size() == 1)
        return addresses.first();
    return addresses.at(int(random.bounded(quint32(addresses.size()))));
}

bool ChecksumRequired(const QUrl &descriptionSource, const QUrl &source)
{
    const auto secure = [](const QUrl &url) {
        return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    };
    return !secure(descriptionSource) || !secure(source);
}

QString DownloadTargetFor(const QString &programFile)
{
    return programFile + QLatin1Char('~');
}

QString ScriptPathFor(const QString &programFile)
{
    const QFileInfo info(programFile);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".sh");
}

bool CanReplaceProgram(const QString &programFile)
{
    const QFileInfo info(programFile);
    return info.isFile() && info.isWritable() && folderWritable(info.absolutePath());
}

QByteArray FileSha256(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&f))
        return {};
    return hash.result();
}

bool IsExecutableFor(const QString &candidate, const QString &reference)
{
    ElfIdentity c, r;
    if (!readElfIdentity(candidate, &c) || !readElfIdentity(reference, &r))
        return false;
    const bool program = c.type == 2 /* ET_EXEC */ || c.type == 3 /* ET_DYN */;
    return program && c.elfClass == r.elfClass && c.data == r.data && c.machine == r.machine;
}

DownloadVerdict VerifyDownload(const QString &downloadPath, const VersionDescription &description,
                               bool checksumRequired, const QString &reference)
{
    const QFileInfo info(downloadPath);
    if (!info.isFile() || description.fileSize < 0 || info.size() != description.fileSize)
        return DownloadVerdict::SizeWrong;
    if (description.sha256.isEmpty()) {
        if (checksumRequired)
            return DownloadVerdict::ChecksumMissing;
    } else if (FileSha256(downloadPath) != description.sha256) {
        return DownloadVerdict::ChecksumWrong;
    }
    if (!IsExecutableFor(downloadPath, reference))
        return DownloadVerdict::NotExecutable;
    return DownloadVerdict::Ok;
}

QByteArray ShellQuote(const QByteArray &text)
{
    QByteArray out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += '\'';
    return out;
}

QByteArray ReplacementScript(const QString &program, const QString &download, const QString &script, qint64 pid)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(program).absolutePath());
    QByteArray s;
    s += "#!/bin/sh\n";
    s += "# Puts the downloaded update of BramblewayFTP in place once the program has ended.\n";
    s += "pid=" + QByteArray::number(pid) + "\n";
    s += "program=" + ShellQuote(QFile::encodeName(program)) + "\n";
    s += "update=" + ShellQuote(QFile::encodeName(download)) + "\n";
    s += "script=" + ShellQuote(QFile::encodeName(script)) + "\n";
    s += "folder=" + ShellQuote(folder) + "\n";
    s += "running() {\n"
         "    kill -0 \"$pid\" 2>/dev/null || return 1\n"
         "    state=$(sed -n 's/^State:[[:space:]]*\\([A-Z]\\).*/\\1/p' \"/proc/$pid/status\" 2>/dev/null)\n"
         "    [ \"$state\" != Z ]\n"
         "}\n"
         "while running; do\n"
         "    sleep 0.2 2>/dev/null || sleep 1\n"
         "done\n"
         // A rename in the same folder: the old file keeps its name until the
         // new one takes it, and stays when the rename fails.
         "if [ -f \"$update\" ] && [ ! -L \"$update\" ]; then\n"
         "    mv -f \"$update\" \"$program\" 2>/dev/null\n"
         "fi\n"
         "cd \"$folder\" 2>/dev/null\n"
         "\"$program\" </dev/null >/dev/null 2>&1 &\n"
         "rm -f \"$script\"\n";
    return s;
}

bool WriteReplacementScript(const QString &script, const QByteArray &text)
{
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = f.write(text) == text.size() && f.flush();
    f.close();
    if (!written || !f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        QFile::remove(script);
        return false;
    }
    return true;
}

bool StartReplacementScript(const QString &script)
{
    const QString folder = QFileInfo(script).absolutePath();
    // In a session of its own where the system offers one, so that nothing
    // that ends this program's session ends the script.
    const QString setsid = QStandardPaths::findExecutable(QStringLiteral("setsid"));
    if (!setsid.isEmpty())
        return QProcess::startDetached(setsid, {QStringLiteral("/bin/sh"), script}, folder);
    return QProcess::startDetached(QStringLiteral("/bin/sh"), {script}, folder);
}

} // namespace services
