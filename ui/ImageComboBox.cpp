#include "ui/ImageComboBox.h"

#include <QIcon>

namespace {
constexpr int kVisibleRows = 10;
constexpr int kIndentWidth = 10; // pixels per level
constexpr int kImageIndexRole = Qt::UserRole + 1;
constexpr int kIndentRole = Qt::UserRole + 2;

QString indented(const QString& caption, int indent) {
    return indent > 0 ? QString(indent * kIndentWidth / 4, QLatin1Char(' ')) + caption : caption;
}
} // namespace

TImageComboBox::TImageComboBox(QWidget* parent) : QComboBox(parent) {
    setMaxVisibleItems(kVisibleRows);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void TImageComboBox::SetImages(const QList<QPixmap>& images) {
    images_ = images;
    for (int item = 0; item < count(); ++item) {
        const int image = ImageIndex(item);
        setItemIcon(item, image >= 0 && image < images_.size() ? QIcon(images_[image]) : QIcon());
    }
}

void TImageComboBox::AddItem(const QString& caption, int imageIndex, int indent) {
    const bool hasImage = imageIndex >= 0 && imageIndex < images_.size();
    addItem(hasImage ? QIcon(images_[imageIndex]) : QIcon(), indented(caption, indent));
    const int item = count() - 1;
    setItemData(item, imageIndex, kImageIndexRole);
    setItemData(item, indent, kIndentRole);
    setItemData(item, caption, Qt::ToolTipRole);
}

int TImageComboBox::ImageIndex(int item) const {
    return itemData(item, kImageIndexRole).toInt();
}

int TImageComboBox::Indent(int item) const {
    return itemData(item, kIndentRole).toInt();
}

void TImageComboBox::SetItemIndex(int index) {
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}
