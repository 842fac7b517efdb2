#include "sites/SiteBook.h"

#include "platform/AppPaths.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace sites {
namespace {

bool readWhole(const QString &path, QByteArray *bytes, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = f.errorString();
        return false;
    }
    if (f.size() > MaxSiteBookBytes) {
        *error = QStringLiteral("File too large");
        return false;
    }
    *bytes = f.readAll();
    return true;
}

// True when `path` holds a site book this program can read.
bool isReadableBook(const QString &path)
{
    QByteArray bytes;
    QString error;
    TSiteTree probe;
    return readWhole(path, &bytes, &error) && ReadSiteBookBytes(bytes, probe, &error);
}

} // namespace

QString siteBookPath()
{
    return platform::dataFolder() + QLatin1Char('/') + QLatin1String(SiteBookFileName);
}

QString KeepDamagedFile(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = path + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    if (QFileInfo::exists(target))
        return {};
    if (QFile::rename(path, target))
        return target;
    if (QFile::copy(path, target) && QFile::remove(path))
        return target;
    return {};
}

SiteBookLoad LoadSiteBook(TSiteTree &tree, const QString &path)
{
    SiteBookLoad result;
    if (!QFileInfo::exists(path))
        return result;
    QByteArray bytes;
    tree.clear();
    if (readWhole(path, &bytes, &result.error) && ReadSiteBookBytes(bytes, tree, &result.error)) {
        result.status = SiteBookLoad::Loaded;
        return result;
    }
    result.status = SiteBookLoad::Refused;
    result.keptAs = KeepDamagedFile(path);
    return result;
}

bool SaveSiteBook(TSiteTree &tree, const QString &path, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (tree.isEmpty())
        return fail(QStringLiteral("The site book is empty"));
    tree.sort();
    tree.renameRecords();
    const QByteArray bytes = WriteSiteBookBytes(tree);

    // A file this program cannot read is never replaced: it is set aside first.
    if (QFileInfo::exists(path) && !isReadableBook(path) && KeepDamagedFile(path).isEmpty())
        return fail(QStringLiteral("%1 cannot be read and cannot be set aside").arg(path));

    // A new book is the owner's alone: it holds passwords.
    const bool created = !QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (created)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace sites
