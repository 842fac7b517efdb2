#include "sites/SiteOptionsFile.h"

#include "sites/SiteBook.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace sites {

namespace {

constexpr qint64 MaxOptionsBytes = 16 * 1024 * 1024;

const QString PathKey = QStringLiteral("path");
const QString TlsKey = QStringLiteral("tls");
const QString CharsetKey = QStringLiteral("charset");
const QString PassiveKey = QStringLiteral("passiveAddressRule");

QString joinedKey(const QStringList &path)
{
    // A separator no node text can hold.
    return path.join(QChar(0));
}

} // namespace

QString siteOptionsPathFor(const QString &bookPath)
{
    return QFileInfo(bookPath).absolutePath() + QLatin1Char('/') + QLatin1String(SiteOptionsFileName);
}

QStringList sitePath(const TSiteNode *node)
{
    QStringList path;
    for (const TSiteNode *n = node; n; n = n->parent())
        path.prepend(StoredNodeText(n->text));
    return path;
}

QByteArray WriteSiteOptionsBytes(const TSiteTree &tree)
{
    QJsonArray entries;
    for (const TSiteNode *node : tree.nodes()) {
        if (!node->isSite() || node->options.isDefault())
            continue;
        QJsonObject entry;
        entry.insert(PathKey, QJsonArray::fromStringList(sitePath(node)));
        entry.insert(TlsKey, tlsModeName(node->options.tls));
        entry.insert(CharsetKey, charsetName(node->options.charset));
        entry.insert(PassiveKey, node->options.passiveAddressRule);
        entries.append(entry);
    }
    QJsonObject top;
    top.insert(QStringLiteral("format"), SiteOptionsFormat);
    top.insert(QStringLiteral("sites"), entries);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

SiteOptionsLoad ReadSiteOptionsBytes(const QByteArray &bytes, TSiteTree &tree)
{
    SiteOptionsLoad result;
    for (TSiteNode *node : tree.nodes())
        node->options = SiteOptions{};

    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject top = doc.object();
    const QJsonValue format = top.value(QStringLiteral("format"));
    const QJsonValue sitesValue = top.value(QStringLiteral("sites"));
    QString refusal;
    if (parseError.error != QJsonParseError::NoError)
        refusal = QStringLiteral("%1 (at byte %2)").arg(parseError.errorString()).arg(parseError.offset);
    else if (!doc.isObject() || !sitesValue.isArray())
        refusal = QStringLiteral("not a site options file");
    else if (format.toInt(-1) != SiteOptionsFormat)
        refusal = QStringLiteral("format %1 is not known").arg(format.toVariant().toString());
    if (!refusal.isEmpty()) {
        result.status = SiteOptionsLoad::Refused;
        result.message = refusal;
        return result;
    }

    // Sites with the same path take the entries with that path in order.
    QHash<QString, QList<TSiteNode *>> byPath;
    for (TSiteNode *node : tree.nodes())
        if (node->isSite())
            byPath[joinedKey(sitePath(node))].append(node);

    for (const QJsonValue &value : sitesValue.toArray()) {
        const QJsonObject entry = value.toObject();
        const QJsonArray pathArray = entry.value(PathKey).toArray();
        QStringList path;
        bool pathOk = !pathArray.isEmpty();
        for (const QJsonValue &part : pathArray) {
            pathOk = pathOk && part.isString();
            path.append(part.toString());
        }
        if (!value.isObject() || !pathOk) {
            ++result.skippedValues;
            continue;
        }
        QList<TSiteNode *> &nodes = byPath[joinedKey(path)];
        if (nodes.isEmpty())
            continue; // a site that is gone; it is dropped at the next save
        TSiteNode *node = nodes.takeFirst();

        SiteOptions options;
        if (entry.contains(TlsKey) && !tlsModeFromName(entry.value(TlsKey).toString(), &options.tls))
            ++result.skippedValues;
        if (entry.contains(CharsetKey) && !charsetFromName(entry.value(CharsetKey).toString(), &options.charset))
            ++result.skippedValues;
        if (entry.contains(PassiveKey)) {
            if (entry.value(PassiveKey).isBool())
                options.passiveAddressRule = entry.value(PassiveKey).toBool();
            else
                ++result.skippedValues;
        }
        node->options = options;
    }
    result.status = SiteOptionsLoad::Loaded;
    if (result.skippedValues > 0)
        result.message = QStringLiteral("%1 values were not understood; those options keep their defaults")
                             .arg(result.skippedValues);
    return result;
}

SiteOptionsLoad LoadSiteOptions(TSiteTree &tree, const QString &path)
{
    for (TSiteNode *node : tree.nodes())
        node->options = SiteOptions{};
    SiteOptionsLoad result;
    QFile f(path);
    if (!f.exists())
        return result;
    QByteArray bytes;
    QString failure;
    if (!f.open(QIODevice::ReadOnly))
        failure = f.errorString();
    else if (f.size() > MaxOptionsBytes)
        failure = QStringLiteral("file too large");
    else
        bytes = f.readAll();
    f.close();
    if (failure.isEmpty())
        result = ReadSiteOptionsBytes(bytes, tree);
    else
        result = {SiteOptionsLoad::Refused, failure, {}, 0};
    if (result.status == SiteOptionsLoad::Refused)
        result.keptAs = KeepDamagedFile(path);
    return result;
}

bool SaveSiteOptions(const TSiteTree &tree, const QString &path, QString *error)
{
    const QByteArray bytes = WriteSiteOptionsBytes(tree);
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace sites
