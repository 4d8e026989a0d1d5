#pragma once

#include <QStyledItemDelegate>

class TSlideGrid;

// Paints one row of a TSlideGrid as a slide: the picture at the left, the text lines
// beside it. Also tells which line lies under a point of a slide.
class TSlideGridDelegate : public QStyledItemDelegate {
public:
    explicit TSlideGridDelegate(TSlideGrid& grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Where the picture and the text lines of a slide with this rectangle go.
    QRect PictureRect(const QRect& slide) const;
    QRect LineRect(const QRect& slide, int line, const QFont& font) const;

private:
    TSlideGrid& grid_;
};
