#include "support/plugin_harness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/file_io.h"
#include "jtv_writer.h"
#include "plugin/host_channel.h"
#include "settings/settings_file.h"

namespace kolvar::testing {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

SearchRunFn FakeRun::Fn() {
  return [this](const SearchArgs&, RunContext& ctx) {
    int run = ++started_;
    for (int step = 0;; ++step) {
      if (!ctx.Continue()) break;
      ++steps_;
      ctx.WithSharedState([&] {
        TFindStruct& results = Probe(plugin_).State().results;
        results.push_back({"run " + std::to_string(run), 0, 0, 0});
      });
      int every = handOverEvery_;
      if (every > 0 && step % every == 0) {
        ctx.OnWindowThread([this, run] {
          Probe(plugin_).Host().SendHostMessage("step of run " + std::to_string(run), kKindMess);
        });
      }
      if (released_) break;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ++finished_;
  };
}

bool FakeRun::WaitForSteps(FakePlatform& platform, int n, int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (steps_ < n) {
    if (Clock::now() > deadline) return false;
    platform.RunPosted();
    platform.WaitForPosted(1);
  }
  return true;
}

PluginHarness::PluginHarness() {
  Probe(plugin).SetRun(run.Fn());
  Probe(plugin).SetFailureHandler(
      [] { ADD_FAILURE() << "a search run ended with an exception it did not expect"; });
  platform.SetModuleFileName(folder.Path("Kolvar.dll"));
  const DateTime now = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});
  platform.SetNow(now);
  std::vector<std::pair<int, std::string>> programmes;
  for (int i = -2; i < 6; ++i) programmes.push_back({i * 45, i % 2 ? "News" : "Film"});
  WriteChannel("first", programmes);
  TSettings& s = settings;
  s.Path = folder.Folder();
  s.Channels = {"first.ndx"};
  s.ChannelCount = 1;
  s.FindMode = 3;
  s.CongenialityRate = 86;
  s.NotiseDelay = 5;
  s.HourToEnd = 24;
  s.Sorted = true;
  s.Remind = true;
  s.ShowInPref = true;
  s.RepeatCount = 3;
  s.UntilMinutes = 30;
  s.BeatDelay = 1;
  s.MessRemindOn = "Reminders on";
  s.MessRemindOff = "Reminders off";
  s.Words = {"News", "Film"};
  s.WordCount = 2;
  s.DaysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
}

PluginHarness::~PluginHarness() {
  run.Release();
  plugin.Close();
}

void PluginHarness::Open() {
  ASSERT_EQ(WriteSettings(folder.Path(kSettingsFileName), settings), 1);
  plugin.Open(0x77);
}

std::vector<Reply> PluginHarness::Send(FakeRecord& record) {
  std::uint32_t tag = nextTag_++;
  std::size_t before = platform.Calls().size();
  plugin.ActionManual(record, tag);
  std::vector<Reply> replies;
  auto calls = platform.Calls();
  for (std::size_t i = before; i < calls.size(); ++i) {
    if (calls[i].kind == Recorded::Kind::kReply && calls[i].tag == tag) {
      replies.push_back({calls[i].tag, calls[i].value});
    }
  }
  return replies;
}

long long PluginHarness::Command(const std::string& text) {
  FakeRecord record;
  record.kind = 1;
  record.command = text;
  auto replies = Send(record);
  EXPECT_EQ(replies.size(), 1u) << text;
  return replies.empty() ? -999 : replies.back().value;
}

void PluginHarness::Pump(int ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < deadline) {
    platform.RunPosted();
    platform.WaitForPosted(1);
  }
  platform.RunPosted();
}

void PluginHarness::SetResults(TFindStruct results) {
  MutexLock lock(Probe(plugin).State().mutex);
  Probe(plugin).State().results = std::move(results);
}

std::vector<std::string> PluginHarness::Events() const {
  std::vector<std::string> out;
  for (const auto& e : platform.CallsOf(Recorded::Kind::kEvent)) {
    out.push_back(e.event.kind + " " + e.text);
  }
  return out;
}

std::vector<std::string> PluginHarness::BoxTexts() const {
  std::vector<std::string> out;
  for (const auto& b : platform.CallsOf(Recorded::Kind::kMessageBox)) out.push_back(b.text);
  return out;
}

void PluginHarness::WriteChannel(const std::string& name,
                                 const std::vector<std::pair<int, std::string>>& programmes,
                                 std::optional<DateTime> from) {
  const DateTime now = from.value_or(platform.Now());
  std::vector<jtv::Programme> list;
  for (const auto& [minutes, title] : programmes) {
    list.push_back({DecodeDateTime(now + minutes / 1440.0), title});
  }
  jtv::ChannelFiles files;
  ASSERT_TRUE(jtv::EncodeChannel(list, files));
  ChangeGuideFolder([&] { ASSERT_TRUE(jtv::WriteChannel(folder.Folder(), name, files)); });
}

void PluginHarness::ChangeGuideFolder(const std::function<void()>& change) {
  std::unique_ptr<FolderWatch> watch = SystemFileSystem().WatchFolder(folder.Folder());
  change();
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (watch && !watch->Changed() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void PluginHarness::WriteGuide(int channels, int days, int startHour, std::uint32_t seed) {
  jtv::GuideOptions options;
  options.channels = channels;
  options.days = days;
  options.start = DecodeDateTime(*EncodeDateTime({2024, 3, 2, 5, startHour, 0, 0, 0}));
  options.language = jtv::Language::kEnglish;
  options.seed = seed;
  settings.Channels.clear();
  auto guide = jtv::GenerateGuide(options);
  for (std::size_t c = 0; c < guide.size(); ++c) {
    jtv::ChannelFiles files;
    ASSERT_TRUE(jtv::EncodeChannel(guide[c], files));
    const std::string stem = jtv::ChannelFileStem(static_cast<int>(c));
    ASSERT_TRUE(jtv::WriteChannel(folder.Folder(), stem, files));
    settings.Channels.push_back(stem + ".ndx");
  }
  settings.ChannelCount = static_cast<std::int32_t>(settings.Channels.size());
  settings.MaxResultCount = 100000;
  Probe(plugin).UseRealRun();
}

bool PluginHarness::WaitIdle(int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!Probe(plugin).SearchSettled()) {
    if (Clock::now() > deadline) return false;
    platform.RunPosted();
    platform.WaitForPosted(1);
  }
  platform.RunPosted();
  return true;
}

}  // namespace kolvar::testing
