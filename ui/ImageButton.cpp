#include "ui/ImageButton.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

TImageButton::TImageButton(QWidget* parent) : QAbstractButton(parent), textColor_(Qt::black) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    // Reached by Tab, not taken by a click: the focus ring then means the keyboard.
    setFocusPolicy(Qt::TabFocus);
}

void TImageButton::SetPictures(const QPixmap& normal, const QPixmap& mouseOver, const QPixmap& pressed,
                               const QPixmap& disabled) {
    pictures_[bsNormal] = normal;
    pictures_[bsMouseOver] = mouseOver;
    pictures_[bsPressed] = pressed;
    pictures_[bsDisabled] = disabled;
    if (!normal.isNull())
        resize(normal.size());
    update();
}

void TImageButton::SetTransparent(bool transparent) {
    transparent_ = transparent;
    if (transparent)
        textColor_ = Qt::white;
    update();
}

void TImageButton::SetTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

TImageButton::TState TImageButton::State() const {
    if (!isEnabled())
        return bsDisabled;
    if (isDown() || isChecked())
        return bsPressed;
    if (mouseOver_)
        return bsMouseOver;
    return bsNormal;
}

QSize TImageButton::sizeHint() const {
    if (!pictures_[bsNormal].isNull())
        return pictures_[bsNormal].size();
    return fontMetrics().size(Qt::TextShowMnemonic, text()) + QSize(16, 8);
}

void TImageButton::enterEvent(QEnterEvent* event) {
    mouseOver_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TImageButton::leaveEvent(QEvent* event) {
    mouseOver_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void TImageButton::changeEvent(QEvent* event) {
    // A button disabled under the mouse gets no leave event: it must not come back lit.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        mouseOver_ = false;
    QAbstractButton::changeEvent(event);
}

const QPixmap& TImageButton::pictureOf(TState state) const {
    if (!pictures_[state].isNull())
        return pictures_[state];
    // A disabled chosen button without its own picture still shows that it is chosen.
    if (state == bsDisabled && isChecked() && !pictures_[bsPressed].isNull())
        return pictures_[bsPressed];
    return pictures_[bsNormal];
}

void TImageButton::paintPlain(QPainter& painter, TState state) {
    QPainterPath frame;
    frame.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    QColor fill(0xf2, 0xf5, 0xfa), border(0xa8, 0xb4, 0xc4);
    if (isChecked()) {
        fill = QColor(0x2f, 0x6d, 0xc4);
        border = fill.darker(130);
    } else if (state == bsPressed || state == bsMouseOver) {
        fill = QColor(0xd6, 0xe6, 0xfa);
        border = QColor(0x2f, 0x6d, 0xc4);
    }
    painter.fillPath(frame, fill);
    painter.setPen(border);
    painter.drawPath(frame);
}

void TImageButton::paintFocusRing(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DotLine));
    painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 3, 3);
}

void TImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const TState state = State();
    const QPixmap& picture = pictureOf(state);
    const bool plain = !transparent_ && picture.isNull();
    if (!transparent_ && !picture.isNull())
        painter.drawPixmap(rect(), picture);
    else if (plain)
        paintPlain(painter, state);
    if (hasFocus())
        paintFocusRing(painter);
    if (text().isEmpty())
        return;
    QColor color = plain && isChecked() ? QColor(Qt::white) : textColor_;
    if (state == bsDisabled && !isChecked())
        color.setAlpha(110);
    painter.setPen(color);
    QFont font = painter.font();
    font.setUnderline(transparent_ && state == bsMouseOver);
    font.setBold(font.bold() || (plain && isChecked()));
    painter.setFont(font);
    const QPoint shift = state == bsPressed && !transparent_ && !picture.isNull() ? QPoint(1, 1) : QPoint();
    if (transparent_) {
        // White text over whatever the skin has there: a dark shadow keeps it legible on a
        // light background too.
        painter.setPen(QColor(0, 0, 0, color.alpha() * 3 / 5));
        painter.drawText(rect().translated(1, 1), Qt::AlignCenter | Qt::TextShowMnemonic, text());
        painter.setPen(color);
    }
    painter.drawText(rect().translated(shift), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}
