#include "workbench/console_commands.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/display_values.h"
#include "base/globals.h"
#include "base/registry.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "menu/saved_games.h"
#include "model/actor.h"
#include "platform/display.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "scripts/lua_api.h"
#include "scripts/scene_dispatch.h"
#include "workbench/console.h"
#include "workbench/overlays.h"
#include "workbench/script_reload.h"
#include "workbench/workbench.h"

namespace tarvex {

namespace {

using Values = std::vector<ConsoleValue>;

// The arguments of one command; the first failure is kept in `error`.
class Args {
public:
    Args(const Values& values, std::string& error) : values_(values), error_(error) {}
    bool Count(size_t least, size_t most) {
        if (values_.size() >= least && values_.size() <= most) return true;
        return Fail(least == most ? "takes " + std::to_string(least) + " argument" + (least == 1 ? "" : "s")
                                  : "takes " + std::to_string(least) + " to " + std::to_string(most) + " arguments");
    }
    bool Has(size_t i) const { return i < values_.size() && values_[i].kind != ConsoleValue::Kind::Nil; }
    bool Int(size_t i, const char* name, int64_t low, int64_t high, int64_t& out) {
        const ConsoleValue* v = i < values_.size() ? &values_[i] : nullptr;
        const bool integral = v && (v->kind == ConsoleValue::Kind::Integer ||
                                    (v->kind == ConsoleValue::Kind::Number && std::floor(v->number) == v->number &&
                                     std::fabs(v->number) < 9e15));
        out = !integral ? 0 : v->kind == ConsoleValue::Kind::Integer ? v->integer : static_cast<int64_t>(v->number);
        if (integral && out >= low && out <= high) return true;
        return Fail(std::string(name) + " must be an integer " + std::to_string(low) + ".." + std::to_string(high));
    }
    bool Number(size_t i, const char* name, double& out) {
        if (i < values_.size() && values_[i].IsNumber() && std::isfinite(values_[i].AsNumber())) {
            out = values_[i].AsNumber();
            return true;
        }
        return Fail(std::string(name) + " must be a number");
    }
    bool Text(size_t i, const char* name, std::string& out) {
        if (i < values_.size() && values_[i].kind == ConsoleValue::Kind::String) {
            out = values_[i].text;
            return true;
        }
        return Fail(std::string(name) + " must be a string");
    }
    bool Fail(const std::string& why) {
        if (error_.empty()) error_ = why;
        return false;
    }

private:
    const Values& values_;
    std::string& error_;
};

bool InGame(std::string& error) {
    if (loop.currentScene >= 0 && !loop.menuActive) return true;
    error = "no scene is played";
    return false;
}

std::string Format(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string NumberText(double v) {
    return std::floor(v) == v && std::fabs(v) < 1e15 ? std::to_string(static_cast<long long>(v)) : Format("%.3f", v);
}

// scene(n): the current scene leaves for n at the end of its next frame, with the fade.
bool SceneCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    int64_t scene = 0;
    if (!a.Count(1, 1) || !a.Int(0, "scene", 0, kSceneCount - 1, scene) || !InGame(error)) return false;
    DeferSceneRequest(static_cast<int>(scene));
    result = ConsoleValue::Text("leaving for scene " + std::to_string(scene));
    return true;
}

bool Ownership(const Values& v, std::string& error, int inInventory) {
    Args a(v, error);
    int64_t tool = 0;
    if (!a.Count(1, 1) || !a.Int(0, "tool", 0, kGameToolCount - 1, tool)) return false;
    SetToolOwnership(static_cast<int>(tool), inInventory, 0);
    return true;
}
bool GiveCommand(const Values& v, ConsoleValue&, std::string& error) { return Ownership(v, error, 1); }
bool DropCommand(const Values& v, ConsoleValue&, std::string& error) { return Ownership(v, error, 0); }

// flag(scene [, mask]) and unflag(scene, mask); with no mask, flag gives the scene's flags.
bool FlagCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    int64_t scene = 0, mask = 0;
    if (!a.Count(1, 2) || !a.Int(0, "scene", 0, kSceneCount - 1, scene)) return false;
    if (a.Has(1)) {
        if (!a.Int(1, "mask", 0, UINT32_MAX, mask)) return false;
        SetFlagsOf(static_cast<int>(scene), static_cast<uint32_t>(mask));
    }
    result = ConsoleValue::Int(TestFlagsOf(static_cast<int>(scene), UINT32_MAX));
    return true;
}
bool UnflagCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    int64_t scene = 0, mask = 0;
    if (!a.Count(2, 2) || !a.Int(0, "scene", 0, kSceneCount - 1, scene) || !a.Int(1, "mask", 0, UINT32_MAX, mask))
        return false;
    ClearFlagsOf(static_cast<int>(scene), static_cast<uint32_t>(mask));
    result = ConsoleValue::Int(TestFlagsOf(static_cast<int>(scene), UINT32_MAX));
    return true;
}
bool StateCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    int64_t scene = 0, value = 0;
    if (!a.Count(1, 2) || !a.Int(0, "scene", 0, kSceneCount - 1, scene)) return false;
    if (a.Has(1)) {
        if (!a.Int(1, "value", 0, UINT32_MAX, value)) return false;
        SetStateOf(static_cast<int>(scene), static_cast<uint32_t>(value));
    }
    result = ConsoleValue::Int(GetStateOf(static_cast<int>(scene)));
    return true;
}

// hero(x, y): the hero stands on the floor under the screen point, as a click finds it.
bool HeroCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    int64_t x = 0, y = 0;
    if (!a.Count(2, 2) || !a.Int(0, "x", 0, kScreenWidth - 1, x) || !a.Int(1, "y", 0, kScreenHeight - 1, y) ||
        !InGame(error))
        return false;
    ActorRecord& hero = actorTable.actors[kHero];
    if (!hero.inUse) return a.Fail("this scene has no hero");
    if (!HasFloor(static_cast<int>(x), static_cast<int>(y))) return a.Fail("no floor at that point");
    const Vec3 p = ScreenToWorld(static_cast<int>(x), static_cast<int>(y),
                                 FloorDepthAt(static_cast<int>(x), static_cast<int>(y)));
    hero.position = hero.waypoint = hero.destination = p;
    hero.walking = 0;
    hero.walkRequest = 0;
    hero.path.pathLength = 0;
    result = ConsoleValue::Text(Format("hero at %.2f, %.2f, %.2f", p.x, p.y, p.z));
    return true;
}

// The region and the tool the pointer resolution would find at a point (the last one wins).
int RegionAt(int x, int y) {
    int found = -1;
    for (int i = 0; i < kActionRegionCount; ++i) {
        const ActionRegion& r = interaction.actionRegions[i];
        if (r.scene == loop.currentScene && r.enabled && x > r.left && x < r.right && y > r.top && y < r.bottom) found = i;
    }
    return found;
}
int ToolAt(int x, int y) {
    int found = -1;
    for (int n = 0; n < kGameToolCount; ++n) {
        const ToolRecord& t = interaction.ToolTable[n];
        if (t.scene != loop.currentScene || t.inInventory || !t.clickable) continue;
        if (x > t.x + t.offsetX && x < t.right && y > t.y + t.offsetY && y < t.bottom) found = n;
    }
    return found;
}

bool WhereCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0) || !InGame(error)) return false;
    const int x = pointer.cursorX, y = pointer.cursorY;
    std::string text = Format("pointer %d, %d", x, y);
    if (HasFloor(x, y)) {
        const float d = FloorDepthAt(x, y);
        const Vec3 p = ScreenToWorld(x, y, d);
        text += Format("; floor %.2f, %.2f, %.2f at depth %.4f", p.x, p.y, p.z, d);
    } else {
        text += "; no floor";
    }
    text += MaskAtScreen(x, y) == 0 ? "; walkable" : "; not walkable";
    const int region = RegionAt(x, y);
    if (region >= 0)
        text += Format("\nregion %d (action %d, cursor %d, walk to %d, %d)", region,
                       interaction.actionRegions[region].action, interaction.actionRegions[region].cursor,
                       interaction.actionRegions[region].walkX, interaction.actionRegions[region].walkY);
    else
        text += "\nno region";
    const int tool = ToolAt(x, y);
    text += tool >= 0 ? Format("; tool %d", tool) : std::string("; no tool");
    const int actor = interaction.actorUnderPointer;
    text += actor >= 0 && actor < kActorCount ? Format("; actor %d", actor) : std::string("; no actor");
    result = ConsoleValue::Text(text);
    return true;
}

// The rows of a table view: listed rows with their fields, or one row's every field.
std::string ShowRow(const TableView& view, int row) {
    std::string text = std::to_string(row) + ":";
    for (const TableField& f : view.fields) text += std::string(" ") + f.name + "=" + NumberText(f.get(row));
    if (view.label && view.label(row)[0]) text += std::string(" \"") + view.label(row) + "\"";
    return text;
}

std::string ShowView(const TableView& view) {
    std::string text;
    int rows = 0;
    for (int row = 0; row < view.rows; ++row) {
        if (view.listed && !view.listed(row)) continue;
        text += (rows++ ? "\n" : "") + ShowRow(view, row);
    }
    return rows ? text : std::string(view.name) + ": no rows in use";
}

bool ShowCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    std::string name;
    if (!a.Count(1, 2) || !a.Text(0, "name", name)) return false;
    const TableView* view = FindTableView(name.c_str());
    if (!view) return a.Fail("no table " + name + " (tables() lists them)");
    int64_t row = 0;
    if (a.Has(1)) {
        if (!a.Int(1, "row", 0, view->rows - 1, row)) return false;
        result = ConsoleValue::Text(ShowRow(*view, static_cast<int>(row)));
    } else {
        result = ConsoleValue::Text(ShowView(*view));
    }
    return true;
}

bool ViewCommand(const char* name, ConsoleValue& result, const Values& v, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0)) return false;
    const TableView* view = FindTableView(name);
    if (!view) return a.Fail(std::string("no table ") + name);
    result = ConsoleValue::Text(ShowView(*view));
    return true;
}
bool RegionsCommand(const Values& v, ConsoleValue& r, std::string& e) { return ViewCommand("regions", r, v, e); }
bool ActorsCommand(const Values& v, ConsoleValue& r, std::string& e) { return ViewCommand("actors", r, v, e); }
bool SlotsCommand(const Values& v, ConsoleValue& r, std::string& e) { return ViewCommand("slots", r, v, e); }
bool SoundsCommand(const Values& v, ConsoleValue& r, std::string& e) { return ViewCommand("sounds", r, v, e); }

bool ToolsCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0)) return false;
    std::string inventory, scene;
    for (int n = 0; n < kGameToolCount; ++n) {
        const ToolRecord& t = interaction.ToolTable[n];
        if (t.inInventory) inventory += " " + std::to_string(n);
        if (!t.inInventory && t.scene == loop.currentScene && loop.currentScene >= 0)
            scene += Format("\n%d: %d, %d - %d, %d%s%s", n, t.x + t.offsetX, t.y + t.offsetY, t.right, t.bottom,
                            t.clickable ? " clickable" : "", t.drawn ? " drawn" : "");
    }
    result = ConsoleValue::Text("inventory:" + (inventory.empty() ? std::string(" none") : inventory) +
                                "\nscene tools:" + (scene.empty() ? std::string(" none") : scene));
    return true;
}

bool TablesCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0)) return false;
    std::string text;
    for (const Owner* owner : Owners()) {
        text += (text.empty() ? "" : "\n") + std::string(owner->name);
        for (size_t i = 0; i < owner->views.size(); ++i)
            text += (i ? ", " : ": ") + std::string(owner->views[i].name);
    }
    result = ConsoleValue::Text(text);
    return true;
}

bool SetCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    std::string name, field;
    int64_t row = 0;
    double value = 0;
    if (!a.Count(4, 4) || !a.Text(0, "name", name)) return false;
    const TableView* view = FindTableView(name.c_str());
    if (!view) return a.Fail("no table " + name);
    if (!a.Int(1, "index", 0, view->rows - 1, row) || !a.Text(2, "field", field) || !a.Number(3, "value", value))
        return false;
    for (const TableField& f : view->fields) {
        if (field != f.name) continue;
        if (!f.set) return a.Fail(field + " is read-only");
        if (value < f.low || value > f.high) return a.Fail(field + " takes " + NumberText(f.low) + ".." + NumberText(f.high));
        f.set(static_cast<int>(row), value);
        const double now = f.get(static_cast<int>(row));
        result = std::floor(now) == now && std::fabs(now) < 9e15 ? ConsoleValue::Int(static_cast<int64_t>(now))
                                                                  : ConsoleValue::Num(now);
        return true;
    }
    return a.Fail("no field " + field + " in " + name);
}

// A save's name: letters, digits, '_' and '-', as a file of the saves folder.
bool SaveName(Args& a, std::string& name) {
    if (!a.Count(1, 1) || !a.Text(0, "name", name)) return false;
    if (name.empty() || name.size() > 32 || name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") != std::string::npos)
        return a.Fail("a name of 1 to 32 letters, digits, _ or -");
    name = std::string(kSaveNamePrefix) + name + ".sav";
    return true;
}

bool SaveCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    std::string name;
    if (!SaveName(a, name) || !InGame(error)) return false;
    // With overlays on, the last frame kept the picture under them as the thumbnail.
    if (displayValues.thumbnailSurface && !WorkbenchDrawsOverPicture())
        ReadBackBufferInto(*displayValues.thumbnailSurface);
    std::string why;
    if (!SaveGame(name, &why)) return a.Fail(why);
    result = ConsoleValue::Text("saved " + SavePath(name));
    return true;
}

bool LoadCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    std::string name;
    if (!SaveName(a, name)) return false;
    std::string why;
    if (!LoadGame(name, &why)) return a.Fail(why);
    result = ConsoleValue::Text("loaded " + SavePath(name));
    return true;
}

bool PauseCommand(const Values& v, ConsoleValue&, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0)) return false;
    if (!ConsoleOpen()) return a.Fail("only while the console is open");
    SetConsolePaused(true);
    return true;
}
bool ResumeCommand(const Values& v, ConsoleValue&, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0)) return false;
    SetConsolePaused(false);
    return true;
}
bool ClearCommand(const Values& v, ConsoleValue&, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0)) return false;
    ClearConsole();
    return true;
}

// The overlays switched on, as one line of names ("none" when none).
std::string OverlaysLine() {
    std::string line;
    for (const std::string& name : OverlaysOn()) line += (line.empty() ? "" : " ") + name;
    return line.empty() ? "none" : line;
}

bool OverlayCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 2)) return false;
    if (a.Has(0)) {
        std::string name;
        if (!a.Text(0, "name", name)) return false;
        bool known = false;
        if (!a.Has(1))
            known = ToggleOverlay(name);
        else if (v[1].kind == ConsoleValue::Kind::Boolean)
            known = SetOverlay(name, v[1].boolean);
        else
            return a.Fail("on must be true or false");
        if (!known) {
            std::string names;
            for (const std::string& n : AllOverlayNames()) names += " " + n;
            return a.Fail("no overlay " + name + "; the overlays:" + names);
        }
    }
    result = ConsoleValue::Text("overlays on: " + OverlaysLine());
    return true;
}

bool ReloadCommand(const Values& v, ConsoleValue& result, std::string& error) {
    Args a(v, error);
    if (!a.Count(0, 0) || !InGame(error)) return false;
    if (!ReloadSceneScript()) return a.Fail("no scene is played");
    result = ConsoleValue::Text("scene " + std::to_string(loop.currentScene) + " is entered again before the next frame");
    return true;
}

const ConsoleCommand kCommands[] = {
    {"scene", SceneCommand, "scene(n): leave for scene n with the usual fade"},
    {"give", GiveCommand, "give(tool): the tool 0..999 into the inventory"},
    {"drop", DropCommand, "drop(tool): the tool out of the inventory"},
    {"flag", FlagCommand, "flag(scene [, mask]): set the scene's flags of the mask; its flags"},
    {"unflag", UnflagCommand, "unflag(scene, mask): clear the scene's flags of the mask; its flags"},
    {"state", StateCommand, "state(scene [, value]): set the scene's state; its state"},
    {"hero", HeroCommand, "hero(x, y): stand the hero on the floor under screen point x, y"},
    {"where", WhereCommand, "where(): the pointer on screen and on the floor, walkable, region, tool, actor"},
    {"regions", RegionsCommand, "regions(): the action regions in use"},
    {"tools", ToolsCommand, "tools(): the inventory and the current scene's tools"},
    {"actors", ActorsCommand, "actors(): the actors in use"},
    {"slots", SlotsCommand, "slots(): the animation slots in use"},
    {"sounds", SoundsCommand, "sounds(): the sound slots in use"},
    {"tables", TablesCommand, "tables(): every owner of the game's tables and its tables"},
    {"show", ShowCommand, "show(name [, row]): a table's rows in use, or one row"},
    {"set", SetCommand, "set(name, index, field, value): write one field of a table's row"},
    {"save", SaveCommand, "save(name): save the game as saves/name.sav"},
    {"load", LoadCommand, "load(name): load saves/name.sav (console.load where the scene has its own load)"},
    {"pause", PauseCommand, "pause(): the game stands still under the console (until resume() or closing it)"},
    {"resume", ResumeCommand, "resume(): the game goes on"},
    {"clear", ClearCommand, "clear(): empty the console"},
    {"overlay", OverlayCommand, "overlay([name [, on]]): switch an overlay (regions, tools, walk, depth, route, pointer, frametime); those on"},
    {"reload", ReloadCommand, "reload(): enter the scene again with its script read afresh, the hero where he stands"},
};

}  // namespace

std::span<const ConsoleCommand> WorkbenchCommands() { return kCommands; }

}  // namespace tarvex
