#include "sites/ConfigKeys.h"
#include "sites/ConnectHistory.h"
#include "sites/Seal.h"
#include "sites/SiteConnect.h"
#include "ui/Language.h"

#include "ui/MessageBoxes.h"

#include "../support/PrintQString.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace sites;

namespace {

ConnectRecord rec(const char *server, const char *user, const char *password, const char *port = "21",
                  bool anonymous = false)
{
    return {QString::fromUtf8(server), QString::fromUtf8(user), QString::fromUtf8(password),
            QString::fromLatin1(port), anonymous, {}};
}

class QuickConnect : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    platform::ProfileFile ini{dir.filePath(QStringLiteral("Config.ini"))};

    void SetUp() override { ui::SetUseSimplified(true); }

    void store(int n, const ConnectRecord &r)
    {
        ini.WriteString(QStringLiteral("Connect"), QStringLiteral("ID%1").arg(n),
                        SealString(PackConnectRecord(r), HistoryKey()));
    }
    ConnectRecord stored(const char *key)
    {
        ConnectRecord r;
        QString plain;
        EXPECT_TRUE(UnsealString(ini.ReadString(QStringLiteral("Connect"), QLatin1String(key), QString()),
                                 HistoryKey(), &plain));
        EXPECT_TRUE(UnpackConnectRecord(plain, &r));
        return r;
    }
    static QLineEdit *edit(TFastConnForm &f, const char *name)
    {
        return qobject_cast<QLineEdit *>(f.control(QLatin1String(name)));
    }
    static QComboBox *serverBox(TFastConnForm &f)
    {
        return qobject_cast<QComboBox *>(f.control(QStringLiteral("SiteServer")));
    }
    static QCheckBox *check(TFastConnForm &f, const char *name)
    {
        return qobject_cast<QCheckBox *>(f.control(QLatin1String(name)));
    }
    static QPushButton *button(TFastConnForm &f, const char *name)
    {
        return qobject_cast<QPushButton *>(f.control(QLatin1String(name)));
    }
};

} // namespace

TEST(ConnectRecords, PackAndUnpack)
{
    const ConnectRecord r = rec("ftp.例子.cn", "用户", "p:w@d", "2121", false);
    const QString packed = PackConnectRecord(r);
    EXPECT_EQ(packed, QStringLiteral("ftp.例子.cn『用户『p:w@d『2121『0『"));
    ConnectRecord back;
    ASSERT_TRUE(UnpackConnectRecord(packed, &back));
    EXPECT_EQ(back, r);
    EXPECT_TRUE(UnpackConnectRecord(QStringLiteral("h『『『21『1『"), &back));
    EXPECT_TRUE(back.anonymous);

    ConnectRecord cleared = rec("x", "y", "z", "99", true);
    EXPECT_FALSE(UnpackConnectRecord(QStringLiteral("h『u『p"), &cleared));
    EXPECT_EQ(cleared, ConnectRecord{});
}

TEST_F(QuickConnect, OneEntryFillsEveryField)
{
    store(1, rec("127.0.0.1", "demo", "secret", "2121"));
    TFastConnForm f(&ini);
    EXPECT_EQ(serverBox(f)->currentText(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(edit(f, "SiteUserName")->text(), QStringLiteral("demo"));
    EXPECT_EQ(edit(f, "SitePassword")->text(), QStringLiteral("secret"));
    EXPECT_EQ(edit(f, "SitePort")->text(), QStringLiteral("2121"));
    EXPECT_TRUE(button(f, "ConnectButton")->isEnabled());
}

TEST_F(QuickConnect, DefaultIndexPreselects)
{
    store(1, rec("a", "u", "p"));
    store(2, rec("b", "u2", "p2"));
    store(3, rec("c", "u3", "p3"));
    ini.WriteInteger(QStringLiteral("Load"), QStringLiteral("DefaultConnectIndex"), 1);
    {
        TFastConnForm f(&ini);
        EXPECT_EQ(f.selectedItem(), 1);
        EXPECT_EQ(serverBox(f)->currentText(), QStringLiteral("b"));
        EXPECT_EQ(edit(f, "SiteUserName")->text(), QStringLiteral("u2"));
        // "设置为默认连接" remembers the item shown.
        serverBox(f)->setEditText(QStringLiteral("c"));
        f.SetDefaultClicked();
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("Load"), QStringLiteral("DefaultConnectIndex"), -1), 2);
    }
    ini.WriteInteger(QStringLiteral("Load"), QStringLiteral("DefaultConnectIndex"), 7);
    TFastConnForm beyond(&ini);
    EXPECT_EQ(beyond.selectedItem(), -1);
    EXPECT_TRUE(serverBox(beyond)->currentText().isEmpty());
}

TEST_F(QuickConnect, TypingFindsItemsRegardlessOfCase)
{
    store(1, rec("ftp.Example.com", "u", "p", "2121"));
    store(2, rec("other", "o", "q"));
    TFastConnForm f(&ini);
    EXPECT_EQ(f.selectedItem(), -1);
    serverBox(f)->setEditText(QStringLiteral("FTP.EXAMPLE.COM"));
    EXPECT_EQ(f.selectedItem(), 0);
    EXPECT_EQ(edit(f, "SiteUserName")->text(), QStringLiteral("u"));
    EXPECT_EQ(edit(f, "SitePort")->text(), QStringLiteral("2121"));
    serverBox(f)->setEditText(QStringLiteral("unknown"));
    EXPECT_EQ(f.selectedItem(), -1);
    EXPECT_TRUE(edit(f, "SiteUserName")->text().isEmpty());
    EXPECT_TRUE(edit(f, "SitePassword")->text().isEmpty());
}

TEST_F(QuickConnect, ConnectRulesAndAnonymousBox)
{
    TFastConnForm f(&ini);
    QPushButton *go = button(f, "ConnectButton");
    EXPECT_FALSE(go->isEnabled());
    serverBox(f)->setEditText(QStringLiteral("host"));
    check(f, "SiteAnonymous")->click();
    EXPECT_TRUE(go->isEnabled());
    edit(f, "SiteUserName")->setText(QStringLiteral("u"));
    EXPECT_FALSE(check(f, "SiteAnonymous")->isChecked());
    EXPECT_FALSE(go->isEnabled());
    edit(f, "SitePassword")->setText(QStringLiteral("p『"));
    EXPECT_FALSE(go->isEnabled());
    edit(f, "SitePassword")->setText(QStringLiteral("p"));
    EXPECT_TRUE(go->isEnabled());
    check(f, "SiteAnonymous")->click();
    EXPECT_TRUE(edit(f, "SiteUserName")->text().isEmpty());
    EXPECT_TRUE(edit(f, "SitePassword")->text().isEmpty());
    serverBox(f)->setEditText(QStringLiteral("ho『st"));
    EXPECT_FALSE(go->isEnabled());
}

TEST_F(QuickConnect, ConnectRemembersOnlyWhenAsked)
{
    store(1, rec("keep", "k", "old"));
    {
        TFastConnForm f(&ini);
        check(f, "AutoSavePassword")->setChecked(true);
        serverBox(f)->setEditText(QStringLiteral("new.host"));
        edit(f, "SiteUserName")->setText(QStringLiteral("用户"));
        edit(f, "SitePassword")->setText(QStringLiteral("pw"));
        edit(f, "SitePort")->clear();
        QList<ConnectRequest> requests;
        QObject::connect(&f, &TFastConnForm::connectRequested, [&](const ConnectRequest &r) { requests.append(r); });
        QTimer::singleShot(0, &f, [&] { button(f, "ConnectButton")->click(); });
        EXPECT_TRUE(f.Open());
        ASSERT_EQ(requests.size(), 1);
        EXPECT_EQ(requests[0].server, QStringLiteral("new.host"));
        EXPECT_EQ(requests[0].userName, QStringLiteral("用户"));
        EXPECT_EQ(requests[0].password, QStringLiteral("pw"));
        EXPECT_EQ(requests[0].port, 21); // an empty port box becomes 21
        EXPECT_TRUE(requests[0].remoteFolder.isEmpty());
        EXPECT_FALSE(requests[0].anonymous);
    }
    EXPECT_EQ(stored("ID2"), rec("new.host", "用户", "pw", "21"));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("Load"), QStringLiteral("auto"), false));

    {
        // Same server, box unchecked: the history stays as it is.
        TFastConnForm f(&ini);
        check(f, "AutoSavePassword")->setChecked(false);
        serverBox(f)->setEditText(QStringLiteral("KEEP"));
        edit(f, "SitePassword")->setText(QStringLiteral("changed"));
        f.ConnectClicked();
        EXPECT_TRUE(f.confirmed());
    }
    EXPECT_EQ(stored("ID1"), rec("keep", "k", "old"));
    {
        // Checked: the entry of that server is overwritten under its key.
        TFastConnForm f(&ini);
        check(f, "AutoSavePassword")->setChecked(true);
        serverBox(f)->setEditText(QStringLiteral("keep"));
        edit(f, "SitePassword")->setText(QStringLiteral("changed"));
        f.ConnectClicked();
    }
    EXPECT_EQ(stored("ID1"), rec("keep", "k", "changed"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("Connect")).size(), 2);
}

TEST_F(QuickConnect, PortAboveTheLastOneIsRefused)
{
    QList<QString> boxes;
    ui::SetMessageBoxHook([&](ui::MessageKind, const QString &text) {
        boxes.append(text);
        return true;
    });
    for (const bool simplified : {true, false}) {
        ui::SetUseSimplified(simplified);
        boxes.clear();
        TFastConnForm f(&ini);
        serverBox(f)->setEditText(QStringLiteral("host"));
        check(f, "SiteAnonymous")->setChecked(true);
        edit(f, "SitePort")->setText(QStringLiteral("70000"));
        f.ConnectClicked();
        EXPECT_FALSE(f.confirmed());
        EXPECT_EQ(boxes, QList<QString> {simplified ? QStringLiteral("   端口号不能大于 65535，请改正后再连接。")
                                                    : QStringLiteral("   端口號不能大於 65535，請改正後再連接。")});
        EXPECT_EQ(edit(f, "SitePort")->text(), QStringLiteral("70000")) << "kept for the correction";

        edit(f, "SitePort")->setText(QStringLiteral("65535"));
        f.ConnectClicked();
        EXPECT_TRUE(f.confirmed());
        EXPECT_EQ(f.connectRequest().port, 65535);
        EXPECT_EQ(boxes.size(), 1);
    }
    ui::SetMessageBoxHook({});
    ui::SetUseSimplified(true);
}

TEST_F(QuickConnect, NewEntryNeverOverwritesAHiddenOne)
{
    store(1, rec("", "ghost", "x"));                                        // no server: hidden
    ini.WriteString(QStringLiteral("Connect"), QStringLiteral("ID2"),
                    SealString(PackConnectRecord(rec("far", "u", "p")), QStringLiteral("ANOTHER-MACHINE1")));
    store(3, rec("visible", "v", "w"));
    TFastConnForm f(&ini);
    EXPECT_EQ(f.history().count(), 1);
    check(f, "AutoSavePassword")->setChecked(true);
    serverBox(f)->setEditText(QStringLiteral("added"));
    check(f, "SiteAnonymous")->click();
    f.ConnectClicked();
    const QStringList keys = ini.ReadSection(QStringLiteral("Connect"));
    EXPECT_EQ(keys, QStringList({"ID1", "ID2", "ID3", "ID4"}));
    EXPECT_EQ(stored("ID3"), rec("visible", "v", "w"));
    EXPECT_EQ(stored("ID4"), rec("added", "", "", "21", true));
}

TEST_F(QuickConnect, ClearRewritesTheSection)
{
    store(1, rec("one", "u1", "p1"));
    store(2, rec("two", "u2", "p2"));
    store(3, rec("three", "u3", "p3"));
    TFastConnForm f(&ini);
    serverBox(f)->setEditText(QStringLiteral("two"));
    ASSERT_EQ(f.selectedItem(), 1);
    f.ClearClicked();
    EXPECT_EQ(ini.ReadSection(QStringLiteral("Connect")), QStringList({"ID1", "ID2"}));
    EXPECT_EQ(stored("ID1"), rec("one", "u1", "p1"));
    EXPECT_EQ(stored("ID2"), rec("three", "u3", "p3"));
    EXPECT_EQ(f.selectedItem(), 1);
    EXPECT_EQ(serverBox(f)->currentText(), QStringLiteral("three"));
    EXPECT_EQ(edit(f, "SiteUserName")->text(), QStringLiteral("u3"));

    // With nothing selected only the fields are cleared.
    serverBox(f)->setEditText(QStringLiteral("typed"));
    edit(f, "SitePort")->setText(QStringLiteral("99"));
    f.ClearClicked();
    EXPECT_TRUE(serverBox(f)->currentText().isEmpty());
    EXPECT_EQ(edit(f, "SitePort")->text(), QStringLiteral("21"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("Connect")).size(), 2);
}

TEST_F(QuickConnect, HistorySurvivesARestart)
{
    {
        TFastConnForm f(&ini);
        check(f, "AutoSavePassword")->setChecked(true);
        serverBox(f)->setEditText(QStringLiteral("127.0.0.1"));
        edit(f, "SiteUserName")->setText(QStringLiteral("demo"));
        edit(f, "SitePassword")->setText(QStringLiteral("密码"));
        edit(f, "SitePort")->setText(QStringLiteral("2121"));
        f.ConnectClicked();
    }
    // Another file object, as after a restart of the program.
    platform::ProfileFile reopened(ini.fileName());
    TFastConnForm f(&reopened);
    EXPECT_TRUE(check(f, "AutoSavePassword")->isChecked());
    EXPECT_EQ(serverBox(f)->currentText(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(edit(f, "SitePassword")->text(), QStringLiteral("密码"));
    EXPECT_EQ(f.connectRequest().port, 2121);
    // The stored value is sealed, not plain.
    EXPECT_FALSE(reopened.ReadString(QStringLiteral("Connect"), QStringLiteral("ID1"), QString()).contains("demo"));
}

TEST_F(QuickConnect, TextsInBothLanguages)
{
    TFastConnForm f(&ini);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("快速连接"));
    EXPECT_EQ(button(f, "DeleteSite")->text(), QStringLiteral("清除当前记录"));
    ui::SetUseSimplified(false);
    f.SetTexts();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("快速連接"));
    EXPECT_EQ(button(f, "ConnectButton")->text(), QStringLiteral("連  接"));
    EXPECT_EQ(check(f, "AutoSavePassword")->text(), QStringLiteral("保存密码"));
    EXPECT_EQ(button(f, "SetDefaultConnect")->text(), QStringLiteral("设置为默认连接"));
    ui::SetUseSimplified(true);
}
