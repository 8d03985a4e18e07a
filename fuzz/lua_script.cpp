// libFuzzer target: a scene script of the game folder, entered as the scene switch enters
// a scene (the file's top level, init, load) and run for a few frames with the pointer
// moving and the button pressed, inside the sandbox. An input whose first byte is even is
// the script's text as it stands; an odd one is read as a list of calls of the engine's
// functions with arguments from a table of edge values (numbers at and past the tables'
// ends, non-numbers, paths out of the game folder), since random text seldom gets past
// Lua's parser. There is no display: the services that draw find none and draw nothing.
// Whatever the script does, it ends, and no Lua state outlives the scene.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "base/globals.h"
#include "shell/game_tables.h"
#include "scripts/lua_scene.h"
#include "scripts/scene_dispatch.h"

namespace {

constexpr int kScene = 23;

// A scratch game folder of its own, current while an input runs (libFuzzer writes its
// corpus relative to the folder it was started in).
char scratch[] = "/tmp/tarvex-fuzz-lua-XXXXXX";
char started[4096];

void RemoveScratch() {
    const std::string folder = scratch;
    std::remove((folder + "/scripts/scene023.lua").c_str());
    rmdir((folder + "/scripts").c_str());
    rmdir(scratch);
}

bool Prepare() {
    if (!getcwd(started, sizeof started) || !mkdtemp(scratch) || chdir(scratch) != 0) std::abort();
    if (mkdir("scripts", 0700) != 0 || chdir(started) != 0) std::abort();
    std::atexit(RemoveScratch);
    tarvex::SetScriptMessageSink([](const std::string&) {});
    tarvex::ScriptLimits limits;
    limits.instructions = 200000;
    limits.memoryBytes = 4u << 20;
    limits.milliseconds = 250;
    tarvex::SetScriptLimits(limits);
    return true;
}

struct Function {
    const char* name;
    int arguments;
};
const Function kFunctions[] = {
    {"DefineRegion", 10}, {"PlaceTool", 6}, {"PlaceToolPicture", 10}, {"SetToolOwnership", 3},
    {"HideToolRange", 2}, {"ShowToolRange", 2}, {"ResolvePointer", 0}, {"WalkToRegion", 0},
    {"ClickSequence", 0}, {"TakeArrivedAction", 0}, {"HandleClick", 0}, {"HeroHasArrived", 0},
    {"WalkTo", 4}, {"TurnToFinalHeading", 1}, {"LoadActor", 5}, {"AttachActor", 3}, {"UpdateActor", 1},
    {"RunActors", 0}, {"CreateHero", 5}, {"GetMotion", 1}, {"SetMotion", 2}, {"GetPosition", 1},
    {"SetPosition", 4}, {"GetHeading", 1}, {"SetHeading", 2}, {"Stands", 1}, {"GestureAt", 3},
    {"SetClickable", 6}, {"ScreenToWorld", 2}, {"LoadFrameSequence", 12}, {"PlayAnimation", 3},
    {"AnimationAtEnd", 1}, {"AnimationAtStart", 1}, {"PlayAnimationEvery", 3}, {"ShowSlot", 2},
    {"LoadSound", 2}, {"PlaySlot", 4}, {"RestartSlot", 4}, {"IsSlotPlaying", 1}, {"StopSlot", 1},
    {"PlayResponse", 1}, {"PlayDialogLine", 1}, {"PollDialogChoice", 2}, {"PlayVideo", 1},
    {"IsVideoPlaying", 0}, {"FadeIn", 0}, {"FadeOut", 0}, {"FadeStep", 0}, {"SetHeroFootsteps", 0},
    {"LoadStepAndTurnSounds", 0}, {"StartAmbient", 1}, {"SetShadow", 5}, {"LoadWalkMask", 1},
    {"SetState", 1}, {"SetStateOf", 2}, {"GetState", 0}, {"GetStateOf", 1}, {"SetFlags", 1},
    {"TestFlags", 1}, {"ClearFlags", 1}, {"SetFlagsOf", 2}, {"TestFlagsOf", 2}, {"ClearFlagsOf", 2},
    {"GotoScene", 1}, {"CurrentScene", 0}, {"PreviousScene", 0}, {"WriteNotebookPage", 1}, {"EndGame", 0},
    {"NextStep", 0}, {"Elapsed", 1}, {"RemarkOver", 0}, {"DefaultRun", 1}, {"CompiledInit", 0},
    {"CompiledLoad", 0}, {"CompiledRun", 0},
    // The sandbox's own library functions.
    {"string.rep", 3}, {"string.find", 4}, {"string.gsub", 3}, {"string.format", 2}, {"table.move", 4},
    {"math.random", 2}, {"math.randomseed", 1}, {"collectgarbage", 1}, {"setmetatable", 2}, {"print", 2},
    {"string.gmatch", 2}, {"string.upper", 1}, {"string.byte", 3}, {"string.packsize", 1}, {"table.sort", 2},
    {"table.insert", 3}, {"table.remove", 2}, {"table.concat", 4}, {"utf8.len", 3},
};
const char* const kValues[] = {
    "0", "1", "-1", "2", "3", "4", "8", "10", "12", "16", "17", "29", "35", "39", "63", "64", "127", "128",
    "255", "256", "298", "299", "599", "600", "799", "800", "999", "1000", "1023", "1024", "2047", "2048",
    "10000", "-10000", "32767", "-32768", "65535", "4294967295", "4294967296", "1e300", "-1e300", "0/0",
    "1/0", "-1/0", "1.5", "-0.0", "10.0", "math.maxinteger", "math.mininteger", "true", "false", "nil", "{}",
    "{0, 131, 75}", "{1e9}", "'x'", "''", "'models/gorin.md'", "'Bip01 Neck'", "'animgfx/scene000/Door000.Tif'",
    "'sound/scene000/Lift_open.wav'", "'../x'", "'/etc/passwd'", "'a\\\\..\\\\b'", "'c:/x'", "('a'):rep(200)",
    "'%a+'", "'(.-)%1'", "'[%'", "('a?'):rep(300)", "setmetatable({}, {__len = function() return 1 << 62 end})",
    "Game.EXE", "Game.pointerX", "Game.seconds", "HERO", "NONE", "NO_HEADING",
    "CURSOR_USE", "VERB_TAKE", "print", "{__gc = print}", "setmetatable({}, {__index = function() return 1 end})",
};
const char* const kFields[] = {
    "EXE", "LeftKey", "heldTool", "cursorPicture", "verb", "DIALOG", "sequenceClock", "toolUnderPointer",
    "regionUnderPointer", "actorUnderPointer", "pointerX", "pointerY", "leftButton", "freshPress",
    "subtitleTimer", "seconds", "scene", "previousScene", "nothing",
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    unsigned Next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// One statement: a call (most often with its own number of arguments, wrapped in pcall
// or not), an assignment to or a read of `Game`, or a loop that spends the budget.
std::string Statement(Reader& r) {
    const unsigned kind = r.Next();
    if (kind < 200) {
        const Function& f = kFunctions[kind % std::size(kFunctions)];
        const unsigned shape = r.Next();
        int count = f.arguments;
        if (shape % 8 == 0) count = static_cast<int>(r.Next() % 13);
        std::string call = f.name;
        call += "(";
        for (int i = 0; i < count; ++i) call += std::string(i ? ", " : "") + kValues[r.Next() % std::size(kValues)];
        call += ")";
        if (shape % 3 == 0) return call + "\n";
        return "pcall(function() return " + call + " end)\n";
    }
    if (kind < 230) {
        const char* field = kFields[r.Next() % std::size(kFields)];
        const char* value = kValues[r.Next() % std::size(kValues)];
        return kind % 2 ? std::string("pcall(function() Game.") + field + " = " + value + " end)\n"
                        : std::string("local v = Game.") + field + "\n";
    }
    if (kind < 250) return "for i = 1, " + std::to_string(r.Next() * 50) + " do end\n";
    return "while true do end\n";
}

std::string GeneratedScript(Reader& r) {
    std::string text;
    const char* const parts[] = {"", "function init()\n", "function load()\n", "function run()\n"};
    for (const char* part : parts) {
        text += part;
        const unsigned statements = r.Next() % 8;
        for (unsigned i = 0; i < statements && r.More(); ++i) text += Statement(r);
        if (*part) text += "end\n";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = Prepare();
    (void)ready;
    using namespace tarvex;
    if (size == 0) return 0;
    std::string text;
    if (data[0] % 2 == 0) {
        text.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    } else {
        Reader r(data + 1, size - 1);
        text = GeneratedScript(r);
    }
    if (chdir(scratch) != 0) std::abort();
    if (std::FILE* f = std::fopen("scripts/scene023.lua", "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    ResetAllTables();
    loop.currentScene = kScene;
    InitScene();
    LoadScene();
    if (OpenLuaStates() > 1) std::abort();
    for (int frame = 0; frame < 4 && loop.currentScene != -1; ++frame) {
        pointer.cursorX = 100 + 150 * frame;
        pointer.cursorY = 80 + 120 * frame;
        pointer.mouseState.buttons[0] = frame % 2 ? 0x80 : 0;
        RunScene();
        // A scene asked for takes effect only after the frame: the scene stays.
        if (loop.currentScene != -1) loop.currentScene = kScene;
    }
    if (loop.currentScene == -1 && OpenLuaStates() != 0) std::abort();  // the game ended
    ResetSceneFunctions();
    if (OpenLuaStates() != 0) std::abort();
    if (chdir(started) != 0) std::abort();
    return 0;
}
