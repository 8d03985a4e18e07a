// Music and video encoding through FFmpeg's libraries, into memory.
#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include "audio.h"
#include "formats/math3d.h"
#include "fonts.h"
#include "formats/image.h"

namespace tarvex::demo {

using namespace tarvex::formats;

namespace {

// (FFmpeg 5 declares the write callback with a non-const buffer.)
// A seekable in-memory output for the muxers (AVI rewrites its header at the end).
struct MemoryFile {
  Bytes data;
  int64_t pos = 0;
};
int WritePacket(void* opaque, uint8_t* buf, int size) {
  auto* f = static_cast<MemoryFile*>(opaque);
  if (size <= 0) return 0;
  if (size_t(f->pos) + size > f->data.size()) f->data.resize(size_t(f->pos) + size);
  std::memcpy(f->data.data() + f->pos, buf, size_t(size));
  f->pos += size;
  return size;
}
int64_t Seek(void* opaque, int64_t offset, int whence) {
  auto* f = static_cast<MemoryFile*>(opaque);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return int64_t(f->data.size());
  int64_t base = whence == SEEK_CUR ? f->pos : (whence == SEEK_END ? int64_t(f->data.size()) : 0);
  if (base + offset < 0) return -1;
  f->pos = base + offset;
  return f->pos;
}

struct Muxer {
  MemoryFile file;
  AVFormatContext* fmt = nullptr;
  AVIOContext* io = nullptr;
  bool Open(const char* format) {
    if (avformat_alloc_output_context2(&fmt, nullptr, format, nullptr) < 0 || !fmt) return false;
    fmt->flags |= AVFMT_FLAG_BITEXACT;
    const int size = 1 << 16;
    auto* buffer = static_cast<uint8_t*>(av_malloc(size));
    io = avio_alloc_context(buffer, size, 1, &file, nullptr, WritePacket, Seek);
    if (!io) return false;
    fmt->pb = io;
    return true;
  }
  ~Muxer() {
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
    if (fmt) avformat_free_context(fmt);
  }
};

bool Drain(AVCodecContext* ctx, AVStream* st, AVFormatContext* fmt, AVFrame* frame) {
  if (avcodec_send_frame(ctx, frame) < 0) return false;
  AVPacket* pkt = av_packet_alloc();
  bool ok = true;
  for (;;) {
    int r = avcodec_receive_packet(ctx, pkt);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
    if (r < 0) { ok = false; break; }
    av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
    pkt->stream_index = st->index;
    if (av_interleaved_write_frame(fmt, pkt) < 0) { ok = false; break; }
  }
  av_packet_free(&pkt);
  return ok;
}

struct AudioStream {
  AVCodecContext* ctx = nullptr;
  AVStream* st = nullptr;
  AVFrame* frame = nullptr;
  int64_t next = 0;
  ~AudioStream() {
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
  }
  bool Open(Muxer& m, const char* codecName, AVCodecID id, int rate, int64_t bitRate) {
    const AVCodec* codec = codecName ? avcodec_find_encoder_by_name(codecName) : avcodec_find_encoder(id);
    if (!codec) return false;
    ctx = avcodec_alloc_context3(codec);
    st = avformat_new_stream(m.fmt, nullptr);
    if (!ctx || !st) return false;
    ctx->sample_rate = rate;
    av_channel_layout_default(&ctx->ch_layout, 2);
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    ctx->bit_rate = bitRate;
    ctx->time_base = {1, rate};
    ctx->flags |= AV_CODEC_FLAG_BITEXACT;
    if (m.fmt->oformat->flags & AVFMT_GLOBALHEADER) ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(ctx, codec, nullptr) < 0) return false;
    if (avcodec_parameters_from_context(st->codecpar, ctx) < 0) return false;
    st->time_base = ctx->time_base;
    frame = av_frame_alloc();
    return frame != nullptr;
  }
  // Feeds interleaved stereo 16-bit samples in encoder-sized frames.
  bool Write(Muxer& m, const int16_t* pcm, int count) {
    int frameSize = ctx->frame_size > 0 ? ctx->frame_size : 1024;
    for (int done = 0; done < count;) {
      int n = std::min(frameSize, count - done);
      av_frame_unref(frame);
      frame->nb_samples = n;
      frame->format = ctx->sample_fmt;
      av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
      frame->sample_rate = ctx->sample_rate;
      if (av_frame_get_buffer(frame, 0) < 0) return false;
      for (int i = 0; i < n; ++i)
        for (int c = 0; c < 2; ++c) {
          int16_t s = pcm[2 * (done + i) + c];
          if (ctx->sample_fmt == AV_SAMPLE_FMT_FLTP) reinterpret_cast<float*>(frame->data[c])[i] = s / 32768.0f;
          else if (ctx->sample_fmt == AV_SAMPLE_FMT_S16) reinterpret_cast<int16_t*>(frame->data[0])[2 * i + c] = s;
          else return false;
        }
      frame->pts = next;
      next += n;
      if (!Drain(ctx, st, m.fmt, frame)) return false;
      done += n;
    }
    return true;
  }
  bool Finish(Muxer& m) { return Drain(ctx, st, m.fmt, nullptr); }
};

}  // namespace

Bytes EncodeOggVorbis(const std::vector<int16_t>& stereo, int rate) {
  Muxer m;
  if (!m.Open("ogg")) return {};
  AudioStream a;
  if (!a.Open(m, "libvorbis", AV_CODEC_ID_VORBIS, rate, 96000)) return {};
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "serial_offset", "0", 0);
  if (avformat_write_header(m.fmt, &opts) < 0) {
    av_dict_free(&opts);
    return {};
  }
  av_dict_free(&opts);
  if (!a.Write(m, stereo.data(), int(stereo.size() / 2)) || !a.Finish(m)) return {};
  if (av_write_trailer(m.fmt) < 0) return {};
  avio_flush(m.io);
  return m.file.data;
}

// The credits' cards, at most four lines each.
const char* const kCreditsText[kCreditsCards][4] = {
    {"ТАРВЕКС", "небольшая игра", "для нового движка", ""},
    {"Комнаты, люди, голоса,", "музыку и картинки", "сделал генератор", "tarvex-demo"},
    {"В ролях:", "сосед из-за стенки", "и старик из 131-й", ""},
    {"Спасибо за игру!", "", "", ""},
};
// The same cards for the English pack's copy of the video.
const char* const kEnglishCreditsText[kCreditsCards][4] = {
    {"TARVEX", "a small game", "for a new engine", ""},
    {"Rooms, people, voices,", "music and pictures", "made by the generator", "tarvex-demo"},
    {"Starring:", "the neighbour next door", "and the old man of 131", ""},
    {"Thank you for playing!", "", "", ""},
};

static Image VideoFrame(int w, int h, int f, int frames, int kind) {
  Image img(w, h, {0, 0, 0, 255});
  double t = double(f) / (frames - 1);
  if (kind == 0) {
    img.VerticalGradient(0, 0, w, h, {20, 14, 40, 255}, {60, 30, 20, 255});
    double a = std::clamp(std::sin(kPi * t) * 1.6, 0.0, 1.0);
    img.FillCircle(w / 2.0, h / 2.0 - 20, 30 + 10 * t, Mix({0, 0, 0, 255}, {236, 196, 96, 255}, a));
    SansBoldFont().Draw(img, w / 2, h / 2 + 50, "ТАРВЕКС", 34, Mix({0, 0, 0, 255}, {255, 240, 200, 255}, a), 1);
  } else {
    // The credits: cards that fade in, stay and fade out, each long enough to read.
    img.VerticalGradient(0, 0, w, h, {10, 10, 20, 255}, {30, 20, 30, 255});
    const int card = std::min(f / kCreditsCardFrames, kCreditsCards - 1);
    const int within = f - card * kCreditsCardFrames;
    const double fade = kCreditsCardFrames / 7.0;
    const double a = std::clamp(std::min(within / fade, (kCreditsCardFrames - 1 - within) / fade), 0.0, 1.0);
    const Rgba ink = Mix({10, 10, 20, 255}, {236, 226, 204, 255}, a);
    const auto& lines = kind == 2 ? kEnglishCreditsText[card] : kCreditsText[card];
    int count = 0;
    while (count < 4 && lines[count][0]) ++count;
    for (int i = 0; i < count; ++i)
      SansFont().Draw(img, w / 2, h / 2 - (count - 1) * 15 + i * 30 + 7, lines[i], i == 0 && card == 0 ? 30 : 18, ink, 1);
  }
  return img;
}

Bytes EncodeVideo(int w, int h, int frames, int fps, int kind) {
  Muxer m;
  if (!m.Open("avi")) return {};
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!codec) return {};
  AVCodecContext* v = avcodec_alloc_context3(codec);
  AVStream* vs = avformat_new_stream(m.fmt, nullptr);
  if (!v || !vs) {
    avcodec_free_context(&v);
    return {};
  }
  v->width = w;
  v->height = h;
  v->pix_fmt = AV_PIX_FMT_YUV420P;
  v->time_base = {1, fps};
  v->framerate = {fps, 1};
  v->gop_size = 10;
  v->bit_rate = 600000;
  v->flags |= AV_CODEC_FLAG_BITEXACT;
  v->thread_count = 1;
  Bytes result;
  AudioStream a;
  AVFrame* frame = av_frame_alloc();
  bool ok = frame && avcodec_open2(v, codec, nullptr) >= 0 && avcodec_parameters_from_context(vs->codecpar, v) >= 0;
  if (ok) {
    vs->time_base = v->time_base;
    ok = a.Open(m, nullptr, AV_CODEC_ID_PCM_S16LE, 22050, 0) && avformat_write_header(m.fmt, nullptr) >= 0;
  }
  const int samplesPerFrame = 22050 / fps;
  std::vector<int16_t> pcm(size_t(samplesPerFrame) * 2);
  for (int f = 0; ok && f < frames; ++f) {
    Image img = VideoFrame(w, h, f, frames, kind);
    frame->format = v->pix_fmt;
    frame->width = w;
    frame->height = h;
    ok = av_frame_get_buffer(frame, 0) >= 0 && av_frame_make_writable(frame) >= 0;
    if (!ok) break;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        Rgba c = img.Get(x, y);
        frame->data[0][y * frame->linesize[0] + x] = uint8_t(std::lround(16 + 0.257 * c.r + 0.504 * c.g + 0.098 * c.b));
        if ((x & 1) == 0 && (y & 1) == 0) {
          frame->data[1][(y / 2) * frame->linesize[1] + x / 2] =
              uint8_t(std::lround(128 - 0.148 * c.r - 0.291 * c.g + 0.439 * c.b));
          frame->data[2][(y / 2) * frame->linesize[2] + x / 2] =
              uint8_t(std::lround(128 + 0.439 * c.r - 0.368 * c.g - 0.071 * c.b));
        }
      }
    frame->pts = f;
    ok = Drain(v, vs, m.fmt, frame);
    av_frame_unref(frame);
    // The intro hums one tone; the credits a note a card, rising.
    const bool credits = kind != 0;
    const int card = credits ? std::min(f / kCreditsCardFrames, kCreditsCards - 1) : 0;
    const double pitch = 220.0 * std::pow(2.0, (credits ? 7 + 5 * card : 0) / 12.0);
    for (int i = 0; i < samplesPerFrame; ++i) {
      double s = std::sin(2 * kPi * pitch * (f * samplesPerFrame + i) / 22050.0) *
                 std::sin(kPi * (f * samplesPerFrame + i) / (frames * samplesPerFrame));
      pcm[2 * i] = pcm[2 * i + 1] = int16_t(std::lround(s * (credits ? 4000 : 8000)));
    }
    if (ok) ok = a.Write(m, pcm.data(), samplesPerFrame);
  }
  if (ok) ok = Drain(v, vs, m.fmt, nullptr) && av_write_trailer(m.fmt) >= 0;
  if (ok) {
    avio_flush(m.io);
    result = m.file.data;
  }
  av_frame_free(&frame);
  avcodec_free_context(&v);
  return result;
}

}  // namespace tarvex::demo
