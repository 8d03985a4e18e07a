#include "menu/saved_games.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "base/display_values.h"
#include "base/globals.h"
#include "base/registry.h"
#include "base/scene_request.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "menu/menu.h"
#include "menu/save_file.h"
#include "model/actor.h"
#include "model/actor_owner.h"
#include "platform/atomic_file.h"
#include "platform/display.h"
#include "platform/file_writer.h"
#include "platform/input.h"
#include "platform/surface.h"
#include "platform/timers.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "resources/picture.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scripts/notebook.h"
#include "scripts/scene_dispatch.h"
#include "scripts/script_api.h"
#include "text/dialogue.h"
#include "text/engine_texts.h"
#include "text/notice.h"

namespace tarvex {


namespace {

constexpr const char* kAutoSave = "saves/auto.sav";
constexpr const char* kQuickSave = "saves/quick.sav";
constexpr size_t kPrefixLength = 6;
constexpr float kKeyNoticeSeconds = 2.0f;
// The longest save file the reader takes: a thumbnail, the rows and every emitter byte.
constexpr size_t kMaxSaveBytes = 2 * 1024 * 1024;

bool Failed(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Characters of a UTF-8 text (continuation bytes do not count).
size_t Utf8Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// What a typed name may hold: the characters every file system takes in a name.
bool SafeNameCharacter(int ch) {
    if (ch < 0x20 || ch == 0x7F) return false;
    return !std::strchr("\\/|:*?\"<>", ch);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxSaveBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<size_t>(in.gcount()) == out.size();
}

// The picture of the moment for the thumbnail (none without the thumbnail surface).
std::vector<uint8_t> CurrentThumbnail() {
    if (!displayValues.thumbnailSurface || displayValues.thumbnailSurface->width < 800 || displayValues.thumbnailSurface->height < 600) return {};
    return MakeThumbnail(displayValues.thumbnailSurface->pixels.data(), displayValues.thumbnailSurface->pitch, displayValues.thumbnailSurface->depth);
}

// The running game emptied through the same walks as a new game and a scene switch.
void EmptyRunningGame() {
    KillAllWindowTimers();
    NewGameOwners();
    SceneResetOwners();
    ReleaseSlotBuffers();
    ClearRestoredHeroPlace();
}

// Back to the game on the loaded tables: the scene's init makes its actors again (they
// keep the places they had), the picture comes up, the hero's steps sound again.
void ReturnToGame() {
    struct Kept {
        uint8_t visible;
        float heading;
        Vec3 position;
    };
    Kept kept[kSavedActors];
    for (int i = 0; i < kSavedActors; ++i) {
        kept[i] = {actorTable.actors[i].visible, actorTable.actors[i].heading, actorTable.actors[i].position};
        actorTable.actors[i].inUse = 0;
    }
    actorTable.actorCount = 0;
    InitScene();
    for (int i = 0; i < kSavedActors; ++i) {
        if (!actorTable.actors[i].inUse) continue;
        actorTable.actors[i].visible = kept[i].visible;
        actorTable.actors[i].heading = kept[i].heading;
        actorTable.actors[i].position = kept[i].position;
    }
    if (sceneSwitch.gammaLevel != sceneSwitch.gammaMax && sceneSwitch.fadeState == 0) sceneSwitch.gammaLevel = sceneSwitch.gammaMax;
    FillGammaRamps(sceneSwitch.gammaLevel);
    SendGammaRamps();
    if (actorTable.actors[kHero].inUse) SetHeroFootsteps();
    RestartFrameRateWindow();
}

// The save's bytes of the running game; false (and why) when there is no game to save.
bool BuildSaveNow(std::vector<uint8_t>& bytes, std::string* error) {
    if (loop.playMode == 2) return Failed(error, EngineText(Caption::NoSaveDuringVideo));
    if (loop.currentScene < 0 || loop.currentScene >= kSceneCount) return Failed(error, EngineText(Caption::NoGameYet));
    CloseToolbarAtOnce();
    CaptureSlotPlayback();
    bytes = BuildSave(CurrentThumbnail());
    return true;
}

std::string CannotWrite(const std::string& path, const std::string& why) {
    return EngineText(Caption::CannotWrite) + path + ": " + why;
}

// A reason for the notice line: the save named by its file name, not its whole path.
std::string ShortReason(std::string why, const std::string& gameName) {
    const std::string path = SavePath(gameName);
    const std::string name = std::filesystem::path(path).filename().string();
    for (size_t at = why.find(path); at != std::string::npos; at = why.find(path, at + name.size()))
        why.replace(at, path.size(), name);
    return why;
}

void LoadWithNotice(const char* gameName) {
    std::string why;
    if (LoadGame(gameName, &why))
        ShowNotice(EngineText(Caption::Loaded), kKeyNoticeSeconds);
    else
        ShowNotice(EngineText(Caption::NotLoaded) + ShortReason(why, gameName));
}

}  // namespace

std::string SavePath(const std::string& gameName) {
    std::string name = gameName;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.rfind("saves/", 0) == 0) name = name.substr(6);
    return SavesDirectory() + "/" + name;
}

namespace {

// A 32-bit picture: four rows summed a byte at a time, then four pixels of the sums.
std::vector<uint8_t> Thumbnail32(const uint8_t* pixels, int pitch) {
    std::vector<uint8_t> out(kThumbnailBytes);
    constexpr int kRowBytes = kThumbnailWidth * 4 * 4;
    for (int row = 0; row < kThumbnailHeight; ++row) {
        uint16_t sums[kRowBytes] = {};
        for (int dy = 0; dy < 4; ++dy) {
            const uint8_t* line = pixels + static_cast<size_t>(row * 4 + dy) * pitch;
            for (int i = 0; i < kRowBytes; ++i) sums[i] = static_cast<uint16_t>(sums[i] + line[i]);
        }
        uint8_t* p = &out[static_cast<size_t>(row) * kThumbnailWidth * 4];
        for (int column = 0; column < kThumbnailWidth; ++column)
            for (int lane = 0; lane < 4; ++lane) {
                const uint16_t* s = sums + column * 16 + lane;
                p[column * 4 + lane] = static_cast<uint8_t>((s[0] + s[4] + s[8] + s[12]) >> 4);
            }
    }
    return out;
}

}  // namespace

std::vector<uint8_t> MakeThumbnail(const uint8_t* pixels, int pitch, int depth) {
    if (depth == 32) return Thumbnail32(pixels, pitch);
    std::vector<uint8_t> out(kThumbnailBytes);
    for (int row = 0; row < kThumbnailHeight; ++row)
        for (int column = 0; column < kThumbnailWidth; ++column) {
            unsigned sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < 4; ++dy) {
                const uint8_t* line = pixels + static_cast<size_t>(row * 4 + dy) * pitch;
                for (int dx = 0; dx < 4; ++dx) {
                    const int x = column * 4 + dx;
                    const unsigned v = line[x * 2] | (line[x * 2 + 1] << 8);
                    if (depth == 16) {
                        sum[0] += (v & 31) * 8;
                        sum[1] += ((v >> 5) & 63) * 4;
                        sum[2] += ((v >> 11) & 31) * 8;
                    } else {
                        sum[0] += (v & 31) * 8;
                        sum[1] += ((v >> 5) & 31) * 8;
                        sum[2] += ((v >> 10) & 31) * 8;
                    }
                }
            }
            uint8_t* p = &out[(static_cast<size_t>(row) * kThumbnailWidth + column) * 4];
            for (int lane = 0; lane < 4; ++lane) p[lane] = static_cast<uint8_t>(sum[lane] >> 4);
        }
    return out;
}

bool SaveGame(const std::string& gameName, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!BuildSaveNow(bytes, error)) return false;
    const std::string path = SavePath(gameName);
    // The automatic save still being written may be this very file: it lands first.
    WaitForBackgroundWrites();
    if (bytes.empty() || !WriteFileAtomically(path, bytes.data(), bytes.size())) {
        const std::string why = CannotWrite(path, std::strerror(errno));
        ShowNotice(EngineText(Caption::NotSaved) + why);
        return Failed(error, why);
    }
    return true;
}

void ReportFailedSaves() {
    for (const FailedWrite& failed : TakeFailedWrites()) ShowNotice(EngineText(Caption::NotSaved) + CannotWrite(failed.path, failed.why));
}

void FinishSaves() {
    WaitForBackgroundWrites();
    ReportFailedSaves();
}

bool LoadGame(const std::string& gameName, std::string* error) { return LoadGameFile(SavePath(gameName), error); }

bool LoadGameFile(const std::string& path, std::string* error) {
    if (loop.playMode == 2) return Failed(error, EngineText(Caption::NoLoadDuringVideo));
    FinishSaves();
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(path, bytes))
        why = EngineText(Caption::NoFile) + path;
    else if (!CheckSave(bytes.data(), bytes.size(), why))
        why = path + ": " + why;
    if (!why.empty()) {
        ShowNotice(EngineText(Caption::NotLoaded) + why);
        return Failed(error, why);
    }
    EmptyRunningGame();
    ReadSave(bytes.data(), bytes.size(), true);
    ReturnToGame();
    return true;
}

void AutoSave() {
    if (loop.playMode == 2) return;
    if (displayValues.thumbnailSurface) ReadBackBufferInto(*displayValues.thumbnailSurface);
    // The bytes are made now; the disk's part is the writer thread's, off the frame.
    std::vector<uint8_t> bytes;
    if (BuildSaveNow(bytes, nullptr)) WriteFileInBackground(SavePath(kAutoSave), std::move(bytes));
}

void QuickSave() {
    std::string why;
    if (SaveGame(kQuickSave, &why))
        ShowNotice(EngineText(Caption::Saved), kKeyNoticeSeconds);
    else
        ShowNotice(EngineText(Caption::NotSaved) + ShortReason(why, kQuickSave));
}

void LoadQuickSave() { LoadWithNotice(kQuickSave); }

void LoadAutoSave() { LoadWithNotice(kAutoSave); }

void ListSaves() {
    FinishSaves();
    menuTables.saveList.names.clear();
    menuTables.saveList.thumbnailShown = false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(SavesDirectory(), ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        // ".sav" alone is the save of an empty name.
        if (name.size() < 4 || Lower(name.substr(name.size() - 4)) != ".sav") continue;
        menuTables.saveList.names.push_back(name);
    }
    // Sorted by name: the folder's own order is arbitrary.
    std::sort(menuTables.saveList.names.begin(), menuTables.saveList.names.end());
    if (menuTables.saveList.names.size() > static_cast<size_t>(kSaveListCapacity)) menuTables.saveList.names.resize(kSaveListCapacity);
    if (menuTables.saveList.selected >= 0 && menuTables.saveList.selected < static_cast<int>(menuTables.saveList.names.size())) {
        menuTables.saveNameBuffer = kSaveNamePrefix + menuTables.saveList.names[static_cast<size_t>(menuTables.saveList.selected)];
        LoadThumbnail();
    }
}

void LoadThumbnail() {
    FinishSaves();
    menuTables.saveList.thumbnailShown = false;
    std::string name = menuTables.saveNameBuffer;
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return;
    name = name.substr(0, std::min(name.size(), dot + 4));
    std::ifstream in(SavePath(name), std::ios::binary);
    if (!in) return;
    uint8_t mark[4];
    if (!in.read(reinterpret_cast<char*>(mark), 4) || (mark[0] & mark[1] & mark[2] & mark[3]) != 0xFF) return;
    std::vector<uint8_t> thumb(kThumbnailBytes);
    if (!in.read(reinterpret_cast<char*>(thumb.data()), static_cast<std::streamsize>(thumb.size()))) return;
    std::vector<uint8_t> rgb(256 * 256 * 3, 0);
    for (int y = 0; y < kThumbnailHeight; ++y)
        for (int x = 0; x < kThumbnailWidth; ++x) {
            const uint8_t* p = &thumb[(static_cast<size_t>(y) * kThumbnailWidth + x) * 4];
            uint8_t* q = &rgb[(static_cast<size_t>(y) * 256 + x) * 3];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    menuTables.saveList.thumbnailShown = UploadThumbnailTexture(rgb.data());
}

void TypeSaveNameChar(int ch) {
    if (menuTables.menuInputState != 2) return;
    if (ch == 8) {
        if (menuTables.saveNameBuffer.size() <= kPrefixLength) return;
        // The last character, with all its bytes.
        size_t end = menuTables.saveNameBuffer.size() - 1;
        while (end > kPrefixLength && (static_cast<unsigned char>(menuTables.saveNameBuffer[end]) & 0xC0) == 0x80) --end;
        menuTables.saveNameBuffer.erase(end);
        return;
    }
    if (ch == 13 || !SafeNameCharacter(ch) || Utf8Length(menuTables.saveNameBuffer) >= kSaveNameLimit) return;
    menuTables.saveNameBuffer += Cp1251ToUtf8(std::string(1, static_cast<char>(ch)));
}

void ResetSavedGames() {
    menuTables.saveList = SaveList{};
    menuTables.saveNameBuffer = kSaveNamePrefix;
}

}  // namespace tarvex
