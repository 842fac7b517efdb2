#include "services/About.h"
#include "services/ContactLink.h"
#include "services/Help.h"

#include "../support/PrintQString.h"
#include "ui/Language.h"
#include "ui/Skins.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace services;

namespace {

struct LanguageGuard
{
    ~LanguageGuard() { ui::SetUseSimplified(true); }
};

} // namespace

TEST(HelpForm, GuideInBothLanguages)
{
    LanguageGuard guard;
    const struct { bool simplified; const char *caption; QStringList headings; const char *port; } cases[] = {
        {true, "使用帮助",
         {"★ BramblewayFTP软件是一个支持FTP协议的远程文件管理软件 ★", "【连接FTP服务器】", "【断开FTP服务器的连接】",
          "【新建文件夹】", "【重命名文件或文件夹】", "【删除文件或文件夹】", "【上传文件】", "【下载文件】", "【智能升级】"},
         "默认为21"},
        {false, "使用幫助",
         {"★ BramblewayFTP软件是一個支持FTP協議的遠程文件管理软件 ★", "【連接FTP服务器】", "【斷開FTP服务器的連接】",
          "【新建文件夾】", "【重命名文件或文件夾】", "【删除文件或文件夾】", "【上傳文件】", "【下載文件】", "【智能升級】"},
         "默認爲21"},
    };
    for (const auto &c : cases) {
        ui::SetUseSimplified(c.simplified);
        THelpForm form(false, 2);
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(THelpForm::Headings(), c.headings);
        // The guide shows them in this order.
        const QString text = form.guide()->toPlainText();
        qsizetype at = 0;
        for (const QString &heading : c.headings) {
            const qsizetype found = text.indexOf(heading, at);
            EXPECT_GE(found, at) << heading.toStdString();
            at = found < 0 ? at : found;
        }
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.port)));
        for (const char *step : {"①", "②", "③", "④", "◆", "●"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(step))) << step;
        // Every picture the guide names is there.
        const QString html = form.guide()->toHtml();
        qsizetype pos = 0;
        int pictures = 0;
        while ((pos = html.indexOf(QLatin1String("src=\"glyph:"), pos)) >= 0) {
            const qsizetype end = html.indexOf(QLatin1Char('"'), pos + 5);
            const QString name = html.mid(pos + 5, end - pos - 5);
            EXPECT_FALSE(form.guide()->document()->resource(QTextDocument::ImageResource, QUrl(name)).isNull())
                << name.toStdString();
            ++pictures;
            pos = end;
        }
        EXPECT_GE(pictures, 8);
    }
}

TEST(HelpForm, OwnSkinOneOnlyOnNarrowScreensWithSkinOne)
{
    EXPECT_EQ(THelpForm::HelpSkinFor(true, 1), 1);
    EXPECT_EQ(THelpForm::HelpSkinFor(true, 2), 2);
    EXPECT_EQ(THelpForm::HelpSkinFor(false, 1), 2);
    EXPECT_EQ(THelpForm::HelpSkinFor(false, 2), 2);
    THelpForm narrow(true, 1);
    EXPECT_EQ(narrow.helpSkin(), 1);
    EXPECT_EQ(narrow.styleSheet(), ui::skinStyleSheet(ui::Skin::XFactor));
    THelpForm wide(false, 1);
    EXPECT_NE(wide.styleSheet(), narrow.styleSheet());
    EXPECT_FALSE(wide.styleSheet().isEmpty());
}

TEST(HelpForm, EscCloses)
{
    THelpForm form(false, 2);
    form.show();
    bool closed = false;
    QObject::connect(&form, &QDialog::finished, [&] { closed = true; });
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(closed);
}

TEST(AboutForm, TextsInBothLanguages)
{
    LanguageGuard guard;
    TAboutOur s;
    EXPECT_EQ(s.windowTitle(), QStringLiteral("关于"));
    EXPECT_EQ(s.okButton()->text(), QStringLiteral("确  定"));
    EXPECT_EQ(s.description()->text(), QStringLiteral("BramblewayFTP软件 是一个支持FTP协议的远程文件管理软件"));
    ui::SetUseSimplified(false);
    TAboutOur t;
    EXPECT_EQ(t.windowTitle(), QStringLiteral("關于"));
    EXPECT_EQ(t.okButton()->text(), QStringLiteral("確  定"));
    EXPECT_EQ(t.description()->text(), QStringLiteral("BramblewayFTP软件 是一個支持FTP協議的遠程文件管理軟件"));
    EXPECT_EQ(t.webLink()->address(), QUrl(QLatin1String(MakerWebPage)));
    EXPECT_EQ(t.mailLink()->address().scheme(), QStringLiteral("mailto"));
}

TEST(ContactLinks, UnderlinedUnderTheMouseAndOpenedByAClick)
{
    QList<QUrl> opened;
    SetLinkOpenHook([&](const QUrl &url) {
        opened << url;
        return true;
    });
    TAboutOur about;
    about.show();
    TContactLink *web = about.webLink();
    EXPECT_FALSE(web->underlined());
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(web, &enter);
    EXPECT_TRUE(web->underlined());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(web, &leave);
    EXPECT_FALSE(web->underlined());
    QTest::mouseClick(web, Qt::LeftButton);
    QTest::mouseClick(about.mailLink(), Qt::LeftButton);
    QTest::mouseClick(web, Qt::RightButton);
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(QLatin1String(MakerWebPage)),
                                   QUrl(QLatin1String("mailto:") + QLatin1String(MakerMail))}));
    SetLinkOpenHook({});
}
