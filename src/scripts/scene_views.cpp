// The views that share one room: the close-ups of inventory items and the corridor views
// 287..298, where a step forward cuts to the next view and the way back fades.
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

constexpr int kWayBack = 1, kStepAhead = 2;
// The corridor ahead: the middle of the picture, above the way back.
constexpr RoomRegion kCorridorRegions[] = {kWayBackRegion, {250, 120, 550, 430, kCursorUse, 0, 0, 0.0f, kStepAhead}};
constexpr RoomShadow kCorridorShadow{Vec3{0, 254, 0}, 50.0f, 0x30000000};

// Back to the scene the close-up was opened from, with the interface.
bool CloseUpArrived(int32_t action) {
    if (action == kWayBack) {
        RequestScene(interaction.SCENETOOLBAR >= 0 ? interaction.SCENETOOLBAR : sceneSwitch.previousScene);
        interaction.interfaceEnabled = 1;
    }
    return false;
}

bool CorridorArrived(int32_t action) {
    const int view = loop.currentScene;
    if (action == kWayBack) {
        sceneSwitch.instantCut = 0;
        RequestScene(view <= 296 ? 158 : 183);
    } else if (action == kStepAhead) {
        sceneSwitch.instantCut = 1;
        RequestScene(view <= 296 ? 160 + (view - 287) : 179 + (view - 297));
    }
    return false;
}

constexpr Room kCloseUp{
    .kind = RoomKind::CloseUp, .regions = std::span(&kWayBackRegion, 1), .arrived = CloseUpArrived};
constexpr Room kCorridor{
    .kind = RoomKind::Passage, .regions = kCorridorRegions, .shadow = &kCorridorShadow, .arrived = CorridorArrived};

}  // namespace

void InventoryCloseUpInit() { InitRoom(kCloseUp); }
void InventoryCloseUpLoad() { LoadRoom(kCloseUp); }
void InventoryCloseUpRun() { RunRoom(kCloseUp); }
void CorridorLoad() { LoadRoom(kCorridor); }
void CorridorRun() { RunRoom(kCorridor); }

}  // namespace tarvex
