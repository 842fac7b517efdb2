#include "platform/ProfileFile.h"

#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <climits>

namespace platform {
namespace {

struct ParsedLine
{
    enum Kind { Other, Section, Key };
    Kind kind = Other;
    QString name;
    QString value;
};

ParsedLine parseLine(const QString &line)
{
    ParsedLine p;
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return p;
    if (t.startsWith(QLatin1Char('['))) {
        qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close < 0)
            close = t.size();
        p.kind = ParsedLine::Section;
        p.name = t.mid(1, close - 1).trimmed();
        return p;
    }
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return p;
    p.name = t.left(eq).trimmed();
    if (p.name.isEmpty())
        return p;
    p.kind = ParsedLine::Key;
    p.value = t.mid(eq + 1).trimmed();
    // key="value" reads as value, as the system's profile service does.
    if (p.value.size() >= 2 && p.value.front() == p.value.back()
        && (p.value.front() == QLatin1Char('"') || p.value.front() == QLatin1Char('\'')))
        p.value = p.value.mid(1, p.value.size() - 2);
    return p;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray readBytes(const QString &fileName, qint64 limit)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    if (limit <= 0)
        return f.readAll();
    // read() sets the whole limit aside first: ask for no more than the file holds.
    const qint64 size = f.size();
    return f.read(size > 0 ? qMin(size, limit) : limit);
}

// The parsed lines of the file as it is on disk (reads only).
QList<ParsedLine> parsedLines(const QString &fileName)
{
    QList<ParsedLine> out;
    const QByteArray bytes = readBytes(fileName, ProfileFile::MaxReadBytes);
    if (bytes.isEmpty())
        return out;
    const QString text = fromGbk(bytes);
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        ParsedLine p = parseLine(line.toString());
        if (p.kind != ParsedLine::Other)
            out.append(std::move(p));
    }
    return out;
}

// Calls fn(line) for each key line of every occurrence of the section.
template<typename Fn>
void forEachKey(const QList<ParsedLine> &lines, const QString &section, Fn fn)
{
    bool inside = false;
    for (const ParsedLine &p : lines) {
        if (p.kind == ParsedLine::Section)
            inside = sameName(p.name, section);
        else if (inside && !fn(p))
            return;
    }
}

bool validSection(const QString &s)
{
    return !s.trimmed().isEmpty() && !s.contains(QLatin1Char(']')) && !s.contains(QLatin1Char('\n'))
        && !s.contains(QLatin1Char('\r'));
}

bool validKey(const QString &k)
{
    const QString t = k.trimmed();
    return !t.isEmpty() && !t.contains(QLatin1Char('=')) && !t.contains(QLatin1Char('\n'))
        && !t.contains(QLatin1Char('\r')) && !t.startsWith(QLatin1Char('['))
        && !t.startsWith(QLatin1Char(';'));
}

// The whole file as raw lines, for editing. Lines that are not touched are
// written back byte for byte, whatever they contain.
class EditableFile
{
public:
    explicit EditableFile(const QString &fileName) : fileName_(fileName)
    {
        const QByteArray bytes = readBytes(fileName, 0);
        eol_ = (bytes.isEmpty() || bytes.contains("\r\n")) ? QByteArray("\r\n") : QByteArray("\n");
        if (bytes.isEmpty())
            return;
        raw_ = bytes.split('\n');
        if (raw_.back().isEmpty())
            raw_.removeLast();
        ends_.fill(QByteArray("\n"), raw_.size());
        if (!bytes.endsWith('\n'))
            ends_.back().clear();
        for (qsizetype i = 0; i < raw_.size(); ++i) {
            // A CR belongs to the line break only when an LF follows it: a last
            // line that ends in a lone CR keeps it, and gets a whole line break
            // when something is written after it.
            if (raw_[i].endsWith('\r') && !ends_[i].isEmpty()) {
                raw_[i].chop(1);
                ends_[i].prepend('\r');
            }
            parsed_.append(parseLine(fromGbk(raw_[i])));
        }
    }

    qsizetype size() const { return raw_.size(); }
    const ParsedLine &at(qsizetype i) const { return parsed_.at(i); }

    qsizetype findSection(const QString &section, qsizetype from = 0) const
    {
        for (qsizetype i = from; i < parsed_.size(); ++i)
            if (parsed_[i].kind == ParsedLine::Section && sameName(parsed_[i].name, section))
                return i;
        return -1;
    }

    // One past the last line of the section that starts at `header`.
    qsizetype sectionEnd(qsizetype header) const
    {
        qsizetype i = header + 1;
        while (i < parsed_.size() && parsed_[i].kind != ParsedLine::Section)
            ++i;
        return i;
    }

    void replace(qsizetype i, const QString &line)
    {
        raw_[i] = toGbk(line);
        parsed_[i] = parseLine(line);
    }

    void insert(qsizetype i, const QString &line)
    {
        raw_.insert(i, toGbk(line));
        ends_.insert(i, eol_);
        parsed_.insert(i, parseLine(line));
    }

    void remove(qsizetype i)
    {
        raw_.removeAt(i);
        ends_.removeAt(i);
        parsed_.removeAt(i);
    }

    bool isBlank(qsizetype i) const { return raw_[i].trimmed().isEmpty(); }

    bool save() const
    {
        QByteArray out;
        for (qsizetype i = 0; i < raw_.size(); ++i) {
            out += raw_[i];
            out += ends_[i].isEmpty() ? eol_ : ends_[i];
        }
        const QString dir = QFileInfo(fileName_).absolutePath();
        if (!QDir().mkpath(dir))
            return false;
        // A new file is the owner's alone: settings may hold passwords.
        const bool created = !QFileInfo::exists(fileName_);
        QSaveFile f(fileName_);
        f.setDirectWriteFallback(true);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        if (created)
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (f.write(out) != out.size()) {
            f.cancelWriting();
            return false;
        }
        return f.commit();
    }

private:
    QString fileName_;
    QByteArray eol_;
    QList<QByteArray> raw_;
    QList<QByteArray> ends_; // each line's own line break, kept as found
    QList<ParsedLine> parsed_;
};

} // namespace

ProfileFile::ProfileFile(QString fileName) : fileName_(std::move(fileName)) {}

bool ProfileFile::parseInteger(const QString &text, int *value)
{
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        t.remove(0, 1);
        base = 16;
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        t.remove(0, 2);
        base = 16;
    }
    if (t.isEmpty() || t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+'))
        return false;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, base);
    if (!ok)
        return false;
    const qlonglong s = negative ? -v : v;
    if (base == 16 && !negative && v > INT_MAX && v <= qlonglong(UINT_MAX)) {
        // $FFFFFFFF is -1, as a 32-bit integer written in hexadecimal.
        *value = int(quint32(v));
        return true;
    }
    if (s < INT_MIN || s > INT_MAX)
        return false;
    *value = int(s);
    return true;
}

QString ProfileFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    QString found;
    bool hit = false;
    forEachKey(parsedLines(fileName_), section, [&](const ParsedLine &p) {
        if (!sameName(p.name, key))
            return true;
        found = p.value;
        hit = true;
        return false;
    });
    if (!hit)
        return defaultValue;
    return found.left(MaxValueLength);
}

int ProfileFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    int v = 0;
    return parseInteger(ReadString(section, key, QString()), &v) ? v : defaultValue;
}

bool ProfileFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool ProfileFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    if (!validSection(section) || !validKey(key))
        return false;
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));

    EditableFile file(fileName_);
    const qsizetype header = file.findSection(section);
    if (header < 0) {
        if (file.size() > 0 && !file.isBlank(file.size() - 1))
            file.insert(file.size(), QString());
        file.insert(file.size(), QLatin1Char('[') + section.trimmed() + QLatin1Char(']'));
        file.insert(file.size(), key.trimmed() + QLatin1Char('=') + v);
        return file.save();
    }
    const qsizetype end = file.sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const ParsedLine &p = file.at(i);
        if (p.kind == ParsedLine::Key && sameName(p.name, key)) {
            file.replace(i, p.name + QLatin1Char('=') + v);
            return file.save();
        }
    }
    qsizetype at = end;
    while (at > header + 1 && file.isBlank(at - 1))
        --at;
    file.insert(at, key.trimmed() + QLatin1Char('=') + v);
    return file.save();
}

bool ProfileFile::WriteInteger(const QString &section, const QString &key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool ProfileFile::WriteBool(const QString &section, const QString &key, bool value)
{
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ProfileFile::DeleteKey(const QString &section, const QString &key)
{
    EditableFile file(fileName_);
    bool changed = false;
    for (qsizetype header = file.findSection(section); header >= 0;
         header = file.findSection(section, header + 1)) {
        for (qsizetype i = file.sectionEnd(header) - 1; i > header; --i) {
            const ParsedLine &p = file.at(i);
            if (p.kind == ParsedLine::Key && sameName(p.name, key)) {
                file.remove(i);
                changed = true;
            }
        }
    }
    return changed ? file.save() : true;
}

bool ProfileFile::EraseSection(const QString &section)
{
    EditableFile file(fileName_);
    bool changed = false;
    for (qsizetype header = file.findSection(section); header >= 0; header = file.findSection(section, header)) {
        const qsizetype end = file.sectionEnd(header);
        for (qsizetype i = end - 1; i >= header; --i)
            file.remove(i);
        changed = true;
    }
    return changed ? file.save() : true;
}

QStringList ProfileFile::ReadSection(const QString &section) const
{
    QStringList keys;
    forEachKey(parsedLines(fileName_), section, [&](const ParsedLine &p) {
        if (p.kind == ParsedLine::Key && !keys.contains(p.name, Qt::CaseInsensitive))
            keys.append(p.name);
        return true;
    });
    return keys;
}

bool ProfileFile::SectionExists(const QString &section) const
{
    for (const ParsedLine &p : parsedLines(fileName_))
        if (p.kind == ParsedLine::Section && sameName(p.name, section))
            return true;
    return false;
}

bool ProfileFile::ValueExists(const QString &section, const QString &key) const
{
    bool hit = false;
    forEachKey(parsedLines(fileName_), section, [&](const ParsedLine &p) {
        hit = sameName(p.name, key);
        return !hit;
    });
    return hit;
}

} // namespace platform
