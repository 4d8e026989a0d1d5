#include "engine/FFOutputStream.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <sstream>

namespace {

const AVRational kMicros{1, AV_TIME_BASE};

const char* kindName(AVMediaType kind) {
    return kind == AVMEDIA_TYPE_VIDEO ? "video" : kind == AVMEDIA_TYPE_AUDIO ? "audio" : "subtitle";
}

std::string encoderOpenError(int file, int index, AVMediaType kind) {
    return Fmt(
        "Error while opening encoder for output stream #%d.%d (%s) - maybe incorrect parameters such as "
        "bit_rate, rate, width or height. Please check error log message to find out more detail "
        "information.",
        file, index, kindName(kind));
}

std::string layoutText(const AVChannelLayout& layout) {
    char text[128] = {0};
    FF().avutil.av_channel_layout_describe(&layout, text, sizeof text);
    return text;
}

bool sameLayout(const AVChannelLayout& a, const AVChannelLayout& b) {
    return FF().avutil.av_channel_layout_compare(&a, &b) == 0;
}

double displayAspect(int width, int height, AVRational sar) {
    return sar.num > 0 && sar.den > 0 ? double(width) * sar.num / (double(height) * sar.den)
                                      : double(width) / height;
}

// The scale step into the encoder's frame. A picture whose shape differs from the frame's
// shown shape is fitted whole inside it with black bars, rather than stretched: a forced
// frame size would otherwise squash a wide picture, and some containers (FLV, SWF) cannot
// carry the pixel shape that would undo it.
std::string scaleIntoFrame(int pictureW, int pictureH, AVRational pictureSar, const AVCodecContext& enc,
                           const std::string& flags) {
    const double picture = displayAspect(pictureW, pictureH, pictureSar);
    const double frame = displayAspect(enc.width, enc.height, enc.sample_aspect_ratio);
    const bool sameShape = std::abs(picture - frame) <= frame * 0.01;
    if (sameShape && pictureW == enc.width && pictureH == enc.height)
        return "";
    if (sameShape)
        return Fmt("scale=%d:%d:flags=%s,", enc.width, enc.height, flags.c_str());
    int w = enc.width, h = enc.height;
    if (picture > frame)
        h = int(std::lround(enc.height * frame / picture));
    else
        w = int(std::lround(enc.width * picture / frame));
    w = std::max(2, w & ~1);
    h = std::max(2, h & ~1);
    return Fmt("scale=%d:%d:flags=%s,pad=%d:%d:%d:%d:black,", w, h, flags.c_str(), enc.width, enc.height,
               ((enc.width - w) / 2) & ~1, ((enc.height - h) / 2) & ~1);
}

} // namespace

TOutputStream::TOutputStream(TCustomFFmpeg& task, TCustomFFmpeg::State& s, TRunStats& stats, TOutputFile& out,
                             int file, int index, const TStreamRequest& request)
    : task_(task), s_(s), stats_(stats), out_(out), file_(file), index_(index), request_(request),
      st_(out.ctx->streams[index]), work_(FF().avutil.av_frame_alloc()), pkt_(FF().avcodec.av_packet_alloc()),
      hooks_(task, s) {
    const std::string& codec = request.kind == AVMEDIA_TYPE_VIDEO   ? request.video.codec
                               : request.kind == AVMEDIA_TYPE_AUDIO ? request.audio.codec
                                                                    : request.subtitle.codec;
    copy_ = codec == "copy";
}

TOutputStream::~TOutputStream() {
    FF().avutil.av_channel_layout_uninit(&graphLayout_);
    // The second pass's statistics belong to us, not to the codec context.
    if (enc_)
        FF().avutil.av_freep(&enc_->stats_in);
}

const char* TOutputStream::CodecName() const {
    if (copy_)
        return "copy";
    return enc_ ? enc_->codec->name : "?";
}

void TOutputStream::Prepare(const TInputStream& source) {
    const TFFEntries& ff = FF();
    const std::string& codecName = request_.kind == AVMEDIA_TYPE_VIDEO   ? request_.video.codec
                                   : request_.kind == AVMEDIA_TYPE_AUDIO ? request_.audio.codec
                                                                         : request_.subtitle.codec;
    const std::string& lang = request_.kind == AVMEDIA_TYPE_VIDEO   ? request_.video.lang
                              : request_.kind == AVMEDIA_TYPE_AUDIO ? request_.audio.lang
                                                                    : request_.subtitle.lang;
    if (!lang.empty())
        ff.avutil.av_dict_set(&st_->metadata, "language", lang.c_str(), 0);
    if (request_.streamId >= 0)
        st_->id = request_.streamId;
    const uint32_t tag = request_.kind == AVMEDIA_TYPE_VIDEO   ? request_.video.tag
                         : request_.kind == AVMEDIA_TYPE_AUDIO ? request_.audio.tag
                                                               : request_.subtitle.tag;

    if (copy_) {
        if (request_.kind == AVMEDIA_TYPE_AUDIO && request_.audio.volume != 256)
            throw FFmpegException("-acodec copy and -vol are incompatible (frames are not decoded)");
        if (request_.kind == AVMEDIA_TYPE_AUDIO && task_.OnAudioHook)
            throw FFmpegException("-acodec copy and AudioHook are incompatible (frames are not decoded)");
        if (request_.kind == AVMEDIA_TYPE_VIDEO && (task_.OnVideoInputHook || task_.OnVideoOutputHook))
            throw FFmpegException("-vcodec copy and VideoHook are incompatible (frames are not decoded)");
        if (source.st->codecpar->extradata_size > (1 << 28))
            throw FFmpegException("icodec.extradata_size is invalid (too large)");
        if (ff.avcodec.avcodec_parameters_copy(st_->codecpar, source.st->codecpar) < 0)
            throw FFmpegException("Could not alloc stream");
        st_->codecpar->codec_tag = tag;
        st_->time_base = source.st->time_base;
        st_->avg_frame_rate = source.st->avg_frame_rate;
        st_->r_frame_rate = source.st->r_frame_rate;
        st_->sample_aspect_ratio = source.st->sample_aspect_ratio;
        if (!request_.bsfs.empty()) {
            std::string chain;
            for (const auto& b : request_.bsfs)
                chain += (chain.empty() ? "" : ",") + b;
            AVBSFContext* raw = nullptr;
            if (ff.avcodec.av_bsf_list_parse_str(chain.c_str(), &raw) < 0)
                throw FFmpegException(Fmt("Unknown bitstream filter %s", chain.c_str()));
            bsf_.reset(raw);
            ff.avcodec.avcodec_parameters_copy(raw->par_in, source.st->codecpar);
            raw->time_base_in = source.st->time_base;
            if (ff.avcodec.av_bsf_init(raw) < 0)
                throw FFmpegException(Fmt("Unknown bitstream filter %s", chain.c_str()));
            ff.avcodec.avcodec_parameters_copy(st_->codecpar, raw->par_out);
            st_->codecpar->codec_tag = tag;
        }
        return;
    }

    const AVCodec* codec = ff.avcodec.avcodec_find_encoder_by_name(codecName.c_str());
    if (!codec)
        throw FFmpegException(Fmt("Encoder (codec id %d) not found for output stream #%d.%d (%s)",
                                  int(AV_CODEC_ID_NONE), file_, index_, kindName(request_.kind)));
    enc_.reset(ff.avcodec.avcodec_alloc_context3(codec));
    enc_->thread_count = request_.kind == AVMEDIA_TYPE_VIDEO && request_.video.threads >= 0
                             ? request_.video.threads
                             : s_.threads;
    if (out_.ctx->oformat->flags & AVFMT_GLOBALHEADER)
        enc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (request_.kind == AVMEDIA_TYPE_VIDEO)
        prepareVideo(source, codec);
    else if (request_.kind == AVMEDIA_TYPE_AUDIO)
        prepareAudio(source, codec);
    else {
        enc_->time_base = kMicros;
        if (source.dec && source.dec->subtitle_header_size > 0) {
            enc_->subtitle_header =
                static_cast<uint8_t*>(ff.avutil.av_mallocz(size_t(source.dec->subtitle_header_size) + 1));
            std::memcpy(enc_->subtitle_header, source.dec->subtitle_header,
                        size_t(source.dec->subtitle_header_size));
            enc_->subtitle_header_size = source.dec->subtitle_header_size;
        }
    }
    openEncoder(codec);
    ff.avcodec.avcodec_parameters_from_context(st_->codecpar, enc_.get());
    st_->codecpar->codec_tag = tag;
    st_->time_base = enc_->time_base;
    if (request_.kind == AVMEDIA_TYPE_VIDEO) {
        st_->avg_frame_rate = enc_->framerate;
        st_->sample_aspect_ratio = enc_->sample_aspect_ratio;
    }
}

void TOutputStream::prepareVideo(const TInputStream& source, const AVCodec* codec) {
    const TFFEntries& ff = FF();
    const AVCodecParameters* par = source.st->codecpar;
    const TVideoSettings& v = request_.video;
    enc_->width = v.width ? v.width : par->width;
    enc_->height = v.height ? v.height : par->height;

    AVRational rate = v.frameRate;
    if (!rate.num || !rate.den)
        rate = ff.avformat.av_guess_frame_rate(s_.inputs[size_t(source.file)].ctx.get(), source.st, nullptr);
    if (!rate.num || !rate.den || av_q2d(rate) > 1000)
        rate = {25, 1};
    if (codec->supported_framerates && !v.forceFps)
        rate =
            codec->supported_framerates[ff.avutil.av_find_nearest_q_idx(rate, codec->supported_framerates)];
    ff.avutil.av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
    enc_->framerate = rate;
    enc_->time_base = av_inv_q(rate);

    AVPixelFormat fmt = v.pixFmt != AV_PIX_FMT_NONE                            ? v.pixFmt
                        : source.dec && source.dec->pix_fmt != AV_PIX_FMT_NONE ? source.dec->pix_fmt
                                                                               : AVPixelFormat(par->format);
    // JPEG-based encoders take full-range pictures: their list starts with those.
    if (codec->pix_fmts && v.pixFmt == AV_PIX_FMT_NONE && codec->id == AV_CODEC_ID_MJPEG)
        fmt = codec->pix_fmts[0];
    if (codec->pix_fmts) {
        bool supported = false;
        for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; p++)
            supported |= *p == fmt;
        if (!supported) {
            AVPixelFormat best = AV_PIX_FMT_NONE;
            for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; p++)
                best = fmt == AV_PIX_FMT_NONE
                           ? codec->pix_fmts[0]
                           : ff.avutil.av_find_best_pix_fmt_of_2(best, *p, fmt, 0, nullptr);
            fmt = best;
        }
    }
    if (fmt == AV_PIX_FMT_NONE)
        throw FFmpegException("Video pixel format is unknown, stream cannot be encoded");
    enc_->pix_fmt = fmt;
    // Subsampled chroma needs whole chroma samples: an odd size loses its last row or column.
    if (const AVPixFmtDescriptor* desc = ff.avutil.av_pix_fmt_desc_get(fmt)) {
        enc_->width &= ~((1 << desc->log2_chroma_w) - 1);
        enc_->height &= ~((1 << desc->log2_chroma_h) - 1);
    }
    if (enc_->width <= 0 || enc_->height <= 0)
        throw FFmpegException(encoderOpenError(file_, index_, request_.kind));

    if (v.aspect > 0)
        enc_->sample_aspect_ratio = ff.avutil.av_d2q(v.aspect * enc_->height / enc_->width, 255);
    else if (enc_->width == par->width && enc_->height == par->height)
        enc_->sample_aspect_ratio = par->sample_aspect_ratio;
    if (v.qscale > 0) {
        enc_->flags |= AV_CODEC_FLAG_QSCALE;
        enc_->global_quality = int(FF_QP2LAMBDA * v.qscale);
    }
    if (v.intra)
        enc_->gop_size = 0;
    enc_->intra_dc_precision = v.dc - 8;
    if (v.top >= 0)
        enc_->field_order = v.top ? AV_FIELD_TT : AV_FIELD_BB;
    auto matrix = [&](const std::vector<uint16_t>& m) -> uint16_t* {
        if (m.empty())
            return nullptr;
        auto* copy = static_cast<uint16_t*>(ff.avutil.av_malloc(64 * sizeof(uint16_t)));
        std::memcpy(copy, m.data(), 64 * sizeof(uint16_t));
        return copy;
    };
    enc_->intra_matrix = matrix(v.intraMatrix);
    enc_->inter_matrix = matrix(v.interMatrix);
    if (!v.rcOverride.empty()) {
        // "start,end,q/start,end,q...": q > 0 a quantiser, q < 0 a quality factor in percent.
        std::istringstream parts(v.rcOverride);
        std::string part;
        std::vector<RcOverride> rows;
        while (std::getline(parts, part, '/')) {
            RcOverride r{};
            int q = 0;
            if (std::sscanf(part.c_str(), "%d,%d,%d", &r.start_frame, &r.end_frame, &q) != 3)
                throw FFmpegException("error parsing rc_override");
            r.qscale = q > 0 ? q : 0;
            r.quality_factor = q > 0 ? 1.0f : -q / 100.0f;
            rows.push_back(r);
        }
        enc_->rc_override = static_cast<RcOverride*>(ff.avutil.av_malloc(rows.size() * sizeof(RcOverride)));
        std::memcpy(enc_->rc_override, rows.data(), rows.size() * sizeof(RcOverride));
        enc_->rc_override_count = int(rows.size());
    }
    if (!v.forceKeyFrames.empty()) {
        std::istringstream times(v.forceKeyFrames);
        std::string t;
        while (std::getline(times, t, ',')) {
            int64_t us = 0;
            if (ff.avutil.av_parse_time(&us, t.c_str(), 1) < 0)
                throw FFmpegException(
                    Fmt("Invalid duration specification for force_key_frames: %s", t.c_str()));
            forcedKeyUs_.push_back(us);
        }
    }
    if (s_.pass) {
        enc_->flags |= s_.pass == 1 ? AV_CODEC_FLAG_PASS1 : AV_CODEC_FLAG_PASS2;
        std::string logName =
            Fmt("%s-%d.log", s_.passLogFile.empty() ? "ffmpeg2pass" : s_.passLogFile.c_str(), index_);
        if (logName.size() > 1023)
            logName.resize(1023);
        if (s_.pass == 1) {
            passLog_.reset(std::fopen(logName.c_str(), "wb"));
            if (!passLog_)
                throw FFmpegException(Fmt("Cannot write log file %s for pass-1 encoding", logName.c_str()));
        } else {
            const std::unique_ptr<FILE, TFileCloser> f(std::fopen(logName.c_str(), "rb"));
            if (!f)
                throw FFmpegException(Fmt(
                    "Cannot read file: Error reading log file \"%s\" for pass-2 encoding", logName.c_str()));
            std::string text;
            char buf[65536];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
                text.append(buf, n);
            enc_->stats_in = ff.avutil.av_strdup(text.c_str());
            if (!enc_->stats_in)
                throw FFmpegException(Fmt("Could not allocate file buffer: Error reading log file \"%s\" for "
                                          "pass-2 encoding",
                                          logName.c_str()));
        }
    }
}

void TOutputStream::prepareAudio(const TInputStream& source, const AVCodec* codec) {
    const TFFEntries& ff = FF();
    const AVCodecParameters* par = source.st->codecpar;
    const TAudioSettings& a = request_.audio;

    int rate = a.sampleRate > 0 ? a.sampleRate : par->sample_rate;
    if (codec->supported_samplerates) {
        int best = 0;
        bool exact = false;
        for (const int* r = codec->supported_samplerates; *r; r++) {
            exact |= *r == rate;
            if (!best || std::abs(*r - rate) < std::abs(best - rate))
                best = *r;
        }
        if (!exact) {
            TaskLog(&task_, llWarning,
                    Fmt("Requested sampling rate unsupported using closest supported (%d)", best));
            rate = best;
        }
    }
    enc_->sample_rate = rate;
    enc_->time_base = {1, rate};

    const int channels = a.channels > 0 ? a.channels : par->ch_layout.nb_channels;
    AVChannelLayout layout{};
    if (channels == par->ch_layout.nb_channels && par->ch_layout.order == AV_CHANNEL_ORDER_NATIVE)
        ff.avutil.av_channel_layout_copy(&layout, &par->ch_layout);
    else
        ff.avutil.av_channel_layout_default(&layout, channels);
    if (codec->ch_layouts) {
        const AVChannelLayout* pick = nullptr;
        for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels; l++) {
            if (sameLayout(*l, layout)) {
                pick = l;
                break;
            }
            if (!pick && l->nb_channels == channels)
                pick = l;
        }
        if (!pick)
            throw FFmpegException(Fmt("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                                      par->ch_layout.nb_channels, par->sample_rate, channels, rate));
        ff.avutil.av_channel_layout_uninit(&layout);
        ff.avutil.av_channel_layout_copy(&layout, pick);
    }
    ff.avutil.av_channel_layout_copy(&enc_->ch_layout, &layout);
    ff.avutil.av_channel_layout_uninit(&layout);

    AVSampleFormat fmt = a.sampleFmt != AV_SAMPLE_FMT_NONE ? a.sampleFmt
                         : source.dec                      ? source.dec->sample_fmt
                                                           : AVSampleFormat(par->format);
    if (codec->sample_fmts) {
        bool supported = false;
        for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; f++)
            supported |= *f == fmt;
        if (!supported)
            fmt = codec->sample_fmts[0];
    }
    enc_->sample_fmt = fmt;
    if (a.quality > -99999.0f) {
        enc_->flags |= AV_CODEC_FLAG_QSCALE;
        enc_->global_quality = int(FF_QP2LAMBDA * a.quality);
    }
}

void TOutputStream::openEncoder(const AVCodec* codec) {
    TDict options;
    s_.generic.CodecOptions(request_.kind, true, options.Ptr());
    if (s_.pass && std::strcmp(codec->name, "libx264") == 0)
        FF().avutil.av_dict_set(
            options.Ptr(), "stats",
            Fmt("%s-%d.log", s_.passLogFile.empty() ? "ffmpeg2pass" : s_.passLogFile.c_str(), index_).c_str(),
            0);
    int ret;
    {
        TCodecLockGuard lock;
        ret = FF().avcodec.avcodec_open2(enc_.get(), codec, options.Ptr());
    }
    if (ret < 0) {
        TaskLog(&task_, llError, FFErrorText(codec->name, ret));
        throw FFmpegException(encoderOpenError(file_, index_, request_.kind));
    }
    if (request_.kind == AVMEDIA_TYPE_AUDIO) {
        frameSize_ = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) ? 0 : enc_->frame_size;
        fifo_.reset(FF().avutil.av_audio_fifo_alloc(enc_->sample_fmt, enc_->ch_layout.nb_channels,
                                                    frameSize_ > 0 ? frameSize_ * 2 : 4096));
        if (!fifo_)
            throw FFmpegException("Out of memory in do_audio_out");
    }
}

// --- filter graphs -------------------------------------------------------------------

void TOutputStream::configureGraph(const std::string& chain, const std::string& sourceArgs, bool video) {
    const TFFEntries& ff = FF();
    graph_.reset(ff.avfilter.avfilter_graph_alloc());
    AVFilterGraph* g = graph_.get();
    g->nb_threads = s_.threads; // the scaler's slices follow the task's threads
    g->scale_sws_opts = ff.avutil.av_strdup(("flags=" + s_.generic.ScalerFlags()).c_str());
    src_ = sink_ = nullptr;
    const char* srcName = video ? "buffer" : "abuffer";
    const char* sinkName = video ? "buffersink" : "abuffersink";
    if (ff.avfilter.avfilter_graph_create_filter(&src_, ff.avfilter.avfilter_get_by_name(srcName), "in",
                                                 sourceArgs.c_str(), nullptr, g) < 0 ||
        ff.avfilter.avfilter_graph_create_filter(&sink_, ff.avfilter.avfilter_get_by_name(sinkName), "out",
                                                 nullptr, nullptr, g) < 0)
        throw FFmpegException("Error opening filters!");

    AVFilterInOut* outputs = ff.avfilter.avfilter_inout_alloc();
    AVFilterInOut* inputs = ff.avfilter.avfilter_inout_alloc();
    outputs->name = ff.avutil.av_strdup("in");
    outputs->filter_ctx = src_;
    inputs->name = ff.avutil.av_strdup("out");
    inputs->filter_ctx = sink_;
    const int ret = ff.avfilter.avfilter_graph_parse_ptr(g, chain.c_str(), &inputs, &outputs, nullptr);
    ff.avfilter.avfilter_inout_free(&inputs);
    ff.avfilter.avfilter_inout_free(&outputs);
    if (ret < 0 || ff.avfilter.avfilter_graph_config(g, nullptr) < 0) {
        TaskLog(&task_, llError, "Error opening filters! (" + chain + ")");
        throw FFmpegException("Error opening filters!");
    }
}

void TOutputStream::buildVideoGraph(const AVFrame* frame, const TInputStream& source) {
    const TFFEntries& ff = FF();
    if (graph_)
        TaskLog(&task_, llQuiet,
                Fmt("Input Stream #%d.%d frame size changed to %dx%d, %s", source.file, source.index,
                    frame->width, frame->height,
                    ff.avutil.av_get_pix_fmt_name(AVPixelFormat(frame->format))));
    const AVRational sar = frame->sample_aspect_ratio.num ? frame->sample_aspect_ratio : AVRational{0, 1};
    const std::string args = Fmt("video_size=%dx%d:pix_fmt=%d:time_base=1/%d:pixel_aspect=%d/%d",
                                 frame->width, frame->height, frame->format, AV_TIME_BASE, sar.num, sar.den);
    std::string chain;
    if (request_.video.deinterlace)
        chain += "yadif,";
    if (!request_.video.filters.empty())
        chain += request_.video.filters +
                 Fmt(",scale=%d:%d:flags=%s,", enc_->width, enc_->height, s_.generic.ScalerFlags().c_str());
    else
        chain += scaleIntoFrame(frame->width, frame->height,
                                frame->sample_aspect_ratio.num ? frame->sample_aspect_ratio
                                                               : source.st->sample_aspect_ratio,
                                *enc_, s_.generic.ScalerFlags());
    chain += Fmt("format=pix_fmts=%s", ff.avutil.av_get_pix_fmt_name(enc_->pix_fmt));
    configureGraph(chain, args, true);
    graphW_ = frame->width;
    graphH_ = frame->height;
    graphFmt_ = frame->format;
}

void TOutputStream::buildAudioGraph(const AVFrame* frame) {
    const TFFEntries& ff = FF();
    AVChannelLayout inLayout{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        ff.avutil.av_channel_layout_default(&inLayout, frame->ch_layout.nb_channels);
    else
        ff.avutil.av_channel_layout_copy(&inLayout, &frame->ch_layout);
    const char* inFmt = ff.avutil.av_get_sample_fmt_name(AVSampleFormat(frame->format));
    if (graph_) {
        TaskLog(&task_, llInfo,
                Fmt("Input stream #%d.%d frame changed from rate:%d fmt:%s ch:%d to rate:%d fmt:%s ch:%d",
                    file_, index_, graphRate_, ff.avutil.av_get_sample_fmt_name(AVSampleFormat(graphFmt_)),
                    graphLayout_.nb_channels, frame->sample_rate, inFmt, inLayout.nb_channels));
        // What the old graph still holds belongs before the new input's samples.
        endGraphInput();
    }
    const std::string args = Fmt("time_base=1/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                                 frame->sample_rate, frame->sample_rate, inFmt, layoutText(inLayout).c_str());
    std::string chain;
    if (request_.audio.volume != 256)
        chain += Fmt("volume=%f,", request_.audio.volume / 256.0);
    // Joined parts are placed by their timestamps, so a part without audio leaves silence.
    if (s_.audioSync > 0 || out_.join)
        chain += Fmt("aresample=%d:async=%d:first_pts=%lld,", enc_->sample_rate, std::max(1, s_.audioSync),
                     (long long)(samplesOut_ + FF().avutil.av_audio_fifo_size(fifo_.get())));
    chain += Fmt("aformat=sample_fmts=%s:sample_rates=%d:channel_layouts=%s",
                 ff.avutil.av_get_sample_fmt_name(enc_->sample_fmt), enc_->sample_rate,
                 layoutText(enc_->ch_layout).c_str());
    configureGraph(chain, args, false);
    graphRate_ = frame->sample_rate;
    graphFmt_ = frame->format;
    ff.avutil.av_channel_layout_uninit(&graphLayout_);
    graphLayout_ = inLayout;
}

// Signals the end of the graph's input and passes on what it still holds.
void TOutputStream::endGraphInput() {
    if (FF().avfilter.av_buffersrc_add_frame(src_, nullptr) >= 0)
        drainGraph();
}

// Takes every frame the graph has ready and passes it on.
void TOutputStream::drainGraph() {
    const TFFEntries& ff = FF();
    while (!finished_) {
        const int ret = ff.avfilter.av_buffersink_get_frame(sink_, work_.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0)
            throw FFmpegException("Error opening filters!");
        if (request_.kind == AVMEDIA_TYPE_VIDEO) {
            encodeVideo(work_.get());
        } else {
            if (ff.avutil.av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(work_->extended_data),
                                              work_->nb_samples) < work_->nb_samples)
                throw FFmpegException("av_fifo_realloc2() failed");
            encodeAudioFifo(false);
        }
        ff.avutil.av_frame_unref(work_.get());
    }
}

// --- frames in -----------------------------------------------------------------------

void TOutputStream::Frame(AVFrame* frame, const TInputStream& source) {
    if (finished_)
        return;
    const TFFEntries& ff = FF();
    if (request_.kind == AVMEDIA_TYPE_VIDEO) {
        hooks_.Video(frame, false, int(frames_), frame->pts);
        if (!graph_ || frame->width != graphW_ || frame->height != graphH_ || frame->format != graphFmt_) {
            if (graph_) {
                endGraphInput();
            }
            buildVideoGraph(frame, source);
        }
    } else {
        frame = hooks_.Audio(frame);
        if (!graph_ || frame->sample_rate != graphRate_ || frame->format != graphFmt_ ||
            frame->ch_layout.nb_channels != graphLayout_.nb_channels)
            buildAudioGraph(frame);
        if (frame->pts != AV_NOPTS_VALUE)
            frame->pts = ff.avutil.av_rescale_q(frame->pts, kMicros, {1, frame->sample_rate});
    }
    if (ff.avfilter.av_buffersrc_add_frame_flags(src_, frame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0)
        throw FFmpegException("Error opening filters!");
    drainGraph();
}

void TOutputStream::encodeVideo(AVFrame* frame) {
    const TFFEntries& ff = FF();
    const AVRational tb = ff.avfilter.av_buffersink_get_time_base(sink_);
    const int64_t us =
        frame->pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : ff.avutil.av_rescale_q(frame->pts, tb, kMicros);
    hooks_.Video(frame, true, int(frames_), us);
    hooks_.Preview(frame, int(frames_), us);

    // Position in encoder ticks, measured from the output's start.
    const double ticks = frame->pts == AV_NOPTS_VALUE
                             ? double(nextPts_)
                             : double(frame->pts) * av_q2d(tb) / av_q2d(enc_->time_base) -
                                   double(out_.startTime) / 1e6 / av_q2d(enc_->time_base);
    if (out_.startTime > 0 && ticks < -0.5)
        return;
    if (out_.recordingTime != INT64_MAX &&
        ticks * av_q2d(enc_->time_base) * 1e6 >= double(out_.recordingTime)) {
        finished_ = true;
        return;
    }
    const int method = s_.videoSync >= 0                                 ? s_.videoSync
                       : (out_.ctx->oformat->flags & AVFMT_VARIABLE_FPS) ? 2
                                                                         : 1;
    int64_t count = 1;
    if (method == 1) {
        const double delta = ticks - double(nextPts_);
        if (delta < -1.1)
            count = 0;
        else if (delta > 1.1)
            count = std::llrint(delta);
    } else if (method == 2) {
        const int64_t wanted = std::llrint(ticks);
        if (wanted < nextPts_ && frames_ > 0)
            count = 0;
        else
            nextPts_ = std::max(wanted, nextPts_);
    } else {
        nextPts_ = std::max<int64_t>(std::llrint(ticks), nextPts_);
    }
    if (count == 0) {
        stats_.dropFrames++;
        if (s_.verbosity > 2)
            TaskLog(&task_, llVerbose, "*** drop!");
        return;
    }
    if (count > 1) {
        stats_.dupFrames += count - 1;
        if (s_.verbosity > 2)
            TaskLog(&task_, llVerbose, Fmt("*** %d dup!", int(count - 1)));
    }
    for (int64_t i = 0; i < count; i++) {
        if (frames_ >= request_.video.maxFrames) {
            finished_ = true;
            return;
        }
        frame->pts = nextPts_++;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        if (nextForcedKey_ < forcedKeyUs_.size() &&
            double(frame->pts) * av_q2d(enc_->time_base) * 1e6 >= double(forcedKeyUs_[nextForcedKey_])) {
            frame->pict_type = AV_PICTURE_TYPE_I;
            nextForcedKey_++;
        }
        frames_++;
        sendFrame(frame);
    }
}

void TOutputStream::encodeAudioFifo(bool flush) {
    const TFFEntries& ff = FF();
    for (;;) {
        const int available = ff.avutil.av_audio_fifo_size(fifo_.get());
        const int wanted = frameSize_ > 0 ? frameSize_ : available;
        if (available <= 0 || (available < wanted && !flush) || finished_)
            return;
        const int take = std::min(available, wanted);
        const bool smallLast = frameSize_ == 0 || (enc_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
        const int samples = take < wanted && !smallLast ? wanted : take;
        TFramePtr owner(ff.avutil.av_frame_alloc());
        AVFrame* f = owner.get();
        f->nb_samples = samples;
        f->format = enc_->sample_fmt;
        f->sample_rate = enc_->sample_rate;
        ff.avutil.av_channel_layout_copy(&f->ch_layout, &enc_->ch_layout);
        if (ff.avutil.av_frame_get_buffer(f, 0) < 0)
            throw FFmpegException("Out of memory in do_audio_out");
        if (ff.avutil.av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(f->extended_data), take) <
            take)
            throw FFmpegException("Internal error, buffer size too small");
        if (samples > take)
            ff.avutil.av_samples_set_silence(f->extended_data, take, samples - take, f->ch_layout.nb_channels,
                                             enc_->sample_fmt);
        if (out_.recordingTime != INT64_MAX &&
            ff.avutil.av_rescale_q(samplesOut_, {1, enc_->sample_rate}, kMicros) >= out_.recordingTime) {
            finished_ = true;
            return;
        }
        f->pts = samplesOut_;
        samplesOut_ += take;
        frames_++;
        sendFrame(f);
    }
}

void TOutputStream::sendFrame(AVFrame* frame) {
    const int ret = FF().avcodec.avcodec_send_frame(enc_.get(), frame);
    if (ret < 0 && ret != AVERROR_EOF)
        throw FFmpegException(request_.kind == AVMEDIA_TYPE_VIDEO ? "Video encoding failed"
                                                                  : "Audio encoding failed");
    receivePackets();
}

void TOutputStream::receivePackets() {
    const TFFEntries& ff = FF();
    for (;;) {
        const int ret = ff.avcodec.avcodec_receive_packet(enc_.get(), pkt_.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0)
            throw FFmpegException(request_.kind == AVMEDIA_TYPE_VIDEO ? "Video encoding failed"
                                                                      : "Audio encoding failed");
        if (request_.kind == AVMEDIA_TYPE_VIDEO) {
            size_t size = 0;
            const uint8_t* q =
                ff.avcodec.av_packet_get_side_data(pkt_.get(), AV_PKT_DATA_QUALITY_STATS, &size);
            if (q && size >= 4)
                quality_ = float(q[0] | q[1] << 8 | q[2] << 16 | uint32_t(q[3]) << 24) / FF_QP2LAMBDA;
            if (passLog_ && enc_->stats_out)
                std::fputs(enc_->stats_out, passLog_.get());
            if (s_.vstats)
                writeVideoStats(pkt_.get(), q && size >= 5
                                                ? ff.avutil.av_get_picture_type_char(AVPictureType(q[4]))
                                                : '?');
        }
        write(pkt_.get(), enc_->time_base);
    }
}

void TOutputStream::writeVideoStats(const AVPacket* pkt, char pictType) {
    if (!stats_.vstats && !stats_.vstatsFailed) {
        std::string name = s_.vstatsFile;
        if (name.empty()) {
            std::error_code ec;
            const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
            const time_t now = time(nullptr);
            struct tm local;
            localtime_r(&now, &local);
            char stamp[16];
            std::strftime(stamp, sizeof stamp, "%H%M%S", &local);
            name = Fmt("%svstats_%s.log", (exe.parent_path().string() + "/").c_str(), stamp);
        }
        stats_.vstats.reset(std::fopen(name.c_str(), "w"));
        if (!stats_.vstats) {
            stats_.vstatsFailed = true;
            TaskLog(&task_, llError, "fopen fail:" + name);
            return;
        }
    }
    if (!stats_.vstats)
        return;
    FILE* f = stats_.vstats.get();
    const double time = pkt->pts != AV_NOPTS_VALUE ? double(pkt->pts) * av_q2d(enc_->time_base) : 0.0;
    const double frameSeconds = av_q2d(enc_->time_base);
    const double total = double(stats_.videoBytes + pkt->size);
    std::fprintf(f, "frame= %5d q= %2.1f ", int(frames_), double(quality_));
    std::fprintf(f, "f_size= %6d ", pkt->size);
    std::fprintf(f, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ", total / 1024, time,
                 pkt->size * 8 / frameSeconds / 1000.0, time > 0 ? total * 8 / time / 1000.0 : 0.0);
    std::fprintf(f, "type= %c\n", pictType);
}

void TOutputStream::write(AVPacket* pkt, AVRational tb) {
    const TFFEntries& ff = FF();
    pkt->stream_index = st_->index;
    ff.avcodec.av_packet_rescale_ts(pkt, tb, st_->time_base);
    if (!(out_.ctx->oformat->flags & AVFMT_NOTIMESTAMPS) && pkt->dts != AV_NOPTS_VALUE) {
        if (lastDts_ != AV_NOPTS_VALUE && pkt->dts <= lastDts_) {
            pkt->dts = lastDts_ + 1;
            if (pkt->pts != AV_NOPTS_VALUE && pkt->pts < pkt->dts)
                pkt->pts = pkt->dts;
        }
        lastDts_ = pkt->dts;
    }
    const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
    if (ts != AV_NOPTS_VALUE)
        endUs_ = std::max(endUs_, ff.avutil.av_rescale_q(ts + pkt->duration, st_->time_base, kMicros));
    (request_.kind == AVMEDIA_TYPE_VIDEO   ? stats_.videoBytes
     : request_.kind == AVMEDIA_TYPE_AUDIO ? stats_.audioBytes
                                           : stats_.otherBytes) += pkt->size;
    int ret = ff.avformat.av_interleaved_write_frame(out_.ctx.get(), pkt);
    if (ret >= 0 && out_.ctx->pb && out_.ctx->pb->error < 0)
        ret = out_.ctx->pb->error; // a failed write (full disk) stays in the I/O context
    if (ret < 0) {
        TaskLog(&task_, llError, FFErrorText("av_interleaved_write_frame()", ret));
        throw FFmpegException(Fmt("%s failed for stream %d, codec %s", "av_interleaved_write_frame()",
                                  st_->index, CodecName()));
    }
}

// --- subtitles and stream copy ---------------------------------------------------------

void TOutputStream::Subtitle(const AVSubtitle& sub, int64_t ptsUs, const TInputStream&) {
    if (finished_)
        return;
    if (ptsUs == AV_NOPTS_VALUE)
        throw FFmpegException("Subtitle packets must have a pts");
    std::vector<uint8_t> buffer(262144);
    const int size =
        FF().avcodec.avcodec_encode_subtitle(enc_.get(), buffer.data(), int(buffer.size()), &sub);
    if (size < 0)
        throw FFmpegException("Subtitle encoding failed");
    if (size == 0)
        return;
    TPacketPtr pkt(FF().avcodec.av_packet_alloc());
    if (FF().avcodec.av_new_packet(pkt.get(), size) < 0)
        throw FFmpegException("Subtitle encoding failed");
    std::memcpy(pkt->data, buffer.data(), size_t(size));
    pkt->pts = pkt->dts = ptsUs - out_.startTime + int64_t(sub.start_display_time) * 1000;
    pkt->duration = int64_t(sub.end_display_time - sub.start_display_time) * 1000;
    write(pkt.get(), kMicros);
}

void TOutputStream::CopyPacket(const AVPacket* in, const TInputStream& source) {
    if (finished_)
        return;
    const TFFEntries& ff = FF();
    if (!keySeen_ && !(in->flags & AV_PKT_FLAG_KEY) && !s_.copyInitialNonKeyframes)
        return;
    const int64_t ts = in->dts != AV_NOPTS_VALUE ? in->dts : in->pts;
    const int64_t us = ts == AV_NOPTS_VALUE ? 0 : ff.avutil.av_rescale_q(ts, source.st->time_base, kMicros);
    if (us < out_.startTime)
        return;
    if (out_.recordingTime != INT64_MAX && us - out_.startTime >= out_.recordingTime) {
        finished_ = true;
        return;
    }
    keySeen_ = true;
    TPacketPtr pkt(ff.avcodec.av_packet_clone(in));
    if (!pkt)
        throw FFmpegException("Out of memory");
    const int64_t shift = ff.avutil.av_rescale_q(out_.startTime, kMicros, source.st->time_base);
    if (pkt->pts != AV_NOPTS_VALUE)
        pkt->pts -= shift;
    if (pkt->dts != AV_NOPTS_VALUE)
        pkt->dts -= shift;
    frames_++;
    if (!bsf_) {
        write(pkt.get(), source.st->time_base);
        return;
    }
    if (ff.avcodec.av_bsf_send_packet(bsf_.get(), pkt.get()) < 0)
        throw FFmpegException("Bitstream filter failed");
    while (ff.avcodec.av_bsf_receive_packet(bsf_.get(), pkt_.get()) == 0)
        write(pkt_.get(), bsf_->time_base_out);
}

void TOutputStream::Flush() {
    const TFFEntries& ff = FF();
    if (copy_) {
        if (bsf_ && ff.avcodec.av_bsf_send_packet(bsf_.get(), nullptr) == 0)
            while (ff.avcodec.av_bsf_receive_packet(bsf_.get(), pkt_.get()) == 0)
                write(pkt_.get(), bsf_->time_base_out);
        return;
    }
    if (!enc_ || request_.kind == AVMEDIA_TYPE_SUBTITLE)
        return;
    if (graph_ && !finished_) {
        endGraphInput();
    }
    if (request_.kind == AVMEDIA_TYPE_AUDIO && !finished_)
        encodeAudioFifo(true);
    if (ff.avcodec.avcodec_send_frame(enc_.get(), nullptr) == 0)
        receivePackets();
}
