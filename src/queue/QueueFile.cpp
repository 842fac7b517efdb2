#include "queue/QueueFile.h"

#include <QFile>
#include <QSaveFile>

namespace queue {
namespace {

constexpr char Magic[] = "Brambleway-QUE"; // followed by one byte 0
constexpr int MagicSize = 15;

void putU16(QByteArray &out, quint32 v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void putI32(QByteArray &out, qint32 v)
{
    const quint32 u = quint32(v);
    for (int i = 0; i < 4; ++i)
        out.append(char((u >> (8 * i)) & 0xFF));
}

void putText(QByteArray &out, const QByteArray &text)
{
    putU16(out, quint32(text.size()));
    out.append(text);
}

// Reads little-endian numbers and length-prefixed texts; every read fails
// once the bytes run out.
class Reader
{
public:
    Reader(const QByteArray &bytes, qsizetype start) : bytes_(bytes), pos_(start) {}

    bool u16(quint16 &v)
    {
        if (left() < 2)
            return false;
        v = quint16(byte(0) | byte(1) << 8);
        pos_ += 2;
        return true;
    }
    bool i32(qint32 &v)
    {
        if (left() < 4)
            return false;
        v = qint32(quint32(byte(0)) | quint32(byte(1)) << 8 | quint32(byte(2)) << 16 | quint32(byte(3)) << 24);
        pos_ += 4;
        return true;
    }
    bool text(QByteArray &v)
    {
        quint16 length;
        if (!u16(length) || left() < length)
            return false;
        v = bytes_.mid(pos_, length);
        pos_ += length;
        const qsizetype zero = v.indexOf('\0');
        if (zero >= 0)
            v.truncate(zero);
        return true;
    }

private:
    qsizetype left() const { return bytes_.size() - pos_; }
    quint32 byte(int i) const { return quint8(bytes_[pos_ + i]); }

    const QByteArray &bytes_;
    qsizetype pos_;
};

} // namespace

std::optional<QByteArray> EncodeQueueFile(const QList<QueueEntry> &entries)
{
    if (entries.size() > QueueFileMaxEntries)
        return std::nullopt;
    qsizetype total = MagicSize + 2;
    for (const QueueEntry &e : entries) {
        if (e.subItems.size() > QueueFileMaxSubItems || e.caption.size() > QueueFileMaxText)
            return std::nullopt;
        total += 8 + e.caption.size();
        for (const QByteArray &s : e.subItems) {
            if (s.size() > QueueFileMaxText)
                return std::nullopt;
            total += 2 + s.size();
        }
    }

    QByteArray out;
    out.reserve(total);
    out.append(Magic, MagicSize); // includes the terminating 0
    putU16(out, quint32(entries.size()));
    for (const QueueEntry &e : entries) {
        putU16(out, quint32(e.subItems.size()));
        putI32(out, e.imageIndex);
        putText(out, e.caption);
        for (const QByteArray &s : e.subItems)
            putText(out, s);
    }
    return out;
}

std::optional<QList<QueueEntry>> DecodeQueueFile(const QByteArray &bytes)
{
    if (bytes.size() < MagicSize || QByteArrayView(bytes).first(MagicSize) != QByteArrayView(Magic, MagicSize))
        return std::nullopt;
    Reader in(bytes, MagicSize);
    quint16 count;
    if (!in.u16(count))
        return std::nullopt;
    QList<QueueEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        QueueEntry e;
        quint16 subItemCount;
        if (!in.u16(subItemCount) || subItemCount > QueueFileMaxSubItems)
            return std::nullopt;
        if (!in.i32(e.imageIndex) || !in.text(e.caption))
            return std::nullopt;
        e.subItems.resize(subItemCount);
        for (QByteArray &s : e.subItems)
            if (!in.text(s))
                return std::nullopt;
        entries.append(std::move(e));
    }
    return entries;
}

bool SaveQueueFile(const TQueueModel &queue, const QString &path)
{
    const std::optional<QByteArray> bytes = EncodeQueueFile(queue.entries());
    if (!bytes || path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*bytes) != bytes->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool LoadQueueFile(TQueueModel &queue, const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    // Anything else is turned away before it is read into memory.
    QByteArray bytes = file.read(MagicSize);
    if (bytes != QByteArrayView(Magic, MagicSize))
        return false;
    bytes += file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();
    const std::optional<QList<QueueEntry>> entries = DecodeQueueFile(bytes);
    if (!entries)
        return false;
    queue.replaceAll(*entries);
    return true;
}

} // namespace queue
