#include "platform/ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace tarvex::audio {

namespace {

struct MemoryFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* source) {
    auto* f = static_cast<MemoryFile*>(source);
    if (size == 0 || count == 0) return 0;
    const size_t left = f->bytes.size() - f->position;
    const size_t items = std::min(count, left / size);
    if (items == 0) return 0;  // an empty file has no bytes to copy from
    std::memcpy(ptr, f->bytes.data() + f->position, items * size);
    f->position += items * size;
    return items;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
    auto* f = static_cast<MemoryFile*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(f->position);
    else if (whence == SEEK_END) base = static_cast<ogg_int64_t>(f->bytes.size());
    else if (whence != SEEK_SET) return -1;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(f->bytes.size())) return -1;
    f->position = static_cast<size_t>(target);
    return 0;
}

long MemTell(void* source) { return static_cast<long>(static_cast<MemoryFile*>(source)->position); }

class OggStream : public AudioSource {
public:
    ~OggStream() override {
        if (open_) ov_clear(&vf_);
    }

    bool Open(std::vector<uint8_t> bytes, bool loop) {
        file_.bytes = std::move(bytes);
        ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
        if (ov_open_callbacks(&file_, &vf_, nullptr, 0, callbacks) != 0) return false;
        open_ = true;
        vorbis_info* vi = ov_info(&vf_, -1);
        if (!vi || vi->channels < 1 || vi->rate < 1 || vi->rate > 1000000) return false;
        channels_ = vi->channels;
        rate_ = vi->rate;
        step_ = static_cast<double>(rate_) / kOutputRate;
        loop_ = loop;
        return true;
    }

    int Channels() const { return channels_; }
    long Rate() const { return rate_; }
    double Seconds() { return ov_seekable(&vf_) ? ov_time_total(&vf_, -1) : -1; }

    int Read(int16_t* stereo, int frames) override {
        int written = 0;
        while (written < frames) {
            // Linear interpolation between source frames `have_[0]` and `have_[1]`.
            while (phase_ >= 1.0) {
                if (!NextSourceFrame()) return written;
                phase_ -= 1.0;
            }
            if (!primed_) {
                if (!NextSourceFrame() || !NextSourceFrame()) return written;
                primed_ = true;
            }
            for (int c = 0; c < 2; ++c) {
                const float v = prev_[c] + (next_[c] - prev_[c]) * static_cast<float>(phase_);
                stereo[2 * written + c] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
            }
            ++written;
            phase_ += step_;
        }
        return written;
    }

private:
    // Shifts the next decoded frame in; false at the end of a stream that does not loop.
    bool NextSourceFrame() {
        if (pending_ == consumed_) {
            if (!Decode()) return false;
        }
        const int16_t* f = decoded_.data() + consumed_ * channels_;
        prev_[0] = next_[0];
        prev_[1] = next_[1];
        next_[0] = f[0];
        next_[1] = channels_ >= 2 ? f[1] : f[0];
        ++consumed_;
        return true;
    }

    bool Decode() {
        decoded_.resize(4096);
        int emptyRewinds = 0;
        for (;;) {
            int section = 0;
            const long got = ov_read(&vf_, reinterpret_cast<char*>(decoded_.data()),
                                     static_cast<int>(decoded_.size() * sizeof(int16_t)), 0, 2, 1, &section);
            if (got == OV_HOLE) continue;
            if (got > 0) {
                vorbis_info* vi = ov_info(&vf_, section);
                // A chained stream that changes its layout is cut there.
                if (!vi || vi->channels != channels_) return false;
                pending_ = static_cast<size_t>(got) / (sizeof(int16_t) * channels_);
                consumed_ = 0;
                if (pending_ > 0) return true;
                continue;
            }
            if (got < 0 || !loop_) return false;
            // The end: start over; a stream without samples cannot loop.
            if (++emptyRewinds > 1 || ov_pcm_seek(&vf_, 0) != 0) return false;
        }
    }

    MemoryFile file_;
    OggVorbis_File vf_{};
    bool open_ = false;
    bool loop_ = false;
    int channels_ = 0;
    long rate_ = 0;
    double step_ = 1.0;
    double phase_ = 0;
    bool primed_ = false;
    float prev_[2] = {0, 0}, next_[2] = {0, 0};
    std::vector<int16_t> decoded_;
    size_t pending_ = 0, consumed_ = 0;
};

}  // namespace

bool OggEndsWhole(const std::vector<uint8_t>& bytes) {
    // The last page that starts in the file: its header (27 bytes), its segment table and
    // its body must all be there, and it must carry the end-of-stream mark (flag 4).
    static const uint8_t kCapture[4] = {'O', 'g', 'g', 'S'};
    auto it = std::find_end(bytes.begin(), bytes.end(), std::begin(kCapture), std::end(kCapture));
    if (it == bytes.end()) return false;
    const size_t at = static_cast<size_t>(it - bytes.begin());
    if (bytes.size() - at < 27) return false;
    const uint8_t flags = bytes[at + 5];
    const size_t segments = bytes[at + 26];
    if (bytes.size() - at < 27 + segments) return false;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += bytes[at + 27 + i];
    return bytes.size() - at == 27 + segments + body && (flags & 4) != 0;
}

std::shared_ptr<AudioSource> OpenOggStream(std::vector<uint8_t> bytes, bool loop, OggInfo* info) {
    const bool whole = OggEndsWhole(bytes);
    auto stream = std::make_shared<OggStream>();
    if (!stream->Open(std::move(bytes), loop)) return nullptr;
    if (info) {
        info->channels = stream->Channels();
        info->rate = stream->Rate();
        info->seconds = stream->Seconds();
        info->cutShort = !whole;
    }
    return stream;
}

}  // namespace tarvex::audio
