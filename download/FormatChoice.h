#pragma once

#include "download/VideoInfo.h"

#include <string>
#include <vector>

// Which offered files make one quality attempt. A quality code's number is the
// service's format number ([HQ18] is format "18"); attempt 0 (any code outside 0 to 7)
// takes the best format holding video and audio in one file. [HQ22] and [HQ37], which
// today's service offers only as separate streams, fall back to a video-only stream of
// their frame size plus an audio-only stream, joined into the quality's container.
struct TFormatPlan {
    // What to download, in order: nothing (the quality is not offered), one file, or a
    // video-only and an audio-only stream.
    std::vector<TVideoFormat> Parts;
    std::string Extension; // of the saved file, with the dot
    std::string Error;     // a chosen format the answer gives no address for

    bool Offered() const { return !Parts.empty(); }
    bool Joined() const { return Parts.size() > 1; }
};

TFormatPlan ChooseFormats(const TVideoInfo& info, int qualityCode);
