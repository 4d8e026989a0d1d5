#include "convert/PreviewWindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace {
// Room for the title bar and borders a window manager adds.
constexpr int kTitleAllowance = 30;
constexpr int kFrameAllowance = 4;

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

TPreviewWindow::TPreviewWindow(QWidget* beside)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      beside_(beside) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewWindow::Show(int width, int height) {
    resize(width, height);
    const QScreen* screen = beside_ ? beside_->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (beside_ && beside_->isVisible()) {
        // The title bar and border are not known before the window is shown: allow for them.
        const QSize decorated(width + 2 * kFrameAllowance, height + kTitleAllowance + kFrameAllowance);
        move(PlaceBeside(beside_->frameGeometry(), decorated, area));
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
        painter.drawImage(QPoint(0, 0), frame_);
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
}

void InstallPreviewWindow(QWidget* beside) {
    TPreviewer::SetWindowFactory(
        [beside = QPointer<QWidget>(beside)] { return std::make_unique<TPreviewWindow>(beside); });
}

QPoint PlaceBeside(const QRect& anchor, QSize size, const QRect& screen) {
    const int gap = 8;
    const QPoint candidates[] = {
        {anchor.right() + 1 + gap, anchor.top()},
        {anchor.left() - gap - size.width(), anchor.top()},
        {anchor.left(), anchor.bottom() + 1 + gap},
        {anchor.left(), anchor.top() - gap - size.height()},
    };
    for (QPoint at : candidates) {
        // Slid along the anchor's side to stay on the screen.
        const QRect moved = QRect(at, size).translated(
            std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())) -
                at.x(),
            std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())) -
                at.y());
        if (screen.contains(moved) && !moved.intersects(anchor))
            return moved.topLeft();
    }
    const QPoint centre = anchor.center();
    const int x = centre.x() < screen.center().x() ? screen.right() + 1 - size.width() : screen.left();
    const int y = centre.y() < screen.center().y() ? screen.bottom() + 1 - size.height() : screen.top();
    return {x, y};
}
