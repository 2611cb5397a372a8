// A plug-in on the fake platform, with helpers to send host commands the way the
// host does and a scripted search run that stays alive until released.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plugin/plugin.h"
#include "support/fake_platform.h"
#include "support/fake_record.h"
#include "support/plugin_probe.h"
#include "support/temp_dir.h"

namespace kolvar::testing {

// A search run for the worker tests: it adds one result per step, tagged with its
// run number, can hand work over to the window thread every few steps, and keeps
// going until released.
class FakeRun {
 public:
  explicit FakeRun(Plugin& plugin) : plugin_(plugin) {}

  SearchRunFn Fn();
  // Runs end at their next step from now on.
  void Release() { released_ = true; }
  // Every n-th step (0: never) sends a host message through a hand-over.
  void SetHandOverEvery(int n) { handOverEvery_ = n; }

  int Started() const { return started_; }
  int Finished() const { return finished_; }
  int Steps() const { return steps_; }
  // Waits (serving the window thread's tasks) until the steps reach n.
  bool WaitForSteps(FakePlatform& platform, int n, int timeoutMs = 5000);

 private:
  Plugin& plugin_;
  std::atomic<bool> released_{false};
  std::atomic<int> handOverEvery_{0};
  std::atomic<int> started_{0};
  std::atomic<int> finished_{0};
  std::atomic<int> steps_{0};
};

struct Reply {
  std::uint32_t tag = 0;
  long long value = 0;
};

class PluginHarness {
 public:
  PluginHarness();
  ~PluginHarness();

  // Writes `settings` as the plug-in's settings file and opens the plug-in. The
  // guide folder is the plug-in folder, holding one channel "first.ndx" around
  // the fake clock's now (Tuesday 5 March 2024, 12:00) unless a test replaced it.
  void Open();
  // Sends a kind-1 command; returns the one reply's value (the test fails when
  // not exactly one reply came).
  long long Command(const std::string& text);
  // Sends any record; returns its replies.
  std::vector<Reply> Send(FakeRecord& record);
  // Serves the window thread's tasks for a while.
  void Pump(int ms);
  // Pumps until the worker is idle.
  bool WaitIdle(int timeoutMs = 5000);

  // Puts results in place of the plug-in's, as a finished run would leave them.
  void SetResults(TFindStruct results);
  // The host events so far, each as "KIND text", and the message boxes' texts.
  std::vector<std::string> Events() const;
  std::vector<std::string> BoxTexts() const;
  // Makes change to the guide folder and returns once the system has told a
  // folder watch of it (at most 10 s): a watch may hear of a change a moment after
  // it was made (under Wine, through the server), the next tick must know.
  void ChangeGuideFolder(const std::function<void()>& change);
  // Writes channel name (without ".ndx") into the guide folder: programmes at the
  // given minutes from the fake clock's now (or from, when given), with the given
  // titles. Returns once a folder watch was told.
  void WriteChannel(const std::string& name,
                    const std::vector<std::pair<int, std::string>>& programmes,
                    std::optional<DateTime> from = std::nullopt);
  // Writes a generated guide of channels starting at the given hour of the fake
  // day in place of the settings' channels, every one checked, and makes the
  // searches real runs without a result limit.
  void WriteGuide(int channels, int days, int startHour, std::uint32_t seed = 1);

  TempDir folder;  // the plug-in folder
  TSettings settings;
  FakePlatform platform;
  Plugin plugin{platform};
  FakeRun run{plugin};

 private:
  std::uint32_t nextTag_ = 1000;
};

}  // namespace kolvar::testing
