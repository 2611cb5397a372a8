// A complete search run of a week of 200 generated channels with 100 keywords:
// every channel read, every offered programme matched, the results sorted.
// Arguments: find mode, full search.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jtv_writer.h"
#include "search/collecting_context.h"
#include "search/search_run.h"

namespace kolvar {
namespace {

const DateTime kNow = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});

struct Guide {
  std::string folder;
  std::vector<std::string> channels;

  Guide() {
    folder = (std::filesystem::temp_directory_path() / "kolvar-bench-guide").string() + "/";
    std::filesystem::create_directories(folder);
    jtv::GuideOptions guideOptions;
    guideOptions.channels = 200;
    guideOptions.days = 7;
    guideOptions.start = DecodeDateTime(kNow - 0.5);
    guideOptions.seed = 99;
    auto guide = jtv::GenerateGuide(guideOptions);
    for (std::size_t c = 0; c < guide.size(); ++c) {
      jtv::ChannelFiles files;
      jtv::EncodeChannel(guide[c], files);
      std::string stem = jtv::ChannelFileStem(static_cast<int>(c));
      jtv::WriteChannel(folder, stem, files);
      channels.push_back(stem + ".ndx");
    }
  }
};

std::vector<std::string> HundredKeywords() {
  const char* words[] = {"News",     "Weather",  "Film",    "Night",   "Sport",
                         "Football", "Tennis",   "Music",   "Concert", "Travel",
                         "Kitchen",  "Garden",   "Quiz",    "Stories", "History",
                         "Nature",   "Wildlife", "Cartoon", "Comedy",  "Drama"};
  std::vector<std::string> keywords;
  for (int i = 0; i < 100; ++i) {
    std::string k = words[i % 20];
    if (i >= 20) k += " " + std::string(words[(i * 7) % 20]);
    if (i >= 60) k += "&!" + std::string(words[(i * 3) % 20]);
    keywords.push_back(k);
  }
  return keywords;
}

void BM_FullSearch(benchmark::State& state) {
  static const Guide guide;
  SearchSnapshot snapshot;
  TSettings& s = snapshot.settings;
  s.Path = guide.folder;
  s.DaysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  s.FullSearch = state.range(1) != 0;
  s.FindMode = static_cast<std::int32_t>(state.range(0));
  s.CongenialityRate = 86;
  s.MaxResultCount = 1000000;
  for (const auto& channel : guide.channels) snapshot.channels.push_back({channel, true});
  const SearchArgs args{.keywords = HundredKeywords(), .sorted = true, .window = 24 * 60};
  std::size_t found = 0;
  for (auto _ : state) {
    CollectingContext context(kNow);
    RunSearch(args, snapshot, context);
    found = context.results.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["results"] = static_cast<double>(found);
}
BENCHMARK(BM_FullSearch)->ArgsProduct({{1, 3, 4}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kolvar
