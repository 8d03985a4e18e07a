// tarvex-tool mix: loads WAV files into sound slots, plays them with a volume and a
// pan, and writes what the mixer makes of them as a 44,100 Hz stereo 16-bit WAV.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/byte_io.h"
#include "base/config.h"
#include "media/sound.h"
#include "platform/atomic_file.h"
#include "platform/audio_mixer.h"
#include "tool_command.h"

namespace tarvex::tool {

namespace {

bool ParseInt(const std::string& text, long low, long high, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0' && value >= low && value <= high;
}

struct PlayRequest {
    int slot = 0;
    std::string file;
    int volume = 0;
    int pan = 0;
    int loop = 0;
};

// SLOT:FILE:VOLUME:PAN:LOOP; FILE may itself hold ':'.
bool ParsePlay(const std::string& text, PlayRequest& out) {
    const size_t first = text.find(':');
    if (first == std::string::npos) return false;
    size_t cuts[3];
    size_t end = text.size();
    for (int i = 2; i >= 0; --i) {
        const size_t c = text.rfind(':', end - 1);
        if (c == std::string::npos || c <= first || end == 0) return false;
        cuts[i] = c;
        end = c;
    }
    long slot, volume, pan, loop;
    if (!ParseInt(text.substr(0, first), 0, kSoundSlotCount - 1, slot)) return false;
    if (!ParseInt(text.substr(cuts[0] + 1, cuts[1] - cuts[0] - 1), -10000, 0, volume)) return false;
    if (!ParseInt(text.substr(cuts[1] + 1, cuts[2] - cuts[1] - 1), -10000, 10000, pan)) return false;
    if (!ParseInt(text.substr(cuts[2] + 1), 0, 1, loop)) return false;
    out.slot = static_cast<int>(slot);
    out.file = text.substr(first + 1, cuts[0] - first - 1);
    out.volume = static_cast<int>(volume);
    out.pan = static_cast<int>(pan);
    out.loop = static_cast<int>(loop);
    return !out.file.empty();
}

}  // namespace

static int MixCommand(const Args& args) {
    const char* usage = "usage: tarvex-tool mix --out OUT.wav --seconds S --play SLOT:FILE.wav:VOLUME:PAN:LOOP [--play ...]";
    std::string out, secondsText;
    if (!OptionValue(args, "--out", out) || !OptionValue(args, "--seconds", secondsText)) return Fail(usage);
    char* end = nullptr;
    const double seconds = std::strtod(secondsText.c_str(), &end);
    if (!end || *end != '\0' || !(seconds > 0) || seconds > 3600) return Fail("--seconds must be above 0 and at most 3600");
    std::vector<PlayRequest> plays;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--play") continue;
        PlayRequest p;
        if (i + 1 >= args.size() || !ParsePlay(args[i + 1], p))
            return Fail("bad --play (SLOT 0..63 : FILE : VOLUME -10000..0 : PAN -10000..10000 : LOOP 0|1)");
        plays.push_back(p);
    }
    if (plays.empty()) return Fail(usage);

    ResetSound();
    SetOfflineMixing(true);
    config.soundOn = 1;
    config.soundVolume = 100;
    InitSound();
    for (const PlayRequest& p : plays) {
        std::ifstream in(p.file, std::ios::binary);
        if (!in) return Fail("cannot open " + p.file);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string name = p.file;
        if (name.size() >= sizeof(SoundSlot::name)) name = std::filesystem::path(p.file).filename().string();
        LoadSoundData(name.c_str(), bytes, p.slot);
        if (soundTables.soundSlots[p.slot].buffer < 0) return Fail("not a playable WAV (8 or 16 bits, 1 or 2 channels): " + p.file);
        RestartSlot(p.slot, p.volume, p.pan, p.loop);
        // The slot plays at the asked volume rather than the effects setting's.
        audio::SetBufferVolume(soundTables.soundSlots[p.slot].buffer, p.volume);
    }

    const long long frames = std::llround(seconds * audio::kOutputRate);
    ByteWriter wav;
    const uint64_t dataBytes = static_cast<uint64_t>(frames) * 4;
    wav.Bytes("RIFF", 4);
    wav.U32(static_cast<uint32_t>(36 + dataBytes));
    wav.Bytes("WAVEfmt ", 8);
    wav.U32(16);
    wav.U16(1);
    wav.U16(2);
    wav.U32(audio::kOutputRate);
    wav.U32(audio::kOutputRate * 4);
    wav.U16(4);
    wav.U16(16);
    wav.Bytes("data", 4);
    wav.U32(static_cast<uint32_t>(dataBytes));
    int peak = 0;
    std::vector<int16_t> chunk;
    for (long long done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<long long>(4096, frames - done));
        chunk.assign(static_cast<size_t>(n) * 2, 0);
        audio::RenderMixer(chunk.data(), n);
        for (int16_t s : chunk) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
            wav.I16(s);
        }
        done += n;
    }
    ResetSound();
    if (!WriteFileAtomically(out, wav.bytes().data(), wav.size())) return Fail("cannot write " + out);
    std::printf("{\"frames\":%lld,\"peak\":%d}\n", frames, peak);
    return 0;
}

TARVEX_TOOL_COMMAND("mix", "--out OUT.wav --seconds S --play SLOT:FILE.wav:VOLUME:PAN:LOOP [--play ...]", MixCommand);

}  // namespace tarvex::tool
