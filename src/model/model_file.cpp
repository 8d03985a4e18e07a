#include "model/model_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "base/byte_io.h"
#include "resources/game_file.h"
#include "resources/load_limits.h"

namespace tarvex {

ModelTables modelTables;

namespace {

// What each loaded model holds, and their sum.
uint64_t modelBytes[kMaxModels] = {};
uint64_t modelTableBytes = 0;

template <typename T>
uint64_t VectorBytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

uint64_t ModelRecordBytes(const ModelRecord& m) {
    uint64_t bytes = VectorBytes(m.renderVertices) + VectorBytes(m.pointVertexMap) +
                     VectorBytes(m.pointVertexIndices) + VectorBytes(m.points) + VectorBytes(m.normals) +
                     VectorBytes(m.triangles) + VectorBytes(m.weldedTriangles) + VectorBytes(m.bones) +
                     VectorBytes(m.blendedPoints) + VectorBytes(m.poses);
    for (const BoneRecord& b : m.bones) bytes += VectorBytes(b.points) + VectorBytes(b.poseIndices);
    return bytes;
}

Vec3 ReadVec3(ByteReader& r) {
    Vec3 v;
    v.x = r.F32();
    v.y = r.F32();
    v.z = r.F32();
    return v;
}

// The modelling tool's z-up axes to the engine's y-up ones.
Vec3 ConvertAxes(const Vec3& v) { return Vec3{-v.x, v.z, -v.y}; }

bool ReadPose(ByteReader& r, Mat4& pose) {
    float f[12];
    for (float& v : f) v = r.F32();
    if (!r.ok()) return false;
    pose = Mat4{};
    for (int row = 0; row < 3; ++row)
        for (int c = 0; c < 3; ++c) pose[4 * row + c] = f[3 * row + c];
    pose[12] = f[9];
    pose[13] = f[10];
    pose[14] = f[11];
    pose[15] = 1.0f;
    return true;
}

// Render vertices at exactly the same position share the first one's index.
// Equal to comparing every later vertex with every earlier one, without the
// quadratic cost on large meshes.
void Weld(ModelRecord& m) {
    struct Key {
        float x, y, z;
        bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct Hash {
        size_t operator()(const Key& k) const {
            auto bits = [](float f) {
                uint32_t b;
                f = f == 0.0f ? 0.0f : f;  // -0 and +0 are the same position
                std::memcpy(&b, &f, 4);
                return static_cast<size_t>(b);
            };
            return bits(k.x) * 73856093u ^ bits(k.y) * 19349663u ^ bits(k.z) * 83492791u;
        }
    };
    std::unordered_map<Key, uint32_t, Hash> first;
    std::vector<uint32_t> target(m.vertexCount);
    for (uint32_t i = 0; i < m.vertexCount; ++i) {
        const Vec3& p = m.renderVertices[i].position;
        target[i] = i;
        if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) continue;  // equals nothing
        auto [it, inserted] = first.try_emplace(Key{p.x, p.y, p.z}, i);
        if (!inserted) target[i] = it->second;
    }
    for (uint16_t& index : m.weldedTriangles) index = static_cast<uint16_t>(target[index]);
    // Welded vertices are moved out of the way, as the pairwise weld leaves them.
    for (uint32_t j = 0; j < m.vertexCount; ++j)
        if (target[j] != j) m.renderVertices[j].position = Vec3{1e8f, 1e12f, 1e11f};
}

// Influences by falling weight: each round takes the first remaining one whose weight
// beats the best so far (from 0.0), so equal weights keep file order.
void SortInfluences(BlendedPoint& b) {
    uint16_t bones[kMaxInfluences];
    float weights[kMaxInfluences];
    bool taken[kMaxInfluences] = {};
    for (int n = 0; n < b.count; ++n) {
        int pick = -1;
        float best = 0.0f;
        for (int j = 0; j < b.count; ++j)
            if (!taken[j] && b.weights[j] > best) {
                best = b.weights[j];
                pick = j;
            }
        // Weights of 0 or less (or not a number) never beat the start value: they
        // follow in file order instead of repeating an influence already taken.
        if (pick < 0)
            for (int j = 0; j < b.count && pick < 0; ++j)
                if (!taken[j]) pick = j;
        taken[pick] = true;
        bones[n] = b.bones[pick];
        weights[n] = b.weights[pick];
    }
    std::memcpy(b.bones, bones, sizeof(uint16_t) * b.count);
    std::memcpy(b.weights, weights, sizeof(float) * b.count);
}

// The optional tail (cull mode .. trailer): each field is read whole or not at all,
// and everything after the first missing field keeps its default.
void ReadOptionalBlocks(ByteReader& r, ModelRecord& m, bool convert) {
    const uint8_t cullMode = r.U8();
    if (!r.ok()) return;
    m.cullMode = cullMode;
    uint8_t name[256];
    if (!r.Bytes(name, sizeof name)) return;
    std::memcpy(m.textureName, name, sizeof name);
    m.textureName[255] = 0;
    for (BoneRecord& bone : m.bones) {
        const Vec3 offset = ReadVec3(r);
        if (!r.ok()) return;
        bone.attachOffset = convert ? ConvertAxes(offset) : offset;
        const Vec3 rotation = ReadVec3(r);
        if (!r.ok()) return;
        bone.attachRotation = convert ? ConvertAxes(rotation) : rotation;
        const Vec3 scale = ReadVec3(r);
        if (!r.ok()) return;
        bone.attachScale = convert ? ConvertAxes(scale) : scale;
    }
    for (MotionEntry& motion : m.motions) {
        // 44 bytes an entry, the last 23 unused.
        ByteReader e(r.View(44));
        if (!r.ok()) return;
        motion.first = e.F32();
        motion.last = e.F32();
        motion.loopTo = e.F32();
        motion.speed = e.F32();
        motion.next = e.U32();
        motion.defined = e.U8();
    }
    for (BoneRecord& bone : m.bones) {
        const uint8_t cull = r.U8();
        if (!r.ok()) return;
        bone.attachCullMode = cull;
    }
    const uint8_t alphaTest = r.U8();  // the rest of the trailer is not used
    if (r.ok()) m.alphaTest = alphaTest;
}

}  // namespace

bool ReadModelCounts(std::span<const uint8_t> start, uint64_t fileSize, ModelCounts& c) {
    ByteReader r(start);
    c = ModelCounts{};
    c.version = r.U32();
    if (!r.ok()) return false;
    if (r.remaining() >= 16) {
        const std::span<const uint8_t> signature = r.View(16);
        for (size_t i = 0; i + 13 <= signature.size() && !c.hasSignature; ++i)
            c.hasSignature = std::memcmp(signature.data() + i, kModelSignature, 13) == 0;
    }
    // Older files have neither version nor signature: the header starts the file.
    if (!c.hasSignature) r.Seek(0);
    c.pointCount = r.U32();
    c.triangleCount = r.U32();
    c.vertexCount = r.U32();
    r.Skip(4);  // unused
    c.boneCount = r.U32();
    c.blendCount = r.U32();
    c.frameCount = r.U32();
    c.poseCount = r.U32();
    r.Skip(48);  // reference vectors, not used
    if (!r.ok() || fileSize < r.position()) return false;
    c.bodyOffset = r.position();
    // Triangles and the point map address render vertices with 16 bits, blended points
    // their point with 16 bits: larger counts hold nothing a model can use.
    if (c.vertexCount > kMaxModelVertices || c.blendCount > kMaxModelVertices) return false;
    // Every count must fit into what is left of the file before anything is allocated.
    const uint64_t remaining = fileSize - c.bodyOffset;
    const uint64_t poseIndexSize = c.hasSignature ? 4 : 2;
    const uint64_t minimum = uint64_t{c.pointCount} * (24 + 1) + uint64_t{c.triangleCount} * 6 +
                             uint64_t{c.vertexCount} * 8 + uint64_t{c.poseCount} * 48 +
                             uint64_t{c.boneCount} * (64 + 48 + 4 + uint64_t{c.frameCount} * poseIndexSize) +
                             uint64_t{c.blendCount} * 4;
    if (minimum > remaining) return false;
    if (c.boneCount > 0 && uint64_t{c.frameCount} * poseIndexSize > remaining) return false;
    return true;
}

uint64_t ModelMemoryBytes(const ModelCounts& c, uint64_t fileSize) {
    // The arrays sized from the counts, the welding table, and at most the file's size again
    // for the lists whose lengths lie in the file (bones' points, the point map).
    return uint64_t{c.pointCount} * (2 * sizeof(Vec3) + sizeof(PointVertices)) +
           uint64_t{c.vertexCount} * (sizeof(RenderVertex) + 64) + uint64_t{c.triangleCount} * 12 +
           uint64_t{c.poseCount} * sizeof(Mat4) +
           uint64_t{c.boneCount} * (sizeof(BoneRecord) + uint64_t{c.frameCount} * 4) +
           uint64_t{c.blendCount} * sizeof(BlendedPoint) + fileSize;
}

namespace {

// The points and their normals, in the engine's axes.
bool ReadPoints(ByteReader& r, ModelRecord& m, bool convert) {
    m.points.resize(m.pointCount);
    m.normals.resize(m.pointCount);
    for (Vec3& p : m.points) {
        p = ReadVec3(r);
        if (convert) p = ConvertAxes(p);
    }
    for (Vec3& n : m.normals) {
        n = ReadVec3(r);
        if (convert) n = ConvertAxes(n);
    }
    return r.ok();
}

// The triangles, the render vertices' texture places, and the map from each point to its
// render vertices (which take the point's position); then the welded triangles.
bool ReadMesh(ByteReader& r, ModelRecord& m) {
    m.triangles.resize(uint64_t{m.triangleCount} * 3);
    for (uint16_t& index : m.triangles) {
        index = r.U16();
        if (!r.ok() || index >= m.vertexCount) return false;
    }
    m.renderVertices.resize(m.vertexCount);
    for (RenderVertex& v : m.renderVertices) {
        v.u = r.F32();
        v.v = r.F32();
    }
    if (!r.ok()) return false;

    m.pointVertexMap.resize(m.pointCount);
    for (uint32_t p = 0; p < m.pointCount; ++p) {
        const uint8_t n = r.U8();
        if (!r.ok() || size_t{n} * 2 > r.remaining()) return false;
        m.pointVertexMap[p].count = n;
        m.pointVertexMap[p].first = static_cast<uint32_t>(m.pointVertexIndices.size());
        for (int k = 0; k < n; ++k) {
            const uint16_t vertex = r.U16();
            if (!r.ok() || vertex >= m.vertexCount) return false;
            m.pointVertexIndices.push_back(vertex);
            m.renderVertices[vertex].position = m.points[p];
        }
    }
    m.weldedTriangles = m.triangles;
    Weld(m);
    return true;
}

bool ReadPoses(ByteReader& r, ModelRecord& m, bool convert) {
    // The engine's axes for older poses: C * P * RotationX(-pi/2).
    Mat4 axes, turn;
    axes[0] = -1;
    axes[6] = 1;
    axes[9] = -1;
    axes[15] = 1;
    MatRotationX(turn, static_cast<float>(-M_PI / 2));
    m.poses.resize(m.poseCount);
    for (Mat4& pose : m.poses) {
        if (!ReadPose(r, pose)) return false;
        if (convert) {
            MatMultiply(pose, axes, pose);
            MatMultiply(pose, pose, turn);
        }
    }
    return true;
}

// Each bone: its name, the points it moves and its pose in every frame.
bool ReadBones(ByteReader& r, ModelRecord& m) {
    m.bones.resize(m.boneCount);
    for (BoneRecord& bone : m.bones) {
        r.Bytes(bone.name, sizeof bone.name);
        r.Skip(48);
        const uint32_t pointsMoved = r.U32();
        if (!r.ok()) return false;
        bone.name[63] = 0;
        if (uint64_t{pointsMoved} * 2 > r.remaining()) return false;
        bone.points.resize(pointsMoved);
        for (uint16_t& p : bone.points) {
            p = r.U16();
            if (!r.ok() || p >= m.pointCount) return false;
        }
        bone.poseIndices.resize(m.frameCount);
        for (uint32_t& pose : bone.poseIndices) {
            pose = m.hasSignature ? r.U32() : r.U16();
            if (!r.ok() || pose >= m.poseCount) return false;
        }
    }
    return true;
}

// Points moved by several bones, their influences sorted by falling weight.
bool ReadBlendedPoints(ByteReader& r, ModelRecord& m) {
    m.blendedPoints.resize(m.blendCount);
    for (BlendedPoint& b : m.blendedPoints) {
        b.point = r.U16();
        if (!r.ok() || b.point >= m.pointCount) return false;
        b.count = r.U16();
        if (!r.ok() || b.count > kMaxInfluences) return false;
        for (int k = 0; k < b.count; ++k) {
            b.bones[k] = r.U16();
            if (!r.ok() || b.bones[k] >= m.boneCount) return false;
        }
        for (int k = 0; k < b.count; ++k) b.weights[k] = r.F32();
        if (!r.ok()) return false;
        SortInfluences(b);
    }
    return true;
}

}  // namespace

bool ParseModelFile(ModelRecord& record, std::span<const uint8_t> file) {
    if (file.size() >= 4) modelTables.modelFileVersion = ByteReader(file).U32();
    ModelCounts counts;
    if (!ReadModelCounts(file, file.size(), counts)) return false;
    ByteReader r(file);
    r.Seek(counts.bodyOffset);

    ModelRecord m;
    m.hasSignature = counts.hasSignature;
    m.version = counts.version;
    m.pointCount = counts.pointCount;
    m.triangleCount = counts.triangleCount;
    m.vertexCount = counts.vertexCount;
    m.boneCount = counts.boneCount;
    m.blendCount = counts.blendCount;
    m.frameCount = counts.frameCount;
    m.poseCount = counts.poseCount;

    const bool convert = m.version < kFirstYUpVersion;
    if (!ReadPoints(r, m, convert) || !ReadMesh(r, m) || !ReadPoses(r, m, convert) || !ReadBones(r, m) ||
        !ReadBlendedPoints(r, m))
        return false;
    for (Vec3& n : m.normals) {
        Vec3Normalize(n, n);
        n.x *= 4.0f;
        n.y *= 4.0f;
        n.z *= 4.0f;
    }

    ReadOptionalBlocks(r, m, convert);
    m.loaded = 1;
    record = std::move(m);
    return true;
}

bool ReadModelFile(ModelRecord& record, const std::string& path) {
    uint64_t size = 0;
    FILE* f = OpenGameFile(path, size);
    if (!f) return false;
    // The size (the file system's or the package directory's) and the counts of the header
    // decide before the body is read; what the model will hold is asked of the loads' budget.
    std::vector<uint8_t> bytes;
    ModelCounts counts;
    bool ok = size <= kMaxModelFileBytes;
    if (ok) {
        ReadGameFileBytes(f, std::min<uint64_t>(size, 100), bytes);
        ok = ReadModelCounts(bytes, size, counts) && TakeLoadBytes(ModelMemoryBytes(counts, size));
    }
    if (ok) {
        std::vector<uint8_t> body;
        ReadGameFileBytes(f, size - bytes.size(), body);
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    std::fclose(f);
    return ok && ParseModelFile(record, bytes);
}

uint64_t ModelTableBytes() { return modelTableBytes; }

int LoadModel(const std::string& path) {
    for (int i = 0; i < modelTables.modelCount; ++i)
        if (modelTables.models[i].modelPath == path) return i;
    if (modelTables.modelCount >= kMaxModels || modelTableBytes >= kMaxModelTableBytes) return -1;
    if (LoadFailedBefore(LoadKind::Model, path)) return -1;
    ModelRecord& record = modelTables.models[modelTables.modelCount];
    if (!ReadModelFile(record, path) || !record.loaded) {
        NoteFailedLoad(LoadKind::Model, path);
        return -1;
    }
    record.modelPath = path;
    modelBytes[modelTables.modelCount] = ModelRecordBytes(record);
    modelTableBytes += modelBytes[modelTables.modelCount];
    return modelTables.modelCount++;
}

int FindModelBone(int model, const std::string& name) {
    if (model < 0 || model >= modelTables.modelCount) return 0;
    const ModelRecord& m = modelTables.models[model];
    for (uint32_t i = 0; i < m.boneCount; ++i) {
        const char* bone = m.bones[i].name;
        if (std::strlen(bone) == name.size() && std::memcmp(bone, name.data(), name.size()) == 0)
            return static_cast<int>(i);
    }
    return 0;
}

std::string ModelTexturePath(int model) {
    if (model < 0 || model >= modelTables.modelCount) return {};
    const ModelRecord& m = modelTables.models[model];
    const size_t slash = m.modelPath.rfind('/');
    std::string path = slash == std::string::npos ? std::string() : m.modelPath.substr(0, slash + 1);
    return path + std::string(m.textureName, strnlen(m.textureName, 128));
}

void ResetModels() {
    for (int i = 0; i < modelTables.modelCount; ++i) modelTables.models[i] = ModelRecord{};
    for (uint64_t& b : modelBytes) b = 0;
    modelTableBytes = 0;
    modelTables.modelCount = 0;
    modelTables.modelFileVersion = 256;
    ResetTextureCache();
}

}  // namespace tarvex
