// Byte layout of ftp.dat: the resource wrapper, the component stream, the
// node list of "Items.Data" and the "TSiteInfo" records.
#include "sites/SiteBook.h"

#include "platform/TextCodec.h"

#include <QHash>

namespace sites {
namespace {

constexpr quint8 WrapperMark = 0xFF;
constexpr quint16 RawDataResource = 10;
constexpr quint16 MemoryFlags = 0x1030;
constexpr int WrapperNameField = 64; // longest name field with its 0 byte
constexpr int NodeFixedBytes = 25;   // five indexes, the child count, the text length byte
const QByteArray Signature = QByteArrayLiteral("TPF0");
const QByteArray ItemsData = QByteArrayLiteral("Items.Data");

enum ValueTag : quint8 {
    vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6, vaIdent = 7,
    vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13, vaCollection = 14,
    vaSingle = 15, vaCurrency = 16, vaDate = 17, vaWString = 18, vaInt64 = 19,
};

// ---------------------------------------------------------------- writing

class Writer
{
public:
    QByteArray out;

    void u8(quint8 v) { out.append(char(v)); }
    void u16(quint16 v) { for (int i = 0; i < 2; ++i) u8(quint8(v >> (8 * i))); }
    void u32(quint32 v) { for (int i = 0; i < 4; ++i) u8(quint8(v >> (8 * i))); }
    void shortString(const QByteArray &s)
    {
        const QByteArray cut = s.left(255);
        u8(quint8(cut.size()));
        out.append(cut);
    }
    void textValue(const QByteArray &s)
    {
        if (s.size() < 256) {
            u8(vaString);
            shortString(s);
        } else {
            u8(vaLString);
            u32(quint32(s.size()));
            out.append(s);
        }
    }
    void textProperty(const char *name, const QString &value)
    {
        if (value.isEmpty())
            return;
        shortString(name);
        textValue(platform::toGbk(value));
    }
};

// GBK bytes cut to at most `limit` without splitting a double-byte character.
QByteArray cutGbk(const QByteArray &bytes, int limit)
{
    int i = 0;
    while (i < bytes.size()) {
        const int width = (quint8(bytes[i]) >= 0x81 && i + 1 < bytes.size()) ? 2 : 1;
        if (i + width > limit)
            break;
        i += width;
    }
    return bytes.left(i);
}

} // namespace

QString StoredNodeText(const QString &text)
{
    return platform::fromGbk(cutGbk(platform::toGbk(text), MaxNodeTextBytes));
}

namespace {

void writeNode(Writer &w, const TSiteNode &node)
{
    const QByteArray text = cutGbk(platform::toGbk(node.text), MaxNodeTextBytes);
    w.u32(quint32(NodeFixedBytes + text.size()));
    w.u32(quint32(node.imageIndex));
    w.u32(quint32(node.selectedIndex));
    w.u32(quint32(node.stateIndex));
    w.u32(quint32(node.overlayIndex));
    w.u32(quint32(node.data));
    w.u32(quint32(node.childCount()));
    w.shortString(text);
    for (int i = 0; i < node.childCount(); ++i)
        writeNode(w, *node.child(i));
}

void writeRecord(Writer &w, const TSiteInfo &r)
{
    w.shortString(SiteRecordClass);
    w.shortString(platform::toGbk(r.Name));
    w.textProperty("ServerName", r.ServerName);
    w.textProperty("UserName", r.UserName);
    w.textProperty("Password", r.Password);
    w.textProperty("Port", r.Port);
    w.shortString("AnonymityLogon");
    w.u8(r.AnonymityLogon ? vaTrue : vaFalse);
    w.textProperty("RemotePath", r.RemotePath);
    w.textProperty("LocalPath", r.LocalPath);
    w.textProperty("Memo", r.Memo);
    w.u8(0); // end of properties
    w.u8(0); // no children
}

// ---------------------------------------------------------------- reading

struct StreamError
{
    QString text;
};

[[noreturn]] void fail(const char *text)
{
    throw StreamError{QString::fromLatin1(text)};
}

class Reader
{
public:
    Reader(const QByteArray &bytes, qsizetype begin, qsizetype end) : b_(bytes), pos_(begin), end_(end) {}

    qsizetype remaining() const { return end_ - pos_; }
    bool atEnd() const { return pos_ >= end_; }

    void need(qint64 n) const
    {
        if (n < 0 || n > remaining())
            fail("Stream read error");
    }
    quint8 peek() const
    {
        need(1);
        return quint8(b_[pos_]);
    }
    quint8 u8()
    {
        need(1);
        return quint8(b_[pos_++]);
    }
    quint32 u32()
    {
        need(4);
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v |= quint32(quint8(b_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return v;
    }
    QByteArray bytes(qint64 n)
    {
        need(n);
        const QByteArray v = b_.mid(pos_, n);
        pos_ += n;
        return v;
    }
    void skip(qint64 n)
    {
        need(n);
        pos_ += n;
    }
    QByteArray shortString() { return bytes(u8()); }

    qint64 integer()
    {
        switch (u8()) {
        case vaInt8: return qint8(u8());
        case vaInt16: { const QByteArray v = bytes(2); return qint16(quint8(v[0]) | (quint8(v[1]) << 8)); }
        case vaInt32: return qint32(u32());
        default: fail("Invalid property value");
        }
    }

    QString text()
    {
        switch (u8()) {
        case vaString:
        case vaIdent:
            return platform::fromGbk(shortString());
        case vaLString:
            return platform::fromGbk(bytes(u32()));
        case vaWString: {
            const qint64 count = u32();
            const QByteArray raw = bytes(count * 2);
            QString s(qsizetype(count), Qt::Uninitialized);
            for (qint64 i = 0; i < count; ++i)
                s[i] = QChar(char16_t(quint8(raw[2 * i]) | (quint8(raw[2 * i + 1]) << 8)));
            return s;
        }
        default:
            fail("Invalid property value");
        }
    }

    bool boolean()
    {
        switch (u8()) {
        case vaFalse: return false;
        case vaTrue: return true;
        default: fail("Invalid property value");
        }
    }

    QByteArray binary()
    {
        if (u8() != vaBinary)
            fail("Invalid property value");
        return bytes(u32());
    }

    // Skips one tagged value of any kind.
    void skipValue(int depth = 0)
    {
        if (depth > MaxSiteTreeDepth)
            fail("Invalid stream format");
        switch (u8()) {
        case vaNull: case vaFalse: case vaTrue: case vaNil: return;
        case vaList:
            while (peek() != vaNull)
                skipValue(depth + 1);
            u8();
            return;
        case vaInt8: skip(1); return;
        case vaInt16: skip(2); return;
        case vaInt32: case vaSingle: skip(4); return;
        case vaExtended: skip(10); return;
        case vaString: case vaIdent: skip(u8()); return;
        case vaBinary: case vaLString: skip(u32()); return;
        case vaSet:
            for (quint8 n = u8(); n != 0; n = u8())
                skip(n);
            return;
        case vaCollection:
            while (peek() != vaNull) {
                if (peek() == vaInt8 || peek() == vaInt16 || peek() == vaInt32)
                    integer();
                if (u8() != vaList)
                    fail("Invalid stream format");
                while (peek() != 0)
                    skipProperty(depth + 1);
                u8();
            }
            u8();
            return;
        case vaCurrency: case vaDate: case vaInt64: skip(8); return;
        case vaWString: skip(qint64(u32()) * 2); return;
        default: fail("Invalid stream format");
        }
    }

    void skipProperty(int depth)
    {
        shortString();
        skipValue(depth);
    }

    // Optional filer flags before a class name: 0xF0..0xFF, with a child
    // position value when bit 1 is set.
    void skipFilerFlags()
    {
        if ((peek() & 0xF0) == 0xF0) {
            const quint8 flags = u8() & 0x0F;
            if (flags & 0x02)
                integer();
        }
    }

private:
    const QByteArray &b_;
    qsizetype pos_;
    qsizetype end_;
};

void readNode(Reader &r, TSiteTree &tree, TSiteNode *parent, int depth)
{
    if (depth >= MaxSiteTreeDepth)
        fail("Invalid stream format");
    const quint32 size = r.u32();
    if (size < quint32(NodeFixedBytes) || size > quint32(NodeFixedBytes + 255))
        fail("Invalid stream format");
    r.need(size);
    const qint32 image = qint32(r.u32());
    const qint32 selected = qint32(r.u32());
    const qint32 state = qint32(r.u32());
    const qint32 overlay = qint32(r.u32());
    const qint32 data = qint32(r.u32());
    const quint32 children = r.u32();
    const QByteArray text = r.shortString();
    if (size != quint32(NodeFixedBytes + text.size()))
        fail("Invalid stream format");
    // Every child needs at least its fixed part.
    if (qint64(children) * NodeFixedBytes + 4 * qint64(children) > r.remaining())
        fail("Stream read error");
    TSiteNode *node = tree.insertNode(parent, -1, platform::fromGbk(text), image, nullptr);
    node->selectedIndex = selected;
    node->stateIndex = state;
    node->overlayIndex = overlay;
    node->data = data;
    for (quint32 i = 0; i < children; ++i)
        readNode(r, tree, node, depth + 1);
}

void readItemsData(const QByteArray &blob, TSiteTree &tree)
{
    tree.clear();
    Reader r(blob, 0, blob.size());
    const quint32 count = r.u32();
    for (quint32 i = 0; i < count; ++i)
        readNode(r, tree, nullptr, 0);
}

void readRecordProperty(Reader &r, const QByteArray &name, TSiteInfo &info)
{
    const QByteArray key = name.toLower();
    if (key == "servername") info.ServerName = r.text();
    else if (key == "username") info.UserName = r.text();
    else if (key == "password") info.Password = r.text();
    else if (key == "port") info.Port = r.text();
    else if (key == "anonymitylogon") info.AnonymityLogon = r.boolean();
    else if (key == "remotepath") info.RemotePath = r.text();
    else if (key == "localpath") info.LocalPath = r.text();
    else if (key == "memo") info.Memo = r.text();
    else r.skipValue();
}

void readStream(Reader &r, TSiteTree &tree, QHash<QString, TSiteInfo> &records)
{
    if (r.bytes(4) != Signature)
        fail("Invalid stream format");
    r.skipFilerFlags();
    const QByteArray treeClass = r.shortString();
    if (treeClass.compare(SiteBookTreeClass, Qt::CaseInsensitive) != 0)
        throw StreamError{QStringLiteral("Class %1 not found").arg(QString::fromLatin1(treeClass))};
    r.shortString(); // object name
    bool haveItems = false;
    while (r.peek() != 0) {
        const QByteArray name = r.shortString();
        if (name.compare(ItemsData, Qt::CaseInsensitive) == 0) {
            readItemsData(r.binary(), tree);
            haveItems = true;
        } else {
            r.skipValue();
        }
    }
    r.u8();
    if (!haveItems)
        fail("Invalid stream format");
    while (r.peek() != 0) {
        r.skipFilerFlags();
        const QByteArray cls = r.shortString();
        if (cls.compare(SiteRecordClass, Qt::CaseInsensitive) != 0)
            throw StreamError{QStringLiteral("Class %1 not found").arg(QString::fromLatin1(cls))};
        TSiteInfo info;
        info.Name = platform::fromGbk(r.shortString());
        while (r.peek() != 0)
            readRecordProperty(r, r.shortString(), info);
        r.u8();
        if (r.u8() != 0)
            fail("Invalid stream format");
        if (!records.contains(info.Name))
            records.insert(info.Name, info);
    }
    r.u8(); // end of the tree's children; a closing byte after it is not needed
}

} // namespace

QByteArray WriteSiteBookBytes(const TSiteTree &tree)
{
    Writer w;
    w.u8(WrapperMark);
    w.u16(RawDataResource);
    w.out.append(QByteArray(SiteBookTreeClass).toUpper());
    w.u8(0);
    w.u16(MemoryFlags);
    const qsizetype lengthAt = w.out.size();
    w.u32(0);
    const qsizetype streamAt = w.out.size();

    w.out.append(Signature);
    w.shortString(SiteBookTreeClass);
    w.shortString(SiteBookTreeName);
    Writer items;
    items.u32(quint32(tree.topLevelCount()));
    for (int i = 0; i < tree.topLevelCount(); ++i)
        writeNode(items, *tree.topLevel(i));
    w.shortString(ItemsData);
    w.u8(vaBinary);
    w.u32(quint32(items.out.size()));
    w.out.append(items.out);
    w.u8(0); // end of the tree's properties
    for (const TSiteNode *node : tree.nodes())
        if (node->record)
            writeRecord(w, *node->record);
    w.u8(0); // end of the tree's children
    w.u8(0); // end of the outermost list

    const quint32 length = quint32(w.out.size() - streamAt);
    for (int i = 0; i < 4; ++i)
        w.out[lengthAt + i] = char(length >> (8 * i));
    return w.out;
}

bool ReadSiteBookBytes(const QByteArray &bytes, TSiteTree &tree, QString *error)
{
    tree.clear();
    QHash<QString, TSiteInfo> records;
    bool ok = true;
    try {
        Reader wrapper(bytes, 0, bytes.size());
        if (wrapper.u8() != WrapperMark)
            fail("Invalid stream format");
        const quint8 lo = wrapper.u8();
        const quint8 hi = wrapper.u8();
        if ((lo | (hi << 8)) != RawDataResource)
            fail("Invalid stream format");
        int nameBytes = 0;
        while (wrapper.u8() != 0)
            if (++nameBytes >= WrapperNameField)
                fail("Invalid stream format");
        wrapper.skip(2);
        const quint32 length = wrapper.u32();
        if (length > quint32(wrapper.remaining()))
            fail("Stream read error");
        const qsizetype begin = bytes.size() - wrapper.remaining();
        Reader stream(bytes, begin, begin + qsizetype(length));
        readStream(stream, tree, records);
    } catch (const StreamError &e) {
        ok = false;
        if (error)
            *error = e.text;
    }
    const std::vector<TSiteNode *> all = tree.nodes();
    for (size_t i = 0; i < all.size(); ++i) {
        const auto it = records.constFind(QStringLiteral("SiteID%1").arg(i));
        if (it != records.constEnd())
            all[i]->record = std::make_unique<TSiteInfo>(*it);
    }
    return ok;
}

} // namespace sites
