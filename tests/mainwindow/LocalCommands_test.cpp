// The local pane's commands on a temporary folder: the trash and deleting
// for good with their questions, rename and new folder with their name
// checks, cut, copy and paste through the real clipboard (also lists a file
// manager put there), the keys of the list, the pop-up's sort submenu, the
// properties dialog, the folder chooser, and the selection in every view
// style.

#include "mainwindow/LocalProperty.h"
#include "mainwindow/Main.h"
#include "mainwindow/Startup.h"
#include "mainwindow/ViewLocalDir.h"
#include "platform/FileClipboard.h"
#include "ui/FileListView.h"
#include "ui/InputDialog.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellOpen.h"

#include "../support/EventLoopWait.h"
#include "../support/PrintQString.h"
#include "../support/LocalFiles.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include <sys/stat.h>

using namespace mainwindow;
using testsupport::waitUntil;

namespace {

using testsupport::readFile;
using testsupport::writeFile;

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct Question
{
    ui::MessageKind kind;
    QString text;
};

struct Asked
{
    QString caption, prompt, value;
};

class LocalCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("BRAMBLEWAY_HOME", home.path().toLocal8Bit());
        hadXdg_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        oldXdg_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
        ui::SetMessageBoxHook([this](ui::MessageKind kind, const QString &text) {
            questions.push_back({kind, text});
            if (answers.empty())
                return true;
            const bool a = answers.front();
            answers.pop_front();
            return a;
        });
        ui::SetInputHook([this](const QString &caption, const QString &prompt, const QString &value) {
            asked.push_back({caption, prompt, value});
            if (typed.empty())
                return std::optional<QString>();
            const std::optional<QString> t = typed.front();
            typed.pop_front();
            return t;
        });
        ui::SetOpenHook([this](const QString &path) {
            opened << path;
            return true;
        });
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        main.reset();
        ui::SetMessageBoxHook({});
        ui::SetInputHook({});
        ui::SetOpenHook({});
        ui::SetUseSimplified(true);
        QGuiApplication::clipboard()->clear();
        if (hadXdg_)
            qputenv("XDG_DATA_HOME", oldXdg_);
        else
            qunsetenv("XDG_DATA_HOME");
        qunsetenv("BRAMBLEWAY_HOME");
    }

    void open()
    {
        ProgramWindows w = CreateProgramWindows({home.filePath(QStringLiteral("Config.ini")), QSize(1024, 768)});
        main.reset(w.mainForm);
        main->show();
        QApplication::setActiveWindow(main.get());
        main->setLocalPath(work.path());
        waitForRows(int(entries(work.path()).size()));
    }

    QAbstractItemView *view() const { return main->localList()->currentView(); }
    QString trash() const { return dataHome.path() + QStringLiteral("/Trash"); }

    void waitForRows(int rows)
    {
        ASSERT_TRUE(waitUntil([&] { return view()->model()->rowCount(view()->rootIndex()) == rows; }, 5000))
            << view()->model()->rowCount(view()->rootIndex()) << " rows instead of " << rows;
    }

    // Selects these names as a click or a drag of the mouse does in the
    // current view style: whole rows in the report, single cells otherwise.
    void select(const QStringList &names)
    {
        QAbstractItemView *v = view();
        QAbstractItemModel *model = v->model();
        v->selectionModel()->clearSelection();
        const QItemSelectionModel::SelectionFlags flags = main->localList()->viewStyle() == ui::vsReport
            ? QItemSelectionModel::Select | QItemSelectionModel::Rows
            : QItemSelectionModel::Select;
        int found = 0;
        for (int row = 0; row < model->rowCount(v->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, v->rootIndex());
            if (names.contains(index.data().toString())) {
                v->selectionModel()->select(index, flags);
                ++found;
            }
        }
        ASSERT_EQ(found, names.size());
    }

    void focusList()
    {
        QApplication::setActiveWindow(main.get());
        view()->setFocus();
        QCoreApplication::processEvents();
    }

    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        main->UpdateCommandStates();
        QTest::keyClick(view(), Qt::Key(k), modifiers);
        QCoreApplication::processEvents();
    }

    std::optional<platform::ClipboardFiles> clipboardFiles() const
    {
        return platform::fileListFrom(QGuiApplication::clipboard()->mimeData());
    }

    QTemporaryDir home, dataHome, work;
    std::unique_ptr<TMainForm> main;
    std::vector<Question> questions;
    std::deque<bool> answers;
    std::vector<Asked> asked;
    std::deque<std::optional<QString>> typed;
    QStringList opened;
    bool hadXdg_ = false;
    QByteArray oldXdg_;
};

} // namespace

TEST_F(LocalCommands, DeletingToTheTrashAsksTheRecycleBinQuestions)
{
    writeFile(work.filePath(QStringLiteral("a.txt")), "alpha");
    writeFile(work.filePath(QStringLiteral("目录/inner.txt")), "inner");
    writeFile(work.filePath(QStringLiteral("b.txt")), "beta");
    writeFile(work.filePath(QStringLiteral("c.txt")), "gamma");
    open();
    focusList();
    struct Case
    {
        QStringList names;
        QString question;
        bool answer;
    };
    const Case cases[] = {
        {{QStringLiteral("a.txt")}, QStringLiteral("   您是否确定要发送“a.txt”文件到回收站？"), false},
        {{QStringLiteral("a.txt")}, QStringLiteral("   您是否确定要发送“a.txt”文件到回收站？"), true},
        {{QStringLiteral("目录")}, QStringLiteral("   您是否确定要发送“目录”目录到回收站？"), true},
        {{QStringLiteral("b.txt"), QStringLiteral("c.txt")}, QStringLiteral("   您是否确定要发送 2 个选定的文件或目录到回收站？"), true},
    };
    int rows = 4;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.question.toStdString());
        select(c.names);
        questions.clear();
        answers = {c.answer};
        main->action(QStringLiteral("mmiLocalFileDelete"))->trigger();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].kind, ui::MessageKind::Confirmation);
        EXPECT_EQ(questions[0].text, c.question);
        for (const QString &name : c.names) {
            EXPECT_EQ(QFileInfo::exists(work.filePath(name)), !c.answer);
            if (!c.answer)
                continue;
            // The item and its record of where it came from.
            EXPECT_TRUE(QFileInfo::exists(trash() + QStringLiteral("/files/") + name));
            const QByteArray info = readFile(trash() + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
            EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + QFile::encodeName(work.filePath(name)).toPercentEncoding("/")
                                        + "\nDeletionDate="))
                << info.toStdString();
        }
        if (c.answer)
            rows -= int(c.names.size());
        waitForRows(rows);
    }
    EXPECT_EQ(readFile(trash() + QStringLiteral("/files/目录/inner.txt")), "inner");
    EXPECT_EQ(readFile(trash() + QStringLiteral("/files/c.txt")), "gamma");
    EXPECT_EQ(entries(trash() + QStringLiteral("/info")).size(), 4);
}

TEST_F(LocalCommands, ShiftDeleteAsksThePermanentQuestionAndLeavesNothingInTheTrash)
{
    writeFile(work.filePath(QStringLiteral("a.txt")), "alpha");
    writeFile(work.filePath(QStringLiteral("b.txt")), "beta");
    writeFile(work.filePath(QStringLiteral("tree/x/y.txt")), "y");
    writeFile(work.filePath(QStringLiteral("keep.txt")), "keep");
    open();
    focusList();

    // The handler with its parameter.
    select({QStringLiteral("a.txt")});
    main->LocalFileDelete(true);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, QStringLiteral("   您是否确定要删除“a.txt”文件？"));
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("a.txt"))));
    waitForRows(3);

    // The keys of the list, in the other language: Shift+Del for good...
    main->SetLanguage(false);
    select({QStringLiteral("tree")});
    key(Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].text, QStringLiteral("   您是否確定要刪除“tree”目錄？"));
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("tree"))));
    EXPECT_FALSE(QFileInfo::exists(trash() + QStringLiteral("/files/tree")));
    waitForRows(2);
    // ... and Del to the trash.
    select({QStringLiteral("b.txt")});
    key(Qt::Key_Delete);
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[2].text, QStringLiteral("   您是否確定要發送“b.txt”文件到回收站？"));
    EXPECT_EQ(readFile(trash() + QStringLiteral("/files/b.txt")), "beta");
    waitForRows(1);

    // Several for good name their number.
    writeFile(work.filePath(QStringLiteral("c.txt")), "c");
    waitForRows(2);
    select({QStringLiteral("c.txt"), QStringLiteral("keep.txt")});
    answers = {false};
    main->LocalFileDelete(true);
    EXPECT_EQ(questions.back().text, QStringLiteral("   您是否確定要刪除 2 個選定的文件或目錄？"));
    EXPECT_EQ(readFile(work.filePath(QStringLiteral("keep.txt"))), "keep");

    // The delete command acts only while the list has the focus.
    main->remoteList()->currentView()->setFocus();
    QCoreApplication::processEvents();
    const size_t before = questions.size();
    main->LocalFileDeleteClick();
    EXPECT_EQ(questions.size(), before);
    EXPECT_TRUE(QFileInfo::exists(work.filePath(QStringLiteral("keep.txt"))));
}

TEST_F(LocalCommands, AFailedTrashIsReportedAndTheItemStays)
{
    writeFile(work.filePath(QStringLiteral("a.txt")), "alpha");
    // A file where the trash folder should be: no trash can be made.
    writeFile(trash(), "in the way");
    open();
    focusList();
    select({QStringLiteral("a.txt")});
    main->LocalFileDelete(false);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].kind, ui::MessageKind::Error);
    EXPECT_TRUE(questions[1].text.startsWith(QStringLiteral("   以下项目未能移到回收站：\n“") + work.filePath(QStringLiteral("a.txt"))))
        << questions[1].text.toStdString();
    EXPECT_EQ(readFile(work.filePath(QStringLiteral("a.txt"))), "alpha");
}

TEST_F(LocalCommands, RenameAsksAgainAfterAForbiddenNameAndNeverOverwrites)
{
    writeFile(work.filePath(QStringLiteral("a.txt")), "alpha");
    writeFile(work.filePath(QStringLiteral("b.txt")), "beta");
    writeFile(work.filePath(QStringLiteral("d.txt")), "delta");
    open();
    focusList();
    select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("d.txt")});
    typed = {QStringLiteral("x?.txt"), QStringLiteral("c.txt"), std::nullopt, QStringLiteral("c.txt")};
    key(Qt::Key_F2);

    ASSERT_EQ(asked.size(), 4u);
    for (const Asked &a : asked) {
        EXPECT_EQ(a.caption, QStringLiteral("本地重命名"));
        EXPECT_EQ(a.prompt, QStringLiteral("请输入新文件名称."));
    }
    EXPECT_EQ(asked[0].value, QStringLiteral("a.txt"));
    EXPECT_EQ(asked[1].value, QStringLiteral("x?.txt")); // asked again with what was typed
    EXPECT_EQ(asked[2].value, QStringLiteral("b.txt"));  // cancelled: b stays
    EXPECT_EQ(asked[3].value, QStringLiteral("d.txt"));
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].text, ui::ForbiddenNameText());
    EXPECT_EQ(questions[1].text, QStringLiteral("   本地重新命名失败 ")); // c.txt exists by then
    EXPECT_EQ(readFile(work.filePath(QStringLiteral("c.txt"))), "alpha");
    EXPECT_EQ(readFile(work.filePath(QStringLiteral("b.txt"))), "beta");
    EXPECT_EQ(readFile(work.filePath(QStringLiteral("d.txt"))), "delta");
    EXPECT_EQ(entries(work.path()), QStringList({QStringLiteral("b.txt"), QStringLiteral("c.txt"), QStringLiteral("d.txt")}));
}

TEST_F(LocalCommands, NewFolderChecksTheNameAndAnExistingFolder)
{
    open();
    focusList();
    struct Case
    {
        std::optional<QString> typed;
        QString error; // empty: none
        QStringList after;
    };
    const Case cases[] = {
        {std::nullopt, QString(), {}},
        {QString(), QString(), {}},
        {QStringLiteral("a:b"), ui::ForbiddenNameText(), {}},
        {QStringLiteral("新文件夹"), QString(), {QStringLiteral("新文件夹")}},
        {QStringLiteral("新文件夹"), QStringLiteral("   本地文件夹“新文件夹”已经存在，创建文件夹失败！\r"), {QStringLiteral("新文件夹")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.value_or(QStringLiteral("<cancel>")).toStdString());
        questions.clear();
        asked.clear();
        typed = {c.typed};
        key(Qt::Key_Insert);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].caption, QStringLiteral("新建本地文件夹"));
        EXPECT_EQ(asked[0].prompt, QStringLiteral("请输入新文件夹的名称."));
        EXPECT_EQ(asked[0].value, QString());
        if (c.error.isEmpty()) {
            EXPECT_TRUE(questions.empty());
        } else {
            ASSERT_EQ(questions.size(), 1u);
            EXPECT_EQ(questions[0].kind, ui::MessageKind::Error);
            EXPECT_EQ(questions[0].text, c.error);
        }
        EXPECT_EQ(entries(work.path()), c.after);
    }
    main->SetLanguage(false);
    typed = {QStringLiteral("新文件夹")};
    main->LocalFileCreateDirectoryClick();
    EXPECT_EQ(asked.back().caption, QStringLiteral("新建本地文件夾"));
    EXPECT_EQ(asked.back().prompt, QStringLiteral("請輸入新文件夾的名稱."));
    EXPECT_EQ(questions.back().text, QStringLiteral("   本地文件夾“新文件夹”已經存在，創建文件夾失敗！\r"));
}

TEST_F(LocalCommands, CutCopyAndPasteGoThroughTheSystemClipboard)
{
    QTemporaryDir target;
    writeFile(work.filePath(QStringLiteral("a.txt")), "alpha");
    writeFile(work.filePath(QStringLiteral("tree/inner.txt")), "inner");
    writeFile(target.filePath(QStringLiteral("a.txt")), "old alpha");
    open();
    focusList();
    main->UpdateCommandStates();
    EXPECT_FALSE(main->action(QStringLiteral("mmiLocalFilePast"))->isEnabled());

    select({QStringLiteral("a.txt"), QStringLiteral("tree")});
    key(Qt::Key_C, Qt::ControlModifier);
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    const QByteArray a = QUrl::fromLocalFile(work.filePath(QStringLiteral("a.txt"))).toEncoded();
    const QByteArray tree = QUrl::fromLocalFile(work.filePath(QStringLiteral("tree"))).toEncoded();
    // In the list's order: folders first.
    EXPECT_EQ(mime->data(QStringLiteral("x-special/gnome-copied-files")), "copy\n" + tree + "\n" + a);
    EXPECT_EQ(mime->data(QStringLiteral("text/uri-list")), tree + "\r\n" + a + "\r\n");
    EXPECT_TRUE(main->localClipboardHasFiles());

    // Pasted twice into a folder that already has an a.txt: new names only.
    main->setLocalPath(target.path());
    waitForRows(1);
    main->UpdateCommandStates();
    EXPECT_TRUE(main->action(QStringLiteral("mmiLocalFilePast"))->isEnabled());
    EXPECT_TRUE(main->toolButton(QStringLiteral("LocalFileToolPast"))->isEnabled());
    key(Qt::Key_V, Qt::ControlModifier);
    main->action(QStringLiteral("LocalFilePast"))->trigger();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(entries(target.path()), QStringList({QStringLiteral("a (2).txt"), QStringLiteral("a (3).txt"),
                                                   QStringLiteral("a.txt"), QStringLiteral("tree"),
                                                   QStringLiteral("tree (2)")}));
    EXPECT_EQ(readFile(target.filePath(QStringLiteral("a.txt"))), "old alpha");
    EXPECT_EQ(readFile(target.filePath(QStringLiteral("a (3).txt"))), "alpha");
    EXPECT_EQ(readFile(target.filePath(QStringLiteral("tree (2)/inner.txt"))), "inner");
    EXPECT_EQ(readFile(work.filePath(QStringLiteral("a.txt"))), "alpha"); // a copy keeps the originals

    // A cut moves, and afterwards there is nothing left to paste.
    main->setLocalPath(work.path());
    waitForRows(2);
    select({QStringLiteral("a.txt")});
    key(Qt::Key_X, Qt::ControlModifier);
    ASSERT_TRUE(clipboardFiles().has_value());
    EXPECT_TRUE(clipboardFiles()->cut);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("x-special/gnome-copied-files")), "cut\n" + a);
    main->setLocalPath(target.path());
    waitForRows(5);
    main->LocalFilePastClick();
    EXPECT_EQ(readFile(target.filePath(QStringLiteral("a (4).txt"))), "alpha");
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("a.txt"))));
    EXPECT_FALSE(main->localClipboardHasFiles());
    main->UpdateCommandStates();
    EXPECT_FALSE(main->action(QStringLiteral("mmiLocalFilePast"))->isEnabled());
}

TEST_F(LocalCommands, ListsThatFileManagersPutOnTheClipboardArePasted)
{
    QTemporaryDir source;
    writeFile(source.filePath(QStringLiteral("from-gnome.txt")), "g");
    writeFile(source.filePath(QStringLiteral("from-kde.txt")), "k");
    writeFile(source.filePath(QStringLiteral("copied.txt")), "c");
    open();
    struct Case
    {
        const char *format;
        QByteArray (*content)(const QString &path);
        const char *name;
        bool moved;
    };
    const Case cases[] = {
        {"x-special/gnome-copied-files",
         [](const QString &p) { return "cut\n" + QUrl::fromLocalFile(p).toEncoded() + "\n"; }, "from-gnome.txt", true},
        {"text/uri-list", [](const QString &p) { return QUrl::fromLocalFile(p).toEncoded() + "\r\n"; }, "from-kde.txt",
         true},
        {"text/uri-list", [](const QString &p) { return QUrl::fromLocalFile(p).toEncoded() + "\r\n"; }, "copied.txt",
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = source.filePath(QLatin1String(c.name));
        auto *mime = new QMimeData;
        mime->setData(QLatin1String(c.format), c.content(path));
        if (c.moved && QLatin1String(c.format) == QLatin1String("text/uri-list"))
            mime->setData(QStringLiteral("application/x-kde-cutselection"), "1");
        QGuiApplication::clipboard()->setMimeData(mime);
        EXPECT_TRUE(main->localClipboardHasFiles());
        main->LocalFilePastClick();
        EXPECT_TRUE(QFileInfo::exists(work.filePath(QLatin1String(c.name))));
        EXPECT_EQ(QFileInfo::exists(path), !c.moved);
    }
    EXPECT_TRUE(questions.empty());

    // Text that is no file list enables nothing.
    QGuiApplication::clipboard()->setText(work.filePath(QStringLiteral("copied.txt")));
    EXPECT_FALSE(main->localClipboardHasFiles());
}

TEST_F(LocalCommands, APasteNamesWhatFailedAndPastesTheRest)
{
    QTemporaryDir source;
    writeFile(source.filePath(QStringLiteral("good.txt")), "good");
    open();
    auto *mime = new QMimeData;
    platform::putFileList(mime, {{source.filePath(QStringLiteral("gone.txt")), source.filePath(QStringLiteral("good.txt")),
                                  work.path()},
                                 false});
    QGuiApplication::clipboard()->setMimeData(mime);
    main->LocalFilePastClick();
    EXPECT_EQ(readFile(work.filePath(QStringLiteral("good.txt"))), "good");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(questions[0].text, QStringLiteral("   以下项目未能粘贴：\n“") + source.filePath(QStringLiteral("gone.txt"))
                                     + QStringLiteral("”：源项目已不存在\n“") + work.path()
                                     + QStringLiteral("”：不能把文件夹粘贴到它自己里面"));
    EXPECT_EQ(entries(work.path()), QStringList({QStringLiteral("good.txt")}));
}

TEST_F(LocalCommands, TheSortSubmenuIsRebuiltAtEachOpeningWithoutDuplicates)
{
    writeFile(work.filePath(QStringLiteral("small.txt")), "1");
    writeFile(work.filePath(QStringLiteral("big.txt")), QByteArray(5000, 'b'));
    writeFile(work.filePath(QStringLiteral("mid.txt")), QByteArray(2000, 'm'));
    open();
    QMenu *popup = main->popupMenu(QStringLiteral("LocalFilePopupMenu"));
    QMenu *sort = main->popupMenu(QStringLiteral("LocalFileSort"));
    QAbstractItemModel *model = main->localList()->model();
    QStringList expected;
    for (int c = 0; c < model->columnCount(); ++c)
        expected << QStringLiteral("按") + model->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(expected.value(0), QStringLiteral("按名称"));
    expected << QStringLiteral("|LocalFileSortBreakLine") << QStringLiteral("升  序") << QStringLiteral("降  序");

    auto contents = [&] {
        QStringList out;
        for (QAction *a : sort->actions())
            out << (a->isSeparator() ? QStringLiteral("|") + a->objectName() : a->text());
        return out;
    };
    auto openMenu = [&] {
        popup->popup(main->localList()->mapToGlobal(QPoint(20, 20)));
        QCoreApplication::processEvents();
        popup->hide();
    };
    auto checked = [&](const QString &text) {
        for (QAction *a : sort->actions())
            if (a->text() == text)
                return a->isChecked();
        return false;
    };
    auto order = [&] {
        QStringList names;
        for (int row = 0; row < model->rowCount(view()->rootIndex()); ++row)
            names << model->index(row, 0, view()->rootIndex()).data().toString();
        return names;
    };

    openMenu();
    EXPECT_EQ(contents(), expected);
    EXPECT_TRUE(checked(QStringLiteral("按名称")));
    EXPECT_TRUE(checked(QStringLiteral("升  序")));
    openMenu();
    EXPECT_EQ(contents(), expected);

    // By size, then descending: the column stays, the order turns.
    for (QAction *a : sort->actions())
        if (a->text() == expected[1])
            a->trigger();
    EXPECT_TRUE(waitUntil([&] { return order() == QStringList({"small.txt", "mid.txt", "big.txt"}); }));
    main->action(QStringLiteral("LocalFileSortDown"))->trigger();
    EXPECT_TRUE(waitUntil([&] { return order() == QStringList({"big.txt", "mid.txt", "small.txt"}); }))
        << order().join(QLatin1Char(' ')).toStdString();
    openMenu();
    EXPECT_EQ(contents(), expected);
    EXPECT_TRUE(checked(expected[1]));
    EXPECT_FALSE(checked(QStringLiteral("按名称")));
    EXPECT_TRUE(checked(QStringLiteral("降  序")));
    EXPECT_FALSE(checked(QStringLiteral("升  序")));

    // The captions follow the language at the next opening.
    main->SetLanguage(false);
    openMenu();
    EXPECT_EQ(sort->actions().size(), expected.size());
    EXPECT_EQ(main->action(QStringLiteral("LocalFileProperty"))->text(), QStringLiteral("屬  性..."));
}

TEST_F(LocalCommands, EveryViewStyleKeepsTheSelectionForTheCommands)
{
    writeFile(work.filePath(QStringLiteral("a.txt")), "a");
    writeFile(work.filePath(QStringLiteral("b.txt")), "b");
    writeFile(work.filePath(QStringLiteral("c.txt")), "c");
    open();
    for (int style : {ui::vsIcon, ui::vsSmallIcon, ui::vsList, ui::vsReport}) {
        SCOPED_TRACE(style);
        main->setLocalViewStyle(style);
        focusList();
        select({QStringLiteral("b.txt")});
        main->UpdateCommandStates();
        for (const char *name : {"mmiLocalFileCut", "mmiLocalFileCopy", "mmiLocalFileDelete", "mmiLocalFileReName",
                                 "LocalFileExecute", "LocalFileProperty"})
            EXPECT_TRUE(main->action(QLatin1String(name))->isEnabled()) << name;

        key(Qt::Key_C, Qt::ControlModifier);
        ASSERT_TRUE(clipboardFiles().has_value());
        EXPECT_EQ(clipboardFiles()->paths, QStringList({work.filePath(QStringLiteral("b.txt"))}));

        opened.clear();
        key(Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(opened, QStringList({work.filePath(QStringLiteral("b.txt"))}));

        asked.clear();
        key(Qt::Key_F2);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].value, QStringLiteral("b.txt"));

        select({QStringLiteral("a.txt"), QStringLiteral("c.txt")});
        questions.clear();
        answers = {false};
        key(Qt::Key_Delete);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, QStringLiteral("   您是否确定要发送 2 个选定的文件或目录到回收站？"));
        opened.clear();
        main->LocalFileExecuteClick(); // two items: nothing to run
        EXPECT_TRUE(opened.isEmpty());
    }

    // A selection does not follow the list into another folder.
    writeFile(work.filePath(QStringLiteral("sub/x.txt")), "x");
    waitForRows(4);
    select({QStringLiteral("a.txt")});
    main->setLocalPath(work.filePath(QStringLiteral("sub")));
    main->UpdateCommandStates();
    EXPECT_FALSE(main->action(QStringLiteral("mmiLocalFileCopy"))->isEnabled());
}

TEST_F(LocalCommands, ThePopupEnablesItsItemsWhenItOpens)
{
    writeFile(work.filePath(QStringLiteral("a.txt")), "a");
    writeFile(work.filePath(QStringLiteral("b.txt")), "b");
    open();
    struct Case
    {
        QStringList selected;
        QStringList enabled, disabled;
    };
    const Case cases[] = {
        {{},
         {"LocalFileCreateDirectory", "LocalFileViewDirectory", "LocalFileProperty", "LocalFileRefresh"},
         {"LocalFileCut", "LocalFileCopy", "LocalFileDelete", "LocalFileReName", "LocalFileExecute", "LocalFilePast",
          "LocalFileUpLoad"}},
        {{"a.txt"},
         {"LocalFileCut", "LocalFileCopy", "LocalFileDelete", "LocalFileReName", "LocalFileExecute", "LocalFileProperty"},
         {"LocalFilePast", "LocalFileUpLoad"}},
        {{"a.txt", "b.txt"},
         {"LocalFileCut", "LocalFileCopy", "LocalFileDelete", "LocalFileReName", "LocalFileProperty"},
         {"LocalFileExecute"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.selected.join(QLatin1Char(',')).toStdString());
        if (c.selected.isEmpty())
            view()->selectionModel()->clearSelection();
        else
            select(c.selected);
        main->LocalFilePopupMenuPopup();
        for (const QString &name : c.enabled)
            EXPECT_TRUE(main->action(name)->isEnabled()) << name.toStdString();
        for (const QString &name : c.disabled)
            EXPECT_FALSE(main->action(name)->isEnabled()) << name.toStdString();
    }
}

TEST_F(LocalCommands, ChoosingAFolderStartsAtTheListsFolder)
{
    writeFile(work.filePath(QStringLiteral("sub/inner.txt")), "x");
    writeFile(work.filePath(QStringLiteral("file.txt")), "y");
    open();
    for (const bool accept : {false, true}) {
        SCOPED_TRACE(accept);
        main->SetLanguage(accept);
        QString caption, startedAt;
        bool showsFiles = true;
        QTimer::singleShot(0, [&] {
            auto *chooser = qobject_cast<TLocalDirForm *>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            caption = chooser->windowTitle();
            showsFiles = chooser->showFiles();
            startedAt = chooser->selectedPath();
            chooser->setPath(work.filePath(QStringLiteral("sub")));
            accept ? chooser->accept() : chooser->reject();
        });
        main->action(QStringLiteral("mmiLocalFileViewDirectory"))->trigger();
        EXPECT_EQ(caption, accept ? QStringLiteral("浏览本地目录") : QStringLiteral("浏覽本地目錄"));
        EXPECT_FALSE(showsFiles);
        EXPECT_EQ(startedAt, work.path());
        EXPECT_EQ(main->localPath(), accept ? work.filePath(QStringLiteral("sub")) : work.path());
    }
}

TEST_F(LocalCommands, PropertiesShowSizesTimesAndPermissions)
{
    const QString big = work.filePath(QStringLiteral("big.iso"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(5LL * 1024 * 1024 * 1024 + 3)); // sparse: no disk space used
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2024, 3, 1), QTime(9, 12, 5)), QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(big).constData(), 0640), 0);
    writeFile(work.filePath(QStringLiteral("dir/one")), "1");
    writeFile(work.filePath(QStringLiteral("dir/two")), "22");
    writeFile(work.filePath(QStringLiteral("dir/sub/three")), "333");
    ASSERT_TRUE(QFile::link(QStringLiteral("one"), work.filePath(QStringLiteral("dir/link"))));

    {
        TLocalPropertyForm form({big});
        EXPECT_EQ(form.windowTitle(), QStringLiteral("属性"));
        EXPECT_EQ(form.rowText(QStringLiteral("Name")), QStringLiteral("big.iso"));
        EXPECT_EQ(form.rowText(QStringLiteral("Type")), QStringLiteral("ISO 文件"));
        EXPECT_EQ(form.rowText(QStringLiteral("Size")), QStringLiteral("5.00 GB (5,368,709,123 字节)"));
        EXPECT_EQ(form.rowText(QStringLiteral("Modified")), QStringLiteral("2024-03-01 09:12:05"));
        EXPECT_EQ(form.rowText(QStringLiteral("Permissions")), QStringLiteral("-rw-r----- (640)"));
        EXPECT_EQ(form.rowText(QStringLiteral("Location")), work.path());
        EXPECT_EQ(form.rowText(QStringLiteral("Contents")), QString());
        EXPECT_FALSE(form.measuring());
    }
    {
        TLocalPropertyForm form({work.filePath(QStringLiteral("dir"))});
        EXPECT_EQ(form.rowText(QStringLiteral("Type")), QStringLiteral("文件夹"));
        ASSERT_TRUE(waitUntil([&] { return !form.measuring(); }));
        // Three files of 1 + 2 + 3 bytes and a link of its own length (3).
        EXPECT_EQ(form.rowText(QStringLiteral("Size")), QStringLiteral("9 字节"));
        EXPECT_EQ(form.rowText(QStringLiteral("Contents")), QStringLiteral("4 个文件，1 个文件夹"));
    }
    {
        TLocalPropertyForm form({work.filePath(QStringLiteral("dir/link"))});
        EXPECT_EQ(form.rowText(QStringLiteral("Type")), QStringLiteral("符号链接"));
        EXPECT_EQ(form.rowText(QStringLiteral("Target")), QStringLiteral("one"));
    }
    ui::SetUseSimplified(false);
    {
        TLocalPropertyForm form({big, work.filePath(QStringLiteral("dir")), work.filePath(QStringLiteral("dir/one"))});
        EXPECT_EQ(form.windowTitle(), QStringLiteral("屬性"));
        EXPECT_EQ(form.rowText(QStringLiteral("Name")), QStringLiteral("選擇：1 個文件夾,2 個文件"));
        EXPECT_EQ(form.rowText(QStringLiteral("Type")), QStringLiteral("多種類型"));
        EXPECT_EQ(form.rowText(QStringLiteral("Location")), QStringLiteral("多個位置"));
        ASSERT_TRUE(waitUntil([&] { return !form.measuring(); }));
        // The file inside the chosen folder is counted once per choice.
        EXPECT_EQ(form.rowText(QStringLiteral("Size")), QStringLiteral("5.00 GB (5,368,709,133 字節)"));
        EXPECT_EQ(form.rowText(QStringLiteral("Contents")), QStringLiteral("6 個文件，2 個文件夾"));
        EXPECT_EQ(form.closeButton()->text(), QStringLiteral("關  閉"));
    }
}

TEST_F(LocalCommands, PropertiesOpenFromTheKeyForTheSelectionOrTheFolder)
{
    writeFile(work.filePath(QStringLiteral("a.txt")), "alpha");
    open();
    for (const bool withSelection : {true, false}) {
        SCOPED_TRACE(withSelection);
        focusList();
        if (withSelection)
            select({QStringLiteral("a.txt")});
        else
            view()->selectionModel()->clearSelection();
        QString name, size;
        QTimer::singleShot(0, [&] {
            auto *form = qobject_cast<TLocalPropertyForm *>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            waitUntil([&] { return !form->measuring(); });
            name = form->rowText(QStringLiteral("Name"));
            size = form->rowText(QStringLiteral("Size"));
            form->closeButton()->click();
        });
        key(Qt::Key_R, Qt::ControlModifier);
        EXPECT_EQ(name, withSelection ? QStringLiteral("a.txt") : QFileInfo(work.path()).fileName());
        EXPECT_EQ(size, QStringLiteral("5 字节"));
    }
}

TEST_F(LocalCommands, RefreshReadsSizesThatChangedInPlace)
{
    writeFile(work.filePath(QStringLiteral("grow.bin")), QByteArray(10, 'g'));
    open();
    auto *model = qobject_cast<QFileSystemModel *>(main->localList()->model());
    const QModelIndex index = model->index(work.filePath(QStringLiteral("grow.bin")));
    ASSERT_TRUE(waitUntil([&] { return model->size(index) == 10; }));
    {
        QFile f(work.filePath(QStringLiteral("grow.bin")));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(QByteArray(5000, 'g'));
    }
    focusList();
    key(Qt::Key_F5);
    EXPECT_TRUE(waitUntil([&] { return model->size(model->index(work.filePath(QStringLiteral("grow.bin")))) == 5010; }));
}

TEST_F(LocalCommands, ChoosingFromTheFolderBoxShowsThatFolderAndFocusesTheList)
{
    writeFile(work.filePath(QStringLiteral("one/a.txt")), "a");
    writeFile(work.filePath(QStringLiteral("two/b.txt")), "b");
    open();
    main->setLocalPath(work.filePath(QStringLiteral("one")));
    main->setLocalPath(work.filePath(QStringLiteral("two")));
    QComboBox *box = main->localFolderBox();
    const int one = box->findText(work.filePath(QStringLiteral("one")));
    ASSERT_GE(one, 0);
    box->setFocus();
    emit box->activated(one);
    EXPECT_EQ(main->localPath(), work.filePath(QStringLiteral("one")));
    EXPECT_EQ(main->focusWidget(), view());
    waitForRows(1);
}
