// The demo played through by the real engine, headless, from the menu's new game to the
// ending: walkthrough.replay is a player's hands, its "# @ NAME FRAME" lines the
// milestones, each checked through --dump-state, the ones named with "!" also through a
// screenshot. (That a run repeats itself is held by the golden run.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using nlohmann::json;

struct Milestone {
    std::string name;
    int frame = 0;
    bool shot = false;
};

std::vector<Milestone> ReadMilestones(const std::string& replay) {
    std::vector<Milestone> out;
    std::ifstream in(replay);
    const std::regex line(R"(^# @ (\S+) (\d+)$)");
    std::string text;
    std::smatch m;
    while (std::getline(in, text))
        if (std::regex_match(text, m, line)) {
            const std::string name = m[1];
            const bool shot = name.back() == '!';
            out.push_back({shot ? name.substr(0, name.size() - 1) : name, std::stoi(m[2]), shot});
        }
    return out;
}

class Walkthrough : public ::testing::Test {
protected:
    void SetUp() override {
        demo = test::GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        Use("walkthrough.replay");
    }
    void Use(const std::string& name) {
        replay = std::string(TARVEX_SOURCE_DIR) + "/tests/walkthrough/" + name;
        milestones = ReadMilestones(replay);
        ASSERT_GT(milestones.size(), 20u) << replay;
    }
    // One run of the walkthrough into `dir`; the exit status.
    int Run(const std::string& dir, const std::string& options = "") {
        std::string args = options + " --headless --fixed-fps 30 --seed 1 --frames " +
                           std::to_string(milestones.back().frame + 2) + " --path " + demo + " --saves " + dir +
                           "/saves --replay " + replay;
        for (const Milestone& m : milestones) {
            args += " --dump-state " + std::to_string(m.frame) + ":" + dir + "/" + m.name + ".json";
            if (m.shot) args += " --screenshot " + std::to_string(m.frame) + ":" + dir + "/" + m.name + ".png";
        }
        return test::RunEngine(args, dir + "/log.txt");
    }
    json At(const std::string& name) {
        json j = test::ReadJson(first + "/" + name + ".json");
        EXPECT_FALSE(j.is_discarded()) << name;
        return j;
    }
    test::Picture Shot(const std::string& dir, const std::string& name) {
        test::Picture p = test::ReadPicture(dir + "/" + name + ".png");
        EXPECT_TRUE(p.ok) << name;
        return p;
    }
    std::string demo, replay, first;
    std::vector<Milestone> milestones;
};

std::set<int> Inventory(const json& state) { return state["inventory"].get<std::set<int>>(); }
int Flags(const json& state, int scene) {
    const json& f = state["sceneFlags"];
    return f.contains(std::to_string(scene)) ? f[std::to_string(scene)].get<int>() : 0;
}
std::string Said(const json& state) { return state["subtitle"]["text"].get<std::string>(); }

// Near-white pixels (the subtitle's letters) in the subtitle's first line.
int SubtitleInk(const test::Picture& p) {
    int n = 0;
    for (int y = 352; y < 370; ++y)
        for (int x = 0; x < 700; ++x)
            if (p.At(x, y)[0] > 220 && p.At(x, y)[1] > 220 && p.At(x, y)[2] > 220) ++n;
    return n;
}

struct Box {
    int x0, y0, x1, y1;
};
// Pixels in a box that pass `test`.
template <typename Test>
int Count(const test::Picture& p, Box b, Test test) {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) n += test(p.At(x, y)) ? 1 : 0;
    return n;
}
// Letters of captions, labels and titles (light, warm), and anything lighter than a plain
// panel or menu face (letters, outlines, knobs).
bool Letter(const uint8_t* c) { return c[0] > 200 && c[1] > 160; }
bool Light(const uint8_t* c) { return std::max({c[0], c[1], c[2]}) > 140; }

// The menu and its panels seen at rest, the pointer off every button: each button the
// menu takes clicks in is drawn with its caption, each option has its label, the sliders'
// grooves lie over the pixels that move them, and the title stands clear of the thumbnail.
void ExpectPanelsAtRest(const test::Picture& menu, const test::Picture& options, const test::Picture& save,
                        const test::Picture& load) {
    // The main menu's buttons where they take clicks: new game, load, save, options,
    // credits, exit; each caption a word (load and save stand upright, letter by letter).
    for (Box b : {Box{270, 129, 477, 188}, Box{233, 198, 276, 350}, Box{449, 199, 498, 359}, Box{300, 202, 432, 275},
                  Box{297, 279, 411, 362}, Box{253, 374, 455, 427}})
        EXPECT_GT(Count(menu, b, Letter), 250) << "main menu button at " << b.x0 << "," << b.y0;
    // OK and cancel in every panel; the arrows through the saves.
    for (const test::Picture* p : {&options, &save, &load}) {
        EXPECT_GT(Count(*p, {229, 220, 289, 255}, Letter), 100) << "OK";
        EXPECT_GT(Count(*p, {440, 193, 492, 228}, Letter), 100) << "cancel";
    }
    for (const test::Picture* p : {&save, &load}) {
        EXPECT_GT(Count(*p, {354, 353, 384, 379}, Light), 100) << "next save";
        EXPECT_GT(Count(*p, {311, 350, 341, 376}, Light), 100) << "previous save";
        // The title right of the thumbnail.
        EXPECT_GT(Count(*p, {452, 132, 566, 182}, Letter), 300) << "title";
    }
    // The options: the shadows' and subtitles' boxes, and every control's label to its left.
    EXPECT_GT(Count(options, {407, 210, 431, 234}, Light), 40) << "shadows";
    EXPECT_GT(Count(options, {403, 266, 427, 290}, Light), 40) << "subtitles";
    for (Box row : {Box{0, 210, 0, 234}, Box{0, 237, 0, 257}, Box{0, 266, 0, 290}, Box{0, 298, 0, 317}, Box{0, 328, 0, 350}})
        EXPECT_GT(Count(options, {293, row.y0, 360, row.y1}, Letter), 60) << "label level with y " << row.y0;
    // Gamma, sound, music: across its middle row each groove starts and ends inside the
    // rectangle that moves its slider.
    for (Box hit : {Box{375, 237, 435, 257}, Box{365, 298, 425, 317}, Box{360, 328, 420, 350}}) {
        const int y = (hit.y0 + hit.y1) / 2;
        const uint8_t* plain = options.At(550, y);
        auto drawn = [&](int x) {
            const uint8_t* c = options.At(x, y);
            return std::abs(c[0] - plain[0]) + std::abs(c[1] - plain[1]) + std::abs(c[2] - plain[2]) > 40;
        };
        EXPECT_TRUE(drawn(hit.x0 + 2) && drawn(hit.x1 - 2)) << "groove at y " << y;
        EXPECT_FALSE(drawn(hit.x0 - 3) || drawn(hit.x1 + 2)) << "groove at y " << y;
    }
}

TEST_F(Walkthrough, FromTheMenuToTheEndingAndAgainAlike) {
    first = test::TempDir("walkthrough");
    ASSERT_EQ(Run(first), 0) << first << "/log.txt";

    // A new game from the menu, in the flat with nothing.
    json s = At("flat");
    EXPECT_EQ(std::tuple(s["menuActive"], s["currentScene"], s["inventory"]), std::tuple(0, 23, json::array()));
    // Three things taken in the flat and the boiler room, each announced.
    s = At("notebook");
    EXPECT_EQ(std::tuple(Inventory(s), Flags(s, 23) & 1), std::tuple(std::set<int>{742}, 1));
    s = At("lantern");
    EXPECT_EQ(Inventory(s), (std::set<int>{47, 742}));
    EXPECT_EQ(At("old-man")["currentScene"], 131);
    // The first talk runs through its lines to the end.
    s = At("first-talk");
    EXPECT_EQ(s["sceneState"]["131"], 4);
    EXPECT_FALSE(Said(s).empty());
    s = At("talked");
    EXPECT_EQ(std::tuple(Flags(s, 131) & 8, s["sceneState"].value("131", 0)), std::tuple(8, 0));
    // Back home the talk is written down; the notebook opens on its button and pages.
    EXPECT_EQ(Flags(At("flat-again"), 23) & 4, 4);
    s = At("notebook-open");
    EXPECT_EQ(s["currentScene"], 250);
    const int openedAt = s["notebook"]["NotepadPosition"];
    EXPECT_NE(At("notebook-paged")["notebook"]["NotepadPosition"], openedAt);
    EXPECT_EQ(At("notebook-closed")["currentScene"], 23);
    EXPECT_EQ(At("landing")["currentScene"], 0);
    EXPECT_EQ(At("service-room")["currentScene"], 75);
    EXPECT_EQ(At("boiler-room")["currentScene"], 25);
    // The plaque's year, the batteries, and the toolbar's combination.
    s = At("plaque");
    EXPECT_EQ(Flags(s, 25) & 2, 2);
    EXPECT_NE(Said(s).find("1957"), std::string::npos) << Said(s);
    EXPECT_EQ(Inventory(At("batteries")), (std::set<int>{47, 61, 742}));
    EXPECT_EQ(At("lantern-held")["heldTool"], 47);
    s = At("combined");
    EXPECT_EQ(Inventory(s), (std::set<int>{39, 742}));
    EXPECT_GT(s["subtitle"]["timer"], 0);
    // An item used on a scene object: the bright lantern on the crate finds the card.
    EXPECT_EQ(At("holding-lantern")["heldTool"], 39);
    s = At("card");
    EXPECT_EQ(std::tuple(Inventory(s).count(62), Flags(s, 75) & 1), std::tuple(1u, 1));
    // The keypad: powered by the card, the code, the password, back on the landing.
    EXPECT_EQ(At("keypad")["currentScene"], 98);
    EXPECT_EQ(Flags(At("powered"), 98) & 4, 4);
    EXPECT_EQ(Flags(At("code-accepted"), 98) & 1, 1);
    s = At("password-accepted");
    EXPECT_EQ(std::tuple(s["currentScene"].get<int>(), Flags(s, 98) & 2), std::tuple(0, 2));
    // The lift comes, takes the hero down; the radio and the towel are taken. He walks
    // into the doorway, away from the camera: its walk point lies between the doorway's
    // sides and further up the floor than the call buttons' spot where he stands.
    s = At("lift-here");
    EXPECT_EQ(Flags(s, 0) & 1, 1);
    const json &doorway = s["regions"][0], &buttons = s["regions"][1];
    EXPECT_TRUE(doorway["left"] <= doorway["walk"][0] && doorway["walk"][0] <= doorway["right"]) << doorway;
    EXPECT_LT(doorway["walk"][1], buttons["walk"][1]);
    EXPECT_EQ(At("workshops")["currentScene"], 149);
    EXPECT_TRUE(Inventory(At("radio")).count(181));
    EXPECT_EQ(At("washroom")["currentScene"], 24);
    EXPECT_TRUE(Inventory(At("towel")).count(212));
    s = At("dry-towel");
    EXPECT_EQ(std::tuple(Inventory(s).count(197), Inventory(s).count(212)), std::tuple(1u, 0u));
    EXPECT_EQ(Flags(At("switched"), 95) & 1, 1);
    // Up to the archive; the register opens the way down with the old man.
    EXPECT_EQ(At("archive")["currentScene"], 115);
    const json archive = At("register");
    EXPECT_EQ(Flags(archive, 131) & (32 | 64), 32 | 64);
    // The notebook's pages so far follow one another: 4 to 6 (the notebook, the talk),
    // 7 (the plaque) and 8 (the register), none after.
    EXPECT_EQ(Flags(archive, 250) & 0x7007, 0x3007);
    EXPECT_EQ(archive["notebook"]["entries"], json({1, 1, 0, 0, 0, 0}));
    // He stands still and faces what he looks at, the mirror and the register on the back
    // walls (along -z, his back to the camera); by the crate his toes stay clear of its
    // front (z = -100) with the lantern held out over it.
    for (const char* name : {"mirror", "register"}) {
        const json hero = At(name)["actors"][0];
        EXPECT_NEAR(hero["heading"].get<double>(), 1.5 * M_PI, 0.3) << name;
        EXPECT_EQ(hero["walking"], 0) << name;
    }
    EXPECT_GT(At("card")["actors"][0]["position"][2].get<double>(), -100 + 40);
    // Saved from the menu, played on elsewhere, loaded back: the archive as it was.
    EXPECT_EQ(At("save-named")["menuActive"], 1);
    EXPECT_TRUE(std::filesystem::exists(first + "/saves/архив.sav"));
    EXPECT_EQ(At("back-from-menu")["menuActive"], 0);
    EXPECT_EQ(At("before-load")["currentScene"], 0);
    const json loaded = At("loaded");
    EXPECT_EQ(std::tuple(loaded["menuActive"], loaded["currentScene"]), std::tuple(0, 115));
    for (const char* part : {"previousScene", "sceneFlags", "sceneState", "inventory"})
        EXPECT_EQ(loaded[part], archive[part]) << part;
    // The follow-up talk: both choice lists, the way down, the titles, the menu.
    EXPECT_EQ(At("home")["currentScene"], 23);
    s = At("topics")["choice"];
    EXPECT_EQ(std::tuple(s["active"], s["first"]), std::tuple(true, 445));
    s = At("second-list")["choice"];
    EXPECT_EQ(std::tuple(s["active"], s["first"], s["count"]), std::tuple(true, 474, 4));
    s = At("ending");
    EXPECT_EQ(std::tuple(s["currentScene"], s["inventory"]), std::tuple(135, json::array()));
    EXPECT_EQ(At("menu-after-ending")["menuActive"], 1);

    // The pictures: the hero is drawn where he stands and walks off from there; the item
    // just taken is shown in its frame at the top left; the rest of the room stays.
    const test::Picture start = Shot(first, "flat"), away = Shot(first, "lantern");
    ASSERT_TRUE(start.ok && away.ok);
    EXPECT_GT(test::Difference(start, away, 410, 240, 480, 520), 20.0);
    EXPECT_GT(test::Difference(start, away, 20, 60, 110, 150), 20.0);
    EXPECT_LT(test::Difference(start, away, 150, 30, 350, 90), 2.0);
    // A remark on screen writes its letters over the picture; with none there are few.
    const test::Picture quiet = Shot(first, "plaque"), remark = Shot(first, "combined");
    ASSERT_TRUE(quiet.ok && remark.ok);
    EXPECT_GT(SubtitleInk(remark), 400);
    EXPECT_LT(SubtitleInk(quiet), SubtitleInk(remark) / 4);
    // His fingers on the call buttons' plate as he presses, none there before he reaches.
    auto skin = [](const uint8_t* c) { return c[0] > 60 && c[0] < 150 && c[0] - c[2] > 15 && c[0] - c[2] < 70 && c[1] * 10 > c[0] * 7; };
    EXPECT_GT(Count(Shot(first, "pressing"), {38, 236, 78, 300}, skin), 100);
    EXPECT_LT(Count(Shot(first, "lift-here"), {38, 236, 78, 300}, skin), 20);
    // Seen from behind as he looks in the mirror and reads the register, his head is hair,
    // with no face or skin on its back.
    auto hair = [](const uint8_t* c) { return c[0] < 90 && c[0] >= c[1] && c[1] >= c[2] && c[0] - c[2] > 8; };
    auto light = [](const uint8_t* c) { return c[0] > 120 && c[0] - c[2] > 25 && c[1] * 100 > c[0] * 65; };
    for (auto [name, head] : {std::pair{"mirror", Box{402, 198, 418, 214}}, std::pair{"register", Box{396, 193, 410, 207}}}) {
        const test::Picture p = Shot(first, name);
        const int area = (head.x1 - head.x0) * (head.y1 - head.y0);
        EXPECT_GT(Count(p, head, hair), area * 8 / 10) << name;
        EXPECT_LT(Count(p, head, light), area / 20) << name;
    }
    ExpectPanelsAtRest(Shot(first, "menu"), Shot(first, "options"), Shot(first, "save-panel"), Shot(first, "load-panel"));
    // The loaded game shows the archive again.
    EXPECT_LT(test::Difference(Shot(first, "register"), Shot(first, "loaded"), 0, 40, 800, 340), 3.0);
}

bool English(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && c < 127; });
}

// The demo in English with a game controller alone (script/replays/make_pad_replay.py wrote the replay):
// the stick, A, B, X and Y, the shoulder buttons, the hints held once, Start for the menu,
// whose options are changed with the stick and A.
TEST_F(Walkthrough, InEnglishWithAControllerAloneToTheEnding) {
    Use("pad_walkthrough.replay");
    std::ifstream in(replay);
    std::string line;
    std::set<std::string> used;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string frame, kind, what, name;
        words >> frame >> kind >> what >> name;
        EXPECT_EQ(kind, "pad") << line;  // no mouse, no key
        used.insert(what == "button" ? name : what);
    }
    for (const char* input : {"a", "b", "x", "y", "back", "start", "leftshoulder", "rightshoulder", "axis"})
        EXPECT_TRUE(used.count(input)) << input;
    first = test::TempDir("pad-walkthrough");
    ASSERT_EQ(Run(first, "--language en"), 0) << first << "/log.txt";

    for (auto [name, scene] : std::vector<std::pair<const char*, int>>{
             {"flat", 23}, {"old-man", 131}, {"notebook-open", 250}, {"landing", 0}, {"boiler-room", 25}, {"keypad", 98},
             {"workshops", 149}, {"washroom", 24}, {"archive", 115}, {"home", 23}, {"ending", 135}})
        EXPECT_EQ(At(name)["currentScene"], scene) << name;
    EXPECT_EQ(Inventory(At("lantern")), (std::set<int>{47, 742}));
    EXPECT_EQ(Inventory(At("combined")), (std::set<int>{39, 742}));
    EXPECT_TRUE(Inventory(At("card")).count(62));
    EXPECT_EQ(Flags(At("password-accepted"), 98) & 3, 3);
    EXPECT_EQ(Flags(At("switched"), 95) & 1, 1);
    EXPECT_NE(At("notebook-paged")["notebook"]["NotepadPosition"], At("notebook-open")["notebook"]["NotepadPosition"]);
    EXPECT_EQ(At("second-list")["choice"]["first"], 474);
    EXPECT_EQ(At("menu-after-ending")["menuActive"], 1);
    // What was said was English.
    for (const char* name : {"first-talk", "plaque", "combined", "second-list", "ending"})
        EXPECT_TRUE(English(Said(At(name)))) << name << ": " << Said(At(name));
    EXPECT_NE(Said(At("plaque")).find("1957"), std::string::npos);
    // Back held: a sign on every hotspot of the boiler room.
    const json hints = At("hints");
    const test::Picture shot = Shot(first, "hints");
    ASSERT_FALSE(hints["hotspots"].empty());
    for (const json& h : hints["hotspots"]) {
        const uint8_t* c = shot.At(h[0], h[1]);
        EXPECT_TRUE(c[0] > 240 || c[2] > 240) << h;  // the region's yellow or the tool's blue
    }
    // The options changed with the stick and A: the sound slider dragged to the left, the
    // dark band behind subtitles, both kept.
    EXPECT_EQ(At("band-dark")["menuActive"], 1);
    EXPECT_EQ(At("back-from-menu")["menuActive"], 0);
    std::ifstream config(first + "/saves/config.cfg", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(config)), {});
    ASSERT_EQ(bytes.size(), 72u);
    // The sound volume is the file's 16th value; the slider was let go near its left end.
    int32_t volume = 0;
    std::memcpy(&volume, bytes.data() + 15 * 4, 4);
    EXPECT_GT(volume, 0);
    EXPECT_LT(volume, 40);
    std::ifstream settings(first + "/saves/settings.ini");
    EXPECT_NE(std::string((std::istreambuf_iterator<char>(settings)), {}).find("subtitle_band=dark"), std::string::npos);
    EXPECT_TRUE(Shot(first, "ending").ok);
}

}  // namespace
}  // namespace tarvex
