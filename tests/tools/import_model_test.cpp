#include <assimp/Exporter.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/actor.h"
#include "model/model_file.h"
#include "platform/png_io.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

// A tube two units tall standing on the origin (y up, right-handed, as modelling programs
// export), skinned to "Bip01 Spine" below and "Bip01 Neck" from half its height, blended
// over the middle; the clip "Bend" turns the neck a quarter turn about x in one second.
constexpr int kSides = 8, kRings = 9;

aiNode* NewNode(const char* name, aiNode* parent) {
    aiNode* n = new aiNode(name);
    n->mParent = parent;
    return n;
}

void SetChildren(aiNode* parent, std::vector<aiNode*> children) {
    parent->mNumChildren = unsigned(children.size());
    parent->mChildren = new aiNode*[children.size()];
    std::copy(children.begin(), children.end(), parent->mChildren);
}

aiMesh* TubeMesh() {
    aiMesh* mesh = new aiMesh;
    mesh->mName = "Tube";
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = kSides * kRings;
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    mesh->mNormals = new aiVector3D[mesh->mNumVertices];
    mesh->mTextureCoords[0] = new aiVector3D[mesh->mNumVertices];
    mesh->mNumUVComponents[0] = 2;
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s < kSides; ++s) {
            const float a = 6.2831853f * float(s) / kSides;
            const int i = r * kSides + s;
            mesh->mVertices[i] = aiVector3D(0.2f * std::cos(a), 0.25f * float(r), 0.2f * std::sin(a));
            mesh->mNormals[i] = aiVector3D(std::cos(a), 0, std::sin(a));
            mesh->mTextureCoords[0][i] = aiVector3D(float(s) / kSides, float(r) / (kRings - 1), 0);
        }
    mesh->mNumFaces = 2 * kSides * (kRings - 1);
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    int f = 0;
    for (int r = 0; r + 1 < kRings; ++r)
        for (int s = 0; s < kSides; ++s) {
            const unsigned a = r * kSides + s, b = r * kSides + (s + 1) % kSides, c = a + kSides, d = b + kSides;
            for (std::array<unsigned, 3> t : {std::array<unsigned, 3>{a, c, b}, std::array<unsigned, 3>{b, c, d}}) {
                aiFace& face = mesh->mFaces[f++];
                face.mNumIndices = 3;
                face.mIndices = new unsigned[3];
                std::copy(t.begin(), t.end(), face.mIndices);
            }
        }
    // Rings 0..2 belong to the spine, 6..8 to the neck, 3..5 are shared.
    const float neckWeight[kRings] = {0, 0, 0, 0.25f, 0.5f, 0.75f, 1, 1, 1};
    mesh->mNumBones = 2;
    mesh->mBones = new aiBone*[2];
    for (int b = 0; b < 2; ++b) {
        aiBone* bone = mesh->mBones[b] = new aiBone;
        bone->mName = b == 0 ? "Bip01 Spine" : "Bip01 Neck";
        std::vector<aiVertexWeight> weights;
        for (int r = 0; r < kRings; ++r) {
            const float w = b == 0 ? 1 - neckWeight[r] : neckWeight[r];
            if (w > 0)
                for (int s = 0; s < kSides; ++s) weights.emplace_back(unsigned(r * kSides + s), w);
        }
        bone->mNumWeights = unsigned(weights.size());
        bone->mWeights = new aiVertexWeight[weights.size()];
        std::copy(weights.begin(), weights.end(), bone->mWeights);
        if (b == 1) bone->mOffsetMatrix = aiMatrix4x4::Translation(aiVector3D(0, -1, 0), bone->mOffsetMatrix);
    }
    return mesh;
}

aiAnimation* BendClip() {
    aiAnimation* clip = new aiAnimation;
    clip->mName = "Bend";
    // Ticks of one second: assimp's FBX writer takes key times for seconds.
    clip->mDuration = 1;
    clip->mTicksPerSecond = 1;
    clip->mNumChannels = 1;
    clip->mChannels = new aiNodeAnim*[1];
    aiNodeAnim* c = clip->mChannels[0] = new aiNodeAnim;
    c->mNodeName = "Bip01 Neck";
    c->mNumPositionKeys = 2;
    c->mPositionKeys = new aiVectorKey[2]{{0, aiVector3D(0, 1, 0)}, {1, aiVector3D(0, 1, 0)}};
    c->mNumScalingKeys = 2;
    c->mScalingKeys = new aiVectorKey[2]{{0, aiVector3D(1, 1, 1)}, {1, aiVector3D(1, 1, 1)}};
    c->mNumRotationKeys = 2;
    c->mRotationKeys = new aiQuatKey[2]{{0, aiQuaternion()}, {1, aiQuaternion(aiVector3D(1, 0, 0), 1.5707963f)}};
    return clip;
}

// `texture` names the skin picture.
std::unique_ptr<aiScene> TwoBoneTube(const std::string& texture) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = NewNode("Root", nullptr);
    aiNode* tube = NewNode("Tube", scene->mRootNode);
    tube->mNumMeshes = 1;
    tube->mMeshes = new unsigned[1]{0};
    aiNode* spine = NewNode("Bip01 Spine", scene->mRootNode);
    aiNode* neck = NewNode("Bip01 Neck", spine);
    neck->mTransformation = aiMatrix4x4::Translation(aiVector3D(0, 1, 0), neck->mTransformation);
    SetChildren(spine, {neck});
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh*[1]{TubeMesh()};
    SetChildren(scene->mRootNode, {tube, spine});
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial*[1]{new aiMaterial};
    const aiString name("Skin"), file(texture);
    scene->mMaterials[0]->AddProperty(&name, AI_MATKEY_NAME);
    if (!texture.empty()) scene->mMaterials[0]->AddProperty(&file, AI_MATKEY_TEXTURE_DIFFUSE(0));
    scene->mNumAnimations = 1;
    scene->mAnimations = new aiAnimation*[1]{BendClip()};
    return scene;
}

void Export(const aiScene& scene, const char* format, const std::string& path) {
    Assimp::Exporter exporter;
    ASSERT_EQ(exporter.Export(&scene, format, path), AI_SUCCESS) << format << ": " << exporter.GetErrorString();
}

// The silhouette drawn by render-model (everything but its background colour).
struct Silhouette {
    int left = 800, right = -1, top = 600, bottom = -1;
    std::vector<int> rowWidth = std::vector<int>(600, 0);
};

Silhouette Draw(const std::string& game, const std::string& model, int frame, const std::string& png) {
    int status = 0;
    const std::string json = test::ToolOutput("render-model " + model + " --game " + game + " --frame " +
                                                  std::to_string(frame) + " --png " + png, status);
    EXPECT_EQ(status, 0) << json;
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    Silhouette s;
    if (!ReadPngRgb(png, w, h, rgb) || w != 800 || h != 600) return s;
    for (int y = 0; y < 600; ++y) {
        int lo = 800, hi = -1;
        for (int x = 0; x < 800; ++x) {
            const uint8_t* p = &rgb[size_t(y * 800 + x) * 3];
            if (p[0] == 89 && p[1] == 89 && p[2] == 102) continue;
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        if (hi < 0) continue;
        s.rowWidth[size_t(y)] = hi - lo + 1;
        s.left = std::min(s.left, lo), s.right = std::max(s.right, hi);
        s.top = std::min(s.top, y), s.bottom = std::max(s.bottom, y);
    }
    return s;
}

TEST(ImportModelTool, TwoBoneCharacterFromGltfFbxAndColladaBendsAtItsNeck) {
    const std::string dir = test::TempDir("import-model");
    ASSERT_EQ(test::Run("/usr/bin/convert -size 8x8 xc:orange " + dir + "/skin.png"), 0);
    const auto scene = TwoBoneTube("skin.png");
    // The library's binary FBX writer makes files its own reader refuses: ASCII FBX.
    const std::map<std::string, std::string> extensions{{"glb2", "glb"}, {"fbxa", "fbx"}, {"collada", "dae"}};
    for (const auto& [format, extension] : extensions) {
        SCOPED_TRACE(format);
        const std::string source = dir + "/tube." + extension;
        Export(*scene, format.c_str(), source);
        const std::string model = dir + "/game/models/" + format + ".md";
        int status = 0;
        const std::string out = test::ToolOutput("import-model " + source + " --out " + model + " --scale 50", status);
        ASSERT_EQ(status, 0) << out;
        const auto summary = nlohmann::json::parse(out);
        EXPECT_EQ(summary["texture"], dir + "/game/models/" + format + ".bmp");
        ASSERT_EQ(summary["motions"].size(), 1u) << out;
        EXPECT_EQ(summary["motions"][0]["clip"], "Bend");
        EXPECT_EQ(summary["motions"][0]["placed"], "file order");

        // The engine's loader reads the bones by name, the blend of the middle rings and the
        // clip at 30 frames a second after the rest frame.
        const int m = LoadModel(model);
        ASSERT_GE(m, 0);
        const ModelRecord& r = modelTables.models[m];
        const int spine = FindModelBone(m, "Bip01 Spine"), neck = FindModelBone(m, "Bip01 Neck");
        EXPECT_EQ(std::string(r.bones[size_t(spine)].name), "Bip01 Spine");
        EXPECT_EQ(std::string(r.bones[size_t(neck)].name), "Bip01 Neck");
        EXPECT_EQ(r.pointCount, unsigned(kSides * kRings));
        EXPECT_EQ(r.blendCount, 3u * kSides);
        EXPECT_EQ(r.bones[size_t(spine)].points.size() + r.bones[size_t(neck)].points.size(), 6u * kSides);
        for (const BlendedPoint& b : r.blendedPoints) {
            ASSERT_EQ(b.count, 2);
            EXPECT_NEAR(b.weights[0] + b.weights[1], 1.0f, 1e-5f);
            EXPECT_TRUE((b.bones[0] == spine && b.bones[1] == neck) || (b.bones[0] == neck && b.bones[1] == spine));
        }
        EXPECT_EQ(r.frameCount, 32u);
        EXPECT_TRUE(r.motions[0].defined);
        EXPECT_EQ(r.motions[0].first, 1.0f);
        EXPECT_EQ(r.motions[0].last, 31.0f);
        EXPECT_EQ(std::string(r.textureName), format + ".bmp");

        // Skinned by the engine: standing 100 units tall at the start, the top bowed
        // forward (+x, the engine's facing) by a quarter turn at the end, the base still.
        auto extent = [&](float frame) {
            SkinModel(m, frame);
            Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
            for (const RenderVertex& v : r.renderVertices) {
                lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y), std::min(lo.z, v.position.z)};
                hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y), std::max(hi.z, v.position.z)};
            }
            return std::pair{lo, hi};
        };
        const auto [lo1, hi1] = extent(1);
        EXPECT_NEAR(hi1.y - lo1.y, 100.0f, 0.1f);
        EXPECT_NEAR(hi1.x, 10.0f, 0.1f);
        const auto [lo31, hi31] = extent(31);
        EXPECT_NEAR(hi31.x, 50.0f, 0.1f);  // the neck's 50 units, lying forward
        EXPECT_NEAR(hi31.y, 60.0f, 1.0f);  // the joint at 50, the tube's radius above
        EXPECT_NEAR(lo31.y, 0.0f, 0.1f);

        // Drawn: straight, the silhouette is a narrow upright bar; bent, the rows below the
        // joint stay as narrow while the top rows reach out to the side.
        const std::string game = dir + "/game";
        const Silhouette straight = Draw(game, model, 1, dir + "/straight.png");
        const Silhouette bent = Draw(game, model, 31, dir + "/bent.png");
        ASSERT_GT(straight.bottom, straight.top);
        ASSERT_GT(bent.bottom, bent.top);
        EXPECT_LT(straight.right - straight.left, (straight.bottom - straight.top) / 3);
        const int height = bent.bottom - bent.top, width = bent.right - bent.left;
        EXPECT_GT(width, height * 2 / 3);
        EXPECT_LT(bent.rowWidth[size_t(bent.bottom - height / 4)], width / 2);
        EXPECT_GT(bent.rowWidth[size_t(bent.top + height / 8)], width * 3 / 4);
    }

    // Without its skin the tube moves rigidly with its own node: a one-bone model.
    aiMesh* mesh = scene->mMeshes[0];
    for (unsigned b = 0; b < mesh->mNumBones; ++b) delete mesh->mBones[b];
    delete[] mesh->mBones;
    mesh->mBones = nullptr;
    mesh->mNumBones = 0;
    Export(*scene, "glb2", dir + "/static.glb");
    int status = 0;
    const std::string out =
        test::ToolOutput("import-model " + dir + "/static.glb --out " + dir + "/game/models/static.md", status);
    ASSERT_EQ(status, 0) << out;
    const int m = LoadModel(dir + "/game/models/static.md");
    ASSERT_GE(m, 0);
    const ModelRecord& r = modelTables.models[m];
    ASSERT_EQ(r.boneCount, 1u);
    EXPECT_EQ(std::string(r.bones[0].name), "Tube");
    EXPECT_EQ(r.bones[0].points.size(), r.pointCount);
    EXPECT_EQ(r.blendCount, 0u);
}

// A glTF written by hand: one triangle skinned to the first of `bones` joints (assimp's
// writer takes minutes over tens of thousands of bones), or no mesh at all.
void WriteHandMadeGltf(const std::string& path, int bones, bool bindMatrices = true) {
    nlohmann::json g = {{"asset", {{"version", "2.0"}}}, {"scene", 0}};
    if (bones == 0) {
        g["scenes"] = {{{"nodes", {0}}}};
        g["nodes"] = {{{"name", "Empty"}}};
        test::WriteText(path, g.dump());
        return;
    }
    std::vector<uint8_t> bin;
    auto put = [&](const void* p, size_t n) { bin.insert(bin.end(), (const uint8_t*)p, (const uint8_t*)p + n); };
    const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0}, weights[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    const uint16_t joints[12] = {};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    put(positions, 36), put(joints, 24), put(weights, 48);
    for (int i = 0; i < bones; ++i) put(identity, 64);
    std::vector<int> children, jointNodes;
    g["nodes"] = {{{"name", "Body"}, {"mesh", 0}, {"skin", 0}}};
    for (int i = 0; i < bones; ++i) {
        g["nodes"].push_back({{"name", "Bone " + std::to_string(i)}});
        jointNodes.push_back(i + 1);
        if (i > 0) children.push_back(i + 1);
    }
    g["nodes"][1]["children"] = children;
    g["scenes"] = {{{"nodes", {0, 1}}}};
    g["skins"] = {{{"joints", jointNodes}}};
    if (bindMatrices) g["skins"][0]["inverseBindMatrices"] = 3;
    g["meshes"] = {{{"primitives", {{{"attributes", {{"POSITION", 0}, {"JOINTS_0", 1}, {"WEIGHTS_0", 2}}}}}}}};
    g["buffers"] = {{{"uri", std::filesystem::path(path).stem().string() + ".bin"}, {"byteLength", bin.size()}}};
    g["bufferViews"] = {{{"buffer", 0}, {"byteOffset", 0}, {"byteLength", 36}},
                        {{"buffer", 0}, {"byteOffset", 36}, {"byteLength", 24}},
                        {{"buffer", 0}, {"byteOffset", 60}, {"byteLength", 48}},
                        {{"buffer", 0}, {"byteOffset", 108}, {"byteLength", 64 * bones}}};
    g["accessors"] = {
        {{"bufferView", 0}, {"componentType", 5126}, {"count", 3}, {"type", "VEC3"}, {"min", {0, 0, 0}}, {"max", {1, 1, 0}}},
        {{"bufferView", 1}, {"componentType", 5123}, {"count", 3}, {"type", "VEC4"}},
        {{"bufferView", 2}, {"componentType", 5126}, {"count", 3}, {"type", "VEC4"}},
        {{"bufferView", 3}, {"componentType", 5126}, {"count", bones}, {"type", "MAT4"}}};
    test::WriteText(path, g.dump());
    test::WriteFile(std::filesystem::path(path).replace_extension(".bin").string(), bin);
}

TEST(ImportModelTool, RefusesWhatTheFormatCannotCarryAndWritesNothing) {
    const std::string dir = test::TempDir("import-model-refusals");
    test::WriteText(dir + "/broken.png", "not a picture");
    Export(*TwoBoneTube("broken.png"), "glb2", dir + "/badskin.glb");
    auto longClip = TwoBoneTube("");
    longClip->mAnimations[0]->mDuration = longClip->mAnimations[0]->mChannels[0]->mRotationKeys[1].mTime = 1e6;
    Export(*longClip, "glb2", dir + "/frames.glb");
    WriteHandMadeGltf(dir + "/empty.gltf", 0);
    WriteHandMadeGltf(dir + "/bones.gltf", 65537);
    WriteHandMadeGltf(dir + "/fewer.gltf", 65536);
    WriteHandMadeGltf(dir + "/nobind.gltf", 2, false);  // valid glTF that crashes the library
    const std::pair<std::string, std::string> cases[] = {
        {dir + "/missing.glb", "cannot open"},
        {dir + "/broken.png", "cannot read"},
        {dir + "/empty.gltf", "no mesh"},
        {dir + "/badskin.glb", "cannot read the texture"},
        {dir + "/bones.gltf", "65537 bones"},
        {dir + "/nobind.gltf", "no inverse bind matrices"},
        {dir + "/frames.glb", "30000002 frames"},
    };
    for (const auto& [source, message] : cases) {
        int status = 0;
        const std::string out = test::ToolOutput("import-model " + source + " --out " + dir + "/out/x.md", status);
        EXPECT_EQ(status, 1) << source;
        EXPECT_NE(out.find(message), std::string::npos) << out;
        EXPECT_FALSE(std::filesystem::exists(dir + "/out")) << source;
    }
    // One bone fewer is the most the format holds.
    int status = 0;
    const std::string out = test::ToolOutput("import-model " + dir + "/fewer.gltf --out " + dir + "/out/x.md", status);
    EXPECT_EQ(status, 0) << out;
    ModelRecord r;
    ASSERT_TRUE(ParseModelFile(r, test::ReadFile(dir + "/out/x.md")));
    EXPECT_EQ(r.boneCount, 65536u);
}

}  // namespace
}  // namespace tarvex
