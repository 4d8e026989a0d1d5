#pragma once

#include "engine/FFmpegTask.h"

#include <memory>
#include <vector>

// The encoder's tasks, in queue order. The list owns its tasks: deleting or clearing
// frees them (a running task is stopped and waited for first).
class TFFmpegList {
public:
    int Add(std::unique_ptr<TFFmpeg> task);
    void Clear();
    void Delete(int index);
    TFFmpeg* Items(int index) const;
    int IndexOf(const TCustomFFmpeg* task) const;
    int Count() const;
    void StopAll(bool wait);
    void SetPreview(bool on);
    void SetPreviewBitmap(bool on);

private:
    void SetPreviewBit(int bit, bool on);
    // Frees removed tasks, or keeps them until the outermost StopAll walk has ended.
    void Retire(std::vector<std::unique_ptr<TFFmpeg>> tasks);

    std::vector<std::unique_ptr<TFFmpeg>> FItems;
    // A waiting Stop pumps main-thread calls, and a handler run there may clear the list:
    // tasks removed during a walk stay alive in FRetired until the walk is over.
    int FWalkDepth = 0;
    std::vector<std::unique_ptr<TFFmpeg>> FRetired;
};
