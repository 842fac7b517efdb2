// The overwrite dialog, the queue entry editor and the local chooser: texts
// in both languages, what the overwrite dialog shows about both files, and
// which answer each of its buttons gives.

#include "mainwindow/ModifyQueue.h"
#include "mainwindow/OverOpear.h"
#include "mainwindow/ViewLocalDir.h"
#include "queue/QueueModel.h"
#include "ui/Language.h"

#include "../support/PrintQString.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using mainwindow::TLocalDirForm;
using mainwindow::TOverDialog;
using mainwindow::TQueueInfoForm;

namespace {

// Restores the language and removes the dialog hook after each test.
class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override
    {
        TOverDialog::SetAnswerHook({});
        ui::SetUseSimplified(true);
    }

    QString MakeFile(const char *name, qint64 size)
    {
        const QString path = dir.filePath(QLatin1String(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(size, 'z'));
        return path;
    }

    QTemporaryDir dir;
};

QString Text(const QWidget &dialog, const char *name)
{
    if (auto *label = dialog.findChild<QLabel *>(QLatin1String(name)))
        return label->text();
    if (auto *button = dialog.findChild<QAbstractButton *>(QLatin1String(name)))
        return button->text();
    return QStringLiteral("<no control %1>").arg(QLatin1String(name));
}

bool Enabled(const QWidget &dialog, const char *name)
{
    auto *w = dialog.findChild<QWidget *>(QLatin1String(name));
    return w && w->isEnabled();
}

// Runs `act` on the modal window once it is shown.
void WhenModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

// A modal window that is not the expected one is closed, so that a failing
// test does not wait forever.
template <typename T>
T *Expect(QWidget *modal, T *expected = nullptr)
{
    T *found = qobject_cast<T *>(modal);
    if (!found || (expected && found != expected)) {
        ADD_FAILURE() << "unexpected modal window " << modal->objectName().toStdString();
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        return nullptr;
    }
    return found;
}

} // namespace

TEST_F(DialogTest, OverDialogShowsBothFilesInEitherLanguage)
{
    const QString zip = MakeFile("a.zip", 400);
    const QString big = MakeFile("b.iso", 1000);
    const qint64 GiB = 1024LL * 1024 * 1024;
    struct Case {
        const char *what;
        bool simplified;
        bool download;
        QString local;
        qint64 localSize;
        qint64 remoteSize;
        bool canResume;
        const char *question;
        const char *localSizeText;
        const char *remoteSizeText;
        bool resume;
    };
    const Case cases[] = {
        {"download, resumable", true, true, zip, 400, 1000, true, "【 本地文件 a.zip 已存在,替换已存的文件吗 】",
         "400 字节", "1000 字节", true},
        {"download, local complete", false, true, big, 1000, 1000, true,
         "【 本地文件 b.iso 已存在,替換已存的文件嗎 】", "1000 字節", "1000 字節", false},
        {"upload, server cannot resume", true, false, big, 1000, 400, false,
         "【 远程文件 b.iso 已存在,替换已存的文件吗 】", "1000 字节", "400 字节", false},
        {"upload, 3 GiB remote shorter than local", false, false, zip, 5 * GiB, 3 * GiB, true,
         "【 遠程文件 a.zip 已存在,替換已存的文件嗎 】", "5368709120 字節", "3221225472 字節", true},
        {"download, local missing", true, true, dir.filePath(QStringLiteral("gone.zip")), -1, 1000, true,
         "【 本地文件 gone.zip 已存在,替换已存的文件吗 】", "-1 字节", "1000 字节", true},
    };
    TOverDialog dialog;
    for (const Case &c : cases) {
        ui::SetUseSimplified(c.simplified);
        queue::ResumeFacts facts;
        facts.download = c.download;
        facts.localFile = c.local;
        facts.remoteFile = "remote name";
        facts.serverCanResume = c.canResume;
        facts.localSize = c.localSize;
        facts.remoteSize = c.remoteSize;
        facts.remoteDate = "Mar 04 2021";
        bool hooked = false;
        TOverDialog::SetAnswerHook([&](const TOverDialog &d, const queue::ResumeFacts &) {
            hooked = true;
            EXPECT_EQ(d.windowTitle(), QString::fromUtf8(c.simplified ? "确认文件替换" : "確認文件替換")) << c.what;
            EXPECT_EQ(Text(d, "MsgText"), QString::fromUtf8(c.question)) << c.what;
            EXPECT_EQ(Text(d, "Label5"), QStringLiteral("本地文件")) << c.what;
            EXPECT_EQ(Text(d, "Label6"), QString::fromUtf8(c.simplified ? "远程文件" : "遠程文件")) << c.what;
            EXPECT_EQ(Text(d, "LocalFileSize"), QString::fromUtf8(c.localSizeText)) << c.what;
            EXPECT_EQ(Text(d, "RemoteFileSize"), QString::fromUtf8(c.remoteSizeText)) << c.what;
            EXPECT_EQ(Text(d, "LocalFileDate"), queue::LocalFileDateText(c.local)) << c.what;
            EXPECT_EQ(Text(d, "LocalFileDate").isEmpty(), !QFile::exists(c.local)) << c.what;
            EXPECT_EQ(Text(d, "RemoteFileDate"), QStringLiteral("Mar 04 2021")) << c.what;
            EXPECT_EQ(Text(d, "OverButton"), QString::fromUtf8(c.simplified ? "覆  盖" : "覆  蓋")) << c.what;
            EXPECT_EQ(Text(d, "ResumeButton"), QString::fromUtf8(c.simplified ? "续  传" : "續  傳")) << c.what;
            EXPECT_EQ(Text(d, "CancelButton"), QString::fromUtf8(c.simplified ? "跳  过" : "跳  過")) << c.what;
            EXPECT_EQ(Text(d, "AllOverOperation"), QStringLiteral("全部")) << c.what;
            EXPECT_EQ(Enabled(d, "ResumeButton"), c.resume) << c.what;
            EXPECT_FALSE(d.findChild<QCheckBox *>(QStringLiteral("AllOverOperation"))->isChecked()) << c.what;
            const QLabel *icon = d.findChild<QLabel *>(QStringLiteral("LocalIcon"));
            EXPECT_EQ(icon->pixmap().size(), QSize(32, 32)) << c.what;
            return std::make_optional(std::make_pair(QStringLiteral("Resume"), true));
        });
        bool all = false;
        EXPECT_EQ(dialog.Ask(facts, &all), QStringLiteral("Resume")) << c.what;
        EXPECT_TRUE(all) << c.what;
        EXPECT_TRUE(hooked) << c.what;
    }
}

TEST_F(DialogTest, OverDialogButtonsGiveTheirAnswersAndTheBox)
{
    queue::ResumeFacts facts;
    facts.localFile = MakeFile("a.zip", 400);
    facts.localSize = 400;
    facts.remoteSize = 1000;
    facts.serverCanResume = true;
    struct Case {
        const char *button;
        bool tick;
        QString answer;
    };
    const Case cases[] = {
        {"OverButton", false, QStringLiteral("Overwrite")},
        {"ResumeButton", true, QStringLiteral("Resume")},
        {"CancelButton", true, QStringLiteral("Cancel")},
        {nullptr, false, QString()}, // closed with Esc
    };
    TOverDialog dialog;
    for (const Case &c : cases) {
        WhenModal([&](QWidget *modal) {
            if (!Expect<TOverDialog>(modal, &dialog))
                return;
            if (c.tick)
                dialog.findChild<QCheckBox *>(QStringLiteral("AllOverOperation"))->setChecked(true);
            if (c.button)
                dialog.findChild<QPushButton *>(QLatin1String(c.button))->click();
            else
                dialog.reject();
        });
        bool all = !c.tick;
        EXPECT_EQ(dialog.Ask(facts, &all), c.answer) << (c.button ? c.button : "Esc");
        EXPECT_EQ(all, c.tick) << (c.button ? c.button : "Esc");
    }
}

TEST_F(DialogTest, RememberedAnswersSkipTheDialogWithinARun)
{
    TOverDialog dialog;
    int asked = 0;
    TOverDialog::SetAnswerHook([&](const TOverDialog &, const queue::ResumeFacts &) {
        ++asked;
        return std::make_optional(std::make_pair(QStringLiteral("Cancel"), true));
    });
    queue::ResumeFacts facts;
    facts.localFile = MakeFile("a.zip", 400);
    facts.localSize = 400;
    facts.remoteSize = 1000;
    queue::OverwriteMemory memory;
    QString status;
    EXPECT_EQ(mainwindow::AnswerResumeDecision(dialog, facts, memory, &status), QStringLiteral("Cancel"));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(memory.ApplyToAll);
    EXPECT_EQ(memory.RememberedAnswer, QStringLiteral("Cancel"));
    // The next existing file of the same run: no dialog.
    EXPECT_EQ(mainwindow::AnswerResumeDecision(dialog, facts, memory, &status), QStringLiteral("Cancel"));
    EXPECT_EQ(asked, 1);
    // A new run clears ApplyToAll and asks again; a shortcut is never asked about.
    memory.ApplyToAll = false;
    facts.localFile = QStringLiteral("/home/u/Link.LNK");
    EXPECT_EQ(mainwindow::AnswerResumeDecision(dialog, facts, memory, &status), QStringLiteral("Cancel"));
    EXPECT_EQ(asked, 1);
    facts.localFile = dir.filePath(QStringLiteral("a.zip"));
    mainwindow::AnswerResumeDecision(dialog, facts, memory, &status);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(status.isEmpty());
}

TEST_F(DialogTest, QueueEditorAndLocalChooserTexts)
{
    for (bool simplified : {true, false}) {
        ui::SetUseSimplified(simplified);
        TQueueInfoForm form;
        form.SetTexts();
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(simplified ? "修改队列" : "修改隊列"));
        EXPECT_EQ(Text(form, "Label1"), QStringLiteral("本地文件："));
        EXPECT_EQ(Text(form, "Label2"), QString::fromUtf8(simplified ? "远程文件：" : "遠程文件："));
        EXPECT_EQ(Text(form, "bsSkinButton1"), QString::fromUtf8(simplified ? "确  定" : "確  定"));
        EXPECT_EQ(Text(form, "bsSkinButton2"), QStringLiteral("取  消"));
        EXPECT_NE(form.findChild<QLineEdit *>(QStringLiteral("LocalFilePath")), nullptr);
        EXPECT_NE(form.findChild<QLineEdit *>(QStringLiteral("RemoteFilePath")), nullptr);

        TLocalDirForm chooser;
        EXPECT_EQ(chooser.windowTitle(), QString::fromUtf8(simplified ? "浏览本地文件" : "浏覽本地文件"));
        EXPECT_EQ(Text(chooser, "bsSkinButton1"), QString::fromUtf8(simplified ? "确  定" : "確  定"));
        EXPECT_EQ(Text(chooser, "bsSkinButton2"), QStringLiteral("取  消"));
        EXPECT_NE(chooser.findChild<QWidget *>(QStringLiteral("JamShellTree1")), nullptr);
    }
}

// The whole edit: the browse button opens the chooser on the entry's file
// (files shown for an upload entry), a folder chosen there and a new remote
// path end up in the queue after OK; Cancel changes nothing.
TEST_F(DialogTest, EditingAQueueEntryThroughTheForms)
{
    const QString file = MakeFile("up.txt", 10);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("target")));
    const QString folder = dir.filePath(QStringLiteral("target"));
    queue::TQueueModel queue;
    queue.append(queue::QueueEntry::make(file, QStringLiteral("1 KB"), queue::UploadAction(), "/pub/up.txt",
                                         queue::StatusFailed(true)));
    TLocalDirForm chooser;
    bool chooserSeen = false;

    WhenModal([&](QWidget *modal) {
        auto *form = Expect<TQueueInfoForm>(modal);
        if (!form)
            return;
        EXPECT_EQ(form->localEdit()->text(), file);
        EXPECT_EQ(form->remoteEdit()->text(), QStringLiteral("/pub/up.txt"));
        EXPECT_EQ(form->focusWidget(), form->okButton());
        WhenModal([&](QWidget *inner) {
            if (!Expect<TLocalDirForm>(inner, &chooser))
                return;
            chooserSeen = true;
            EXPECT_TRUE(chooser.showFiles());
            EXPECT_EQ(chooser.selectedPath(), file);
            EXPECT_EQ(chooser.size(), QSize(TLocalDirForm::ClientWidth, TLocalDirForm::ClientHeight));
            chooser.setPath(folder);
            chooser.okButton()->click();
        });
        form->browseAction()->trigger();
        EXPECT_EQ(form->localEdit()->text(), folder);
        form->remoteEdit()->setText(QStringLiteral("/pub/target"));
        form->okButton()->click();
    });
    EXPECT_TRUE(mainwindow::EditQueueEntry(nullptr, queue, 0, &chooser));
    EXPECT_TRUE(chooserSeen);
    EXPECT_EQ(queue.text(0, queue::LocalPathColumn), folder);
    EXPECT_EQ(queue.text(0, queue::SizeColumn), queue::FolderMarker());
    EXPECT_EQ(queue.entry(0).remotePath(), QByteArray("/pub/target"));
    EXPECT_EQ(queue.text(0, queue::StatusColumn), QString());

    const QList<queue::QueueEntry> before = queue.entries();
    WhenModal([&](QWidget *modal) {
        auto *form = Expect<TQueueInfoForm>(modal);
        if (!form)
            return;
        form->remoteEdit()->setText(QStringLiteral("/elsewhere"));
        form->cancelButton()->click();
    });
    EXPECT_FALSE(mainwindow::EditQueueEntry(nullptr, queue, 0, &chooser));
    EXPECT_EQ(queue.entries(), before);
    EXPECT_FALSE(mainwindow::EditQueueEntry(nullptr, queue, 1, &chooser));
}
