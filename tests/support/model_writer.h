// Writes model files for the tests, byte by byte from a plain description; it shares
// no code with the engine's reader.
#pragma once
#include <array>
#include <bit>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvex::test {

struct ModelSpec {
    bool signature = true;
    uint32_t version = 300;
    std::vector<std::array<float, 3>> points, normals;
    std::vector<std::array<uint16_t, 3>> triangles;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::vector<uint16_t>> pointVertices;
    std::vector<std::array<float, 12>> poses;
    struct Bone {
        std::string name;
        std::vector<uint16_t> points;
        std::vector<uint32_t> poses;  // frameCount entries
    };
    std::vector<Bone> bones;
    uint32_t frameCount = 0;
    struct Blend {
        uint16_t point;
        std::vector<uint16_t> bones;
        std::vector<float> weights;
    };
    std::vector<Blend> blends;
    // Optional tail: how many of the six blocks (cull .. trailer) are written.
    int tailBlocks = 6;
    uint8_t cullMode = 0;
    std::string texture;
    std::vector<std::array<float, 9>> attachments;  // offset, rotation, scale per bone
    struct Motion {
        float first, last, loopTo, speed;
        uint32_t next;
    };
    std::map<int, Motion> motions;
    std::vector<uint8_t> attachCull;
    uint8_t alphaTest = 0;
};

// Little-endian values and fixed-size text fields, as the files hold them.
class ByteSink {
public:
    std::vector<uint8_t> data;
    void U8(uint8_t v) { data.push_back(v); }
    void U16(uint16_t v) { Le(v, 2); }
    void U32(uint32_t v) { Le(v, 4); }
    void F32(float f) { Le(std::bit_cast<uint32_t>(f), 4); }
    void Zeros(size_t n) { data.insert(data.end(), n, 0); }
    template <typename Rows>
    void Floats(const Rows& rows) {
        for (const auto& row : rows)
            for (float f : row) F32(f);
    }
    void Text(const std::string& s, size_t field) {
        for (size_t i = 0; i < field; ++i) U8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    }

private:
    void Le(uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
    }
};

inline std::vector<uint8_t> WriteModel(const ModelSpec& s) {
    ByteSink b;
    if (s.signature) {
        b.U32(s.version);
        b.Text("(c)Vexo 2001 ", 16);
    }
    for (size_t count : {s.points.size(), s.triangles.size(), s.uvs.size(), size_t{0}, s.bones.size(),
                         s.blends.size(), size_t{s.frameCount}, s.poses.size()})
        b.U32(static_cast<uint32_t>(count));
    b.Zeros(48);
    b.Floats(s.points);
    b.Floats(s.normals);
    for (auto& t : s.triangles)
        for (uint16_t i : t) b.U16(i);
    b.Floats(s.uvs);
    for (size_t p = 0; p < s.points.size(); ++p) {
        const std::vector<uint16_t> none;
        const auto& list = p < s.pointVertices.size() ? s.pointVertices[p] : none;
        b.U8(static_cast<uint8_t>(list.size()));
        for (uint16_t v : list) b.U16(v);
    }
    b.Floats(s.poses);
    for (auto& bone : s.bones) {
        b.Text(bone.name, 64);
        b.Zeros(48);
        b.U32(static_cast<uint32_t>(bone.points.size()));
        for (uint16_t p : bone.points) b.U16(p);
        for (uint32_t f = 0; f < s.frameCount; ++f) {
            const uint32_t pose = f < bone.poses.size() ? bone.poses[f] : 0;
            if (s.signature) b.U32(pose); else b.U16(static_cast<uint16_t>(pose));
        }
    }
    for (auto& blend : s.blends) {
        b.U16(blend.point);
        b.U16(static_cast<uint16_t>(blend.bones.size()));
        for (uint16_t bone : blend.bones) b.U16(bone);
        for (float w : blend.weights) b.F32(w);
    }
    if (s.tailBlocks < 1) return b.data;
    b.U8(s.cullMode);
    if (s.tailBlocks < 2) return b.data;
    b.Text(s.texture, 256);
    if (s.tailBlocks < 3) return b.data;
    for (size_t i = 0; i < s.bones.size(); ++i) {
        std::array<float, 9> a = {0, 0, 0, 0, 0, 0, 100, 100, 100};
        if (i < s.attachments.size()) a = s.attachments[i];
        for (float f : a) b.F32(f);
    }
    if (s.tailBlocks < 4) return b.data;
    for (int i = 0; i < 256; ++i) {
        auto it = s.motions.find(i);
        if (it == s.motions.end()) {
            b.Zeros(44);
            continue;
        }
        for (float f : {it->second.first, it->second.last, it->second.loopTo, it->second.speed}) b.F32(f);
        b.U32(it->second.next);
        b.U8(1);
        b.Zeros(23);
    }
    if (s.tailBlocks < 5) return b.data;
    for (size_t i = 0; i < s.bones.size(); ++i) b.U8(i < s.attachCull.size() ? s.attachCull[i] : 0);
    if (s.tailBlocks < 6) return b.data;
    b.U8(s.alphaTest);
    b.Zeros(2);
    b.F32(1.0f);
    b.Zeros(64);
    b.U8(0);
    return b.data;
}

// A small signed model: a quad of four points whose point 0 is split into two render
// vertices (a texture seam), two bones, two frames, two blended points.
inline ModelSpec SampleModel() {
    ModelSpec s;
    s.points = {{0, 0, 0}, {10, 0, 0}, {10, 20, 0}, {0, 20, 0}};
    s.normals = {{0, 0, 2}, {0, 0, 1}, {0, 3, 4}, {0, 0, 0}};
    s.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5f, 0.5f}};
    s.pointVertices = {{0, 4}, {1}, {2}, {3}};
    s.triangles = {{0, 1, 2}, {4, 2, 3}};
    s.poses = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7}, {0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0}};
    s.frameCount = 2;
    s.bones = {{"Bip01", {0, 1}, {0, 1}}, {"Bip01 R Hand", {2, 3}, {1, 0}}};
    s.blends = {{2, {0, 1}, {0.25f, 0.75f}}, {3, {1}, {1.0f}}};
    s.cullMode = 2;
    s.texture = "gorin.bmp";
    s.attachments = {{1, 2, 3, 10, 20, 30, 50, 60, 70}};
    s.motions[0] = {0, 10, -1, 0.5f, 3};
    s.motions[7] = {11, 20, 12, 1.5f, 0};
    s.attachCull = {1, 3};
    s.alphaTest = 1;
    return s;
}

}  // namespace tarvex::test
