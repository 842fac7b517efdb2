#include "mainwindow/RemoteDragData.h"

#include <QDataStream>
#include <QDir>
#include <QIODevice>
#include <QMimeData>
#include <QUrl>

namespace mainwindow {
namespace {

constexpr quint32 Magic = 0x42574652; // "BWFR"
constexpr quint32 Version = 1;
constexpr quint32 MaxItems = 1000000;

QByteArray withSlash(const QByteArray &folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

bool validName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

} // namespace

QByteArray EncodeRemoteItems(const RemoteDragItems &items)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    const QByteArray prefix = withSlash(items.folder);
    out << Magic << Version << items.process << items.window << items.folder
        << quint32(items.folders.size() + items.files.size());
    for (const QByteArray &name : items.folders)
        out << quint8(1) << prefix + name;
    for (const QByteArray &name : items.files)
        out << quint8(0) << prefix + name;
    return bytes;
}

std::optional<RemoteDragItems> DecodeRemoteItems(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0, count = 0;
    RemoteDragItems items;
    in >> magic >> version >> items.process >> items.window >> items.folder >> count;
    if (in.status() != QDataStream::Ok || magic != Magic || version != Version || items.folder.isEmpty()
        || count > MaxItems)
        return std::nullopt;
    const QByteArray prefix = withSlash(items.folder);
    bool filesBegun = false;
    for (quint32 i = 0; i < count; ++i) {
        quint8 kind = 0;
        QByteArray path;
        in >> kind >> path;
        if (in.status() != QDataStream::Ok || kind > 1 || !path.startsWith(prefix))
            return std::nullopt;
        const QByteArray name = path.mid(prefix.size());
        if (!validName(name))
            return std::nullopt;
        // Folders come first, as in the list.
        if (kind == 1 && filesBegun)
            return std::nullopt;
        if (kind == 1) {
            items.folders.append(name);
        } else {
            filesBegun = true;
            items.files.append(name);
        }
    }
    if (!in.atEnd())
        return std::nullopt;
    return items;
}

QMimeData *MakeRemoteDragData(const RemoteDragItems &items)
{
    auto *data = new QMimeData;
    data->setData(QLatin1String(RemoteItemsMimeType), EncodeRemoteItems(items));
    return data;
}

std::optional<RemoteDragItems> RemoteItemsOf(const QMimeData *data)
{
    if (!data || !data->hasFormat(QLatin1String(RemoteItemsMimeType)))
        return std::nullopt;
    return DecodeRemoteItems(data->data(QLatin1String(RemoteItemsMimeType)));
}

QStringList LocalPathsOf(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.isEmpty())
            paths.append(QDir::cleanPath(path));
    }
    return paths;
}

} // namespace mainwindow
