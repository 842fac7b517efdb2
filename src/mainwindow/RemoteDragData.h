#pragma once
// The data of a drag of remote items: the program's own format, which only
// its own panes and queue read. It holds the server's bytes of the remote
// paths, the folder they lie in and which window dragged them; nothing is
// offered that a file manager could take for local files or text.

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

class QMimeData;

namespace mainwindow {

inline constexpr char RemoteItemsMimeType[] = "application/x-bramblewayftp-remote-items";

struct RemoteDragItems
{
    qint64 process = 0;       // process id of the dragging program
    quint64 window = 0;       // the dragging window within it
    QByteArray folder;        // the remote folder of the items, as the engine spells it
    QList<QByteArray> folders; // names inside `folder`, in row order
    QList<QByteArray> files;

    bool isEmpty() const { return folders.isEmpty() && files.isEmpty(); }
    bool operator==(const RemoteDragItems &) const = default;
};

// The bytes of the format: the folder and, per item, its kind and full path
// (folder + "/" + name).
QByteArray EncodeRemoteItems(const RemoteDragItems &items);
// Refuses (empty) anything malformed: truncated or trailing bytes, another
// version, an empty folder, a path outside the folder, a name that is
// empty, "." or "..", or that holds a "/".
std::optional<RemoteDragItems> DecodeRemoteItems(const QByteArray &bytes);

// A mime data object that carries only the format above.
QMimeData *MakeRemoteDragData(const RemoteDragItems &items);
// The items the data carries, if it carries well-formed ones.
std::optional<RemoteDragItems> RemoteItemsOf(const QMimeData *data);

// The local paths of the data's file URLs (other URLs are left out), in
// the data's order.
QStringList LocalPathsOf(const QMimeData *data);

} // namespace mainwindow
