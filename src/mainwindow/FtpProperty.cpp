#include "mainwindow/FtpProperty.h"

#include "ui/Language.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

constexpr int Weights[9] = {400, 200, 100, 40, 20, 10, 4, 2, 1};
const QString NoPermissions = QStringLiteral("----------");

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel *infoLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QString MergedPermissions(const QStringList &attributes)
{
    if (attributes.isEmpty())
        return NoPermissions;
    if (attributes.size() == 1)
        return attributes.first();
    for (const QString &text : attributes)
        if (text.size() < 10)
            return NoPermissions;
    const QString &first = attributes.first();
    QString merged = first.left(1);
    for (int i = 1; i < 10; ++i) {
        const QChar c = first.at(i);
        bool same = true;
        for (const QString &text : attributes)
            same = same && text.at(i) == c;
        merged += same ? c : QLatin1Char('-');
    }
    return merged;
}

std::optional<PermissionBoxes> BoxesFromPermissionText(const QString &text)
{
    if (text.size() != 10)
        return std::nullopt;
    PermissionBoxes boxes{};
    for (int i = 0; i < 9; ++i)
        boxes[i] = text.at(i + 1) != QLatin1Char('-');
    return boxes;
}

int PermissionValue(const PermissionBoxes &boxes)
{
    int value = 0;
    for (int i = 0; i < 9; ++i)
        if (boxes[i])
            value += Weights[i];
    return value;
}

int PermissionTextValue(const QString &text)
{
    const std::optional<PermissionBoxes> boxes = BoxesFromPermissionText(text);
    return boxes ? PermissionValue(*boxes) : 0;
}

std::optional<int> ParsePermissionValue(const QString &typed)
{
    const QString digits = typed.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return std::nullopt;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('7'))
            return std::nullopt;
    const int value = digits.toInt();
    if (value >= 778)
        return std::nullopt;
    return value;
}

TPropertyForm::TPropertyForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TPropertyForm"));
    setFixedSize(ClientWidth, ClientHeight);

    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("PropertyIcon"));
    icon_->setFixedSize(32, 32);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("PropertyName"));
    name_->setReadOnly(true);
    type_ = infoLabel("PropertyType", this);
    location_ = infoLabel("PropertyLocation", this);
    location_->setWordWrap(true);
    size_ = infoLabel("PropertySize", this);
    date_ = infoLabel("PropertyDate", this);

    ownerLabel_ = new QLabel(this);
    ownerLabel_->setObjectName(QStringLiteral("Label1"));
    groupLabel_ = new QLabel(this);
    groupLabel_->setObjectName(QStringLiteral("Label6"));
    publicLabel_ = new QLabel(this);
    publicLabel_->setObjectName(QStringLiteral("Label7"));
    manualLabel_ = new QLabel(this);
    manualLabel_->setObjectName(QStringLiteral("Label8"));
    const char *boxNames[9] = {"OwnerRead", "OwnerWrite", "OwnerExecute", "GroupRead", "GroupWrite",
                               "GroupExecute", "PublicRead", "PublicWrite", "PublicExecute"};
    for (int i = 0; i < 9; ++i) {
        boxes_[i] = new QCheckBox(this);
        boxes_[i]->setObjectName(QLatin1String(boxNames[i]));
        connect(boxes_[i], &QCheckBox::clicked, this, [this] { BoxClicked(); });
    }
    value_ = new QLineEdit(this);
    value_->setObjectName(QStringLiteral("PropertyValue"));
    value_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), value_));
    value_->setMaxLength(4);
    value_->setFixedWidth(60);

    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("OKButton"));
    ok_->setDefault(true);
    close_ = new QPushButton(this);
    close_->setObjectName(QStringLiteral("CloseButton"));
    connect(ok_, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(icon_);
    top->addWidget(name_, 1);

    auto *info = new QVBoxLayout;
    info->setSpacing(8);
    for (QLabel *label : {type_, location_, size_, date_})
        info->addWidget(label);

    auto *permissions = new QGridLayout;
    permissions->setHorizontalSpacing(10);
    permissions->setVerticalSpacing(8);
    QLabel *rowLabels[3] = {ownerLabel_, groupLabel_, publicLabel_};
    for (int row = 0; row < 3; ++row) {
        permissions->addWidget(rowLabels[row], row, 0);
        for (int column = 0; column < 3; ++column)
            permissions->addWidget(boxes_[row * 3 + column], row, column + 1);
    }
    auto *manual = new QHBoxLayout;
    manual->addWidget(value_);
    manual->addStretch(1);
    permissions->addWidget(manualLabel_, 3, 0);
    permissions->addLayout(manual, 3, 1, 1, 3);
    permissions->setColumnStretch(4, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(close_);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 12);
    column->setSpacing(10);
    column->addLayout(top);
    column->addWidget(separator(this));
    column->addLayout(info);
    column->addWidget(separator(this));
    column->addLayout(permissions);
    column->addStretch(1);
    column->addLayout(buttons);

    ApplyTexts();
}

void TPropertyForm::SetIcon(const QIcon &icon)
{
    icon_->setPixmap(icon.pixmap(32, 32));
}

void TPropertyForm::SetItemName(const QString &text)
{
    name_->setText(text);
    name_->setCursorPosition(0);
}

void TPropertyForm::SetTypeText(const QString &text) { type_->setText(text); }
void TPropertyForm::SetSizeText(const QString &text) { size_->setText(text); }
void TPropertyForm::SetDateText(const QString &text) { date_->setText(text); }
void TPropertyForm::SetLocationText(const QString &text) { location_->setText(text); }

QString TPropertyForm::Value() const
{
    return value_->text();
}

void TPropertyForm::ApplyTexts()
{
    setWindowTitle(ui::pick("属性", "屬性"));
    manualLabel_->setText(ui::pick("手动设置：", "手動設置："));
    ownerLabel_->setText(ui::pick("属主权限：", "屬主權限："));
    groupLabel_->setText(ui::pick("组群权限：", "組群權限："));
    publicLabel_->setText(ui::pick("公共权限：", "公共權限："));
    ok_->setText(ui::pick("确  定", "確  定"));
    close_->setText(ui::pick("关  闭", "關  閉"));
    for (int i = 0; i < 9; ++i) {
        switch (i % 3) {
        case 0:
            boxes_[i]->setText(ui::pick("读取", "讀取"));
            break;
        case 1:
            boxes_[i]->setText(ui::pick("写入", "寫入"));
            break;
        default:
            boxes_[i]->setText(ui::pick("执行", "執行"));
            break;
        }
    }
}

void TPropertyForm::SetBoxes(const PermissionBoxes &boxes)
{
    for (int i = 0; i < 9; ++i)
        boxes_[i]->setChecked(boxes[i]);
}

PermissionBoxes TPropertyForm::Boxes() const
{
    PermissionBoxes boxes{};
    for (int i = 0; i < 9; ++i)
        boxes[i] = boxes_[i]->isChecked();
    return boxes;
}

void TPropertyForm::Prepare()
{
    changed_ = false;
    if (const std::optional<PermissionBoxes> boxes = BoxesFromPermissionText(permissionText_))
        SetBoxes(*boxes);
    shownValue_ = PermissionTextValue(permissionText_);
    value_->setText(QString::number(shownValue_));
    ApplyTexts();
}

int TPropertyForm::Open()
{
    Prepare();
    return exec();
}

void TPropertyForm::BoxClicked()
{
    value_->setText(QString::number(PermissionValue(Boxes())));
}

void TPropertyForm::OkClick()
{
    if (const std::optional<int> value = ParsePermissionValue(value_->text())) {
        changed_ = *value != shownValue_;
        value_->setText(QString::number(*value));
    } else {
        changed_ = false;
        value_->setText(QStringLiteral("0"));
        if (const std::optional<PermissionBoxes> boxes = BoxesFromPermissionText(permissionText_))
            SetBoxes(*boxes);
    }
    accept();
}

} // namespace mainwindow
