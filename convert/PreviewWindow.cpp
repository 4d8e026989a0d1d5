#include "convert/PreviewWindow.h"

#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {
// A preview narrower than this shows too little; it goes in a corner at full size instead.
constexpr int kSmallestWidth = 200;

QImage imageOf(const TBitmap& bitmap) {
    if (bitmap.Width <= 0 || bitmap.Height <= 0 || bitmap.Pixels.empty())
        return {};
    const QImage::Format format = bitmap.BitsPerPixel == 32   ? QImage::Format_RGB32
                                  : bitmap.BitsPerPixel == 16 ? QImage::Format_RGB16
                                  : bitmap.BitsPerPixel == 15 ? QImage::Format_RGB555
                                  : bitmap.BitsPerPixel == 8  ? QImage::Format_Grayscale8
                                                              : QImage::Format_RGB888;
    return QImage(bitmap.Pixels.data(), bitmap.Width, bitmap.Height, bitmap.LineSize, format).copy();
}
} // namespace

TPreviewWindow::TPreviewWindow(QWidget* beside, std::function<void()> closedByUser)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      beside_(beside), closedByUser_(std::move(closedByUser)) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewWindow::Show(int width, int height) {
    resize(width, height);
    const QScreen* screen = beside_ ? beside_->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (beside_ && beside_->isVisible()) {
        // Shrunk, where need be, to the room beside the main window, so it covers nothing.
        resize(FitBeside(beside_->frameGeometry(), {width, height}, area, kSmallestWidth));
        move(PlaceBeside(beside_->frameGeometry(), WithFrameAllowance(size()), area));
        // A tool window of the main window: kept above it, not over the rest of the desktop.
        winId();
        if (QWindow* own = windowHandle(); own && beside_->windowHandle())
            own->setTransientParent(beside_->windowHandle());
    } else if (!area.isNull()) {
        move(area.center() - rect().center());
    }
    show();
}

bool TPreviewWindow::Draw(const TBitmap& frame, const std::string& caption) {
    if (closed_)
        return false;
    frame_ = imageOf(frame);
    setWindowTitle(QString::fromStdString(caption));
    update();
    return true;
}

void TPreviewWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isNull())
        painter.drawImage(rect(), frame_);
}

void TPreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void TPreviewWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Close"), this, &QWidget::close);
    menu.exec(event->globalPos());
}

void TPreviewWindow::closeEvent(QCloseEvent* event) {
    closed_ = true;
    QWidget::closeEvent(event);
    if (closedByUser_)
        closedByUser_();
}

void InstallPreviewWindow(QWidget* beside, std::function<void()> closedByUser) {
    TPreviewer::SetWindowFactory([beside = QPointer<QWidget>(beside), closedByUser] {
        return std::make_unique<TPreviewWindow>(beside, closedByUser);
    });
}
