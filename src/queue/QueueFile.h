#pragma once
// The queue file (".TQU"): magic "Brambleway-QUE\0", a 16-bit entry count,
// then per entry the sub-item count, image index, caption and sub-items,
// each text as a 16-bit length and its bytes; little-endian, no padding.

#include "queue/QueueModel.h"

#include <QString>

#include <optional>

namespace queue {

inline constexpr int QueueFileMaxEntries = 65535;
inline constexpr int QueueFileMaxText = 65535;
// More sub-items than this mark a damaged file; such an entry is not saved
// either, so every saved file loads again.
inline constexpr int QueueFileMaxSubItems = 64;

// The file's bytes for these entries. Nothing is cut silently: std::nullopt
// when the queue holds more than 65,535 entries, a text longer than 65,535
// bytes (the format cannot hold them) or an entry with more than
// QueueFileMaxSubItems sub-items.
std::optional<QByteArray> EncodeQueueFile(const QList<QueueEntry> &entries);

// The entries of a queue file's bytes; std::nullopt when the bytes are not a
// complete queue file (wrong magic, fewer bytes than the count promises, an
// entry with more than QueueFileMaxSubItems sub-items). Texts are cut at a 0
// byte; bytes after the last entry are ignored. Image index and sub-item
// count are kept as read.
std::optional<QList<QueueEntry>> DecodeQueueFile(const QByteArray &bytes);

// Writes the queue atomically (a new file renamed over the old one); false
// when it cannot be written, leaving any previous file untouched.
bool SaveQueueFile(const TQueueModel &queue, const QString &path);

// Replaces the queue with the file's entries; false (queue untouched) when
// the file cannot be read or is not a valid queue file.
bool LoadQueueFile(TQueueModel &queue, const QString &path);

} // namespace queue
