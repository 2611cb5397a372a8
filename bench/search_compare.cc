#include "search_compare.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>

#include "search/collecting_context.h"
#include "search/search_run.h"
#include "tvguide/jtv_reader.h"

namespace kolvar::bench {
namespace {

std::string Stamp(const jtv::GuideOptions& o, const jtv::EncodeOptions& e) {
  std::ostringstream out;
  out << o.channels << ' ' << o.days << ' ' << o.seed << ' ' << static_cast<int>(o.language) << ' '
      << o.start.year << '-' << o.start.month << '-' << o.start.day << ' ' << o.start.hour << ':'
      << o.start.minute << ' ' << o.programmeMinutes << ' ' << o.descriptions << o.realRepeats
      << (o.distinctTitles ? "d" : "") << e.sharedTail << e.ownEntries << e.wrapOffsets;
  return out.str();
}

std::vector<std::string> Words(const std::string& title) {
  std::vector<std::string> words;
  std::istringstream in(title);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

SearchSnapshot Snapshot(const Guide& guide, std::size_t channels, FindMode mode,
                        const RunOptions& options) {
  SearchSnapshot snapshot;
  TSettings& s = snapshot.settings;
  s.Path = guide.folder;
  s.DaysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  s.FullSearch = options.fullSearch;
  s.FindMode = mode;
  s.CongenialityRate = options.rate;
  s.MaxResultCount = 100000000;
  for (std::size_t c = 0; c < channels; ++c) snapshot.channels.push_back({guide.channels[c], true});
  return snapshot;
}

struct Timed {
  TFindStruct results;
  double seconds = 0;
};

Timed Run(const SearchArgs& args, const SearchSnapshot& snapshot, DateTime now,
          MatcherChoice choice) {
  CollectingContext context(now);
  const auto begin = std::chrono::steady_clock::now();
  RunSearch(args, snapshot, context, choice);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  return {std::move(context.results), took.count()};
}

std::size_t CountProgrammes(const Guide& guide, const std::string& channel,
                            const RunOptions& options) {
  const SearchSnapshot snapshot = Snapshot(guide, 0, kFindUpperCase, options);
  const TSettings& s = snapshot.settings;
  std::size_t count = 0;
  ReaderHooks hooks;
  hooks.match = [&count](const std::string& line, DateTime) {
    if (!line.empty()) ++count;
    return false;
  };
  ReadChannelFile({s.Path, s.DaysOfWeek, s.FullSearch}, channel, {0, 24 * 60, options.now}, hooks);
  return count;
}

}  // namespace

Guide PrepareGuide(const std::string& folder, const jtv::GuideOptions& options,
                   const jtv::EncodeOptions& encoding) {
  Guide guide;
  guide.folder = folder;
  const auto programmes = jtv::GenerateGuide(options);
  double channelShares = 0;
  for (std::size_t c = 0; c < programmes.size(); ++c) {
    guide.channels.push_back(jtv::ChannelFileStem(static_cast<int>(c)) + ".ndx");
    std::set<std::string> own;
    for (const auto& p : programmes[c]) {
      guide.titles.push_back(p.title);
      own.insert(p.title);
    }
    if (!programmes[c].empty()) {
      channelShares += static_cast<double>(own.size()) / static_cast<double>(programmes[c].size());
    }
  }
  if (!guide.titles.empty()) {
    const std::set<std::string> all(guide.titles.begin(), guide.titles.end());
    guide.distinct = static_cast<double>(all.size()) / static_cast<double>(guide.titles.size());
    guide.distinctPerChannel = channelShares / static_cast<double>(programmes.size());
  }
  const std::string stampPath = folder + "guide.stamp";
  std::string stamp;
  std::getline(std::ifstream(stampPath), stamp);
  if (stamp == Stamp(options, encoding)) return guide;
  std::filesystem::create_directories(folder);
  for (std::size_t c = 0; c < programmes.size(); ++c) {
    jtv::ChannelFiles files;
    jtv::EncodeChannel(programmes[c], files, encoding);
    jtv::WriteChannel(folder, jtv::ChannelFileStem(static_cast<int>(c)), files);
  }
  std::ofstream(stampPath) << Stamp(options, encoding) << '\n';
  return guide;
}

std::vector<std::string> KeywordsFromTitles(const std::vector<std::string>& titles, int count,
                                            std::uint32_t seed) {
  std::mt19937 random(seed);
  // Titles of two words or more: a single common word would match half the guide.
  auto title = [&] {
    for (;;) {
      const std::string& t = titles[random() % titles.size()];
      const auto words = Words(t);
      if (words.size() >= 2) return words;
    }
  };
  auto join = [](const std::vector<std::string>& words, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t w = from; w < to; ++w) text += (w > from ? " " : "") + words[w];
    return text;
  };
  std::vector<std::string> keywords;
  for (int i = 0; i < count; ++i) {
    const auto words = title();
    std::string keyword;
    switch (i % 8) {
      case 0:  // a word and the rest of its title as a second term
        keyword = words[0] + "&" + join(words, 1, words.size());
        break;
      case 1:  // the title, but not with another word
        keyword = join(words, 0, words.size()) + "&!" + title()[0];
        break;
      case 2:
        keyword = join(words, 0, words.size()) + "@3^70";
        break;
      case 3:
        keyword = join(words, 0, words.size()) + "^95";
        break;
      default:
        keyword = join(words, 0, words.size());
    }
    if (i % 4 == 1 && keyword.size() > 4) {
      keyword[2 + random() % (keyword.size() / 2 - 1)] = 'x';  // a typo
    }
    keywords.push_back(keyword);
  }
  return keywords;
}

std::vector<std::string> UsersKeywords(const std::vector<std::string>& vocabulary,
                                       const std::vector<std::string>& titles, int count,
                                       std::uint32_t seed) {
  std::mt19937 random(seed);
  auto pick = [&random](const auto& list) -> const std::string& {
    return list[random() % list.size()];
  };
  // A word of two to six letters, common (the front of the list) or not.
  auto shortWord = [&] {
    for (;;) {
      const std::size_t range = random() % 2 ? 200 : vocabulary.size();
      const std::string& w = vocabulary[random() % std::min(range, vocabulary.size())];
      if (w.size() >= 2 && w.size() <= 6) return w;
    }
  };
  static const char* const kAbbreviations[] = {
      "F1",           "NHL",          "UFC",          "MTV", "BBC",
      "\xcd\xd5\xcb", "\xca\xc2\xcd", "\xd7\xc3\xca", "3D",  "NBA"};
  std::vector<std::string> keywords;
  for (int i = 0; i < count; ++i) {
    std::string k;
    switch (i % 20) {
      case 0:
      case 1:
        k = kAbbreviations[random() % std::size(kAbbreviations)];
        break;
      case 2:
      case 3: {  // two words of one title
        const auto words = Words(pick(titles));
        k = words.size() >= 2 ? words[0] + " " + words[1] : words[0];
        break;
      }
      case 4:  // a word in another mode (a keyword may name modes 1 to 3) and precision
        k = shortWord() + "@" + std::to_string(1 + random() % 3) + "^" +
            std::to_string(60 + random() % 41);
        break;
      case 5:
        k = shortWord() + "@1";
        break;
      case 6:
        k = shortWord() + "^80";
        break;
      case 7:  // a word, but not with another
        k = shortWord() + "&!" + shortWord();
        break;
      case 8:  // two words in either order, the second one looser
        k = shortWord() + "&" + shortWord() + "^70";
        break;
      case 9: {  // a typo
        k = shortWord();
        k[1 + random() % (k.size() - 1)] = 'x';
        break;
      }
      case 10: {  // Io written as Ie
        k = shortWord();
        for (char& c : k) {
          if (c == '\xb8') c = '\xe5';
        }
        break;
      }
      default:
        k = shortWord();
    }
    keywords.push_back(k);
  }
  return keywords;
}

double ReadFilesSeconds(const Guide& guide) {
  const auto begin = std::chrono::steady_clock::now();
  std::size_t bytes = 0;
  for (const auto& channel : guide.channels) {
    const std::string stem = guide.folder + channel.substr(0, channel.size() - 4);
    for (const char* extension : {".ndx", ".pdt"}) {
      std::ifstream in(stem + extension, std::ios::binary);
      std::ostringstream content;
      content << in.rdbuf();
      bytes += content.str().size();
    }
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  return bytes > 0 ? took.count() : 0;
}

ModeTiming CompareMode(const Guide& guide, const std::vector<std::string>& keywords, FindMode mode,
                       const RunOptions& options) {
  ModeTiming timing;
  timing.mode = mode;
  const SearchArgs args{.keywords = keywords, .sorted = true, .window = 24 * 60};
  std::vector<std::size_t> perChannel;
  for (const auto& channel : guide.channels) {
    perChannel.push_back(CountProgrammes(guide, channel, options));
    timing.programmes += perChannel.back();
  }
  const SearchSnapshot whole = Snapshot(guide, guide.channels.size(), mode, options);
  const Timed fast = Run(args, whole, options.now, MatcherChoice::kCompiled);
  timing.results = fast.results.size();
  timing.fastSeconds = fast.seconds;
  for (int r = 1; r < options.repeat; ++r) {
    timing.fastSeconds = std::min(timing.fastSeconds,
                                  Run(args, whole, options.now, MatcherChoice::kCompiled).seconds);
  }

  if (!options.literal) return timing;
  std::size_t channels = guide.channels.size();
  timing.literalProgrammes = timing.programmes;
  if (options.literalSample > 0 && options.literalSample < timing.programmes) {
    timing.literalProgrammes = 0;
    for (channels = 0;
         channels < perChannel.size() && timing.literalProgrammes < options.literalSample;
         ++channels) {
      timing.literalProgrammes += perChannel[channels];
    }
    timing.extrapolated = channels < guide.channels.size();
  }
  const SearchSnapshot snapshot = Snapshot(guide, channels, mode, options);
  const Timed literal = Run(args, snapshot, options.now, MatcherChoice::kLiteral);
  timing.compared = true;
  timing.literalSeconds = literal.seconds;
  if (timing.extrapolated) {
    timing.literalSeconds *=
        static_cast<double>(timing.programmes) /
        static_cast<double>(std::max<std::size_t>(timing.literalProgrammes, 1));
    timing.identical =
        Run(args, snapshot, options.now, MatcherChoice::kCompiled).results == literal.results;
  } else {
    timing.identical = fast.results == literal.results;
  }
  return timing;
}

std::string FormatTable(const std::vector<ModeTiming>& timings, double floorSeconds,
                        const std::vector<ModeTiming>* base) {
  std::string out = "| mode | programmes | results | fast s |";
  std::string rule = "|---:|---:|---:|---:|";
  if (floorSeconds > 0) {
    out += " / floor |";
    rule += "---:|";
  }
  if (base) {
    out += " / fewer keywords |";
    rule += "---:|";
  }
  out += " literal s | literal/fast | identical |\n" + rule + "---:|---:|---|\n";
  for (const ModeTiming& r : timings) {
    char line[256];
    std::snprintf(line, sizeof line, "| %d | %zu | %zu | %.3f |", static_cast<int>(r.mode),
                  r.programmes, r.results, r.fastSeconds);
    out += line;
    if (floorSeconds > 0) {
      std::snprintf(line, sizeof line, " %.1f |", r.fastSeconds / floorSeconds);
      out += line;
    }
    if (base) {
      const auto same = std::find_if(base->begin(), base->end(),
                                     [&r](const ModeTiming& b) { return b.mode == r.mode; });
      if (same != base->end() && same->fastSeconds > 0) {
        std::snprintf(line, sizeof line, " %.1f |", r.fastSeconds / same->fastSeconds);
      } else {
        std::snprintf(line, sizeof line, " - |");
      }
      out += line;
    }
    if (!r.compared) {
      // Timed alone: there is nothing to compare it with, so nothing is claimed.
      std::snprintf(line, sizeof line, " - | - | - |\n");
    } else {
      std::snprintf(line, sizeof line, " %.2f%s | %.0f | %s |\n", r.literalSeconds,
                    r.extrapolated ? "*" : "", r.literalSeconds / std::max(r.fastSeconds, 1e-9),
                    r.identical ? (r.extrapolated ? "yes*" : "yes") : "NO");
    }
    out += line;
  }
  // One note a sample size: which modes ran the literal matcher on part of the guide.
  std::vector<std::pair<std::size_t, std::string>> samples;
  for (const ModeTiming& r : timings) {
    if (!r.extrapolated) continue;
    if (samples.empty() || samples.back().first != r.literalProgrammes) {
      samples.push_back({r.literalProgrammes, {}});
    }
    samples.back().second +=
        (samples.back().second.empty() ? "" : ", ") + std::to_string(static_cast<int>(r.mode));
  }
  for (const auto& [programmes, modes] : samples) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "* mode %s: literal run over the first %zu programmes, time scaled to all; "
                  "identical compared there\n",
                  modes.c_str(), programmes);
    out += line;
  }
  return out;
}

}  // namespace kolvar::bench
