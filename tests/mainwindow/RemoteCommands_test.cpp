// The remote file commands of the main window against the pyftpdlib server,
// each checked on the server's disk afterwards: new folder, rename, move,
// recursive delete, properties with SITE CHMOD, run, the folder chooser,
// and the remote list's keys.

#include "engine/TMFtp.h"
#include "mainwindow/FtpProperty.h"
#include "mainwindow/Main.h"
#include "mainwindow/RemoteDirForm.h"
#include "mainwindow/Startup.h"
#include "sites/ConnectRequest.h"
#include "ui/FileListView.h"
#include "ui/InputDialog.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellOpen.h"
#include "views/FtpListView.h"

#include "../support/EventLoopWait.h"
#include "../support/PrintQString.h"
#include "../support/PyFtpdServer.h"
#include "../support/LocalFiles.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <deque>
#include <functional>
#include <memory>
#include <set>

using namespace mainwindow;
using testsupport::PyFtpdServer;
using testsupport::waitUntil;

namespace {

using testsupport::writeFile;

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Every entry under `root` by relative path; folders end in "/".
std::set<QString> tree(const QString &root)
{
    std::set<QString> out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(root).relativeFilePath(path) + (it.fileInfo().isDir() ? QStringLiteral("/") : QString()));
    }
    return out;
}

struct Asked
{
    QString caption;
    QString prompt;
    QString value;
};

// Runs `fn` once on the first visible modal dialog of type T, from inside
// the dialog's own event loop.
template <typename T>
class OnModal
{
public:
    explicit OnModal(std::function<void(T *)> fn) : fn_(std::move(fn))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            T *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            timer_.stop();
            ++seen;
            fn_(dialog);
        });
        timer_.start();
    }
    int seen = 0;

private:
    std::function<void(T *)> fn_;
    QTimer timer_;
};

class RemoteCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("BRAMBLEWAY_HOME", home.path().toLocal8Bit());
        ASSERT_TRUE(server.isRunning()) << server.errors().toStdString();
        ui::SetMessageBoxHook([this](ui::MessageKind kind, const QString &text) {
            messages << text;
            if (kind != ui::MessageKind::Confirmation)
                return true;
            if (answers.empty())
                return true;
            const bool answer = answers.front();
            answers.pop_front();
            return answer;
        });
        ui::SetInputHook([this](const QString &caption, const QString &prompt, const QString &value) {
            asked.push_back({caption, prompt, value});
            if (typed.empty())
                return std::optional<QString>();
            const std::optional<QString> answer = typed.front();
            typed.pop_front();
            return answer;
        });
        ui::SetOpenHook([this](const QString &path) {
            opened << path;
            return true;
        });
    }
    void TearDown() override
    {
        main.reset();
        ui::SetMessageBoxHook({});
        ui::SetInputHook({});
        ui::SetOpenHook({});
        ui::SetUseSimplified(true);
        qunsetenv("BRAMBLEWAY_HOME");
    }

    QString root() const { return server.root(); }

    void Open()
    {
        ProgramWindows w = CreateProgramWindows({home.filePath(QStringLiteral("Config.ini")), QSize(1024, 768)});
        main.reset(w.mainForm);
        ftp()->SetRetries(0);
        ftp()->SetRetryInterval(0);
        ftp()->SetPassive(true);
        main->show();
        main->setLocalPath(local.path());
        sites::ConnectRequest request;
        request.server = QStringLiteral("127.0.0.1");
        request.port = server.port();
        request.userName = QStringLiteral("user");
        request.password = QStringLiteral("pass");
        main->ConnectToSite(request);
        ASSERT_TRUE(waitUntil([&] { return ftp()->LoggedIn() && !ftp()->Busy(); }, 10000));
        ftp()->AddInfoListener([this](QObject *, FtpInfo info, const QString &text) {
            if (info == infoCommand)
                commands << text.trimmed();
        });
        main->remoteList()->currentView()->setFocus();
    }

    TMFtp *ftp() const { return main->MFtp1(); }

    QStringList Sent(const QString &verb) const
    {
        QStringList out;
        for (const QString &command : commands)
            if (command.startsWith(verb))
                out << command;
        return out;
    }

    void Relist()
    {
        main->RefreshRemoteList(true);
        ASSERT_FALSE(ftp()->Busy());
    }

    // Selects the remote rows with these names (all of them must be listed).
    void Select(const QStringList &names)
    {
        QAbstractItemView *view = main->remoteList()->currentView();
        QAbstractItemModel *model = view->model();
        view->selectionModel()->clearSelection();
        int found = 0;
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, view->rootIndex());
            if (names.contains(index.data().toString())) {
                view->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
                ++found;
            }
        }
        ASSERT_EQ(found, names.size()) << names.join(QLatin1Char(',')).toStdString();
    }

    // Triggers a command as the menu does (enabled by the command table first).
    void Trigger(const char *name)
    {
        main->UpdateCommandStates();
        QAction *a = main->action(QLatin1String(name));
        ASSERT_TRUE(a) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }

    PyFtpdServer server;
    QTemporaryDir home;
    QTemporaryDir local;
    std::unique_ptr<TMainForm> main;
    QStringList messages;
    std::deque<bool> answers;
    std::vector<Asked> asked;
    std::deque<std::optional<QString>> typed;
    QStringList opened;
    QStringList commands;
};

TEST_F(RemoteCommands, NewFolderCreatesItRefusesAListedNameAndAForbiddenOne)
{
    QDir(root()).mkpath(QStringLiteral("pub"));
    Open();

    typed = {QStringLiteral("新文件夹")};
    Trigger("mmiRemoteFileCreateDirectory");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("新建远程文件夹"));
    EXPECT_EQ(asked[0].prompt, QStringLiteral("请输入新文件夹的名称."));
    EXPECT_EQ(asked[0].value, QString());
    EXPECT_TRUE(QFileInfo(root() + QStringLiteral("/新文件夹")).isDir());
    EXPECT_GE(ftp()->FolderIndex(QStringLiteral("新文件夹").toUtf8()), 0) << "listed again";

    typed = {QStringLiteral("pub")};
    Trigger("RemoteFileCreateDirectory");
    EXPECT_EQ(messages, QStringList{QStringLiteral("   远程文件夹“pub”已经存在，创建文件夹失败！\r")});

    typed = {QStringLiteral("a:b")};
    main->RemoteFileCreateDirectoryClick();
    EXPECT_EQ(messages.value(1), ui::ForbiddenNameText());
    EXPECT_EQ(Sent(QStringLiteral("MKD")), QStringList{QStringLiteral("MKD 新文件夹")});

    main->SetLanguage(false);
    typed = {QStringLiteral("pub")};
    main->RemoteFileCreateDirectoryClick();
    EXPECT_EQ(asked.back().caption, QStringLiteral("新建遠程文件夾"));
    EXPECT_EQ(asked.back().prompt, QStringLiteral("請輸入新文件夾的名稱."));
    EXPECT_EQ(messages.value(2), QStringLiteral("   遠程文件夾“pub”已經存在，創建文件夾失敗！\r"));
    EXPECT_EQ(main->operationMode(), omIdle);
}

TEST_F(RemoteCommands, RenameAsksForEachItemInListOrderAndACancelSkipsOnlyThatOne)
{
    writeFile(root() + QStringLiteral("/a.txt"), "a");
    writeFile(root() + QStringLiteral("/b.txt"), "b");
    QDir(root()).mkpath(QStringLiteral("c"));
    Open();
    Select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c")});

    // c: a forbidden name first (asked again), then c2; a.txt: cancelled;
    // b.txt: 文件.txt.
    typed = {QStringLiteral("c:2"), QStringLiteral("c2"), std::nullopt, QStringLiteral("文件.txt")};
    Trigger("mmiRemoteFileReName");

    ASSERT_EQ(asked.size(), 4u);
    QStringList values;
    for (const Asked &a : asked) {
        EXPECT_EQ(a.caption, QStringLiteral("远程重命名"));
        EXPECT_EQ(a.prompt, QStringLiteral("请输入新文件名称."));
        values << a.value;
    }
    EXPECT_EQ(values, (QStringList{QStringLiteral("c"), QStringLiteral("c"), QStringLiteral("a.txt"),
                                   QStringLiteral("b.txt")}));
    EXPECT_EQ(messages, QStringList{ui::ForbiddenNameText()});
    EXPECT_EQ(tree(root()), (std::set<QString>{QStringLiteral("a.txt"), QStringLiteral("c2/"),
                                               QStringLiteral("文件.txt")}));
    EXPECT_GE(ftp()->FolderIndex("c2"), 0) << "listed again";
    EXPECT_EQ(main->operationMode(), omIdle);

    // An unchanged name sends nothing.
    Select({QStringLiteral("a.txt")});
    typed = {QStringLiteral("a.txt")};
    commands.clear();
    main->RemoteFileReNameClick();
    EXPECT_TRUE(Sent(QStringLiteral("RN")).isEmpty()) << commands.join(QLatin1Char('\n')).toStdString();
}

TEST_F(RemoteCommands, MoveIntoASubfolderAndNothingWhenTheValueIsUnchangedOrForbidden)
{
    writeFile(root() + QStringLiteral("/a.txt"), "a");
    writeFile(root() + QStringLiteral("/b.txt"), "b");
    writeFile(root() + QStringLiteral("/stay.txt"), "s");
    QDir(root()).mkpath(QStringLiteral("sub"));
    Open();

    Select({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    typed = {QStringLiteral("/")};
    Trigger("RemoteFileMove");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("移动文件"));
    EXPECT_EQ(asked[0].prompt, QStringLiteral("将文件移动到..."));
    EXPECT_EQ(asked[0].value, QStringLiteral("/"));
    typed = {QStringLiteral("/s*b")};
    main->RemoteFileMoveClick();
    EXPECT_TRUE(Sent(QStringLiteral("RN")).isEmpty()) << commands.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages.isEmpty());

    typed = {QStringLiteral("/sub")};
    main->RemoteFileMoveClick();
    EXPECT_EQ(tree(root()), (std::set<QString>{QStringLiteral("stay.txt"), QStringLiteral("sub/"),
                                               QStringLiteral("sub/a.txt"), QStringLiteral("sub/b.txt")}));
    EXPECT_LT(ftp()->FileList().IndexOfName("a.txt"), 0) << "listed again";
    EXPECT_EQ(main->operationMode(), omIdle);
}

TEST_F(RemoteCommands, DeleteAsksWithTheRightTextAndRemovesWholeTrees)
{
    writeFile(root() + QStringLiteral("/tree/x/y/z.txt"), "z");
    writeFile(root() + QStringLiteral("/tree/top.txt"), "t");
    writeFile(root() + QStringLiteral("/one.txt"), "1");
    writeFile(root() + QStringLiteral("/two.txt"), "2");
    QDir(root()).mkpath(QStringLiteral("empty"));
    writeFile(root() + QStringLiteral("/keep.txt"), "k");
    Open();

    const bool cache = ftp()->Cache();
    Select({QStringLiteral("tree")});
    answers = {false};
    Trigger("mmiRemoteFileDelete");
    Select({QStringLiteral("one.txt")});
    answers = {false};
    main->RemoteFileDeleteClick();
    EXPECT_EQ(messages, (QStringList{QStringLiteral("   您是否确定要删除“tree”目录？"),
                                     QStringLiteral("   您是否确定要删除“one.txt”文件？")}));
    EXPECT_EQ(tree(root()).size(), 9u) << "nothing deleted";

    Select({QStringLiteral("tree")});
    main->RemoteFileDeleteClick();
    EXPECT_FALSE(QFileInfo::exists(root() + QStringLiteral("/tree")));
    Select({QStringLiteral("empty"), QStringLiteral("one.txt"), QStringLiteral("two.txt")});
    main->RemoteFileDeleteClick();
    EXPECT_EQ(messages.value(3), QStringLiteral("   您是否确定要删除 3 个选定的文件或目录？"));
    EXPECT_EQ(tree(root()), std::set<QString>{QStringLiteral("keep.txt")});
    EXPECT_EQ(main->remoteList()->ItemCount(), 1) << "listed again";
    EXPECT_EQ(main->operationMode(), omIdle);
    EXPECT_EQ(ftp()->Cache(), cache);
    EXPECT_EQ(ftp()->CurrentDirectory(), QByteArray("/"));

    main->SetLanguage(false);
    Select({QStringLiteral("keep.txt")});
    answers = {false};
    main->RemoteFileDeleteClick();
    EXPECT_EQ(messages.back(), QStringLiteral("   您是否確定要刪除“keep.txt”文件？"));

    // Only while the remote list has the focus.
    main->localList()->currentView()->setFocus();
    const qsizetype before = messages.size();
    main->RemoteFileDeleteClick();
    EXPECT_EQ(messages.size(), before);
}

TEST_F(RemoteCommands, PropertiesShowTheMergedPermissionsAndSendChmodOnlyForAChange)
{
    writeFile(root() + QStringLiteral("/a.txt"), "12345");
    writeFile(root() + QStringLiteral("/b.sh"), "#!/bin/sh\n");
    ASSERT_EQ(::chmod(QFile::encodeName(root() + QStringLiteral("/a.txt")).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(root() + QStringLiteral("/b.sh")).constData(), 0744), 0);
    Open();

    // Two files: merged text and value; OK without a change sends nothing.
    Select({QStringLiteral("a.txt"), QStringLiteral("b.sh")});
    QString name, value, location;
    {
        OnModal<TPropertyForm> watch([&](TPropertyForm *form) {
            name = form->nameBox()->text();
            value = form->Value();
            location = form->locationLabel()->text();
            EXPECT_EQ(form->PermissionText(), QStringLiteral("-rw-r--r--"));
            form->okButton()->click();
        });
        Trigger("mmiRemoteFileProperty");
        EXPECT_EQ(watch.seen, 1);
    }
    EXPECT_EQ(name, QStringLiteral("选择：0 个文件夹,2 个文件"));
    EXPECT_EQ(value, QStringLiteral("644"));
    EXPECT_EQ(location, QStringLiteral("位置：/"));
    EXPECT_TRUE(Sent(QStringLiteral("SITE")).isEmpty());

    // A change goes to both files, in list order, and the list is read again.
    Select({QStringLiteral("a.txt"), QStringLiteral("b.sh")});
    {
        OnModal<TPropertyForm> watch([&](TPropertyForm *form) {
            form->findChild<QCheckBox *>(QStringLiteral("GroupWrite"))->click();
            form->okButton()->click();
        });
        main->RemoteFilePropertyClick();
        EXPECT_EQ(watch.seen, 1);
    }
    EXPECT_EQ(Sent(QStringLiteral("SITE")),
              (QStringList{QStringLiteral("SITE CHMOD 664 a.txt"), QStringLiteral("SITE CHMOD 664 b.sh")}));
    EXPECT_EQ(modeOf(root() + QStringLiteral("/a.txt")), 0664);
    EXPECT_EQ(modeOf(root() + QStringLiteral("/b.sh")), 0664);

    // One file: its own texts; 800 typed sends nothing.
    Select({QStringLiteral("a.txt")});
    QString type, size, date;
    {
        OnModal<TPropertyForm> watch([&](TPropertyForm *form) {
            name = form->nameBox()->text();
            type = form->typeLabel()->text();
            size = form->sizeLabel()->text();
            date = form->dateLabel()->text();
            value = form->Value();
            form->valueBox()->setText(QStringLiteral("800"));
            form->okButton()->click();
        });
        main->RemoteFilePropertyClick();
    }
    EXPECT_EQ(name, QStringLiteral("a.txt"));
    EXPECT_TRUE(type.startsWith(QStringLiteral("类型："))) << type.toStdString();
    EXPECT_GT(type.size(), 3);
    EXPECT_EQ(size, QStringLiteral("大小：5 字节"));
    EXPECT_TRUE(date.startsWith(QStringLiteral("日期："))) << date.toStdString();
    EXPECT_GT(date.size(), 3);
    EXPECT_EQ(value, QStringLiteral("664"));
    EXPECT_EQ(Sent(QStringLiteral("SITE")).size(), 2);
    EXPECT_EQ(modeOf(root() + QStringLiteral("/a.txt")), 0664);

    // Close sends nothing either.
    {
        OnModal<TPropertyForm> watch([&](TPropertyForm *form) {
            form->findChild<QCheckBox *>(QStringLiteral("PublicWrite"))->click();
            form->closeButton()->click();
        });
        main->RemoteFilePropertyClick();
    }
    EXPECT_EQ(Sent(QStringLiteral("SITE")).size(), 2);
    EXPECT_EQ(main->operationMode(), omIdle);
}

TEST_F(RemoteCommands, PropertiesOfAFolderInTraditional)
{
    QDir(root()).mkpath(QStringLiteral("文档"));
    ASSERT_EQ(::chmod(QFile::encodeName(root() + QStringLiteral("/文档")).constData(), 0755), 0);
    Open();
    main->SetLanguage(false);
    Select({QStringLiteral("文档")});
    QString type, size, value, title;
    OnModal<TPropertyForm> watch([&](TPropertyForm *form) {
        title = form->windowTitle();
        type = form->typeLabel()->text();
        size = form->sizeLabel()->text();
        value = form->Value();
        form->closeButton()->click();
    });
    main->RemoteFilePropertyClick();
    EXPECT_EQ(title, QStringLiteral("屬性"));
    EXPECT_EQ(type, QStringLiteral("類型：文件夾"));
    EXPECT_EQ(size, QStringLiteral("大小："));
    EXPECT_EQ(value, QStringLiteral("755"));
}

TEST_F(RemoteCommands, RunDownloadsTheFileAndOpensItOnlyWithTheListedSize)
{
    writeFile(root() + QStringLiteral("/说明.txt"), "hello");
    writeFile(root() + QStringLiteral("/empty.txt"), QByteArray());
    Open();

    Select({QStringLiteral("说明.txt")});
    Trigger("mmiRemoteFileExecute");
    const QString path = local.filePath(QStringLiteral("说明.txt"));
    EXPECT_EQ(opened, QStringList{path});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("hello"));

    Select({QStringLiteral("empty.txt")});
    main->RemoteFileExecuteClick();
    EXPECT_TRUE(QFileInfo::exists(local.filePath(QStringLiteral("empty.txt"))));
    EXPECT_EQ(opened.size(), 1) << "a file listed with size 0 is not opened";
    EXPECT_EQ(main->operationMode(), omIdle);
    EXPECT_EQ(main->queueModel()->count(), 0);
}

TEST_F(RemoteCommands, ChooserCancelGoesBackToTheStartFolderAndOkStays)
{
    QDir(root()).mkpath(QStringLiteral("pub/in"));
    Open();
    ASSERT_TRUE(main->remoteDirForm());

    auto navigate = [this](TRemoteDirForm *form) {
        views::TMFtpTreeView *tree = form->tree();
        tree->SelectPath("/pub/in");
        QTreeWidgetItem *in = tree->CurrentNode();
        tree->SelectPath(ftp()->CurrentDirectory());
        tree->NavigateTo(in);
        EXPECT_TRUE(waitUntil([&] { return !ftp()->Busy() && ftp()->CurrentDirectory() == "/pub/in"; }, 10000));
    };
    QString title, ok;
    {
        OnModal<TRemoteDirForm> watch([&](TRemoteDirForm *form) {
            title = form->windowTitle();
            ok = form->okButton()->text();
            navigate(form);
            form->cancelButton()->click();
        });
        Trigger("mmiRemoteFileViewDirectory");
        EXPECT_EQ(watch.seen, 1);
    }
    EXPECT_EQ(title, QStringLiteral("浏览远程目录"));
    EXPECT_EQ(ok, QStringLiteral("确  定"));
    EXPECT_EQ(ftp()->CurrentDirectory(), QByteArray("/"));
    EXPECT_FALSE(ftp()->Busy());

    main->SetLanguage(false);
    {
        OnModal<TRemoteDirForm> watch([&](TRemoteDirForm *form) {
            title = form->windowTitle();
            navigate(form);
            form->okButton()->click();
        });
        main->RemoteFileViewDirectoryClick();
    }
    EXPECT_EQ(title, QStringLiteral("浏覽遠程目錄"));
    EXPECT_EQ(ftp()->CurrentDirectory(), QByteArray("/pub/in"));
}

// The keys of the remote list reach its commands only while it has the focus.
TEST_F(RemoteCommands, TheRemoteListsKeys)
{
    writeFile(root() + QStringLiteral("/a.txt"), "abc");
    writeFile(root() + QStringLiteral("/b.txt"), "b");
    QDir(root()).mkpath(QStringLiteral("dir"));
    Open();
    QApplication::setActiveWindow(main.get());
    QAbstractItemView *view = main->remoteList()->currentView();
    view->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(view->hasFocus());
    auto key = [&](int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        // The window is active again after a dialog closes, as on a desktop.
        QApplication::setActiveWindow(main.get());
        view->setFocus();
        main->UpdateCommandStates();
        QTest::keyClick(view, Qt::Key(k), modifiers);
        QCoreApplication::processEvents();
    };

    Select({QStringLiteral("a.txt")});
    answers = {false};
    key(Qt::Key_Delete);
    EXPECT_EQ(messages.value(0), QStringLiteral("   您是否确定要删除“a.txt”文件？"));

    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char *caption;
    } asking[] = {
        {Qt::Key_F2, Qt::NoModifier, "远程重命名"},
        {Qt::Key_M, Qt::ControlModifier, "移动文件"},
        {Qt::Key_Insert, Qt::NoModifier, "新建远程文件夹"},
    };
    for (const auto &k : asking) {
        Select({QStringLiteral("a.txt")});
        const size_t before = asked.size();
        key(k.key, k.modifiers);
        ASSERT_EQ(asked.size(), before + 1) << k.caption;
        EXPECT_EQ(asked.back().caption, QString::fromUtf8(k.caption));
    }

    for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::ControlModifier),
                                                   Qt::KeyboardModifiers(Qt::AltModifier)}) {
        Select({QStringLiteral("a.txt")});
        OnModal<TPropertyForm> watch([](TPropertyForm *form) { form->closeButton()->click(); });
        key(modifiers == Qt::ControlModifier ? Qt::Key_R : Qt::Key_Return, modifiers);
        EXPECT_EQ(watch.seen, 1);
        EXPECT_EQ(ftp()->CurrentDirectory(), QByteArray("/"));
    }
    {
        OnModal<TRemoteDirForm> watch([](TRemoteDirForm *form) { form->cancelButton()->click(); });
        key(Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(watch.seen, 1);
    }

    Select({QStringLiteral("a.txt")});
    key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(opened, QStringList{local.filePath(QStringLiteral("a.txt"))});

    // pyftpdlib offers MLSD, so folders are listed with it.
    const qsizetype lists = Sent(QStringLiteral("MLSD")).size();
    key(Qt::Key_F5);
    EXPECT_EQ(Sent(QStringLiteral("MLSD")).size(), lists + 1);

    Select({QStringLiteral("a.txt")});
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(main->remoteList()->SelectedFiles().size() + main->remoteList()->SelectedFolders().size(), 3);
    key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(main->remoteList()->SelectedFiles().isEmpty());
    Select({QStringLiteral("b.txt")});
    key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(main->remoteList()->SelectedFiles(), QList<QByteArray>{"a.txt"});
    EXPECT_EQ(main->remoteList()->SelectedFolders(), QList<QByteArray>{"dir"});

    // Enter opens the selected folder, Backspace goes back.
    Select({QStringLiteral("dir")});
    view->selectionModel()->setCurrentIndex(view->selectionModel()->selectedIndexes().value(0),
                                            QItemSelectionModel::NoUpdate);
    key(Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return !ftp()->Busy() && ftp()->CurrentDirectory() == "/dir"; }, 5000));
    key(Qt::Key_Backspace);
    EXPECT_TRUE(waitUntil([&] { return !ftp()->Busy() && ftp()->CurrentDirectory() == "/"; }, 5000));

    // With the focus in the local pane the same keys are not the remote ones.
    Select({QStringLiteral("a.txt")});
    main->localList()->currentView()->setFocus();
    QCoreApplication::processEvents();
    const size_t askedBefore = asked.size();
    const qsizetype messagesBefore = messages.size();
    for (const int k : {int(Qt::Key_Delete), int(Qt::Key_F2), int(Qt::Key_Insert)}) {
        main->UpdateCommandStates();
        QTest::keyClick(main->localList()->currentView(), Qt::Key(k));
    }
    for (size_t i = askedBefore; i < asked.size(); ++i)
        EXPECT_FALSE(asked[i].caption.contains(QStringLiteral("远程"))) << asked[i].caption.toStdString();
    for (qsizetype i = messagesBefore; i < messages.size(); ++i)
        EXPECT_FALSE(messages[i].contains(QStringLiteral("a.txt"))) << messages[i].toStdString();
}

} // namespace
