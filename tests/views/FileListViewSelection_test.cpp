// The remote list in each view style: clicks select whole rows of the shared
// selection, so the selection queries find them in every style and after a
// change of style; the drop highlight paints its row; a drag of selected
// rows is reported to the owner instead of dragging the model's data.

#include "views/FtpListView.h"

#include "../support/PrintQString.h"

#include <QApplication>
#include <QImage>
#include <QItemSelectionModel>
#include <QListView>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace views;

namespace {

TMFtpFileInfoList makeList(std::initializer_list<const char *> names)
{
    TMFtpFileInfoList list;
    for (const char *name : names)
        list.Add(name, "-rw-r--r--", "2020-01-01 12:00", "1000", "", "ftp", "ftp", "");
    return list;
}

const char *styleName(int style)
{
    switch (style) {
    case ui::vsIcon: return "icon";
    case ui::vsSmallIcon: return "small icon";
    case ui::vsList: return "list";
    default: return "report";
    }
}

class ListSelection : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        view.resize(640, 360);
        view.LoadLists(makeList({"docs", "pub"}), makeList({"alpha.txt", "beta.bin", "gamma.zip"}));
        view.setViewStyle(GetParam());
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QPoint centreOf(int row) const
    {
        QAbstractItemView *v = view.currentView();
        return v->visualRect(view.listModel()->index(row, 0)).center();
    }

    void click(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(view.currentView()->viewport(), Qt::LeftButton, modifiers, centreOf(row));
    }

    TMFtpListView view;
};

// Rows: 0 docs, 1 pub (folders), 2 alpha.txt, 3 beta.bin, 4 gamma.zip.
TEST_P(ListSelection, ClicksSelectWholeRowsThatTheQueriesFind)
{
    SCOPED_TRACE(styleName(GetParam()));
    click(1);
    click(3, Qt::ControlModifier);
    EXPECT_EQ(view.SelectedFolders(), QList<QByteArray>({"pub"}));
    EXPECT_EQ(view.SelectedFiles(), QList<QByteArray>({"beta.bin"}));
    // Code that asks the shared selection for whole rows finds both.
    EXPECT_EQ(view.reportView()->selectionModel()->selectedRows().size(), 2);

    click(2);
    click(4, Qt::ShiftModifier);
    EXPECT_TRUE(view.SelectedFolders().isEmpty());
    EXPECT_EQ(view.SelectedFiles(), QList<QByteArray>({"alpha.txt", "beta.bin", "gamma.zip"}));

    // Another style shows, and reports, the same selection.
    const int other = GetParam() == ui::vsReport ? ui::vsIcon : ui::vsReport;
    view.setViewStyle(other);
    EXPECT_EQ(view.SelectedFiles(), QList<QByteArray>({"alpha.txt", "beta.bin", "gamma.zip"}));
    EXPECT_EQ(view.reportView()->selectionModel()->selectedRows().size(), 3);
}

TEST_P(ListSelection, TheDropHighlightPaintsItsRowOnly)
{
    SCOPED_TRACE(styleName(GetParam()));
    QAbstractItemView *v = view.currentView();
    const QRect target = v->visualRect(view.listModel()->index(1, 0));
    const QRect other = v->visualRect(view.listModel()->index(3, 0));
    const QImage before = v->viewport()->grab().toImage();
    view.setDropHighlightRow(1);
    EXPECT_EQ(view.dropHighlightRow(), 1);
    const QImage during = v->viewport()->grab().toImage();
    EXPECT_NE(before.copy(target), during.copy(target));
    EXPECT_EQ(before.copy(other), during.copy(other));
    // The highlight is no selection.
    EXPECT_TRUE(view.SelectedFolders().isEmpty());
    view.setDropHighlightRow(-1);
    EXPECT_EQ(v->viewport()->grab().toImage().copy(target), before.copy(target));
}

TEST_P(ListSelection, DraggingSelectedRowsRaisesBeginDragOnly)
{
    SCOPED_TRACE(styleName(GetParam()));
    int begun = 0;
    view.OnBeginDrag = [&] { ++begun; };
    QWidget *viewport = view.currentView()->viewport();
    const QPoint from = centreOf(2);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(2, 1));
    QTest::mouseMove(viewport, from + QPoint(QApplication::startDragDistance() + 8, 4));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(QApplication::startDragDistance() + 8, 4));
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(view.SelectedFiles(), QList<QByteArray>({"alpha.txt"}));

    // From empty space the mouse selects with a band: no drag.
    const QPoint empty(viewport->width() - 3, viewport->height() - 3);
    ASSERT_FALSE(view.currentView()->indexAt(empty).isValid());
    QTest::mousePress(viewport, Qt::LeftButton, {}, empty);
    QTest::mouseMove(viewport, empty - QPoint(2, 1));
    QTest::mouseMove(viewport, empty - QPoint(QApplication::startDragDistance() + 8, 4));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, empty - QPoint(QApplication::startDragDistance() + 8, 4));
    EXPECT_EQ(begun, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryStyle, ListSelection,
                         ::testing::Values(int(ui::vsIcon), int(ui::vsSmallIcon), int(ui::vsList), int(ui::vsReport)));

} // namespace
