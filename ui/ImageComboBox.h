#pragma once

#include <QComboBox>
#include <QList>
#include <QPixmap>

// A drop-down list of captions, each with an image index into the box's image list
// and an indentation; ten rows are visible when it is open. Without an image list
// no image shows.
class TImageComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TImageComboBox(QWidget* parent = nullptr);

    void SetImages(const QList<QPixmap>& images);
    // Appends an item; indent is in levels of the box's indentation width.
    void AddItem(const QString& caption, int imageIndex, int indent);
    int ImageIndex(int item) const;
    int Indent(int item) const;

    // The selected item, -1 when none.
    int ItemIndex() const { return currentIndex(); }
    // An index outside the list leaves the box without a selection.
    void SetItemIndex(int index);

private:
    QList<QPixmap> images_;
};
