#include "ui/ReportList.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// A list built wider than its window, as the converting and download lists are.
struct WideList {
    WideList() {
        list.setHeaderLabels({"Name", "Duration", "Status", "Progress", "Path"});
        const int widths[] = {240, 80, 95, 95, 300};
        for (int i = 0; i < 5; ++i)
            list.setColumnWidth(i, widths[i]);
        list.resize(553, 190);
        FitReportColumns(&list);
        new QTreeWidgetItem(&list, {"a.mp4", "00:00:03.000", "Waiting...", "",
                                    "/home/user/Videos/holidays/2026/summer/camera/raw/"});
        new QTreeWidgetItem(&list, {"b.mp4", "00:00:01.000", "Waiting...", "", "/tmp/"});
        list.show();
        QApplication::processEvents();
    }
    // The tool tip the list shows when the pointer rests on a cell.
    QString TipAt(int row, int column) {
        QToolTip::hideText(); // hides after a short delay
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
        const QRect cell = list.visualRect(list.model()->index(row, column));
        QHelpEvent event(QEvent::ToolTip, cell.center(), list.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(list.viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
    QTreeWidget list;
};

TEST(ReportList, EveryColumnStaysInSightAndTheMiddleOnesKeepTheirWidths) {
    WideList wide;
    QHeaderView* header = wide.list.header();
    const int last = header->count() - 1;
    EXPECT_LE(header->sectionPosition(last) + header->sectionSize(last), wide.list.viewport()->width());
    EXPECT_GT(header->sectionSize(last), 100) << "the path column is wide enough to read";
    EXPECT_EQ(header->sectionSize(1), 80);
    EXPECT_EQ(header->sectionSize(2), 95);
    EXPECT_FALSE(wide.list.horizontalScrollBar()->isVisible());
}

TEST(ReportList, OnlyACutTextShowsWholeAsItsToolTip) {
    WideList wide;
    EXPECT_EQ(wide.TipAt(0, 4), "/home/user/Videos/holidays/2026/summer/camera/raw/");
    EXPECT_EQ(wide.TipAt(1, 4), "");
    EXPECT_EQ(wide.TipAt(0, 0), "");
    wide.list.topLevelItem(1)->setToolTip(4, "own tip");
    EXPECT_EQ(wide.TipAt(1, 4), "own tip") << "a tip the row sets wins";
}

} // namespace
