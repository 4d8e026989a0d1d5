#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

// A push button drawn from pictures: normal, mouse over, pressed and disabled.
// A checked button shows its pressed picture; a disabled one its disabled picture,
// or, without one, the picture it would show enabled. With no pictures it draws a
// plain frame, a checked one filled; in transparent mode only its caption (white
// text). Keyboard focus shows as a ring inside the button.
class TImageButton : public QAbstractButton {
    Q_OBJECT
public:
    enum TState { bsNormal, bsMouseOver, bsPressed, bsDisabled, bsCount };

    explicit TImageButton(QWidget* parent = nullptr);

    // Sets the pictures; an empty picture falls back to the normal one. The
    // button sizes itself to the normal picture.
    void SetPictures(const QPixmap& normal, const QPixmap& mouseOver, const QPixmap& pressed,
                     const QPixmap& disabled = QPixmap());
    void SetTransparent(bool transparent);
    bool Transparent() const { return transparent_; }
    void SetTextColor(const QColor& color);

    // The state whose picture is shown now.
    TState State() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const QPixmap& pictureOf(TState state) const;
    void paintPlain(QPainter& painter, TState state);
    void paintFocusRing(QPainter& painter);

    QPixmap pictures_[bsCount];
    bool transparent_ = false;
    bool mouseOver_ = false;
    QColor textColor_;
};
