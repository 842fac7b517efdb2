// The permission editor of the remote properties: merging the permissions
// of several entries, text to boxes to value and back, the value typed by
// hand, and what OK and Close report.

#include "mainwindow/FtpProperty.h"

#include "ui/Language.h"

#include "../support/PrintQString.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace mainwindow;

namespace {

struct MergeCase
{
    QStringList texts;
    QString merged;
};

TEST(PermissionRules, MergedPermissions)
{
    const MergeCase cases[] = {
        {{}, QStringLiteral("----------")},
        {{QStringLiteral("-rw-r--r--")}, QStringLiteral("-rw-r--r--")},
        {{QStringLiteral("dr-x")}, QStringLiteral("dr-x")}, // one text is itself, whatever its length
        {{QStringLiteral("-rw-r--r--"), QStringLiteral("-rwxr--r--")}, QStringLiteral("-rw-r--r--")},
        {{QStringLiteral("drwxr-xr-x"), QStringLiteral("-rwxr-x---")}, QStringLiteral("drwxr-x---")},
        {{QStringLiteral("-rwxrwxrwx"), QStringLiteral("-rwxrwxrwx"), QStringLiteral("-r--r--r--")},
         QStringLiteral("-r--r--r--")},
        {{QStringLiteral("-rwsr-xr-x"), QStringLiteral("-rwxr-xr-x")}, QStringLiteral("-rw-r-xr-x")},
        {{QStringLiteral("-rw-r--r--"), QStringLiteral("-rw-r--r")}, QStringLiteral("----------")},
        {{QStringLiteral("-rw-r--r--"), QString()}, QStringLiteral("----------")},
        {{QStringLiteral("-rw-r--r--+"), QStringLiteral("-rw-r--r--")}, QStringLiteral("-rw-r--r--")},
    };
    for (const MergeCase &c : cases)
        EXPECT_EQ(MergedPermissions(c.texts), c.merged) << c.texts.join(QLatin1Char(',')).toStdString();
}

struct TextCase
{
    QString text;
    int value;
    bool boxes;
};

TEST(PermissionRules, TextToBoxesAndValue)
{
    const TextCase cases[] = {
        {QStringLiteral("drwxr-xr-x"), 755, true},
        {QStringLiteral("-rw-r--r--"), 644, true},
        {QStringLiteral("-rwxrwxrwx"), 777, true},
        {QStringLiteral("----------"), 0, true},
        {QStringLiteral("-r--------"), 400, true},
        {QStringLiteral("---------x"), 1, true},
        {QStringLiteral("-rwsrwsrwt"), 777, true}, // any character but "-" sets its box
        {QStringLiteral("-rw-r--r-"), 0, false},
        {QStringLiteral("-rw-r--r--+"), 0, false},
        {QString(), 0, false},
    };
    for (const TextCase &c : cases) {
        EXPECT_EQ(PermissionTextValue(c.text), c.value) << c.text.toStdString();
        EXPECT_EQ(BoxesFromPermissionText(c.text).has_value(), c.boxes) << c.text.toStdString();
    }
    const PermissionBoxes rwxrxrx = {true, true, true, true, false, true, true, false, true};
    EXPECT_EQ(BoxesFromPermissionText(QStringLiteral("drwxr-xr-x")), rwxrxrx);
    EXPECT_EQ(PermissionValue(rwxrxrx), 755);
}

TEST(PermissionRules, TypedValues)
{
    const struct {
        const char *typed;
        std::optional<int> value;
    } cases[] = {
        {"644", 644}, {"777", 777}, {"0", 0}, {"0644", 644}, {"7", 7}, {" 755 ", 755},
        {"778", std::nullopt}, {"800", std::nullopt}, {"1000", std::nullopt}, {"699", std::nullopt},
        {"68", std::nullopt}, {"", std::nullopt}, {"-1", std::nullopt}, {"abc", std::nullopt}, {"6 4", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParsePermissionValue(QString::fromLatin1(c.typed)), c.value) << c.typed;
}

class PropertyFormTest : public ::testing::Test
{
protected:
    void TearDown() override { ui::SetUseSimplified(true); }
};

TEST_F(PropertyFormTest, ShowsTheTextsValueAndBoxesAndReportsOnlyRealChanges)
{
    TPropertyForm form;
    form.SetPermissionText(QStringLiteral("-rw-r--r--"));
    form.Prepare();
    EXPECT_EQ(form.Value(), QStringLiteral("644"));
    EXPECT_EQ(form.width(), TPropertyForm::ClientWidth);
    EXPECT_EQ(form.height(), TPropertyForm::ClientHeight);
    const bool expected[9] = {true, true, false, true, false, false, true, false, false};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(form.permissionBox(i)->isChecked(), expected[i]) << i;

    // OK without a change: nothing to send.
    form.okButton()->click();
    EXPECT_EQ(form.result(), int(QDialog::Accepted));
    EXPECT_FALSE(form.Changed());

    // A click on a box recomputes the value; OK reports the change.
    form.Prepare();
    form.findChild<QCheckBox *>(QStringLiteral("GroupWrite"))->click();
    EXPECT_EQ(form.Value(), QStringLiteral("664"));
    form.okButton()->click();
    EXPECT_TRUE(form.Changed());
    EXPECT_EQ(form.Value(), QStringLiteral("664"));

    // 800 typed by hand: the box shows "0", the boxes the text again, no change.
    form.Prepare();
    form.findChild<QCheckBox *>(QStringLiteral("OwnerExecute"))->click();
    form.valueBox()->setText(QStringLiteral("800"));
    form.okButton()->click();
    EXPECT_EQ(form.result(), int(QDialog::Accepted));
    EXPECT_FALSE(form.Changed());
    EXPECT_EQ(form.Value(), QStringLiteral("0"));
    EXPECT_FALSE(form.findChild<QCheckBox *>(QStringLiteral("OwnerExecute"))->isChecked());

    // Close: no change, whatever was typed.
    form.Prepare();
    form.valueBox()->setText(QStringLiteral("700"));
    form.closeButton()->click();
    EXPECT_EQ(form.result(), int(QDialog::Rejected));
    EXPECT_FALSE(form.Changed());
}

TEST_F(PropertyFormTest, AWrongLengthTextGivesZeroAndLeavesTheBoxes)
{
    TPropertyForm form;
    form.SetPermissionText(QStringLiteral("-rwxr-xr-x"));
    form.Prepare();
    form.SetPermissionText(QStringLiteral("rwx"));
    form.Prepare();
    EXPECT_EQ(form.Value(), QStringLiteral("0"));
    EXPECT_TRUE(form.permissionBox(0)->isChecked()) << "the boxes stay as they were";
    // OK now sends 0 only if the user asks for it: the shown value is 0.
    form.okButton()->click();
    EXPECT_FALSE(form.Changed());
}

TEST_F(PropertyFormTest, CaptionsInBothLanguages)
{
    struct Caption
    {
        const char *object;
        const char *simplified;
        const char *traditional;
    };
    const Caption captions[] = {
        {"Label8", "手动设置：", "手動設置："},   {"Label1", "属主权限：", "屬主權限："},
        {"Label6", "组群权限：", "組群權限："},   {"Label7", "公共权限：", "公共權限："},
        {"OKButton", "确  定", "確  定"},         {"CloseButton", "关  闭", "關  閉"},
        {"OwnerRead", "读取", "讀取"},            {"GroupWrite", "写入", "寫入"},
        {"PublicExecute", "执行", "執行"},        {"PublicRead", "读取", "讀取"},
    };
    for (const bool simplified : {true, false}) {
        ui::SetUseSimplified(simplified);
        TPropertyForm form;
        form.Prepare();
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(simplified ? "属性" : "屬性"));
        for (const Caption &c : captions) {
            const QObject *control = form.findChild<QObject *>(QLatin1String(c.object));
            ASSERT_TRUE(control) << c.object;
            EXPECT_EQ(control->property("text").toString(), QString::fromUtf8(simplified ? c.simplified : c.traditional))
                << c.object;
        }
        EXPECT_TRUE(form.findChild<QLineEdit *>(QStringLiteral("PropertyValue")));
    }
}

} // namespace
