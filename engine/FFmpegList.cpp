#include "engine/FFmpegList.h"

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
    Retire(std::move(items));
}

void TFFmpegList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    std::vector<std::unique_ptr<TFFmpeg>> task;
    task.push_back(std::move(FItems[index]));
    FItems.erase(FItems.begin() + index);
    Retire(std::move(task));
}

void TFFmpegList::Retire(std::vector<std::unique_ptr<TFFmpeg>> tasks) {
    if (FWalkDepth == 0)
        return; // freed here, on leaving
    for (auto& task : tasks)
        FRetired.push_back(std::move(task));
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
    // Walk a snapshot: tasks queued by a handler during the wait belong to a new run.
    std::vector<TFFmpeg*> tasks;
    for (auto& task : FItems)
        tasks.push_back(task.get());
    ++FWalkDepth;
    for (TFFmpeg* task : tasks)
        task->Stop(wait);
    if (--FWalkDepth == 0) {
        auto retired = std::move(FRetired);
        FRetired.clear();
    }
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
