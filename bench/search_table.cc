// The search benchmark: a generated guide of 300 channels over 14 days (written
// once into the build folder), 100 keywords drawn from its titles, rate 86, full
// search; every find mode run with the compiled matcher and with MatchProgramme,
// printed as one table. Modes 5 and 6 run the literal matcher over a sample only:
// it needs minutes for the whole guide.
//
//   search_bench [--channels N] [--days N] [--sample N] [--mode N] [--fast-only]
//                [--keywords] [DIR]
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
  const DateTime now = *EncodeDateTime({2026, 12, 7, 1, 12, 0, 0, 0});
  guideOptions.start = DecodeDateTime(now - 0.5);
  std::size_t sample = 5000;
  bool literal = true;
  bool printKeywords = false;
  int onlyMode = 0;
  std::string folder = KOLVAR_BENCH_GUIDE_DIR;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--channels" && i + 1 < argc) {
      guideOptions.channels = std::atoi(argv[++i]);
    } else if (arg == "--days" && i + 1 < argc) {
      guideOptions.days = std::atoi(argv[++i]);
    } else if (arg == "--sample" && i + 1 < argc) {
      sample = static_cast<std::size_t>(std::atoll(argv[++i]));
    } else if (arg == "--keywords") {
      printKeywords = true;
    } else if (arg == "--fast-only") {
      literal = false;
    } else if (arg == "--mode" && i + 1 < argc) {
      onlyMode = std::atoi(argv[++i]);
    } else if (!arg.empty() && arg[0] != '-') {
      folder = arg;
      if (folder.back() != '/') folder += '/';
    } else {
      std::fprintf(stderr,
                   "usage: search_bench [--channels N] [--days N] [--sample N] [--mode N] "
                   "[--fast-only] [--keywords] [DIR]\n");
      return 2;
    }
  }
  const bench::Guide guide = bench::PrepareGuide(folder, guideOptions);
  const std::vector<std::string> keywords = bench::KeywordsFromTitles(guide.titles, 100, 7);
  if (printKeywords) {
    for (const std::string& k : keywords) std::printf("%s\n", k.c_str());
    return 0;
  }
  std::vector<bench::ModeTiming> timings;
  // The floor: reading the guide and formatting its lines, nothing to match.
  {
    bench::RunOptions options;
    options.now = now;
    options.literal = false;
    const bench::ModeTiming floor = bench::CompareMode(guide, {}, 3, options);
    std::printf("reading and formatting %zu programmes alone: %.3f s\n", floor.programmes,
                floor.fastSeconds);
  }
  for (int mode = 1; mode <= 6; ++mode) {
    if (onlyMode != 0 && mode != onlyMode) continue;
    bench::RunOptions options;
    options.now = now;
    options.literal = literal;
    if (mode >= 5) options.literalSample = sample;
    timings.push_back(bench::CompareMode(guide, keywords, mode, options));
    std::fprintf(stderr, "mode %d done\n", mode);
  }
  std::printf("%d channels x %d days, %zu keywords, rate 86, full search\n\n",
              guideOptions.channels, guideOptions.days, keywords.size());
  std::fputs(bench::FormatTable(timings).c_str(), stdout);
  for (const auto& timing : timings) {
    if (literal && !timing.identical) return 1;
  }
  return 0;
}
