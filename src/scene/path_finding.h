// Routes over the walk mask: a straight line when nothing blocks it, else the shortest
// chain of free cells (steps cost 2 straight, 3 diagonal). Points are screen pixels
// (always even: a cell doubled).
#pragma once
#include <cstdint>

#include "base/math.h"

namespace tarvex {

constexpr int kMaxPathPoints = 512;

enum PathType : int32_t {
    kPathSearched = 0,   // a route from the search
    kPathStraight = 1,   // a straight line
    kPathOffScreen = 2,  // the walker stands off the screen: no route
};

// The path fields an actor carries; FindPath fills them.
struct PathResult {
    int32_t pathLength = 0;  // points in pathPoints; 0 none; -1 no route exists
    int32_t pathPoints[kMaxPathPoints][2] = {};
    int32_t pathType = kPathSearched;
    int32_t pathIndex = 0;   // the point being walked to; 0 when no route exists
};

struct ScreenPoint {
    int x = 0, y = 0;
};

// The closest free cell to a screen point along eight rays; the point's own cell
// when no ray finds one. Returns a screen point.
ScreenPoint NearestFreeCell(int x, int y);

// Route from a 3-D position (projected with world x view x projection) to the screen
// point (tx, ty).
void FindPath(PathResult& path, const Vec3& position, const Mat4& world, const Mat4& view,
              const Mat4& projection, int tx, int ty);
// Route from a screen point given directly (no projection).
void FindPathFromScreen(PathResult& path, int sx, int sy, int tx, int ty);

// The screen pixel a 3-D position projects to; false when it lies off the screen.
bool ProjectToScreen(const Vec3& position, const Mat4& worldViewProjection, int& sx, int& sy);

}  // namespace tarvex
