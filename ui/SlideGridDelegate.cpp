#include "ui/SlideGridDelegate.h"

#include "ui/SlideGrid.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace {
constexpr int kMargin = 4;
constexpr int kTextGap = 10;
} // namespace

TSlideGridDelegate::TSlideGridDelegate(TSlideGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

QRect TSlideGridDelegate::PictureRect(const QRect& slide) const {
    const QSize size = grid_.PictureSize();
    return {slide.left() + kMargin, slide.top() + (slide.height() - size.height()) / 2, size.width(),
            size.height()};
}

QRect TSlideGridDelegate::LineRect(const QRect& slide, int line, const QFont& font) const {
    const int lineHeight = QFontMetrics(font).height() + 2;
    const int lines = int(grid_.LineColumns().size());
    const int left = PictureRect(slide).right() + kTextGap;
    const int top = slide.top() + (slide.height() - lines * lineHeight) / 2 + line * lineHeight;
    return {left, top, std::max(0, slide.right() - kMargin - left), lineHeight};
}

QSize TSlideGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(grid_.SlideHeight());
    return size;
}

void TSlideGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    background.features &= ~QStyleOptionViewItem::HasDecoration;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    painter->save();
    const QRect slide = option.rect;
    const QAbstractItemModel* model = index.model();
    const QVariant picture = model->index(index.row(), grid_.PictureColumn()).data(Qt::DecorationRole);
    const QRect frame = PictureRect(slide);
    QPixmap pixmap = picture.value<QPixmap>();
    if (pixmap.isNull() && picture.canConvert<QImage>())
        pixmap = QPixmap::fromImage(picture.value<QImage>());
    if (!pixmap.isNull()) {
        const QPixmap scaled = pixmap.scaled(frame.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter->drawPixmap(frame.left() + (frame.width() - scaled.width()) / 2,
                            frame.top() + (frame.height() - scaled.height()) / 2, scaled);
    }
    painter->setPen(QColor(0xa0, 0xa0, 0xa0));
    painter->drawRect(frame.adjusted(0, 0, -1, -1));

    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QList<int>& lines = grid_.LineColumns();
    for (int line = 0; line < lines.size(); ++line) {
        QFont font = option.font;
        font.setBold(line == 0);
        painter->setFont(font);
        const QRect rect = LineRect(slide, line, option.font);
        const QString text = model->index(index.row(), lines[line]).data(Qt::DisplayRole).toString();
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width()));
    }
    painter->restore();
}
