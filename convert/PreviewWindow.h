#pragma once

#include "engine/Previewer.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

// The window a running task's previewer draws its frames in: a tool window of the main
// window with its own title bar, sized to the first frame and placed beside the main
// window where the screen has room, with the frame's time as its caption. Its close
// button, Esc or its menu close it, after which the task stops previewing.
class TPreviewWindow : public QWidget, public IPreviewWindow {
    Q_OBJECT
public:
    // beside: the main window (may be null: the window then opens centred); closedByUser
    // runs when the user closes it (may be empty).
    TPreviewWindow(QWidget* beside, std::function<void()> closedByUser);

    void Show(int width, int height) override;
    bool Draw(const TBitmap& frame, const std::string& caption) override;

    const QImage& Frame() const { return frame_; }
    bool Closed() const { return closed_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QImage frame_;
    bool closed_ = false;
    QPointer<QWidget> beside_;
    std::function<void()> closedByUser_;
};

// Makes the engine's previewers draw in TPreviewWindow beside the given main window
// (once, on the main thread); closedByUser runs when the user closes one of them.
void InstallPreviewWindow(QWidget* beside, std::function<void()> closedByUser);
