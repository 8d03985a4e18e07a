#include "scene/path_finding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "scene/walk_mask.h"

namespace tarvex {

namespace {

constexpr uint16_t kFar = 65535;
constexpr int kQueueSize = 16384;

// The search runs on the grid framed by a border of blocked cells, so that a neighbour
// never needs a bounds test and a cell is one index (no division per step).
constexpr int kFrameWidth = kMaskWidth + 2, kFrameHeight = kMaskHeight + 2;

// Work areas shared by every search. A blocked cell (and the frame) holds distance 0:
// no step can lower it, so the search never needs to test for obstacles.
uint16_t distances[kFrameWidth * kFrameHeight];
int32_t queue[kQueueSize];

// Neighbour order of the search and the trace: left, right, up, down (steps of 2), then
// down-left, down-right, up-right, up-left (steps of 3).
constexpr int kNeighbourStep[8] = {-1, 1, -kFrameWidth, kFrameWidth, kFrameWidth - 1, kFrameWidth + 1,
                                   -kFrameWidth + 1, -kFrameWidth - 1};

int FramedCell(int cx, int cy) { return (cy + 1) * kFrameWidth + cx + 1; }

bool InGrid(int cx, int cy) { return cx >= 0 && cx < kMaskWidth && cy >= 0 && cy < kMaskHeight; }

// Bresenham walk from start to target along the major axis (x on a tie); the start is
// not tested, the target is. Only obstacles (255) block it.
bool LineClear(int x0, int y0, int x1, int y1) {
    const int adx = std::abs(x1 - x0), ady = std::abs(y1 - y0);
    const int sx = x1 > x0 ? 1 : -1, sy = y1 > y0 ? 1 : -1;
    const bool xMajor = adx >= ady;
    const int major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    int error = major / 2;
    int x = x0, y = y0;
    for (int i = 0; i < major; ++i) {
        if (xMajor) x += sx; else y += sy;
        error -= minor;
        if (error < 0) {
            error += major;
            if (xMajor) y += sy; else x += sx;
        }
        if (MaskCell(x, y) == 255) return false;
    }
    return true;
}

int RoundToInt(float v) { return static_cast<int>(std::lround(v)); }

void StraightPath(PathResult& path, int x0, int y0, int x1, int y1) {
    path.pathType = kPathStraight;
    const int dx = x1 - x0, dy = y1 - y0;
    const int n = std::max(std::abs(dx), std::abs(dy));
    if (n == 0) return;  // already there
    const float stepX = static_cast<float>(dx) / n, stepY = static_cast<float>(dy) / n;
    for (int k = 1; k <= n && k <= kMaxPathPoints; ++k) {
        path.pathPoints[k - 1][0] = RoundToInt(x0 + k * stepX) * 2;
        path.pathPoints[k - 1][1] = RoundToInt(y0 + k * stepY) * 2;
    }
    path.pathLength = std::min(n, kMaxPathPoints);
}

// Distances grow outward from the target through free cells; the search stops at the
// first time the start is taken from the queue. The queue is a ring: its read and
// write positions wrap at its end.
bool Search(int startCell, int targetCell) {
    std::fill(distances, distances + kFrameWidth, uint16_t{0});
    std::fill(distances + FramedCell(0, kMaskHeight) - 1, std::end(distances), uint16_t{0});
    for (int cy = 0; cy < kMaskHeight; ++cy) {
        const uint8_t* row = walkTables.walkMask + cy * kMaskWidth;
        uint16_t* framed = distances + FramedCell(0, cy);
        framed[-1] = 0;
        for (int cx = 0; cx < kMaskWidth; ++cx) framed[cx] = row[cx] != 0 ? 0 : kFar;
        framed[kMaskWidth] = 0;
    }
    int read = 0, write = 0;
    distances[targetCell] = 0;
    queue[write++] = targetCell;
    while (read != write) {
        const int c = queue[read];
        if (++read == kQueueSize) read = 0;
        if (c == startCell) return true;
        const unsigned here = distances[c];
        // The eight neighbours in the order of kNeighbourStep, spelled out so that each
        // is a fixed offset from the cell.
        auto visit = [&](int n, unsigned d) {
            if (d < distances[n]) {
                distances[n] = static_cast<uint16_t>(d);
                queue[write] = n;
                if (++write == kQueueSize) write = 0;
            }
        };
        visit(c - 1, here + 2);
        visit(c + 1, here + 2);
        visit(c - kFrameWidth, here + 2);
        visit(c + kFrameWidth, here + 2);
        visit(c + kFrameWidth - 1, here + 3);
        visit(c + kFrameWidth + 1, here + 3);
        visit(c - kFrameWidth + 1, here + 3);
        visit(c - kFrameWidth - 1, here + 3);
    }
    return false;
}

// Walks down the distances from the start; the running minimum is never reset, so
// every step goes strictly downhill and the walk ends at the target (distance 0).
void Trace(PathResult& path, int startCell, int targetCell) {
    int c = startCell;
    int length = 0;
    unsigned lowest = kFar;
    while (c != targetCell && length < kMaxPathPoints) {
        path.pathPoints[length][0] = (c % kFrameWidth - 1) * 2;
        path.pathPoints[length][1] = (c / kFrameWidth - 1) * 2;
        ++length;
        int next = -1;
        for (int k = 0; k < 8; ++k) {
            const int n = c + kNeighbourStep[k];
            // Obstacles and the frame hold 0 but lie on no route: for the walk they are far.
            const unsigned d = distances[n] == 0 && n != targetCell ? kFar : distances[n];
            if (d < lowest) {
                lowest = d;
                next = n;
            }
        }
        if (next < 0) break;  // cannot happen on a finished search; never loop forever
        c = next;
    }
    // Routes longer than the point table are cut.
    path.pathLength = length;
}

}  // namespace

ScreenPoint NearestFreeCell(int x, int y) {
    static constexpr int kRayDx[8] = {-1, 1, -1, 1, -1, 1, 0, 0};
    static constexpr int kRayDy[8] = {-1, -1, 1, 1, 0, 0, -1, 1};
    const int startX = x / 2, startY = y / 2;
    int resultX = startX, resultY = startY;
    int rayX[8], rayY[8];
    bool alive[8];
    for (int r = 0; r < 8; ++r) {
        rayX[r] = startX;
        rayY[r] = startY;
        alive[r] = true;
    }
    for (bool anyAlive = true, found = false; anyAlive && !found;) {
        anyAlive = false;
        for (int r = 0; r < 8; ++r) {
            if (!alive[r]) continue;
            const int nx = rayX[r] + kRayDx[r], ny = rayY[r] + kRayDy[r];
            if (!InGrid(nx, ny)) {
                alive[r] = false;
                continue;
            }
            anyAlive = true;
            rayX[r] = nx;
            rayY[r] = ny;
            if (MaskCell(nx, ny) == 0) {  // later rays of the same pass win
                resultX = nx;
                resultY = ny;
                found = true;
            }
        }
    }
    return ScreenPoint{resultX * 2, resultY * 2};
}

bool ProjectToScreen(const Vec3& p, const Mat4& m, int& sx, int& sy) {
    const float X = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    const float Y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    const float W = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
    const float fx = (X / W + 1.0f) * 400.0f;
    const float fy = (1.0f - Y / W) * 300.0f;
    // Truncation toward zero keeps -0.9 on column 0; anything not finite is off screen.
    if (!(fx > -1.0f && fx < 800.0f && fy > -1.0f && fy < 600.0f)) return false;
    sx = static_cast<int>(fx);
    sy = static_cast<int>(fy);
    return true;
}

void FindPath(PathResult& path, const Vec3& position, const Mat4& world, const Mat4& view,
              const Mat4& projection, int tx, int ty) {
    path.pathLength = 0;
    Mat4 m;
    MatMultiply(m, world, view);
    MatMultiply(m, m, projection);
    int sx = 0, sy = 0;
    if (!ProjectToScreen(position, m, sx, sy)) {
        path.pathType = kPathOffScreen;
        return;
    }
    FindPathFromScreen(path, sx, sy, tx, ty);
}

void FindPathFromScreen(PathResult& path, int sx, int sy, int tx, int ty) {
    path.pathLength = 0;
    path.pathType = kPathOffScreen;
    if (sx < 0 || sx > 799 || sy < 0 || sy > 599) return;
    path.pathType = kPathSearched;
    int startX = sx / 2, startY = sy / 2;
    if (MaskCell(startX, startY) != 0) {
        const ScreenPoint free = NearestFreeCell(sx, sy);
        startX = free.x / 2;
        startY = free.y / 2;
    }
    // The target is taken as it is; a target off the grid is held at its edge.
    const int targetX = std::clamp(tx / 2, 0, kMaskWidth - 1);
    const int targetY = std::clamp(ty / 2, 0, kMaskHeight - 1);
    if (LineClear(startX, startY, targetX, targetY)) {
        StraightPath(path, startX, startY, targetX, targetY);
        return;
    }
    const int startCell = FramedCell(startX, startY), targetCell = FramedCell(targetX, targetY);
    if (!Search(startCell, targetCell)) {
        path.pathLength = -1;
        path.pathIndex = 0;
        return;
    }
    Trace(path, startCell, targetCell);
}

}  // namespace tarvex
