#include <gtest/gtest.h>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <cstring>
#include <random>

#include "scene/path_finding.h"
#include "scene/walk_mask.h"

namespace tarvex {
namespace {

void ClearMask(uint8_t value = 0) { std::memset(walkTables.walkMask, value, sizeof walkTables.walkMask); }
void SetCell(int cx, int cy, uint8_t v) { walkTables.walkMask[cy * kMaskWidth + cx] = v; }
PathResult path;
std::pair<int, int> Point(int i) { return {path.pathPoints[i][0], path.pathPoints[i][1]}; }

bool Neighbours(const int a[2], const int b[2]) {
    const int dx = std::abs(a[0] - b[0]), dy = std::abs(a[1] - b[1]);
    return (dx == 2 || dy == 2 || (dx == 0 && dy == 0)) && dx <= 2 && dy <= 2 && (dx || dy);
}

TEST(PathFinding, BlockedStartsAndNoRoute) {
    ClearMask(255);
    // No free cell anywhere: the start stays put and the search finds nothing.
    path.pathIndex = 9;
    FindPathFromScreen(path, 100, 100, 300, 300);
    EXPECT_EQ(std::tuple(path.pathType, path.pathLength, path.pathIndex), std::tuple(kPathSearched, -1, 0));
    // A start on an obstacle moves to the nearest free cell first.
    for (int x = 40; x < 60; ++x) SetCell(x, 55, 0);
    FindPathFromScreen(path, 100, 100, 118, 110);
    EXPECT_EQ(path.pathType, kPathStraight);
    ASSERT_GT(path.pathLength, 0);
    EXPECT_EQ(Point(0), std::pair(102, 110));  // walking along row 55 from (50, 55)
    EXPECT_EQ(path.pathPoints[path.pathLength - 1][0], 118);
    // Off the screen.
    FindPathFromScreen(path, -1, 10, 100, 100);
    EXPECT_EQ(std::tuple(path.pathType, path.pathLength), std::tuple(kPathOffScreen, 0));
}

TEST(NearestFreeCell, RaysAndTies) {
    auto nearest = [](int x, int y) {
        const ScreenPoint p = NearestFreeCell(x, y);
        return std::pair(p.x, p.y);
    };
    ClearMask(255);
    // Free cells at distance 3 up-left and 3 down: the later ray (down) wins the tie.
    SetCell(47, 47, 0);
    SetCell(50, 53, 0);
    EXPECT_EQ(nearest(100, 100), std::pair(100, 106));
    // A nearer one on a diagonal wins over farther ones.
    SetCell(52, 48, 0);
    EXPECT_EQ(nearest(101, 101), std::pair(104, 96));
    // Off the rays nothing is found: the start cell comes back.
    ClearMask(255);
    SetCell(52, 51, 0);
    EXPECT_EQ(nearest(100, 100), std::pair(100, 100));
    // Rays that leave the grid die; the corner still finds its free cell.
    SetCell(399, 290, 0);
    EXPECT_EQ(nearest(799, 599), std::pair(798, 580));
}

TEST(PathFinding, LongRoutesAreCutAt512Points) {
    ClearMask();
    // A serpentine: horizontal walls across the grid with gaps at alternating ends.
    for (int y = 4; y < 300; y += 4)
        for (int x = 0; x < 400; ++x)
            if ((y / 4) % 2 ? x < 396 : x > 3) SetCell(x, y, 255);
    FindPathFromScreen(path, 200, 2, 200, 590);
    EXPECT_EQ(path.pathType, kPathSearched);
    EXPECT_EQ(path.pathLength, kMaxPathPoints);
    for (int i = 1; i < kMaxPathPoints; ++i) EXPECT_TRUE(Neighbours(path.pathPoints[i - 1], path.pathPoints[i])) << i;
}

// Shortest distances over the same grid with Boost's Dijkstra: edges lead into cells of
// value 0 (the target is entered from wherever), costs 2 straight and 3 diagonal.
std::vector<int> DijkstraFromTarget(int target) {
    using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS, boost::no_property,
                                        boost::property<boost::edge_weight_t, int>>;
    Graph g(kMaskWidth * kMaskHeight);
    static const int dx[8] = {-1, 1, 0, 0, -1, 1, 1, -1}, dy[8] = {0, 0, -1, 1, 1, 1, -1, -1};
    for (int cy = 0; cy < kMaskHeight; ++cy)
        for (int cx = 0; cx < kMaskWidth; ++cx) {
            const int c = cy * kMaskWidth + cx;
            if (c != target && walkTables.walkMask[c] != 0) continue;  // only entered cells spread further
            for (int k = 0; k < 8; ++k) {
                const int nx = cx + dx[k], ny = cy + dy[k];
                if (nx < 0 || ny < 0 || nx >= kMaskWidth || ny >= kMaskHeight) continue;
                const int n = ny * kMaskWidth + nx;
                if (walkTables.walkMask[n] == 0) boost::add_edge(c, n, k < 4 ? 2 : 3, g);
            }
        }
    std::vector<int> distance(kMaskWidth * kMaskHeight);
    boost::dijkstra_shortest_paths(g, target, boost::distance_map(distance.data()));
    return distance;
}

// Random rooms with obstacles and kept cells (7): straight walks cross no obstacle;
// searched routes step between free cells only, start at the walker, end next to the
// target (never on it) and cost no less than the shortest route.
TEST(PathFinding, RoutesAgreeWithDijkstraOnRandomMasks) {
    std::mt19937 rng(11);
    int searched = 0, unreachable = 0;
    for (int round = 0; round < 40; ++round) {
        // A random room of 60 x 40 cells; everything outside is wall.
        ClearMask(255);
        const int ox = 100 + static_cast<int>(rng() % 200), oy = 50 + static_cast<int>(rng() % 200);
        std::uniform_int_distribution<int> cell(0, 99);
        const int density = 30 + round % 30;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x) {
                const int r = cell(rng);
                SetCell(ox + x, oy + y, r < density ? 255 : (r < density + 5 ? 7 : 0));
            }
        int sx, sy, tx, ty;
        do {
            sx = ox + static_cast<int>(rng() % 60);
            sy = oy + static_cast<int>(rng() % 40);
        } while (MaskCell(sx, sy) != 0);
        tx = ox + static_cast<int>(rng() % 60);
        ty = oy + static_cast<int>(rng() % 40);
        FindPathFromScreen(path, sx * 2, sy * 2, tx * 2, ty * 2);
        if (path.pathType == kPathStraight) {
            for (int i = 0; i < path.pathLength; ++i)
                EXPECT_NE(MaskCell(path.pathPoints[i][0] / 2, path.pathPoints[i][1] / 2), 255) << round;
            continue;
        }
        ++searched;
        const int start = sy * kMaskWidth + sx, target = ty * kMaskWidth + tx;
        const std::vector<int> best = DijkstraFromTarget(target);
        const bool reachable = best[start] < std::numeric_limits<int>::max();
        ASSERT_EQ(path.pathLength > 0, reachable) << "round " << round;
        if (!reachable) {
            ++unreachable;
            EXPECT_EQ(path.pathLength, -1);
            continue;
        }
        int cost = 0;
        EXPECT_EQ(Point(0), std::pair(sx * 2, sy * 2));
        for (int i = 0; i < path.pathLength; ++i) {
            const int* p = path.pathPoints[i];
            EXPECT_EQ(MaskCell(p[0] / 2, p[1] / 2), 0);
            const int end[2] = {tx * 2, ty * 2};
            const int* q = i + 1 < path.pathLength ? path.pathPoints[i + 1] : end;
            ASSERT_TRUE(Neighbours(p, q)) << "round " << round << " point " << i;
            cost += (p[0] != q[0] && p[1] != q[1]) ? 3 : 2;
        }
        EXPECT_GE(cost, best[start]) << "round " << round;
    }
    EXPECT_GT(searched, 20);
    EXPECT_GT(unreachable, 0);
}

}  // namespace
}  // namespace tarvex
