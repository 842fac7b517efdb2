#include "queue/QueueModel.h"

#include "listing/FileInfo.h"
#include "platform/Locale.h"
#include "platform/TextCodec.h"

#include <QFileInfo>

namespace queue {

QString FolderMarker()
{
    return QStringLiteral("文件夹");
}

QString UploadAction()
{
    return QStringLiteral("==>");
}

QString DownloadAction()
{
    return QStringLiteral("<==");
}

QString StatusTransferring(bool simplified)
{
    return simplified ? QStringLiteral("正在传送") : QStringLiteral("正在傳送");
}

QString StatusFailed(bool simplified)
{
    return simplified ? QStringLiteral("错误") : QStringLiteral("錯誤");
}

QString StatusCancelled()
{
    return QStringLiteral("已取消");
}

QueueEntry QueueEntry::make(const QString &localPath, const QString &size, const QString &action,
                            const QByteArray &remotePath, const QString &status)
{
    QueueEntry e;
    e.caption = platform::toGbk(localPath);
    e.subItems = {platform::toGbk(size), platform::toGbk(action), remotePath, platform::toGbk(status)};
    return e;
}

QString QueueEntry::localPath() const
{
    return platform::fromGbk(caption);
}

QString QueueEntry::size() const
{
    return platform::fromGbk(subItem(SizeColumn - 1));
}

QString QueueEntry::action() const
{
    return platform::fromGbk(subItem(ActionColumn - 1));
}

QString QueueEntry::status() const
{
    return platform::fromGbk(subItem(StatusColumn - 1));
}

QString FormatSizeKB(qint64 bytes)
{
    if (bytes < 1)
        return QStringLiteral("0 KB");
    const qint64 kb = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return platform::groupThousands(quint64(kb)) + QStringLiteral(" KB");
}

qint64 GetLocalFileSize(const QString &path)
{
    if (path.isEmpty())
        return -1;
    const QFileInfo info(path);
    if (!info.exists())
        return -1;
    return info.isDir() ? 0 : info.size();
}

QByteArray FullRemotePath(const QByteArray &currentDirectory, const QByteArray &name)
{
    if (name.startsWith('/'))
        return name;
    if (currentDirectory.endsWith('/'))
        return currentDirectory + name;
    return currentDirectory + '/' + name;
}

// ---------------------------------------------------------------------------

TQueueModel::TQueueModel(QObject *parent) : QAbstractTableModel(parent) {}

void TQueueModel::setSimplified(bool simplified)
{
    if (simplified_ == simplified)
        return;
    simplified_ = simplified;
    emit headerDataChanged(Qt::Horizontal, 0, QueueColumnCount - 1);
    // The status texts shown stay as stored; only the headers follow.
}

int TQueueModel::rowOf(Id id) const
{
    for (qsizetype i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == id)
            return int(i);
    return -1;
}

QList<QueueEntry> TQueueModel::entries() const
{
    QList<QueueEntry> list;
    list.reserve(rows_.size());
    for (const Row &r : rows_)
        list.append(r.entry);
    return list;
}

QString TQueueModel::text(int row, QueueColumn column) const
{
    if (row < 0 || row >= rows_.size())
        return QString();
    const QueueEntry &e = rows_[row].entry;
    switch (column) {
    case LocalPathColumn:
        return platform::fromGbk(e.caption);
    case RemotePathColumn:
        return platform::decodeRemoteName(e.subItem(RemotePathColumn - 1));
    case SizeColumn:
    case ActionColumn:
    case StatusColumn:
        return platform::fromGbk(e.subItem(column - 1));
    }
    return QString();
}

namespace {

// Sets sub-item `i`, growing a short row with empty sub-items.
void setSubItem(QueueEntry &e, int i, const QByteArray &bytes)
{
    while (e.subItems.size() <= i)
        e.subItems.append(QByteArray());
    e.subItems[i] = bytes;
}

} // namespace

void TQueueModel::setText(int row, QueueColumn column, const QString &text)
{
    if (row < 0 || row >= rows_.size() || column < 0 || column >= QueueColumnCount)
        return;
    QueueEntry &e = rows_[row].entry;
    const QByteArray bytes = platform::toGbk(text);
    if (column == LocalPathColumn)
        e.caption = bytes;
    else
        setSubItem(e, column - 1, bytes);
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

void TQueueModel::setRemotePath(int row, const QByteArray &remotePath)
{
    if (row < 0 || row >= rows_.size())
        return;
    setSubItem(rows_[row].entry, RemotePathColumn - 1, remotePath);
    const QModelIndex cell = index(row, RemotePathColumn);
    emit dataChanged(cell, cell);
}

TQueueModel::Id TQueueModel::append(const QueueEntry &entry)
{
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    const Id id = nextId_++;
    rows_.append(Row{id, entry});
    endInsertRows();
    return id;
}

void TQueueModel::append(const QList<QueueEntry> &entries)
{
    if (entries.isEmpty())
        return;
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + int(entries.size()) - 1);
    rows_.reserve(rows_.size() + entries.size());
    for (const QueueEntry &e : entries)
        rows_.append(Row{nextId_++, e});
    endInsertRows();
}

void TQueueModel::replaceAll(const QList<QueueEntry> &entries)
{
    beginResetModel();
    rows_.clear();
    rows_.reserve(entries.size());
    for (const QueueEntry &e : entries)
        rows_.append(Row{nextId_++, e});
    endResetModel();
}

void TQueueModel::insert(int row, const QueueEntry &entry)
{
    row = qBound(0, row, count());
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(row, Row{nextId_++, entry});
    endInsertRows();
}

void TQueueModel::removeAt(int row)
{
    if (row < 0 || row >= rows_.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.removeAt(row);
    endRemoveRows();
}

void TQueueModel::clear()
{
    if (rows_.isEmpty())
        return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int TQueueModel::moveOnto(int from, int target)
{
    if (from < 0 || from >= rows_.size())
        return -1;
    if (target < 0 || target >= rows_.size() || target == from)
        return from;
    // Qt names the destination as the row the moved one is put before,
    // counted before the move.
    const int destination = target < from ? target : target + 1;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), destination);
    rows_.move(from, target);
    endMoveRows();
    return target;
}

int TQueueModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int TQueueModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : QueueColumnCount;
}

namespace {

QVariant columnAlignment(int column)
{
    switch (column) {
    case SizeColumn:
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case ActionColumn:
    case StatusColumn:
        return QVariant(Qt::AlignCenter);
    default:
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
}

} // namespace

QVariant TQueueModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size() || index.column() >= QueueColumnCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), QueueColumn(index.column()));
    case Qt::TextAlignmentRole:
        return columnAlignment(index.column());
    default:
        return QVariant();
    }
}

QVariant TQueueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= QueueColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        static const char16_t *const simplifiedTexts[] = {u"本地路径", u"大小", u"动作", u"远程路径", u"状态"};
        static const char16_t *const traditionalTexts[] = {u"本地路徑", u"大小", u"動作", u"遠程路徑", u"狀態"};
        return QString::fromUtf16((simplified_ ? simplifiedTexts : traditionalTexts)[section]);
    }
    if (role == Qt::TextAlignmentRole)
        return columnAlignment(section);
    return QVariant();
}

Qt::ItemFlags TQueueModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

// ---------------------------------------------------------------------------

void AddUploadEntries(TQueueModel &queue, bool clearFirst, const QStringList &folders,
                      const QByteArray &remoteFolder, const QStringList &files)
{
    if ((folders.isEmpty() && files.isEmpty()) || remoteFolder.isEmpty())
        return;
    QList<QueueEntry> added;
    added.reserve(folders.size() + files.size());
    for (const QString &path : folders)
        added.append(QueueEntry::make(path, FolderMarker(), UploadAction(), remoteFolder));
    for (const QString &path : files)
        added.append(QueueEntry::make(path, FormatSizeKB(GetLocalFileSize(path)), UploadAction(), remoteFolder));
    if (clearFirst)
        queue.replaceAll(added);
    else
        queue.append(added);
}

namespace {

QString remoteSizeText(const TMFtpFileInfoList &fileList, const QByteArray &name)
{
    const int i = fileList.IndexOfName(name);
    if (i < 0)
        return FormatSizeKB(0);
    bool ok = false;
    const qint64 n = fileList.FileSize(i).toByteArray().toLongLong(&ok, 10);
    return FormatSizeKB(ok ? n : 0);
}

} // namespace

void AddDownloadEntries(TQueueModel &queue, bool clearFirst, const QList<QByteArray> &folders,
                        const QString &localFolder, const QList<QByteArray> &files,
                        const QByteArray &currentDirectory, const TMFtpFileInfoList &fileList)
{
    if ((folders.isEmpty() && files.isEmpty()) || localFolder.isEmpty())
        return;
    QList<QueueEntry> added;
    added.reserve(folders.size() + files.size());
    for (const QByteArray &name : folders)
        added.append(QueueEntry::make(localFolder, FolderMarker(), DownloadAction(),
                                      FullRemotePath(currentDirectory, name)));
    for (const QByteArray &name : files)
        added.append(QueueEntry::make(localFolder, remoteSizeText(fileList, name), DownloadAction(),
                                      FullRemotePath(currentDirectory, name)));
    if (clearFirst)
        queue.replaceAll(added);
    else
        queue.append(added);
}

} // namespace queue
