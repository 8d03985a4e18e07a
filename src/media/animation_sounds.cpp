#include "media/animation_sounds.h"

#include <cmath>

#include "media/sound.h"
#include "model/actor.h"
#include "scene/scene_description.h"

namespace tarvex {

AnimationSoundTables animationSounds;

namespace {
int soundsSinceToggle = 0;
}  // namespace

void AnimationSoundLevelPan(const Vec3& position, const Vec3& eye, const Vec3& target, int& level, int& pan) {
    const double dx = double(position.x) - eye.x, dy = double(position.y) - eye.y, dz = double(position.z) - eye.z;
    const double vx = double(target.x) - eye.x, vy = double(target.y) - eye.y, vz = double(target.z) - eye.z;
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double viewLength = std::sqrt(vx * vx + vy * vy + vz * vz);
    level = static_cast<int>(std::trunc(-6.0 * distance)) + 4000;
    // The vertical plane through the eye, the target and a point below the eye; its
    // normal points to the camera's right.
    const Vec3 below{eye.x, eye.y - 1000.0f, eye.z};
    Plane plane;
    PlaneFromPoints(plane, eye, target, below);
    const double normalLength = std::sqrt(double(plane.a) * plane.a + double(plane.b) * plane.b + double(plane.c) * plane.c);
    if (distance <= 0 || viewLength <= 0 || !(normalLength > 0.5)) {
        // The sound at the eye, or a camera looking straight up or down: no side.
        pan = 0;
        return;
    }
    const double side = plane.a * double(position.x) + plane.b * double(position.y) + plane.c * double(position.z) + plane.d;
    const double cosine = (vx * dx + vy * dy + vz * dz) / (viewLength * distance);
    const double p = std::trunc((1.0 - std::fabs(cosine)) * side * 100.0);
    pan = static_cast<int>(std::fmax(-1e9, std::fmin(1e9, p)));
}

void ClearActorSoundMarks() {
    for (auto& actor : animationSounds.actorSoundMarks)
        for (auto& mark : actor) mark = SoundMark();
}

void ResetAnimationSoundState() {
    animationSounds.footstepToggle = 0;
    soundsSinceToggle = 0;
}

void PlayAnimationSounds() {
    if (!soundTables.soundOn) return;
    for (int a = 0; a < kSoundActorCount; ++a) {
        const ActorRecord& actor = actorTable.actors[a];
        if (!actor.inUse || !actor.visible) continue;
        bool alternativeFired = false;
        for (int m = 0; m < kSoundMarkCount; ++m) {
            if (alternativeFired && m >= 1 && m <= 3) continue;
            const SoundMark& mark = animationSounds.actorSoundMarks[a][m];
            if (mark.slot == 0 || mark.slot == -1) continue;
            if (!std::isfinite(mark.frame) || mark.frame != std::floor(mark.frame)) continue;
            const double n = mark.frame;
            if (!(actor.frameNow <= n && n < actor.frameNext)) continue;
            int level = 0, pan = 0;
            AnimationSoundLevelPan(actor.position, sceneTables.sceneCamera.eye, sceneTables.sceneCamera.target, level, pan);
            const int slot = animationSounds.footstepToggle == 1 ? mark.slot : mark.slot + 1;
            if (slot >= 0 && slot < kSoundSlotCount) RestartSlot(slot, level, pan, 0);
            if (++soundsSinceToggle == 2) {
                soundsSinceToggle = 0;
                animationSounds.footstepToggle = animationSounds.footstepToggle ? 0 : 1;
            }
            if (m <= 3) alternativeFired = true;
        }
    }
}

}  // namespace tarvex
