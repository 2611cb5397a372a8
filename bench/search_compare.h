// The search benchmark's measurements, shared with the test that checks them: a
// generated guide, keywords drawn from its titles, and complete search runs with
// the compiled matcher and with MatchProgramme side by side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "jtv_writer.h"
#include "search/find_mode.h"

namespace kolvar::bench {

struct Guide {
  std::string folder;                 // with its trailing separator
  std::vector<std::string> channels;  // index file names, in channel order
  std::vector<std::string> titles;    // every channel's titles, in order
  // The share of distinct titles over the whole guide, and within a channel
  // (the mean over the channels).
  double distinct = 0;
  double distinctPerChannel = 0;
};

// Generates the guide and writes it with encoding; the files are written only
// when folder does not hold this very guide yet (a stamp file remembers the
// options).
Guide PrepareGuide(const std::string& folder, const jtv::GuideOptions& options,
                   const jtv::EncodeOptions& encoding = {});

// count keyword lines made of title words: some with a letter changed, some joined
// with "&", "!", "@" and "^" parameters. Deterministic from seed.
std::vector<std::string> KeywordsFromTitles(const std::vector<std::string>& titles, int count,
                                            std::uint32_t seed);

// count keyword lines as users write them: mostly single words of two to six
// letters (common and rare words of the guide's vocabulary, abbreviations such as
// "F1", some with a typo or Io written as Ie), some two-word titles, some terms
// with their own mode and precision, some with an excluding term. vocabulary:
// the words the guide's titles are made of (jtv::VariedWords()).
std::vector<std::string> UsersKeywords(const std::vector<std::string>& vocabulary,
                                       const std::vector<std::string>& titles, int count,
                                       std::uint32_t seed);

struct ModeTiming {
  FindMode mode{};
  std::size_t programmes = 0;  // offered to the matcher in the full run
  std::size_t results = 0;
  double fastSeconds = 0;
  double literalSeconds = 0;
  // The literal run covered only the first channels, literalProgrammes of them;
  // its time is scaled up to the whole guide.
  bool extrapolated = false;
  std::size_t literalProgrammes = 0;
  bool compared = false;   // the literal matcher ran too (not with --fast-only)
  bool identical = false;  // same results, order and keyword indices, where both ran
};

struct RunOptions {
  int rate = 86;
  bool fullSearch = true;
  DateTime now = 0;
  // Modes whose literal run covers only about this many programmes (0: all).
  std::size_t literalSample = 0;
  bool literal = true;  // false: the compiled matcher only (for profiling)
  int repeat = 1;       // compiled runs; the fastest counts (the machine is shared)
};

ModeTiming CompareMode(const Guide& guide, const std::vector<std::string>& keywords, FindMode mode,
                       const RunOptions& options);

// Reads every file of the guide whole, as cat would: the cost of the disk and
// the file system, below which no search can go.
double ReadFilesSeconds(const Guide& guide);

// One line a mode, with a header. floorSeconds > 0 adds each time as a multiple of
// it; base (a table of fewer keywords) adds each time as a multiple of base's.
std::string FormatTable(const std::vector<ModeTiming>& timings, double floorSeconds = 0,
                        const std::vector<ModeTiming>* base = nullptr);

}  // namespace kolvar::bench
