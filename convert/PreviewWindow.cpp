#include "PreviewWindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {
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

TPreviewWindow::TPreviewWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowSystemMenuHint) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewWindow::Show(int width, int height) {
    resize(width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
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

void TPreviewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        grabOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TPreviewWindow::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - grabOffset_);
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

void InstallPreviewWindow() {
    TPreviewer::SetWindowFactory([] { return std::make_unique<TPreviewWindow>(); });
}
