#include "sites/ConfigKeys.h"
#include "sites/ConnectOptions.h"
#include "sites/ConnectRequest.h"
#include "sites/SetWindow.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include "../support/PrintQString.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sites;

namespace {

struct RecordingEngine : OptionsTarget
{
    QList<EngineSettings> received;
    void applyEngineSettings(const EngineSettings &s) override { received.append(s); }
};

void setBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class Options : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Config.ini")); }
    platform::ProfileFile ini{dir.filePath(QStringLiteral("Config.ini"))};
};

ConnectOptions everythingChanged()
{
    ConnectOptions o;
    o.retries = 7;
    o.retryInterval = 55;
    o.noopInterval = 99;
    o.timeOut = 1;
    o.passive = false;
    o.cache = false;
    o.anonymous = QStringLiteral("guest");
    o.anonymousPassword = QStringLiteral("访客@");
    o.proxyServer = QStringLiteral("proxy.example");
    o.proxyUserName = QStringLiteral("代理用户");
    o.proxyPassword = QStringLiteral("p=w;d");
    o.proxyPortText = QStringLiteral("8021");
    o.proxyType = 5;
    return o;
}

} // namespace

TEST_F(Options, NoFileGivesTheDefaults)
{
    const ConnectOptions o = LoadOptions(ini);
    EXPECT_EQ(o, ConnectOptions{});
    EXPECT_EQ(o.retries, 3);
    EXPECT_EQ(o.retryInterval, 15);
    EXPECT_EQ(o.noopInterval, 30);
    EXPECT_EQ(o.timeOut, 20);
    EXPECT_EQ(o.anonymous, "anonymous");
    EXPECT_EQ(o.anonymousPassword, "Visit@");
    EXPECT_EQ(o.proxyPortText, "21");
    const EngineSettings s = engineSettings(o);
    EXPECT_EQ(s.retries, 3);
    EXPECT_TRUE(s.passive);
    EXPECT_TRUE(s.cache);
    EXPECT_FALSE(s.applyProxy);
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(Options, EveryKeyRoundTrips)
{
    const ConnectOptions o = everythingChanged();
    ASSERT_TRUE(SaveOptions(ini, o));
    EXPECT_EQ(LoadOptions(ini), o);
    EXPECT_EQ(ini.ReadSection(config::SectionOption).size(), 13);
    EXPECT_EQ(ini.ReadInteger(config::SectionOption, config::ConnectProxyPort, 0), 8021);
    EXPECT_EQ(ini.ReadString(config::SectionOption, config::ConnectPassive, ""), "0");
    EXPECT_EQ(ini.ReadString(config::SectionOption, config::ConnectProxyType, ""), "5");
}

TEST_F(Options, StoredValuesAreBroughtIntoRange)
{
    setBytes(path(), "[option]\nconnectretries=50\nConnectRetryInterval=1\nConnectNoopInterval=abc\n"
                     "ConnectTimeOut=$10\nConnectProxyType=9\nConnectProxyPort=x\n");
    const ConnectOptions o = LoadOptions(ini);
    EXPECT_EQ(o.retries, 10);
    EXPECT_EQ(o.retryInterval, 5);
    EXPECT_EQ(o.noopInterval, 30);
    EXPECT_EQ(o.timeOut, 16);
    EXPECT_EQ(o.proxyType, 0);
    EXPECT_EQ(o.proxyPortText, "21");
    setBytes(path(), "[Option]\nConnectProxyType=-1\nconnectretries=5\n");
    EXPECT_EQ(LoadOptions(ini).proxyType, 0);
    EXPECT_EQ(LoadOptions(ini).retries, 5);
}

TEST_F(Options, BadProxyPortIsSavedAs21AndAppliedAs0)
{
    ConnectOptions o;
    o.proxyType = 2;
    o.proxyServer = QStringLiteral("gate");
    o.proxyPortText = QStringLiteral("abc");
    ASSERT_TRUE(SaveOptions(ini, o));
    EXPECT_EQ(ini.ReadString(config::SectionOption, config::ConnectProxyPort, ""), "21");
    const EngineSettings s = engineSettings(o);
    EXPECT_TRUE(s.applyProxy);
    EXPECT_EQ(s.proxyPort, 0);
    EXPECT_EQ(s.proxyType, 2);
    EXPECT_EQ(s.proxyServer, "gate");
}

TEST_F(Options, ProxyValuesReachTheEngineOnlyWithAProxyType)
{
    ConnectOptions o = everythingChanged();
    o.proxyType = 0;
    EngineSettings s = engineSettings(o);
    EXPECT_FALSE(s.applyProxy);
    EXPECT_TRUE(s.proxyServer.isEmpty());
    EXPECT_EQ(s.retries, 7);
    EXPECT_EQ(s.retryInterval, 55);
    EXPECT_EQ(s.noopInterval, 99);
    EXPECT_EQ(s.timeOut, 1);
    EXPECT_FALSE(s.passive);
    EXPECT_FALSE(s.cache);
    o.proxyType = 3;
    s = engineSettings(o);
    EXPECT_TRUE(s.applyProxy);
    EXPECT_EQ(s.proxyUsername, QStringLiteral("代理用户"));
    EXPECT_EQ(s.proxyPassword, "p=w;d");
    EXPECT_EQ(s.proxyPort, 8021);
    EXPECT_EQ(s.proxyType, 3);
}

TEST_F(Options, DialogCreationLoadsAndAppliesWithoutWriting)
{
    setBytes(path(), "[Option]\nConnectProxyType=2\nConnectProxyServer=gate\nConnectProxyPort=3128\n");
    RecordingEngine engine;
    TSetForm form(&ini, &engine);
    ASSERT_EQ(engine.received.size(), 1);
    EXPECT_TRUE(engine.received[0].applyProxy);
    EXPECT_EQ(engine.received[0].proxyType, 2);
    EXPECT_EQ(engine.received[0].proxyPort, 3128);
    EXPECT_EQ(form.findChild<QComboBox *>("SetConnectProxyType")->currentText(), "proxyHostUser");
    EXPECT_EQ(form.findChild<QLineEdit *>("SetConnectProxyPort")->text(), "3128");
    EXPECT_EQ(ini.ReadSection(config::SectionOption).size(), 3);
}

TEST_F(Options, DialogShowsDefaultsAndOkSavesEveryKey)
{
    RecordingEngine engine;
    TSetForm form(&ini, &engine);
    EXPECT_EQ(form.controlValues(), ConnectOptions{});
    EXPECT_EQ(form.findChild<QSpinBox *>("SetConnectRetries")->maximum(), 10);
    EXPECT_EQ(form.findChild<QSpinBox *>("SetConnectRetryInterval")->minimum(), 5);
    EXPECT_EQ(form.findChild<QSpinBox *>("SetConnectNoopInterval")->minimum(), 10);
    EXPECT_EQ(form.findChild<QSpinBox *>("SetConnectTimeOut")->maximum(), 100);
    EXPECT_FALSE(QFile::exists(path()));

    const ConnectOptions changed = everythingChanged();
    QTimer::singleShot(0, &form, [&] {
        // Showing reloads the file; type the changes after that, then OK on the proxy page.
        form.setControlValues(changed);
        form.findChildren<QPushButton *>().size();
        form.findChild<QTabWidget *>("SetPages")->setCurrentIndex(1);
        for (QPushButton *b : form.findChildren<QPushButton *>())
            if (b->isVisible() && b->isDefault()) {
                b->click();
                return;
            }
    });
    EXPECT_EQ(form.OpenFromMenu(), QDialog::Accepted);
    EXPECT_EQ(LoadOptions(ini), changed);
    EXPECT_EQ(engine.received.back(), engineSettings(changed));
    EXPECT_GE(form.width(), TSetForm::MenuClientWidth);
    EXPECT_GE(form.height(), TSetForm::MenuClientHeight);
}

TEST_F(Options, ProxyPortAboveTheLastPortIsRefused)
{
    RecordingEngine engine;
    TSetForm form(&ini, &engine);
    const qsizetype applied = engine.received.size();
    QStringList shown;
    ui::SetMessageBoxHook([&](ui::MessageKind, const QString &text) {
        shown << text;
        return true;
    });
    QTimer::singleShot(0, &form, [&] {
        ConnectOptions o = form.controlValues();
        o.proxyType = 1;
        o.proxyPortText = QStringLiteral("70000");
        form.setControlValues(o);
        form.findChild<QTabWidget *>("SetPages")->setCurrentIndex(1);
        for (QPushButton *b : form.findChildren<QPushButton *>())
            if (b->isVisible() && b->isDefault())
                b->click();
        // Still open after the refusal: leave without saving.
        form.reject();
    });
    EXPECT_EQ(form.OpenFromMenu(), QDialog::Rejected);
    ui::SetMessageBoxHook({});
    EXPECT_EQ(shown, QStringList{PortTooLargeText()});
    EXPECT_FALSE(QFile::exists(path()));
    for (qsizetype i = applied; i < engine.received.size(); ++i)
        EXPECT_FALSE(engine.received[i].applyProxy) << i;
}

TEST_F(Options, CancelKeepsTypingUntilTheNextShowing)
{
    RecordingEngine engine;
    TSetForm form(&ini, &engine);
    QTimer::singleShot(0, &form, [&] {
        form.findChild<QSpinBox *>("SetConnectRetries")->setValue(9);
        form.reject();
    });
    form.OpenFromMenu();
    EXPECT_EQ(form.controlValues().retries, 9);
    EXPECT_FALSE(QFile::exists(path()));
    const int applied = int(engine.received.size());
    QTimer::singleShot(0, &form, [&] { form.reject(); });
    form.OpenFromMenu();
    EXPECT_EQ(form.controlValues().retries, 3);
    EXPECT_EQ(engine.received.size(), applied + 1);
    EXPECT_EQ(engine.received.back().retries, 3);
}

TEST_F(Options, TextsAndHintsFollowTheLanguage)
{
    TSetForm form(&ini, nullptr);
    ui::SetUseSimplified(true);
    form.SetTexts();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(form.labelText("SetConnectRetries"), QStringLiteral("连接重试计数           次"));
    EXPECT_EQ(form.labelText("SetConnectNoopInterval"), QStringLiteral("发送保持活动命令       秒"));
    EXPECT_EQ(form.labelText("SetConnectProxyType"), QStringLiteral("类型："));
    EXPECT_EQ(form.hintText("SetConnectTimeOut"), QStringLiteral("连接服务器超时的间隔时间"));
    EXPECT_EQ(form.hintText("SetConnectCache"), QStringLiteral("缓存站点文件夹列表，可加速显示"));
    EXPECT_EQ(form.findChild<QTabWidget *>("SetPages")->tabText(0), QStringLiteral("常 规"));

    ui::SetUseSimplified(false);
    form.SetTexts();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("設置"));
    EXPECT_EQ(form.labelText("SetConnectRetries"), QStringLiteral("連接重試計數           次"));
    EXPECT_EQ(form.labelText("SetConnectAnonymous"), QStringLiteral("匿名用戶"));
    EXPECT_EQ(form.labelText("SetConnectPassive"), QStringLiteral("使用被動模式"));
    EXPECT_EQ(form.labelText("SetConnectProxyServer"), QStringLiteral("主機："));
    EXPECT_EQ(form.hintText("SetConnectProxyUserName"), QStringLiteral("某些代理服務器需要提供用戶認證，這裏是認證用戶名"));
    EXPECT_EQ(form.findChild<QTabWidget *>("SetPages")->tabText(0), QStringLiteral("常 規"));
    ui::SetUseSimplified(true);
}
