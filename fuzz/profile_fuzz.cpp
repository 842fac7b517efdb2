// libFuzzer target over the settings file reader and editor (Config.ini).
// The input is the file. Every key a section lists reads back; writing,
// deleting a key or erasing a section changes that and nothing else of what
// the file said.

#include "FuzzSupport.h"

#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPair>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace {

using platform::ProfileFile;

std::unique_ptr<QTemporaryDir> folder;
QString path;

bool same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Section names the file mentions (at most 8), found the plain way.
QStringList sectionsOf(const QByteArray &bytes)
{
    QStringList names;
    for (const QString &raw : platform::fromGbk(bytes).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (!line.startsWith(QLatin1Char('[')))
            continue;
        const qsizetype close = line.indexOf(QLatin1Char(']'));
        const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
        if (!names.contains(name, Qt::CaseInsensitive))
            names << name;
        if (names.size() == 8)
            break;
    }
    return names;
}

// Every value the file gives for those sections, by (section, key).
using Values = QList<QPair<QPair<QString, QString>, QString>>;

Values valuesOf(const ProfileFile &ini, const QStringList &sections)
{
    Values values;
    const QString none = QStringLiteral("\x01none");
    for (const QString &section : sections) {
        const QStringList keys = ini.ReadSection(section);
        if (!keys.isEmpty())
            FUZZ_CHECK(ini.SectionExists(section));
        for (const QString &key : keys) {
            FUZZ_CHECK(ini.ValueExists(section, key));
            const QString value = ini.ReadString(section, key, none);
            FUZZ_CHECK(value != none);
            FUZZ_CHECK(value.size() <= ProfileFile::MaxValueLength);
            values.append({{section, key}, value});
        }
    }
    return values;
}

// The values read now, leaving out those of `section` (and of its `key`
// alone when one is given), match those read before.
void checkOthersKept(const ProfileFile &ini, const Values &before, const QString &section, const QString &key)
{
    for (const auto &[where, value] : before) {
        if (same(where.first, section) && (key.isEmpty() || same(where.second, key)))
            continue;
        FUZZ_CHECK(ini.ReadString(where.first, where.second, QString()) == value);
    }
}

bool writeFile(const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    const QString shm = QStringLiteral("/dev/shm");
    folder = std::make_unique<QTemporaryDir>(QFileInfo(shm).isWritable() ? shm + QStringLiteral("/profile_fuzz-XXXXXX")
                                                                         : QDir::tempPath() + QStringLiteral("/profile_fuzz-XXXXXX"));
    path = folder->filePath(QStringLiteral("Config.ini"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!writeFile(bytes))
        std::abort();
    ProfileFile ini(path);
    const QStringList sections = sectionsOf(bytes);
    const Values before = valuesOf(ini, sections);
    int number = 0;
    (void)ini.ReadInteger(sections.value(0), ini.ReadSection(sections.value(0)).value(0), 7);
    (void)ProfileFile::parseInteger(QString::fromLatin1(bytes), &number);

    // A key written into the first section (or a new one) reads back.
    QString section = sections.value(0);
    // Names the program would use: one line, GBK can hold them.
    if (section.trimmed().isEmpty() || section.contains(QLatin1Char(']')) || section.contains(QLatin1Char('\r'))
        || platform::fromGbk(platform::toGbk(section)) != section)
        section = QStringLiteral("Fuzz");
    const QString key = QStringLiteral("FuzzKey");
    const QString value = QStringLiteral("v%1").arg(size);
    FUZZ_CHECK(ini.WriteString(section, key, value));
    FUZZ_CHECK(ini.ReadString(section, key, QString()) == value);
    FUZZ_CHECK(ini.ValueExists(section, key) && ini.SectionExists(section));
    checkOthersKept(ini, before, section, key);

    // Deleting it again takes it away.
    FUZZ_CHECK(ini.DeleteKey(section, key));
    FUZZ_CHECK(!ini.ValueExists(section, key));
    checkOthersKept(ini, before, section, key);

    // Erasing the section leaves the others as they were.
    FUZZ_CHECK(ini.EraseSection(section));
    FUZZ_CHECK(!ini.SectionExists(section));
    FUZZ_CHECK(ini.ReadSection(section).isEmpty());
    checkOthersKept(ini, before, section, QString());
    return 0;
}
