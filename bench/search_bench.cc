// A complete search of a week of 200 generated channels with 100 keywords, as
// the search run does it: every channel read with its time shift, every offered
// programme matched. Arguments: find mode, full search.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jtv_writer.h"
#include "search/keywords.h"
#include "search/matcher.h"
#include "tvguide/jtv_reader.h"

namespace kolvar {
namespace {

const DateTime kNow = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});

struct Guide {
  std::string folder;
  std::vector<std::string> channels;

  Guide() {
    folder = (std::filesystem::temp_directory_path() / "kolvar-bench-guide").string() + "/";
    std::filesystem::create_directories(folder);
    jtv::GuideSpec spec;
    spec.channels = 200;
    spec.days = 7;
    spec.start = DecodeDateTime(kNow - 0.5);
    spec.seed = 99;
    auto guide = jtv::GenerateGuide(spec);
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
  const TWRD keywords =
      ParseKeywords(HundredKeywords(), {static_cast<std::int32_t>(state.range(0)), 86}, nullptr);
  ReaderOptions options;
  options.path = guide.folder;
  options.daysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  options.fullSearch = state.range(1) != 0;
  std::size_t found = 0;
  for (auto _ : state) {
    TFindStruct results;
    ReaderHooks hooks;
    hooks.match = [&](const std::string& line, DateTime start) {
      return MatchProgramme(results, line, start, keywords, false);
    };
    for (const auto& channel : guide.channels) {
      ReadChannelFile(options, channel, 0, 24 * 60, kNow, hooks);
    }
    found = results.Lines.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["results"] = static_cast<double>(found);
}
BENCHMARK(BM_FullSearch)->ArgsProduct({{1, 3, 4}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kolvar
