#include "workbench/overlays.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>

#include "base/globals.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "model/actor.h"
#include "platform/display.h"
#include "platform/font.h"
#include "scene/path_finding.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "text/fonts.h"

namespace tarvex {

namespace {

enum OverlayIndex { kRegions, kTools, kWalk, kDepth, kRoute, kPointer, kFrameTime, kOverlayCount };

struct Colour {
    uint8_t r, g, b, a;
};

constexpr Colour kClickableRegion{255, 220, 40, 255}, kOtherRegion{60, 220, 255, 255};
constexpr Colour kClickableTool{80, 255, 80, 255}, kIdleTool{170, 170, 170, 255};
constexpr Colour kRouteLine{255, 60, 255, 255}, kLabelBack{0, 0, 0, 170};
constexpr int kFrameSamples = 120;

// A rendered label: the text's picture, kept while the text shows.
struct Label {
    int width = 0, height = 0;
    std::string rgba;
};

struct OverlayTables {
    std::array<bool, kOverlayCount> on{};
    std::array<float, kFrameSamples> frameSeconds{};
    int nextSample = 0, samples = 0;
    double lastFrameAt = -1;
    std::map<std::string, Label> labels;
    uint32_t labelFont = 0;
};
OverlayTables overlays;

// The overlays' picture, composed in memory and blended over the back buffer at once.
class Canvas {
public:
    Canvas() : rgba_(static_cast<size_t>(kScreenWidth) * kScreenHeight * 4, 0) {}

    void Put(int x, int y, Colour c) {
        if (x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight || c.a == 0) return;
        uint8_t* p = &rgba_[(static_cast<size_t>(y) * kScreenWidth + x) * 4];
        left_ = std::min(left_, x), right_ = std::max(right_, x + 1);
        top_ = std::min(top_, y), bottom_ = std::max(bottom_, y + 1);
        if (p[3] == 0 || c.a == 255) {
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
            return;
        }
        // Source over what the canvas already holds (straight alpha).
        const float sa = c.a / 255.0f, da = p[3] / 255.0f * (1.0f - sa), oa = sa + da;
        const uint8_t src[3] = {c.r, c.g, c.b};
        for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>((src[k] * sa + p[k] * da) / oa + 0.5f);
        p[3] = static_cast<uint8_t>(oa * 255.0f + 0.5f);
    }
    void Fill(int x0, int y0, int x1, int y1, Colour c) {
        for (int y = std::max(y0, 0); y < std::min(y1, kScreenHeight); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, kScreenWidth); ++x) Put(x, y, c);
    }
    // A rectangle's outline, two pixels wide, inside (x0, y0) .. (x1, y1).
    void Frame(int x0, int y0, int x1, int y1, Colour c) {
        Fill(x0, y0, x1, y0 + 2, c);
        Fill(x0, y1 - 2, x1, y1, c);
        Fill(x0, y0 + 2, x0 + 2, y1 - 2, c);
        Fill(x1 - 2, y0 + 2, x1, y1 - 2, c);
    }
    // A line two pixels wide (Bresenham's steps).
    void Line(int x0, int y0, int x1, int y1, Colour c) {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (int steps = 0; steps <= kScreenWidth + kScreenHeight; ++steps) {
            Fill(x0, y0, x0 + 2, y0 + 2, c);
            if (x0 == x1 && y0 == y1) return;
            const int twice = 2 * error;
            if (twice >= dy) error += dy, x0 += sx;
            if (twice <= dx) error += dx, y0 += sy;
        }
    }
    void Cross(int x, int y, Colour c) {
        Fill(x - 6, y - 1, x + 7, y + 1, c);
        Fill(x - 1, y - 6, x + 1, y + 7, c);
    }
    // Text on a dark band, its top-left corner at (x, y) kept on the screen. The text's width.
    int Text(int x, int y, const std::string& text, Colour c) {
        const Label* label = LabelOf(text, c);
        if (!label) return 0;
        x = std::clamp(x, 0, std::max(kScreenWidth - label->width - 4, 0));
        y = std::clamp(y, 0, std::max(kScreenHeight - label->height, 0));
        Fill(x, y, x + label->width + 4, y + label->height, kLabelBack);
        for (int row = 0; row < label->height; ++row)
            for (int col = 0; col < label->width; ++col) {
                const uint8_t* p = reinterpret_cast<const uint8_t*>(&label->rgba[(static_cast<size_t>(row) * label->width + col) * 4]);
                Put(x + 2 + col, y + row, Colour{p[0], p[1], p[2], p[3]});
            }
        return label->width + 4;
    }
    // Blends the part drawn on over the back buffer.
    void Draw() const {
        if (left_ >= right_) return;
        const int width = right_ - left_;
        std::vector<uint8_t> part(static_cast<size_t>(width) * (bottom_ - top_) * 4);
        for (int y = top_; y < bottom_; ++y)
            std::copy_n(&rgba_[(static_cast<size_t>(y) * kScreenWidth + left_) * 4], width * 4,
                        &part[static_cast<size_t>(y - top_) * width * 4]);
        DrawRgbaImage(left_, top_, width, bottom_ - top_, part.data());
    }

private:
    static const Label* LabelOf(const std::string& text, Colour c) {
        Font* font = gameFonts.regularFont;
        if (!font || text.empty()) return nullptr;
        // Labels of a font closed since are dropped; the set stays small (what shows now).
        if (overlays.labelFont != FontSerial(font) || overlays.labels.size() > 512) {
            overlays.labels.clear();
            overlays.labelFont = FontSerial(font);
        }
        const std::string key = std::string{static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)} + text;
        auto found = overlays.labels.find(key);
        if (found != overlays.labels.end()) return &found->second;
        Label label;
        if (!RenderTextRgba(font, Utf8ToUtf16(text), c.r, c.g, c.b, label.width, label.height, label.rgba) ||
            label.rgba.size() != static_cast<size_t>(label.width) * label.height * 4)
            return nullptr;
        return &overlays.labels.emplace(key, std::move(label)).first->second;
    }

    std::vector<uint8_t> rgba_;
    int left_ = kScreenWidth, top_ = kScreenHeight, right_ = 0, bottom_ = 0;  // what was drawn on
};

std::string Format(const char* format, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

bool Inside(int v, int low, int high) { return v > low && v < high; }

// The scene's enabled action regions: outline, index and cursor, and the walk target.
void DrawRegions(Canvas& canvas) {
    for (int i = 0; i < kActionRegionCount; ++i) {
        const ActionRegion& r = interaction.actionRegions[i];
        if (r.scene != loop.currentScene || !r.enabled) continue;
        const Colour c = i < kClickableRegions ? kClickableRegion : kOtherRegion;
        canvas.Frame(r.left, r.top, r.right, r.bottom, c);
        canvas.Text(r.left + 3, r.top + 3, Format("region %d  cursor %d  action %d", i, r.cursor, r.action), c);
        canvas.Cross(r.walkX, r.walkY, c);
        canvas.Text(r.walkX + 8, r.walkY - 8, Format("%d", i), c);
    }
}

// The scene's tools: their hit rectangles, numbers and whether a click reaches them.
void DrawTools(Canvas& canvas) {
    for (int n = 0; n < kGameToolCount; ++n) {
        const ToolRecord& t = interaction.ToolTable[n];
        if (t.scene != loop.currentScene || t.inInventory) continue;
        const Colour c = t.clickable ? kClickableTool : kIdleTool;
        const int left = t.x + t.offsetX, top = t.y + t.offsetY;
        canvas.Frame(left, top, std::max<int>(t.right, left + 4), std::max<int>(t.bottom, top + 4), c);
        canvas.Text(left + 3, top + 3, Format(t.clickable ? "tool %d" : "tool %d (not clickable)", n), c);
    }
}

// Free floor green, cells kept out of route searches orange; obstacles stay clear.
void DrawWalkMask(Canvas& canvas) {
    for (int cy = 0; cy < kMaskHeight; ++cy)
        for (int cx = 0; cx < kMaskWidth; ++cx) {
            const uint8_t cell = MaskCell(cx, cy);
            if (cell == 255) continue;
            canvas.Fill(cx * 2, cy * 2, cx * 2 + 2, cy * 2 + 2,
                        cell == 0 ? Colour{40, 255, 40, 80} : Colour{255, 150, 0, 90});
        }
}

// The floor depth as a ramp: its lowest value blue, through green, its highest red.
void DrawFloorDepth(Canvas& canvas) {
    float nearest = 0, farthest = 0;
    bool any = false;
    for (int y = 0; y < kFloorHeight; ++y)
        for (int x = 0; x < kFloorWidth; ++x) {
            if (!HasFloor(x, y)) continue;
            const float d = FloorDepthAt(x, y);
            if (!std::isfinite(d)) continue;
            nearest = any ? std::min(nearest, d) : d;
            farthest = any ? std::max(farthest, d) : d;
            any = true;
        }
    if (!any) return;
    const float span = farthest > nearest ? farthest - nearest : 1.0f;
    for (int y = 0; y < kFloorHeight; ++y)
        for (int x = 0; x < kFloorWidth; ++x) {
            if (!HasFloor(x, y) || !std::isfinite(FloorDepthAt(x, y))) continue;
            const float t = (FloorDepthAt(x, y) - nearest) / span;
            const float up = std::clamp(t * 2.0f, 0.0f, 1.0f), down = std::clamp(t * 2.0f - 1.0f, 0.0f, 1.0f);
            canvas.Put(x, y, Colour{static_cast<uint8_t>(255 * down), static_cast<uint8_t>(255 * (up - down)),
                                    static_cast<uint8_t>(255 * (1.0f - up)), 110});
        }
    canvas.Text(8, 40, Format("floor depth %.3f (blue) .. %.3f (red)", nearest, farthest), Colour{255, 255, 255, 255});
}

// The hero's route from where he stands through the points still ahead.
void DrawRoute(Canvas& canvas) {
    const ActorRecord& hero = actorTable.actors[kHero];
    const PathResult& path = hero.path;
    if (!hero.inUse || path.pathLength <= 0 || path.pathLength > kMaxPathPoints) return;
    Mat4 m;
    MatMultiply(m, sceneTables.sceneCamera.viewMatrix, sceneTables.sceneCamera.projectionMatrix);
    int x = 0, y = 0;
    const bool placed = ProjectToScreen(hero.position, m, x, y);
    for (int i = std::clamp(path.pathIndex, 0, path.pathLength); i < path.pathLength; ++i) {
        const int px = path.pathPoints[i][0], py = path.pathPoints[i][1];
        if (placed || i > path.pathIndex) canvas.Line(x, y, px, py, kRouteLine);
        canvas.Fill(px - 2, py - 2, px + 3, py + 3, kRouteLine);
        x = px;
        y = py;
    }
    canvas.Cross(x, y, kRouteLine);
}

std::string Under(int32_t index) { return index == kNone ? "-" : std::to_string(index); }

// What a click at the pointer would meet, by the pointer resolution's own rules.
void DrawPointer(Canvas& canvas) {
    const int x = pointer.cursorX, y = pointer.cursorY;
    int32_t region = kNone, tool = kNone, actor = kNone;
    for (int i = 0; i < kActionRegionCount; ++i) {
        const ActionRegion& r = interaction.actionRegions[i];
        if (r.scene == loop.currentScene && r.enabled && Inside(x, r.left, r.right) && Inside(y, r.top, r.bottom)) region = i;
    }
    for (int n = 0; n < kGameToolCount; ++n) {
        const ToolRecord& t = interaction.ToolTable[n];
        if (t.scene == loop.currentScene && !t.inInventory && t.clickable && Inside(x, t.x + t.offsetX, t.right) &&
            Inside(y, t.y + t.offsetY, t.bottom))
            tool = n;
    }
    for (int i = 0; i < 16; ++i) {
        const ActorRecord& a = actorTable.actors[i];
        if (a.inUse && a.clickable && Inside(x, a.screenRect[0], a.screenRect[2]) && Inside(y, a.screenRect[1], a.screenRect[3]))
            actor = i;
    }
    const bool onScreen = x >= 0 && y >= 0 && x < kScreenWidth && y < kScreenHeight;
    const bool floor = onScreen && HasFloor(x, y);
    const Vec3 world = floor ? ScreenToWorld(x, y, FloorDepthAt(x, y)) : Vec3{0, 0, 0};
    const Colour white{255, 255, 255, 255};
    const int left = x + 20 > kScreenWidth - 260 ? x - 270 : x + 20, top = y + 20 > kScreenHeight - 60 ? y - 70 : y + 20;
    canvas.Text(left, top, Format("screen %d, %d", x, y), white);
    canvas.Text(left, top + 17,
                floor ? Format("world %.2f, %.2f, %.2f  depth %.3f", world.x, world.y, world.z, FloorDepthAt(x, y))
                      : std::string("world: no floor here"),
                white);
    const bool walkable = onScreen && MaskAtScreen(x, y) == 0;
    canvas.Text(left, top + 34,
                "region " + Under(region) + "  tool " + Under(tool) + "  actor " + Under(actor) +
                    (walkable ? "  walkable" : "  not walkable"),
                white);
}

// The last frames' times as bars (one pixel a millisecond), with the 30-a-second line.
void DrawFrameTimes(Canvas& canvas) {
    constexpr int kLeft = kScreenWidth - 2 * kFrameSamples - 10, kBottom = 100, kHeight = 60;
    canvas.Fill(kLeft, kBottom - kHeight, kLeft + 2 * kFrameSamples, kBottom, Colour{0, 0, 0, 150});
    double total = 0;
    for (int k = 0; k < overlays.samples; ++k) {
        const int i = (overlays.nextSample - overlays.samples + k + kFrameSamples) % kFrameSamples;
        const float ms = overlays.frameSeconds[i] * 1000.0f;
        total += ms;
        const int h = std::clamp(static_cast<int>(ms + 0.5f), 1, kHeight);
        const int x = kLeft + 2 * (kFrameSamples - overlays.samples + k);
        canvas.Fill(x, kBottom - h, x + 2, kBottom, ms > 34.0f ? Colour{255, 70, 70, 255} : Colour{80, 230, 80, 255});
    }
    canvas.Fill(kLeft, kBottom - 33, kLeft + 2 * kFrameSamples, kBottom - 32, Colour{255, 255, 255, 160});
    if (overlays.samples > 0) {
        const int last = (overlays.nextSample + kFrameSamples - 1) % kFrameSamples;
        canvas.Text(kLeft, kBottom + 2,
                    Format("frame %.1f ms, mean %.1f ms", overlays.frameSeconds[last] * 1000.0f, total / overlays.samples),
                    Colour{255, 255, 255, 255});
    }
}

int IndexOf(const std::string& name) {
    const auto& names = AllOverlayNames();
    const auto at = std::find(names.begin(), names.end(), name);
    return at == names.end() ? -1 : static_cast<int>(at - names.begin());
}

}  // namespace

const std::vector<std::string>& AllOverlayNames() {
    static const std::vector<std::string> names{"regions", "tools", "walk", "depth", "route", "pointer", "frametime"};
    return names;
}

bool SetOverlay(const std::string& name, bool on) {
    const int i = IndexOf(name);
    if (i < 0) return false;
    overlays.on[i] = on;
    return true;
}

bool ToggleOverlay(const std::string& name) {
    const int i = IndexOf(name);
    if (i < 0) return false;
    overlays.on[i] = !overlays.on[i];
    return true;
}

std::vector<std::string> OverlaysOn() {
    std::vector<std::string> on;
    for (int i = 0; i < kOverlayCount; ++i)
        if (overlays.on[i]) on.push_back(AllOverlayNames()[i]);
    return on;
}

void ResetOverlays() { overlays = OverlayTables{}; }

void SampleFrameTime(double now) {
    if (overlays.lastFrameAt >= 0 && now >= overlays.lastFrameAt) {
        overlays.frameSeconds[overlays.nextSample] = static_cast<float>(now - overlays.lastFrameAt);
        overlays.nextSample = (overlays.nextSample + 1) % kFrameSamples;
        overlays.samples = std::min(overlays.samples + 1, kFrameSamples);
    }
    overlays.lastFrameAt = now;
}

void DrawOverlays() {
    if (std::none_of(overlays.on.begin(), overlays.on.end(), [](bool on) { return on; })) return;
    Canvas canvas;
    // The tints under the outlines and labels.
    if (overlays.on[kWalk]) DrawWalkMask(canvas);
    if (overlays.on[kDepth]) DrawFloorDepth(canvas);
    if (overlays.on[kRegions]) DrawRegions(canvas);
    if (overlays.on[kTools]) DrawTools(canvas);
    if (overlays.on[kRoute]) DrawRoute(canvas);
    if (overlays.on[kFrameTime]) DrawFrameTimes(canvas);
    if (overlays.on[kPointer]) DrawPointer(canvas);
    canvas.Draw();
}

}  // namespace tarvex
