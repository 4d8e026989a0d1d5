#include "ImageButton.h"

#include <QPainter>
#include <QPainterPath>

TImageButton::TImageButton(QWidget* parent) : QAbstractButton(parent), textColor_(Qt::black) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
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

void TImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const TState state = State();
    const QPixmap& picture = pictures_[state].isNull() ? pictures_[bsNormal] : pictures_[state];
    if (!transparent_) {
        if (!picture.isNull()) {
            painter.drawPixmap(rect(), picture);
        } else {
            // Plain look for buttons without pictures (class tabs).
            QPainterPath frame;
            frame.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
            const bool lit = state == bsPressed || state == bsMouseOver;
            painter.fillPath(frame, lit ? QColor(0xd6, 0xe6, 0xfa) : QColor(0xf2, 0xf5, 0xfa));
            painter.setPen(state == bsPressed ? QColor(0x2f, 0x6d, 0xc4) : QColor(0xa8, 0xb4, 0xc4));
            painter.drawPath(frame);
        }
    }
    if (text().isEmpty())
        return;
    QColor color = textColor_;
    if (state == bsDisabled)
        color.setAlpha(110);
    painter.setPen(color);
    QFont font = painter.font();
    font.setUnderline(transparent_ && state == bsMouseOver);
    painter.setFont(font);
    const QPoint shift = state == bsPressed && !transparent_ && !picture.isNull() ? QPoint(1, 1) : QPoint();
    painter.drawText(rect().translated(shift), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}
