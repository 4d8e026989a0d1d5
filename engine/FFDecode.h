#pragma once

// TFFDecoder: opens a media file, reports the facts of the file and its streams,
// seeks, decodes single video frames and renders them into a bitmap. The encoder
// component's probe decoder serves the input list; each task input gets one
// attached to the context the task opened.

#include "engine/FFBaseComponent.h"
#include "engine/FFBitmap.h"
#include "engine/FFHandles.h"
#include "engine/FormatConverter.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

// Calls made in the wrong state and missing libraries raise this.
class EDecoderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TFileStreamInfo {
    int64_t StartTime = -1; // microseconds
    int64_t Duration = -1;  // microseconds
    int BitRate = -1;
    int64_t Timestamp = -1; // creation time, microseconds since the epoch
    int Year = -1;
    int Track = -1;
    std::string Title, Author, Copyright, Comment, Album, Genre;
};

// The facts every stream has; PTS values are in the stream's time base.
struct TStreamFacts {
    std::string Language;
    std::string CodecName;
    int64_t StartPTS = -1;
    int64_t StartTime = -1; // microseconds
    int64_t DurationPTS = -1;
    int64_t Duration = -1; // microseconds
    int BitRate = -1;
};

struct TAudioStreamInfo : TStreamFacts {
    int Channels = -1;
    int SampleRate = -1;
    int SampleFormat = -1;
};

struct TVideoStreamInfo : TStreamFacts {
    int Height = -1;
    int Width = -1;
    float DisplayAspectRatio = -1.0f;
    int PixelFormat = -1;
    int FrameRateNum = -1;
    int FrameRateDen = -1;
};

// The file and its stream facts.
class TCustomDecoder : public TFFBaseComponent {
public:
    TCustomDecoder();
    ~TCustomDecoder() override;

    // Opens FileName (UTF-8), detecting the format unless FormatName names one.
    bool LoadFile(const std::string& FileName, const std::string& FormatName = "");
    virtual void CloseFile();
    // Attaches to an input opened elsewhere (not closed by this decoder).
    void AttachFormatContext(AVFormatContext* context);

    // The loaded file's name; empty (and "file not loaded.") when none.
    std::string FileName();
    bool GetFileStreamInfo(TFileStreamInfo& info);
    // Index < 0: the first stream of the kind.
    bool GetAudioStreamInfo(int Index, TAudioStreamInfo& info);
    bool GetVideoStreamInfo(int Index, TVideoStreamInfo& info);

    const std::string& LastErrMsg() const { return lastErrMsg_; }
    const std::string& FormatName() const { return formatName_; }
    int64_t FileSize() const { return fileSize_; }
    int StreamCount() const { return streamCount_; }
    int AudioStreamCount() const { return audioStreamCount_; }
    int VideoStreamCount() const { return videoStreamCount_; }
    int SubtitleStreamCount() const { return subtitleStreamCount_; }
    int FirstAudioStreamIndex() const { return firstAudioStreamIndex_; }
    int FirstVideoStreamIndex() const { return firstVideoStreamIndex_; }
    int FirstSubtitleStreamIndex() const { return firstSubtitleStreamIndex_; }

protected:
    virtual void ResetStreamFacts();
    virtual void ComputeStreamFacts(const std::string& fileName);
    // Stores the text in LastErrMsg and logs it at level (a TLogLevel).
    void Fail(int level, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    // Resolves Index (< 0: first of the kind) to a stream of mediaType, or -1 with the
    // reason reported.
    int SelectStream(int Index, int mediaType);

    AVFormatContext* context_ = nullptr;
    bool owned_ = false;

private:
    std::string lastErrMsg_;
    std::string formatName_;
    int64_t fileSize_ = -1;
    int streamCount_ = -1;
    int audioStreamCount_ = -1;
    int videoStreamCount_ = -1;
    int subtitleStreamCount_ = -1;
    int firstAudioStreamIndex_ = -1;
    int firstVideoStreamIndex_ = -1;
    int firstSubtitleStreamIndex_ = -1;
};

// Adds seeking, single-frame video decoding and bitmap output.
class TFFDecoder : public TCustomDecoder {
public:
    TFFDecoder();
    ~TFFDecoder() override;

    void CloseFile() override;

    // Flags: the library's seek flags (1 backward, 2 byte position, ...). Position in
    // microseconds from the start of the current stream, or bytes with flag 2.
    bool Seek(int Flags, int64_t Position);
    // Index < 0: the selected, else the first video stream.
    bool DecodeVideoFrame(int Index = -1);
    bool CopyToBitmap(TBitmap& Bitmap);

    // Presentation time of the last decoded picture, microseconds from the stream start.
    int64_t PictureTime() const { return pictureTime_; }
    bool PictureReady() const { return pictureReady_; }
    int CurrentStream() const { return currentStream_; }
    TFormatConverter& FormatConverter() { return converter_; }

protected:
    void ResetStreamFacts() override;
    void ComputeStreamFacts(const std::string& fileName) override;

private:
    bool IsStillImage() const;
    bool OwnsFileOrRaise();
    int Rewind(int streamIndex, int flags);
    bool OpenVideoDecoder(int streamIndex);
    void CloseVideoDecoder();
    void ResetDecodeState();
    bool ReceivePicture(AVPacket* pkt);

    int currentStream_ = -1;
    int64_t currentStartTime_ = 0; // in the current stream's time base
    int videoStream_ = -1;         // selected for decoding
    TCodecContextPtr videoDecoder_;
    int videoDecoderStream_ = -1;
    TFramePtr picture_;
    bool pictureReady_ = false;
    bool eof_ = false;
    bool draining_ = false;
    int64_t pictureTime_ = 0;
    TFormatConverter converter_;
};
