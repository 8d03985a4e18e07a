#include "resources/anim_slot.h"

#include "platform/display.h"
#include "platform/surface.h"

namespace tarvex {

AnimationTables animation;

void ReleaseSlotFrames(AnimSlot& slot) {
    if (slot.frames) {
        int count = static_cast<int>(slot.frameCount);
        if (slot.vanishAtEnd && count > 0) --count;
        for (int i = 0; i < count; ++i) {
            if (slot.isTexture) {
                auto* t = static_cast<Texture*>(slot.frames[i]);
                ReleaseTexture(t);
            } else {
                auto* s = static_cast<Surface*>(slot.frames[i]);
                ReleaseSurface(s);
            }
            slot.frames[i] = nullptr;
        }
        delete[] slot.frames;
        slot.frames = nullptr;
    }
}

void ResetSceneSlots() {
    for (AnimSlot& slot : animation.animSlots) {
        if (slot.isTexture) continue;
        if (slot.loaded && slot.frameCount > 0) ReleaseSlotFrames(slot);
        if (slot.frames) ReleaseSlotFrames(slot);
        slot = AnimSlot{};
        // A cleared slot's fields are all zero, as a whole-record clear leaves them.
        slot.endEvent = 0;
        slot.light = 0;
    }
}

void ResetAnimSlots() {
    for (AnimSlot& slot : animation.animSlots) {
        ReleaseSlotFrames(slot);
        slot = AnimSlot{};
    }
    animation.postedEndEvent = -1;
}

}  // namespace tarvex
