// The slide grid, the image combo box and the preview window on their own.

#include "convert/PreviewWindow.h"
#include "ui/ImageComboBox.h"
#include "ui/SlideGrid.h"
#include "ui/SlideGridDelegate.h"

#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// Three slides: picture in column 0, lines from columns 1 and 2, column 3 hidden.
struct Grid {
    Grid() : grid(3, 4) {
        grid.resize(400, 300);
        grid.SetSlideColumns(0, {1, 2});
        for (int row = 0; row < 3; ++row)
            for (int column = 1; column < 4; ++column)
                grid.setItem(row, column,
                             new QTableWidgetItem(QStringLiteral("r%1c%2").arg(row).arg(column)));
        grid.show();
    }
    QString Cell(int row, int column) const { return grid.item(row, column)->text(); }
    QPoint LineCenter(int row, int line) const {
        const auto* delegate = static_cast<const TSlideGridDelegate*>(grid.itemDelegate());
        return delegate->LineRect(grid.visualRect(grid.model()->index(row, 0)), line, grid.font()).center();
    }
    TSlideGrid grid;
};

TEST(SlideGridTest, ShowsOneSlidePerRowAndMovesRowsWithAllTheirCells) {
    Grid g;
    EXPECT_FALSE(g.grid.isColumnHidden(0));
    for (int column = 1; column < 4; ++column)
        EXPECT_TRUE(g.grid.isColumnHidden(column));
    EXPECT_EQ(g.grid.rowHeight(1), 90);
    EXPECT_EQ(g.grid.ColumnAtSlidePoint(g.LineCenter(1, 0)), 1);
    EXPECT_EQ(g.grid.ColumnAtSlidePoint(g.LineCenter(1, 1)), 2);

    g.grid.MoveRow(0, 2);
    EXPECT_EQ(g.Cell(2, 3), "r0c3") << "hidden cells travel with the row";
    EXPECT_EQ(g.Cell(0, 1), "r1c1");
    EXPECT_EQ(g.grid.SelectedRow(), 2);
    g.grid.MoveRow(2, 7); // outside: nothing
    EXPECT_EQ(g.Cell(2, 1), "r0c1");
}

TEST(SlideGridTest, DraggingARowDropsItWhereTheMouseIsReleased) {
    Grid g;
    QSignalSpy moved(&g.grid, &TSlideGrid::AfterRowMove);
    QWidget* view = g.grid.viewport();
    const QPoint from = g.LineCenter(0, 0);
    const QPoint to = g.LineCenter(2, 1);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved[0][0].toInt(), 0);
    EXPECT_EQ(moved[0][1].toInt(), 2);
    EXPECT_EQ(g.Cell(2, 1), "r0c1");
    EXPECT_EQ(g.grid.SelectedRow(), 2);

    // A click without moving selects and moves nothing.
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, g.LineCenter(1, 0));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(g.grid.SelectedRow(), 1);
}

TEST(ImageComboBoxTest, ItemsKeepImageAndIndentAndAnOutsideIndexSelectsNothing) {
    TImageComboBox box;
    box.AddItem("first", 0, 0);
    box.AddItem("second", 0, 2);
    EXPECT_EQ(box.maxVisibleItems(), 10);
    EXPECT_EQ(box.ImageIndex(1), 0);
    EXPECT_EQ(box.Indent(1), 2);
    EXPECT_TRUE(box.itemIcon(0).isNull()) << "no image list, no image";
    box.SetItemIndex(1);
    EXPECT_EQ(box.ItemIndex(), 1);
    box.SetItemIndex(2);
    EXPECT_EQ(box.ItemIndex(), -1);
    box.SetItemIndex(-7);
    EXPECT_EQ(box.ItemIndex(), -1);
}

TEST(PreviewWindowTest, ANormalToolWindowBesideTheMainWindowDrawsFramesUntilClosed) {
    QWidget mainWindow;
    mainWindow.setGeometry(20, 20, 300, 200);
    mainWindow.show();
    int closedByUser = 0;
    InstallPreviewWindow(&mainWindow, [&] { ++closedByUser; });
    TPreviewer previewer;
    TBitmap frame;
    frame.SetSize(64, 48, 24);
    std::fill(frame.Pixels.begin(), frame.Pixels.end(), uint8_t(200));
    ASSERT_TRUE(previewer.Preview(frame, 1'500'000));
    TPreviewWindow* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* preview = qobject_cast<TPreviewWindow*>(top))
            window = preview;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(64, 48));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_FALSE(window->windowFlags() & Qt::FramelessWindowHint) << "no title bar to close it with";
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window->frameGeometry().intersects(mainWindow.frameGeometry())) << "over the main window";
    ASSERT_TRUE(window->windowHandle());
    EXPECT_EQ(window->windowHandle()->transientParent(), mainWindow.windowHandle());
    EXPECT_EQ(window->Frame().pixelColor(10, 10), QColor(200, 200, 200));
    EXPECT_EQ(closedByUser, 0);
    window->close();
    EXPECT_EQ(closedByUser, 1) << "the window tells that the user closed it";
    EXPECT_FALSE(previewer.Preview(frame, 1'600'000)) << "closed by the user: the task stops previewing";
    TPreviewer::SetWindowFactory(nullptr);
}

} // namespace
