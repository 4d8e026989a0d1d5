#include "ui/SkinForm.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>
#include <QWindow>

TSkinForm::TSkinForm(QWidget* form) : QObject(form), form_(form) {
    form_->setWindowFlag(Qt::FramelessWindowHint);
    form_->installEventFilter(this);
}

void TSkinForm::SetPicture(const QPixmap& picture) {
    picture_ = picture;
}

void TSkinForm::SetTransparentColor(const QColor& color) {
    if (picture_.isNull())
        return;
    QPalette palette = form_->palette();
    palette.setBrush(QPalette::Window, QBrush(picture_));
    form_->setPalette(palette);
    form_->setAutoFillBackground(true);
    form_->setFixedSize(picture_.size());
    form_->setMask(picture_.createMaskFromColor(color, Qt::MaskInColor));
}

void TSkinForm::AddDragHandle(QWidget* handle) {
    handle->installEventFilter(this);
}

bool TSkinForm::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        // A press a child passed on (a label that ignores it, or one whose click already
        // opened and closed a dialog) is not a press on the background.
        if (widget == form_ && form_->childAt(mouse->position().toPoint()))
            return false;
        // Let the window system move the window where it can; otherwise follow the mouse.
        QWindow* window = form_->windowHandle();
        if (window && window->startSystemMove())
            return true;
        dragging_ = true;
        dragOffset_ = mouse->globalPosition().toPoint() - form_->frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove:
        if (!dragging_)
            return false;
        form_->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - dragOffset_);
        return true;
    case QEvent::MouseButtonRelease:
        if (!dragging_)
            return false;
        dragging_ = false;
        return true;
    default:
        return false;
    }
}
