#include "workbench/script_reload.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "base/globals.h"
#include "base/registry.h"
#include "base/scene_request.h"
#include "interaction/pointer.h"
#include "model/actor.h"
#include "platform/timers.h"
#include "resources/file_lookup.h"
#include "resources/game_file.h"
#include "scene/scene_load.h"
#include "scripts/lua_scene.h"
#include "scripts/scene_dispatch.h"

namespace tarvex {

namespace {

constexpr double kCheckSeconds = 0.25;

// What the file system says of the file: a change of any of it is a change of the file.
struct FileStamp {
    bool exists = false;
    uint64_t device = 0, inode = 0;
    int64_t size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

struct ScriptWatch {
    int scene = -1;     // the scene whose file is watched
    std::string path;   // the loose file as found, else its own name
    FileStamp stamp;
    double nextCheck = 0;
    bool changed = false;
    bool asked = false;
    int reloads = 0;
};
ScriptWatch watch;

FileStamp StampOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return FileStamp{true, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), st.st_size,
                     st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

std::string ScriptName(int scene) {
    char name[32];
    std::snprintf(name, sizeof name, "scripts/scene%03d.lua", scene);
    return name;
}

bool Playing(int scene) { return scene >= 0 && scene < kSceneCount; }

// The scene's file from now on: found whatever the case of its name, and as it is now.
void Watch(int scene) {
    watch.scene = scene;
    watch.changed = false;
    if (!Playing(scene)) return;
    const std::string name = ScriptName(scene);
    const std::string found = ResolveLoosePath(name);
    watch.path = found.empty() ? name : found;
    watch.stamp = StampOf(watch.path);
}

// The scene entered again where it stands: the tables a scene switch clears, then the
// files, init and load, as an entry does, with the hero put back in his place.
void EnterSceneAgain() {
    const int scene = loop.currentScene;
    const ActorRecord& hero = actorTable.actors[kHero];
    if (hero.inUse) SetRestoredHeroPlace(hero.position, hero.heading);
    KillAllWindowTimers();
    SceneResetOwners();
    sceneSwitch.fadeState = 0;  // no fade: the picture stays up
    LoadSceneFiles();
    InitScene();
    LoadScene();
    ClearRestoredHeroPlace();
    RestartFrameRateWindow();
    ++watch.reloads;
    const std::string name = ScriptName(scene);
    std::string line = "tarvex: scene " + std::to_string(scene) + " entered again ";
    if (LocateGameFile(name) == GameFileSource::Missing)
        line += "without a script (no " + name + "): its compiled-in functions run";
    else if (ScriptedScene() == scene)
        line += "with " + name;
    else
        line += "but " + name + " failed: its compiled-in functions run";
    ReportScriptLine(line);
    Watch(loop.currentScene);
}

}  // namespace

bool ReloadSceneScript() {
    if (!Playing(loop.currentScene)) return false;
    watch.asked = true;
    return true;
}

void WatchSceneScript() {
    if (loop.currentScene != watch.scene) Watch(loop.currentScene);
    if (!Playing(loop.currentScene)) {
        watch.asked = false;
        return;
    }
    const double now = ClockSeconds();
    if (now >= watch.nextCheck || now < watch.nextCheck - kCheckSeconds) {
        watch.nextCheck = now + kCheckSeconds;
        if (StampOf(watch.path) != watch.stamp) watch.changed = true;
    }
    if (!watch.changed && !watch.asked) return;
    if (loop.menuActive || sceneSwitch.fadeState != 0 || loop.playMode != 0) return;
    watch.asked = false;
    EnterSceneAgain();
}

int SceneScriptReloads() { return watch.reloads; }

void ResetScriptWatch() { watch = ScriptWatch{}; }

}  // namespace tarvex
