#include "ui/MessageBoxes.h"

#include "ui/ToolkitStrings.h"

#include <QMessageBox>
#include <QPushButton>

namespace ui {
namespace {

MessageBoxHook &hook()
{
    static MessageBoxHook h;
    return h;
}

bool run(QWidget *parent, MessageKind kind, const QString &text)
{
    if (hook())
        return hook()(kind, text);
    QMessageBox box(parent);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    QPushButton *accept = nullptr;
    switch (kind) {
    case MessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(ToolkitString("MSG_CAP_ERROR"));
        accept = box.addButton(ToolkitString("MSG_BTN_OK"), QMessageBox::AcceptRole);
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(ToolkitString("MSG_CAP_INFORMATION"));
        accept = box.addButton(ToolkitString("MSG_BTN_OK"), QMessageBox::AcceptRole);
        break;
    case MessageKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(ToolkitString("MSG_CAP_CONFIRM"));
        accept = box.addButton(ToolkitString("MSG_BTN_YES"), QMessageBox::YesRole);
        box.setEscapeButton(box.addButton(ToolkitString("MSG_BTN_NO"), QMessageBox::NoRole));
        break;
    }
    box.setDefaultButton(accept);
    box.exec();
    return box.clickedButton() == accept;
}

} // namespace

void ShowError(QWidget *parent, const QString &text) { run(parent, MessageKind::Error, text); }
void ShowInformation(QWidget *parent, const QString &text) { run(parent, MessageKind::Information, text); }
bool Confirm(QWidget *parent, const QString &text) { return run(parent, MessageKind::Confirmation, text); }

void SetMessageBoxHook(MessageBoxHook h) { hook() = std::move(h); }

} // namespace ui
