#include "platform/FileClipboard.h"

#include "platform/LocalFileOps.h"

#include <QFileInfo>
#include <QMimeData>
#include <QSet>
#include <QUrl>

#include <sys/stat.h>

namespace platform {
namespace {

const QString UriList = QStringLiteral("text/uri-list");
const QString GnomeFiles = QStringLiteral("x-special/gnome-copied-files");
const QString KdeCut = QStringLiteral("application/x-kde-cutselection");
const QString PlainText = QStringLiteral("text/plain");
const QByteArray NautilusMarker = "x-special/nautilus-clipboard";

// file:// addresses, one a line, blank lines and comments skipped.
QStringList localPathsOf(const QList<QByteArray> &lines)
{
    QStringList out;
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile() && !url.toLocalFile().isEmpty())
            out << QFileInfo(url.toLocalFile()).absoluteFilePath();
    }
    return out;
}

std::optional<ClipboardFiles> withVerb(const QList<QByteArray> &lines)
{
    if (lines.isEmpty())
        return std::nullopt;
    const QByteArray verb = lines.first().trimmed();
    if (verb != "copy" && verb != "cut")
        return std::nullopt;
    ClipboardFiles files;
    files.cut = verb == "cut";
    files.paths = localPathsOf(lines.mid(1));
    if (files.paths.isEmpty())
        return std::nullopt;
    return files;
}

QString canonicalFolderOf(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absolutePath() : folder;
}

bool isFolder(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

void putFileList(QMimeData *data, const ClipboardFiles &files)
{
    QList<QUrl> urls;
    QByteArray gnome = files.cut ? "cut" : "copy";
    QStringList plain;
    for (const QString &path : files.paths) {
        const QUrl url = QUrl::fromLocalFile(path);
        urls << url;
        gnome += '\n' + url.toEncoded();
        plain << path;
    }
    data->setUrls(urls);
    data->setData(GnomeFiles, gnome);
    data->setData(KdeCut, files.cut ? "1" : "0");
    data->setText(plain.join(QLatin1Char('\n')));
}

bool offersFileList(const QMimeData *data)
{
    return data && (data->hasFormat(GnomeFiles) || data->hasFormat(UriList));
}

std::optional<ClipboardFiles> fileListFrom(const QMimeData *data)
{
    if (!data)
        return std::nullopt;
    if (data->hasFormat(GnomeFiles))
        if (auto files = withVerb(data->data(GnomeFiles).split('\n')))
            return files;
    if (data->hasFormat(UriList)) {
        ClipboardFiles files;
        files.paths = localPathsOf(data->data(UriList).split('\n'));
        files.cut = data->data(KdeCut).trimmed() == "1";
        if (!files.paths.isEmpty())
            return files;
    }
    if (data->hasFormat(PlainText)) {
        QList<QByteArray> lines = data->data(PlainText).split('\n');
        if (!lines.isEmpty() && lines.first().trimmed() == NautilusMarker)
            return withVerb(lines.mid(1));
    }
    return std::nullopt;
}

PasteOutcome pasteFiles(const ClipboardFiles &files, const QString &targetFolder)
{
    PasteOutcome out;
    const QString target = QFileInfo(targetFolder).canonicalFilePath();
    QSet<QString> seen;
    for (const QString &given : files.paths) {
        const QString source = absoluteClean(given);
        if (seen.contains(source))
            continue;
        seen.insert(source);
        if (target.isEmpty() || !QFileInfo(target).isDir()) {
            out.failures.append({source, PasteProblem::TargetMissing, targetFolder});
            continue;
        }
        if (!entryExists(source)) {
            out.failures.append({source, PasteProblem::SourceMissing, QString()});
            continue;
        }
        const QString name = QFileInfo(source).fileName();
        const QString sourceFolder = canonicalFolderOf(source);
        const QString realSource =
            sourceFolder == QLatin1String("/") ? sourceFolder + name : sourceFolder + QLatin1Char('/') + name;
        const bool folder = isFolder(source);
        if (files.cut && sourceFolder == target)
            continue; // already here
        if (folder && isSameOrInside(target, realSource)) {
            out.failures.append({source, PasteProblem::IntoItself, QString()});
            continue;
        }
        const QString destination = target + QLatin1Char('/') + uniqueNameIn(target, name, folder);
        if (files.cut) {
            QString error;
            bool crossDevice = false;
            if (renameNoReplace(source, destination, &error, &crossDevice)) {
                out.created << destination;
                continue;
            }
            if (!crossDevice) {
                out.failures.append({source, PasteProblem::MoveFailed, error});
                continue;
            }
        }
        QStringList failed;
        const bool copied = copyTree(source, destination, &failed);
        if (entryExists(destination))
            out.created << destination;
        if (!copied) {
            out.failures.append({source, PasteProblem::CopyFailed, failed.join(QLatin1Char('\n'))});
            continue;
        }
        if (files.cut) {
            QString error;
            if (!removeForGood(source, &error))
                out.failures.append({source, PasteProblem::SourceKept, error});
        }
    }
    return out;
}

} // namespace platform
