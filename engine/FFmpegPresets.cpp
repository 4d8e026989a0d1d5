// TCustomFFmpeg: codec presets ("apre", "vpre", "spre", "fpre") and targets.

#include "engine/FFmpeg.h"
#include "engine/FFmpegState.h"
#include "engine/X264Presets.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string& codecOf(TCustomFFmpeg::State& s, AVMediaType kind) {
    return kind == AVMEDIA_TYPE_AUDIO   ? s.audio.codec
           : kind == AVMEDIA_TYPE_VIDEO ? s.video.codec
                                        : s.subtitle.codec;
}

} // namespace

void TCustomFFmpeg::SetAudioPreset(const std::string& preset) {
    applyPreset(AVMEDIA_TYPE_AUDIO, preset, false);
}
void TCustomFFmpeg::SetVideoPreset(const std::string& preset) {
    applyPreset(AVMEDIA_TYPE_VIDEO, preset, false);
}
void TCustomFFmpeg::SetSubtitlePreset(const std::string& preset) {
    applyPreset(AVMEDIA_TYPE_SUBTITLE, preset, false);
}
void TCustomFFmpeg::SetFramePresetFile(const std::string& fileName) {
    applyPreset(AVMEDIA_TYPE_UNKNOWN, fileName, true);
}

void TCustomFFmpeg::applyPreset(AVMediaType kind, const std::string& name, bool isFile) {
    if (name.empty())
        return;
    std::string text;
    if (!isFile) {
        const char* builtin = FindBuiltinPreset(name);
        const std::string& codec = codecOf(*d, kind);
        if (!builtin && !codec.empty() && codec != "copy")
            builtin = FindBuiltinPreset(codec + "-" + name);
        if (builtin)
            text = builtin;
        else
            isFile = true;
    }
    if (isFile) {
        std::ifstream in(name, std::ios::binary);
        if (!in)
            throw FFmpegException(Fmt("Preset \"%s\" not found", name.c_str()));
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    }

    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0)
            throw FFmpegException(Fmt("%s: Invalid syntax: \"%s\"", name.c_str(), line.c_str()));
        const std::string key = trim(line.substr(0, eq));
        const std::string value = trim(line.substr(eq + 1));
        if (key == "acodec")
            SetAudioCodec(value);
        else if (key == "vcodec")
            SetVideoCodec(value);
        else if (key == "scodec")
            SetSubtitleCodec(value);
        else {
            const std::string err = d->generic.Set(key, value);
            if (!err.empty() && d->optionErrorRaise)
                throw FFmpegException(
                    Fmt("%s\r\n%s: Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"",
                        err.c_str(), name.c_str(), line.c_str(), key.c_str(), value.c_str()));
        }
    }
}

void TCustomFFmpeg::SetTarget(const std::string& type, const std::string& norm,
                              const std::string& fallbackNorm) {
    enum { PAL, NTSC, FILM, UNKNOWN } found = UNKNOWN;
    if (norm == "pal")
        found = PAL;
    else if (norm == "ntsc")
        found = NTSC;
    else if (norm == "film")
        found = FILM;
    else {
        auto byRate = [&](AVRational r) {
            if (r.den == 0)
                throw FFmpegException("frame_rate is invalid.");
            const long fr = std::lround(double(r.num) * 1000.0 / double(r.den));
            if (fr == 25000)
                found = PAL;
            else if (fr == 29970 || fr == 23976)
                found = NTSC;
        };
        if (d->video.frameRate.num != 0)
            byRate(d->video.frameRate);
        for (size_t i = 0; found == UNKNOWN && i < d->inputs.size(); i++) {
            const AVFormatContext* ic = d->inputs[i].ctx.get();
            for (unsigned j = 0; found == UNKNOWN && j < ic->nb_streams; j++)
                if (ic->streams[j]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                    ic->streams[j]->r_frame_rate.den)
                    byRate(ic->streams[j]->r_frame_rate);
        }
        if (found == UNKNOWN)
            found = fallbackNorm == "film" ? FILM : fallbackNorm == "ntsc" ? NTSC : PAL;
        else if (d->verbosity > 0)
            TaskLog(this, llVerbose, Fmt("Assuming %s for target.", found == PAL ? "PAL" : "NTSC"));
    }
    const bool pal = found == PAL;
    const std::string rate = pal ? "25" : found == NTSC ? "30000/1001" : "24000/1001";

    // One row per target type; the norm picks the frame size.
    struct TTargetRow {
        const char* type;
        const char* vcodec;
        const char* acodec;
        const char* format;
        const char* sizePal;
        const char* sizeNtsc;
        const char* options; // name=value;... in the order they are set
        int sampleRate;
        const char* aspect; // set (with its notice) when no aspect ratio is given
    };
    static const TTargetRow rows[] = {
        {"vcd", "mpeg1video", "mp2", "vcd", "352x288", "352x240",
         "b=1150000;maxrate=1150000;minrate=1150000;bufsize=327680;ab=224000;packetsize=2324;muxrate=1411200",
         44100, "4:3"},
        {"svcd", "mpeg2video", "mp2", "svcd", "480x576", "480x480",
         "b=2040000;maxrate=2516000;minrate=0;bufsize=1835008;scan_offset=1;ab=224000;packetsize=2324", 44100,
         "4:3"},
        {"dvd", "mpeg2video", "ac3", "dvd", "720x576", "720x480",
         "b=6000000;maxrate=9000000;minrate=0;bufsize=1835008;packetsize=2048;muxrate=10080000;ab=448000",
         48000, "16:9"},
        {"dv", "", "", "dv", "720x576", "720x480", "", 48000, nullptr},
        {"dv50", "", "", "dv", "720x576", "720x480", "", 48000, nullptr},
    };
    const TTargetRow* row = nullptr;
    for (const auto& r : rows)
        if (type == r.type)
            row = &r;
    if (!row)
        throw FFmpegException("Unknown target type");

    if (*row->vcodec)
        SetVideoCodec(row->vcodec);
    if (*row->acodec)
        SetAudioCodec(row->acodec);
    SetForceFormat(row->format);
    SetFrameSize(pal ? row->sizePal : row->sizeNtsc);
    SetFrameRate(rate);
    if (row->vcodec[0]) {
        SetOption("g", pal ? "15" : "18");
        std::istringstream opts(row->options);
        std::string pair;
        while (std::getline(opts, pair, ';')) {
            const size_t eq = pair.find('=');
            SetOption(pair.substr(0, eq), pair.substr(eq + 1));
        }
    }
    d->audio.sampleRate = row->sampleRate;
    if (type == "vcd")
        d->audio.channels = 2;
    else if (d->audio.channels == 1 || d->audio.channels == 0)
        d->audio.channels = 2;
    if (type == "vcd")
        d->muxPreload = 0.44f;
    if (type == "dv" || type == "dv50")
        d->video.pixFmt = type == "dv50"  ? AV_PIX_FMT_YUV422P
                          : found == NTSC ? AV_PIX_FMT_YUV411P
                                          : AV_PIX_FMT_YUV420P;
    if (row->aspect && d->video.aspect == 0) {
        TaskLog(this, llInfo, Fmt("Assuming %s for aspect ratio", row->aspect));
        SetAspectRatio(row->aspect);
    }
}
