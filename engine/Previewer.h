#pragma once

// The preview window of a running task. The engine knows no windows: the front end
// installs a factory for its window (a borderless, always-on-top tool window centred
// on the screen, movable by dragging), and the previewer drives it on the main thread.

#include "engine/FFBitmap.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class IPreviewWindow {
public:
    virtual ~IPreviewWindow() = default;
    // Creates the window sized to the first frame.
    virtual void Show(int width, int height) = 0;
    // Draws the frame at the top-left corner with caption as the title; false once the
    // user has closed the window.
    virtual bool Draw(const TBitmap& frame, const std::string& caption) = 0;
};

using TPreviewWindowFactory = std::function<std::unique_ptr<IPreviewWindow>()>;

class TPreviewer {
public:
    // Installed once by the front end; without a factory no window is shown.
    static void SetWindowFactory(TPreviewWindowFactory factory);

    TPreviewer() = default;
    // Frees the window on the main thread.
    ~TPreviewer();
    TPreviewer(const TPreviewer&) = delete;
    TPreviewer& operator=(const TPreviewer&) = delete;

    // Shows one frame (from any thread; the caption is its time, ptsUs in microseconds).
    // False once the window was closed or cannot be shown: the task then stops previewing.
    bool Preview(const TBitmap& frame, int64_t ptsUs);

private:
    std::unique_ptr<IPreviewWindow> window_; // touched on the main thread only
    std::atomic<bool> closed_{false};
};
