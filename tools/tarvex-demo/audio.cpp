#include "audio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "formats/math3d.h"
#include "formats/image.h"
#include "texts.h"

namespace tarvex::demo {

using namespace tarvex::formats;

namespace {

constexpr int kRate = 22050;

struct Noise {
  uint32_t state;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return ((state >> 8) & 0xFFFF) / 32768.0 - 1.0;
  }
};

std::vector<int16_t> ToPcm(const std::vector<double>& v, double gain = 0.8) {
  double peak = 1e-9;
  for (double s : v) peak = std::max(peak, std::fabs(s));
  std::vector<int16_t> out(v.size());
  for (size_t i = 0; i < v.size(); ++i) out[i] = int16_t(std::lround(v[i] / peak * gain * 32767));
  return out;
}

std::vector<double> Tone(double seconds, double f0, double f1, double decay, double noise, uint32_t seed) {
  size_t n = size_t(seconds * kRate);
  std::vector<double> v(n);
  Noise rng{seed};
  double phase = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / n;
    double f = f0 + (f1 - f0) * t;
    phase += 2 * kPi * f / kRate;
    double env = std::exp(-decay * t) * std::min(1.0, i / 200.0);
    v[i] = env * ((1 - noise) * std::sin(phase) + noise * rng.Next());
  }
  return v;
}

// A voice: syllables of a glottal pulse train through two formant resonators, one per
// vowel of the text, with noise for the consonants between; then silence until the line
// has stayed long enough to be read.
std::vector<double> Voice(const std::string& utf8, double pitch, uint32_t seed) {
  std::u32string text = Utf8To32(utf8);
  std::vector<double> v;
  Noise rng{seed};
  const std::u32string vowels = U"аеёиоуыэюяАЕЁИОУЫЭЮЯaeiou";
  const double formants[6][2] = {{730, 1090}, {530, 1840}, {270, 2290}, {570, 840}, {300, 870}, {440, 1020}};
  double y1a = 0, y2a = 0, y1b = 0, y2b = 0, phase = 0;
  for (size_t c = 0; c < text.size(); ++c) {
    char32_t ch = text[c];
    bool vowel = vowels.find(ch) != std::u32string::npos;
    bool space = ch == U' ' || ch == U',' || ch == U'.' || ch == U'?' || ch == U'!';
    size_t len = size_t(kRate * (vowel ? 0.11 : (space ? 0.06 : 0.05)));
    int fi = int(ch % 6);
    double fa = formants[fi][0], fb = formants[fi][1];
    auto coef = [](double f, double bw, double& a1, double& a2) {
      double r = std::exp(-kPi * bw / kRate);
      a1 = 2 * r * std::cos(2 * kPi * f / kRate);
      a2 = -r * r;
    };
    double a1, a2, b1, b2;
    coef(fa, 90, a1, a2);
    coef(fb, 120, b1, b2);
    for (size_t i = 0; i < len; ++i) {
      double t = double(i) / len;
      double f0 = pitch * (1.0 + 0.08 * std::sin(2 * kPi * (v.size() + i) / kRate * 3.0));
      phase += f0 / kRate;
      double source = 0;
      if (vowel) source = (phase - std::floor(phase)) < 0.08 ? 1.0 : 0.0;
      else if (!space) source = 0.25 * rng.Next();
      double env = std::sin(kPi * t);
      double ya = source + a1 * y1a + a2 * y2a;
      y2a = y1a; y1a = ya;
      double yb = source + b1 * y1b + b2 * y2b;
      y2b = y1b; y1b = yb;
      v.push_back(env * (ya + 0.6 * yb));
    }
  }
  v.resize(std::max(v.size(), size_t(ReadingSeconds(utf8) * kRate)), 0.0);
  return v;
}

std::vector<double> Mixed(std::initializer_list<std::vector<double>> parts) {
  size_t n = 0;
  for (const auto& p : parts) n = std::max(n, p.size());
  std::vector<double> v(n, 0.0);
  for (const auto& p : parts)
    for (size_t i = 0; i < p.size(); ++i) v[i] += p[i];
  return v;
}

void AddWav(Output& out, const std::string& path, const std::vector<double>& v, double gain = 0.8) {
  out.Add(path, EncodeWav(ToPcm(v, gain), 1, kRate));
}

// A looping four-bar tune: chords under a little arpeggio, an exact number of samples
// per bar so that the loop joins without a click.
std::vector<int16_t> Tune(int track) {
  const int rate = 44100, bars = 4;
  const double bar = 1.0;
  const int roots[8][4] = {{57, 53, 55, 52}, {50, 55, 52, 57}, {48, 53, 55, 50}, {45, 50, 52, 55},
                           {52, 48, 50, 55}, {55, 52, 48, 50}, {53, 50, 55, 48}, {50, 53, 57, 55}};
  const int* root = roots[track % 8];
  size_t perBar = size_t(rate * bar), n = perBar * bars;
  std::vector<int16_t> pcm(n * 2);
  for (size_t i = 0; i < n; ++i) {
    int b = int(i / perBar);
    double t = double(i % perBar) / rate;
    auto freq = [](double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); };
    double s = 0;
    for (int k : {0, 3 + (track & 1), 7}) s += 0.18 * std::sin(2 * kPi * freq(root[b] + k) * double(i) / rate);
    int step = int(t * 8);
    double tt = t - step / 8.0;
    int arp[4] = {12, 15 + (track & 1), 19, 24};
    s += 0.22 * std::exp(-tt * 12) * std::sin(2 * kPi * freq(root[b] + arp[step % 4]) * double(i) / rate);
    double fade = std::min(1.0, std::min(double(i), double(n - i)) / 400.0);
    s *= fade;
    double pan = 0.5 + 0.3 * std::sin(2 * kPi * double(i) / n);
    pcm[2 * i] = int16_t(std::lround(s * (1.2 - pan) * 20000));
    pcm[2 * i + 1] = int16_t(std::lround(s * (0.2 + pan) * 20000));
  }
  return pcm;
}

std::string VoiceName(const char* folder, int id) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%4.4d.wav", folder, id);
  return buf;
}

}  // namespace

Bytes EncodeWav(const std::vector<int16_t>& samples, int channels, int rate) {
  Bytes b;
  uint32_t data = uint32_t(samples.size() * 2);
  PutBytes(b, "RIFF", 4);
  PutU32(b, 36 + data);
  PutBytes(b, "WAVEfmt ", 8);
  PutU32(b, 16);
  PutU16(b, 1);
  PutU16(b, channels);
  PutU32(b, rate);
  PutU32(b, rate * channels * 2);
  PutU16(b, channels * 2);
  PutU16(b, 16);
  PutBytes(b, "data", 4);
  PutU32(b, data);
  for (int16_t s : samples) PutU16(b, uint16_t(s));
  return b;
}

void BuildInterfaceSounds(Output& out) {
  const char* global[] = {"view4", "dtool", "click", "down", "up", "toolbar", "view3", "view2", "tool", "view", "view1"};
  for (int i = 0; i < 11; ++i)
    AddWav(out, std::string("sound/global/") + global[i] + ".wav",
           Tone(0.08 + 0.02 * (i % 4), 500 + 90 * i, 300 + 120 * i, 5, i % 3 == 0 ? 0.4 : 0.05, 100 + i));
  AddWav(out, "sound/menu/menusound.wav", Tone(0.06, 1800, 1500, 9, 0.3, 7));
  for (int i = 1; i <= 4; ++i)
    AddWav(out, "sound/stepfloor/step" + std::to_string(i) + ".wav", Tone(0.09, 180 + 15 * i, 80, 14, 0.8, 20 + i));
  AddWav(out, "sound/rotate/start.wav", Tone(0.12, 220, 160, 10, 0.7, 30));
  AddWav(out, "sound/rotate/start1.wav", Tone(0.12, 200, 150, 10, 0.7, 31));
}

bool BuildSounds(Output& out) {
  BuildInterfaceSounds(out);
  // The landing: lift doors, the motor, the hospital-like hum.
  AddWav(out, "sound/scene000/Lift_close.wav", Mixed({Tone(0.7, 120, 90, 2, 0.6, 11), Tone(0.7, 900, 880, 20, 0, 12)}));
  AddWav(out, "sound/scene000/Lift_open.wav", Mixed({Tone(0.7, 90, 130, 2, 0.6, 13), Tone(0.3, 1320, 1320, 8, 0, 14)}));
  AddWav(out, "sound/scene000/Lift_action.wav", Tone(2.5, 70, 75, 0.5, 0.35, 15));
  AddWav(out, "sound/ambient/hospital.wav", Mixed({Tone(3.0, 100, 100, 0, 0.15, 16), Tone(3.0, 50, 50, 0, 0, 17)}), 0.4);
  // The boiler room: a low rumble under the hiss of the steam.
  AddWav(out, "sound/ambient/boiler.wav", Mixed({Tone(3.0, 55, 55, 0, 0.2, 18), Tone(3.0, 0, 0, 0, 1.0, 19)}), 0.35);
  // The keypad: a tone per digit, an error buzz, an ok chime.
  for (int d = 0; d <= 9; ++d)
    AddWav(out, "sound/scene098/" + std::to_string(d) + ".wav", Tone(0.15, 700 + 60 * d, 700 + 60 * d, 6, 0, 40 + d));
  AddWav(out, "sound/scene098/error.wav", Tone(0.5, 160, 150, 1, 0.1, 50));
  AddWav(out, "sound/scene258/ok.wav", Mixed({Tone(0.5, 880, 880, 4, 0, 51), Tone(0.5, 1320, 1320, 6, 0, 52)}));

  // Voices: conversation lines (two voice folders) and the hero's responses.
  for (const auto& [id, text] : DialogLines()) {
    AddWav(out, VoiceName("sound/dialog/dial", id), Voice(text, id >= 445 || id % 2 == 0 ? 118 : 92, id));
    AddWav(out, VoiceName("sound/dialogf/dial", id), Voice(text, 210, id + 7));
  }
  for (const auto& [id, text] : ResponseLines()) AddWav(out, VoiceName("sound/otboy/", id), Voice(text, 118, id));

  // Music tracks of the demo scenes, the start-up track and the ending's.
  for (int track : {3, 5, 6, 8, 12}) {
    Bytes ogg = EncodeOggVorbis(Tune(track), 44100);
    if (ogg.empty()) {
      std::fprintf(stderr, "tarvex-demo: cannot encode music track %d\n", track);
      return false;
    }
    char name[32];
    std::snprintf(name, sizeof name, "music/%3.3d.ogg", track);
    out.Add(name, ogg);
  }
  Bytes intro = EncodeVideo(320, 240, 30, 15, 0), titres = EncodeVideo(320, 240, kCreditsCards * kCreditsCardFrames, 15, 1),
        englishTitres = EncodeVideo(320, 240, kCreditsCards * kCreditsCardFrames, 15, 2);
  if (intro.empty() || titres.empty() || englishTitres.empty()) {
    std::fprintf(stderr, "tarvex-demo: cannot encode the videos\n");
    return false;
  }
  out.Add("video/intrologo.bik", intro);
  out.Add("video/titres.bik", titres);
  // The credits' cards in English, the English pack's own copy of the video.
  out.Add(kEnglishPictures + "video/titres.bik", englishTitres);
  return true;
}

}  // namespace tarvex::demo
