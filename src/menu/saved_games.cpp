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
#include "base/scene_request.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "menu/game_tables.h"
#include "menu/menu.h"
#include "menu/save_file.h"
#include "model/actor.h"
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
#include "text/notice.h"

namespace tarvex {

const char* const kSaveNamePrefix = "saves\\";
SaveList saveList;
std::string saveNameBuffer = kSaveNamePrefix;

namespace {

constexpr const char* kAutoSave = "saves/auto.sav";
constexpr const char* kQuickSave = "saves/quick.sav";
constexpr size_t kPrefixLength = 6;
constexpr float kKeyNoticeSeconds = 2.0f;
const std::string kNotSaved = "Игра не сохранена: ";
const std::string kNotLoaded = "Сохранение не загружено: ";
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
    if (!thumbnailSurface || thumbnailSurface->width < 800 || thumbnailSurface->height < 600) return {};
    return MakeThumbnail(thumbnailSurface->pixels.data(), thumbnailSurface->pitch, thumbnailSurface->depth);
}

bool LoadPicture(Surface*& surface, const std::string& name) {
    const std::string lower = Lower(name);
    if (lower.ends_with(".tif") || lower.ends_with(".tiff")) return LoadTiffSurface(surface, name);
    return LoadBmpSurface(surface, name);
}

// The running game's tables from the image, then everything they refer to rebuilt.
void ApplySave(const SaveImage& s) {
    // The running game is emptied through the same list as a new game and a scene switch.
    KillAllWindowTimers();
    ResetTablesForNewGame();
    ResetTablesForSceneSwitch();
    ReleaseSlotBuffers();
    ClearRestoredHeroPlace();

    currentScene = s.currentScene;
    std::fill(std::begin(sceneState), std::end(sceneState), 0u);
    std::fill(std::begin(sceneFlags), std::end(sceneFlags), 0u);
    std::copy(s.sceneState.begin(), s.sceneState.end(), sceneState);
    std::copy(s.sceneFlags.begin(), s.sceneFlags.end(), sceneFlags);
    for (int n = 0; n < kToolCount; ++n) {
        ToolRecord& t = ToolTable[n];
        // The texts of structure.txt are this game folder's, not the file's.
        ToolRecord texts = t;
        ReleaseSurface(t.scenePicture);
        t = s.tools[n];
        t.scenePicture = nullptr;
        t.inventoryPicture = toolIcons[n];
        t.lookLine = texts.lookLine;
        t.useLine = texts.useLine;
        t.pickupLine = texts.pickupLine;
        t.lookInventoryLine = texts.lookInventoryLine;
        t.useInventoryLine = texts.useInventoryLine;
        t.talkLine = texts.talkLine;
        t.refusalLine = texts.refusalLine;
        t.sectionOffset = texts.sectionOffset;
        if (t.hasPicture && !LoadPicture(t.scenePicture, t.pictureName)) t.hasPicture = 0;
    }
    MainSost = s.mainSost;
    MainFlags = s.mainFlags;
    std::copy(s.regions.begin(), s.regions.end(), actionRegions);
    menuActive = 0;

    // Animation slots: the interface's own pictures stay; the scene's are loaded again
    // from their names, at the frame they had.
    for (int i = 0; i < kAnimSlotCount; ++i) {
        if (animSlots[i].isTexture) continue;
        const AnimSlot& saved = s.animSlots[i];
        ReleaseSlotFrames(animSlots[i]);
        animSlots[i] = saved;
        animSlots[i].frames = nullptr;
        animSlots[i].isTexture = 0;
        if (saved.isTexture || !(saved.loaded || saved.mode != 0) || saved.name[0] == 0) {
            animSlots[i].loaded = 0;
            animSlots[i].frameCount = 0;
            continue;
        }
        LoadFrameSequence(saved.name, i, static_cast<int>(saved.x), static_cast<int>(saved.y), saved.mode, saved.speed,
                          saved.vanishAtEnd, saved.endRule, saved.flicker, saved.flickerThreshold, saved.light,
                          saved.lightOnState);
        AnimSlot& slot = animSlots[i];
        slot.x = saved.x;
        slot.y = saved.y;
        slot.endEvent = saved.endEvent;
        slot.soundAtFrame = saved.soundAtFrame;
        slot.soundFrame = saved.soundFrame;
        slot.randomAccumulator = saved.randomAccumulator;
        if (slot.frameCount > 0) slot.currentFrame = std::clamp(saved.currentFrame, 0.0f, slot.frameCount);
    }

    // Sound slots: loaded again from their names; those that played go on where they were.
    for (int i = 0; i < kSoundSlotCount; ++i) {
        const SoundSlot& saved = s.soundSlots[i];
        soundSlots[i] = SoundSlot{};
        if (!saved.loaded || saved.name[0] == 0) continue;
        LoadSound(saved.name, i);
        soundSlots[i].level = saved.level;
        soundSlots[i].pan = saved.pan;
        soundSlots[i].loop = saved.loop;
        if (saved.playing && soundOn && soundSlots[i].buffer >= 0) {
            PlaySlot(i, saved.level, saved.pan, saved.loop);
            SetSlotPosition(i, saved.position);
        }
    }
    LoadSceneFiles();

    previousScene = s.previousScene;
    postedEndEvent = s.postedEndEvent;
    DIALOG = s.values[kValueSequenceStep];
    notebookEntries[0] = static_cast<uint32_t>(s.values[kValueEntry1]);
    notebookEntries[1] = static_cast<uint32_t>(s.values[kValueEntry2]);
    notebookEntries[2] = static_cast<uint32_t>(s.values[kValueEntry3]);
    notebookEntries[3] = static_cast<uint32_t>(s.values[kValueEntry4]);
    notebookEntries[4] = static_cast<uint32_t>(s.values[kValueEntry5]);
    notebookEntries[5] = static_cast<uint32_t>(s.values[kValueEntry6]);
    EXE = s.values[kValuePendingAction];
    NotepadPosition = s.values[kValueNotebookPage];
    currentVerb = s.values[kValueVerb];
    heldTool = s.values[kValueHeldTool];
    CloseToolbarAtOnce();  // saved closed; a file that says open has no toolbar motion to go on with
    // A fade out has no scene to go to any more: the picture comes up instead.
    fadeState = s.fadeState > 300 ? 1 : s.fadeState;
    gammaLevel = s.gammaLevel;
    requestedTrack = s.requestedTrack;
    voiceMode = s.voiceMode;
    playMode = s.playMode == 2 ? 0 : s.playMode;  // no video plays after a load
    frameRateCap = s.frameRateCap;
    sceneCamera.eye = s.camera[0];
    sceneCamera.target = s.camera[1];
    sceneCamera.up = s.camera[2];
    shadowLight = s.camera[3];
    shadowLength = s.shadowLength;
    shadowColour = s.shadowColour;
    fogColour = s.fogColour;
    fogEnabled = s.fogEnabled != 0;
    fogStart = s.fogStart;
    fogEnd = s.fogEnd;
    subtitleTimer = s.subtitleTimer;
    std::fill(std::begin(subtitleText), std::end(subtitleText), u'\0');
    std::copy(s.subtitle.begin(), s.subtitle.end(), subtitleText);
    subtitleText[kSavedSubtitleUnits - 1] = 0;
    subtitleLength = std::clamp<int32_t>(s.subtitleLength, 0, static_cast<int32_t>(kSavedSubtitleUnits));
    for (int i = 0; i < kSavedActors; ++i) actors[i] = s.actors[i];
    for (size_t i = 0; i < s.emitters.size() && static_cast<int>(i) < particleSystemCount; ++i)
        particleSystemImages[i][0] = s.emitters[i];
    choiceActive = s.choiceActive;
    choiceFirst = s.choiceFirst;
    choiceCount = s.choiceCount;
    choiceSelected = -1;

    // The scene's init makes its actors again; they keep the places they had.
    struct Kept {
        uint8_t visible;
        float heading;
        Vec3 position;
    };
    Kept kept[kSavedActors];
    for (int i = 0; i < kSavedActors; ++i) {
        kept[i] = {actors[i].visible, actors[i].heading, actors[i].position};
        actors[i].inUse = 0;
    }
    actorCount = 0;
    InitScene();
    for (int i = 0; i < kSavedActors; ++i) {
        if (!actors[i].inUse) continue;
        actors[i].visible = kept[i].visible;
        actors[i].heading = kept[i].heading;
        actors[i].position = kept[i].position;
    }
    if (gammaLevel != gammaMax && fadeState == 0) gammaLevel = gammaMax;
    FillGammaRamps(gammaLevel);
    SendGammaRamps();
    if (actors[kHero].inUse) SetHeroFootsteps();
    RestartFrameRateWindow();
}

// The save's bytes of the running game; false (and why) when there is no game to save.
bool BuildSaveNow(std::vector<uint8_t>& bytes, std::string* error) {
    if (playMode == 2) return Failed(error, "во время видео игра не сохраняется");
    if (currentScene < 0 || currentScene >= kSceneCount) return Failed(error, "игра ещё не начата");
    CloseToolbarAtOnce();
    CaptureSlotPlayback();
    bytes = BuildSave(CurrentThumbnail());
    return true;
}

std::string CannotWrite(const std::string& path, const std::string& why) {
    return "не удалось записать " + path + ": " + why;
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
        ShowNotice("Загружено", kKeyNoticeSeconds);
    else
        ShowNotice(kNotLoaded + ShortReason(why, gameName));
}

}  // namespace

std::string SavePath(const std::string& gameName) {
    std::string name = gameName;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.rfind("saves/", 0) == 0) name = name.substr(6);
    return SavesDirectory() + "/" + name;
}

std::vector<uint8_t> MakeThumbnail(const uint8_t* pixels, int pitch, int depth) {
    std::vector<uint8_t> out(kThumbnailBytes);
    for (int row = 0; row < kThumbnailHeight; ++row)
        for (int column = 0; column < kThumbnailWidth; ++column) {
            unsigned sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < 4; ++dy) {
                const uint8_t* line = pixels + static_cast<size_t>(row * 4 + dy) * pitch;
                for (int dx = 0; dx < 4; ++dx) {
                    const int x = column * 4 + dx;
                    if (depth == 32) {
                        for (int lane = 0; lane < 4; ++lane) sum[lane] += line[x * 4 + lane];
                        continue;
                    }
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
    if (!WriteFileAtomically(path, bytes.data(), bytes.size())) {
        const std::string why = CannotWrite(path, std::strerror(errno));
        ShowNotice(kNotSaved + why);
        return Failed(error, why);
    }
    return true;
}

void ReportFailedSaves() {
    for (const FailedWrite& failed : TakeFailedWrites()) ShowNotice(kNotSaved + CannotWrite(failed.path, failed.why));
}

void FinishSaves() {
    WaitForBackgroundWrites();
    ReportFailedSaves();
}

bool LoadGame(const std::string& gameName, std::string* error) { return LoadGameFile(SavePath(gameName), error); }

bool LoadGameFile(const std::string& path, std::string* error) {
    if (playMode == 2) return Failed(error, "во время видео игра не загружается");
    FinishSaves();
    std::vector<uint8_t> bytes;
    std::string why;
    SaveImage image;
    if (!ReadWholeFile(path, bytes))
        why = "нет файла " + path;
    else if (!ParseSave(bytes.data(), bytes.size(), image, why))
        why = path + ": " + why;
    if (!why.empty()) {
        ShowNotice(kNotLoaded + why);
        return Failed(error, why);
    }
    ApplySave(image);
    return true;
}

void AutoSave() {
    if (playMode == 2) return;
    if (thumbnailSurface) ReadBackBufferInto(*thumbnailSurface);
    // The bytes are made now; the disk's part is the writer thread's, off the frame.
    std::vector<uint8_t> bytes;
    if (BuildSaveNow(bytes, nullptr)) WriteFileInBackground(SavePath(kAutoSave), std::move(bytes));
}

void QuickSave() {
    std::string why;
    if (SaveGame(kQuickSave, &why))
        ShowNotice("Сохранено", kKeyNoticeSeconds);
    else
        ShowNotice(kNotSaved + ShortReason(why, kQuickSave));
}

void LoadQuickSave() { LoadWithNotice(kQuickSave); }

void LoadAutoSave() { LoadWithNotice(kAutoSave); }

void ListSaves() {
    FinishSaves();
    saveList.names.clear();
    saveList.thumbnailShown = false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(SavesDirectory(), ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        // ".sav" alone is the save of an empty name.
        if (name.size() < 4 || Lower(name.substr(name.size() - 4)) != ".sav") continue;
        saveList.names.push_back(name);
    }
    // Sorted by name: the folder's own order is arbitrary.
    std::sort(saveList.names.begin(), saveList.names.end());
    if (saveList.names.size() > static_cast<size_t>(kSaveListCapacity)) saveList.names.resize(kSaveListCapacity);
    if (saveList.selected >= 0 && saveList.selected < static_cast<int>(saveList.names.size())) {
        saveNameBuffer = kSaveNamePrefix + saveList.names[static_cast<size_t>(saveList.selected)];
        LoadThumbnail();
    }
}

void LoadThumbnail() {
    FinishSaves();
    saveList.thumbnailShown = false;
    std::string name = saveNameBuffer;
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
    saveList.thumbnailShown = UploadThumbnailTexture(rgb.data());
}

void TypeSaveNameChar(int ch) {
    if (menuInputState != 2) return;
    if (ch == 8) {
        if (saveNameBuffer.size() <= kPrefixLength) return;
        // The last character, with all its bytes.
        size_t end = saveNameBuffer.size() - 1;
        while (end > kPrefixLength && (static_cast<unsigned char>(saveNameBuffer[end]) & 0xC0) == 0x80) --end;
        saveNameBuffer.erase(end);
        return;
    }
    if (ch == 13 || !SafeNameCharacter(ch) || Utf8Length(saveNameBuffer) >= kSaveNameLimit) return;
    saveNameBuffer += Cp1251ToUtf8(std::string(1, static_cast<char>(ch)));
}

void ResetSavedGames() {
    saveList = SaveList{};
    saveNameBuffer = kSaveNamePrefix;
}

}  // namespace tarvex
