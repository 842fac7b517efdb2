#include "sites/ConnectHistory.h"
#include "sites/PastURL.h"
#include "sites/Seal.h"
#include "sites/SiteBook.h"
#include "sites/SiteConnect.h"
#include "sites/SiteManage.h"
#include "sites/SiteOptionsFile.h"
#include "sites/SiteURL.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include "../support/PrintQString.h"
#include "../support/LocalFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace sites;

namespace {

using testsupport::readFile;
using testsupport::writeFile;

SiteOptions options(TlsMode tls, NameCharset charset = NameCharset::Auto, bool passiveRule = true)
{
    SiteOptions o;
    o.tls = tls;
    o.charset = charset;
    o.passiveAddressRule = passiveRule;
    return o;
}

// ------------------------------------------------------------ addresses

TEST(SecureAddresses, PastedSchemesAndIPv6)
{
    struct Case
    {
        const char *text;
        PasteResult result;
        const char *host;
        int port;
        TlsMode tls;
        const char *path;
    } cases[] = {
        {"ftp://h/x", PasteResult::Ok, "h", 21, TlsMode::Off, "/x"},
        {"ftps://h/x", PasteResult::Ok, "h", 990, TlsMode::Implicit, "/x"},
        {"FTPS://u:p@h:2990", PasteResult::Ok, "h", 2990, TlsMode::Implicit, ""},
        {"ftpes://h", PasteResult::Ok, "h", 21, TlsMode::Explicit, ""},
        {"FtpEs://u:p@h:2121/pub/", PasteResult::Ok, "h", 2121, TlsMode::Explicit, "/pub/"},
        {"ftp://[::1]:2121/pub", PasteResult::Ok, "::1", 2121, TlsMode::Off, "/pub"},
        {"ftps://[2001:db8::7]/", PasteResult::Ok, "2001:db8::7", 990, TlsMode::Implicit, "/"},
        {"ftpes://u:p:q@[fe80::1]", PasteResult::Ok, "fe80::1", 21, TlsMode::Explicit, ""},
        {"ftp://[::1", PasteResult::Rejected, "", 0, TlsMode::Off, ""},
        {"ftp://[::1]x:21", PasteResult::Rejected, "", 0, TlsMode::Off, ""},
        {"ftp://[]:21", PasteResult::Rejected, "", 0, TlsMode::Off, ""},
        {"ftp://[::1]:99999", PasteResult::Failed, "", 0, TlsMode::Off, ""},
        {"sftp://h", PasteResult::Rejected, "", 0, TlsMode::Off, ""},
        {"ftpx://h", PasteResult::Rejected, "", 0, TlsMode::Off, ""},
    };
    for (const Case &c : cases) {
        PastedURL url;
        const PasteResult r = ParsePastedURL(QString::fromUtf8(c.text), &url);
        EXPECT_EQ(int(r), int(c.result)) << c.text;
        if (r != PasteResult::Ok)
            continue;
        EXPECT_EQ(url.host, QString::fromUtf8(c.host)) << c.text;
        EXPECT_EQ(url.port, c.port) << c.text;
        EXPECT_EQ(url.tls, c.tls) << c.text;
        EXPECT_EQ(url.path, QString::fromUtf8(c.path)) << c.text;
        const ConnectRequest request = PastedConnectRequest(url);
        EXPECT_EQ(request.options.tls, c.tls) << c.text;
        EXPECT_EQ(request.port, c.port) << c.text;
    }
}

TEST(SecureAddresses, CopiedAddressKeepsTheScheme)
{
    struct Case
    {
        TlsMode tls;
        const char *server;
        const char *expected;
    } cases[] = {
        {TlsMode::Off, "h", "ftp://h/pub/"},
        {TlsMode::Explicit, "h", "ftpes://h/pub/"},
        {TlsMode::Implicit, "h", "ftps://h/pub/"},
        {TlsMode::Implicit, "::1", "ftps://[::1]/pub/"},
    };
    for (const Case &c : cases) {
        SiteURLSource s{true, true, QString::fromUtf8(c.server), {}, {}, QStringLiteral("/pub")};
        s.tls = c.tls;
        const QString url = BuildSiteURL(s, {});
        EXPECT_EQ(url, QString::fromUtf8(c.expected));
        // What is copied pastes back as the same site.
        PastedURL back;
        ASSERT_EQ(ParsePastedURL(url, &back), PasteResult::Ok) << c.expected;
        EXPECT_EQ(back.host, QString::fromUtf8(c.server));
        EXPECT_EQ(back.tls, c.tls);
    }
}

TEST(SecureAddresses, EngineAddressesMapToFtpWithAMode)
{
    struct Case
    {
        const char *in;
        const char *out;
        TlsMode tls;
        int port;
    } cases[] = {
        {"ftps://u:p@host/dir/", "ftp://u:p@host/dir/", TlsMode::Implicit, 990},
        {"  FTPES://host:2121/  ", "ftp://host:2121/", TlsMode::Explicit, 21},
        {"ftp://host/", "ftp://host/", TlsMode::Off, 21},
        {"http://host/", "http://host/", TlsMode::Off, 21},
        {"ftps:/host", "ftps:/host", TlsMode::Off, 21},
        {"", "", TlsMode::Off, 21},
    };
    for (const Case &c : cases) {
        const FtpAddress a = splitSecureScheme(c.in);
        EXPECT_EQ(a.address, QByteArray(c.out)) << c.in;
        EXPECT_EQ(a.tls, c.tls) << c.in;
        EXPECT_EQ(a.defaultPort, c.port) << c.in;
    }
}

TEST(SecureAddresses, OptionNames)
{
    for (TlsMode m : {TlsMode::Off, TlsMode::Explicit, TlsMode::Implicit}) {
        TlsMode back = TlsMode::Off;
        ASSERT_TRUE(tlsModeFromName(tlsModeName(m).toUpper(), &back));
        EXPECT_EQ(back, m);
    }
    for (NameCharset c : {NameCharset::Auto, NameCharset::Utf8, NameCharset::Gbk}) {
        NameCharset back = NameCharset::Auto;
        ASSERT_TRUE(charsetFromName(QLatin1Char(' ') + charsetName(c), &back));
        EXPECT_EQ(back, c);
    }
    TlsMode untouched = TlsMode::Implicit;
    EXPECT_FALSE(tlsModeFromName(QStringLiteral("ssl"), &untouched));
    EXPECT_EQ(untouched, TlsMode::Implicit);
}

// ------------------------------------------------------------ quick-connect history

TEST(HistoryOptions, EntriesOfPlainSitesKeepTheirOldForm)
{
    ConnectRecord r{QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("21"), false, {}};
    EXPECT_EQ(PackConnectRecord(r), QStringLiteral("h『u『p『21『0『"));

    r.options = options(TlsMode::Implicit, NameCharset::Gbk, false);
    r.port = QStringLiteral("990");
    const QString packed = PackConnectRecord(r);
    EXPECT_EQ(packed, QStringLiteral("h『u『p『990『0『implicit『gbk『0『"));
    ConnectRecord back;
    ASSERT_TRUE(UnpackConnectRecord(packed, &back));
    EXPECT_EQ(back, r);

    // An entry written before options existed, and one with values not known.
    ASSERT_TRUE(UnpackConnectRecord(QStringLiteral("h『u『p『21『1『"), &back));
    EXPECT_TRUE(back.options.isDefault());
    ASSERT_TRUE(UnpackConnectRecord(QStringLiteral("h『u『p『21『1『quantum『latin1『x『"), &back));
    EXPECT_EQ(back.options, SiteOptions{});
    EXPECT_TRUE(back.anonymous);
}

class QuickConnectOptions : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    platform::ProfileFile ini{dir.filePath(QStringLiteral("Config.ini"))};

    void SetUp() override { ui::SetUseSimplified(true); }
    template <typename T>
    static T *child(TFastConnForm &f, const char *name)
    {
        return qobject_cast<T *>(f.control(QLatin1String(name)));
    }
};

TEST_F(QuickConnectOptions, HistoryFillsAndRemembersTheOptions)
{
    ConnectRecord r{QStringLiteral("secure.example"), QStringLiteral("u"), QStringLiteral("p"),
                    QStringLiteral("990"), false, {}};
    r.options = options(TlsMode::Implicit, NameCharset::Utf8, false);
    ini.WriteString(QStringLiteral("Connect"), QStringLiteral("ID1"), SealString(PackConnectRecord(r), HistoryKey()));

    TFastConnForm f(&ini);
    EXPECT_EQ(child<QComboBox>(f, "SiteTlsMode")->currentIndex(), int(TlsMode::Implicit));
    EXPECT_EQ(child<QComboBox>(f, "SiteCharset")->currentIndex(), int(NameCharset::Utf8));
    EXPECT_FALSE(child<QCheckBox>(f, "SitePassiveRule")->isChecked());
    EXPECT_EQ(f.connectRequest().options, r.options);
    EXPECT_EQ(f.connectRequest().port, 990);

    // Switching to explicit TLS brings the port back to 21 (it was 990).
    child<QComboBox>(f, "SiteTlsMode")->setCurrentIndex(int(TlsMode::Explicit));
    EXPECT_EQ(child<QLineEdit>(f, "SitePort")->text(), QStringLiteral("21"));
    child<QCheckBox>(f, "AutoSavePassword")->setChecked(true);
    f.ConnectClicked();
    ASSERT_TRUE(f.confirmed());

    ConnectHistory history(&ini, HistoryKey());
    history.Load();
    ASSERT_EQ(history.count(), 1);
    EXPECT_EQ(history.record(0).options, options(TlsMode::Explicit, NameCharset::Utf8, false));
    EXPECT_EQ(history.record(0).port, QStringLiteral("21"));
}

TEST_F(QuickConnectOptions, PortFollowsTheModeOnlyFromItsDefault)
{
    TFastConnForm f(&ini);
    auto *mode = child<QComboBox>(f, "SiteTlsMode");
    auto *port = child<QLineEdit>(f, "SitePort");
    EXPECT_EQ(port->text(), QStringLiteral("21"));
    mode->setCurrentIndex(int(TlsMode::Implicit));
    EXPECT_EQ(port->text(), QStringLiteral("990"));
    mode->setCurrentIndex(int(TlsMode::Off));
    EXPECT_EQ(port->text(), QStringLiteral("21"));
    port->setText(QStringLiteral("2121"));
    mode->setCurrentIndex(int(TlsMode::Implicit));
    EXPECT_EQ(port->text(), QStringLiteral("2121"));
}

TEST_F(QuickConnectOptions, TextsInBothLanguages)
{
    TFastConnForm f(&ini);
    auto *mode = child<QComboBox>(f, "SiteTlsMode");
    EXPECT_EQ(mode->itemText(0), QStringLiteral("不加密"));
    EXPECT_EQ(mode->itemText(2), QStringLiteral("隐式 TLS"));
    EXPECT_EQ(child<QComboBox>(f, "SiteCharset")->itemText(0), QStringLiteral("自动"));
    ui::SetUseSimplified(false);
    f.SetTexts();
    EXPECT_EQ(mode->itemText(1), QStringLiteral("顯式 TLS"));
    EXPECT_EQ(mode->itemText(2), QStringLiteral("隱式 TLS"));
    EXPECT_EQ(child<QComboBox>(f, "SiteCharset")->itemText(0), QStringLiteral("自動"));
    EXPECT_EQ(child<QCheckBox>(f, "SitePassiveRule")->text(), QStringLiteral("被動模式使用服務器地址"));
    ui::SetUseSimplified(true);
}

// ------------------------------------------------------------ site options file

class SiteOptionsFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString book = dir.filePath(QStringLiteral("ftp.dat"));
    QString optionsFile = siteOptionsPathFor(book);

    // Root / G{ a, b } / c
    void build(TSiteTree &tree)
    {
        TSiteNode *root = tree.insertNode(nullptr, -1, QStringLiteral("站点管理"), siGroupExpanded,
                                          std::make_unique<TSiteInfo>());
        TSiteNode *g = tree.insertNode(root, -1, QStringLiteral("G"), siGroupExpanded, std::make_unique<TSiteInfo>());
        for (const char *name : {"a", "b"}) {
            auto r = std::make_unique<TSiteInfo>();
            r->ServerName = QStringLiteral("host-%1").arg(QLatin1String(name));
            r->Port = QStringLiteral("21");
            tree.insertNode(g, -1, QLatin1String(name), siSite, std::move(r));
        }
        auto r = std::make_unique<TSiteInfo>();
        r->ServerName = QStringLiteral("host-c");
        tree.insertNode(root, -1, QStringLiteral("c"), siSite, std::move(r));
    }

    static TSiteNode *find(const TSiteTree &tree, const QString &text)
    {
        for (TSiteNode *n : tree.nodes())
            if (n->text == text)
                return n;
        return nullptr;
    }

    // Saves book and options as the site manager does and reads both back.
    void saveAndReload(TSiteTree &tree, TSiteTree &again)
    {
        ASSERT_TRUE(SaveSiteBook(tree, book));
        ASSERT_TRUE(SaveSiteOptions(tree, optionsFile));
        ASSERT_EQ(LoadSiteBook(again, book).status, SiteBookLoad::Loaded);
        const SiteOptionsLoad load = LoadSiteOptions(again, optionsFile);
        ASSERT_EQ(load.status, SiteOptionsLoad::Loaded);
        EXPECT_TRUE(load.message.isEmpty()) << load.message.toStdString();
    }
};

TEST_F(SiteOptionsFileTest, OptionsLeaveTheSiteBookBytesAlone)
{
    TSiteTree plain;
    build(plain);
    ASSERT_TRUE(SaveSiteBook(plain, book));
    const QByteArray plainBytes = readFile(book);

    TSiteTree tree;
    build(tree);
    find(tree, QStringLiteral("a"))->options = options(TlsMode::Explicit, NameCharset::Utf8);
    find(tree, QStringLiteral("c"))->options = options(TlsMode::Implicit, NameCharset::Gbk, false);
    TSiteTree again;
    saveAndReload(tree, again);
    EXPECT_EQ(readFile(book), plainBytes);
    EXPECT_EQ(find(again, QStringLiteral("a"))->options, options(TlsMode::Explicit, NameCharset::Utf8));
    EXPECT_TRUE(find(again, QStringLiteral("b"))->options.isDefault());
    EXPECT_EQ(find(again, QStringLiteral("c"))->options, options(TlsMode::Implicit, NameCharset::Gbk, false));

    // Only the sites with options of their own are written.
    const QJsonDocument doc = QJsonDocument::fromJson(readFile(optionsFile));
    EXPECT_EQ(doc.object().value(QStringLiteral("sites")).toArray().size(), 2);
    QStringList files = QDir(dir.path()).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList{QStringLiteral("SiteOptions.json"), QStringLiteral("ftp.dat")}));
}

TEST_F(SiteOptionsFileTest, RenamedAndMovedSitesKeepTheirOptions)
{
    TSiteTree tree;
    build(tree);
    find(tree, QStringLiteral("a"))->options = options(TlsMode::Explicit);
    find(tree, QStringLiteral("c"))->options = options(TlsMode::Implicit);
    TSiteTree first;
    saveAndReload(tree, first);

    tree.setNodeText(find(tree, QStringLiteral("a")), QStringLiteral("renamed"));
    tree.moveNode(find(tree, QStringLiteral("c")), find(tree, QStringLiteral("G")), -1);
    tree.removeNode(find(tree, QStringLiteral("b")));
    TSiteTree again;
    saveAndReload(tree, again);
    EXPECT_EQ(find(again, QStringLiteral("renamed"))->options, options(TlsMode::Explicit));
    TSiteNode *c = find(again, QStringLiteral("c"));
    EXPECT_EQ(c->parent()->text, QStringLiteral("G"));
    EXPECT_EQ(c->options, options(TlsMode::Implicit));

    // A new site in the place of a renamed one starts with the defaults.
    auto r = std::make_unique<TSiteInfo>();
    tree.insertNode(find(tree, QStringLiteral("G")), -1, QStringLiteral("a"), siSite, std::move(r));
    TSiteTree third;
    saveAndReload(tree, third);
    EXPECT_TRUE(find(third, QStringLiteral("a"))->options.isDefault());
}

TEST_F(SiteOptionsFileTest, SitesWithTheSamePathAndTextsTheBookCannotHold)
{
    TSiteTree tree;
    build(tree);
    TSiteNode *g = find(tree, QStringLiteral("G"));
    // Two sites of one name, a name GBK cannot write, and one beyond 255 bytes.
    TSiteNode *twin1 = tree.insertNode(g, -1, QStringLiteral("twin"), siSite, std::make_unique<TSiteInfo>());
    TSiteNode *twin2 = tree.insertNode(g, -1, QStringLiteral("twin"), siSite, std::make_unique<TSiteInfo>());
    TSiteNode *emoji = tree.insertNode(g, -1, QStringLiteral("站点😀"), siSite, std::make_unique<TSiteInfo>());
    TSiteNode *longName = tree.insertNode(g, -1, QString(200, QChar(u'长')), siSite, std::make_unique<TSiteInfo>());
    twin1->options = options(TlsMode::Explicit);
    twin2->options = options(TlsMode::Implicit);
    emoji->options = options(TlsMode::Off, NameCharset::Utf8);
    longName->options = options(TlsMode::Off, NameCharset::Gbk);
    TSiteTree again;
    saveAndReload(tree, again);
    QList<SiteOptions> twins;
    for (TSiteNode *n : again.nodes()) {
        if (n->text == QLatin1String("twin"))
            twins.append(n->options);
        if (n->isSite() && n->text.startsWith(QStringLiteral("站点"))) {
            EXPECT_EQ(n->options.charset, NameCharset::Utf8);
        }
        if (n->text.startsWith(QChar(u'长'))) {
            EXPECT_LT(n->text.size(), 200);
            EXPECT_EQ(n->options.charset, NameCharset::Gbk);
        }
    }
    EXPECT_EQ(twins, (QList<SiteOptions>{options(TlsMode::Explicit), options(TlsMode::Implicit)}));
}

struct DamagedCase
{
    const char *name;
    const char *bytes;
    SiteOptionsLoad::Status status;
    int skipped;
    TlsMode tlsOfA; // what site "a" ends with
};

void PrintTo(const DamagedCase &c, std::ostream *os) { *os << c.name; }

class DamagedOptions : public SiteOptionsFileTest, public ::testing::WithParamInterface<DamagedCase>
{
};

TEST_P(DamagedOptions, GiveDefaultsAndAClearMessage)
{
    const DamagedCase c = GetParam();
    TSiteTree tree;
    build(tree);
    find(tree, QStringLiteral("c"))->options = options(TlsMode::Implicit); // to be reset by the load
    ASSERT_TRUE(writeFile(optionsFile, QByteArray(c.bytes)));
    const SiteOptionsLoad load = LoadSiteOptions(tree, optionsFile);
    EXPECT_EQ(load.status, c.status);
    EXPECT_EQ(load.skippedValues, c.skipped);
    EXPECT_EQ(load.message.isEmpty(), c.status == SiteOptionsLoad::Loaded && c.skipped == 0);
    EXPECT_EQ(find(tree, QStringLiteral("a"))->options.tls, c.tlsOfA);
    EXPECT_TRUE(find(tree, QStringLiteral("c"))->options.isDefault());
    if (c.status == SiteOptionsLoad::Refused) {
        // Set aside, not lost, and not in the way of the next save.
        EXPECT_FALSE(QFile::exists(optionsFile));
        ASSERT_FALSE(load.keptAs.isEmpty());
        EXPECT_EQ(readFile(load.keptAs), QByteArray(c.bytes));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedOptions,
    ::testing::Values(
        DamagedCase{"Empty", "", SiteOptionsLoad::Refused, 0, TlsMode::Off},
        DamagedCase{"Truncated", "{\"format\": 1, \"sites\": [{\"path\": [\"站", SiteOptionsLoad::Refused, 0,
                    TlsMode::Off},
        DamagedCase{"NotAnObject", "[1, 2]", SiteOptionsLoad::Refused, 0, TlsMode::Off},
        DamagedCase{"NoSites", "{\"format\": 1}", SiteOptionsLoad::Refused, 0, TlsMode::Off},
        DamagedCase{"UnknownFormat", "{\"format\": 7, \"sites\": []}", SiteOptionsLoad::Refused, 0, TlsMode::Off},
        DamagedCase{"BinaryJunk", "\xff\xfe\x00\x01junk", SiteOptionsLoad::Refused, 0, TlsMode::Off},
        DamagedCase{"BadEntriesSkipped",
                    "{\"format\": 1, \"sites\": [1, {\"path\": \"站点管理\"}, {\"path\": [1, 2]}, {\"path\": []},"
                    " {\"path\": [\"站点管理\", \"G\", \"a\"], \"tls\": \"explicit\"}]}",
                    SiteOptionsLoad::Loaded, 4, TlsMode::Explicit},
        DamagedCase{"UnknownValues",
                    "{\"format\": 1, \"sites\": [{\"path\": [\"站点管理\", \"G\", \"a\"], \"tls\": \"quantum\","
                    " \"charset\": 5, \"passiveAddressRule\": \"yes\"}]}",
                    SiteOptionsLoad::Loaded, 3, TlsMode::Off},
        DamagedCase{"GoneSitesIgnored",
                    "{\"format\": 1, \"sites\": [{\"path\": [\"站点管理\", \"nowhere\"], \"tls\": \"implicit\"}]}",
                    SiteOptionsLoad::Loaded, 0, TlsMode::Off}),
    [](const ::testing::TestParamInfo<DamagedCase> &row) { return std::string(row.param.name); });

// ------------------------------------------------------------ site manager

class SiteManagerOptions : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ftp.dat"));
    QStringList boxes;

    void SetUp() override
    {
        ui::SetUseSimplified(true);
        ui::SetMessageBoxHook([this](ui::MessageKind, const QString &text) {
            boxes.append(text);
            return true;
        });
    }
    void TearDown() override { ui::SetMessageBoxHook({}); }

    template <typename T>
    static T *child(TSiteForm &f, const char *name)
    {
        return qobject_cast<T *>(f.control(QLatin1String(name)));
    }
};

TEST_F(SiteManagerOptions, FieldsFollowTheSelectedSiteAndSurviveClosing)
{
    {
        TSiteForm f(path);
        TSiteNode *root = f.tree()->firstNode();
        TSiteNode *plain = f.AddSiteEntry(root, false, QStringLiteral("plain"));
        TSiteNode *secure = f.AddSiteEntry(root, false, QStringLiteral("secure"));
        f.treeView()->closePersistentEditor(f.treeView()->currentIndex());
        f.selectNode(secure);
        auto *mode = child<QComboBox>(f, "SiteTlsMode");
        auto *port = child<QLineEdit>(f, "SitePort");
        EXPECT_EQ(port->text(), QStringLiteral("21"));
        mode->setCurrentIndex(int(TlsMode::Implicit));
        EXPECT_EQ(port->text(), QStringLiteral("990"));
        EXPECT_EQ(secure->record->Port, QStringLiteral("990"));
        child<QComboBox>(f, "SiteCharset")->setCurrentIndex(int(NameCharset::Gbk));
        child<QCheckBox>(f, "SitePassiveRule")->setChecked(false);
        EXPECT_EQ(secure->options, options(TlsMode::Implicit, NameCharset::Gbk, false));
        EXPECT_EQ(f.connectRequest().options, secure->options);

        // Another site shows its own options; the first keeps its own.
        f.selectNode(plain);
        EXPECT_EQ(mode->currentIndex(), int(TlsMode::Off));
        EXPECT_TRUE(child<QCheckBox>(f, "SitePassiveRule")->isChecked());
        EXPECT_TRUE(f.connectRequest().options.isDefault());
        EXPECT_TRUE(plain->options.isDefault());
        f.selectNode(secure);
        EXPECT_EQ(mode->currentIndex(), int(TlsMode::Implicit));
        f.reject(); // closing saves
    }
    EXPECT_TRUE(QFile::exists(siteOptionsPathFor(path)));
    TSiteForm again(path);
    TSiteNode *secure = nullptr;
    for (TSiteNode *n : again.tree()->nodes())
        if (n->text == QLatin1String("secure"))
            secure = n;
    ASSERT_TRUE(secure);
    again.selectNode(secure);
    EXPECT_EQ(child<QComboBox>(again, "SiteTlsMode")->currentIndex(), int(TlsMode::Implicit));
    EXPECT_EQ(child<QComboBox>(again, "SiteCharset")->currentIndex(), int(NameCharset::Gbk));
    EXPECT_FALSE(child<QCheckBox>(again, "SitePassiveRule")->isChecked());
    EXPECT_EQ(again.connectRequest().port, 990);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(QLatin1Char('\n')).toStdString();
}

TEST_F(SiteManagerOptions, DamagedOptionsFileIsReportedOnce)
{
    ASSERT_TRUE(writeFile(siteOptionsPathFor(path), "{ not json"));
    TSiteForm f(path);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("默认设置")));
    EXPECT_EQ(f.optionsLoadResult().status, SiteOptionsLoad::Refused);
    EXPECT_TRUE(boxes[0].contains(f.optionsLoadResult().keptAs));
}

TEST_F(SiteManagerOptions, TextsInBothLanguages)
{
    TSiteForm f(path);
    EXPECT_EQ(child<QWidget>(f, "SiteTlsModeLabel")->property("text").toString(), QStringLiteral("加密："));
    EXPECT_EQ(child<QComboBox>(f, "SiteTlsMode")->itemText(1), QStringLiteral("显式 TLS"));
    EXPECT_EQ(child<QCheckBox>(f, "SitePassiveRule")->text(), QStringLiteral("被动模式使用服务器地址"));
    EXPECT_FALSE(child<QComboBox>(f, "SiteTlsMode")->toolTip().isEmpty());
    ui::SetUseSimplified(false);
    f.SetTexts();
    EXPECT_EQ(child<QComboBox>(f, "SiteTlsMode")->itemText(2), QStringLiteral("隱式 TLS"));
    EXPECT_EQ(child<QComboBox>(f, "SiteCharset")->itemText(0), QStringLiteral("自動"));
    EXPECT_EQ(child<QCheckBox>(f, "SitePassiveRule")->text(), QStringLiteral("被動模式使用服務器地址"));
    EXPECT_TRUE(child<QComboBox>(f, "SiteCharset")->toolTip().contains(QStringLiteral("編碼")));
    ui::SetUseSimplified(true);
}

} // namespace
