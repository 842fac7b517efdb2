#include "ui/DialogButtons.h"

#include <QDialog>
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

OkCancelRow MakeAcceptRejectRow(QDialog *dialog)
{
    OkCancelRow row = MakeOkCancelRow(dialog);
    row.ok->setObjectName(QStringLiteral("bsSkinButton1"));
    row.cancel->setObjectName(QStringLiteral("bsSkinButton2"));
    row.ok->setDefault(true);
    QObject::connect(row.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(row.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

} // namespace ui
