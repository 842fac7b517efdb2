#include "sites/SiteBook.h"

#include "platform/TextCodec.h"
#include "sites/Seal.h"

#include "../support/PrintQString.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
unsigned AccessBits(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 0777) : 0xFFFFu;
}
} // namespace

using namespace sites;

namespace sites {
void PrintTo(const TSiteInfo &r, std::ostream *os)
{
    *os << '{' << r.Name.toStdString() << ' ' << r.ServerName.toStdString() << ' ' << r.Port.toStdString() << ' '
        << r.AnonymityLogon << ' ' << r.RemotePath.toStdString() << ' ' << r.LocalPath.toStdString() << ' '
        << r.Memo.size() << '}';
}
} // namespace sites

namespace {

// Builds expected bytes piece by piece, independently of the writer.
struct Bytes
{
    QByteArray b;
    Bytes &u8(int v) { b.append(char(v)); return *this; }
    Bytes &u32(qint64 v) { for (int i = 0; i < 4; ++i) b.append(char((quint64(v) >> (8 * i)) & 0xFF)); return *this; }
    Bytes &str(const QByteArray &s) { return u8(int(s.size())).raw(s); }
    Bytes &raw(const QByteArray &s) { b.append(s); return *this; }
    Bytes &text(const char *name, const QByteArray &value) { return str(name).u8(6).str(value); }
    Bytes &node(int image, int selected, int children, const QByteArray &text)
    {
        return u32(25 + text.size()).u32(image).u32(selected).u32(-1).u32(-1).u32(0).u32(children).str(text);
    }
};

QByteArray gbk(const char *utf8) { return platform::toGbk(QString::fromUtf8(utf8)); }

QByteArray wrap(const QByteArray &items, const QByteArray &records)
{
    Bytes stream;
    stream.raw("TPF0").str("TbsSkinStroteTreeView").str("SiteTreeView");
    stream.str("Items.Data").u8(10).u32(items.size()).raw(items).u8(0);
    stream.raw(records).u8(0).u8(0);
    Bytes file;
    file.u8(0xFF).u8(10).u8(0).raw("TBSSKINSTROTETREEVIEW").u8(0).u8(0x30).u8(0x10).u32(stream.b.size()).raw(stream.b);
    return file.b;
}

std::unique_ptr<TSiteInfo> groupRecord() { return std::make_unique<TSiteInfo>(); }

std::unique_ptr<TSiteInfo> siteRecord(const QString &server, bool anonymous = false)
{
    auto r = std::make_unique<TSiteInfo>();
    r->ServerName = server;
    r->Port = QStringLiteral("21");
    r->AnonymityLogon = anonymous;
    return r;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QStringList damagedCopies(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("ftp.dat.damaged-*")}, QDir::Files);
}

class SiteBookFile : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ftp.dat"));
    TSiteTree tree;

    TSiteNode *root()
    {
        return tree.insertNode(nullptr, -1, QString::fromUtf8(RootGroupText), siGroupCollapsed, groupRecord());
    }
};

// Root, group "G" holding sites "b" and "A", and site "z" under the root,
// added in an order that sorting must change.
void buildGroupTree(TSiteTree &tree)
{
    TSiteNode *root = tree.insertNode(nullptr, -1, QString::fromUtf8(RootGroupText), siGroupCollapsed, groupRecord());
    tree.insertNode(root, -1, QStringLiteral("z"), siSite, siteRecord(QStringLiteral("z.example")));
    TSiteNode *g = tree.insertNode(root, -1, QStringLiteral("G"), siGroupCollapsed, groupRecord());
    tree.insertNode(g, -1, QStringLiteral("b"), siSite, siteRecord(QStringLiteral("b.example"), true));
    tree.insertNode(g, -1, QStringLiteral("A"), siSite, siteRecord(QStringLiteral("a.example")));
}

} // namespace

TEST_F(SiteBookFile, ExampleRecordByteForByte)
{
    TSiteNode *r = root();
    tree.insertNode(r, -1, QStringLiteral("demo"), siSite, siteRecord(QStringLiteral("10.0.0.5"), true));
    ASSERT_TRUE(SaveSiteBook(tree, path));

    const QByteArray example = QByteArray("\x09" "TSiteInfo" "\x07" "SiteID1")
                               + "\x0A" "ServerName" "\x06\x08" "10.0.0.5" "\x04" "Port" "\x06\x02" "21"
                               + "\x0E" "AnonymityLogon" + QByteArray::fromHex("090000");
    Bytes items;
    items.u32(1).node(1, 0, 1, gbk("站点管理")).node(2, 2, 0, "demo");
    Bytes records;
    records.str("TSiteInfo").str("SiteID0").str("AnonymityLogon").u8(8).u8(0).u8(0);
    records.raw(example);
    EXPECT_EQ(fileBytes(path).toHex().toStdString(), wrap(items.b, records.b).toHex().toStdString());
}

// It holds sealed passwords: a new book is readable by its owner only; an
// existing one keeps the access the user gave it.
TEST_F(SiteBookFile, NewBookIsTheOwnersAlone)
{
    buildGroupTree(tree);
    ASSERT_TRUE(SaveSiteBook(tree, path));
    EXPECT_EQ(AccessBits(path), 0600u);

    ::chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(SaveSiteBook(tree, path));
    EXPECT_EQ(AccessBits(path), 0640u);
}

TEST_F(SiteBookFile, GroupsAndSitesSortedAndNamedInPreOrder)
{
    buildGroupTree(tree);
    ASSERT_TRUE(SaveSiteBook(tree, path));

    Bytes items;
    items.u32(1).node(1, 0, 2, gbk("站点管理"));
    items.node(1, 0, 2, "G").node(2, 2, 0, "A").node(2, 2, 0, "b");
    items.node(2, 2, 0, "z");
    Bytes records;
    records.str("TSiteInfo").str("SiteID0").str("AnonymityLogon").u8(8).u8(0).u8(0);
    records.str("TSiteInfo").str("SiteID1").str("AnonymityLogon").u8(8).u8(0).u8(0);
    records.str("TSiteInfo").str("SiteID2").text("ServerName", "a.example").text("Port", "21")
        .str("AnonymityLogon").u8(8).u8(0).u8(0);
    records.str("TSiteInfo").str("SiteID3").text("ServerName", "b.example").text("Port", "21")
        .str("AnonymityLogon").u8(9).u8(0).u8(0);
    records.str("TSiteInfo").str("SiteID4").text("ServerName", "z.example").text("Port", "21")
        .str("AnonymityLogon").u8(8).u8(0).u8(0);
    EXPECT_EQ(fileBytes(path).toHex().toStdString(), wrap(items.b, records.b).toHex().toStdString());
}

TEST_F(SiteBookFile, LongTextsUseTheLongTag)
{
    TSiteNode *r = root();
    auto rec = siteRecord(QStringLiteral("h"));
    rec->Memo = QString(150, QChar(0x5907)); // 150 double-byte characters: 300 bytes
    tree.insertNode(r, -1, QStringLiteral("m"), siSite, std::move(rec));
    ASSERT_TRUE(SaveSiteBook(tree, path));
    const QByteArray bytes = fileBytes(path);
    Bytes memo;
    memo.str("Memo").u8(12).u32(300);
    EXPECT_TRUE(bytes.contains(memo.b));
}

TEST_F(SiteBookFile, NodeTextIsCutTo255BytesWithoutSplittingACharacter)
{
    TSiteNode *r = root();
    tree.insertNode(r, -1, QString(300, QLatin1Char('x')), siSite, siteRecord(QStringLiteral("h")));
    tree.insertNode(r, -1, QStringLiteral("y") + QString(200, QChar(0x4E2D)), siSite, siteRecord(QStringLiteral("h")));
    ASSERT_TRUE(SaveSiteBook(tree, path));
    TSiteTree back;
    ASSERT_EQ(LoadSiteBook(back, path).status, SiteBookLoad::Loaded);
    TSiteNode *first = back.firstNode();
    ASSERT_EQ(first->childCount(), 2);
    EXPECT_EQ(first->child(0)->text, QString(255, QLatin1Char('x')));
    // "y" and 127 double-byte characters: 255 bytes.
    EXPECT_EQ(first->child(1)->text, QStringLiteral("y") + QString(127, QChar(0x4E2D)));
}

TEST_F(SiteBookFile, RoundTripKeepsEveryField)
{
    TSiteNode *r = root();
    TSiteNode *deep = r;
    for (int level = 0; level < 40; ++level)
        deep = tree.insertNode(deep, -1, QStringLiteral("层%1").arg(level), level % 2 ? siGroupExpanded : siGroupCollapsed,
                               groupRecord());
    auto full = std::make_unique<TSiteInfo>();
    full->ServerName = QStringLiteral("ftp.例子.cn");
    full->UserName = SealString(QStringLiteral("用户"), SiteBookKey());
    full->Password = SealString(QStringLiteral("p@ss word"), SiteBookKey());
    full->Port = QStringLiteral("2121");
    full->RemotePath = QStringLiteral("/pub/软件");
    full->LocalPath = QStringLiteral("/home/我/下载");
    full->Memo = QString(400, QLatin1Char('m')) + QStringLiteral("\r\n备注");
    const TSiteInfo fullCopy = *full;
    tree.insertNode(deep, -1, QStringLiteral("中文站点"), siSite, std::move(full));
    auto bare = std::make_unique<TSiteInfo>();
    tree.insertNode(r, -1, QStringLiteral("空"), siSite, std::move(bare));
    ASSERT_TRUE(SaveSiteBook(tree, path));
    const QByteArray first = fileBytes(path);

    TSiteTree back;
    ASSERT_EQ(LoadSiteBook(back, path).status, SiteBookLoad::Loaded);
    const std::vector<TSiteNode *> a = tree.nodes();
    const std::vector<TSiteNode *> b = back.nodes();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]->text, b[i]->text);
        EXPECT_EQ(a[i]->imageIndex, b[i]->imageIndex);
        EXPECT_EQ(a[i]->childCount(), b[i]->childCount());
        ASSERT_TRUE(b[i]->record);
        EXPECT_EQ(*a[i]->record, *b[i]->record) << i;
    }
    const TSiteNode *site = b[41];
    EXPECT_EQ(site->text, QStringLiteral("中文站点"));
    EXPECT_EQ(site->record->Name, QStringLiteral("SiteID41"));
    TSiteInfo expected = fullCopy;
    expected.Name = site->record->Name;
    EXPECT_EQ(*site->record, expected);
    EXPECT_EQ(UnsealOrEmpty(site->record->Password, SiteBookKey()), QStringLiteral("p@ss word"));

    // Saving what was loaded gives the same bytes.
    ASSERT_TRUE(SaveSiteBook(back, path));
    EXPECT_EQ(fileBytes(path), first);
}

TEST_F(SiteBookFile, MissingFileChangesNothing)
{
    root();
    EXPECT_EQ(LoadSiteBook(tree, path).status, SiteBookLoad::Missing);
    EXPECT_EQ(tree.nodeCount(), 1);
}

TEST_F(SiteBookFile, EmptyTreeIsNeverSaved)
{
    setBytes(path, "previous");
    QString error;
    EXPECT_FALSE(SaveSiteBook(tree, path, &error));
    EXPECT_EQ(fileBytes(path), QByteArray("previous"));
}

TEST_F(SiteBookFile, NodeWithoutRecordLoadsWithoutOne)
{
    Bytes items;
    items.u32(1).node(1, 0, 2, "root").node(2, 2, 0, "a").node(2, 2, 0, "b");
    Bytes records;
    records.str("TSiteInfo").str("SiteID0").str("AnonymityLogon").u8(8).u8(0).u8(0);
    records.str("TSiteInfo").str("SiteID2").text("ServerName", "b.example").str("AnonymityLogon").u8(9).u8(0).u8(0);
    records.str("TSiteInfo").str("SiteID9").text("ServerName", "stray").str("AnonymityLogon").u8(9).u8(0).u8(0);
    setBytes(path, wrap(items.b, records.b));
    ASSERT_EQ(LoadSiteBook(tree, path).status, SiteBookLoad::Loaded);
    const std::vector<TSiteNode *> n = tree.nodes();
    ASSERT_EQ(n.size(), 3u);
    EXPECT_TRUE(n[0]->record);
    EXPECT_FALSE(n[1]->record);
    ASSERT_TRUE(n[2]->record);
    EXPECT_EQ(n[2]->record->ServerName, QStringLiteral("b.example"));
    EXPECT_TRUE(n[2]->record->AnonymityLogon);
}

// A tree record as a form designer writes it: filer flags, visual
// properties of every value kind, then the node list.
TEST_F(SiteBookFile, UnknownPropertiesOfEveryKindAreSkipped)
{
    Bytes items;
    items.u32(1).node(0, 0, 1, "root").node(2, 2, 0, "a");
    Bytes stream;
    stream.raw("TPF0").u8(0xF2).u8(2).u8(3).str("TbsSkinStroteTreeView").str("SiteTreeView");
    stream.str("Left").u8(2).u8(8);
    stream.str("Width").u8(3).u8(0x2C).u8(0x01);
    stream.str("Tag").u8(4).u32(123456);
    stream.str("Scale").u8(5).raw(QByteArray(10, '\1'));
    stream.str("Font.Name").u8(6).str("SimSun");
    stream.str("Align").u8(7).str("alLeft");
    stream.str("ReadOnly").u8(8).str("Visible").u8(9);
    stream.str("Picture.Data").u8(10).u32(3).raw("abc");
    stream.str("Font.Style").u8(11).str("fsBold").str("fsItalic").u8(0);
    stream.str("Hint").u8(12).u32(2).raw("hi");
    stream.str("PopupMenu").u8(13);
    stream.str("Columns").u8(14).u8(1).str("Width").u8(2).u8(5).u8(0).u8(2).u8(1).u8(1).str("Caption").u8(6).str("c")
        .u8(0).u8(0);
    stream.str("Ratio").u8(15).u32(0);
    stream.str("Money").u8(16).raw(QByteArray(8, '\0'));
    stream.str("When").u8(17).raw(QByteArray(8, '\0'));
    stream.str("Caption").u8(18).u32(2).raw(QByteArray::fromHex("5b7f9079"));
    stream.str("Big").u8(19).raw(QByteArray(8, '\7'));
    stream.str("Strings").u8(1).u8(6).str("one").u8(6).str("two").u8(0);
    stream.str("Items.Data").u8(10).u32(items.b.size()).raw(items.b).u8(0);
    stream.str("TSiteInfo").str("SiteID1").str("ServerName").u8(18).u32(2).raw(QByteArray::fromHex("2d4e8765"))
        .str("Extra").u8(2).u8(1).str("AnonymityLogon").u8(9).u8(0).u8(0);
    stream.u8(0).u8(0);
    Bytes file;
    file.u8(0xFF).u8(10).u8(0).raw("TBSSKINSTROTETREEVIEW").u8(0).u8(0x30).u8(0x10).u32(stream.b.size()).raw(stream.b);
    setBytes(path, file.b);

    const SiteBookLoad load = LoadSiteBook(tree, path);
    ASSERT_EQ(load.status, SiteBookLoad::Loaded) << load.error.toStdString();
    ASSERT_EQ(tree.nodeCount(), 2);
    ASSERT_TRUE(tree.firstNode()->child(0)->record);
    EXPECT_EQ(tree.firstNode()->child(0)->record->ServerName, QStringLiteral("中文"));
}

TEST_F(SiteBookFile, ForeignAndDamagedFilesAreRefusedAndKept)
{
    Bytes items;
    items.u32(1).node(1, 0, 0, "root");
    Bytes goodRecords;
    goodRecords.str("TSiteInfo").str("SiteID0").str("AnonymityLogon").u8(8).u8(0).u8(0);
    QByteArray foreignClass = wrap(items.b, goodRecords.b);
    foreignClass.replace(QByteArray("\x15TbsSkinStroteTreeView"), QByteArray("\x06TForm1"));
    foreignClass.replace(27, 4, [&] { Bytes n; n.u32(foreignClass.size() - 31); return n.b; }());
    struct { const char *name; QByteArray bytes; const char *error; } cases[] = {
        {"empty", QByteArray(), "Stream read error"},
        {"text", "[Option]\r\nConnectRetries=3\r\n", "Invalid stream format"},
        {"wrong resource type", QByteArray::fromHex("ff0b00") + QByteArray(40, 'A'), "Invalid stream format"},
        {"another form", foreignClass, "Class TForm1 not found"},
        {"child of another class", wrap(items.b, Bytes().str("TButton").str("B1").u8(0).u8(0).b), "Class TButton not found"},
        {"no node list", [] {
             Bytes s; s.raw("TPF0").str("TbsSkinStroteTreeView").str("SiteTreeView").u8(0).u8(0);
             Bytes f; f.u8(0xFF).u8(10).u8(0).raw("X").u8(0).u8(0x30).u8(0x10).u32(s.b.size()).raw(s.b);
             return f.b; }(), "Invalid stream format"},
        {"node size beyond its text", [&] {
             Bytes it; it.u32(1).u32(28).u32(1).u32(0).u32(-1).u32(-1).u32(0).u32(0).str("root");
             return wrap(it.b, goodRecords.b); }(), "Invalid stream format"},
    };
    for (const auto &c : cases) {
        QTemporaryDir d;
        const QString p = d.filePath(QStringLiteral("ftp.dat"));
        setBytes(p, c.bytes);
        TSiteTree t;
        const SiteBookLoad load = LoadSiteBook(t, p);
        EXPECT_EQ(load.status, SiteBookLoad::Refused) << c.name;
        EXPECT_EQ(load.error, QString::fromLatin1(c.error)) << c.name;
        ASSERT_FALSE(load.keptAs.isEmpty()) << c.name;
        EXPECT_EQ(fileBytes(load.keptAs), c.bytes) << c.name;
        EXPECT_FALSE(QFile::exists(p)) << c.name;
    }
}

TEST_F(SiteBookFile, EveryTruncationIsRefusedAndTheFileKept)
{
    buildGroupTree(tree);
    ASSERT_TRUE(SaveSiteBook(tree, path));
    const QByteArray good = fileBytes(path);
    for (qsizetype n = 0; n < good.size() - 1; ++n) {
        // The last byte closes the outermost list only; without it the book is whole.
        QTemporaryDir d;
        const QString p = d.filePath(QStringLiteral("ftp.dat"));
        setBytes(p, good.left(n));
        TSiteTree t;
        const SiteBookLoad load = LoadSiteBook(t, p);
        ASSERT_EQ(load.status, SiteBookLoad::Refused) << n;
        EXPECT_EQ(fileBytes(load.keptAs), good.left(n)) << n;
        if (!t.isEmpty()) {
            ASSERT_TRUE(SaveSiteBook(t, p)) << n;
            EXPECT_EQ(fileBytes(load.keptAs), good.left(n)) << n;
        }
    }
}

TEST_F(SiteBookFile, SaveSetsAsideAFileItCannotRead)
{
    setBytes(path, "not a site book");
    buildGroupTree(tree);
    ASSERT_TRUE(SaveSiteBook(tree, path));
    const QStringList kept = damagedCopies(dir);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(fileBytes(dir.filePath(kept[0])), QByteArray("not a site book"));
    TSiteTree back;
    EXPECT_EQ(LoadSiteBook(back, path).status, SiteBookLoad::Loaded);

    // A readable book is simply replaced.
    ASSERT_TRUE(SaveSiteBook(tree, path));
    EXPECT_EQ(damagedCopies(dir).size(), 1);
}

TEST(SiteBookFuzz, RandomBytesNeverCrash)
{
    QRandomGenerator rng(20240611);
    for (int i = 0; i < 400; ++i) {
        QByteArray bytes(rng.bounded(1, 400), '\0');
        for (char &c : bytes)
            c = char(rng.bounded(256));
        if (i % 2)
            bytes = QByteArray::fromHex("ff0a00") + "TBSSKINSTROTETREEVIEW" + QByteArray(1, '\0')
                    + QByteArray::fromHex("3010") + bytes;
        TSiteTree t;
        QString error;
        ReadSiteBookBytes(bytes, t, &error);
    }
}

TEST(SiteBookFuzz, FlippedBytesOfAValidFileNeverCrash)
{
    TSiteTree tree;
    buildGroupTree(tree);
    tree.sort();
    tree.renameRecords();
    const QByteArray good = WriteSiteBookBytes(tree);
    QRandomGenerator rng(7);
    int refused = 0;
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes = good;
        const int flips = 1 + rng.bounded(4);
        for (int f = 0; f < flips; ++f)
            bytes[rng.bounded(int(bytes.size()))] = char(rng.bounded(256));
        TSiteTree t;
        QString error;
        if (!ReadSiteBookBytes(bytes, t, &error)) {
            ++refused;
            EXPECT_FALSE(error.isEmpty());
        }
        for (TSiteNode *n : t.nodes())
            (void)n->text.size();
    }
    EXPECT_GT(refused, 0);
}

TEST(SiteBookFuzz, HugeCountsAndDeepNestingAreRefused)
{
    Bytes deep;
    deep.u32(1);
    for (int i = 0; i < MaxSiteTreeDepth + 5; ++i)
        deep.node(1, 0, 1, "g");
    deep.node(2, 2, 0, "s");
    Bytes huge;
    huge.u32(0x7FFFFFFF).node(1, 0, 0x7FFFFFFF, "g");
    for (const QByteArray &items : {deep.b, huge.b}) {
        TSiteTree t;
        QString error;
        EXPECT_FALSE(ReadSiteBookBytes(wrap(items, QByteArray()), t, &error));
    }
}
