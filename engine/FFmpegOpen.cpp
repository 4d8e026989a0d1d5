// TCustomFFmpeg: opening input and output files.

#include "engine/FFmpeg.h"
#include "engine/FFmpegState.h"

#include <ctime>

namespace {

// Interrupt check around blocking opens: the task's I/O time-out, or a stop request
// that cleared the start stamp.
bool timeoutCheck(void* data, void* arg) {
    auto* s = static_cast<TCustomFFmpeg::State*>(data);
    const int64_t start = s->ioStart;
    if (start == 0) {
        FFLogger().Log(arg, llInfo, "connecting/reading/writing canceled");
        return true;
    }
    if (start != INT64_MAX && s->ioTimeoutMs > 0 && SteadyMs() - start > s->ioTimeoutMs) {
        FFLogger().Log(arg, llInfo, "connecting/reading/writing timeout");
        return true;
    }
    return false;
}

// Registers the time-out check for the calling thread while a blocking open runs.
class TBlockingIO {
public:
    TBlockingIO(TCustomFFmpeg* task, TCustomFFmpeg::State& s) : task_(task), s_(s) {
        if (!s_.stopRequested)
            s_.ioStart = SteadyMs();
        FFInterruptCB().Register(FFThreadId(), task_, {timeoutCheck, &s_});
    }
    ~TBlockingIO() {
        FFInterruptCB().Unregister(FFThreadId(), task_, {timeoutCheck, &s_});
        if (s_.ioStart != 0)
            s_.ioStart = INT64_MAX;
    }
    TBlockingIO(const TBlockingIO&) = delete;
    TBlockingIO& operator=(const TBlockingIO&) = delete;

private:
    TCustomFFmpeg* task_;
    TCustomFFmpeg::State& s_;
};

const char* kindName(AVMediaType kind) {
    return kind == AVMEDIA_TYPE_VIDEO ? "video" : kind == AVMEDIA_TYPE_AUDIO ? "audio" : "subtitle";
}

bool inputsHave(const std::vector<TInputFile>& inputs, AVMediaType kind) {
    for (const auto& in : inputs)
        for (unsigned i = 0; i < in.ctx->nb_streams; i++)
            if (in.ctx->streams[i]->codecpar->codec_type == kind)
                return true;
    return false;
}

} // namespace

const AVCodec* FindCodecByName(const std::string& name, AVMediaType kind, bool encoder, int strict) {
    const TFFEntries& ff = FF();
    const char* role = encoder ? "encoder" : "decoder";
    const AVCodec* codec = encoder ? ff.avcodec.avcodec_find_encoder_by_name(name.c_str())
                                   : ff.avcodec.avcodec_find_decoder_by_name(name.c_str());
    if (!codec)
        throw FFmpegException(Fmt("Unknown %s '%s'", role, name.c_str()));
    if (codec->type != kind)
        throw FFmpegException(Fmt("Invalid %s type '%s'", role, name.c_str()));
    if ((codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) && strict > FF_COMPLIANCE_EXPERIMENTAL) {
        std::string msg = Fmt("%s '%s' is experimental and might produce bad results.\r\n"
                              "Add '-strict experimental' if you want to use it.",
                              role, name.c_str());
        const AVCodec* other =
            encoder ? ff.avcodec.avcodec_find_encoder(codec->id) : ff.avcodec.avcodec_find_decoder(codec->id);
        if (other && !(other->capabilities & AV_CODEC_CAP_EXPERIMENTAL))
            msg += Fmt("\r\nOr use the non experimental %s '%s'.", role, other->name);
        throw FFmpegException(msg);
    }
    return codec;
}

static int strictLevel(const TGenericOptions& generic) {
    const std::string v = generic.CodecValue(AVMEDIA_TYPE_UNKNOWN, "strict");
    if (v.empty())
        return FF_COMPLIANCE_NORMAL;
    if (v == "experimental")
        return FF_COMPLIANCE_EXPERIMENTAL;
    if (v == "unofficial")
        return FF_COMPLIANCE_UNOFFICIAL;
    if (v == "strict" || v == "very")
        return FF_COMPLIANCE_STRICT;
    return int(std::strtol(v.c_str(), nullptr, 10));
}

bool TCustomFFmpeg::OpenInput(const std::string& fileName) {
    const TFFEntries& ff = FF();
    d->lastErr.clear();
    try {
        if (int(d->inputs.size()) >= d->maxFiles)
            throw FFmpegException(Fmt("max input files %d reached", d->maxFiles));
        const AVInputFormat* format = nullptr;
        if (!d->forceFormat.empty()) {
            format = ff.avformat.av_find_input_format(d->forceFormat.c_str());
            if (!format)
                throw FFmpegException(Fmt("Unknown input format: \"%s\"", d->forceFormat.c_str()));
        }
        AVFormatContext* raw = ff.avformat.avformat_alloc_context();
        if (!raw)
            throw FFmpegException("avformat_alloc_context failed");
        FFSetInterruptCallback(raw);
        TInputFile in;
        in.name = fileName;
        const int strict = strictLevel(d->generic);
        if (!d->video.codec.empty())
            in.videoDecoder = FindCodecByName(d->video.codec, AVMEDIA_TYPE_VIDEO, false, strict)->name;
        if (!d->audio.codec.empty())
            in.audioDecoder = FindCodecByName(d->audio.codec, AVMEDIA_TYPE_AUDIO, false, strict)->name;
        if (!d->subtitle.codec.empty())
            in.subtitleDecoder =
                FindCodecByName(d->subtitle.codec, AVMEDIA_TYPE_SUBTITLE, false, strict)->name;

        TDict options;
        d->generic.FormatOptions(options.Ptr());
        int ret;
        {
            TBlockingIO io(this, *d);
            ret = ff.avformat.avformat_open_input(&raw, FFFileNameToLib(fileName).c_str(), format,
                                                  options.Ptr());
        }
        if (ret < 0) {
            d->lastErr = FFErrorText(fileName, ret);
            return false;
        }
        in.ctx.reset(raw);

        if (d->programId >= 0) {
            AVProgram* program = nullptr;
            for (unsigned i = 0; i < raw->nb_programs; i++)
                if (raw->programs[i]->id == d->programId)
                    program = raw->programs[i];
            if (!program)
                throw FFmpegException("Specified program id not found");
            for (unsigned i = 0; i < raw->nb_streams; i++)
                raw->streams[i]->discard = AVDISCARD_ALL;
            for (unsigned i = 0; i < program->nb_stream_indexes; i++)
                raw->streams[program->stream_index[i]]->discard = AVDISCARD_DEFAULT;
        }

        if (OnBeforeFindStreamInfo)
            OnBeforeFindStreamInfo(*this, raw);

        {
            TBlockingIO io(this, *d);
            ret = ff.avformat.avformat_find_stream_info(raw, nullptr);
        }
        if (ret < 0) {
            d->lastErr = Fmt("%s: could not find codec parameters", fileName.c_str());
            TaskLog(this, llError, d->lastErr);
            return false;
        }

        const int64_t start = raw->start_time == AV_NOPTS_VALUE ? 0 : raw->start_time;
        in.tsOffset = d->inputTsOffset - (d->copyTs ? 0 : start + d->startTime);
        if (d->startTime != 0) {
            const int64_t target = start + d->startTime;
            if (ff.avformat.avformat_seek_file(raw, -1, INT64_MIN, target, INT64_MAX, 0) < 0)
                TaskLog(this, llVerbose,
                        Fmt("%s: could not seek to position %0.3f", fileName.c_str(),
                            double(target) / AV_TIME_BASE));
        }
        in.tsScale.assign(raw->nb_streams, 1.0);
        for (const auto& [index, scale] : d->tsScale)
            if (unsigned(index) < raw->nb_streams)
                in.tsScale[size_t(index)] = scale;

        for (unsigned i = 0; i < raw->nb_streams; i++) {
            const AVStream* st = raw->streams[i];
            const AVMediaType type = st->codecpar->codec_type;
            if (type == AVMEDIA_TYPE_VIDEO) {
                const AVRational r = st->r_frame_rate, a = st->avg_frame_rate;
                if (r.den && a.den && a.num && (r.num != a.num || r.den != a.den) && d->verbosity >= 0)
                    TaskLog(this, llVerbose,
                            Fmt("Seems stream %d codec frame rate differs from container frame rate: "
                                "%2.2f (%d/%d) -> %2.2f (%d/%d)",
                                int(i), double(a.num) / a.den, a.num, a.den, double(r.num) / r.den, r.num,
                                r.den));
            } else if (type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_SUBTITLE &&
                       type != AVMEDIA_TYPE_DATA && type != AVMEDIA_TYPE_ATTACHMENT &&
                       type != AVMEDIA_TYPE_UNKNOWN) {
                throw FFmpegException("invalid codec_type");
            }
        }

        if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0) {
            in.duration = raw->duration - (d->startTime > 0 ? d->startTime : 0);
            if (in.duration > d->totalTime)
                d->totalTime = in.duration;
        }
        d->inputs.push_back(std::move(in));

        // Per-file options start afresh for the next file.
        d->forceFormat.clear();
        d->startTime = 0;
        d->inputTsOffset = 0;
        d->tsScale.clear();
        d->programId = -1;
        d->video.codec.clear();
        d->audio.codec.clear();
        d->subtitle.codec.clear();
        d->video.width = d->video.height = 0;
        d->video.frameRate = {0, 0};
        return true;
    } catch (const std::exception& e) {
        d->lastErr = e.what();
        return false;
    }
}

void TCustomFFmpeg::AddStream(AVMediaType kind) {
    if (d->outputs.empty())
        throw FFmpegException("At least one output file must be specified");
    TOutputFile& out = d->outputs.back();
    const char* what = kind == AVMEDIA_TYPE_VIDEO   ? "new_video_stream fail: %s"
                       : kind == AVMEDIA_TYPE_AUDIO ? "new_audio_stream fail: %s"
                                                    : "new_subtitle_stream fail: %s";
    try {
        TStreamRequest request;
        request.kind = kind;
        request.video = d->video;
        request.audio = d->audio;
        request.subtitle = d->subtitle;
        request.bsfs = kind == AVMEDIA_TYPE_VIDEO ? d->vbsf : kind == AVMEDIA_TYPE_AUDIO ? d->absf : d->sbsf;
        std::string& codec = kind == AVMEDIA_TYPE_VIDEO   ? request.video.codec
                             : kind == AVMEDIA_TYPE_AUDIO ? request.audio.codec
                                                          : request.subtitle.codec;
        if (codec.empty()) {
            const AVCodecID id =
                FF().avformat.av_guess_codec(out.ctx->oformat, nullptr, out.name.c_str(), nullptr, kind);
            const AVCodec* enc = id == AV_CODEC_ID_NONE ? nullptr : FF().avcodec.avcodec_find_encoder(id);
            if (!enc)
                throw FFmpegException(Fmt("Encoder (codec id %d) not found for output stream #%d.%d (%s)",
                                          int(id), int(d->outputs.size() - 1), int(out.streams.size()),
                                          kindName(kind)));
            codec = enc->name;
        } else if (codec != "copy") {
            FindCodecByName(codec, kind, true, strictLevel(d->generic));
        }
        if (kind == AVMEDIA_TYPE_VIDEO && !request.video.rcOverride.empty()) {
            int start = 0, end = 0, q = 0;
            if (std::sscanf(request.video.rcOverride.c_str(), "%d,%d,%d", &start, &end, &q) != 3)
                throw FFmpegException("error parsing rc_override");
        }
        const int index = int(out.streams.size());
        if (index >= kMaxStreams)
            throw FFmpegException(Fmt("stream index over MAX_STREAMS(%d)", kMaxStreams));
        auto found = d->streamIds.find(index);
        if (found != d->streamIds.end())
            request.streamId = found->second;
        if (!FF().avformat.avformat_new_stream(out.ctx.get(), nullptr))
            throw FFmpegException("Could not alloc stream");
        out.streams.push_back(std::move(request));
    } catch (const FFmpegException& e) {
        throw FFmpegException(Fmt(what, e.what()));
    }
}

int TCustomFFmpeg::OpenOutput(const std::string& fileName, bool join) {
    const TFFEntries& ff = FF();
    d->lastErr.clear();
    try {
        for (const auto& out : d->outputs)
            if (out.join)
                throw FFmpegException("Cannot join more than one output file.");
        if (int(d->outputs.size()) >= d->maxFiles)
            throw FFmpegException(Fmt("max output files %d reached", d->maxFiles));

        const AVOutputFormat* format = nullptr;
        if (!d->forceFormat.empty()) {
            format = ff.avformat.av_guess_format(d->forceFormat.c_str(), nullptr, nullptr);
            if (!format)
                throw FFmpegException(Fmt("Requested output format '%s' is not a suitable output format",
                                          d->forceFormat.c_str()));
        } else {
            format = ff.avformat.av_guess_format(nullptr, fileName.c_str(), nullptr);
            if (!format)
                throw FFmpegException(
                    Fmt("Unable to find a suitable output format for '%s'", fileName.c_str()));
        }
        AVFormatContext* raw = ff.avformat.avformat_alloc_context();
        if (!raw)
            throw FFmpegException("avformat_alloc_context failed");
        raw->oformat = format;
        raw->url = ff.avutil.av_strdup(fileName.c_str());
        FFSetInterruptCallback(raw);

        TOutputFile out;
        out.ctx.reset(raw);
        out.name = fileName;
        d->outputs.push_back(std::move(out));
        try {
            // Which kinds of streams: the format must carry the kind, the kind must not be
            // disabled, and some input must have it. An audio container's cover-art codec
            // does not count as video unless a video codec was asked for.
            const bool coverOnly =
                format->video_codec == AV_CODEC_ID_PNG || format->video_codec == AV_CODEC_ID_MJPEG;
            const bool useVideo = format->video_codec != AV_CODEC_ID_NONE && !d->video.disable &&
                                  (!coverOnly || !d->video.codec.empty()) &&
                                  inputsHave(d->inputs, AVMEDIA_TYPE_VIDEO);
            const bool useAudio = format->audio_codec != AV_CODEC_ID_NONE && !d->audio.disable &&
                                  inputsHave(d->inputs, AVMEDIA_TYPE_AUDIO);
            const bool useSubtitle = format->subtitle_codec != AV_CODEC_ID_NONE && !d->subtitle.disable &&
                                     inputsHave(d->inputs, AVMEDIA_TYPE_SUBTITLE);
            if (useVideo)
                AddStream(AVMEDIA_TYPE_VIDEO);
            if (useAudio)
                AddStream(AVMEDIA_TYPE_AUDIO);
            if (useSubtitle)
                AddStream(AVMEDIA_TYPE_SUBTITLE);

            TOutputFile& o = d->outputs.back();
            for (const auto& [key, value] : d->metadata)
                ff.avutil.av_dict_set(&raw->metadata, key.c_str(), value.c_str(), 0);
            if (d->timestamp != kNoTime) {
                const time_t t = time_t(d->timestamp);
                struct tm utc;
                gmtime_r(&t, &utc);
                char text[32];
                std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
                ff.avutil.av_dict_set(&raw->metadata, "creation_time", text, 0);
            }
            if (!(format->flags & AVFMT_NOFILE)) {
                int ret;
                {
                    TBlockingIO io(this, *d);
                    ret = ff.avformat.avio_open2(&raw->pb, FFFileNameToLib(fileName).c_str(), AVIO_FLAG_WRITE,
                                                 &raw->interrupt_callback, nullptr);
                }
                if (ret < 0)
                    throw FFmpegException(FFErrorText(fileName, ret));
            }
            o.join = join;
            o.recordingTime = d->recordingTime;
            o.startTime = d->startTime;
            o.limitFileSize = d->limitFileSize;
            o.muxPreload = d->muxPreload;
            o.muxDelay = d->muxDelay;
            o.loopOutput = d->loopOutput;
        } catch (...) {
            d->outputs.pop_back();
            throw;
        }

        if (join) {
            int64_t sum = 0;
            bool known = false;
            for (const auto& in : d->inputs)
                if (in.duration > 0) {
                    sum += in.duration;
                    known = true;
                }
            d->totalTime = known ? sum : -1;
        }
        if (d->recordingTime != INT64_MAX && (d->totalTime < 0 || d->recordingTime < d->totalTime))
            d->totalTime = d->recordingTime;

        // Per-file options start afresh for the next file.
        d->forceFormat.clear();
        d->video = TVideoSettings();
        d->audio = TAudioSettings();
        d->subtitle = TSubtitleSettings();
        d->absf.clear();
        d->vbsf.clear();
        d->sbsf.clear();
        d->streamIds.clear();
        d->metadata.clear();
        d->timestamp = kNoTime;
        d->recordingTime = INT64_MAX;
        d->startTime = 0;
        d->limitFileSize = 0;
        return int(d->outputs.size()) - 1;
    } catch (const std::exception& e) {
        d->lastErr = e.what();
        return -1;
    }
}
