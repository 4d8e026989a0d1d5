#include "engine/Previewer.h"

#include "engine/FFLog.h"
#include "support/MainThread.h"

#include <mutex>

namespace {

std::mutex gFactoryLock; // guards gFactory
TPreviewWindowFactory gFactory;

std::unique_ptr<IPreviewWindow> makeWindow() {
    std::lock_guard guard(gFactoryLock);
    return gFactory ? gFactory() : nullptr;
}

} // namespace

void TPreviewer::SetWindowFactory(TPreviewWindowFactory factory) {
    std::lock_guard guard(gFactoryLock);
    gFactory = std::move(factory);
}

TPreviewer::~TPreviewer() {
    if (window_)
        MainThread::Send([this] { window_.reset(); });
}

bool TPreviewer::Preview(const TBitmap& frame, int64_t ptsUs) {
    if (closed_)
        return false;
    const std::string caption = FFTimeText(ptsUs);
    MainThread::Send([&] {
        if (!window_) {
            window_ = makeWindow();
            if (!window_) {
                closed_ = true;
                return;
            }
            window_->Show(frame.Width, frame.Height);
        }
        if (!window_->Draw(frame, caption))
            closed_ = true;
    });
    return !closed_;
}
