// Route planning on the dig site's fixed layout with every dig spot blocked:
// the game plans several routes for each click.
#include <benchmark/benchmark.h>

#include "source/game/DVPathFinder.h"

namespace {

DVPathFinder BusySite() {
    DVPathFinder finder;
    finder.AddBlock(465.0f, 100.0f, 220.0f, 110.0f, true);
    finder.AddBlock(0.0f, 95.0f, 120.0f, 30.0f, true);
    for (int hole = 0; hole < 8; ++hole)
        finder.AddBlock(80.0f + 170.0f * static_cast<float>(hole % 4), 260.0f + 150.0f * static_cast<float>(hole / 4),
                        90.0f, 50.0f, true);
    return finder;
}

void BM_PlanRoute(benchmark::State& state) {
    const DVPathFinder finder = BusySite();
    const ZQ2::Point_t<float> spots[] = {{20, 300}, {780, 560}, {560, 90}, {50, 80}, {400, 580}, {700, 230}};
    size_t i = 0;
    for (auto _ : state) {
        DVNode* route = nullptr;
        finder.FindPath(spots[i % 6], spots[(i + 3) % 6], 1, 0, &route);
        benchmark::DoNotOptimize(route);
        DVPathFinder::FreePath(route);
        ++i;
    }
}
BENCHMARK(BM_PlanRoute);

}  // namespace

BENCHMARK_MAIN();
