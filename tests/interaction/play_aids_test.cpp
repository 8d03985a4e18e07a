// Play aids driven through the real engine on the demo: the hint key and the reading speed of
// subtitles (the controller plays the whole walkthrough); and the settings file that keeps the
// player's choices.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "base/config.h"
#include "base/play_settings.h"
#include "text/language_pack.h"
#include "support/engine_run.h"

namespace tarvex {
namespace {

// The state without what differs between two runs by nature: the frame's own counts.
nlohmann::json GameStateOf(nlohmann::json state) {
    state.erase("engine");
    return state;
}

struct SignSpot {
    int x, y;
};

// Centres of the signs of one inner colour in a picture that the picture `without` them
// lacks (each sign a 6 x 6 square; the picture's depth rounds the colour a little).
std::vector<SignSpot> SignsOfColour(const test::Picture& p, const test::Picture& without, uint8_t r, uint8_t g, uint8_t b) {
    const auto near = [&](int x, int y) {
        const uint8_t* c = p.At(x, y);
        return std::abs(c[0] - r) <= 6 && std::abs(c[1] - g) <= 6 && std::abs(c[2] - b) <= 6 &&
               !std::equal(c, c + 3, without.At(x, y));
    };
    std::vector<SignSpot> spots;
    std::vector<bool> seen(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (seen[static_cast<size_t>(y) * p.width + x] || !near(x, y)) continue;
            // The square from its top-left corner.
            int w = 0, h = 0;
            while (x + w < p.width && near(x + w, y)) ++w;
            while (y + h < p.height && near(x, y + h)) ++h;
            for (int yy = y; yy < y + h; ++yy)
                for (int xx = x; xx < x + w; ++xx) seen[static_cast<size_t>(yy) * p.width + xx] = true;
            spots.push_back({x + w / 2, y + h / 2});
        }
    return spots;
}

class PlayAids : public test::DemoPlayTest {};

TEST_F(PlayAids, TheHintKeyMarksTheSceneHotspotsAndChangesNoState) {
    // The landing: the pointer parked in a corner, Tab held over frames 40..59.
    Line("0 pointer 790 590");
    const std::vector<int> frames = {45, 70};
    Play("--scene 0", 71, frames, frames);
    const auto plainState = Dump(45), plainLater = Dump(70);
    const auto plain = Shot(45), plainAfter = Shot(70);
    Line("40 keydown Tab");
    Line("60 keyup Tab");
    Play("--scene 0", 71, frames, frames);
    EXPECT_EQ(GameStateOf(Dump(45)), GameStateOf(plainState));
    EXPECT_EQ(GameStateOf(Dump(70)), GameStateOf(plainLater));
    const auto held = Shot(45), after = Shot(70);
    ASSERT_TRUE(plain.ok && plainAfter.ok && held.ok && after.ok);
    EXPECT_EQ(after.rgb, plainAfter.rgb);  // released: the picture as without

    // One sign on each enabled region of the scene, at its centre; one on each clickable
    // tool of the scene, inside its rectangle.
    const int scene = plainState["currentScene"];
    std::set<std::pair<int, int>> regionCentres;
    std::vector<nlohmann::json> exits;
    for (const auto& r : plainState["regions"]) {
        if (r["scene"] != scene) continue;
        const int left = r["left"], top = r["top"], right = r["right"], bottom = r["bottom"];
        regionCentres.insert({std::clamp((left + right) / 2, 2, 797), std::clamp((top + bottom) / 2, 2, 597)});
        if (r["cursor"] == 4) exits.push_back(r);
    }
    ASSERT_FALSE(regionCentres.empty());
    std::set<std::pair<int, int>> regionSigns;
    for (const SignSpot& s : SignsOfColour(held, plain, 255, 208, 64)) regionSigns.insert({s.x, s.y});
    EXPECT_EQ(regionSigns, regionCentres);
    std::set<int> inventory;
    for (int t : plainState["inventory"]) inventory.insert(t);
    std::vector<nlohmann::json> tools;
    for (const auto& t : plainState["tools"])
        if (t["clickable"] != 0 && !inventory.count(t["tool"].get<int>())) tools.push_back(t);
    const auto toolSigns = SignsOfColour(held, plain, 96, 224, 255);
    ASSERT_EQ(toolSigns.size(), tools.size());
    for (const SignSpot& s : toolSigns) {
        bool inside = false;
        for (const auto& t : tools)
            inside = inside || (s.x >= t["x"].get<int>() && s.x < t["right"].get<int>() && s.y >= t["y"].get<int>() &&
                                s.y < t["bottom"].get<int>());
        EXPECT_TRUE(inside) << s.x << "," << s.y;
    }
    // Nothing else changes: every changed pixel is a sign or an exit's name by its sign.
    std::vector<SignSpot> all = SignsOfColour(held, plain, 255, 208, 64);
    for (const SignSpot& s : toolSigns) all.push_back(s);
    int named = 0;
    for (int y = 0; y < held.height; ++y)
        for (int x = 0; x < held.width; ++x) {
            if (std::equal(held.At(x, y), held.At(x, y) + 3, plain.At(x, y))) continue;
            bool explained = false;
            for (const SignSpot& s : all) {
                explained = explained || (std::abs(x - s.x) <= 6 && std::abs(y - s.y) <= 6);
                const bool exit = std::any_of(exits.begin(), exits.end(), [&](const nlohmann::json& r) {
                    return std::clamp((r["left"].get<int>() + r["right"].get<int>()) / 2, 2, 797) == s.x &&
                           std::clamp((r["top"].get<int>() + r["bottom"].get<int>()) / 2, 2, 597) == s.y;
                });
                if (exit && ((y >= s.y + 8 && y <= s.y + 26) || (y >= s.y - 26 && y <= s.y - 8))) {
                    explained = true;
                    ++named;
                }
            }
            EXPECT_TRUE(explained) << x << "," << y;
            if (!explained) return;
        }
    if (!exits.empty()) {
        EXPECT_GT(named, 0);
    }
}

TEST_F(PlayAids, ReadableSubtitlesLastTwiceAsLongGrowAndWaitForAClick) {
    // The demo without the voices of its remarks: a look at the notebook in the flat speaks
    // a line that stays for the game's time, counted down a tick a frame.
    demo = test::GeneratedDemo("without-remark-voices", true);
    ASSERT_FALSE(demo.empty());
    std::filesystem::remove_all(demo + "/sound/otboy");
    Click(10, 160, 435);
    Play("--scene 23", 15, {10, 11, 12, 13, 14});
    int start = -1;
    for (int f = 10; f <= 14 && start < 0; ++f)
        if (Dump(f)["subtitle"]["length"] != 0) start = f;
    ASSERT_GE(start, 0);
    const float first = Dump(start)["subtitle"]["timer"];
    const int plain = static_cast<int>(std::lround(first)) + 1;  // the line's frames at 30 a second
    ASSERT_GE(plain, 50);
    const auto shown = [this](int frame) { return Dump(frame)["subtitle"]["length"] != 0; };
    Play("--scene 23", start + plain + 2, {start + plain - 2, start + plain + 1}, {start + 5});
    EXPECT_TRUE(shown(start + plain - 2));
    EXPECT_FALSE(shown(start + plain + 1));
    const auto gameSize = Shot(start + 5);
    Play("--scene 23 --reading-speed 2 --text-size 24 --subtitle-band dark", start + 2 * plain + 2,
         {start, start + plain + 1, start + 2 * plain - 2, start + 2 * plain + 1}, {start + 5});
    // The larger text reaches below the game's 16-pixel line, over a darker band.
    const auto larger = Shot(start + 5);
    ASSERT_TRUE(gameSize.ok && larger.ok);
    const auto whiteIn = [](const test::Picture& p, int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < 300; ++x) n += p.At(x, y)[0] > 230 && p.At(x, y)[1] > 230 && p.At(x, y)[2] > 230;
        return n;
    };
    EXPECT_GT(whiteIn(larger, 369, 376), 5 * whiteIn(gameSize, 369, 376) + 20);
    test::Picture black = larger;
    std::fill(black.rgb.begin(), black.rgb.end(), 0);
    EXPECT_LT(test::Difference(larger, black, 600, 354, 800, 376), test::Difference(gameSize, black, 600, 354, 800, 376) * 0.6);
    // The same frame's timer, started at twice the time.
    EXPECT_NEAR(Dump(start)["subtitle"]["timer"].get<float>() - first, plain, 0.01);
    EXPECT_TRUE(shown(start + plain + 1));
    EXPECT_TRUE(shown(start + 2 * plain - 2));
    EXPECT_FALSE(shown(start + 2 * plain + 1));
    // Waiting for a click: the line outlasts its time until a click on the floor.
    const int click = start + plain + 20;
    Click(click, 600, 520);
    Play("--scene 23 --wait-for-click", click + 4, {click - 1, click + 3});
    EXPECT_TRUE(shown(click - 1));
    EXPECT_FALSE(shown(click + 3));
}

// The player's language and subtitle options live in their own file: the configuration and
// the saves are byte for byte those of a game played without them.
TEST_F(PlayAids, LanguageAndSubtitleOptionsLeaveTheConfigurationAndSavesAsTheyWere) {
    const auto readFile = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    Click(10, 160, 435);  // a look at the notebook: a remark, over by the quick save
    Line("300 key F5");
    Play("--scene 23", 320, {});
    const std::string config = readFile(dir + "/saves/config.cfg"), save = readFile(dir + "/saves/quick.sav");
    ASSERT_EQ(config.size(), 72u);
    ASSERT_FALSE(save.empty());
    EXPECT_FALSE(std::filesystem::exists(dir + "/saves/settings.ini"));
    std::filesystem::remove_all(dir + "/saves");
    std::filesystem::create_directories(dir + "/saves");
    std::ofstream(dir + "/saves/settings.ini") << "language=en\nsubtitle_size=24\nsubtitle_band=dark\nreading_speed=2\n";
    Play("--scene 23", 320, {});
    EXPECT_TRUE(readFile(dir + "/saves/config.cfg") == config);
    EXPECT_TRUE(readFile(dir + "/saves/quick.sav") == save);

    // A row of the options panel writes the settings file, not the configuration.
    std::filesystem::remove_all(dir + "/saves");
    replay.clear();
    Line("20 key Escape");
    Click(50, 360, 230);  // the options panel
    Click(70, 300, 380);  // the reading speed's row: one step up
    Play("--scene 23", 80, {});
    EXPECT_TRUE(readFile(dir + "/saves/config.cfg") == config);
    PlaySettings kept;
    EXPECT_EQ(ParsePlaySettings(readFile(dir + "/saves/settings.ini"), kept), 0);
    EXPECT_EQ(kept.readingSpeed, 1.5f);
}

TEST(PlaySettingsFile, KeepsOtherKeysAndPassesOverBadValues) {
    PlaySettings s;
    const int passedOver = ParsePlaySettings(
        "language=en\nsubtitle_size=24\nsubtitle_band=dark\nreading_speed=9\nwait_for_click=yes\nnonsense\n", s);
    EXPECT_EQ(passedOver, 2);  // the speed out of its range, the line without "="
    EXPECT_EQ(s.subtitleSize, 24);
    EXPECT_TRUE(s.darkBand);
    EXPECT_EQ(s.readingSpeed, 1.0f);
    EXPECT_TRUE(s.waitForClick);
    EXPECT_EQ(FormatPlaySettings(s), "language=en\nsubtitle_size=24\nsubtitle_band=dark\nreading_speed=1\nwait_for_click=1\n");
    PlaySettings again;
    EXPECT_EQ(ParsePlaySettings(FormatPlaySettings(s), again), 0);
    EXPECT_EQ(FormatPlaySettings(again), FormatPlaySettings(s));
}

// The language line and the subtitle settings share the file: each write keeps the other's.
TEST(PlaySettingsFile, AWriteKeepsTheLanguageChosenSinceTheFileWasRead) {
    const std::string dir = test::TempDir("play-settings");
    SetSavesDirectory(dir);
    LoadPlaySettings();
    ASSERT_TRUE(StoreLanguage("en"));
    playSettings.readingSpeed = 2.0f;
    ASSERT_TRUE(SavePlaySettings());
    EXPECT_EQ(StoredLanguage(), "en");
    ASSERT_TRUE(StoreLanguage("de"));
    PlaySettings kept;
    std::ifstream in(dir + "/settings.ini", std::ios::binary);
    EXPECT_EQ(ParsePlaySettings(std::string(std::istreambuf_iterator<char>(in), {}), kept), 0);
    EXPECT_EQ(kept.readingSpeed, 2.0f);
    playSettings = PlaySettings{};
    SetSavesDirectory("");
}

}  // namespace
}  // namespace tarvex
