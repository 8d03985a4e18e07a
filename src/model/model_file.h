// Model files (".md"): a skinned mesh, its biped skeleton, the pool of pre-baked bone
// poses, blend weights, the skin texture's name, 256 numbered motions and per-bone
// attachment placements. Loaded models live in one process-wide table and are shared
// by every actor that names the same file; they stay loaded until the program ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/math.h"
#include "platform/display.h"
#include "resources/texture_cache.h"

namespace tarvex {

constexpr int kMaxModels = 512;
constexpr int kMotionCount = 256;
constexpr int kMaxInfluences = 32;
// The signature text of current model files (13 characters, ending in a space).
constexpr char kModelSignature[] = "(c)Vexo 2001 ";
// Versions below this hold points, normals and poses with z up and are converted.
constexpr uint32_t kFirstYUpVersion = 257;

// One motion of the 256-entry table (44 bytes in the file).
struct MotionEntry {
    float first = 0.0f;
    float last = 0.0f;
    float loopTo = -1.0f;  // -1: no loop, go on with `next`
    float speed = 1.0f;    // frames a tick at 30 ticks a second
    uint32_t next = 0;
    uint8_t defined = 0;
};

// The layout handed to the display device: position, normal, one uv pair.
struct RenderVertex {
    Vec3 position;
    Vec3 normal;
    float u = 0.0f, v = 0.0f;
};
static_assert(sizeof(RenderVertex) == 32, "render vertices are 32 bytes");

// The render vertices that share one point (split where texture coordinates differ).
struct PointVertices {
    uint8_t count = 0;
    uint32_t first = 0;  // index into ModelRecord::pointVertexIndices
};

struct BoneRecord {
    std::vector<uint16_t> points;       // moved rigidly by this bone
    std::vector<uint32_t> poseIndices;  // one a frame, into ModelRecord::poses
    char name[64] = {};
    Vec3 attachOffset;
    Vec3 attachRotation{0, 0, 0};        // degrees about x, y, z
    Vec3 attachScale{100, 100, 100};     // percent
    uint8_t attachCullMode = 3;          // 3: the attached model's own
};

struct BlendedPoint {
    uint16_t point = 0;
    uint16_t count = 0;  // influences, ordered by falling weight
    uint16_t bones[kMaxInfluences] = {};
    float weights[kMaxInfluences] = {};
};

struct ModelRecord {
    uint8_t loaded = 0;
    uint32_t pointCount = 0, triangleCount = 0, vertexCount = 0, boneCount = 0, blendCount = 0,
             frameCount = 0, poseCount = 0;
    std::vector<RenderVertex> renderVertices;  // rewritten by skinning every frame
    std::vector<PointVertices> pointVertexMap;
    std::vector<uint16_t> pointVertexIndices;
    std::vector<Vec3> points;
    std::vector<Vec3> normals;
    std::vector<uint16_t> triangles;        // 3 a triangle, as in the file
    std::vector<uint16_t> weldedTriangles;  // same, vertices at one position share an index
    std::vector<BoneRecord> bones;
    std::vector<BlendedPoint> blendedPoints;
    std::vector<Mat4> poses;
    char textureName[256] = {};
    uint8_t cullMode = 0;
    std::string modelPath;
    // Draw parameters of the actor being drawn, set just before skinning.
    Vec3 drawPosition;
    float drawHeading = 0.0f;
    float drawFrame = 0.0f;
    MotionEntry motions[kMotionCount];
    uint8_t alphaTest = 0;
    uint32_t trackedBones[4] = {};
    // File facts the tools report.
    bool hasSignature = false;
    uint32_t version = 0;
};

// The model table and the model version of the file read last (the first u32 of the file;
// 256 before any).
struct ModelTables {
    ModelRecord models[kMaxModels];
    int modelCount = 0;
    uint32_t modelFileVersion = 256;
};
extern ModelTables modelTables;

// A model file larger than this is refused from its size before it is read: 32 MiB holds
// the largest mesh the format can index (65,536 render vertices) with some 600,000 poses,
// several times what a character of the game carries.
constexpr uint64_t kMaxModelFileBytes = 32u << 20;
// Triangles and the point map index render vertices with 16 bits, blended points their
// point: larger counts are refused.
constexpr uint32_t kMaxModelVertices = 65536;
// What the model table may hold in all: models stay loaded for the whole run, so past
// this no new model is loaded.
constexpr uint64_t kMaxModelTableBytes = 1ull << 30;

// The header's counts, read before the body.
struct ModelCounts {
    uint32_t version = 0;
    bool hasSignature = false;
    uint32_t pointCount = 0, triangleCount = 0, vertexCount = 0, boneCount = 0, blendCount = 0,
             frameCount = 0, poseCount = 0;
    size_t bodyOffset = 0;  // where the points start
};
// Reads the counts from the start of a model file of `fileSize` bytes (`start` holds at
// least its first 100 bytes, or the whole file); false when they cannot fit into it.
bool ReadModelCounts(std::span<const uint8_t> start, uint64_t fileSize, ModelCounts& counts);
// The bytes a model of these counts holds once loaded, at most.
uint64_t ModelMemoryBytes(const ModelCounts& counts, uint64_t fileSize);

// Parses a whole model file held in memory into `record`. A file whose counts,
// indices or sizes do not fit is refused: false, and `record` is left as it was.
bool ParseModelFile(ModelRecord& record, std::span<const uint8_t> file);
// Reads the file by the loose-first rule and parses it.
bool ReadModelFile(ModelRecord& record, const std::string& path);

// Index of the model loaded from `path` (loading it on first use), or -1.
int LoadModel(const std::string& path);
// The bytes the loaded models hold.
uint64_t ModelTableBytes();
// Index of the first bone called `name`; 0 when none is (as bone 0).
int FindModelBone(int model, const std::string& name);
// Directory of the model's path followed by its texture name.
std::string ModelTexturePath(int model);

// Frees every model and texture (tests, shutdown).
void ResetModels();

}  // namespace tarvex
