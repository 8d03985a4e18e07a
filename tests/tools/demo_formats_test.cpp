// Every file the demo generator writes, read back by the engine's own readers. (Text
// tables, the tool structure and particle files are read by every scene played on the
// demo; the generator's own test checks their layout.)
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "media/wav.h"
#include "model/model_file.h"
#include "platform/ogg_stream.h"
#include "platform/video_decoder.h"
#include "resources/file_lookup.h"
#include "resources/game_file.h"
#include "resources/package.h"
#include "resources/picture.h"
#include "resources/texture_file.h"
#include "scene/scene_description.h"
#include "scene/walk_mask.h"
#include "scripts/devices.h"
#include "support/test_support.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& s, const std::string& end) {
    if (s.size() < end.size()) return false;
    for (size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - end.size() + i])) != end[i]) return false;
    return true;
}

// Reads one file by its kind; false when the engine's reader refuses it.
bool ReadsBack(const std::string& name, const std::vector<uint8_t>& bytes, std::string& kind) {
    if (EndsWith(name, ".tif")) {
        kind = "tiff";
        BgrPicture picture;
        return ReadTiffPicture(name, picture) && picture.width > 0;
    }
    if (EndsWith(name, ".md")) {
        kind = "model";
        ModelRecord m;
        return ParseModelFile(m, bytes) && m.pointCount > 0;
    }
    if (EndsWith(name, "m.raw")) {
        kind = "walk mask";
        return ApplyWalkMask(bytes);
    }
    if (EndsWith(name, "m.msk")) {
        kind = "floor depth";
        static std::vector<float> floor(800 * 600);
        return DecodeFloorDepth(bytes, floor.data());
    }
    if (EndsWith(name, ".wav")) {
        kind = "wav";
        WavInfo info;
        return ParseWav(bytes.data(), bytes.size(), info);
    }
    if (EndsWith(name, ".ogg")) {
        kind = "music";
        return audio::OpenOggStream(bytes, true) != nullptr;
    }
    if (EndsWith(name, ".bik")) {
        kind = "video";
        VideoDecoder* v = OpenVideoFile(name);
        const bool ok = v != nullptr;
        CloseVideo(v);
        return ok;
    }
    if (EndsWith(name, ".tga") || EndsWith(name, ".dds") || (EndsWith(name, ".bmp") && name.rfind("gfx/", 0) != 0)) {
        kind = "texture";
        DecodedTexture t;
        return DecodeTextureFile(bytes.data(), bytes.size(), t);
    }
    if (EndsWith(name, ".bmp")) {
        kind = "bmp surface";
        BgrPicture picture;
        return DecodeBmp24(bytes.data(), bytes.size(), picture);
    }
    if (EndsWith(name, ".txt") && name.rfind("scenes/", 0) == 0) {
        kind = "scene description";
        sceneTables.sceneCamera = SceneCamera{};
        ParseSceneDescription(bytes, SceneDescriptionHooks{});
        return sceneTables.sceneCamera.fovDegrees > 0 && sceneTables.sceneCamera.viewMatrix[15] != 0.0f;
    }
    if (name == "data/codes.txt") {
        // UTF-8 lines of the devices' codes, read from the game folder by name.
        kind = "device codes";
        ResetDevices();
        std::string code;
        return GameCode("pad98.general", code);
    }
    kind = "other";
    return true;
}

TEST(DemoFormats, EveryFileReadsBackThroughTheEngine) {
    test::GameFolder folder("demo-formats");
    const std::string command = std::string(TARVEX_BINARY_DIR) + "/tarvex-demo " + folder.path() + " >/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ClearFileLookupCache();
    std::map<std::string, int> counts;
    // Packaged files, through the package reader.
    for (const char* package : {"texts.res", "scenes.res", "models.res", "animgfx.res", "gfx.res"}) {
        std::vector<PackageEntry> entries;
        std::vector<std::string> problems;
        ASSERT_TRUE(ReadPackageDirectory(package, entries, &problems)) << package;
        EXPECT_TRUE(problems.empty()) << package;
        for (const PackageEntry& e : entries) {
            const std::string name = EntryName(e);
            std::vector<uint8_t> bytes;
            GameFileSource source;
            ASSERT_TRUE(ReadGameFile(name, bytes, 0, &source)) << name;
            EXPECT_EQ(source, GameFileSource::Package) << name;
            std::string kind;
            EXPECT_TRUE(ReadsBack(name, bytes, kind)) << kind << ": " << name;
            ++counts[kind];
        }
    }
    // Loose files.
    for (const auto& entry : fs::recursive_directory_iterator(".")) {
        if (!entry.is_regular_file()) continue;
        std::string name = fs::relative(entry.path(), ".").string();
        if (EndsWith(name, ".res") || name.rfind("saves/", 0) == 0 || name[0] == '.') continue;
        std::string kind;
        EXPECT_TRUE(ReadsBack(name, test::ReadFile(name), kind)) << kind << ": " << name;
        ++counts[kind];
    }
    for (const char* kind : {"tiff", "model", "walk mask", "floor depth", "wav", "music", "video", "texture",
                             "scene description", "bmp surface", "device codes"})
        EXPECT_GT(counts[kind], 0) << "no " << kind << " in the demo";
    EXPECT_GE(counts["scene description"], 11);
    EXPECT_GE(counts["model"], 4);
}

}  // namespace
}  // namespace tarvex
