#include "media/animation_sounds.h"

#include <cmath>

#include "media/sound.h"

namespace tarvex {

SoundMark actorSoundMarks[kSoundActorCount][kSoundMarkCount];
int footstepToggle = 0;

namespace {

ActorSoundViewFunction actorSource = nullptr;
SoundListenerFunction listenerSource = nullptr;
int soundsSinceToggle = 0;

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

void SetAnimationSoundSources(ActorSoundViewFunction actors, SoundListenerFunction listener) {
    actorSource = actors;
    listenerSource = listener;
}

void AnimationSoundLevelPan(const float position[3], const SoundListener& listener, int& level, int& pan) {
    double toActor[3], view[3];
    for (int i = 0; i < 3; ++i) {
        toActor[i] = static_cast<double>(position[i]) - listener.eye[i];
        view[i] = static_cast<double>(listener.target[i]) - listener.eye[i];
    }
    const double distance = std::sqrt(Dot(toActor, toActor));
    level = static_cast<int>(std::trunc(-6.0 * distance)) + 4000;
    // The vertical plane through the eye, the target and a point below the eye: its
    // normal is normalize((eye - target) x (0, 1000, 0)), pointing to the right.
    const double e1[3] = {-view[0], -view[1], -view[2]};
    const double e2[3] = {0, 1000, 0};
    double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const double nl = std::sqrt(Dot(n, n));
    const double viewLength = std::sqrt(Dot(view, view));
    if (nl <= 0 || viewLength <= 0 || distance <= 0) {
        // Looking straight up or down, or the sound at the eye: no side to pan to.
        pan = 0;
        return;
    }
    for (double& c : n) c /= nl;
    const double side = Dot(n, toActor);
    const double cosine = Dot(view, toActor) / (viewLength * distance);
    const double p = std::trunc((1.0 - std::fabs(cosine)) * side * 100.0);
    pan = static_cast<int>(std::fmax(-1e9, std::fmin(1e9, p)));
}

void ClearActorSoundMarks() {
    for (auto& actor : actorSoundMarks)
        for (auto& mark : actor) mark = SoundMark();
}

void ResetAnimationSoundState() {
    footstepToggle = 0;
    soundsSinceToggle = 0;
}

void PlayAnimationSounds() {
    if (!soundOn || !actorSource || !listenerSource) return;
    SoundListener listener;
    if (!listenerSource(listener)) return;
    for (int a = 0; a < kSoundActorCount; ++a) {
        ActorSoundView actor;
        if (!actorSource(a, actor) || !actor.inUse || !actor.visible) continue;
        bool alternativeFired = false;
        for (int m = 0; m < kSoundMarkCount; ++m) {
            if (alternativeFired && m >= 1 && m <= 3) continue;
            const SoundMark& mark = actorSoundMarks[a][m];
            if (mark.slot == 0 || mark.slot == -1) continue;
            if (!std::isfinite(mark.frame) || mark.frame != std::floor(mark.frame)) continue;
            const double n = mark.frame;
            if (!(actor.frameNow <= n && n < actor.frameNext)) continue;
            int level = 0, pan = 0;
            AnimationSoundLevelPan(actor.position, listener, level, pan);
            const int slot = footstepToggle == 1 ? mark.slot : mark.slot + 1;
            if (slot >= 0 && slot < kSoundSlotCount) RestartSlot(slot, level, pan, 0);
            if (++soundsSinceToggle == 2) {
                soundsSinceToggle = 0;
                footstepToggle = footstepToggle ? 0 : 1;
            }
            if (m <= 3) alternativeFired = true;
        }
    }
}

}  // namespace tarvex
