#pragma once
// Windows-style INI files (Config.ini, version.ini) without caching: every
// read parses the file as it is on disk now, every write rewrites it at once
// (into a temporary file that then replaces the old one, so a crash never
// leaves half a file). Section and key names compare without regard to case;
// the text is GBK. A missing, empty, unreadable or malformed file reads as
// "no such key" and never throws.

#include <QString>
#include <QStringList>

namespace platform {

class ProfileFile
{
public:
    // Longest value handed to callers; longer values are cut.
    static constexpr int MaxValueLength = 2047;
    // Bytes of a file that reads look at; a settings file is a few kilobytes,
    // anything beyond this is not ours and is left alone (writes keep it).
    static constexpr qint64 MaxReadBytes = 4 * 1024 * 1024;

    explicit ProfileFile(QString fileName);

    const QString &fileName() const { return fileName_; }

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Decimal, or hexadecimal with a leading `$` or `0x`; anything else gives the default.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // An integer: 0 is false, any other number true.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;

    // Writes create the file and the section when missing. They return false
    // when the file could not be written; the old file is then untouched.
    bool WriteString(const QString &section, const QString &key, const QString &value);
    bool WriteInteger(const QString &section, const QString &key, int value);
    bool WriteBool(const QString &section, const QString &key, bool value);

    bool DeleteKey(const QString &section, const QString &key);
    bool EraseSection(const QString &section);

    // Key names of a section in file order (each once).
    QStringList ReadSection(const QString &section) const;
    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;

    // Nothing is buffered; kept for callers that flush after a batch of writes.
    void UpdateFile() {}

    // Pure integer parsing used by ReadInteger.
    static bool parseInteger(const QString &text, int *value);

private:
    QString fileName_;
};

} // namespace platform
