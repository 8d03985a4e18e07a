#include "platform/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

namespace tarvex {

namespace {

constexpr int kIoBufferSize = 64 * 1024;
// Wider than any screen the game is scaled to: a frame past it is refused before its memory is taken.
constexpr int kMaxVideoSide = 4096;
// A file that keeps failing past this many packets is given up (its video ends there).
constexpr int kMaxDamagedPackets = 10000;

struct MemorySource {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    auto* m = static_cast<MemorySource*>(opaque);
    const size_t left = m->bytes.size() - m->position;
    if (left == 0) return AVERROR_EOF;
    const size_t n = std::min(left, static_cast<size_t>(std::max(size, 0)));
    std::memcpy(buffer, m->bytes.data() + m->position, n);
    m->position += n;
    return static_cast<int>(n);
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
    auto* m = static_cast<MemorySource*>(opaque);
    const int64_t size = static_cast<int64_t>(m->bytes.size());
    if (whence & AVSEEK_SIZE) return size;
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<int64_t>(m->position); break;
    case SEEK_END: base = size; break;
    default: return -1;
    }
    const int64_t target = base + offset;
    if (target < 0 || target > size) return -1;
    m->position = static_cast<size_t>(target);
    return target;
}

}  // namespace

struct VideoDecoder {
    MemorySource memory;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoStream = -1;
    int audioStream = -1;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;       // the last decoded picture
    AVFrame* incoming = nullptr;    // decoder output; a failed receive clears it, not `frame`
    AVFrame* audioFrame = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    bool haveFrame = false;
    bool inputEnded = false;        // no more packets: the decoders are being drained
    bool videoEnded = false;
    double frameRate = 25.0;
    double timeBase = 0;            // seconds a tick of the video stream
    int64_t framesDecoded = 0;
    int damaged = 0;                // packets refused or failed by a decoder, read errors
    std::vector<int16_t> audioOut;
};

namespace {

AVCodecContext* OpenCodec(AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return nullptr;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (!ctx) return nullptr;
    if (avcodec_parameters_to_context(ctx, stream->codecpar) < 0 || avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return nullptr;
    }
    ctx->pkt_timebase = stream->time_base;
    return ctx;
}

void Destroy(VideoDecoder* d) {
    if (!d) return;
    sws_freeContext(d->scaler);
    swr_free(&d->resampler);
    av_frame_free(&d->frame);
    av_frame_free(&d->incoming);
    av_frame_free(&d->audioFrame);
    av_packet_free(&d->packet);
    avcodec_free_context(&d->video);
    avcodec_free_context(&d->audio);
    avformat_close_input(&d->format);
    if (d->io) {
        av_freep(&d->io->buffer);
        avio_context_free(&d->io);
    }
    delete d;
}

bool Finish(VideoDecoder* d) {
    if (avformat_find_stream_info(d->format, nullptr) < 0) return false;
    d->videoStream = av_find_best_stream(d->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (d->videoStream < 0) return false;
    AVStream* vs = d->format->streams[d->videoStream];
    d->video = OpenCodec(vs);
    if (!d->video) return false;
    if (d->video->width <= 0 || d->video->height <= 0 || d->video->width > kMaxVideoSide ||
        d->video->height > kMaxVideoSide)
        return false;
    AVRational rate = vs->avg_frame_rate.num > 0 && vs->avg_frame_rate.den > 0 ? vs->avg_frame_rate : vs->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) d->frameRate = av_q2d(rate);
    if (!(d->frameRate > 0.1 && d->frameRate < 1000)) d->frameRate = 25.0;
    d->timeBase = av_q2d(vs->time_base);
    d->audioStream = av_find_best_stream(d->format, AVMEDIA_TYPE_AUDIO, -1, d->videoStream, nullptr, 0);
    if (d->audioStream >= 0) {
        d->audio = OpenCodec(d->format->streams[d->audioStream]);
        if (d->audio) {
            AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
            AVChannelLayout in{};
            if (d->audio->ch_layout.nb_channels > 0) av_channel_layout_copy(&in, &d->audio->ch_layout);
            else av_channel_layout_default(&in, 2);
            if (swr_alloc_set_opts2(&d->resampler, &out, AV_SAMPLE_FMT_S16, 44100, &in, d->audio->sample_fmt,
                                    d->audio->sample_rate, 0, nullptr) < 0 ||
                swr_init(d->resampler) < 0) {
                swr_free(&d->resampler);
                avcodec_free_context(&d->audio);
            }
            av_channel_layout_uninit(&in);
        }
        if (!d->audio) d->audioStream = -1;
    }
    d->packet = av_packet_alloc();
    d->frame = av_frame_alloc();
    d->incoming = av_frame_alloc();
    d->audioFrame = av_frame_alloc();
    return d->packet && d->frame && d->incoming && d->audioFrame;
}

void DecodeAudio(VideoDecoder* d, const AVPacket* packet) {
    if (!d->audio) return;
    if (avcodec_send_packet(d->audio, packet) < 0) {
        if (packet) ++d->damaged;
        return;
    }
    while (avcodec_receive_frame(d->audio, d->audioFrame) >= 0) {
        const int outMax = swr_get_out_samples(d->resampler, d->audioFrame->nb_samples);
        if (outMax > 0) {
            const size_t start = d->audioOut.size();
            d->audioOut.resize(start + static_cast<size_t>(outMax) * 2);
            uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(d->audioOut.data() + start)};
            const int got = swr_convert(d->resampler, outPlanes, outMax,
                                        const_cast<const uint8_t**>(d->audioFrame->extended_data),
                                        d->audioFrame->nb_samples);
            d->audioOut.resize(start + static_cast<size_t>(std::max(got, 0)) * 2);
        }
        av_frame_unref(d->audioFrame);
    }
}

}  // namespace

// FFmpeg's own log would flood stderr with every concealed block of a damaged file; the
// engine says what matters itself (media/video.cpp).
void QuietLibraryLog() {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_FATAL);
        return true;
    }();
    (void)quiet;
}

VideoDecoder* OpenVideoFile(const std::string& path) {
    QuietLibraryLog();
    auto* d = new VideoDecoder();
    if (avformat_open_input(&d->format, path.c_str(), nullptr, nullptr) < 0 || !Finish(d)) {
        Destroy(d);
        return nullptr;
    }
    return d;
}

VideoDecoder* OpenVideoMemory(std::vector<uint8_t> bytes, const std::string& nameHint) {
    if (bytes.empty()) return nullptr;
    QuietLibraryLog();
    auto* d = new VideoDecoder();
    d->memory.bytes = std::move(bytes);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (buffer) d->io = avio_alloc_context(buffer, kIoBufferSize, 0, &d->memory, ReadPacket, nullptr, Seek);
    if (!d->io) {
        av_free(buffer);
        Destroy(d);
        return nullptr;
    }
    d->format = avformat_alloc_context();
    if (!d->format) {
        Destroy(d);
        return nullptr;
    }
    d->format->pb = d->io;
    d->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // avformat_open_input frees the context on failure.
    if (avformat_open_input(&d->format, nameHint.c_str(), nullptr, nullptr) < 0 || !Finish(d)) {
        Destroy(d);
        return nullptr;
    }
    return d;
}

void CloseVideo(VideoDecoder*& decoder) {
    Destroy(decoder);
    decoder = nullptr;
}

int VideoDamagedPackets(const VideoDecoder* d) { return d ? d->damaged : 0; }

int VideoWidth(const VideoDecoder* d) { return d ? d->video->width : 0; }
int VideoHeight(const VideoDecoder* d) { return d ? d->video->height : 0; }
double VideoFrameRate(const VideoDecoder* d) { return d ? d->frameRate : 0; }
bool VideoHasAudio(const VideoDecoder* d) { return d && d->audio; }

int64_t VideoStatedFrameCount(const VideoDecoder* d) {
    if (!d) return -1;
    const int64_t n = d->format->streams[d->videoStream]->nb_frames;
    return n > 0 ? n : -1;
}

bool DecodeNextFrame(VideoDecoder* d, double& seconds) {
    if (!d || d->videoEnded) return false;
    for (;;) {
        const int r = avcodec_receive_frame(d->video, d->incoming);
        if (r >= 0) {
            AVFrame* f = d->incoming;
            if (f->width <= 0 || f->height <= 0 || f->width > kMaxVideoSide || f->height > kMaxVideoSide ||
                !av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f->format))) {
                av_frame_unref(f);
                continue;
            }
            av_frame_unref(d->frame);
            av_frame_move_ref(d->frame, f);
            const int64_t pts = d->frame->best_effort_timestamp;
            const double fallback = static_cast<double>(d->framesDecoded) / d->frameRate;
            seconds = pts != AV_NOPTS_VALUE ? pts * d->timeBase : fallback;
            const AVStream* vs = d->format->streams[d->videoStream];
            if (pts != AV_NOPTS_VALUE && vs->start_time != AV_NOPTS_VALUE) seconds -= vs->start_time * d->timeBase;
            if (!(seconds >= 0)) seconds = fallback;
            ++d->framesDecoded;
            d->haveFrame = true;
            return true;
        }
        if (r == AVERROR_EOF) {
            d->videoEnded = true;
            return false;
        }
        if (r != AVERROR(EAGAIN)) {
            // A picture that cannot be decoded is skipped; the decoder goes on with the next.
            ++d->damaged;
            if (d->damaged > kMaxDamagedPackets) {
                d->videoEnded = true;
                return false;
            }
            continue;
        }
        if (d->inputEnded) {
            d->videoEnded = true;
            return false;
        }
        const int read = av_read_frame(d->format, d->packet);
        if (read < 0) {
            if (read != AVERROR_EOF) ++d->damaged;
            d->inputEnded = true;
            avcodec_send_packet(d->video, nullptr);
            DecodeAudio(d, nullptr);
            continue;
        }
        if (d->packet->stream_index == d->videoStream) {
            // A damaged packet is dropped; the decoder carries on with the next.
            const int sent = avcodec_send_packet(d->video, d->packet);
            if (sent < 0 && sent != AVERROR(EAGAIN)) ++d->damaged;
        } else if (d->packet->stream_index == d->audioStream) {
            DecodeAudio(d, d->packet);
        }
        av_packet_unref(d->packet);
    }
}

bool ConvertFrame(VideoDecoder* d, int width, int height, std::vector<uint8_t>& rgba) {
    if (!d || !d->haveFrame || width <= 0 || height <= 0 || width > kMaxVideoSide || height > kMaxVideoSide)
        return false;
    AVFrame* f = d->frame;
    d->scaler = sws_getCachedContext(d->scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format), width,
                                     height, AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!d->scaler) return false;
    rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    uint8_t* planes[4] = {rgba.data(), nullptr, nullptr, nullptr};
    int strides[4] = {width * 4, 0, 0, 0};
    const int rows = sws_scale(d->scaler, f->data, f->linesize, 0, f->height, planes, strides);
    return rows == height;
}

void TakeVideoAudio(VideoDecoder* d, std::vector<int16_t>& out) {
    if (!d || d->audioOut.empty()) return;
    out.insert(out.end(), d->audioOut.begin(), d->audioOut.end());
    d->audioOut.clear();
}

}  // namespace tarvex
