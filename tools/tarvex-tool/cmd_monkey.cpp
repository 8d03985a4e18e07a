// tarvex-tool monkey --seed S --frames N [--menu] --out FILE: a random replay of a
// restless player: the pointer moving and jumping, short and long presses of both
// buttons, the verb icons, the toolbar's cells, keys and typed text. The same seed
// writes the same replay.
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tool_command.h"

namespace tarvex::tool {

namespace {

// The menu's exit button: a replay that should run its frames stays away from it.
bool OnExitButton(int x, int y) { return x > 240 && x < 470 && y > 360 && y < 440; }

class Monkey {
public:
    Monkey(uint32_t seed, long long frames, bool menu) : rng_(seed), frames_(frames), menu_(menu) {}

    std::vector<std::string> Write() {
        long long f = 0;
        while (f < frames_) f += Act(f);
        return lines_;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    void Line(long long f, const std::string& text) {
        if (f < frames_) lines_.push_back(std::to_string(f) + " " + text);
    }
    void Pointer(long long f, int x, int y) {
        if (OnExitButton(x, y)) y = 300;  // keeps the run going
        x_ = x;
        y_ = y;
        Line(f, "pointer " + std::to_string(x) + " " + std::to_string(y));
    }
    // A press held for `hold` frames; the number of frames it takes.
    int Press(long long f, const char* button, int hold) {
        Line(f, std::string("press ") + button);
        Line(f + hold, std::string("release ") + button);
        return hold + 1;
    }

    // One act of the player, starting at frame f; the frames it takes.
    int Act(long long f) {
        const int roll = Pick(0, 99);
        if (roll < 30) {  // the pointer drifts or jumps, sometimes past the screen's edges
            if (Chance(0.3))
                Pointer(f, Pick(-40, 840), Pick(-40, 640));
            else
                Pointer(f, x_ + Pick(-60, 60), y_ + Pick(-60, 60));
            return Pick(1, 4);
        }
        if (roll < 55) {  // a left click somewhere, short or held
            Pointer(f, Pick(0, 799), Pick(0, 599));
            return Press(f, "left", Chance(0.8) ? Pick(1, 3) : Pick(10, 45)) + Pick(0, 20);
        }
        if (roll < 62) {  // a verb icon
            Pointer(f, 16 + 32 * Pick(0, 4), Pick(4, 28));
            return Press(f, "left", Pick(1, 3)) + Pick(0, 10);
        }
        if (roll < 72) {  // the toolbar: open it, poke its cells, close it or not
            Pointer(f, Pick(100, 700), Pick(100, 300));
            int used = Press(f, "right", Pick(1, 3)) + Pick(12, 20);
            for (int i = Pick(1, 4); i > 0; --i) {
                Pointer(f + used, 75 + 65 * Pick(0, 9) + Pick(5, 60), 461 + 65 * Pick(0, 1) + Pick(5, 60));
                used += Press(f + used, "left", Pick(1, 3)) + Pick(2, 15);
            }
            if (Chance(0.7)) used += Press(f + used, "right", Pick(1, 3));
            return used + Pick(0, 10);
        }
        if (roll < 78) return Press(f, "right", Chance(0.8) ? Pick(1, 3) : Pick(10, 30)) + Pick(0, 15);
        if (roll < 92) {  // a key
            static const char* const keys[] = {"Escape", "Space", "Return", "F5",  "F6", "F7", "F9", "F11",
                                               "F12",    "A",     "Z",      "Q",   "1",  "5",  "9",  "0",
                                               "Backspace", "'"};
            const int count = static_cast<int>(sizeof keys / sizeof keys[0]);
            // Escape and the loads come less often: the player stays in the game a while.
            int k = Pick(0, count - 1);
            if ((k == 0 || k == 4 || k == 5) && !Chance(menu_ ? 0.6 : 0.3)) k = Pick(9, count - 1);
            Line(f, std::string("key ") + keys[k]);
            return Pick(1, 12);
        }
        static const char* const texts[] = {"abc", "1957", "кот", "x'y", "115149", "ЁжЪ", "  ", "qwerty"};
        Line(f, std::string("text ") + texts[Pick(0, 7)]);
        return Pick(1, 10);
    }

    std::mt19937 rng_;
    long long frames_;
    bool menu_;
    int x_ = 400, y_ = 300;
    std::vector<std::string> lines_;
};

}  // namespace

static int MonkeyCommand(const Args& args) {
    const char* usage = "usage: tarvex-tool monkey --seed S --frames N [--menu] --out FILE";
    std::string seedText, framesText, out;
    if (!OptionValue(args, "--seed", seedText) || !OptionValue(args, "--frames", framesText) ||
        !OptionValue(args, "--out", out))
        return Fail(usage);
    char* end = nullptr;
    const unsigned long long seed = std::strtoull(seedText.c_str(), &end, 10);
    if (seedText.empty() || *end || seed > 0xFFFFFFFFull) return Fail("--seed takes a number from 0 to 4294967295");
    const long long frames = std::strtoll(framesText.c_str(), &end, 10);
    if (framesText.empty() || *end || frames < 1 || frames > 100000000) return Fail("--frames takes a count from 1");
    const bool menu = HasFlag(args, "--menu");
    const std::vector<std::string> lines = Monkey(static_cast<uint32_t>(seed), frames, menu).Write();
    std::ofstream file(out);
    if (!file) return Fail("cannot write " + out);
    file << "# monkey --seed " << seed << " --frames " << frames << (menu ? " --menu" : "") << "\n";
    for (const std::string& l : lines) file << l << "\n";
    if (!file.flush()) return Fail("cannot write " + out);
    std::printf("{\"events\":%zu,\"frames\":%lld}\n", lines.size(), frames);
    return 0;
}

TARVEX_TOOL_COMMAND("monkey", "--seed S --frames N [--menu] --out FILE", MonkeyCommand);

}  // namespace tarvex::tool
