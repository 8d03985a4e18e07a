#include "scripts/lua_scene.h"

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "base/globals.h"
#include "base/scene_request.h"
#include "resources/game_file.h"
#include "scripts/lua_api.h"
#include "scripts/lua_sandbox.h"
#include "scripts/scene_dispatch.h"

namespace tarvex {

namespace {

constexpr size_t kMaxScriptBytes = 1u << 20;
constexpr const char* kCallNames[] = {"init", "load", "run"};

struct SceneScript {
    Sandbox box;
    lua_State* L = nullptr;
    int scene = -1;
};

std::unique_ptr<SceneScript> script;   // the script of this visit
std::vector<std::unique_ptr<SceneScript>> retired;  // closed once no call runs any more
int callDepth = 0;
int openStates = 0;
ScriptLimits limits;
std::function<void(const std::string&)> sink;
void (*endOfGameMenu)() = nullptr;
std::vector<std::string>* printCapture = nullptr;

void Emit(const std::string& line) {
    if (sink)
        sink(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}

void Release(std::unique_ptr<SceneScript>& s) {
    if (!s) return;
    lua_close(s->L);
    --openStates;
    s.reset();
}

// The file's top level: the engine's functions first, then the chunk, text only.
int StartChunk(lua_State* L) {
    const char* text = static_cast<const char*>(lua_touserdata(L, 1));
    const size_t length = static_cast<size_t>(lua_tointeger(L, 2));
    InstallSceneApi(L);
    lua_pushfstring(L, "@%s", SandboxOf(L).file.c_str());
    if (luaL_loadbufferx(L, text, length, lua_tostring(L, -1), "t") != LUA_OK) return lua_error(L);
    lua_call(L, 0, 0);
    return 0;
}

// One of init, load and run when the script defines it; false when it does not.
int CallEntry(lua_State* L) {
    lua_pushglobaltable(L);
    lua_pushstring(L, kCallNames[lua_tointeger(L, 2)]);
    if (lua_rawget(L, -2) == LUA_TNIL) {
        lua_pushboolean(L, 0);
        return 1;
    }
    lua_call(L, 0, 0);
    lua_pushboolean(L, 1);
    return 1;
}

void Report(const std::string& file, const std::string& message, const char* where) {
    // Messages with a place start with the file; the others get it. A message is a line
    // of print's length at most (an error can carry a string of megabytes).
    std::string text = message.rfind(file, 0) == 0 ? message : file + ": " + message;
    if (text.size() > kPrintLineBytes) text = text.substr(0, kPrintLineBytes) + "...";
    ReportScriptLine("tarvex: " + text + " (" + where + "); the scene's compiled-in functions take over for this visit");
}

// The game is over: the menu over the last picture, with no game to go back to. A fade
// under way has no scene left to go to: the picture is at full brightness again.
void EndTheGame() {
    CloseSceneScript();
    TakeDeferredScene();
    if (endOfGameMenu) endOfGameMenu();
    loop.currentScene = -1;
    loop.gameStarted = 0;
    sceneSwitch.fadeState = 0;
    sceneSwitch.pendingScene = -1;
    sceneSwitch.gammaLevel = sceneSwitch.gammaMax;
    FillGammaRamps(sceneSwitch.gammaMax);
    SendGammaRamps();
}

// Once the outermost call into a script has returned: the end of the game it asked for,
// and the states closed while it ran.
void AfterCall() {
    if (callDepth != 0) return;
    if (TakeEndGameRequest()) EndTheGame();
    for (auto& r : retired) Release(r);
    retired.clear();
}

// Runs `f` with `argument` in the script's state under a fresh budget. On failure the
// error is reported and the state closed. Returns the call's boolean result (false
// after a failure).
bool Protected(lua_CFunction f, void* data, lua_Integer argument, const char* where, bool* failed) {
    SceneScript& s = *script;
    lua_State* L = s.L;
    BeginSandboxCall(L);
    lua_pushcfunction(L, ErrorAsText);
    lua_pushcfunction(L, f);
    lua_pushlightuserdata(L, data);
    lua_pushinteger(L, argument);
    ++callDepth;
    const int status = lua_pcall(L, 2, 1, 1);
    --callDepth;
    bool result = false;
    if (status == LUA_OK) {
        result = lua_toboolean(L, -1);
    } else {
        std::string message = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "unknown error";
        if (status == LUA_ERRMEM) {
            const std::string place = s.box.lastLine > 0 ? ":" + std::to_string(s.box.lastLine) : "";
            message = s.box.file + place + ": not enough memory (the cap is " +
                      std::to_string(s.box.limits.memoryBytes >> 10) + " KiB)";
        }
        Report(s.box.file, message, where);
    }
    lua_settop(L, 0);
    if (failed) *failed = status != LUA_OK;
    if (status != LUA_OK && script.get() == &s) CloseSceneScript();
    AfterCall();
    return result;
}

}  // namespace

void OpenSceneScript(int scene) {
    CloseSceneScript();
    TakeDeferredScene();  // a change asked for in an earlier visit went with it
    if (scene < 0 || scene >= kSceneCount) return;
    char path[32];
    std::snprintf(path, sizeof path, "scripts/scene%03d.lua", scene);
    std::vector<uint8_t> bytes;
    // The size comes from the file system or the package directory: a larger file is not read.
    const GameFileRead read = ReadWholeGameFile(path, bytes, kMaxScriptBytes);
    if (read == GameFileRead::Missing) return;
    if (read == GameFileRead::TooLarge) {
        Report(path, "the file is larger than 1 MiB", "not read");
        return;
    }
    OpenSceneScriptText(scene, path, std::string(bytes.begin(), bytes.end()));
}

void OpenSceneScriptText(int scene, const std::string& file, const std::string& text) {
    CloseSceneScript();
    auto s = std::make_unique<SceneScript>();
    s->box.limits = limits;
    s->box.file = file;
    s->box.scene = scene;
    s->scene = scene;
    BeginSceneScriptVisit();
    s->L = NewSandboxState(s->box);
    if (!s->L) {
        Report(file, "the script's state does not fit its memory cap", "not started");
        return;
    }
    ++openStates;
    script = std::move(s);
    // The text stays alive for the whole call: the chunk reads it through the pointer.
    std::string chunk = text;
    Protected(StartChunk, chunk.data(), static_cast<lua_Integer>(chunk.size()), "top level", nullptr);
}

bool CallSceneScript(int scene, SceneCall call) {
    if (script && script->scene != scene && callDepth == 0) CloseSceneScript();
    if (!script || script->scene != scene) return false;
    const int index = static_cast<int>(call);
    bool failed = false;
    const bool defined = Protected(CallEntry, nullptr, index, kCallNames[index], &failed);
    return defined || failed;
}

void CloseSceneScript() {
    if (!script) return;
    if (callDepth > 0) {
        // A call into this state is still on the C stack: close it when that returns.
        retired.push_back(std::move(script));
        return;
    }
    Release(script);
}

int OpenLuaStates() { return openStates; }
int ScriptedScene() { return script ? script->scene : -1; }

ScriptLimits CurrentScriptLimits() { return limits; }
void SetScriptLimits(const ScriptLimits& l) { limits = l; }
void SetScriptMessageSink(std::function<void(const std::string&)> s) { sink = std::move(s); }

void SetEndOfGameMenu(void (*openMenu)()) { endOfGameMenu = openMenu; }

void ReportScriptLine(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    if (sink) sink(line);
}

void SandboxPrint(const Sandbox& box, const char* text, size_t length) {
    if (printCapture)
        printCapture->emplace_back(text, length);
    else
        Emit(box.file + ": " + std::string(text, length));
}

lua_State* SceneScriptState() { return script ? script->L : nullptr; }

void RunAsScriptCall(const std::function<void()>& call) {
    ++callDepth;
    call();
    --callDepth;
    AfterCall();
}

void SetPrintCapture(std::vector<std::string>* lines) { printCapture = lines; }

}  // namespace tarvex
