#include "queue/QueueEdit.h"

#include "platform/TextCodec.h"
#include "queue/QueueModel.h"

#include <QFileInfo>

namespace queue {

void ApplyQueueEdit(TQueueModel &queue, int row, const QString &localText, const QString &remoteText)
{
    if (row < 0 || row >= queue.count())
        return;
    const QueueEntry entry = queue.entry(row);
    const QFileInfo local(localText);
    const bool isFolder = !localText.isEmpty() && local.isDir();
    const bool isFile = !localText.isEmpty() && !isFolder && local.exists();
    if (entry.isUpload()) {
        if (isFolder) {
            queue.setText(row, LocalPathColumn, localText);
            queue.setText(row, SizeColumn, FolderMarker());
        } else if (isFile) {
            queue.setText(row, LocalPathColumn, localText);
            queue.setText(row, SizeColumn, FormatSizeKB(GetLocalFileSize(localText)));
        }
    } else if (isFolder) {
        queue.setText(row, LocalPathColumn, localText);
    }

    if (remoteText != queue.text(row, RemotePathColumn)) {
        const QByteArray old = entry.remotePath();
        queue.setRemotePath(row, platform::isValidUtf8(old) ? remoteText.toUtf8() : platform::toGbk(remoteText));
    }
    queue.setStatus(row, QString());
}

} // namespace queue
