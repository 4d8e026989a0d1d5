#include "frontend/ClickLabel.h"

#include <QMouseEvent>

// Taken here so the press does not reach the window behind, and reported as a click when
// released over the label, as a button does.
void TClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QLabel::mousePressEvent(event);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    else
        QLabel::mouseReleaseEvent(event);
}
