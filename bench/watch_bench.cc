// One tick of the guide watcher on the window thread, on a folder of 1 000 and
// 5 000 channels (an .ndx and a .pdt each) all checked: as it is, told by the
// system's folder watch that nothing changed, beside the folder listed and
// compared at every tick, as the watcher did before it asked the system (the
// same listing it still makes when told of a change, or once a minute).
//
//   watch_bench [--ticks N] [DIR]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "plugin/guide_watcher.h"
#include "plugin/plugin.h"
#include "settings/settings_file.h"
#include "support/failing_file_system.h"
#include "support/fake_platform.h"
#include "support/plugin_probe.h"

namespace kolvar {
namespace {

using Clock = std::chrono::steady_clock;

std::string Stem(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "ch%05d", i);
  return name;
}

// The files are never read: only their names, sizes and write times count.
std::string PrepareFolder(const std::string& root, int count) {
  const std::string folder = root + "watch-" + std::to_string(count) + "/";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    for (const char* suffix : {".ndx", ".pdt"}) {
      const std::string path = folder + Stem(i) + suffix;
      if (!std::filesystem::exists(path)) std::ofstream(path) << "x";
    }
  }
  return folder;
}

// Milliseconds of the median tick of ticks, on an open plug-in with every
// channel checked and the file system fs in use.
double MedianTickMs(const std::string& folder, int count, int ticks, FileSystem& fs) {
  ScopedFileSystem use(fs);
  testing::FakePlatform platform;
  platform.SetModuleFileName(folder + "Kolvar.dll");
  TSettings s;
  s.Path = folder;
  for (int i = 0; i < count; ++i) s.Channels.push_back(Stem(i) + ".ndx");
  s.ChannelCount = count;
  if (WriteSettings(folder + kSettingsFileName, s) != 1) std::exit(1);
  Plugin plugin(platform);
  int searches = 0;
  testing::Probe(plugin).SetRun([&searches](const SearchArgs&, RunContext&) { ++searches; });
  plugin.Open(0x1234);
  platform.RunPosted();
  if (plugin.Form().CheckListBoxFiles.CheckedCount() != count) std::exit(1);
  const int opened = searches;
  GuideWatcher& watcher = testing::Probe(plugin).Watcher();
  std::vector<double> took;
  for (int i = 0; i < ticks; ++i) {
    const Clock::time_point start = Clock::now();
    watcher.TimerGuideWatchTimer();
    took.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  plugin.Close();
  if (searches != opened) {  // an unchanged guide starts none
    std::fprintf(stderr, "watch_bench: %d searches on an unchanged guide\n", searches - opened);
    std::exit(1);
  }
  std::nth_element(took.begin(), took.begin() + ticks / 2, took.end());
  return took[static_cast<std::size_t>(ticks / 2)];
}

}  // namespace
}  // namespace kolvar

int main(int argc, char** argv) {
  using namespace kolvar;
  int ticks = 60;
  std::string root = KOLVAR_BENCH_OPEN_DIR;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--ticks" && i + 1 < argc) {
      ticks = std::max(1, std::atoi(argv[++i]));
    } else if (!arg.empty() && arg[0] != '-') {
      root = arg.back() == '/' ? arg : arg + "/";
    } else {
      std::fprintf(stderr, "usage: watch_bench [--ticks N] [DIR]\n");
      return 2;
    }
  }
  std::printf(
      "| channels | files | folder listing alone ms | median tick, listed every tick "
      "(before) ms | median tick, system watch (now) ms |\n");
  std::printf("|---:|---:|---:|---:|---:|\n");
  for (int count : {1000, 5000}) {
    const std::string folder = PrepareFolder(root, count);
    testing::FailingFileSystem listing({.watch = testing::FileFaults::Watch::kNone});
    testing::FailingFileSystem watched;
    const double before = MedianTickMs(folder, count, ticks, listing);
    const double now = MedianTickMs(folder, count, ticks, watched);
    std::vector<double> alone;
    for (int i = 0; i < ticks; ++i) {
      const Clock::time_point start = Clock::now();
      if (ListFolderStamps(folder, "").size() < 2u * count) return 1;
      alone.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::nth_element(alone.begin(), alone.begin() + ticks / 2, alone.end());
    std::printf("| %d | %d | %.3f | %.3f | %.4f |\n", count, 2 * count,
                alone[static_cast<std::size_t>(ticks / 2)], before, now);
  }
  return 0;
}
