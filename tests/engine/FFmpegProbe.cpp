#include "FFmpegCoreTestEnv.h"
#include "engine/FFHandles.h"

TProbe ProbeFile(const std::string& path) {
    const TFFEntries& ff = FF();
    TProbe p;
    AVFormatContext* raw = nullptr;
    if (ff.avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
        return p;
    TInputContextPtr ic(raw);
    if (ff.avformat.avformat_find_stream_info(raw, nullptr) < 0)
        return p;
    p.ok = true;
    p.format = raw->iformat->name;
    p.durationUs = raw->duration;
    int video = -1, audio = -1;
    for (unsigned i = 0; i < raw->nb_streams; i++) {
        const AVStream* st = raw->streams[i];
        const AVCodecParameters* par = st->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && video < 0) {
            video = int(i);
            p.videoCodec = ff.avcodec.avcodec_get_name(par->codec_id);
            p.width = par->width;
            p.height = par->height;
            p.videoTag = par->codec_tag;
            const AVRational r = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
            p.frameRate = r.den ? double(r.num) / r.den : 0;
        } else if (par->codec_type == AVMEDIA_TYPE_AUDIO && p.audioCodec.empty()) {
            audio = int(i);
            p.audioCodec = ff.avcodec.avcodec_get_name(par->codec_id);
            p.sampleRate = par->sample_rate;
            p.channels = par->ch_layout.nb_channels;
        }
    }
    TPacketPtr pkt(ff.avcodec.av_packet_alloc());
    while (ff.avformat.av_read_frame(raw, pkt.get()) >= 0) {
        if (pkt->stream_index == video) {
            p.videoFrames++;
            const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
            if (ts != AV_NOPTS_VALUE) {
                const double sec = double(ts) * av_q2d(raw->streams[video]->time_base);
                if (p.firstVideoSec < 0 || sec < p.firstVideoSec)
                    p.firstVideoSec = sec;
                p.lastVideoSec = std::max(p.lastVideoSec, sec);
            }
        }
        if (pkt->stream_index == audio && pkt->pts != AV_NOPTS_VALUE)
            p.lastAudioSec = std::max(p.lastAudioSec, double(pkt->pts + pkt->duration) *
                                                          av_q2d(raw->streams[audio]->time_base));
        ff.avcodec.av_packet_unref(pkt.get());
    }
    return p;
}
