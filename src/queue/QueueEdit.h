#pragma once
// Applying the queue entry editor's texts to a queue row.

#include <QString>

namespace queue {

class TQueueModel;

// Applies an edit confirmed with OK to `row` (nothing happens for a row
// outside the queue):
// - upload entry: a local text naming an existing folder becomes the local
//   path with the size "文件夹"; one naming an existing file becomes the
//   local path with the file's FormatSizeKB; otherwise both stay;
// - download entry: a local text naming an existing folder becomes the local
//   path; the size stays, so a file download stays one;
// - the remote path becomes the typed text: unchanged bytes when the text is
//   the display text of the current bytes, otherwise UTF-8 when the current
//   bytes are valid UTF-8, else GBK;
// - the status is cleared.
void ApplyQueueEdit(TQueueModel &queue, int row, const QString &localText, const QString &remoteText);

} // namespace queue
