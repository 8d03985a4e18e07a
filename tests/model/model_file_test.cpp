#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "model/model_file.h"
#include "support/model_writer.h"
#include "platform/display.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

using test::ModelSpec;
using test::SampleModel;
using test::WriteModel;

void ExpectVec(const Vec3& v, float x, float y, float z, float tolerance = 0.0f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}


template <typename T>
std::vector<T> Influence(const T* values, const BlendedPoint& b) { return {values, values + b.count}; }

// The counts, the bone names, motion 7 and the influences of this file are read through
// the tool's model command (tool_test.cpp).
TEST(ModelFile, SignedFileReadsEveryBlock) {
    ModelRecord m;
    ASSERT_TRUE(ParseModelFile(m, WriteModel(SampleModel())));
    ExpectVec(m.points[2], 10, 20, 0);  // version 300: no axis change
    // Vertices 0 and 4 share point 0: one index when welded (the shadow volume), two when drawn.
    EXPECT_EQ(m.weldedTriangles, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    // A zero normal stays zero.
    ExpectVec(m.normals[3], 0, 0, 0);
    ASSERT_EQ(m.bones.size(), 2u);
    // The tail.
    EXPECT_EQ(std::tuple(m.cullMode, std::string(m.textureName), m.alphaTest), std::tuple(2, "gorin.bmp", 1));
    ExpectVec(m.bones[0].attachOffset, 1, 2, 3);
    ExpectVec(m.bones[0].attachRotation, 10, 20, 30);
    ExpectVec(m.bones[0].attachScale, 50, 60, 70);
    EXPECT_EQ(std::tuple(m.bones[0].attachCullMode, m.bones[1].attachCullMode), std::tuple(uint8_t{1}, uint8_t{3}));
    EXPECT_EQ(std::tuple(m.motions[0].loopTo, m.motions[0].speed, m.motions[0].next), std::tuple(-1.0f, 0.5f, 3u));
    EXPECT_FALSE(m.motions[1].defined);
}

TEST(ModelFile, OlderFilesConvertAxesBelowVersion257) {
    // Without the signature the first u32 is the point count, read as the version.
    ModelSpec s = SampleModel();
    s.signature = false;
    s.points[1] = {1, 2, 3};
    s.normals[1] = {0, 0, 1};
    ModelRecord m;
    ASSERT_TRUE(ParseModelFile(m, WriteModel(s)));
    EXPECT_EQ(std::pair(m.hasSignature, modelTables.modelFileVersion), std::pair(false, 4u));
    ExpectVec(m.points[1], -1, 3, -2);
    ExpectVec(m.normals[1], 0, 4, 0);
    EXPECT_EQ(m.bones[1].poseIndices, (std::vector<uint32_t>{1, 0}));  // u16 pose indices
    ExpectVec(m.bones[0].attachOffset, -1, 3, -2);
    ExpectVec(m.bones[0].attachScale, -50, 70, -60);
    // Poses become C * P * RotationX(-pi/2); GLM multiplies in the opposite order.
    const float c[16] = {-1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    const float p[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    const glm::mat4 expected = glm::rotate(glm::mat4(1.0f), static_cast<float>(-M_PI / 2), glm::vec3(1, 0, 0)) *
                               glm::make_mat4(p) * glm::make_mat4(c);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.poses[0][i], glm::value_ptr(expected)[i], 1e-6f) << i;

    // 300 points: read as version 300, nothing converted.
    ModelSpec big;
    big.signature = false;
    big.points.assign(300, {1, 2, 3});
    big.normals.assign(300, {0, 0, 1});
    ASSERT_TRUE(ParseModelFile(m, WriteModel(big)));
    ExpectVec(m.points[299], 1, 2, 3);
    ExpectVec(m.normals[0], 0, 0, 4);
}

TEST(ModelFile, InfluencesSortByFallingWeightKeepingFileOrderOnTies) {
    ModelSpec s = SampleModel();
    s.bones.resize(4, {"x", {}, {0, 0}});
    s.blends = {{0, {0, 1, 2}, {0.2f, 0.5f, 0.3f}}, {1, {3, 2, 1, 0}, {0.25f, 0.5f, 0.25f, 0.0f}}};
    ModelRecord m;
    ASSERT_TRUE(ParseModelFile(m, WriteModel(s)));
    const BlendedPoint &a = m.blendedPoints[0], &b = m.blendedPoints[1];
    EXPECT_EQ(Influence(a.weights, a), (std::vector<float>{0.5f, 0.3f, 0.2f}));
    EXPECT_EQ(Influence(a.bones, a), (std::vector<uint16_t>{1, 2, 0}));
    // The first of the two 0.25 weights comes first; a zero weight follows, taken once.
    EXPECT_EQ(Influence(b.bones, b), (std::vector<uint16_t>{2, 3, 1, 0}));
}

TEST(ModelFile, OptionalTailKeepsDefaults) {
    ModelSpec s = SampleModel();
    s.tailBlocks = 0;  // the file ends right after the blended points
    ModelRecord m;
    ASSERT_TRUE(ParseModelFile(m, WriteModel(s)));
    EXPECT_EQ(std::tuple(m.cullMode, m.textureName[0], m.alphaTest, m.bones[0].attachCullMode),
              std::tuple(uint8_t{0}, '\0', uint8_t{0}, uint8_t{3}));
    for (const MotionEntry& e : m.motions)
        EXPECT_EQ(std::tuple(e.defined, e.loopTo, e.speed), std::tuple(uint8_t{0}, -1.0f, 1.0f));
    ExpectVec(m.bones[0].attachScale, 100, 100, 100);

    // Cut inside the motion table: entries read whole keep their values, the rest defaults.
    s.tailBlocks = 4;
    std::vector<uint8_t> bytes = WriteModel(s);
    bytes.resize(bytes.size() - 44 * 256 + 44 * 8 + 10);
    ASSERT_TRUE(ParseModelFile(m, bytes));
    EXPECT_EQ(std::tuple(m.cullMode, m.motions[7].defined, m.motions[8].defined, m.motions[8].speed,
                         m.bones[0].attachCullMode),
              std::tuple(2, 1, 0, 1.0f, 3));
}

TEST(ModelFile, FilesThatDoNotFitAreRefusedWholesale) {
    std::vector<std::pair<const char*, ModelSpec>> bad;
    auto add = [&bad](const char* what, auto change) {
        ModelSpec s = SampleModel();
        change(s);
        bad.push_back({what, s});
    };
    add("triangle index past the vertices", [](ModelSpec& s) { s.triangles[1][2] = 5; });
    add("point list past the vertices", [](ModelSpec& s) { s.pointVertices[2] = {9}; });
    add("bone point past the points", [](ModelSpec& s) { s.bones[0].points = {4}; });
    add("pose index past the pool", [](ModelSpec& s) { s.bones[1].poses = {0, 2}; });
    add("blend bone past the bones", [](ModelSpec& s) { s.blends[0].bones = {0, 2}; });
    add("blend point past the points", [](ModelSpec& s) { s.blends[1].point = 4; });
    add("more than 32 influences", [](ModelSpec& s) {
        s.blends[0].bones.assign(33, 0);
        s.blends[0].weights.assign(33, 0.1f);
    });
    ModelRecord keep;
    ASSERT_TRUE(ParseModelFile(keep, WriteModel(SampleModel())));
    for (const auto& [what, spec] : bad) {
        ModelRecord m;
        EXPECT_FALSE(ParseModelFile(m, WriteModel(spec))) << what;
        EXPECT_FALSE(m.loaded) << what;
        EXPECT_FALSE(ParseModelFile(keep, WriteModel(spec))) << what;
        EXPECT_EQ(keep.pointCount, 4u) << what;  // the target is left as it was
    }

    // Counts larger than the file, and every cut inside the blocks that must be there.
    std::vector<uint8_t> bytes = WriteModel(SampleModel());
    std::vector<uint8_t> huge = bytes;
    huge[20] = huge[21] = huge[22] = 0xFF;
    EXPECT_FALSE(ParseModelFile(keep, huge));
    ModelSpec noTail = SampleModel();
    noTail.tailBlocks = 0;
    const size_t mandatory = WriteModel(noTail).size();
    for (size_t cut = 0; cut < mandatory; ++cut) {
        ModelRecord m;
        EXPECT_FALSE(ParseModelFile(m, std::span<const uint8_t>(bytes.data(), cut))) << cut;
    }
    EXPECT_EQ(keep.vertexCount, 5u);
}

TEST(TextureCache, PrefersDdsBesideTheNamedFileAndReusesEntries) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    ResetModels();
    test::GameFolder game("world_texture_cache");
    std::filesystem::create_directories("textures");
    ASSERT_EQ(0, test::Run("/usr/bin/convert -size 8x8 xc:red BMP3:textures/skin.bmp"));
    ASSERT_EQ(0, test::Run("/usr/bin/convert -size 4x4 xc:blue -define dds:compression=none textures/skin.dds"));
    ASSERT_EQ(0, test::Run("/usr/bin/convert -size 8x8 xc:green BMP3:textures/plain.bmp"));
    ClearFileLookupCache();
    const int skin = LoadTexture("textures/skin.bmp");
    ASSERT_GE(skin, 0);
    ASSERT_NE(animation.textureCache[skin].handle, nullptr);
    // Made from the .dds.
    EXPECT_EQ(std::tuple(animation.textureCache[skin].handle->width, animation.textureCache[skin].handle->mipmapped), std::tuple(4, true));
    EXPECT_EQ(LoadTexture("textures/skin.bmp"), skin);
    const int plain = LoadTexture("textures/plain.bmp");
    ASSERT_NE(plain, skin);
    ASSERT_NE(animation.textureCache[plain].handle, nullptr);
    EXPECT_EQ(animation.textureCache[plain].handle->width, 8);
    // A texture that cannot be made still gets an entry, without a handle.
    const int missing = LoadTexture("textures/none.bmp");
    ASSERT_GE(missing, 0);
    EXPECT_EQ(animation.textureCache[missing].handle, nullptr);
    ResetModels();
}

}  // namespace
}  // namespace tarvex
