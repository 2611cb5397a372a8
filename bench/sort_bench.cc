// Sorting a large result list, as a broad keyword over a week's guide finds it:
// many programmes share a start time.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "search/result_list.h"

namespace kolvar {
namespace {

TFindStruct ManyResults(int count) {
  const DateTime first = *EncodeDateTime({2024, 3, 2, 5, 0, 0, 0, 0});
  std::mt19937 random(7);
  std::uniform_int_distribution<int> slot(0, 7 * 48 - 1);  // half hours of a week
  TFindStruct r;
  for (int i = 0; i < count; ++i) {
    const DateTime start = first + slot(random) / 48.0;
    r.push_back({"2024.03.02 05:00 Programme number " + std::to_string(i) + "[Sa]Channel", start,
                 start + 1 / 48.0, i % 100});
  }
  return r;
}

void BM_SortResults(benchmark::State& state) {
  const TFindStruct unsorted = ManyResults(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TFindStruct r = unsorted;
    state.ResumeTiming();
    SortResults(r);
    benchmark::DoNotOptimize(r.data());
  }
}
BENCHMARK(BM_SortResults)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kolvar
