#pragma once

#include <QList>
#include <QSize>
#include <QTableWidget>

// A read-only grid drawn as slides: one slide per row showing a picture and a few
// text lines taken from chosen columns; the other columns stay hidden and serve as
// the row's record. Whole rows are selected, rows can be dragged to a new place,
// and every line of a slide has its own hint.
class TSlideGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TSlideGrid(QWidget* parent = nullptr);
    TSlideGrid(int rows, int columns, QWidget* parent = nullptr);

    // The picture column (its item's decoration) and the text columns shown as lines,
    // top to bottom; the first line is bold. Every other column is hidden.
    void SetSlideColumns(int pictureColumn, const QList<int>& lineColumns);
    void SetSlideHeight(int height);
    void SetPictureSize(QSize size);
    int SlideHeight() const { return slideHeight_; }
    QSize PictureSize() const { return pictureSize_; }
    int PictureColumn() const { return pictureColumn_; }
    const QList<int>& LineColumns() const { return lineColumns_; }

    // Index of the selected row, -1 when none.
    int SelectedRow() const;
    // Moves a row with all its cells to index to; the moved row stays selected.
    void MoveRow(int from, int to);
    // The column whose line (or picture) lies under a point of the viewport; -1 for none.
    int ColumnAtSlidePoint(const QPoint& viewportPoint) const;

signals:
    // A row was dragged from one index to another by the user.
    void AfterRowMove(int from, int to);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Configure();
    void ApplyColumnVisibility();
    // Target row of a drop at a viewport y: the row under it, or the last row below the slides.
    int DropRowAt(int y) const;

    int pictureColumn_ = 0;
    QList<int> lineColumns_;
    int slideHeight_ = 90;
    QSize pictureSize_{128, 88};
    int dragRow_ = -1;
    QPoint dragStart_;
    bool dragging_ = false;
    int dropRow_ = -1;
};
