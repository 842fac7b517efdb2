#include "sites/FtpSitePrompt.h"
#include "ui/Language.h"

#include "../support/PrintQString.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sites;

TEST(SitePrompts, TextsOfBothLanguages)
{
    struct Row { bool simplified; const char *user, *password, *ok; };
    for (const Row &r : {Row{true, "请输入用户名", "请输入密码", "确  定"}, Row{false, "請輸入用戶名", "請輸入密碼", "確  定"}}) {
        ui::SetUseSimplified(r.simplified);
        TSiteUser user;
        TSitePassword password;
        EXPECT_EQ(user.windowTitle(), QString::fromUtf8(r.user));
        EXPECT_EQ(password.windowTitle(), QString::fromUtf8(r.password));
        EXPECT_EQ(user.okButton()->text(), QString::fromUtf8(r.ok));
        EXPECT_EQ(password.cancelButton()->text(), QStringLiteral("取  消"));
    }
    ui::SetUseSimplified(true);
    EXPECT_EQ(TSiteUser().field()->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(TSitePassword().field()->echoMode(), QLineEdit::Password);
}

TEST(SitePrompts, OkNeedsTextAndEachAskStartsEmpty)
{
    TSitePassword prompt;
    int step = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!prompt.isVisible())
            return;
        switch (step++) {
        case 0:
            EXPECT_TRUE(prompt.field()->text().isEmpty());
            prompt.okButton()->click(); // empty: stays open
            break;
        case 1:
            EXPECT_TRUE(prompt.isVisible());
            prompt.field()->setText(QStringLiteral("secret"));
            emit prompt.field()->returnPressed();
            break;
        case 2:
            EXPECT_TRUE(prompt.field()->text().isEmpty()) << prompt.field()->text().toStdString();
            prompt.cancelButton()->click();
            break;
        default:
            break;
        }
    });
    timer.start(5);
    EXPECT_EQ(prompt.Ask(), std::optional<QString>(QStringLiteral("secret")));
    EXPECT_EQ(prompt.Ask(), std::nullopt);
    EXPECT_EQ(step, 3);
}
