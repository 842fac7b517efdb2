#include "mainwindow/OverOpear.h"

#include "platform/TextCodec.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellInfo.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

TOverDialog::AnswerHook &Hook()
{
    static TOverDialog::AnswerHook hook;
    return hook;
}

QLabel *NewLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton *NewButton(QWidget *parent, const char *name)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// The large shell icon of a local path.
QPixmap LargeIcon(const QString &path)
{
    const QFileInfo info(QDir::fromNativeSeparators(path));
    const QIcon icon = info.isDir() ? ui::ShellFolderIcon() : ui::ShellFileIcon(ui::FileExtension(info.fileName()));
    return icon.pixmap(32, 32);
}

} // namespace

TOverDialog::TOverDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TOverDialog"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    msgText_ = NewLabel(this, "MsgText");
    msgText_->setAlignment(Qt::AlignCenter);
    msgText_->setWordWrap(true);
    label5_ = NewLabel(this, "Label5");
    localIcon_ = NewLabel(this, "LocalIcon");
    localFileSize_ = NewLabel(this, "LocalFileSize");
    localFileDate_ = NewLabel(this, "LocalFileDate");
    label6_ = NewLabel(this, "Label6");
    remoteIcon_ = NewLabel(this, "RemoteIcon");
    remoteFileSize_ = NewLabel(this, "RemoteFileSize");
    remoteFileDate_ = NewLabel(this, "RemoteFileDate");
    for (QLabel *icon : {localIcon_, remoteIcon_})
        icon->setFixedSize(32, 32);
    overButton_ = NewButton(this, "OverButton");
    resumeButton_ = NewButton(this, "ResumeButton");
    cancelButton_ = NewButton(this, "CancelButton");
    overButton_->setDefault(true);
    allOverOperation_ = new QCheckBox(this);
    allOverOperation_->setObjectName(QStringLiteral("AllOverOperation"));

    connect(overButton_, &QPushButton::clicked, this, [this] { Choose(queue::AnswerOverwrite(), Accepted); });
    connect(resumeButton_, &QPushButton::clicked, this, [this] { Choose(queue::AnswerResume(), Accepted); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { Choose(queue::AnswerCancel(), Rejected); });

    // Two columns, local on the left and remote on the right: a title, the
    // icon beside the size and the date.
    auto *files = new QGridLayout;
    files->setHorizontalSpacing(8);
    const auto addColumn = [files](int column, QLabel *title, QLabel *icon, QLabel *size, QLabel *date) {
        files->addWidget(title, 0, column, 1, 2);
        files->addWidget(icon, 1, column, 2, 1, Qt::AlignTop);
        files->addWidget(size, 1, column + 1);
        files->addWidget(date, 2, column + 1);
        files->setColumnStretch(column + 1, 1);
    };
    addColumn(0, label5_, localIcon_, localFileSize_, localFileDate_);
    addColumn(2, label6_, remoteIcon_, remoteFileSize_, remoteFileDate_);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(allOverOperation_);
    buttons->addStretch(1);
    buttons->addWidget(overButton_);
    buttons->addWidget(resumeButton_);
    buttons->addWidget(cancelButton_);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(10, 8, 10, 8);
    column->addWidget(msgText_);
    column->addLayout(files);
    column->addStretch(1);
    column->addLayout(buttons);
    resize(ClientWidth, ClientHeight);
}

void TOverDialog::SetAnswerHook(AnswerHook hook)
{
    Hook() = std::move(hook);
}

void TOverDialog::Prepare(const queue::ResumeFacts &facts)
{
    const bool simplified = ui::UseSimplified();
    setWindowTitle(ui::pick("确认文件替换", "確認文件替換"));
    label5_->setText(ui::pick("本地文件", "本地文件"));
    label6_->setText(ui::pick("远程文件", "遠程文件"));
    overButton_->setText(ui::pick("覆  盖", "覆  蓋"));
    resumeButton_->setText(ui::pick("续  传", "續  傳"));
    cancelButton_->setText(ui::pick("跳  过", "跳  過"));
    allOverOperation_->setText(ui::pick("全部", "全部"));

    msgText_->setText(queue::OverwriteQuestion(facts.download, facts.localFile, simplified));
    resumeButton_->setEnabled(queue::ResumePossible(facts));
    allOverOperation_->setChecked(false);
    const QPixmap icon = LargeIcon(facts.localFile);
    localIcon_->setPixmap(icon);
    remoteIcon_->setPixmap(icon);
    const QString suffix = queue::ByteSuffix(simplified);
    localFileSize_->setText(QString::number(facts.localSize) + suffix);
    localFileDate_->setText(queue::LocalFileDateText(facts.localFile));
    remoteFileSize_->setText(QString::number(facts.remoteSize) + suffix);
    // The server's own date text; its bytes are shown as a remote name is.
    remoteFileDate_->setText(platform::decodeRemoteName(facts.remoteDate));
}

QString TOverDialog::Ask(const queue::ResumeFacts &facts, bool *applyToAll)
{
    Prepare(facts);
    answer_.clear();
    if (Hook()) {
        const std::optional<std::pair<QString, bool>> given = Hook()(*this, facts);
        if (given) {
            answer_ = given->first;
            allOverOperation_->setChecked(given->second);
        }
    } else {
        resize(ClientWidth, ClientHeight);
        exec();
    }
    if (applyToAll)
        *applyToAll = allOverOperation_->isChecked();
    return answer_;
}

void TOverDialog::Choose(const QString &answer, int result)
{
    answer_ = answer;
    done(result);
}

QString AnswerResumeDecision(TOverDialog &dialog, const queue::ResumeFacts &facts, queue::OverwriteMemory &memory,
                             QString *statusLine)
{
    if (const std::optional<QString> answer = queue::AnswerWithoutDialog(facts, memory, statusLine))
        return *answer;
    bool all = false;
    const QString answer = dialog.Ask(facts, &all);
    memory.RememberedAnswer = answer;
    memory.ApplyToAll = all;
    return answer;
}

QString AnswerOverwriteConfirm(QWidget *owner, const QByteArray &newName)
{
    return ui::Confirm(owner, queue::OverwriteConfirmText(newName, ui::UseSimplified())) ? queue::AnswerOverwrite()
                                                                                        : QString();
}

} // namespace mainwindow
