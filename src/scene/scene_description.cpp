#include "scene/scene_description.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/byte_io.h"
#include "platform/display.h"
#include "platform/render_device.h"
#include "resources/game_file.h"
#include "resources/texture_cache.h"

namespace tarvex {

SceneTables sceneTables;
SceneRendering sceneRendering;

namespace {

constexpr size_t kSearchedBytes = kSceneDescriptionBytes;
constexpr size_t kBufferBytes = 131072;  // zero beyond the text, so a scan ends in zeros
constexpr size_t kMaxGroupSkip = 65535;
constexpr size_t kMaxNameLength = 255;

// The description's tokens: keywords anywhere in the text, values after them. The text is
// read as if it stood in a zeroed buffer of kBufferBytes (its first kSearchedBytes kept), so
// a scan past its end meets zeros; those are never walked over byte by byte.
class SceneText {
public:
    explicit SceneText(std::span<const uint8_t> text)
        : text_(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), kSearchedBytes))) {}

    // Moves to just after the first occurrence of the keyword; false when there is none.
    bool Find(const char* keyword) {
        const size_t len = std::strlen(keyword);
        auto it = std::search(text_.begin(), text_.end(), keyword, keyword + len);
        if (it == text_.end()) return false;
        pos_ = static_cast<size_t>(it - text_.begin()) + len;
        return true;
    }

    // Steps past the next "{", "[" or "(" (looking at most 65,535 characters ahead).
    void Group() {
        for (size_t i = 0; i < kMaxGroupSkip && pos_ < kBufferBytes; ++i, ++pos_) {
            if (pos_ >= text_.size()) {
                // Only zeros from here: the look-ahead runs out where it would have.
                pos_ = std::min(pos_ + (kMaxGroupSkip - i), kBufferBytes);
                break;
            }
            const char c = static_cast<char>(text_[pos_]);
            if (c == '{' || c == '[' || c == '(') {
                ++pos_;
                return;
            }
        }
        pos_ = std::min(pos_ + 1, kBufferBytes);
    }

    double Number() {
        while (pos_ < kBufferBytes && !IsNumberStart(At(pos_))) {
            if (pos_ >= text_.size()) pos_ = kBufferBytes;  // zeros to the end: no number
            else ++pos_;
        }
        const size_t start = pos_;
        if (pos_ < kBufferBytes) ++pos_;
        while (pos_ < kBufferBytes && (IsDigit(At(pos_)) || At(pos_) == '.')) ++pos_;
        if (start >= text_.size()) return 0.0;
        double value = 0.0;
        const char* first = reinterpret_cast<const char*>(text_.data() + start);
        const char* last = reinterpret_cast<const char*>(text_.data() + pos_);
        if (std::from_chars(first, last, value).ec != std::errc()) value = 0.0;  // "-" or "." alone
        return value;
    }

    float Single() {
        Group();
        return static_cast<float>(Number());
    }

    int Integer() {
        Group();
        return TruncateToInt(Number());
    }

    // A triple, converted from the file's z-up axes.
    Vec3 Point() {
        Group();
        const float a = static_cast<float>(Number());
        const float b = static_cast<float>(Number());
        const float c = static_cast<float>(Number());
        return Vec3{-a, c, -b};
    }

    void Triple(int out[3]) {
        Group();
        for (int i = 0; i < 3; ++i) out[i] = TruncateToInt(Number());
    }

    std::string Name() {
        Group();
        std::string name;
        while (pos_ < kBufferBytes && name.size() < kMaxNameLength) {
            const char c = static_cast<char>(At(pos_));
            if (c == '}' || c == ']' || c == ')' || c == 0) break;
            name += c;
            ++pos_;
        }
        return name;
    }

private:
    static bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
    static bool IsNumberStart(uint8_t c) { return c == '-' || c == '.' || IsDigit(c); }
    // Truncation toward zero, held inside the int range.
    static int TruncateToInt(double v) {
        if (!(v > -2147483648.0)) return v != v ? 0 : INT32_MIN;
        if (!(v < 2147483648.0)) return INT32_MAX;
        return static_cast<int>(v);
    }

    uint8_t At(size_t i) const { return i < text_.size() ? text_[i] : 0; }

    std::vector<uint8_t> text_;
    size_t pos_ = 0;
};

void PutFloat(uint8_t* image, size_t offset, float v) { std::memcpy(image + offset, &v, 4); }

void LoadParticleSystem(int index, const Vec3& position, float scale, const std::string& file,
                        const SceneDescriptionHooks& hooks) {
    uint8_t* image = sceneTables.particleSystemImages[index];
    std::memset(image, 0, kParticleSystemSize);
    std::vector<uint8_t> bytes;
    if (hooks.readParticleFile && hooks.readParticleFile(file, bytes)) {
        // The file: the image's byte count, then the image of the record as the game holds it.
        ByteReader r(bytes.data(), bytes.size());
        const uint32_t n = r.U32();
        // An image larger than the record, or cut short, is refused: the record stays zeroed.
        if (r.ok() && n <= kParticleSystemSize && r.Bytes(image, n)) {
            PutFloat(image, kParticlePositionOffset, position.x);
            PutFloat(image, kParticlePositionOffset + 4, position.y);
            PutFloat(image, kParticlePositionOffset + 8, position.z);
            PutFloat(image, kParticleScaleOffset, scale);
            std::memset(image + kParticleLiveOffset, 0, 4);
            image[kParticlePausedOffset] = 0;
            // The name field ends where the texture index begins.
            const char* name = reinterpret_cast<const char*>(image + kParticleTextureNameOffset);
            const std::string texture(name, strnlen(name, kParticleTextureIndexOffset - kParticleTextureNameOffset));
            const int32_t textureIndex = hooks.loadTexture ? hooks.loadTexture(texture) : -1;
            std::memcpy(image + kParticleTextureIndexOffset, &textureIndex, 4);
        }
    }
    uint32_t capacity;
    std::memcpy(&capacity, image + kParticleCapacityOffset, 4);
    capacity = std::min<uint32_t>(capacity, kMaxParticles);  // the record holds 1,024 particles
    for (uint32_t j = 0; j < capacity; ++j)
        std::memset(image + kParticleRecordsOffset + kParticleRecordSize * j, 0, 4);
}

bool ReadLooseParticleFile(const std::string& path, std::vector<uint8_t>& out) {
    if (LocateGameFile(path) != GameFileSource::Loose) return false;
    return ReadGameFile(path, out, 4 + kParticleSystemSize + 1);
}

int LoadParticleTexture(const std::string& path) { return LoadTexture(path); }

}  // namespace

SceneDescriptionHooks DefaultSceneDescriptionHooks() {
    SceneDescriptionHooks hooks;
    hooks.readParticleFile = ReadLooseParticleFile;
    hooks.loadTexture = LoadParticleTexture;
    hooks.stencilAvailable = GetDisplayObjects().stencilBits > 0;
    return hooks;
}

namespace {

// The camera's eye, target, field of view and roll, and its view and projection.
SceneCamera ReadCamera(SceneText& text) {
    SceneCamera camera;
    camera.eye = text.Point();
    camera.target = text.Point();
    camera.fovDegrees = text.Single();
    text.Single();  // not used
    camera.rollDegrees = text.Single();
    camera.up = Vec3{0, 1, 0};
    MatLookAt(camera.viewMatrix, camera.eye, camera.target, camera.up);
    Mat4 roll;
    MatRotationZ(roll, -camera.rollDegrees * kDegreesToRadians);
    MatMultiply(camera.viewMatrix, camera.viewMatrix, roll);
    MatPerspectiveFov(camera.projectionMatrix, camera.fovDegrees * kDegreesToRadians, 0.75f, 100.0f, 10000.0f);
    // A camera looking nowhere (the eye on its target, no field of view) unprojects no point.
    bool finite = camera.projectionMatrix[0] != 0.0f && camera.projectionMatrix[5] != 0.0f;
    for (int i = 0; i < 16; ++i)
        finite = finite && std::isfinite(camera.viewMatrix[i]) && std::isfinite(camera.projectionMatrix[i]);
    camera.present = finite;
    return camera;
}

// The point lights: place, range, attenuation and diffuse colour.
void ReadPointLights(SceneText& text) {
    const int count = std::clamp(text.Integer(), 0, kMaxPointLights);
    for (int i = 0; i < count; ++i) {
        SceneLight& light = sceneTables.sceneLights[i];
        light = SceneLight{};
        light.position = text.Point();
        light.range = text.Single();
        light.attenuation0 = text.Single();
        light.attenuation1 = text.Single();
        light.attenuation2 = text.Single();
        light.diffuse[0] = text.Single() / 255.0f;
        light.diffuse[1] = text.Single() / 255.0f;
        light.diffuse[2] = text.Single() / 255.0f;
        light.diffuse[3] = 0.0f;
        light.enabled = true;
    }
    sceneTables.pointLightCount = count;
}

}  // namespace

void ParseSceneDescription(std::span<const uint8_t> data, const SceneDescriptionHooks& hooks) {
    SceneText text(data);
    for (SceneLight& light : sceneTables.sceneLights) light.enabled = false;
    sceneTables.particleSystemCount = 0;
    sceneTables.sceneMirror.mirrorEnabled = false;
    sceneTables.sceneMirror.present = false;
    sceneTables.sceneCamera.present = false;

    if (text.Find("PARTICLES")) {
        // Counts past the table are outside the format; the table's size bounds them.
        const int count = std::clamp(text.Integer(), 0, kMaxParticleSystems);
        for (int i = 0; i < count; ++i) {
            const Vec3 position = text.Point();
            const float scale = text.Single();
            const std::string file = text.Name();
            LoadParticleSystem(i, position, scale, file, hooks);
        }
        sceneTables.particleSystemCount = count;
    }

    if (text.Find("MIRROR")) {
        sceneTables.sceneMirror.corner0 = text.Point();
        sceneTables.sceneMirror.corner1 = text.Point();
        sceneTables.sceneMirror.corner2 = text.Point();
        sceneTables.sceneMirror.corner3 = text.Point();
        sceneTables.sceneMirror.mirrorValue = text.Single();
        sceneTables.sceneMirror.present = true;
        sceneTables.sceneMirror.mirrorEnabled = hooks.stencilAvailable;
    }

    if (!text.Find("CAMERA")) return;
    sceneTables.sceneCamera = ReadCamera(text);

    if (!text.Find("SCALE")) return;
    sceneTables.sceneScale = text.Single();

    if (!text.Find("AMBIENT")) return;
    int c[3];
    text.Triple(c);
    sceneTables.ambientColour = static_cast<uint32_t>(c[0]) + static_cast<uint32_t>(c[1]) * 256u +
                    static_cast<uint32_t>(c[2]) * 65536u;

    // START and FIRES have no effect: only their presence matters.
    if (!text.Find("START")) return;
    if (!text.Find("FIRES")) return;

    if (!text.Find("POINTLIGHT")) return;
    ReadPointLights(text);
    sceneTables.sceneMaterial = SceneMaterial{};
}

SceneCamera ReadSceneCamera(std::span<const uint8_t> data) {
    SceneText text(data);
    if (!text.Find("CAMERA")) return SceneCamera{};
    return ReadCamera(text);
}

void LoadSceneDescription(const std::string& path) {
    std::vector<uint8_t> text;
    if (!ReadGameFile(path, text, kSearchedBytes)) return;
    if (text.size() > kSearchedBytes) text.resize(kSearchedBytes);  // a packaged entry may be larger
    ParseSceneDescription(text, DefaultSceneDescriptionHooks());
}

void ResetSceneRendering() {
    sceneRendering.shadowLength = 0.25f;
    device::SetFog(false);
}

void ResetSceneDescriptionObjects() {
    for (SceneLight& light : sceneTables.sceneLights) light = SceneLight{};
    sceneTables.pointLightCount = 0;
    sceneTables.sceneMirror.mirrorEnabled = false;
    sceneTables.particleSystemCount = 0;
}

}  // namespace tarvex
