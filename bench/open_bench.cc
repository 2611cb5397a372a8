// Opening the plug-in on a guide folder of many channels: Open lists the folder,
// checks the saved channels and fills the channel list. Printed beside the
// listing of the folder alone (the floor) and, where it finishes in reasonable
// time, the check marking as it was done before: every saved name compared with
// every listed one, each upper-cased again at every comparison.
//
//   open_bench [--runs N] [DIR]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "plugin/plugin.h"
#include "settings/settings_file.h"
#include "support/fake_platform.h"
#include "support/plugin_probe.h"

namespace kolvar {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ChannelName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "ch%05d.ndx", i);
  return name;
}

// A folder of count channel index files (empty: Open lists them, it reads none).
std::string PrepareFolder(const std::string& root, int count) {
  const std::string folder = root + "open-" + std::to_string(count) + "/";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    const std::string path = folder + ChannelName(i);
    if (!std::filesystem::exists(path)) std::ofstream(path).put('\0');
  }
  return folder;
}

// The settings the benchmark opens with: the folder, and every channel checked
// (named in reverse order, so no lookup finds its name early) or none.
TSettings SettingsFor(const std::string& folder, int count, bool allChecked) {
  TSettings s;
  s.Path = folder;
  for (int i = count - 1; allChecked && i >= 0; --i) s.Channels.push_back(ChannelName(i));
  s.ChannelCount = static_cast<std::int32_t>(s.Channels.size());
  s.BeatDelay = 1;
  s.NotiseDelay = 5;
  s.HourToEnd = 24;
  s.RepeatCount = 1;
  s.UntilMinutes = 5;
  s.DaysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  return s;
}

// Seconds for one Open of the plug-in; the first search is replaced by nothing,
// so only Open itself is timed.
double TimeOpen(const std::string& folder, const TSettings& settings) {
  testing::FakePlatform platform;
  platform.SetModuleFileName(folder + "Kolvar.dll");
  if (WriteSettings(folder + kSettingsFileName, settings) != 1) {
    std::fprintf(stderr, "open_bench: cannot write the settings into %s\n", folder.c_str());
    std::exit(1);
  }
  Plugin plugin(platform);
  testing::Probe(plugin).SetRun([](const SearchArgs&, RunContext&) {});
  const Clock::time_point start = Clock::now();
  plugin.Open(0x1234);
  const double took = SecondsSince(start);
  if (plugin.Form().CheckListBoxFiles.CheckedCount() != settings.ChannelCount) {
    std::fprintf(stderr, "open_bench: %d checked, expected %d\n",
                 plugin.Form().CheckListBoxFiles.CheckedCount(), settings.ChannelCount);
    std::exit(1);
  }
  plugin.Close();
  return took;
}

// The check marking before: each saved name against each listed one.
double TimeQuadraticMarks(const std::string& folder, const TSettings& settings) {
  const Clock::time_point start = Clock::now();
  const std::vector<std::string> names = ListFolder(folder, ".ndx");
  std::vector<bool> checked(names.size(), false);
  for (const std::string& saved : settings.Channels) {
    const std::string wanted = UpperCase(saved);
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (UpperCase(names[i]) == wanted) {
        checked[i] = true;
        break;
      }
    }
  }
  const double took = SecondsSince(start);
  if (std::count(checked.begin(), checked.end(), true) != settings.ChannelCount) std::exit(1);
  return took;
}

double Best(int runs, const std::function<double()>& fn) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) best = std::min(best, fn());
  return best;
}

}  // namespace
}  // namespace kolvar

int main(int argc, char** argv) {
  using namespace kolvar;
  int runs = 3;
  std::string root = KOLVAR_BENCH_OPEN_DIR;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!arg.empty() && arg[0] != '-') {
      root = arg.back() == '/' ? arg : arg + "/";
    } else {
      std::fprintf(stderr, "usage: open_bench [--runs N] [DIR]\n");
      return 2;
    }
  }
  std::printf("| channels | checked | list folder s | Open s | marks as before s |\n");
  std::printf("|---:|---:|---:|---:|---:|\n");
  for (int count : {5000, 20000}) {
    const std::string folder = PrepareFolder(root, count);
    const double listing = Best(runs, [&] {
      const auto start = std::chrono::steady_clock::now();
      const auto names = ListFolder(folder, ".ndx");
      if (static_cast<int>(names.size()) != count) std::exit(1);
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    for (bool all : {false, true}) {
      const TSettings settings = SettingsFor(folder, count, all);
      const double open = Best(runs, [&] { return TimeOpen(folder, settings); });
      // Before, 20 000 checked channels took minutes of comparisons: measured at
      // 5 000 only.
      std::string before = "-";
      if (all && count <= 5000) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", TimeQuadraticMarks(folder, settings));
        before = text;
      } else if (!all) {
        before = "(no saved names)";
      }
      std::printf("| %d | %d | %.3f | %.3f | %s |\n", count, all ? count : 0, listing, open,
                  before.c_str());
    }
  }
  return 0;
}
