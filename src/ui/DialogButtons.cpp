#include "ui/DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace ui {

OkCancelRow MakeOkCancelRow(QWidget *parent)
{
    OkCancelRow row{new QPushButton(parent), new QPushButton(parent), new QHBoxLayout};
    row.ok->setObjectName(QStringLiteral("OkButton"));
    row.cancel->setObjectName(QStringLiteral("CancelButton"));
    row.layout->addStretch(1);
    row.layout->addWidget(row.ok);
    row.layout->addWidget(row.cancel);
    return row;
}

} // namespace ui
