#include "ui/InputDialog.h"

#include "ui/DialogButtons.h"
#include "ui/Language.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {
namespace {

InputHook &hook()
{
    static InputHook h;
    return h;
}

} // namespace

void SetInputHook(InputHook h)
{
    hook() = std::move(h);
}

std::optional<QString> AskText(QWidget *parent, const QString &caption, const QString &prompt, const QString &value)
{
    if (hook())
        return hook()(caption, prompt, value);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("InputDialog"));
    dialog.setWindowTitle(caption);
    auto *label = new QLabel(prompt, &dialog);
    auto *edit = new QLineEdit(value, &dialog);
    edit->setObjectName(QStringLiteral("InputEdit"));
    edit->selectAll();
    const OkCancelRow row = MakeAcceptRejectRow(&dialog);
    row.ok->setText(pick("确  定", "確  定"));
    row.cancel->setText(pick("取  消", "取  消"));
    auto *column = new QVBoxLayout(&dialog);
    column->addWidget(label);
    column->addWidget(edit);
    column->addLayout(row.layout);
    dialog.setMinimumWidth(320);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}

bool NameHasForbiddenCharacter(const QString &name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name)
        if (forbidden.contains(c))
            return true;
    return false;
}

QString ForbiddenNameText()
{
    return pick("   文件名称不能包含 \\ / : * ? \" < > | 字符\r", "   文件名稱不能包含 \\ / : * ? \" < > | 字符\r");
}

} // namespace ui
