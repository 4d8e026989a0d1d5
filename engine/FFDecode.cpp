#include "engine/FFDecode.h"

#include "engine/FFLoad.h"
#include "engine/FFLog.h"

#include <cctype>
#include <chrono>
#include <cinttypes>
#include <cstdarg>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A probe of a local file must end whatever the file holds: blocking library calls of
// a load or decode are interrupted after this long.
constexpr auto kProbeDeadline = std::chrono::seconds(10);

bool deadlinePassed(void* data, void*) {
    return std::chrono::steady_clock::now() > *static_cast<std::chrono::steady_clock::time_point*>(data);
}

// Registers the deadline check for the calling thread while it is in scope.
class TProbeDeadline {
public:
    TProbeDeadline() : deadline_(std::chrono::steady_clock::now() + kProbeDeadline), thread_(FFThreadId()) {
        FFInterruptCB().Register(thread_, this, {deadlinePassed, &deadline_});
    }
    ~TProbeDeadline() { FFInterruptCB().Unregister(thread_, this, {deadlinePassed, &deadline_}); }
    TProbeDeadline(const TProbeDeadline&) = delete;
    TProbeDeadline& operator=(const TProbeDeadline&) = delete;

private:
    std::chrono::steady_clock::time_point deadline_;
    uint32_t thread_;
};

std::string vformat(const char* fmt, va_list vl) {
    char buf[2048];
    std::vsnprintf(buf, sizeof buf, fmt, vl);
    return buf;
}

std::string metadata(AVDictionary* dict, const char* key) {
    const AVDictionaryEntry* e = FF().avutil.av_dict_get(dict, key, nullptr, 0);
    return e && e->value ? e->value : "";
}

AVRational repairedTimeBase(AVRational tb) {
    if (tb.den == 0)
        tb.den = tb.num != 0 ? tb.num : 1;
    return tb;
}

int64_t toMicroseconds(int64_t value, AVRational tb) {
    return FF().avutil.av_rescale_q(value, repairedTimeBase(tb), AVRational{1, AV_TIME_BASE});
}

int clampToInt(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int(v);
}

bool isBlank(const char* s) {
    if (!s)
        return true;
    for (; *s; ++s)
        if (!std::isspace(static_cast<unsigned char>(*s)))
            return false;
    return true;
}

// The decoder's name and long name, else the codec's own name, else its tag.
std::string codecText(const AVCodecParameters* par) {
    if (const AVCodec* codec = FF().avcodec.avcodec_find_decoder(par->codec_id)) {
        if (isBlank(codec->long_name))
            return codec->name;
        return std::string(codec->name) + "(" + codec->long_name + ")";
    }
    if (par->codec_id == AV_CODEC_ID_MPEG2TS)
        return "mpeg2ts";
    if (const AVCodecDescriptor* desc = FF().avcodec.avcodec_descriptor_get(par->codec_id);
        desc && desc->name && *desc->name)
        return desc->name;
    const uint32_t tag = par->codec_tag;
    const unsigned char c[4] = {uint8_t(tag), uint8_t(tag >> 8), uint8_t(tag >> 16), uint8_t(tag >> 24)};
    char buf[64];
    if (c[0] >= 32 && c[0] <= 126 && c[1] >= 32 && c[1] <= 126 && c[2] >= 32 && c[2] <= 126 && c[3] >= 32 &&
        c[3] <= 126)
        std::snprintf(buf, sizeof buf, "%c%c%c%c / 0x%04X", c[0], c[1], c[2], c[3], tag);
    else
        std::snprintf(buf, sizeof buf, "0x%04x", tag);
    return buf;
}

} // namespace

// ---------------------------------------------------------------------------------

TCustomDecoder::TCustomDecoder() {
    TCustomDecoder::ResetStreamFacts();
}

TCustomDecoder::~TCustomDecoder() {
    // Derived classes close in their own destructor; this covers the base alone.
    if (context_ && owned_)
        FF().avformat.avformat_close_input(&context_);
}

void TCustomDecoder::Fail(int level, const char* fmt, ...) {
    va_list vl;
    va_start(vl, fmt);
    lastErrMsg_ = vformat(fmt, vl);
    va_end(vl);
    FFLogger().Log(this, TLogLevel(level), lastErrMsg_);
}

void TCustomDecoder::ResetStreamFacts() {
    fileSize_ = -1;
    streamCount_ = -1;
    audioStreamCount_ = videoStreamCount_ = subtitleStreamCount_ = -1;
    firstAudioStreamIndex_ = firstVideoStreamIndex_ = firstSubtitleStreamIndex_ = -1;
}

bool TCustomDecoder::LoadFile(const std::string& FileName, const std::string& FormatName) {
    const TFFLoader& loader = FFLoader();
    if (!loader.IsLoaded(LIB_AVCODEC))
        throw EDecoderError("LibAVCodec not loaded.");
    if (!loader.IsLoaded(LIB_AVFORMAT))
        throw EDecoderError("LibAVFormat not loaded.");
    if (!loader.IsLoaded(LIB_AVUTIL))
        throw EDecoderError("LibAVUtil not loaded.");
    if (!loader.IsLoaded(LIB_SWSCALE))
        throw EDecoderError("LibSwScale not loaded.");
    CloseFile();

    const AVInputFormat* format = nullptr;
    if (!FormatName.empty()) {
        format = FF().avformat.av_find_input_format(FormatName.c_str());
        if (!format) {
            lastErrMsg_ = "Unknown input format: " + FormatName;
            return false;
        }
    }
    // Only regular files are probed locally: a directory fails at once and a pipe
    // or device could block the open for ever.
    std::error_code ec;
    const fs::path path(FileName);
    if (fs::exists(path, ec) && !fs::is_regular_file(path, ec)) {
        Fail(llError, "%s",
             FFErrorText(FileName, fs::is_directory(path, ec) ? AVERROR(EISDIR) : AVERROR(EINVAL)).c_str());
        return false;
    }
    const std::string libName = FFFileNameToLib(FileName);
    TProbeDeadline deadline;
    AVFormatContext* ctx = FF().avformat.avformat_alloc_context();
    if (!ctx) {
        Fail(llError, "%s", FFErrorText(FileName, AVERROR(ENOMEM)).c_str());
        return false;
    }
    ctx->flags |= AVFMT_FLAG_NONBLOCK;
    FFSetInterruptCallback(ctx);
    int ret = FF().avformat.avformat_open_input(&ctx, libName.c_str(), format, nullptr);
    if (ret < 0) { // the library has freed the context
        Fail(llError, "%s", FFErrorText(FileName, ret).c_str());
        return false;
    }
    context_ = ctx;
    owned_ = true;
    ret = FF().avformat.avformat_find_stream_info(ctx, nullptr);
    if (ret < 0) {
        const std::string text = FileName + ": could not find codec parameters";
        CloseFile();
        lastErrMsg_ = text;
        return false;
    }
    ComputeStreamFacts(FileName);
    formatName_ = FormatName;
    return true;
}

void TCustomDecoder::ComputeStreamFacts(const std::string& fileName) {
    ResetStreamFacts();
    int64_t containerSize = context_->pb ? FF().avformat.avio_size(context_->pb) : -1;
    std::error_code ec;
    if (containerSize > 0)
        fileSize_ = containerSize;
    else if (!fileName.empty() && fs::is_regular_file(fileName, ec))
        fileSize_ = int64_t(fs::file_size(fileName, ec));
    else
        fileSize_ = containerSize;
    streamCount_ = int(context_->nb_streams);
    audioStreamCount_ = videoStreamCount_ = subtitleStreamCount_ = 0;
    for (int i = 0; i < streamCount_; ++i) {
        switch (context_->streams[i]->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            if (videoStreamCount_++ == 0)
                firstVideoStreamIndex_ = i;
            break;
        case AVMEDIA_TYPE_AUDIO:
            if (audioStreamCount_++ == 0)
                firstAudioStreamIndex_ = i;
            break;
        case AVMEDIA_TYPE_SUBTITLE:
            if (subtitleStreamCount_++ == 0)
                firstSubtitleStreamIndex_ = i;
            break;
        default:
            break;
        }
    }
}

void TCustomDecoder::CloseFile() {
    formatName_.clear();
    if (context_ && owned_)
        FF().avformat.avformat_close_input(&context_);
    context_ = nullptr;
    owned_ = false;
    ResetStreamFacts();
}

void TCustomDecoder::AttachFormatContext(AVFormatContext* context) {
    CloseFile();
    context_ = context;
    owned_ = false;
    if (context_)
        ComputeStreamFacts(FFFileNameFromLib(context_->url ? context_->url : ""));
}

std::string TCustomDecoder::FileName() {
    if (!context_) {
        Fail(llWarning, "file not loaded.");
        return {};
    }
    return FFFileNameFromLib(context_->url ? context_->url : "");
}

bool TCustomDecoder::GetFileStreamInfo(TFileStreamInfo& info) {
    info = TFileStreamInfo{};
    if (!context_) {
        Fail(llWarning, "file not loaded.");
        return false;
    }
    if (context_->start_time != AV_NOPTS_VALUE)
        info.StartTime = context_->start_time;
    if (context_->duration != AV_NOPTS_VALUE)
        info.Duration = context_->duration;
    info.BitRate = clampToInt(context_->bit_rate);
    AVDictionary* meta = context_->metadata;
    info.Timestamp = 0;
    if (const std::string created = metadata(meta, "creation_time"); !created.empty()) {
        int64_t when = 0;
        if (FF().avutil.av_parse_time(&when, created.c_str(), 0) >= 0)
            info.Timestamp = when;
    }
    std::string year = metadata(meta, "year");
    if (year.empty())
        year = metadata(meta, "date");
    info.Year = std::atoi(year.c_str());
    info.Track = std::atoi(metadata(meta, "track").c_str());
    info.Title = metadata(meta, "title");
    info.Author = metadata(meta, "author");
    if (info.Author.empty())
        info.Author = metadata(meta, "artist");
    info.Copyright = metadata(meta, "copyright");
    info.Comment = metadata(meta, "comment");
    info.Album = metadata(meta, "album");
    info.Genre = metadata(meta, "genre");
    return true;
}

int TCustomDecoder::SelectStream(int Index, int mediaType) {
    const bool audio = mediaType == AVMEDIA_TYPE_AUDIO;
    if (!context_) {
        Fail(llWarning, "file not loaded.");
        return -1;
    }
    if (Index < 0) {
        Index = audio ? firstAudioStreamIndex_ : firstVideoStreamIndex_;
        if (Index < 0)
            Fail(llError, audio ? "no audio stream." : "no video stream.");
        return Index;
    }
    if (Index >= streamCount_) {
        Fail(llError, "stream index #%d is invalid.", Index);
        return -1;
    }
    if (context_->streams[Index]->codecpar->codec_type != mediaType) {
        Fail(llError, audio ? "stream #%d is not audio stream." : "stream #%d is not video stream.", Index);
        return -1;
    }
    return Index;
}

namespace {

void fillCommon(const AVStream* st, TStreamFacts& info) {
    info.Language = metadata(st->metadata, "language");
    info.CodecName = codecText(st->codecpar);
    if (st->start_time != AV_NOPTS_VALUE) {
        info.StartPTS = st->start_time;
        info.StartTime = toMicroseconds(st->start_time, st->time_base);
    }
    if (st->duration != AV_NOPTS_VALUE) {
        info.DurationPTS = st->duration;
        info.Duration = toMicroseconds(st->duration, st->time_base);
    }
    if (st->codecpar->bit_rate > 0)
        info.BitRate = clampToInt(st->codecpar->bit_rate);
}

} // namespace

bool TCustomDecoder::GetAudioStreamInfo(int Index, TAudioStreamInfo& info) {
    info = TAudioStreamInfo{};
    const int index = SelectStream(Index, AVMEDIA_TYPE_AUDIO);
    if (index < 0)
        return false;
    const AVStream* st = context_->streams[index];
    fillCommon(st, info);
    const AVCodecParameters* par = st->codecpar;
    if (par->ch_layout.nb_channels > 0)
        info.Channels = par->ch_layout.nb_channels;
    if (par->sample_rate > 0)
        info.SampleRate = par->sample_rate;
    info.SampleFormat = par->format;
    return true;
}

bool TCustomDecoder::GetVideoStreamInfo(int Index, TVideoStreamInfo& info) {
    info = TVideoStreamInfo{};
    const int index = SelectStream(Index, AVMEDIA_TYPE_VIDEO);
    if (index < 0)
        return false;
    const AVStream* st = context_->streams[index];
    fillCommon(st, info);
    const AVCodecParameters* par = st->codecpar;
    if (par->width > 0)
        info.Width = par->width;
    if (par->height > 0)
        info.Height = par->height;
    const AVRational sar = st->sample_aspect_ratio.num ? st->sample_aspect_ratio : par->sample_aspect_ratio;
    if (sar.num == 0 || sar.den == 0)
        info.DisplayAspectRatio = 0.0f;
    else if (par->width > 0 && par->height > 0)
        info.DisplayAspectRatio = float(double(sar.num) / sar.den * par->width / par->height);
    info.PixelFormat = par->format;
    const AVRational rate =
        st->avg_frame_rate.num && st->avg_frame_rate.den ? st->avg_frame_rate : st->r_frame_rate;
    info.FrameRateNum = rate.num;
    info.FrameRateDen = rate.den;
    return true;
}

// ---------------------------------------------------------------------------------

TFFDecoder::TFFDecoder() {
    TFFDecoder::ResetStreamFacts();
}

TFFDecoder::~TFFDecoder() {
    TFFDecoder::CloseFile();
}

void TFFDecoder::ResetStreamFacts() {
    TCustomDecoder::ResetStreamFacts();
    currentStream_ = -1;
    currentStartTime_ = 0;
}

void TFFDecoder::ComputeStreamFacts(const std::string& fileName) {
    TCustomDecoder::ComputeStreamFacts(fileName);
    currentStream_ = FirstVideoStreamIndex() >= 0 ? FirstVideoStreamIndex() : FirstAudioStreamIndex();
    const int64_t start =
        currentStream_ >= 0 ? context_->streams[currentStream_]->start_time : context_->start_time;
    currentStartTime_ = start == AV_NOPTS_VALUE ? 0 : start;
}

void TFFDecoder::CloseFile() {
    TCustomDecoder::CloseFile();
    CloseVideoDecoder();
    picture_.reset();
    videoStream_ = -1;
    currentStream_ = -1;
    currentStartTime_ = 0;
    ResetDecodeState();
}

void TFFDecoder::ResetDecodeState() {
    pictureReady_ = false;
    eof_ = false;
    draining_ = false;
    pictureTime_ = 0;
}

bool TFFDecoder::IsStillImage() const {
    // Single pictures open as "image2", or by content as one of the "*_pipe" formats.
    const char* name = context_ && context_->iformat ? context_->iformat->name : "";
    const std::string n(name);
    return n == "image2" || (n.size() > 5 && n.compare(n.size() - 5, 5, "_pipe") == 0);
}

bool TFFDecoder::OwnsFileOrRaise() {
    if (!context_) {
        Fail(llWarning, "file not loaded.");
        return false;
    }
    if (!owned_) {
        Fail(llWarning, "file cannot be seeked, handle is readonly.");
        throw EDecoderError(LastErrMsg());
    }
    return true;
}

bool TFFDecoder::Seek(int Flags, int64_t Position) {
    if (!OwnsFileOrRaise())
        return false;
    if (IsStillImage()) {
        Fail(llInfo, "\"%s\" format cannot to be seeked.", context_->iformat->name);
        return false;
    }
    AVIOContext* pb = context_->pb;
    FFLogger().LogFmt(this, llDebug, "current position %" PRId64 " bytes",
                      pb ? FF().avformat.avio_seek(pb, 0, SEEK_CUR) : -1);
    const int64_t requested = Position < 0 ? 0 : Position;
    int64_t target = requested;
    const bool byteSeek = Flags & AVSEEK_FLAG_BYTE;
    int streamIndex = -1;
    if (!byteSeek && currentStream_ >= 0) {
        const AVStream* st = context_->streams[currentStream_];
        streamIndex = currentStream_;
        target =
            FF().avutil.av_rescale_q(target, AVRational{1, AV_TIME_BASE}, repairedTimeBase(st->time_base));
        if (currentStartTime_ > 0)
            target += currentStartTime_;
    }
    if (videoDecoder_)
        FF().avcodec.avcodec_flush_buffers(videoDecoder_.get());
    ResetDecodeState();

    TProbeDeadline deadline;
    const int flags = Flags & 0xF;
    int ret;
    // The start of the file is reached by rewinding: a forward seek to the first
    // time stamp can land on a later key frame.
    if (requested > 0) {
        ret = FF().avformat.av_seek_frame(context_, streamIndex, target, flags);
        // No key frame after the target (a long group of pictures): take the one before.
        if (ret < 0 && !(flags & AVSEEK_FLAG_BACKWARD))
            ret = FF().avformat.av_seek_frame(context_, streamIndex, target, flags | AVSEEK_FLAG_BACKWARD);
    } else {
        ret = Rewind(streamIndex, flags);
    }
    if (ret < 0) {
        // A failed seek can leave the reader anywhere (the library drops what it had
        // buffered first); start over so the next decode still finds pictures.
        if (requested > 0)
            Rewind(streamIndex, 0);
        if (byteSeek)
            Fail(llError, "could not seek to position %" PRId64 " bytes", requested);
        else
            Fail(llError, "could not seek to position %0.3f seconds", double(requested) / 1000000);
        return false;
    }
    FFLogger().LogFmt(this, llDebug, "seek to position %" PRId64 " bytes",
                      pb ? FF().avformat.avio_seek(pb, 0, SEEK_CUR) : -1);
    if (pb && FF().avformat.avio_feof(pb)) {
        Fail(llInfo, "stream eof reached.");
        eof_ = true;
        return false;
    }
    return true;
}

int TFFDecoder::Rewind(int streamIndex, int flags) {
    int ret = FF().avformat.av_seek_frame(context_, streamIndex, 0, flags | AVSEEK_FLAG_BACKWARD);
    if (ret < 0)
        ret = FF().avformat.av_seek_frame(context_, streamIndex, 0, flags & ~AVSEEK_FLAG_BACKWARD);
    // Raw streams without an index can still go back to their first byte.
    if (ret < 0 && !(context_->iformat->flags & AVFMT_NO_BYTE_SEEK))
        ret = FF().avformat.av_seek_frame(context_, -1, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD);
    return ret;
}

void TFFDecoder::CloseVideoDecoder() {
    videoDecoder_.reset();
    videoDecoderStream_ = -1;
}

bool TFFDecoder::OpenVideoDecoder(int streamIndex) {
    if (videoDecoder_ && videoDecoderStream_ == streamIndex)
        return true;
    CloseVideoDecoder();
    const AVCodecParameters* par = context_->streams[streamIndex]->codecpar;
    if (par->width <= 0 || par->height <= 0) {
        Fail(llError, "frame size of codec is invalid.");
        return false;
    }
    const AVCodec* codec = FF().avcodec.avcodec_find_decoder(par->codec_id);
    if (!codec) {
        Fail(llError, "Unsupported codec (id=%d) for input file stream #%d", int(par->codec_id), streamIndex);
        return false;
    }
    TCodecContextPtr ctx(FF().avcodec.avcodec_alloc_context3(codec));
    bool opened = ctx && FF().avcodec.avcodec_parameters_to_context(ctx.get(), par) >= 0;
    if (opened) {
        ctx->pkt_timebase = context_->streams[streamIndex]->time_base;
        ctx->thread_count = 1; // one picture is wanted: no frame-thread delay
        TCodecLockGuard lock;
        opened = FF().avcodec.avcodec_open2(ctx.get(), codec, nullptr) >= 0;
    }
    if (!opened) {
        Fail(llError, "Error while opening codec for input file stream #%d", streamIndex);
        return false;
    }
    videoDecoder_ = std::move(ctx);
    videoDecoderStream_ = streamIndex;
    return true;
}

bool TFFDecoder::DecodeVideoFrame(int Index) {
    if (!OwnsFileOrRaise())
        return false;
    int stream;
    if (Index < 0 && videoStream_ >= 0)
        stream = videoStream_;
    else if ((stream = SelectStream(Index, AVMEDIA_TYPE_VIDEO)) < 0)
        return false;
    if (stream != videoStream_) {
        videoStream_ = stream;
        ResetDecodeState();
    }
    if (pictureReady_ && IsStillImage())
        return true;
    if (eof_) {
        Fail(llInfo, "stream eof reached.");
        return false;
    }
    if (!OpenVideoDecoder(stream))
        return false;
    if (!picture_)
        picture_.reset(FF().avutil.av_frame_alloc());
    if (!picture_) {
        Fail(llError, "%s", FFErrorText("av_frame_alloc", AVERROR(ENOMEM)).c_str());
        return false;
    }

    TProbeDeadline deadline;
    const TPacketPtr pkt(FF().avcodec.av_packet_alloc());
    if (!pkt) {
        Fail(llError, "%s", FFErrorText("av_packet_alloc", AVERROR(ENOMEM)).c_str());
        return false;
    }
    return ReceivePicture(pkt.get());
}

bool TFFDecoder::ReceivePicture(AVPacket* pkt) {
    const AVStream* st = context_->streams[videoStream_];
    for (;;) {
        int ret = FF().avcodec.avcodec_receive_frame(videoDecoder_.get(), picture_.get());
        if (ret >= 0)
            break;
        if (ret != AVERROR(EAGAIN) || draining_) {
            // Drained (or broken beyond use): nothing more comes from this stream.
            Fail(llInfo, "stream eof reached.");
            eof_ = true;
            return false;
        }
        ret = FF().avformat.av_read_frame(context_, pkt);
        if (ret == AVERROR(EAGAIN)) {
            Fail(llInfo, "no data, please try again.");
            return false;
        }
        if (ret < 0) {
            if (ret != AVERROR_EOF && ret != AVERROR(EPIPE) && !(context_->pb && context_->pb->error)) {
                Fail(llInfo, "unknown error #%d.", ret);
                return false;
            }
            // End of input: let the decoder hand out the pictures it still holds.
            draining_ = true;
            FF().avcodec.avcodec_send_packet(videoDecoder_.get(), nullptr);
            continue;
        }
        if (pkt->stream_index == videoStream_)
            FF().avcodec.avcodec_send_packet(videoDecoder_.get(), pkt); // a damaged packet is skipped
        FF().avcodec.av_packet_unref(pkt);
    }
    FFLogger().LogFmt(this, llDebug,
                      "pkt.st_idx=%d, dts=%" PRId64 ", pts=%" PRId64 ", flags=%d, pict_type=%d", videoStream_,
                      picture_->pkt_dts, picture_->pts, picture_->flags, int(picture_->pict_type));
    int64_t pts = picture_->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = picture_->pts;
    if (pts == AV_NOPTS_VALUE)
        pts = picture_->pkt_dts;
    if (pts == AV_NOPTS_VALUE)
        pts = 0;
    const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    pictureTime_ = toMicroseconds(pts - start, st->time_base);
    FFLogger().LogFmt(this, llDebug, "decode PTS: %0.3f", double(pictureTime_) / 1000000);
    pictureReady_ = true;
    return true;
}

bool TFFDecoder::CopyToBitmap(TBitmap& Bitmap) {
    if (!pictureReady_) {
        Fail(llError, "picture not ready, please decode first");
        return false;
    }
    if (converter_.ToRGB(picture_.get(), Bitmap))
        return true;
    const int w = picture_->width > 0 && picture_->width <= 16384 ? picture_->width : 0;
    const int h = picture_->height > 0 && picture_->height <= 16384 ? picture_->height : 0;
    Bitmap.SetSize(w, h, converter_.BitsPixel());
    std::fill(Bitmap.Pixels.begin(), Bitmap.Pixels.end(), 0);
    Fail(llError, "%s", converter_.LastError().c_str());
    return false;
}
