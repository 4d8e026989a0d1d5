// TCustomFFmpeg: the option table, its value rules and the specific setters.

#include "engine/FFmpeg.h"
#include "engine/FFmpegState.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using S = TCustomFFmpeg::State;

bool isTrue(const std::string& v) {
    return v != "0";
}

int toInt(const std::string& v) {
    return int(std::strtol(v.c_str(), nullptr, 10));
}

int64_t parseTime(const std::string& name, const std::string& value, bool duration) {
    int64_t us = 0;
    if (FF().avutil.av_parse_time(&us, value.c_str(), duration ? 1 : 0) < 0)
        throw FFmpegException(Fmt("Invalid %s specification for %s: %s", duration ? "duration" : "date",
                                  name.c_str(), value.c_str()));
    return us;
}

uint32_t parseTag(const std::string& value) {
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (!value.empty() && end && *end == 0)
        return uint32_t(n);
    if (value.size() != 4)
        throw FFmpegException(Fmt("Invalid tag parmeter %s", value.c_str()));
    return uint32_t(uint8_t(value[0])) | uint32_t(uint8_t(value[1])) << 8 |
           uint32_t(uint8_t(value[2])) << 16 | uint32_t(uint8_t(value[3])) << 24;
}

std::vector<uint16_t> parseMatrix(const std::string& value) {
    std::vector<uint16_t> m(64, 0);
    const char* p = value.c_str();
    for (int i = 0; i < 64; i++) {
        m[size_t(i)] = uint16_t(std::strtol(p, nullptr, 10));
        p = std::strchr(p, ',');
        if (!p) {
            if (i != 63)
                throw FFmpegException(Fmt("Syntax error in matrix \"%s\" at coeff %d", value.c_str(), i));
            break;
        }
        p++;
    }
    return m;
}

// "a<sep>b": the two integers around one separator character.
bool parsePair(const std::string& value, int& a, int& b, size_t& next) {
    char* end = nullptr;
    a = int(std::strtol(value.c_str(), &end, 10));
    if (end == value.c_str() || !*end)
        return false;
    const char* second = end + 1;
    b = int(std::strtol(second, &end, 10));
    next = size_t(end - value.c_str());
    return end != second;
}

std::vector<std::string>& bsfList(S& s, char kind) {
    return kind == 'a' ? s.absf : kind == 'v' ? s.vbsf : s.sbsf;
}

} // namespace

void TCustomFFmpeg::SetOption(const std::string& name, const std::string& value) {
    using Handler = void (*)(TCustomFFmpeg&, S&, const std::string& name, const std::string& value);
    struct TRow {
        const char* name;
        Handler handler;
    };
    static const Handler ignored = [](TCustomFFmpeg& t, S&, const std::string& n, const std::string&) {
        TaskLog(&t, llInfo, "Do nothing: option - " + n);
    };
    static const Handler noEffect = [](TCustomFFmpeg&, S&, const std::string&, const std::string&) {};
    static const Handler removedCrop = [](TCustomFFmpeg&, S&, const std::string&, const std::string&) {
        throw FFmpegException("Removed, use the crop filter instead");
    };
    static const Handler removedPad = [](TCustomFFmpeg&, S&, const std::string&, const std::string&) {
        throw FFmpegException("Removed, use the pad filter instead");
    };
    static const Handler bitstreamFilter = [](TCustomFFmpeg&, S& s, const std::string& n,
                                              const std::string& v) {
        const std::string filter = v.substr(0, v.find('='));
        if (!FF().avcodec.av_bsf_get_by_name(filter.c_str()))
            throw FFmpegException(Fmt("Unknown bitstream filter %s", filter.c_str()));
        bsfList(s, n[0]).push_back(v);
    };
    static const Handler newStream = [](TCustomFFmpeg& t, S&, const std::string& n, const std::string&) {
        t.AddStream(n == "newvideo"   ? AVMEDIA_TYPE_VIDEO
                    : n == "newaudio" ? AVMEDIA_TYPE_AUDIO
                                      : AVMEDIA_TYPE_SUBTITLE);
    };

    static const TRow rows[] = {
        {"L", ignored}, {"h", ignored}, {"version", ignored}, {"formats", ignored}, {"codecs", ignored},
        {"bsfs", ignored}, {"protocols", ignored}, {"filters", ignored},
        {"loglevel", [](TCustomFFmpeg&, S&, const std::string&, const std::string& v) {
             FFLogger().SetLogLevelByName(v);
         }},
        {"f", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetForceFormat(v); }},
        {"i", ignored}, {"y", ignored},
        {"map", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             TStreamMap m;
             size_t next = 0;
             if (!parsePair(v, m.file, m.stream, next))
                 throw FFmpegException(Fmt("Invalid value \"%s\" for option \"map\"", v.c_str()));
             m.syncFile = m.file;
             m.syncStream = m.stream;
             if (next < v.size() && !parsePair(v.substr(next + 1), m.syncFile, m.syncStream, next))
                 throw FFmpegException(Fmt("Invalid value \"%s\" for option \"map\"", v.c_str()));
             s.maps.push_back(m);
         }},
        {"map_meta_data", [](TCustomFFmpeg&, S&, const std::string&, const std::string& v) {
             // Each side: file[,g|,s<n>|,c<n>|,p<n>].
             size_t pos = 0;
             while ((pos = v.find(',', pos)) != std::string::npos) {
                 const char type = ++pos < v.size() ? v[pos] : 0;
                 if (!std::strchr("gscp", type) || type == 0)
                     throw FFmpegException(Fmt("Invalid metadata type %s.", v.substr(pos).c_str()));
             }
         }},
        {"map_chapters", [](TCustomFFmpeg&, S&, const std::string&, const std::string& v) {
             int a = 0, b = 0;
             size_t next = 0;
             if (!parsePair(v, a, b, next))
                 throw FFmpegException(Fmt("Invalid value \"%s\" for option \"map_chapters\"", v.c_str()));
         }},
        {"t", [](TCustomFFmpeg&, S& s, const std::string& n, const std::string& v) {
             s.recordingTime = parseTime(n, v, true);
         }},
        {"fs", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.limitFileSize = std::strtoll(v.c_str(), nullptr, 10);
         }},
        {"ss", [](TCustomFFmpeg&, S& s, const std::string& n, const std::string& v) {
             s.startTime = parseTime(n, v, true);
         }},
        {"itsoffset", [](TCustomFFmpeg&, S& s, const std::string& n, const std::string& v) {
             s.inputTsOffset = parseTime(n, v, true);
         }},
        {"itsscale", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             char* end = nullptr;
             const int index = int(std::strtol(v.c_str(), &end, 10));
             if (index < 0 || index >= kMaxStreams)
                 throw FFmpegException(Fmt("stream index over MAX_STREAMS(%d)", kMaxStreams));
             const double scale = end && *end ? std::strtod(end + 1, nullptr) : 1.0;
             s.tsScale.emplace_back(index, scale);
         }},
        {"timestamp", [](TCustomFFmpeg& t, S&, const std::string& n, const std::string& v) {
             t.SetTimestamp(int64_t(std::llround(double(parseTime(n, v, false)) / 1e6)));
         }},
        {"metadata", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) {
             const size_t eq = v.find('=');
             if (eq == std::string::npos)
                 throw FFmpegException("Missing =");
             if (eq == 0)
                 throw FFmpegException("wrong parameter of metadata");
             t.SetMetadata(v.substr(0, eq), v.substr(eq + 1));
         }},
        {"dframes", noEffect}, {"benchmark", noEffect},
        {"timelimit", [](TCustomFFmpeg& t, S&, const std::string&, const std::string&) {
             TaskLog(&t, llWarning, "Warning: -timelimit not implemented on Windows");
         }},
        {"dump", noEffect}, {"hex", noEffect}, {"re", noEffect}, {"loop_input", noEffect},
        {"loop_output", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.loopOutput = toInt(v);
         }},
        {"v", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetVerbosity(toInt(v)); }},
        {"target", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) {
             std::string norm = "auto", type = v;
             for (const char* prefix : {"pal-", "ntsc-", "film-"}) {
                 if (v.rfind(prefix, 0) == 0) {
                     norm = std::string(prefix, std::strlen(prefix) - 1);
                     type = v.substr(std::strlen(prefix));
                 }
             }
             t.SetTarget(type, norm, "ntsc");
         }},
        {"threads", [](TCustomFFmpeg& t, S& s, const std::string&, const std::string& v) {
             t.SetThreads(v == "auto" ? kAutoThreads : toInt(v));
             if (s.verbosity >= 0)
                 TaskLog(&t, llVerbose, "Warning: if the ffmpeg libraries were not compiled with thread support, "
                                        "it would be using thread emulation.");
         }},
        {"vsync", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetVideoSyncMethod(toInt(v)); }},
        {"async", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAudioSyncMethod(toInt(v)); }},
        {"adrift_threshold", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.audioDriftThreshold = std::strtod(v.c_str(), nullptr);
         }},
        {"vglobal", noEffect},
        {"copyts", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.copyTs = isTrue(v); }},
        {"copytb", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.copyTb = isTrue(v); }},
        {"shortest", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.shortest = isTrue(v); }},
        {"dts_delta_threshold", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.dtsDeltaThreshold = std::strtod(v.c_str(), nullptr);
         }},
        {"programid", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetProgramId(toInt(v)); }},
        {"xerror", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.exitOnError = isTrue(v); }},
        {"copyinkf", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.copyInitialNonKeyframes = isTrue(v);
         }},
        {"b", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.setBitRate(AVMEDIA_TYPE_VIDEO, v); }},
        {"vb", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.setBitRate(AVMEDIA_TYPE_VIDEO, v); }},
        {"vframes", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.video.maxFrames = std::strtoll(v.c_str(), nullptr, 10);
         }},
        {"r", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetFrameRate(v); }},
        {"s", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetFrameSize(v); }},
        {"aspect", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAspectRatio(v); }},
        {"pix_fmt", [](TCustomFFmpeg& t, S& s, const std::string&, const std::string& v) {
             if (v == "list") {
                 for (const AVPixFmtDescriptor* p = nullptr; (p = FF().avutil.av_pix_fmt_desc_next(p));)
                     TaskLog(&t, llInfo, p->name);
                 return;
             }
             s.video.pixFmt = FF().avutil.av_get_pix_fmt(v.c_str());
             if (s.video.pixFmt == AV_PIX_FMT_NONE)
                 throw FFmpegException(Fmt("Unknown pixel format requested: %s", v.c_str()));
         }},
        {"croptop", removedCrop}, {"cropbottom", removedCrop}, {"cropleft", removedCrop}, {"cropright", removedCrop},
        {"padtop", removedPad}, {"padbottom", removedPad}, {"padleft", removedPad}, {"padright", removedPad},
        {"padcolor", removedPad},
        {"intra", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.intra = isTrue(v); }},
        {"vn", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.disable = isTrue(v); }},
        {"vdt", noEffect},
        {"qscale", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             const double q = std::strtod(v.c_str(), nullptr);
             if (!(q > 0.0 && q <= 255))
                 throw FFmpegException("qscale must be > 0.0 and <= 255");
             s.video.qscale = float(q);
         }},
        {"rc_override", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.rcOverride = v; }},
        {"vcodec", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetVideoCodec(v); }},
        {"me_threshold", noEffect},
        {"sameq", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.sameq = isTrue(v); }},
        {"pass", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             const int p = toInt(v);
             if (p != 1 && p != 2)
                 throw FFmpegException("pass number can be only 1 or 2");
             s.pass = p;
         }},
        {"passlogfile", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.passLogFile = v; }},
        {"deinterlace", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.video.deinterlace = isTrue(v);
         }},
        {"psnr", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             if (isTrue(v))
                 s.generic.Set("flags", "+psnr");
         }},
        {"vstats", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.vstats = isTrue(v); }},
        {"vstats_file", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.vstats = true;
             s.vstatsFile = v;
         }},
        {"vhook", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) {
             // Hook libraries of the old interface cannot be loaded into today's pipeline.
             const std::string lib = v.substr(0, v.find_first_of(v.find('|') != std::string::npos ? "|" : " "));
             TaskLog(&t, llError, Fmt("Failed to find Configure entrypoint in %s\n", lib.c_str()));
             throw FFmpegException("Failed to add video hook function: " + v);
         }},
        {"vfilters", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetVideoFilters(v); }},
        {"vf", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetVideoFilters(v); }},
        {"intra_matrix", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.video.intraMatrix = parseMatrix(v);
         }},
        {"inter_matrix", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.video.interMatrix = parseMatrix(v);
         }},
        {"top", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.top = toInt(v); }},
        {"dc", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.dc = toInt(v); }},
        {"vtag", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetVideoTag(v); }},
        {"newvideo", newStream},
        {"vlang", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.lang = v; }},
        {"qphist", noEffect},
        {"force_fps", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.video.forceFps = isTrue(v); }},
        {"streamid", [](TCustomFFmpeg&, S& s, const std::string& n, const std::string& v) {
             const size_t colon = v.find(':');
             char* end = nullptr;
             const long index = std::strtol(v.c_str(), &end, 10);
             if (colon == std::string::npos || end != v.c_str() + colon || index < 0 || index >= kMaxStreams)
                 throw FFmpegException(Fmt("Invalid value \"%s\" for option \"%s\", required syntax is \"index:value\"",
                                           v.c_str(), n.c_str()));
             s.streamIds[int(index)] = toInt(v.substr(colon + 1));
         }},
        {"force_key_frames", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.video.forceKeyFrames = v;
         }},
        {"ab", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.setBitRate(AVMEDIA_TYPE_AUDIO, v); }},
        {"aframes", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.audio.maxFrames = std::strtoll(v.c_str(), nullptr, 10);
         }},
        {"aq", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) {
             s.audio.quality = float(std::strtod(v.c_str(), nullptr));
         }},
        {"ar", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAudioSampleRate(toInt(v)); }},
        {"ac", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAudioChannels(toInt(v)); }},
        {"an", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.audio.disable = isTrue(v); }},
        {"acodec", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAudioCodec(v); }},
        {"atag", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAudioTag(v); }},
        {"vol", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAudioVolume(toInt(v)); }},
        {"newaudio", newStream},
        {"alang", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.audio.lang = v; }},
        {"sample_fmt", [](TCustomFFmpeg& t, S& s, const std::string&, const std::string& v) {
             if (v == "list") {
                 for (int f = 0; f < AV_SAMPLE_FMT_NB; f++)
                     TaskLog(&t, llInfo, FF().avutil.av_get_sample_fmt_name(AVSampleFormat(f)));
                 return;
             }
             s.audio.sampleFmt = FF().avutil.av_get_sample_fmt(v.c_str());
             if (s.audio.sampleFmt == AV_SAMPLE_FMT_NONE)
                 throw FFmpegException(Fmt("Invalid sample format \"%s\"", v.c_str()));
         }},
        {"sn", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.subtitle.disable = isTrue(v); }},
        {"scodec", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetSubtitleCodec(v); }},
        {"newsubtitle", newStream},
        {"slang", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.subtitle.lang = v; }},
        {"stag", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.subtitle.tag = parseTag(v); }},
        {"vc", noEffect}, {"tvstd", noEffect},
        {"isync", [](TCustomFFmpeg&, S& s, const std::string&, const std::string& v) { s.inputSync = isTrue(v); }},
        {"muxdelay", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) {
             t.SetMuxDelay(float(std::strtod(v.c_str(), nullptr)));
         }},
        {"muxpreload", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) {
             t.SetMuxPreload(float(std::strtod(v.c_str(), nullptr)));
         }},
        {"absf", bitstreamFilter}, {"vbsf", bitstreamFilter}, {"sbsf", bitstreamFilter},
        {"apre", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetAudioPreset(v); }},
        {"vpre", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetVideoPreset(v); }},
        {"spre", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetSubtitlePreset(v); }},
        {"fpre", [](TCustomFFmpeg& t, S&, const std::string&, const std::string& v) { t.SetFramePresetFile(v); }},
    };

    for (const auto& row : rows) {
        if (name == row.name) {
            row.handler(*this, *d, name, value);
            return;
        }
    }
    const std::string err = d->generic.Set(name, value);
    if (!err.empty() && d->optionErrorRaise)
        throw FFmpegException(err);
}

void TCustomFFmpeg::setBitRate(AVMediaType kind, const std::string& value) {
    const std::string err = d->generic.SetForKind(kind, "b", value);
    if (!err.empty())
        throw FFmpegException(err);
    if (d->generic.LastBitRate() < 1000)
        TaskLog(this, llWarning,
                "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s");
}

void TCustomFFmpeg::SetForceFormat(const std::string& format) {
    d->forceFormat = format;
}

void TCustomFFmpeg::SetAudioCodec(const std::string& codec) {
    d->audio.codec = TranslateCodecName(codec);
}
void TCustomFFmpeg::SetVideoCodec(const std::string& codec) {
    d->video.codec = TranslateCodecName(codec);
}
void TCustomFFmpeg::SetSubtitleCodec(const std::string& codec) {
    d->subtitle.codec = TranslateCodecName(codec);
}

void TCustomFFmpeg::SetFrameSize(const std::string& size) {
    if (size.empty())
        return;
    int w = 0, h = 0;
    if (FF().avutil.av_parse_video_size(&w, &h, size.c_str()) < 0)
        throw FFmpegException("Incorrect frame size");
    d->video.width = w;
    d->video.height = h;
}

void TCustomFFmpeg::SetVideoFilters(const std::string& filters) {
    d->video.filters = filters;
}

void TCustomFFmpeg::SetFrameRate(const std::string& rate) {
    if (rate.empty())
        return;
    AVRational r{0, 0};
    if (FF().avutil.av_parse_video_rate(&r, rate.c_str()) < 0)
        throw FFmpegException("Incorrect frame rate");
    d->video.frameRate = r;
}

void TCustomFFmpeg::SetAspectRatio(const std::string& aspect) {
    if (aspect.empty())
        return;
    double ratio = 0;
    const size_t colon = aspect.find(':');
    if (colon != std::string::npos) {
        const long x = std::strtol(aspect.c_str(), nullptr, 10);
        const long y = std::strtol(aspect.c_str() + colon + 1, nullptr, 10);
        if (y > 0)
            ratio = double(x) / double(y);
    } else {
        ratio = std::strtod(aspect.c_str(), nullptr);
    }
    if (!(ratio > 0) || !std::isfinite(ratio))
        throw FFmpegException("Incorrect aspect ratio specification.");
    d->video.aspect = ratio;
}

void TCustomFFmpeg::SetAudioChannels(int channels) {
    d->audio.channels = channels;
}
void TCustomFFmpeg::SetAudioSampleRate(int rate) {
    d->audio.sampleRate = rate;
}
void TCustomFFmpeg::SetAudioVolume(int volume) {
    d->audio.volume = volume;
}
void TCustomFFmpeg::SetAudioSyncMethod(int method) {
    d->audioSync = method;
}
void TCustomFFmpeg::SetVideoSyncMethod(int method) {
    d->videoSync = method;
}
void TCustomFFmpeg::SetThreads(int count) {
    d->threads = std::max(count, kAutoThreads);
}
int TCustomFFmpeg::Threads() const {
    return d->threads;
}
void TCustomFFmpeg::SetVideoThreads(int count) {
    d->video.threads = std::max(count, kAutoThreads);
}
void TCustomFFmpeg::SetMuxDelay(float seconds) {
    d->muxDelay = seconds;
}
void TCustomFFmpeg::SetMuxPreload(float seconds) {
    d->muxPreload = seconds;
}
void TCustomFFmpeg::SetStartTime(int64_t us) {
    d->startTime = us;
}
void TCustomFFmpeg::SetRecordingTime(int64_t us) {
    d->recordingTime = us;
}
void TCustomFFmpeg::SetTimestamp(int64_t secondsSince1970) {
    d->timestamp = secondsSince1970;
}
void TCustomFFmpeg::SetMetadata(const std::string& key, const std::string& value) {
    d->metadata.emplace_back(key, value);
}
void TCustomFFmpeg::SetAudioTag(const std::string& tag) {
    d->audio.tag = parseTag(tag);
}
void TCustomFFmpeg::SetVideoTag(const std::string& tag) {
    d->video.tag = parseTag(tag);
}
void TCustomFFmpeg::SetProgramId(int id) {
    d->programId = id;
}
