#pragma once
// The OK and Cancel row at the bottom of the small dialogs: two buttons named
// "OkButton" and "CancelButton", right-aligned.

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

} // namespace ui
