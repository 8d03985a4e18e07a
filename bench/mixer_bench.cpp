// The mixer with all 64 buffers looping against one buffer, one second of sound each: the
// cost of a full mix over the least, and the full mix's share of a core in real time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/audio_mixer.h"
#include "measure_name.h"

using namespace tarvex;

namespace {

// A second of a 22,050 Hz mono tone, as the game's effects mostly are.
std::vector<uint8_t> Tone(int index) {
    std::vector<uint8_t> bytes(22050 * 2);
    for (int i = 0; i < 22050; ++i) {
        const auto s = static_cast<int16_t>(8000 * std::sin(i * (0.05 + 0.001 * index)));
        bytes[2 * i] = static_cast<uint8_t>(s);
        bytes[2 * i + 1] = static_cast<uint8_t>(s >> 8);
    }
    return bytes;
}

void Voices(int count) {
    audio::ResetMixer();
    const audio::PcmFormat format{1, 22050, 16};
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t> tone = Tone(i);
        audio::CreateBuffer(i, format, tone.data(), tone.size());
        audio::SetBufferVolume(i, -600);
        audio::SetBufferPan(i, (i % 9 - 4) * 2000);
        audio::PlayBuffer(i, true);
    }
}

void Mix(benchmark::State& state, int voices) {
    Voices(voices);
    std::vector<int16_t> out(audio::kOutputRate * 2);
    for (auto _ : state) {
        audio::RenderMixer(out.data(), audio::kOutputRate);
        benchmark::DoNotOptimize(out.data());
    }
    audio::ResetMixer();
}

void BM_Mix64Voices(benchmark::State& state) { Mix(state, 64); }
void BM_Mix1Voice(benchmark::State& state) { Mix(state, 1); }

BENCHMARK(BM_Mix64Voices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix1Voice)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            // Seconds of CPU for one second of sound.
            if (tarvex::MeasureName(r) == "BM_Mix64Voices") all = r.GetAdjustedCPUTime() / 1000.0;
            if (tarvex::MeasureName(r) == "BM_Mix1Voice") one = r.GetAdjustedCPUTime() / 1000.0;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double all = 0, one = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.one > 0) {
        std::printf("mixer 64 voices / 1 voice: %.2f\n", reporter.all / reporter.one);
        std::printf("mixer 64 voices, share of a core in real time: %.2f %% (goal: at most 2 %%)\n", 100.0 * reporter.all);
    }
    return 0;
}
