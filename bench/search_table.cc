// The search benchmark: a generated guide of 300 channels over 14 days, a
// programme every half hour with titles of made-up Latin and Cyrillic words
// (written once into the build folder); two keyword sets, each at 100 and at 1,000
// keywords: the keywords users write (short words, abbreviations, some with their
// own mode and precision or an excluding term) and whole titles of the guide. Rate
// 86, full search; every find mode run with the compiled matcher and with
// MatchProgramme, printed as one table a set. The literal matcher runs over a
// sample of the guide only: it needs minutes for the whole of it.
//
// Each compiled time is the fastest of --repeat runs (default 3).
//
// --real-titles: the titles repeat as in real guides (about a third of a
// channel's titles distinct), each programme's written anew as providers write
// them (data files past 64 KB, offsets wrapped); --distinct-titles: every
// programme a title of its own, written the same way; --descriptions: a
// description after each title. Such guides are kept in a folder of their own.
// The first line tells how many of the titles are distinct.
//
//   search_bench [--channels N] [--days N] [--sample N] [--mode N] [--many N]
//                [--repeat N] [--fast-only] [--real-titles | --distinct-titles]
//                [--descriptions]
//                [--keywords | --title-keywords [--count N]] [DIR]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "search_compare.h"

int main(int argc, char** argv) {
  using namespace kolvar;
  jtv::GuideOptions guideOptions;
  guideOptions.channels = 300;
  guideOptions.days = 14;
  guideOptions.seed = 2026;
  guideOptions.language = jtv::Language::kVaried;
  guideOptions.programmeMinutes = 30;
  const DateTime now = *EncodeDateTime({2026, 12, 7, 1, 12, 0, 0, 0});
  guideOptions.start = DecodeDateTime(now - 0.5);
  std::size_t sample = 20000;
  bool literal = true;
  int print = 0;  // 1: the users' keywords, 2: the title keywords
  int printCount = 100;
  int onlyMode = 0;
  int many = 1000;
  int repeat = 3;
  std::string folder;
  jtv::EncodeOptions encoding;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--channels" && i + 1 < argc) {
      guideOptions.channels = std::atoi(argv[++i]);
    } else if (arg == "--days" && i + 1 < argc) {
      guideOptions.days = std::atoi(argv[++i]);
    } else if (arg == "--sample" && i + 1 < argc) {
      sample = static_cast<std::size_t>(std::atoll(argv[++i]));
    } else if (arg == "--many" && i + 1 < argc) {
      many = std::atoi(argv[++i]);
    } else if (arg == "--repeat" && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--keywords") {
      print = 1;
    } else if (arg == "--title-keywords") {
      print = 2;
    } else if (arg == "--count" && i + 1 < argc) {
      printCount = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--fast-only") {
      literal = false;
    } else if (arg == "--real-titles") {
      guideOptions.realRepeats = true;
      encoding.ownEntries = true;
      encoding.wrapOffsets = true;
    } else if (arg == "--distinct-titles") {
      guideOptions.distinctTitles = true;
      encoding.ownEntries = true;
      encoding.wrapOffsets = true;
    } else if (arg == "--descriptions") {
      guideOptions.descriptions = true;
    } else if (arg == "--mode" && i + 1 < argc) {
      onlyMode = std::atoi(argv[++i]);
    } else if (!arg.empty() && arg[0] != '-') {
      folder = arg;
      if (folder.back() != '/') folder += '/';
    } else {
      std::fprintf(stderr,
                   "usage: search_bench [--channels N] [--days N] [--sample N] [--mode N] "
                   "[--many N] [--repeat N] [--fast-only] [--real-titles | --distinct-titles] "
                   "[--descriptions] "
                   "[--keywords | --title-keywords [--count N]] [DIR]\n");
      return 2;
    }
  }
  if (folder.empty()) {
    // Each kind of guide in a folder of its own, so switching costs no rewrite.
    folder = KOLVAR_BENCH_GUIDE_DIR;
    folder.pop_back();
    if (guideOptions.realRepeats) folder += "-real-titles";
    if (guideOptions.distinctTitles) folder += "-distinct-titles";
    if (guideOptions.descriptions) folder += "-descriptions";
    folder += '/';
  }
  const bench::Guide guide = bench::PrepareGuide(folder, guideOptions, encoding);
  auto keywordSet = [&guide](int set, int count) {
    return set == 1 ? bench::UsersKeywords(jtv::VariedWords(), guide.titles, count, 7)
                    : bench::KeywordsFromTitles(guide.titles, count, 7);
  };
  if (print != 0) {
    for (const std::string& k : keywordSet(print, printCount)) std::printf("%s\n", k.c_str());
    return 0;
  }
  double files = bench::ReadFilesSeconds(guide);  // the first run fills the cache
  for (int r = 0; r < repeat; ++r) files = std::min(files, bench::ReadFilesSeconds(guide));
  bench::RunOptions floorOptions;
  floorOptions.now = now;
  floorOptions.literal = false;
  floorOptions.repeat = repeat;
  const bench::ModeTiming floor = bench::CompareMode(guide, {}, kFindUpperCase, floorOptions);
  std::printf(
      "%d channels x %d days%s%s, rate 86, full search; titles %.0f%% distinct, %.0f%% within "
      "a channel\n",
      guideOptions.channels, guideOptions.days,
      guideOptions.realRepeats      ? ", real titles"
      : guideOptions.distinctTitles ? ", distinct titles"
                                    : "",
      guideOptions.descriptions ? ", descriptions" : "", guide.distinct * 100,
      guide.distinctPerChannel * 100);
  std::printf("reading the guide's files alone: %.3f s\n", files);
  std::printf(
      "the floor, reading and formatting %zu programmes with no keywords: %.3f s "
      "(%.1f x the files)\n",
      floor.programmes, floor.fastSeconds, floor.fastSeconds / files);
  bool allIdentical = true;
  for (int set = 1; set <= 2; ++set) {
    std::vector<bench::ModeTiming> fewer;
    for (int count : {100, many}) {
      const auto keywords = keywordSet(set, count);
      std::vector<bench::ModeTiming> timings;
      for (int mode = 1; mode <= 6; ++mode) {
        if (onlyMode != 0 && mode != onlyMode) continue;
        bench::RunOptions options;
        options.now = now;
        options.literal = literal;
        options.repeat = repeat;
        // The literal matcher's cost grows with the keywords and, in modes 5 and
        // 6, with the line: a smaller sample keeps the run within a minute.
        options.literalSample = sample * 100 / static_cast<std::size_t>(std::max(count, 100));
        if (mode >= 5) options.literalSample /= 8;
        timings.push_back(
            bench::CompareMode(guide, keywords, static_cast<FindMode>(mode), options));
        std::fprintf(stderr, "%s, %d keywords, mode %d done\n", set == 1 ? "users" : "titles",
                     count, mode);
      }
      std::printf("\n%s, %zu keywords\n\n",
                  set == 1 ? "keywords as users write them" : "keywords from titles",
                  keywords.size());
      std::fputs(
          bench::FormatTable(timings, floor.fastSeconds, fewer.empty() ? nullptr : &fewer).c_str(),
          stdout);
      for (const auto& timing : timings) allIdentical = allIdentical && timing.identical;
      fewer = timings;
    }
  }
  return literal && !allIdentical ? 1 : 0;
}
