#include "engine/FFTranscoder.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace {

const AVRational kMicros{1, AV_TIME_BASE};

const char* kindName(AVMediaType kind) {
    return kind == AVMEDIA_TYPE_VIDEO ? "video" : kind == AVMEDIA_TYPE_AUDIO ? "audio" : "subtitle";
}

// The stop check of a running loop: blocking reads end once a stop was asked for.
bool stopCheck(void* data, void*) {
    auto* s = static_cast<TCustomFFmpeg::State*>(data);
    return s->stopRequested || s->ioStart == 0;
}

class TStopCheck {
public:
    TStopCheck(TCustomFFmpeg* task, TCustomFFmpeg::State& s) : task_(task), s_(s) {
        FFInterruptCB().Register(FFThreadId(), task_, {stopCheck, &s_});
    }
    ~TStopCheck() { FFInterruptCB().Unregister(FFThreadId(), task_, {stopCheck, &s_}); }
    TStopCheck(const TStopCheck&) = delete;
    TStopCheck& operator=(const TStopCheck&) = delete;

private:
    TCustomFFmpeg* task_;
    TCustomFFmpeg::State& s_;
};

} // namespace

TTranscoder::TTranscoder(TCustomFFmpeg& task, TCustomFFmpeg::State& s)
    : task_(task), s_(s), pkt_(FF().avcodec.av_packet_alloc()), frame_(FF().avutil.av_frame_alloc()) {
    const size_t n = s_.inputs.size();
    inputs_.resize(n);
    for (size_t i = 0; i < n; i++)
        inputs_[i].resize(s_.inputs[i].ctx->nb_streams);
    ended_.assign(n, 0);
    again_.assign(n, 0);
    flushed_.assign(n, 0);
    fileEndUs_.assign(n, 0);
    for (const auto& out : s_.outputs)
        joined_ |= out.join;
}

TTranscoder::~TTranscoder() = default;

TInputStream* TTranscoder::inputStream(int file, int index) {
    auto& slot = inputs_[size_t(file)][size_t(index)];
    if (!slot) {
        slot = std::make_unique<TInputStream>();
        slot->file = file;
        slot->index = index;
        slot->st = s_.inputs[size_t(file)].ctx->streams[index];
    }
    return slot.get();
}

TInputStream* TTranscoder::firstStreamOfKind(int file, AVMediaType kind) {
    const AVFormatContext* ic = s_.inputs[size_t(file)].ctx.get();
    for (unsigned i = 0; i < ic->nb_streams; i++)
        if (ic->streams[i]->codecpar->codec_type == kind && ic->streams[i]->discard != AVDISCARD_ALL)
            return inputStream(file, int(i));
    return nullptr;
}

void TTranscoder::buildStreams() {
    size_t total = 0;
    for (const auto& out : s_.outputs)
        total += out.streams.size();
    if (!s_.maps.empty() && s_.maps.size() != total)
        throw FFmpegException("Number of stream maps must match number of output streams");

    size_t mapIndex = 0;
    for (size_t o = 0; o < s_.outputs.size(); o++) {
        TOutputFile& out = s_.outputs[o];
        if (out.streams.empty())
            throw FFmpegException(Fmt("Output file #%d does not contain any stream", int(o)));
        std::vector<const TInputStream*> used;
        for (size_t k = 0; k < out.streams.size(); k++) {
            const TStreamRequest& request = out.streams[k];
            auto ost = std::make_unique<TOutputStream>(task_, s_, stats_, out, int(o), int(k), request);
            if (!s_.maps.empty()) {
                const TStreamMap& m = s_.maps[mapIndex++];
                if (m.file < 0 || size_t(m.file) >= s_.inputs.size() || m.stream < 0 ||
                    unsigned(m.stream) >= s_.inputs[size_t(m.file)].ctx->nb_streams)
                    throw FFmpegException(Fmt("Could not find input stream #%d.%d", m.file, m.stream));
                if (m.syncFile < 0 || size_t(m.syncFile) >= s_.inputs.size() || m.syncStream < 0 ||
                    unsigned(m.syncStream) >= s_.inputs[size_t(m.syncFile)].ctx->nb_streams)
                    throw FFmpegException(Fmt("Could not find sync stream #%d.%d", m.syncFile, m.syncStream));
                TInputStream* ist = inputStream(m.file, m.stream);
                const AVMediaType type = ist->st->codecpar->codec_type;
                if (type != request.kind)
                    throw FFmpegException(Fmt("Codec type mismatch for mapping #%d.%d (%s) -> #%d.%d (%s)",
                                              m.file, m.stream, kindName(type), int(o), int(k),
                                              kindName(request.kind)));
                ost->sources.push_back(ist);
            } else if (joined_) {
                // Input i+1 continues the streams of input i.
                for (size_t f = 0; f < s_.inputs.size(); f++)
                    ost->sources.push_back(firstStreamOfKind(int(f), request.kind));
            } else {
                TInputStream* pick = nullptr;
                for (size_t f = 0; f < s_.inputs.size() && !pick; f++) {
                    const AVFormatContext* ic = s_.inputs[f].ctx.get();
                    for (unsigned i = 0; i < ic->nb_streams && !pick; i++) {
                        if (ic->streams[i]->codecpar->codec_type != request.kind ||
                            ic->streams[i]->discard == AVDISCARD_ALL)
                            continue;
                        TInputStream* ist = inputStream(int(f), int(i));
                        if (std::find(used.begin(), used.end(), ist) == used.end())
                            pick = ist;
                    }
                }
                if (!pick)
                    for (size_t f = 0; f < s_.inputs.size() && !pick; f++)
                        pick = firstStreamOfKind(int(f), request.kind);
                if (pick)
                    ost->sources.push_back(pick);
            }
            const TInputStream* first = nullptr;
            for (TInputStream* src : ost->sources)
                if (src && !first)
                    first = src;
            if (!first)
                throw FFmpegException(Fmt("Could not find input stream matching output stream #%d.%d (%s)",
                                          int(o), int(k), kindName(request.kind)));
            used.push_back(first);
            for (TInputStream* src : ost->sources)
                if (src)
                    src->outputs.push_back(ost.get());
            outputs_.push_back(std::move(ost));
        }
    }

    // Streams nobody reads are skipped by the demuxers; the others get decoders when
    // some output encodes them.
    for (size_t f = 0; f < inputs_.size(); f++) {
        for (size_t i = 0; i < inputs_[f].size(); i++) {
            TInputStream* ist = inputs_[f][i].get();
            if (!ist || ist->outputs.empty()) {
                s_.inputs[f].ctx->streams[i]->discard = AVDISCARD_ALL;
                continue;
            }
            for (TOutputStream* ost : ist->outputs)
                if (!ost->IsCopy() && !ist->dec)
                    openDecoder(*ist);
        }
    }
    for (auto& ost : outputs_) {
        for (TInputStream* src : ost->sources)
            if (src) {
                ost->Prepare(*src);
                break;
            }
    }
}

void TTranscoder::openDecoder(TInputStream& ist) {
    const TFFEntries& ff = FF();
    const AVCodecParameters* par = ist.st->codecpar;
    const TInputFile& in = s_.inputs[size_t(ist.file)];
    const std::string& forced = par->codec_type == AVMEDIA_TYPE_VIDEO   ? in.videoDecoder
                                : par->codec_type == AVMEDIA_TYPE_AUDIO ? in.audioDecoder
                                                                        : in.subtitleDecoder;
    const AVCodec* codec = forced.empty() ? ff.avcodec.avcodec_find_decoder(par->codec_id)
                                          : ff.avcodec.avcodec_find_decoder_by_name(forced.c_str());
    if (!codec)
        throw FFmpegException(Fmt("Decoder (codec id %d) not found for input stream #%d.%d (%s)",
                                  int(par->codec_id), ist.file, ist.index, kindName(par->codec_type)));
    ist.dec.reset(ff.avcodec.avcodec_alloc_context3(codec));
    if (ff.avcodec.avcodec_parameters_to_context(ist.dec.get(), par) < 0)
        throw FFmpegException(Fmt("Error while opening decoder for input stream #%d.%d (%s)", ist.file,
                                  ist.index, kindName(par->codec_type)));
    ist.dec->pkt_timebase = ist.st->time_base;
    ist.dec->thread_count = s_.threads;
    TDict options;
    s_.generic.CodecOptions(par->codec_type, false, options.Ptr());
    int ret;
    {
        TCodecLockGuard lock;
        ret = ff.avcodec.avcodec_open2(ist.dec.get(), codec, options.Ptr());
    }
    if (ret < 0)
        throw FFmpegException(Fmt("Error while opening decoder for input stream #%d.%d (%s)", ist.file,
                                  ist.index, kindName(par->codec_type)));
}

void TTranscoder::writeHeaders() {
    const TFFEntries& ff = FF();
    for (size_t o = 0; o < s_.outputs.size(); o++) {
        TOutputFile& out = s_.outputs[o];
        AVFormatContext* oc = out.ctx.get();
        if (!s_.inputs.empty())
            ff.avutil.av_dict_copy(&oc->metadata, s_.inputs[0].ctx->metadata, AV_DICT_DONT_OVERWRITE);
        oc->max_delay = int(out.muxDelay * AV_TIME_BASE);
        TDict options;
        s_.generic.FormatOptions(options.Ptr());
        if (out.muxPreload > 0)
            options.Set("preload", std::to_string(int64_t(out.muxPreload * AV_TIME_BASE)));
        if (out.loopOutput >= 0)
            options.Set("loop", std::to_string(out.loopOutput));
        const int ret = ff.avformat.avformat_write_header(oc, options.Ptr());
        if (ret < 0) {
            TaskLog(&task_, llError, FFErrorText(out.name, ret));
            throw FFmpegException(
                Fmt("Could not write header for output file #%d (incorrect codec parameters ?)", int(o)));
        }
    }
    TaskLog(&task_, llInfo, "Stream mapping:");
    for (const auto& ost : outputs_) {
        for (const TInputStream* src : ost->sources) {
            if (!src)
                continue;
            TaskLog(&task_, llInfo,
                    Fmt("Stream #%d.%d -> #%d.%d (%s)", src->file, src->index, ost->File(), ost->Index(),
                        ost->CodecName()));
            if (!joined_)
                break;
        }
    }
}

bool TTranscoder::allFinished() const {
    for (const auto& ost : outputs_)
        if (!ost->Finished())
            return false;
    return true;
}

int64_t TTranscoder::outputTime() const {
    int64_t t = 0;
    for (const auto& ost : outputs_)
        t = std::max(t, ost->EndUs());
    return t;
}

int TTranscoder::chooseInput() {
    if (joined_) {
        for (size_t f = 0; f < ended_.size(); f++)
            if (!ended_[f])
                return again_[f] ? -1 : int(f);
        return -1;
    }
    int best = -1;
    int64_t bestTime = INT64_MAX;
    for (const auto& ost : outputs_) {
        if (ost->Finished())
            continue;
        for (const TInputStream* src : ost->sources) {
            if (!src || ended_[size_t(src->file)] || again_[size_t(src->file)])
                continue;
            const int64_t t =
                s_.inputSync ? (src->lastDtsUs == kNoTime ? INT64_MIN : src->lastDtsUs) : ost->EndUs();
            if (best < 0 || t < bestTime) {
                best = src->file;
                bestTime = t;
            }
        }
    }
    return best;
}

void TTranscoder::Run() {
    const TFFEntries& ff = FF();
    buildStreams();
    writeHeaders();

    startUs_ = ff.avutil.av_gettime_relative();
    lastReportUs_ = startUs_;
    loop();

    // Stopped or not, the outputs are finished properly: a stop keeps a playable file.
    for (size_t f = 0; f < inputs_.size(); f++)
        flushDecoders(int(f));
    for (auto& ost : outputs_)
        ost->Flush();
    for (size_t o = 0; o < s_.outputs.size(); o++) {
        const int ret = ff.avformat.av_write_trailer(s_.outputs[o].ctx.get());
        if (ret < 0) {
            TaskLog(&task_, llError, FFErrorText(s_.outputs[o].name, ret));
            throw FFmpegException(
                FFErrorText(Fmt("av_write_trailer() failed for output file #%d", int(o)), ret));
        }
    }
    s_.trailersWritten = true;
    report(true);
    s_.completed = !s_.stopRequested;
}

void TTranscoder::loop() {
    const TFFEntries& ff = FF();
    // Only while reading: the stop must not interrupt the writing of the trailers.
    TStopCheck stopCheck(&task_, s_);
    while (!s_.stopRequested) {
        if (allFinished())
            break;
        const TOutputFile& first = s_.outputs[0];
        if (first.limitFileSize > 0 && first.ctx->pb &&
            ff.avformat.avio_seek(first.ctx->pb, 0, SEEK_CUR) >= first.limitFileSize)
            break;
        const int file = chooseInput();
        if (file < 0) {
            bool waiting = false;
            for (size_t f = 0; f < ended_.size(); f++)
                waiting |= !ended_[f] && again_[f];
            if (!waiting)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::fill(again_.begin(), again_.end(), 0);
            continue;
        }
        const int ret = ff.avformat.av_read_frame(s_.inputs[size_t(file)].ctx.get(), pkt_.get());
        if (ret == AVERROR(EAGAIN)) {
            again_[size_t(file)] = 1;
            continue;
        }
        if (ret < 0) {
            if (ret != AVERROR_EOF && !s_.stopRequested)
                TaskLog(&task_, llVerbose, FFErrorText(s_.inputs[size_t(file)].name, ret));
            ended_[size_t(file)] = 1;
            if (s_.stopRequested)
                break;
            flushDecoders(file);
            if (joined_ && size_t(file) + 1 < s_.inputs.size()) {
                // The next file continues where this one ended.
                s_.inputs[size_t(file) + 1].tsOffset += fileEndUs_[size_t(file)];
                fileEndUs_[size_t(file) + 1] = fileEndUs_[size_t(file)];
            } else if (s_.shortest && !joined_) {
                break;
            }
            continue;
        }
        std::fill(again_.begin(), again_.end(), 0);
        lastFile_ = file;
        processPacket(file, pkt_.get());
        ff.avcodec.av_packet_unref(pkt_.get());
        report(false);
    }
}

void TTranscoder::processPacket(int file, AVPacket* pkt) {
    const TFFEntries& ff = FF();
    if (pkt->stream_index < 0 || size_t(pkt->stream_index) >= inputs_[size_t(file)].size())
        return;
    TInputStream* ist = inputs_[size_t(file)][size_t(pkt->stream_index)].get();
    if (!ist)
        return;
    TInputFile& in = s_.inputs[size_t(file)];
    const AVRational tb = ist->st->time_base;

    const int64_t offset = ff.avutil.av_rescale_q(in.tsOffset, kMicros, tb);
    if (pkt->pts != AV_NOPTS_VALUE)
        pkt->pts += offset;
    if (pkt->dts != AV_NOPTS_VALUE)
        pkt->dts += offset;
    const double scale = in.tsScale[size_t(pkt->stream_index)];
    if (scale != 1.0) {
        if (pkt->pts != AV_NOPTS_VALUE)
            pkt->pts = int64_t(double(pkt->pts) * scale);
        if (pkt->dts != AV_NOPTS_VALUE)
            pkt->dts = int64_t(double(pkt->dts) * scale);
    }

    if (pkt->dts != AV_NOPTS_VALUE) {
        int64_t dtsUs = ff.avutil.av_rescale_q(pkt->dts, tb, kMicros);
        if ((in.ctx->iformat->flags & AVFMT_TS_DISCONT) && ist->nextDtsUs != kNoTime && !s_.copyTs) {
            const int64_t delta = dtsUs - ist->nextDtsUs;
            if (std::llabs(delta) > int64_t(s_.dtsDeltaThreshold * AV_TIME_BASE)) {
                in.tsOffset -= delta;
                const int64_t shift = ff.avutil.av_rescale_q(delta, kMicros, tb);
                pkt->dts -= shift;
                if (pkt->pts != AV_NOPTS_VALUE)
                    pkt->pts -= shift;
                dtsUs -= delta;
                TaskLog(&task_, llDebug,
                        Fmt("timestamp discontinuity %lld, new offset= %lld", (long long)delta,
                            (long long)in.tsOffset));
            }
        }
        const int64_t durUs = ff.avutil.av_rescale_q(pkt->duration, tb, kMicros);
        ist->lastDtsUs = dtsUs;
        ist->nextDtsUs = dtsUs + durUs;
        const int64_t ptsUs =
            pkt->pts != AV_NOPTS_VALUE ? ff.avutil.av_rescale_q(pkt->pts, tb, kMicros) : dtsUs;
        fileEndUs_[size_t(file)] = std::max(fileEndUs_[size_t(file)], std::max(ptsUs, dtsUs) + durUs);
    }

    for (TOutputStream* ost : ist->outputs)
        if (ost->IsCopy())
            ost->CopyPacket(pkt, *ist);
    if (ist->dec)
        decode(*ist, pkt);
}

void TTranscoder::decode(TInputStream& ist, const AVPacket* pkt) {
    const TFFEntries& ff = FF();
    AVCodecContext* dec = ist.dec.get();
    auto decodeError = [&] {
        const std::string msg =
            Fmt("Error while decoding stream #%d.%d (%s)", ist.file, ist.index, kindName(dec->codec_type));
        if (s_.exitOnError)
            throw FFmpegException(msg);
        if (s_.verbosity >= 0)
            TaskLog(&task_, llVerbose, msg);
    };
    if (dec->codec_type == AVMEDIA_TYPE_SUBTITLE) {
        if (!pkt)
            return;
        AVSubtitle sub{};
        int got = 0;
        if (ff.avcodec.avcodec_decode_subtitle2(dec, &sub, &got, const_cast<AVPacket*>(pkt)) < 0) {
            decodeError();
            return;
        }
        if (got) {
            const int64_t pts = pkt->pts != AV_NOPTS_VALUE
                                    ? ff.avutil.av_rescale_q(pkt->pts, ist.st->time_base, kMicros)
                                    : AV_NOPTS_VALUE;
            for (TOutputStream* ost : ist.outputs)
                if (!ost->IsCopy())
                    ost->Subtitle(sub, pts, ist);
            ff.avcodec.avsubtitle_free(&sub);
        }
        return;
    }
    const int ret = ff.avcodec.avcodec_send_packet(dec, pkt);
    if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) {
        decodeError();
        return;
    }
    deliverFrames(ist);
}

void TTranscoder::deliverFrames(TInputStream& ist) {
    const TFFEntries& ff = FF();
    AVCodecContext* dec = ist.dec.get();
    for (;;) {
        const int ret = ff.avcodec.avcodec_receive_frame(dec, frame_.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0) {
            const std::string msg = Fmt("Error while decoding stream #%d.%d (%s)", ist.file, ist.index,
                                        kindName(dec->codec_type));
            if (s_.exitOnError)
                throw FFmpegException(msg);
            TaskLog(&task_, llVerbose, msg);
            return;
        }
        const int64_t ts = frame_->best_effort_timestamp;
        const int64_t us =
            ts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : ff.avutil.av_rescale_q(ts, ist.st->time_base, kMicros);
        for (TOutputStream* ost : ist.outputs) {
            if (ost->IsCopy())
                continue;
            frame_->pts = us;
            ost->Frame(frame_.get(), ist);
        }
        ff.avutil.av_frame_unref(frame_.get());
    }
}

void TTranscoder::flushDecoders(int file) {
    if (flushed_[size_t(file)])
        return;
    flushed_[size_t(file)] = 1;
    for (auto& ist : inputs_[size_t(file)]) {
        if (!ist || !ist->dec || ist->dec->codec_type == AVMEDIA_TYPE_SUBTITLE)
            continue;
        if (FF().avcodec.avcodec_send_packet(ist->dec.get(), nullptr) >= 0)
            deliverFrames(*ist);
    }
}

void TTranscoder::report(bool final) {
    const TFFEntries& ff = FF();
    const int64_t now = ff.avutil.av_gettime_relative();
    if (!final && now - lastReportUs_ < s_.progressIntervalUs)
        return;
    lastReportUs_ = now;

    TFFProgress p;
    p.InputFileIndex = final ? -1 : lastFile_;
    for (const auto& ost : outputs_) {
        if (ost->Kind() == AVMEDIA_TYPE_VIDEO) {
            p.FrameNumber = int(ost->Frames());
            const double elapsed = double(now - startUs_) / 1e6;
            p.FramesPerSecond = elapsed >= 1.0 ? int(double(ost->Frames()) / elapsed + 0.5) : 0;
            p.Quality = ost->IsCopy() ? -1.0f : ost->Quality();
            break;
        }
    }
    AVIOContext* pb = s_.outputs[0].ctx->pb;
    p.OutputSize = pb ? std::max<int64_t>(0, ff.avformat.avio_seek(pb, 0, SEEK_CUR)) : 0;
    p.OutputTime = std::max<int64_t>(outputTime(), 10000);
    p.BitRate = float(double(p.OutputSize) * 8.0 / (double(p.OutputTime) / 1e6) / 1000.0);
    p.TotalTime = s_.totalTime;

    if (task_.OnProgress) {
        task_.OnProgress(task_, p);
    } else if (s_.verbosity >= 0) {
        std::string line =
            Fmt("frame=%5d fps=%3d q=%3.1f ", p.FrameNumber, p.FramesPerSecond, double(p.Quality)) +
            Fmt("size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s", double(p.OutputSize) / 1024.0,
                double(p.OutputTime) / 1e6, double(p.BitRate));
        if (stats_.dupFrames || stats_.dropFrames)
            line += Fmt(" dup=%d drop=%d", int(stats_.dupFrames), int(stats_.dropFrames));
        TaskLog(&task_, llVerbose, line);
    }
    if (final && s_.verbosity >= 0) {
        const double payload = double(stats_.videoBytes + stats_.audioBytes + stats_.otherBytes);
        const double overhead = payload > 0 ? (double(p.OutputSize) / payload - 1.0) * 100.0 : 0.0;
        TaskLog(&task_, llVerbose,
                Fmt("video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\r\n",
                    double(stats_.videoBytes) / 1024.0, double(stats_.audioBytes) / 1024.0, 0.0, overhead));
    }
}
