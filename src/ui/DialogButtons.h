#pragma once
// The OK and Cancel row at the bottom of the small dialogs: two buttons named
// "OkButton" and "CancelButton", right-aligned.

class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace ui {

struct OkCancelRow
{
    QPushButton *ok;
    QPushButton *cancel;
    QHBoxLayout *layout;
};

OkCancelRow MakeOkCancelRow(QWidget *parent);

// The row of a dialog whose OK button accepts it (the default button) and
// whose Cancel button rejects it, named as the skinned dialogs name them:
// "bsSkinButton1" and "bsSkinButton2".
OkCancelRow MakeAcceptRejectRow(QDialog *dialog);

} // namespace ui
