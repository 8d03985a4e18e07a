// The golden run: the walkthrough and a replay of every demo room, played by the engine
// headless on the virtual clock, against what the engine gave when the golden was recorded
// (expected/): the state after every 50th frame (without the engine's own counts), the
// screenshots of every 200th frame and the saved games, the last two byte for byte (as
// their SHA-256). TARVEX_GOLDEN_RECORD=1 (script/golden record) writes the golden instead.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const std::string kHere = std::string(TARVEX_SOURCE_DIR) + "/tests/golden";
constexpr int kDumpEvery = 50, kShotEvery = 200;
// The walkthrough's quick save (F5): back in the flat after the named save was loaded (an
// earlier one would be among the saves the load panel steps through). With the named save
// in the archive and the automatic save entering the ending, three points of the game.
constexpr int kQuickSaveFrame = 10700;
// What the engine writes when a script's call overran its real time: a starved run, not
// the game's behaviour.
const char* const kStarved = "ran longer than";

struct GoldenRun {
    std::string name, replay, start;
    int frames = 0;
};

struct Outcome {
    std::vector<json> dumps;                   // in frame order
    std::map<std::string, std::string> files;  // "frame-0200.png", "saves/auto.sav": SHA-256
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The output of a shell command (empty when it failed).
std::string Command(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[65536];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        if (pclose(p) != 0) out.clear();
    }
    return out;
}

// The walkthrough with the quick save added, then the rooms' replays ("# start:" and
// "# frames:" lines give their command line and length).
std::vector<GoldenRun> Runs(const std::string& dir) {
    std::vector<GoldenRun> runs;
    GoldenRun w{"walkthrough", dir + "/walkthrough.replay", "", 0};
    const std::string text = ReadText(kHere + "/../walkthrough/walkthrough.replay");
    const std::regex milestone(R"(# @ \S+ (\d+))");
    for (std::sregex_iterator m(text.begin(), text.end(), milestone), end; m != end; ++m)
        w.frames = std::max(w.frames, std::stoi((*m)[1]) + 2);
    std::ofstream(w.replay) << text << kQuickSaveFrame << " key F5\n";
    runs.push_back(w);
    std::vector<fs::path> rooms;
    for (const auto& e : fs::directory_iterator(kHere + "/replays")) rooms.push_back(e.path());
    std::sort(rooms.begin(), rooms.end());
    for (const fs::path& p : rooms) {
        GoldenRun r{p.stem().string(), p.string(), "", 0};
        const std::string t = ReadText(p);
        std::smatch m;
        if (std::regex_search(t, m, std::regex(R"(# start: ([^\n]*))"))) r.start = m[1];
        if (std::regex_search(t, m, std::regex(R"(# frames: (\d+))"))) r.frames = std::stoi(m[1]);
        runs.push_back(r);
    }
    return runs;
}

// Plays a run into `out`; empty, or what went wrong.
std::string Play(const std::string& demo, const GoldenRun& r, const std::string& out) {
    fs::remove_all(out);
    fs::create_directories(out + "/saves");
    std::string args = "--headless --fixed-fps 30 --seed 1 " + r.start + " --frames " + std::to_string(r.frames) +
                       " --path " + demo + " --saves " + out + "/saves --replay " + r.replay;
    for (int f = 0; f < r.frames; f += kDumpEvery) args += " --dump-state " + std::to_string(f) + ":" + out + "/" + std::to_string(f) + ".json";
    for (int f = 0; f < r.frames; f += kShotEvery) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.png", f);
        args += " --screenshot " + std::to_string(f) + ":" + out + "/" + name;
    }
    const int status = test::RunEngine(args, out + "/log.txt");
    if (status != 0) return "exit status " + std::to_string(status) + " (" + out + "/log.txt)";
    if (ReadText(out + "/log.txt").find(kStarved) != std::string::npos) return kStarved;
    return "";
}

Outcome Collect(const GoldenRun& r, const std::string& out) {
    Outcome o;
    for (int f = 0; f < r.frames; f += kDumpEvery) {
        json j = test::ReadJson(out + "/" + std::to_string(f) + ".json");
        if (j.is_object()) {
            j.erase("engine");   // memory counts, the heap's size among them
            j.erase("console");  // the workbench's, not the game's
        }
        o.dumps.push_back(j);
    }
    std::istringstream sums(Command("cd '" + out + "' && sha256sum -- *.png saves/*.sav"));
    for (std::string hash, name; sums >> hash >> name;) o.files[name] = hash;
    return o;
}

// Where two dumps differ: the first few places (JSON pointers) with both values.
std::string Differences(const json& want, const json& got) {
    if (!want.is_object() || !got.is_object()) return "no dump";
    const json patch = json::diff(want, got);
    std::string s = std::to_string(patch.size()) + " differences";
    for (size_t i = 0; i < patch.size() && i < 4; ++i) {
        const json::json_pointer at(patch[i]["path"].get<std::string>());
        s += "; " + at.to_string() + " was " + (want.contains(at) ? want[at].dump().substr(0, 120) : "absent") +
             ", is " + (got.contains(at) ? got[at].dump().substr(0, 120) : "absent");
    }
    return s;
}

void Compare(const GoldenRun& r, const Outcome& got) {
    const std::string base = kHere + "/expected/" + r.name;
    std::istringstream lines(Command("xz -dc '" + base + ".jsonl.xz'"));
    std::vector<json> want;
    for (std::string line; std::getline(lines, line);) want.push_back(json::parse(line, nullptr, false));
    ASSERT_EQ(want.size(), got.dumps.size()) << r.name << ": dumps in the golden (xz installed?) and in the run";
    int differing = 0;
    for (size_t i = 0; i < want.size(); ++i)
        if (want[i] != got.dumps[i] && differing++ == 0)
            ADD_FAILURE() << r.name << ", frame " << i * kDumpEvery << ": " << Differences(want[i], got.dumps[i]);
    EXPECT_EQ(differing, 0) << r.name << ": dumps that differ from the golden";
    std::map<std::string, std::string> sums;
    std::istringstream file(ReadText(base + ".sha256"));
    for (std::string hash, name; file >> hash >> name;) sums[name] = hash;
    EXPECT_FALSE(sums.empty()) << base << ".sha256";
    std::string differ;
    for (const auto& [name, hash] : sums)
        if (!got.files.count(name) || got.files.at(name) != hash) differ += " " + name + (got.files.count(name) ? "" : " (missing)");
    for (const auto& [name, hash] : got.files)
        if (!sums.count(name)) differ += " " + name + " (new)";
    EXPECT_EQ(differ, "") << r.name << ": pictures and saves that differ from the golden";
}

void Record(const GoldenRun& r, const Outcome& o) {
    const std::string base = kHere + "/expected/" + r.name;
    fs::create_directories(kHere + "/expected");
    std::string text;
    for (const json& j : o.dumps) {
        ASSERT_TRUE(j.is_object()) << r.name << ": a dump is missing; nothing recorded";
        text += j.dump() + "\n";
    }
    const std::string plain = test::TempDir("golden-record") + "/" + r.name + ".jsonl";
    std::ofstream(plain) << text;
    ASSERT_EQ(std::system(("xz -9e -c '" + plain + "' > '" + base + ".jsonl.xz'").c_str()), 0) << "xz";
    std::ofstream sums(base + ".sha256");
    for (const auto& [name, hash] : o.files) sums << hash << "  " << name << "\n";
    std::cerr << "golden: wrote " << base << ".jsonl.xz (" << o.dumps.size() << " dumps, "
              << fs::file_size(base + ".jsonl.xz") << " bytes) and .sha256 (" << o.files.size()
              << " pictures and saves)\n";
}

TEST(Golden, TheRunsGiveTheRecordedDumpsPicturesAndSaves) {
    const std::string demo = test::GeneratedDemo("packed", false);
    ASSERT_FALSE(demo.empty());
    const std::string dir = test::TempDir("golden");
    const std::vector<GoldenRun> runs = Runs(dir);
    ASSERT_EQ(runs.size(), 12u);
    // Two runs at a time, the walkthrough (the longest) first.
    std::vector<std::string> errors(runs.size());
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next++) < runs.size();) errors[i] = Play(demo, runs[i], dir + "/" + runs[i].name);
    };
    std::thread other(worker);
    worker();
    other.join();
    const bool record = std::getenv("TARVEX_GOLDEN_RECORD") && std::string(std::getenv("TARVEX_GOLDEN_RECORD")) == "1";
    for (size_t i = 0; i < runs.size(); ++i) {
        // A script stopped by its real-time limit when the machine was starved: once more,
        // alone.
        if (errors[i] == kStarved) errors[i] = Play(demo, runs[i], dir + "/" + runs[i].name);
        ASSERT_EQ(errors[i], "") << runs[i].name;
        const Outcome o = Collect(runs[i], dir + "/" + runs[i].name);
        if (record)
            Record(runs[i], o);
        else
            Compare(runs[i], o);
    }
}

}  // namespace
}  // namespace tarvex
