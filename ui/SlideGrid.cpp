#include "ui/SlideGrid.h"

#include "ui/SlideGridDelegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

TSlideGrid::TSlideGrid(QWidget* parent) : QTableWidget(parent) {
    Configure();
}

TSlideGrid::TSlideGrid(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {
    Configure();
}

void TSlideGrid::Configure() {
    setItemDelegate(new TSlideGridDelegate(*this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(slideHeight_);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ApplyColumnVisibility();
}

void TSlideGrid::SetSlideColumns(int pictureColumn, const QList<int>& lineColumns) {
    pictureColumn_ = pictureColumn;
    lineColumns_ = lineColumns;
    ApplyColumnVisibility();
    viewport()->update();
}

void TSlideGrid::SetSlideHeight(int height) {
    slideHeight_ = height;
    verticalHeader()->setDefaultSectionSize(height);
    viewport()->update();
}

void TSlideGrid::SetPictureSize(QSize size) {
    pictureSize_ = size;
    viewport()->update();
}

void TSlideGrid::ApplyColumnVisibility() {
    // The slide is drawn in the picture column, which then spans the whole width.
    for (int column = 0; column < columnCount(); ++column)
        setColumnHidden(column, column != pictureColumn_);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

int TSlideGrid::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows(pictureColumn_);
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TSlideGrid::MoveRow(int from, int to) {
    const int rows = rowCount();
    if (from < 0 || from >= rows || to < 0 || to >= rows || from == to)
        return;
    QList<QTableWidgetItem*> cells;
    for (int column = 0; column < columnCount(); ++column)
        cells << takeItem(from, column);
    removeRow(from);
    insertRow(to);
    for (int column = 0; column < cells.size(); ++column)
        if (cells[column])
            setItem(to, column, cells[column]);
    selectRow(to);
}

int TSlideGrid::ColumnAtSlidePoint(const QPoint& viewportPoint) const {
    const QModelIndex index = indexAt(viewportPoint);
    if (!index.isValid())
        return -1;
    const auto* delegate = static_cast<const TSlideGridDelegate*>(itemDelegate());
    const QRect slide = visualRect(index);
    if (delegate->PictureRect(slide).contains(viewportPoint))
        return pictureColumn_;
    for (int line = 0; line < lineColumns_.size(); ++line)
        if (delegate->LineRect(slide, line, font()).contains(viewportPoint))
            return lineColumns_[line];
    return -1;
}

int TSlideGrid::DropRowAt(int y) const {
    const int row = rowAt(y);
    return row >= 0 ? row : rowCount() - 1;
}

void TSlideGrid::mousePressEvent(QMouseEvent* event) {
    QTableWidget::mousePressEvent(event);
    dragging_ = false;
    dragRow_ = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint().y()) : -1;
    dragStart_ = event->position().toPoint();
}

void TSlideGrid::mouseMoveEvent(QMouseEvent* event) {
    if (dragRow_ < 0 || !(event->buttons() & Qt::LeftButton)) {
        QTableWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!dragging_ && (at - dragStart_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
        viewport()->setCursor(Qt::DragMoveCursor);
    }
    if (dragging_) {
        dropRow_ = DropRowAt(at.y());
        viewport()->update();
    }
}

void TSlideGrid::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasDragging = dragging_;
    const int from = dragRow_;
    dragging_ = false;
    dragRow_ = -1;
    dropRow_ = -1;
    viewport()->unsetCursor();
    viewport()->update();
    if (!wasDragging) {
        QTableWidget::mouseReleaseEvent(event);
        return;
    }
    const int to = DropRowAt(event->position().toPoint().y());
    if (from >= 0 && to >= 0 && from != to) {
        MoveRow(from, to);
        emit AfterRowMove(from, to);
    }
}

bool TSlideGrid::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableWidget::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int row = rowAt(help->pos().y());
    const int column = ColumnAtSlidePoint(help->pos());
    const QTableWidgetItem* cell = row >= 0 && column >= 0 ? item(row, column) : nullptr;
    const QString hint = !cell ? QString() : !cell->toolTip().isEmpty() ? cell->toolTip() : cell->text();
    if (hint.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), hint, viewport());
    return true;
}

void TSlideGrid::paintEvent(QPaintEvent* event) {
    QTableWidget::paintEvent(event);
    if (!dragging_ || dropRow_ < 0)
        return;
    // The place the dragged row will land.
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    const int y = dropRow_ > dragRow_ ? rowViewportPosition(dropRow_) + rowHeight(dropRow_) - 1
                                      : rowViewportPosition(dropRow_) + 1;
    painter.drawLine(0, y, viewport()->width(), y);
}
