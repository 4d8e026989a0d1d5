#include "convert/EncoderThreads.h"

#include "engine/FFEncodeRecords.h"
#include "engine/FFmpeg.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// Where a video encoder may run on several threads. Only the encoders that offer
// threads matter (x264, MPEG-1/2/4 part 2 and MJPEG slice or frame threads, raw video);
// the rest code on one thread whatever they are given.
struct TThreadedEncoder {
    std::string_view VideoCodec;
    std::optional<TFormatId> Format; // none: every format
    std::vector<int> Presets;        // empty: every preset of the format
};

// clang-format off
const TThreadedEncoder kThreadedEncoders[] = {
    // x264 runs frame threads: one slice per picture whatever the thread count, so
    // iPod, PSP and phone streams keep their layout.
    {"libx264", std::nullopt, {}},
    // MPEG-2 starts a slice at every macroblock row with one thread as well: DVD, SVCD
    // and HD streams keep their layout.
    {"mpeg2video", std::nullopt, {}},
    // Frame threads of raw pictures.
    {"rawvideo", std::nullopt, {}},
    // MPEG-4 part 2 threads add a video packet (resync marker) per thread to every
    // picture. Players on computers (and sites that re-encode uploads) decode them; the
    // devices' presets (BlackBerry, Archos, Zen, Epson, iRiver, iAudio, Sansa, iPod,
    // phones, 3GPP) keep one thread.
    {"mpeg4", fmtAVI, {0, 2, 3, 4, 5, 6, 7, 24, 25, 26, 27}},
    {"mpeg4", fmtMP4, {14, 15, 16}},
    {"mpeg4", fmtMOV, {5, 7}},
    // MPEG-1 writes one slice per picture with one thread and one per thread with more:
    // VCD players and the Zen and Epson presets keep one thread.
    {"mpeg1video", fmtMPEG, {4}},
    // Not listed: MJPEG, whose frame threads rate each picture on their own and miss
    // the asked bit rate by more than double.
};
// clang-format on

// The encoder a record asks for; a target chooses its own.
std::string_view videoCodecOf(const TOutputOptions& options) {
    if (!options.VideoCodec.empty())
        return options.VideoCodec;
    switch (options.TargetType) {
    case 1:
        return "mpeg1video";
    case 2:
    case 3:
        return "mpeg2video";
    default:
        return {};
    }
}

bool listed(const std::vector<int>& presets, int preset) {
    return presets.empty() || std::find(presets.begin(), presets.end(), preset) != presets.end();
}

} // namespace

int VideoEncoderThreads(TFormatId format, int preset, const TOutputOptions& options) {
    const std::string_view codec = videoCodecOf(options);
    for (const TThreadedEncoder& row : kThreadedEncoders)
        if (row.VideoCodec == codec && (!row.Format || *row.Format == format) && listed(row.Presets, preset))
            return -1;
    return 1;
}

std::string CodecThreadsText(int threads) {
    if (threads != kAutoThreads)
        return "Codec threads: " + std::to_string(threads);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return "Codec threads: automatic (" + std::to_string(cores) + " processor core" +
           (cores == 1 ? ")" : "s)");
}
