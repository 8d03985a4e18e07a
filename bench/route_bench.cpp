// Route search on the worst walk mask (a serpentine through the whole 400 x 300 grid)
// against Boost Graph's Dijkstra on the same grid and step costs. Prints the ratio.
#include <benchmark/benchmark.h>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "scene/path_finding.h"
#include "scene/walk_mask.h"
#include "measure_name.h"

using namespace tarvex;

namespace {

constexpr int kWidth = 400, kHeight = 300;

// Walls across the grid every fourth row, each open at one end, the ends alternating:
// the only route from the top to the bottom runs along every row.
void SerpentineMask() {
    std::memset(walkTables.walkMask, 0, kWalkMaskBytes);
    for (int y = 3; y < kHeight; y += 4) {
        const bool openRight = (y / 4) % 2 == 0;
        for (int x = 0; x < kWidth; ++x)
            if (openRight ? x < kWidth - 3 : x >= 3) walkTables.walkMask[y * kWidth + x] = 255;
    }
}

using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS, boost::no_property,
                                    boost::property<boost::edge_weight_t, int>>;

Graph BuildGraph() {
    Graph g(kWidth * kHeight);
    static const int dx[8] = {-1, 1, 0, 0, -1, 1, 1, -1}, dy[8] = {0, 0, -1, 1, 1, 1, -1, -1};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int c = y * kWidth + x;
            if (walkTables.walkMask[c]) continue;
            for (int k = 0; k < 8; ++k) {
                const int nx = x + dx[k], ny = y + dy[k];
                if (nx < 0 || ny < 0 || nx >= kWidth || ny >= kHeight) continue;
                const int n = ny * kWidth + nx;
                if (!walkTables.walkMask[n]) boost::add_edge(c, n, k < 4 ? 2 : 3, g);
            }
        }
    return g;
}

void BM_FindPath(benchmark::State& state) {
    SerpentineMask();
    PathResult path;
    for (auto _ : state) {
        FindPathFromScreen(path, 2, 2, 2 * (kWidth - 1), 2 * (kHeight - 1));
        benchmark::DoNotOptimize(path.pathLength);
    }
}

void BM_BoostDijkstra(benchmark::State& state) {
    SerpentineMask();
    const Graph g = BuildGraph();
    std::vector<int> distance(kWidth * kHeight);
    for (auto _ : state) {
        boost::dijkstra_shortest_paths(g, static_cast<int>((kHeight - 1) * kWidth + kWidth - 1),
                                       boost::distance_map(distance.data()));
        benchmark::DoNotOptimize(distance.data());
    }
}

BENCHMARK(BM_FindPath)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostDijkstra)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (tarvex::MeasureName(r) == "BM_FindPath") ours = r.GetAdjustedRealTime();
            if (tarvex::MeasureName(r) == "BM_BoostDijkstra") peer = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double ours = 0, peer = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.peer > 0)
        std::printf("route search / Boost Dijkstra: %.2f (goal: at most 0.2)\n", reporter.ours / reporter.peer);
    return 0;
}
