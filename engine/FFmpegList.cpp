#include "FFmpegList.h"

namespace {
constexpr int kPreviewWindowBit = 1;
constexpr int kPreviewBitmapBit = 2;
} // namespace

int TFFmpegList::Add(std::unique_ptr<TFFmpeg> task) {
    FItems.push_back(std::move(task));
    return static_cast<int>(FItems.size()) - 1;
}

void TFFmpegList::Clear() {
    // Empty the list first: tasks being freed are no longer found in it.
    auto items = std::move(FItems);
    FItems.clear();
    items.clear();
}

void TFFmpegList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    auto task = std::move(FItems[index]);
    FItems.erase(FItems.begin() + index);
    task.reset();
}

TFFmpeg* TFFmpegList::Items(int index) const {
    return index >= 0 && index < Count() ? FItems[index].get() : nullptr;
}

int TFFmpegList::IndexOf(const TCustomFFmpeg* task) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[i].get() == task)
            return i;
    return -1;
}

int TFFmpegList::Count() const {
    return static_cast<int>(FItems.size());
}

void TFFmpegList::StopAll(bool wait) {
    for (auto& task : FItems)
        task->Stop(wait);
}

void TFFmpegList::SetPreview(bool on) {
    SetPreviewBit(kPreviewWindowBit, on);
}

void TFFmpegList::SetPreviewBitmap(bool on) {
    SetPreviewBit(kPreviewBitmapBit, on);
}

void TFFmpegList::SetPreviewBit(int bit, bool on) {
    for (auto& task : FItems)
        task->SetPreviewBits(on ? (task->PreviewBits() | bit) : (task->PreviewBits() & ~bit));
}
