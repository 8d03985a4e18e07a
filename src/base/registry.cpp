#include "base/registry.h"

#include <cstring>

namespace tarvex {

namespace {

std::vector<const Owner*>& List() {
    static std::vector<const Owner*> owners;
    return owners;
}

template <typename Step>
void Walk(Step step) {
    for (const Owner* owner : List())
        if (owner->*step) (owner->*step)();
}

}  // namespace

void RegisterOwner(const Owner& owner) {
    if (!FindOwner(owner.name)) List().push_back(&owner);
}

const std::vector<const Owner*>& Owners() { return List(); }

const Owner* FindOwner(const char* name) {
    for (const Owner* owner : List())
        if (std::strcmp(owner->name, name) == 0) return owner;
    return nullptr;
}

const TableView* FindTableView(const char* name) {
    for (const Owner* owner : List())
        for (const TableView& view : owner->views)
            if (std::strcmp(view.name, name) == 0) return &view;
    return nullptr;
}

void StartUpOwners() { Walk(&Owner::startUp); }
void NewGameOwners() { Walk(&Owner::newGame); }
void SceneResetOwners() { Walk(&Owner::sceneReset); }
void RebuildOwners() { Walk(&Owner::rebuild); }

}  // namespace tarvex
