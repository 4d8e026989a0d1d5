#pragma once

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QPoint>

class QWidget;

// Skins a borderless window: paints a picture as its background, cuts the window's
// shape out of the picture's non-transparent pixels and lets the user move the
// window by dragging its background or any added drag handle (a logo).
class TSkinForm : public QObject {
    Q_OBJECT
public:
    explicit TSkinForm(QWidget* form);

    // The background picture; applied to the window when the transparent colour is set.
    void SetPicture(const QPixmap& picture);
    // Gives the window the picture's size and a shape made of every pixel that is
    // not of this colour.
    void SetTransparentColor(const QColor& color);
    // Pressing the left button on handle drags the window too.
    void AddDragHandle(QWidget* handle);

    const QPixmap& Picture() const { return picture_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* form_;
    QPixmap picture_;
    bool dragging_ = false;
    QPoint dragOffset_;
};
