#include "convert/InputProbe.h"

#include "engine/FFDecode.h"

TInputFacts InputFactsOf(TCustomDecoder& decoder) {
    TInputFacts facts;
    facts.Path = decoder.FileName();
    TFileStreamInfo file;
    if (decoder.GetFileStreamInfo(file))
        facts.DurationUs = file.Duration;
    facts.FileSize = decoder.FileSize();
    TVideoStreamInfo video;
    if (decoder.FirstVideoStreamIndex() >= 0 && decoder.GetVideoStreamInfo(-1, video)) {
        facts.HasVideo = true;
        facts.VideoBitRate = video.BitRate;
        facts.Width = video.Width;
        facts.Height = video.Height;
        facts.DisplayAspectRatio = video.DisplayAspectRatio;
        facts.FrameRateNum = video.FrameRateNum;
        facts.FrameRateDen = video.FrameRateDen;
        facts.VideoCodec = video.CodecName;
    }
    TAudioStreamInfo audio;
    if (decoder.FirstAudioStreamIndex() >= 0 && decoder.GetAudioStreamInfo(-1, audio)) {
        facts.AudioBitRate = audio.BitRate;
        facts.Channels = audio.Channels;
        facts.SampleRate = audio.SampleRate;
        facts.AudioCodec = audio.CodecName;
    }
    return facts;
}
