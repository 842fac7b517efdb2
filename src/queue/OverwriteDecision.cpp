#include "queue/OverwriteDecision.h"

#include "engine/TMFtp.h"
#include "platform/TextCodec.h"
#include "queue/QueueModel.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace queue {
namespace {

// The last component of a local path.
QString LastComponent(const QString &path)
{
    const QString clean = QDir::fromNativeSeparators(path);
    return clean.mid(clean.lastIndexOf(QLatin1Char('/')) + 1);
}

// The extension of the last component with its dot, "" when it has none.
QString Extension(const QString &path)
{
    const QString name = LastComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

// A remote size text as a number; -1 unless it is a plain decimal number.
qint64 ParseSize(QByteArrayView text)
{
    const QByteArray trimmed = text.toByteArray().trimmed();
    if (trimmed.isEmpty())
        return -1;
    for (char c : trimmed)
        if (c < '0' || c > '9')
            return -1;
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    return ok ? value : -1;
}

QByteArray WithoutTrailingSlash(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

ResumeFacts GatherResumeFacts(const TMFtp &engine)
{
    ResumeFacts facts;
    facts.download = engine.Operation() != opUpload;
    facts.localFile = engine.LocalFile();
    facts.remoteFile = engine.RemoteFile();
    facts.serverCanResume = engine.CanResume();
    facts.localSize = GetLocalFileSize(facts.localFile);

    const TMFtpFileInfoList &files = engine.FileList();
    int index = files.IndexOfName(facts.remoteFile);
    const qsizetype slash = facts.remoteFile.lastIndexOf('/');
    if (index < 0 && slash >= 0) {
        const QByteArray folder = slash == 0 ? QByteArray("/") : facts.remoteFile.left(slash);
        if (WithoutTrailingSlash(folder) == WithoutTrailingSlash(engine.CurrentDirectory()))
            index = files.IndexOfName(facts.remoteFile.mid(slash + 1));
    }
    if (index >= 0) {
        facts.remoteSize = ParseSize(files.FileSize(index));
        facts.remoteDate = files.GetInfo(index).ModifiedDate;
    }
    return facts;
}

bool ResumePossible(const ResumeFacts &facts)
{
    if (!facts.serverCanResume)
        return false;
    if (facts.download)
        return facts.localSize < facts.remoteSize && facts.remoteSize > 0;
    return facts.remoteSize < facts.localSize && facts.localSize > 0;
}

QString AnswerOverwrite() { return QStringLiteral("Overwrite"); }
QString AnswerResume() { return QStringLiteral("Resume"); }
QString AnswerCancel() { return QStringLiteral("Cancel"); }

QString NothingToDoText() { return QStringLiteral("I am afraid I have nothing to do"); }

std::optional<QString> AnswerWithoutDialog(const ResumeFacts &facts, const OverwriteMemory &memory,
                                           QString *statusLine)
{
    if (Extension(facts.localFile).compare(QLatin1String(".lnk"), Qt::CaseInsensitive) == 0)
        return AnswerCancel();
    if (!memory.ApplyToAll || memory.RememberedAnswer.isEmpty())
        return std::nullopt;
    if (memory.RememberedAnswer != AnswerResume())
        return memory.RememberedAnswer;
    if (ResumePossible(facts))
        return AnswerResume();
    if (statusLine)
        *statusLine = NothingToDoText();
    return AnswerCancel();
}

QString LocalFileDateText(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(QDir::fromNativeSeparators(path));
    if (!info.exists())
        return {};
    const QDateTime written = info.lastModified();
    if (!written.isValid())
        return {};
    return written.toUTC().addSecs(8 * 3600).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

QString OverwriteQuestion(bool download, const QString &localFile, bool simplified)
{
    const char *format;
    if (download)
        format = simplified ? "【 本地文件 %1 已存在,替换已存的文件吗 】" : "【 本地文件 %1 已存在,替換已存的文件嗎 】";
    else
        format = simplified ? "【 远程文件 %1 已存在,替换已存的文件吗 】" : "【 遠程文件 %1 已存在,替換已存的文件嗎 】";
    // Not QString::arg: a name holding "%1" must come out unchanged.
    QString text = QString::fromUtf8(format);
    const qsizetype at = text.indexOf(QLatin1String("%1"));
    return text.replace(at, 2, LastComponent(localFile));
}

QString ByteSuffix(bool simplified)
{
    return QString::fromUtf8(simplified ? " 字节" : " 字節");
}

QString OverwriteConfirmText(const QByteArray &newName, bool simplified)
{
    return QString::fromUtf8("   文件“") + platform::decodeRemoteName(newName)
        + QString::fromUtf8(simplified ? "”已经存在.\r\r   是否覆盖此文件？" : "”已經存在.\r\r   是否覆蓋此文件？");
}

} // namespace queue
