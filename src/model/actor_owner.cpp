#include "model/actor_owner.h"

#include <memory>
#include <string>

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "resources/save_sync.h"

namespace tarvex {

namespace {

void SyncActors(SaveSync& s, int row) {
    if (row == 46)
        return s.RecordSize(static_cast<uint32_t>(kActorRecordSize), "actors of another size (another version)");
    if (s.Writing()) {
        uint8_t image[kActorRecordSize];
        for (int i = 0; i < kSavedActors; ++i) {
            SerializeActor(actorTable.actors[i], image);
            s.Bytes(image, kActorRecordSize);
        }
        return;
    }
    for (int i = 0; i < kSavedActors; ++i) {
        const std::span<const uint8_t> image = s.Image(kActorRecordSize, "the file ends inside the actors");
        if (image.empty()) return;
        const bool inUse = image[0] != 0;
        if (!s.Require(!inUse || ActorImageSound(image.data()), "an actor the engine cannot place")) return;
        if (!s.Applying()) continue;
        auto actor = std::make_unique<ActorRecord>();
        DeserializeActor(image.data(), *actor);
        actorTable.actors[i] = *actor;
    }
}

void DumpActors(JsonWriter& json, int) {
    json.Key("actors").BeginArray();
    for (int i = 0; i < kActorCount; ++i) {
        const ActorRecord& a = actorTable.actors[i];
        if (!a.inUse) continue;
        std::string model;
        if (a.model >= 0 && a.model < kMaxModels) model = modelTables.models[a.model].modelPath;
        json.BeginObject().Member("index", i).Key("model").String(model);
        json.Key("position").BeginArray().Number(a.position.x).Number(a.position.y).Number(a.position.z).EndArray();
        json.Key("heading").Number(a.heading);
        json.Member("motion", a.motion).Key("frame").Number(a.frame);
        json.Member("walking", a.walking).Member("clickable", a.clickable).EndObject();
    }
    json.EndArray();
}

// The actors as the workbench shows them.
#define ACTOR(f) actorTable.actors[row].f
constexpr TableField kActorFields[] = {
    TARVEX_TABLE_READ("inUse", ACTOR(inUse)),
    TARVEX_TABLE_FIELD("visible", ACTOR(visible), 0, 1),
    TARVEX_TABLE_FIELD("x", ACTOR(position.x), -1e6, 1e6),
    TARVEX_TABLE_FIELD("y", ACTOR(position.y), -1e6, 1e6),
    TARVEX_TABLE_FIELD("z", ACTOR(position.z), -1e6, 1e6),
    TARVEX_TABLE_FIELD("heading", ACTOR(heading), -1e6, 1e6),
    TARVEX_TABLE_FIELD("walkSpeed", ACTOR(walkSpeed), 0, 1e6),
    TARVEX_TABLE_READ("walking", ACTOR(walking)),
    TARVEX_TABLE_READ("model", ACTOR(model)),
    TARVEX_TABLE_READ("motion", ACTOR(motion)),
    TARVEX_TABLE_READ("frame", ACTOR(frame)),
    TARVEX_TABLE_FIELD("clickable", ACTOR(clickable), 0, 1),
};
#undef ACTOR
const TableView kActorViews[] = {
    {"actors", kActorCount, [](int row) { return actorTable.actors[row].inUse != 0; }, kActorFields},
};

}  // namespace

const Owner& ActorsOwner() {
    static const Owner owner{owner_name::kActors, ResetActors, nullptr, ResetActors, SyncActors, nullptr, DumpActors,
                             kActorViews};
    return owner;
}

}  // namespace tarvex
