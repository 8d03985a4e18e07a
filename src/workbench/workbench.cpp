#include "workbench/workbench.h"

#include <algorithm>
#include <vector>

#include "base/globals.h"
#include "base/json_writer.h"
#include "base/owner_names.h"
#include "base/registry.h"
#include "workbench/overlays.h"
#include "workbench/script_reload.h"

namespace tarvex {

namespace {

struct WorkbenchTables {
    std::vector<void (*)()> drawers;
};
WorkbenchTables workbench;

void WorkbenchAtStart() {
    ResetOverlays();
    ResetScriptWatch();
}

// The state dump's part 0: the overlays switched on, in their fixed order.
void DumpWorkbench(JsonWriter& json, int) {
    json.Key("overlays").BeginArray();
    for (const std::string& name : OverlaysOn()) json.String(name);
    json.EndArray();
}

}  // namespace

void DrawWorkbench() {
    SampleFrameTime(ClockSeconds());
    DrawOverlays();
    for (auto draw : workbench.drawers) draw();
}

bool WorkbenchDrawsOverPicture() { return !OverlaysOn().empty(); }

void AddWorkbenchDrawer(void (*draw)()) {
    if (draw && std::find(workbench.drawers.begin(), workbench.drawers.end(), draw) == workbench.drawers.end())
        workbench.drawers.push_back(draw);
}

bool HandleWorkbenchKey(int virtualKey) {
    const auto& names = AllOverlayNames();
    const int index = virtualKey - '1';
    if (index < 0 || index >= static_cast<int>(names.size())) return false;
    ToggleOverlay(names[index]);
    return true;
}

const Owner& WorkbenchOwner() {
    static const Owner owner{owner_name::kWorkbench, WorkbenchAtStart, nullptr, nullptr, nullptr, nullptr, DumpWorkbench};
    return owner;
}

}  // namespace tarvex
