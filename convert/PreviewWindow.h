#pragma once

#include "Previewer.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

// The window a running task's previewer draws its frames in: borderless, a tool window
// that stays on top, centred on the screen and sized to the first frame, with the
// frame's time as its caption. Dragging it with the left button moves it; Esc or its
// menu closes it, after which the task stops previewing.
class TPreviewWindow : public QWidget, public IPreviewWindow {
    Q_OBJECT
public:
    TPreviewWindow();

    void Show(int width, int height) override;
    bool Draw(const TBitmap& frame, const std::string& caption) override;

    const QImage& Frame() const { return frame_; }
    bool Closed() const { return closed_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QImage frame_;
    bool closed_ = false;
    QPoint grabOffset_;
};

// Makes the engine's previewers draw in TPreviewWindow (once, on the main thread).
void InstallPreviewWindow();
