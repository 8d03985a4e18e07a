// Saved games on the generated demo: saving and loading back, every kind of refused file, writes that fail half-way, the save list and
// the typed name.
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "interaction/game_state.h"
#include "menu/menu.h"
#include "menu/save_file.h"
#include "menu/saved_games.h"
#include "platform/atomic_file.h"
#include "platform/surface.h"
#include "scripts/script_api.h"
#include "shell/display_setup.h"
#include "shell/state_dump.h"
#include "support/engine_run.h"
#include "support/game_harness.h"
#include "support/world_test_util.h"
#include "text/notice.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;
using test::WriteFile;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
int32_t I32(const std::vector<uint8_t>& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }

// The offsets of the file's rows, counted here from the rows' sizes.
struct Rows {
    size_t scene = 120004, states = 120008, flags = 120008 + 2048, toolSize = 120008 + 4096;
    size_t tools = toolSize + 4, mainSost = tools + 1024 * 468, mainFlags = mainSost + 4, regions = mainFlags + 4;
    size_t soundSize = regions + 64 * 48, sounds = soundSize + 4, slotSize = sounds + 64 * 152;
    size_t slots = slotSize + 4, previous = slots + 128 * 220, endEvent = previous + 4, values = endEvent + 4;
    size_t fade = values + 48, gamma = fade + 4, track = gamma + 4, voice = track + 4, play = voice + 4;
    size_t cap = play + 4, camera = cap + 4, shadowLength = camera + 48, unused = shadowLength + 24;
    size_t timer = unused + 228, subtitle = timer + 4, subtitleLength = subtitle + 1536;
    size_t actorSize = subtitleLength + 4, actors = actorSize + 4, emitters = actors + 16 * 7088;
    size_t End(uint32_t n) const { return emitters + 4 + n + 12; }
};

class SavesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string demo = test::GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        ASSERT_TRUE(game.Start(demo, 0));
        saves = SavesDirectory();
        // A little progress to keep: flags, an item, a place for the hero.
        SetFlagsOf(98, 0x6);
        SetStateOf(131, 5);
        SetFlagsOf(600, 0x10);
        SetToolOwnership(62, 1, 0);
        SetToolOwnership(742, 1, 0);
        interaction.ToolTable[379].firstLook = 0;
    }
    std::string Path(const std::string& name) { return saves + "/" + name; }
    test::GameHarness game;
    std::string saves;
};

TEST_F(SavesTest, SaveLoadSaveGivesTheSameBytesButTheThumbnailWhichMayBeMissing) {
    ASSERT_TRUE(SaveGame("saves/a.sav"));
    SetFlagsOf(98, 0x100);
    SetToolOwnership(62, 0, 0);
    interaction.currentVerb = kVerbTalk;
    ASSERT_TRUE(LoadGame("saves/a.sav"));
    // Only scenes 0..511 are kept.
    EXPECT_EQ(std::tuple(TestFlagsOf(98, 0xFFFF), interaction.ToolTable[62].inInventory, TestFlagsOf(600, 0x10),
                         interaction.currentVerb, loop.menuActive),
              std::tuple(0x6u, 1, 0u, kVerbLook, 0));
    ASSERT_TRUE(SaveGame("saves/b.sav"));
    const auto a = ReadFile(Path("a.sav")), b = ReadFile(Path("b.sav"));
    ASSERT_EQ(a.size(), b.size());
    const auto differ = std::mismatch(a.begin() + 120004, a.end(), b.begin() + 120004);
    EXPECT_EQ(differ.first, a.end()) << "first difference at byte " << (differ.first - a.begin());
    // A file without its thumbnail loads too.
    WriteFile(Path("old.sav"), std::vector<uint8_t>(a.begin() + 120004, a.end()));
    SetFlagsOf(98, 0x100);
    ASSERT_TRUE(LoadGame("saves/old.sav"));
    EXPECT_EQ(TestFlagsOf(98, 0xFFFF), 0x6u);
}

TEST_F(SavesTest, RefusedFilesLeaveTheRunningGameAsItWas) {
    ASSERT_TRUE(SaveGame("saves/good.sav"));
    const std::vector<uint8_t> good = ReadFile(Path("good.sav"));
    SetFlagsOf(12, 0x77);
    // The game's state without the engine's own counts (the heap moves with every load tried)
    // and the notice that says why a file was refused.
    auto state = [] {
        nlohmann::json j = nlohmann::json::parse(StateJson(0));
        j.erase("engine");
        j.erase("notice");
        return j.dump();
    };
    const std::string before = state();
    auto refused = [&](const std::vector<uint8_t>& bytes, const char* what) {
        WriteFile(Path("bad.sav"), bytes);
        std::string error;
        EXPECT_FALSE(LoadGame("saves/bad.sav", &error)) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_EQ(state(), before) << what;
    };
    // Cut anywhere.
    for (size_t n = 0; n < good.size(); n += 997)
        refused(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)), "short");
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    refused(longer, "long");
    const Rows r;
    for (size_t at : {r.toolSize, r.soundSize, r.slotSize, r.actorSize}) {
        std::vector<uint8_t> other = good;
        other[at] ^= 4;
        refused(other, "record size");
    }
    auto with = [&](size_t at, int32_t value) {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[at], &value, 4);
        return b;
    };
    refused(with(r.scene, 299), "scene");
    refused(with(r.scene, -1), "no scene");
    refused(with(r.previous, 512), "previous scene");
    refused(with(r.values + 11 * 4, 1024), "held tool");
    refused(with(r.gamma, 70000), "gamma");
    std::vector<uint8_t> emitters = good;
    const uint32_t n = U32(good, r.emitters);
    emitters.insert(emitters.begin() + static_cast<std::ptrdiff_t>(r.emitters + 4 + n), 200 - n, 0);
    std::memcpy(&emitters[r.emitters], "\xC8\0\0\0", 4);
    refused(emitters, "emitters");
    std::vector<uint8_t> name = good;
    std::memset(&name[r.tools + 5 * 468 + 29], 'a', 130);
    refused(name, "tool picture name");
    std::vector<uint8_t> slotName = good;
    std::memset(&slotName[r.slots + 3 * 220 + 66], 'b', 128);
    refused(slotName, "slot name");
    std::vector<uint8_t> actor = good;
    std::memcpy(&actor[r.actors + 6900], "\0\x10\0\0", 4);  // path index 4096
    refused(actor, "actor");
    std::vector<uint8_t> nan = good;
    std::memcpy(&nan[r.actors + 8], "\0\0\xC0\x7F", 4);  // NaN position
    refused(nan, "actor position");
    EXPECT_FALSE(LoadGame("saves/missing.sav"));
    EXPECT_NE(CurrentNotice().find("missing.sav"), std::string::npos);

    // Names that reach out of the game folder (saves pass between players): a tool's
    // picture, a sound slot's and an animation slot's, each one the loaders would open.
    // Files are waiting beside the game folder; none of them is opened.
    const std::string away = "outside-" + std::to_string(::getpid());
    const fs::path outside = fs::current_path().parent_path() / away;
    fs::create_directories(outside);
    for (const char* file : {"x.bmp", "x.wav", "x000.tif"}) WriteFile((outside / file).string(), {'B', 'M', 0, 0});
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, outside.c_str(), IN_OPEN), 0);
    struct Field {
        size_t name;
        std::vector<std::pair<size_t, uint8_t>> loaded;  // the bytes that make the loaders open it
        const char* file;
    };
    const size_t tool = r.tools + 5 * 468, sound = r.sounds + 5 * 152, slot = r.slots + 5 * 220;
    const Field fields[] = {{tool + 29, {{tool + 28, 1}}, "x.bmp"},
                            {sound + 16, {{sound + 1, 1}}, "x.wav"},
                            {slot + 66, {{slot + 194, 1}, {slot + 28, 1}}, "x000.tif"}};
    for (const Field& f : fields)
        for (const std::string& name :
             {(outside / f.file).string(), "../" + away + "/" + f.file, std::string("C:/") + f.file,
              "gfx\\..\\..\\" + away + "\\" + f.file, std::string("/etc/passwd")}) {
            std::vector<uint8_t> b = good;
            for (const auto& [at, value] : f.loaded) b[at] = value;
            std::memset(&b[f.name], 0, 128);
            std::memcpy(&b[f.name], name.data(), name.size());
            refused(b, name.c_str());
        }
    char events[4096];
    EXPECT_LE(read(watch, events, sizeof events), 0) << "a file outside the game folder was opened";
    close(watch);
    fs::remove_all(outside);
}

TEST_F(SavesTest, ScriptValuesOutsideTheEnginesOwnComeBackAsTheyWere) {
    ASSERT_TRUE(SaveGame("saves/base.sav"));
    const std::vector<uint8_t> base = ReadFile(Path("base.sav"));
    const Rows r;
    // The sequence step, the notebook page and the verb: values 1, 9 and 11 of the twelve.
    const int32_t patches[3][3] = {{1000, 0, 9}, {-7, 99, 0}, {INT32_MAX, INT32_MIN, -1}};
    for (const auto& p : patches) {
        std::vector<uint8_t> original = base;
        std::memcpy(&original[r.values], &p[0], 4);
        std::memcpy(&original[r.values + 8 * 4], &p[1], 4);
        std::memcpy(&original[r.values + 10 * 4], &p[2], 4);
        WriteFile(Path("original.sav"), original);
        std::string error;
        ASSERT_TRUE(LoadGame("saves/original.sav", &error)) << error;
        ASSERT_TRUE(SaveGame("saves/again.sav"));
        const std::vector<uint8_t> again = ReadFile(Path("again.sav"));
        ASSERT_EQ(again.size(), original.size());
        EXPECT_EQ(0, std::memcmp(&again[r.values], &original[r.values], 48)) << p[0];
        // The game plays on with them: a click on the room, the toolbar open and shut.
        game.Click(450, 480);
        game.Click(400, 200, "right");
        game.Frames(20);
        game.Click(400, 200, "right");
        game.Frames(20);
        EXPECT_EQ(loop.currentScene, 0);
    }
    // The largest step a save may carry, stepped on, wraps (the sanitizer build checks the sum).
    scriptValues.DIALOG = INT32_MAX;
    NextStep();
    EXPECT_EQ(scriptValues.DIALOG, INT32_MIN);
}

TEST_F(SavesTest, NothingIsSavedDuringAVideoOrBeforeAGame) {
    loop.playMode = 2;
    EXPECT_FALSE(SaveGame("saves/v.sav"));
    QuickSave();
    AutoSave();
    EXPECT_EQ(std::tuple(fs::exists(Path("v.sav")), fs::exists(Path("quick.sav"))), std::tuple(false, false));
    loop.playMode = 0;
    // The toolbar open while saving: the save holds it closed, and it closes.
    interaction.DRAWTOOLBAR = 1;
    toolbarTables.STARTTOOLBAR = 1;
    ASSERT_TRUE(SaveGame("saves/bar.sav"));
    EXPECT_EQ(std::tuple(interaction.DRAWTOOLBAR, I32(ReadFile(Path("bar.sav")), Rows{}.values + 16)), std::tuple(0, 0));
    loop.currentScene = -1;
    EXPECT_FALSE(SaveGame("saves/none.sav"));
}

TEST_F(SavesTest, AWriteThatFailsLeavesThePreviousSaveWhole) {
    QuickSave();
    const auto previous = ReadFile(Path("quick.sav"));
    ASSERT_FALSE(previous.empty());
    SetFlagsOf(98, 0x100);
    // The file size limit stops the writer inside the file, as a full disk would: the save
    // fails and says so, and the game goes on (the child's exit tells how it went).
    const pid_t child = fork();
    if (child == 0) {
        FailWritesPastSizeLimit();
        rlimit limit{200000, 200000};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool saved = SaveGame("saves/quick.sav", &error);
        _exit(saved ? 1 : CurrentNotice().find("quick.sav") == std::string::npos ? 2 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFile(Path("quick.sav")), previous);
    for (const auto& e : fs::directory_iterator(saves)) EXPECT_NE(e.path().extension(), ".tmp") << e.path();
    LoadQuickSave();
    EXPECT_EQ(TestFlagsOf(98, 0x100), 0u);
}

TEST_F(SavesTest, AutomaticSavesAreWrittenInOrderBeforeAnythingReadsThem) {
    // Saves handed to the writer thread one after another: the load reads the last.
    for (uint32_t state : {1u, 2u, 3u}) {
        SetStateOf(131, state);
        AutoSave();
    }
    SetStateOf(131, 9);
    LoadAutoSave();
    EXPECT_EQ(gameState.sceneState[131], 3u);
    // A save of the same file made while an automatic one waits: the later one stays.
    AutoSave();
    SetStateOf(131, 4);
    ASSERT_TRUE(SaveGame("saves/auto.sav"));
    ASSERT_TRUE(LoadGame("saves/auto.sav"));
    EXPECT_EQ(gameState.sceneState[131], 4u);
    // A write that fails on the writer thread is said on the next frame.
    WriteFile(Path("blocked"), {1});
    SetSavesDirectory(Path("blocked") + "/saves");
    AutoSave();
    FinishSaves();
    EXPECT_NE(CurrentNotice().find("Игра не сохранена: не удалось записать"), std::string::npos) << CurrentNotice();
    SetSavesDirectory(saves);
}

TEST_F(SavesTest, TheListIsSortedAndTakesAnyFileName) {
    for (const char* name : {"quick.sav", "b.sav", "auto.sav", "A.SAV", "notes.txt", "\xff\xfe.sav"})
        WriteFile(Path(name), {1, 2, 3});
    menuTables.saveList.selected = 1;
    ListSaves();
    ASSERT_EQ(menuTables.saveList.names.size(), 5u);
    EXPECT_EQ(std::tuple(menuTables.saveList.names[0], menuTables.saveList.names[1], menuTables.saveList.names[4], menuTables.saveNameBuffer),
              std::tuple("A.SAV", "auto.sav", "\xff\xfe.sav", "saves\\auto.sav"));
    for (int i = 0; i < 130; ++i) WriteFile(Path("n" + std::to_string(1000 + i) + ".sav"), {0});
    ListSaves();
    EXPECT_EQ(menuTables.saveList.names.size(), 128u);
}

TEST_F(SavesTest, TypedNamesTakeEightSafeCharactersAndKeepThePrefix) {
    menuTables.menuInputState = 2;
    menuTables.saveNameBuffer = kSaveNamePrefix;
    for (int ch : std::initializer_list<int>{'a', 0xC0, '/', '\\', ':', '*', '?', '"', '<', '>', '|', 0x7F, 13, '1', '2', '3', '4', '5', '6', '7', '8'})
        TypeSaveNameChar(ch);
    EXPECT_EQ(menuTables.saveNameBuffer, "saves\\aА123456");  // the eighth character stops the name
    TypeSaveNameChar(8);
    TypeSaveNameChar(8);
    EXPECT_EQ(menuTables.saveNameBuffer, "saves\\aА1234");
    for (int i = 0; i < 20; ++i) TypeSaveNameChar(8);
    EXPECT_EQ(menuTables.saveNameBuffer, "saves\\");
    TypeSaveNameChar(0xE4);  // д
    ASSERT_TRUE(SaveGame(menuTables.saveNameBuffer + ".sav"));
    EXPECT_TRUE(fs::exists(Path("д.sav")));
    menuTables.menuInputState = 0;
    TypeSaveNameChar('x');  // only while a name is typed
    EXPECT_EQ(menuTables.saveNameBuffer, "saves\\д");
}

TEST(Thumbnail, FourByFourAveragesAtEveryDepth) {
    for (int depth : {32, 16, 15}) {
        Surface* s = CreateSurface(800, 600, depth);
        ASSERT_NE(s, nullptr);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                SetPixel(*s, x, y, PackRgb(depth, static_cast<uint8_t>(x & 0xF8), static_cast<uint8_t>((y * 4) & 0xFC), 200));
        const auto t = MakeThumbnail(s->pixels.data(), s->pitch, depth);
        ASSERT_EQ(t.size(), kThumbnailBytes);
        // Pixel (10, 20): x 40..43 share red 40; y 80..83 give green 64, 68, 72, 76.
        const uint8_t* p = &t[(20 * 200 + 10) * 4];
        EXPECT_EQ(p[2], 40) << depth;
        EXPECT_EQ(p[1], depth == 15 ? 68 : 70) << depth;  // 15 bits keep five of green's eight
        EXPECT_NEAR(p[0], 200, 8) << depth;
        ReleaseSurface(s);
    }
}

class SaveRuns : public test::DemoPlayTest {};

TEST_F(SaveRuns, QuittingRightAfterAnAutomaticSaveLeavesItWhole) {
    // The new game's automatic save is handed to the writer thread; the run ends at once.
    Play("--scene 0", 1, {});
    const auto bytes = ReadFile(dir + "/saves/auto.sav");
    std::string why;
    EXPECT_TRUE(CheckSave(bytes.data(), bytes.size(), why)) << why;
}

TEST_F(SaveRuns, QuickSaveThenLoadFromTheCommandLineAndTheTool) {
    Line("20 pointer 90 314");
    Line("20 press left");
    Line("21 release left");
    Line("30 key F5");
    Play("--scene 0 --give 62 --flag 98:2", 70, {});
    const std::string save = dir + "/saves/quick.sav";
    ASSERT_TRUE(fs::exists(save));
    ASSERT_TRUE(fs::exists(dir + "/saves/auto.sav"));

    // The tool reads it as the engine does.
    const std::string out = dir + "/save.json";
    const std::string png = dir + "/thumb.png";
    ASSERT_EQ(std::system((std::string(TARVEX_BINARY_DIR) + "/tarvex-tool save " + save + " --thumbnail " + png + " >" +
                           out).c_str()),
              0);
    const auto j = test::ReadJson(out);
    EXPECT_EQ(std::tuple(j["thumbnail"], j["currentScene"], j["sceneFlags"]["98"], j["inventory"]),
              std::tuple(true, 0, 2, nlohmann::json::array({62})));
    EXPECT_GE(j["actors"][0]["model"].get<int>(), 0);  // the model table's index
    EXPECT_EQ(j["regions"], 3);  // the compiled landing's two and the demo script's way back
    const auto thumb = test::ReadPicture(png);
    EXPECT_TRUE(thumb.ok && thumb.width == 200 && thumb.height == 150);

    // Started from it, the game is where it was.
    replay.clear();
    Play("--load " + save, 40, {3, 35});
    const auto loaded = Dump(3);
    EXPECT_EQ(std::tuple(loaded["menuActive"], loaded["currentScene"], loaded["inventory"]),
              std::tuple(0, 0, nlohmann::json::array({62})));
    // The pending action came with it: the panel speaks as the hero gets there.
    EXPECT_EQ(Dump(35)["subtitle"]["text"], "Код уже введён.");

    // A refused file leaves the menu open and says why.
    WriteFile(dir + "/broken.sav", {1, 2, 3});
    Play("--load " + dir + "/broken.sav", 5, {3});
    EXPECT_EQ(Dump(3)["menuActive"], 1);
    std::ifstream log(dir + "/log.txt");
    const std::string said{std::istreambuf_iterator<char>(log), {}};
    EXPECT_NE(said.find("broken.sav"), std::string::npos);
    EXPECT_NE(std::system((std::string(TARVEX_BINARY_DIR) + "/tarvex-tool save " + dir + "/broken.sav >" + out).c_str()), 0);
    EXPECT_TRUE(test::ReadJson(out).contains("error"));
}

}  // namespace
}  // namespace tarvex
