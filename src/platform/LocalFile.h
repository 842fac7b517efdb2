#pragma once
// A local file for transfers: 64-bit sizes and offsets, unbuffered reads and
// writes straight to the operating system, and an explicit position. Errors
// are errno values; nothing throws.

#include <QString>
#include <QtGlobal>

namespace platform {

class LocalFile
{
public:
    LocalFile() = default;
    ~LocalFile() { close(); }
    LocalFile(const LocalFile &) = delete;
    LocalFile &operator=(const LocalFile &) = delete;

    static bool exists(const QString &path);

    // Opens an existing file for reading and writing, without truncation.
    bool openReadWrite(const QString &path);
    // Creates the file (empty) or truncates an existing one, for writing.
    bool create(const QString &path);
    bool openReadOnly(const QString &path);
    // Creates a new empty file with a name of its own in the folder of
    // `path` (".<name>.XXXXXX", owner-only) and opens it for reading and
    // writing; *created receives its path.
    bool createBeside(const QString &path, QString *created);
    void close();

    // Puts `from` in the place of `to` in one step; `from` takes the access
    // bits of the file it replaces. 0 or the errno value.
    static int replace(const QString &from, const QString &to);
    static void remove(const QString &path);

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    int lastError() const { return error_; }

    // Current size on disk; -1 on failure.
    qint64 size();
    bool truncate(qint64 length);
    qint64 position() const { return position_; }
    void seek(qint64 position) { position_ = position; }

    // Writes everything at the position and advances it; returns the bytes
    // written, fewer than `length` when the disk is full or the file is gone.
    qint64 write(const char *data, qint64 length);
    // Reads up to `length` bytes at the position and advances it; 0 at the
    // end of the file, -1 on failure.
    qint64 read(char *buffer, qint64 length);

private:
    int fd_ = -1;
    int error_ = 0;
    qint64 position_ = 0;
};

} // namespace platform
