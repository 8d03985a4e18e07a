#include "render/particles.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/globals.h"
#include "model/model_file.h"
#include "platform/random.h"
#include "platform/render_device.h"
#include "render/frame_description.h"
#include "render/frame_render.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"

namespace tarvex {

namespace {

// The scene's particle systems as the frame describes them.
int SystemCount() { return static_cast<int>(std::min<size_t>(HandedFrame().particleSystems.size(), kMaxParticleSystems)); }
uint8_t* System(int index) { return HandedFrame().particleSystems[index]; }

// Record layout.
constexpr size_t kEnabled = 0, kEmitInterval = 2, kStartColour = 4, kEndColour = 8, kFadeTicks = 12,
                 kFadeBack = 16, kBlendMode = 20, kPosition = 24, kVelocity = 36, kAcceleration = 48, kSize = 60,
                 kSizeRate = 64, kCountdown = 68, kFadeByLife = 72, kTextureIndex = 204, kVelocityJitter = 224,
                 kAccelerationJitter = 236, kSpawnJitter = 248, kRotationY = 260, kPerEmission = 264,
                 kContinuous = 268, kOnTime = 272, kOffTime = 276, kPhase = 280, kOnJitter = 284,
                 kOffJitter = 288, kFadeJitter = 292, kIntervalJitter = 296, kSizeJitter = 300,
                 kSizeRateJitter = 304, kCapacity = 308, kLife = 316, kLifeJitter = 320, kLiveFlag = 324,
                 kParticles = 328, kWindAffected = 106824, kAmplitudes = 106828, kPhases = 106852,
                 kRates = 106864, kRandomSpin = 107005, kSpinRate = 107008, kTimer = 107012,
                 kRotationX = 107016, kRotationZ = 107020, kScale = 107060, kPaused = 107064;
// Particle layout.
constexpr size_t pLife = 0, pAge = 4, pColour = 8, pChange = 16, pFadeLeft = 24, pFadeLength = 28,
                 pFadeBack = 32, pBlend = 36, pStart = 40, pVelocity = 52, pAcceleration = 64, pSize = 76,
                 pSizeRate = 80, pSpin = 84, pAngle = 88, pCurrent = 92;
constexpr size_t kParticleBytes = 104;

template <typename T>
T Get(const uint8_t* base, size_t offset) {
    T v;
    std::memcpy(&v, base + offset, sizeof v);
    return v;
}
template <typename T>
void Put(uint8_t* base, size_t offset, T v) {
    std::memcpy(base + offset, &v, sizeof v);
}
Vec3 GetVec(const uint8_t* base, size_t offset) {
    return {Get<float>(base, offset), Get<float>(base, offset + 4), Get<float>(base, offset + 8)};
}
void PutVec(uint8_t* base, size_t offset, const Vec3& v) {
    Put(base, offset, v.x);
    Put(base, offset + 4, v.y);
    Put(base, offset + 8, v.z);
}

float R() { return static_cast<float>(Random15()) / 32767.0f; }
float S() {
    const int a = Random15();
    const int b = Random15();
    return static_cast<float>(a - b) / 65534.0f;
}

int Capacity(const uint8_t* sys) { return static_cast<int>(std::min<uint32_t>(Get<uint32_t>(sys, kCapacity), kMaxParticles)); }
uint8_t* Particle(uint8_t* sys, int i) { return sys + kParticles + static_cast<size_t>(i) * kParticleBytes; }
bool HasTexture(const uint8_t* sys) { return Get<int32_t>(sys, kTextureIndex) != -1; }

// Whole-tick accumulators of emission and fading: at most one step a frame.
float emitAccumulator = 0.0f;
float fadeAccumulator = 0.0f;
bool TickDue(float& accumulator) {
    accumulator += HandedFrame().synch;
    if (accumulator < 1.0f) return false;
    while (accumulator > 1.0f) accumulator -= 1.0f;
    return true;
}

void EmitterStep(int index) {
    uint8_t* sys = System(index);
    if (!Get<uint8_t>(sys, kContinuous)) {
        float timer = Get<float>(sys, kTimer) - 1.0f;
        uint8_t phase = Get<uint8_t>(sys, kPhase);
        if (phase == 0) {
            if (timer <= 0.0f) {
                Put<uint8_t>(sys, kPhase, 1);
                timer = static_cast<float>(Get<uint32_t>(sys, kOnTime)) + S() * Get<float>(sys, kOnJitter);
            }
            Put(sys, kTimer, timer);
            return;  // nothing is emitted while off, nor in the step that switches on
        }
        if (timer <= 0.0f) {
            Put<uint8_t>(sys, kPhase, 0);
            timer = static_cast<float>(Get<uint32_t>(sys, kOffTime)) + S() * Get<float>(sys, kOffJitter);
        }
        Put(sys, kTimer, timer);
    }
    float countdown = Get<float>(sys, kCountdown) - 1.0f;
    if (countdown <= 0.0f && !Get<uint8_t>(sys, kPaused)) {
        const uint32_t count = std::min<uint32_t>(Get<uint32_t>(sys, kPerEmission), kMaxParticles);
        for (uint32_t i = 0; i < count; ++i) SpawnParticle(index);
        countdown = R() * Get<float>(sys, kIntervalJitter) + static_cast<float>(Get<uint8_t>(sys, kEmitInterval));
    }
    Put(sys, kCountdown, countdown);
}

void FadeStep(uint8_t* p) {
    int32_t life = Get<int32_t>(p, pLife);
    if (life != -1) {
        --life;
        Put(p, pLife, life);
        if (life == 0) return;
    }
    int16_t colour[4], change[4];
    std::memcpy(colour, p + pColour, 8);
    std::memcpy(change, p + pChange, 8);
    const int32_t left = Get<int32_t>(p, pFadeLeft);
    bool black = true;
    for (int16_t lane : colour) black = black && (static_cast<uint16_t>(lane) >> 8) == 0;
    const uint32_t fadeBack = Get<uint32_t>(p, pFadeBack);
    if (black && left <= 0 && fadeBack == 0) {
        Put<int32_t>(p, pLife, 0);
        return;
    }
    if (left <= 0) {
        if (fadeBack) {
            Put(p, pFadeLeft, Get<int32_t>(p, pFadeLength));
            for (int16_t& c : change) c = static_cast<int16_t>(-c);
            std::memcpy(p + pChange, change, 8);
        }
        return;
    }
    Put(p, pFadeLeft, left - 1);
    for (int i = 0; i < 4; ++i) colour[i] = static_cast<int16_t>(static_cast<uint16_t>(colour[i]) + static_cast<uint16_t>(change[i]));
    std::memcpy(p + pColour, colour, 8);
}

}  // namespace

bool ParticleBlendFactors(int mode, int& source, int& destination, bool& alphaFromDiffuse) {
    using device::BlendFactor;
    static const BlendFactor table[13][2] = {
        {BlendFactor::One, BlendFactor::One},
        {BlendFactor::InverseDestinationColour, BlendFactor::Zero},
        {BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha},
        {BlendFactor::DestinationColour, BlendFactor::Zero},
        {BlendFactor::One, BlendFactor::InverseSourceColour},
        {BlendFactor::InverseSourceAlpha, BlendFactor::InverseSourceColour},
        {BlendFactor::InverseDestinationColour, BlendFactor::InverseSourceColour},
        {BlendFactor::InverseSourceAlpha, BlendFactor::InverseSourceColour},
        {BlendFactor::DestinationColour, BlendFactor::SourceColour},
        {BlendFactor::SourceAlpha, BlendFactor::One},
        {BlendFactor::InverseSourceAlpha, BlendFactor::One},
        {BlendFactor::One, BlendFactor::SourceAlpha},
        {BlendFactor::One, BlendFactor::InverseSourceAlpha},
    };
    if (mode < 0 || mode > 12) return false;
    source = static_cast<int>(table[mode][0]);
    destination = static_cast<int>(table[mode][1]);
    alphaFromDiffuse = mode == 7;
    return true;
}

void SpawnParticle(int index) {
    if (index < 0 || index >= SystemCount()) return;
    const float synch = HandedFrame().synch;
    uint8_t* sys = System(index);
    const int capacity = Capacity(sys);
    uint8_t* p = nullptr;
    for (int i = 0; i < capacity && !p; ++i)
        if (Get<int32_t>(Particle(sys, i), pLife) == 0) p = Particle(sys, i);
    if (!p) return;
    // Life.
    int32_t life = static_cast<int32_t>(static_cast<float>(Get<uint32_t>(sys, kLife)) + S() * Get<float>(sys, kLifeJitter));
    if (life == 0) life = 1;
    Put(p, pLife, life);
    Put<uint32_t>(sys, kLiveFlag, 1);
    // Spin.
    const float spinRate = Get<float>(sys, kSpinRate);
    if (spinRate != 0.0f) {
        Put(p, pSpin, spinRate);
        Put(p, pAngle, R() * 3.14f);
        if (Get<uint8_t>(sys, kRandomSpin)) Put(p, pSpin, S() * spinRate);
    }
    // Age and size.
    Put(p, pAge, 0.0f);
    Put(p, pSize, R() * Get<float>(sys, kSizeJitter) + Get<float>(sys, kSize));
    Put(p, pSizeRate, R() * Get<float>(sys, kSizeRateJitter) + Get<float>(sys, kSizeRate));
    // Start position: the oscillating, jittered offset through the emitter matrix.
    Mat4 rx, ry, rz, t, e;
    MatRotationX(rx, Get<float>(sys, kRotationX));
    MatRotationY(ry, Get<float>(sys, kRotationY));
    MatRotationZ(rz, Get<float>(sys, kRotationZ));
    const Vec3 position = GetVec(sys, kPosition);
    MatTranslation(t, position.x, position.y, position.z);
    MatMultiply(e, rx, ry);
    MatMultiply(e, e, rz);
    MatMultiply(e, e, t);
    const Vec3 amplitude = GetVec(sys, kAmplitudes), jitter = GetVec(sys, kSpawnJitter), rate = GetVec(sys, kRates);
    Vec3 phase = GetVec(sys, kPhases);
    Vec3 offset;
    offset.x = Sinf(phase.x) * amplitude.x + S() * jitter.x;
    offset.y = Sinf(phase.y) * amplitude.y + S() * jitter.y;
    offset.z = Sinf(phase.z) * amplitude.z + S() * jitter.z;
    Vec3 start;
    Vec3TransformCoord(start, offset, e);
    PutVec(p, pStart, start);
    PutVec(p, pCurrent, start);
    phase.x += synch * rate.x;
    phase.y += synch * rate.y;
    phase.z += synch * rate.z;
    PutVec(sys, kPhases, phase);
    // Motion.
    const Vec3 aBase = GetVec(sys, kAcceleration), aJitter = GetVec(sys, kAccelerationJitter);
    const Vec3 vBase = GetVec(sys, kVelocity), vJitter = GetVec(sys, kVelocityJitter);
    Vec3 a, v;
    a.x = S() * aJitter.x + aBase.x;
    a.y = S() * aJitter.y + aBase.y;
    a.z = S() * aJitter.z + aBase.z;
    v.x = S() * vJitter.x + vBase.x;
    v.y = S() * vJitter.y + vBase.y;
    v.z = S() * vJitter.z + vBase.z;
    PutVec(p, pAcceleration, a);
    PutVec(p, pVelocity, v);
    // Colour lanes and their change per tick.
    int32_t d = Get<uint8_t>(sys, kFadeByLife)
                    ? life
                    : static_cast<int32_t>(static_cast<float>(Get<uint32_t>(sys, kFadeTicks)) + S() * Get<float>(sys, kFadeJitter));
    if (d == 0) d = 1;
    const uint32_t startColour = Get<uint32_t>(sys, kStartColour), endColour = Get<uint32_t>(sys, kEndColour);
    int16_t colour[4], change[4];
    for (int lane = 0; lane < 4; ++lane) {
        const int s = (startColour >> (8 * lane)) & 0xFF, e2 = (endColour >> (8 * lane)) & 0xFF;
        colour[lane] = static_cast<int16_t>(static_cast<uint16_t>(s * 256));
        change[lane] = static_cast<int16_t>(((e2 - s) * 256) / d);
    }
    std::memcpy(p + pColour, colour, 8);
    std::memcpy(p + pChange, change, 8);
    Put(p, pFadeLeft, d);
    Put(p, pFadeLength, d);
    Put(p, pFadeBack, Get<uint32_t>(sys, kFadeBack));
    Put<uint32_t>(p, pBlend, Get<uint8_t>(sys, kBlendMode));
}

void UpdateEmitters() {
    if (!TickDue(emitAccumulator)) return;
    for (int i = 0; i < SystemCount(); ++i)
        if (Get<uint8_t>(System(i), kEnabled)) EmitterStep(i);
}

void MoveParticles() {
    const bool tick = TickDue(fadeAccumulator);
    const float synch = HandedFrame().synch;
    const Vec3 windForce = HandedFrame().wind;
    for (int i = 0; i < SystemCount(); ++i) {
        uint8_t* sys = System(i);
        if (!Get<uint8_t>(sys, kEnabled) || !HasTexture(sys)) continue;
        const int capacity = Capacity(sys);
        const bool wind = Get<uint8_t>(sys, kWindAffected) != 0;
        const bool spins = Get<float>(sys, kSpinRate) != 0.0f;
        for (int k = 0; k < capacity; ++k) {
            uint8_t* p = Particle(sys, k);
            if (Get<int32_t>(p, pLife) == 0) continue;
            const float size = Get<float>(p, pSize) + synch * Get<float>(p, pSizeRate);
            Put(p, pSize, size);
            if (size <= 0.0f) {
                Put<int32_t>(p, pLife, 0);
                continue;
            }
            const float t = Get<float>(p, pAge);
            const Vec3 start = GetVec(p, pStart);
            Vec3 v = GetVec(p, pVelocity), a = GetVec(p, pAcceleration);
            const Vec3 current{start.x + v.x * t + a.x * (t * t / 2), start.y + v.y * t + a.y * (t * t / 2),
                               start.z + v.z * t + a.z * (t * t / 2)};
            PutVec(p, pCurrent, current);
            v.x += a.x * t * synch;
            v.y += a.y * t * synch;
            v.z += a.z * t * synch;
            PutVec(p, pVelocity, v);
            if (wind) {
                a.x += windForce.x;
                a.y += windForce.y;
                a.z += windForce.z;
                PutVec(p, pAcceleration, a);
            }
            Put(p, pAge, t + synch * 0.5f);
            if (spins) Put(p, pAngle, Get<float>(p, pAngle) + synch * Get<float>(p, pSpin));
        }
        if (!tick) continue;
        for (int k = 0; k < capacity; ++k) {
            uint8_t* p = Particle(sys, k);
            if (Get<int32_t>(p, pLife) != 0) FadeStep(p);
        }
    }
}

void DrawParticles() {
    using namespace device;
    const FrameDescription& frame = HandedFrame();
    const int count = SystemCount();
    if (count <= 0) return;
    // Billboards: the camera's rotation undone.
    Mat4 billboard;
    float det = 0.0f;
    MatInverse(billboard, &det, frame.view);
    billboard[12] = billboard[13] = billboard[14] = 0.0f;
    SetView(frame.view.m);
    SetProjection(frame.projection.m);
    SetLighting(false);
    // The second triangle of every quad (1, 2, 3 of the shared list) winds the other
    // way: with the usual culling half of each particle would vanish.
    SetCull(Cull::None);
    SetTextureClamp(true);
    SetTextureOp(TextureOp::Modulate);
    SetBlend(true);
    static std::vector<VertexPCT> vertices;
    for (int i = 0; i < count; ++i) {
        uint8_t* sys = System(i);
        if (!Get<uint8_t>(sys, kEnabled)) continue;
        const int32_t textureIndex = Get<int32_t>(sys, kTextureIndex);
        if (textureIndex < 0 || static_cast<size_t>(textureIndex) >= frame.textures.size()) continue;
        Mat4 world;
        const float scale = Get<float>(sys, kScale);
        MatScaling(world, scale, scale, scale);
        SetWorld(world.m);
        SetTexture(frame.textures[textureIndex].handle);
        Put<uint32_t>(sys, kLiveFlag, 0);
        vertices.clear();
        const int capacity = Capacity(sys);
        for (int k = 0; k < capacity; ++k) {
            uint8_t* p = Particle(sys, k);
            if (Get<int32_t>(p, pLife) == 0) continue;
            Mat4 spin, m;
            MatRotationZ(spin, Get<float>(p, pAngle));
            MatMultiply(m, spin, billboard);
            const Vec3 at = GetVec(p, pCurrent);
            m[12] = at.x;
            m[13] = at.y;
            m[14] = at.z;
            const float size = Get<float>(p, pSize);
            int16_t colour[4];
            std::memcpy(colour, p + pColour, 8);
            uint32_t argb = 0;
            for (int lane = 0; lane < 4; ++lane) {
                // The high byte of each 16-bit lane is the drawn channel.
                const int v = static_cast<uint16_t>(colour[lane]) >> 8;
                argb |= static_cast<uint32_t>(v) << (8 * lane);
            }
            const float corners[4][4] = {{-size, -size, 0, 0}, {-size, size, 0, 1}, {size, -size, 1, 0}, {size, size, 1, 1}};
            for (const auto& c : corners) {
                Vec3 out;
                Vec3TransformCoord(out, Vec3{c[0], c[1], 0.0f}, m);
                vertices.push_back({out.x, out.y, out.z, argb, c[2], c[3]});
            }
        }
        if (vertices.empty()) continue;
        int source, destination;
        bool alphaFromDiffuse = false;
        // Modes above 12 keep the factors in force.
        if (ParticleBlendFactors(Get<uint8_t>(sys, kBlendMode), source, destination, alphaFromDiffuse)) {
            SetBlendFactors(static_cast<BlendFactor>(source), static_cast<BlendFactor>(destination));
            SetAlphaFromDiffuse(alphaFromDiffuse);
        }
        DrawColouredQuads(vertices.data(), static_cast<int>(vertices.size() / 4));
    }
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    SetWorld(identity);
    SetTexture(nullptr);
    ResetRenderStates();
}

void ResetParticles() {
    emitAccumulator = 0.0f;
    fadeAccumulator = 0.0f;
}

int LiveParticleCount(int system) {
    if (system < 0 || system >= SystemCount()) return 0;
    uint8_t* sys = System(system);
    int n = 0;
    for (int k = 0; k < Capacity(sys); ++k) n += Get<int32_t>(Particle(sys, k), pLife) != 0;
    return n;
}

}  // namespace tarvex
