#pragma once
// The transfer queue: the rows of the queue list are the only store of the
// pending transfers. Each row is a caption and (normally four) sub-items,
// kept as the bytes the queue file holds: GBK for the texts, the server's
// own bytes for the remote path, so a saved queue reloads identically and no
// remote name is ever re-encoded on its way back to the server.
//
// Rows carry a stable id, so a runner can ask whether "its" entry is still in
// the queue after rows were deleted or moved.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TMFtpFileInfoList;

namespace queue {

enum QueueColumn {
    LocalPathColumn = 0,  // caption
    SizeColumn = 1,       // sub-item 0
    ActionColumn = 2,     // sub-item 1
    RemotePathColumn = 3, // sub-item 2
    StatusColumn = 4,     // sub-item 3
};
inline constexpr int QueueColumnCount = 5;

// Texts with a meaning for the runners.
QString FolderMarker();   // "文件夹": the size column of a folder entry (both languages)
QString UploadAction();   // "==>"
QString DownloadAction(); // "<=="

// Status texts of the interface language.
QString StatusTransferring(bool simplified); // "正在传送" / "正在傳送"
QString StatusFailed(bool simplified);       // "错误" / "錯誤"
QString StatusCancelled();                   // "已取消"

// One queue row, as stored.
struct QueueEntry
{
    QByteArray caption;        // LocalPathColumn, GBK
    QList<QByteArray> subItems; // SizeColumn, ActionColumn, RemotePathColumn, StatusColumn
    qint32 imageIndex = 0;

    // A program-made entry: four sub-items, image index 0.
    static QueueEntry make(const QString &localPath, const QString &size, const QString &action,
                           const QByteArray &remotePath, const QString &status = QString());

    // Sub-item i, or empty bytes when the row has fewer.
    QByteArray subItem(int i) const { return i >= 0 && i < subItems.size() ? subItems[i] : QByteArray(); }
    QString localPath() const;  // caption decoded from GBK
    QString size() const;
    QString action() const;
    QByteArray remotePath() const { return subItem(RemotePathColumn - 1); }
    QString status() const;
    bool isUpload() const { return action() == UploadAction(); }
    bool isFolder() const { return size() == FolderMarker(); }

    bool operator==(const QueueEntry &) const = default;
};

// "0 KB" below one byte, otherwise the size in KB rounded up with ","
// between groups of three digits: 1,025 bytes -> "2 KB", 1,048,576 -> "1,024 KB".
QString FormatSizeKB(qint64 bytes);

// Size of the first file-system object at `path` (file or folder), -1 when
// there is none. A folder counts as 0 bytes; a link as what it points to.
qint64 GetLocalFileSize(const QString &path);

// Full remote path of a name of the current remote folder: the name itself
// when it begins with "/", otherwise the folder (with "/" added unless it
// ends in one) followed by the name.
QByteArray FullRemotePath(const QByteArray &currentDirectory, const QByteArray &name);

class TQueueModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Id = quint64;

    explicit TQueueModel(QObject *parent = nullptr);

    // The header texts follow the interface language.
    void setSimplified(bool simplified);
    bool simplified() const { return simplified_; }

    int count() const { return int(rows_.size()); }
    const QueueEntry &entry(int row) const { return rows_.at(row).entry; }
    Id idAt(int row) const { return rows_.at(row).id; }
    // Row of the entry with this id, -1 when it has left the queue.
    int rowOf(Id id) const;
    QList<QueueEntry> entries() const;

    // Display text of a cell (remote path decoded for display).
    QString text(int row, QueueColumn column) const;
    void setText(int row, QueueColumn column, const QString &text);
    void setRemotePath(int row, const QByteArray &remotePath);
    void setStatus(int row, const QString &status) { setText(row, StatusColumn, status); }

    // Appending keeps the id of every existing row; new rows get new ids.
    Id append(const QueueEntry &entry);
    void append(const QList<QueueEntry> &entries);
    // Replaces every row (one model reset).
    void replaceAll(const QList<QueueEntry> &entries);
    void insert(int row, const QueueEntry &entry);
    void removeAt(int row);
    void clear();
    // Moves one row the way dropping it onto row `target` does: a row moved
    // upwards lands just before the target, a row moved downwards just after
    // it. Returns the row's new index.
    int moveOnto(int from, int target);

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Row
    {
        Id id;
        QueueEntry entry;
    };
    QList<Row> rows_;
    Id nextId_ = 1;
    bool simplified_ = true;
};

// Appends upload entries (folders first, then files, each in list order)
// inside one update; nothing happens when both lists are empty or the remote
// folder is empty. `clearFirst` empties the queue first.
void AddUploadEntries(TQueueModel &queue, bool clearFirst, const QStringList &folders,
                      const QByteArray &remoteFolder, const QStringList &files);

// Appends download entries for names of the current remote folder; sizes
// come from `fileList` (the engine's files of that folder).
void AddDownloadEntries(TQueueModel &queue, bool clearFirst, const QList<QByteArray> &folders,
                        const QString &localFolder, const QList<QByteArray> &files,
                        const QByteArray &currentDirectory, const TMFtpFileInfoList &fileList);

} // namespace queue
