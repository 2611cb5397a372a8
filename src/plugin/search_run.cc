// The search run, on the worker thread. It reaches the window and the host only
// through its RunContext, so a stopped run changes nothing.
#include <string>

#include "plugin/host_channel.h"
#include "plugin/plugin.h"

namespace kolvar {

void Plugin::RunSearch(const SearchArgs& args, RunContext& ctx) {
  // NotifyCountdown and the message texts belong to the window thread.
  bool current = ctx.OnWindowThread([this] {
    compareFromStart_ = false;
    notifyCountdown_ = settings_.RepeatCount;
  });
  if (!current) return;
  ctx.WithSharedState([this] {
    ClearResults(results_);
    databaseOutdated_ = true;
  });
  ctx.OnWindowThread([this] { SendHostMessage(settings_.MessSearchStarting, kKindSearchRunning); });

  // Reading the channels arrives with the TV guide reader.
  if (!ctx.Continue()) return;

  if (args.visible) {
    ctx.OnWindowThread([this] {
      form_.Label1.Caption = "Find: Building list...   wait.";
      BuildResultList();
      form_.Label1.Caption = "Find: " + std::to_string(Results().Count) + " found";
    });
  }
  if (args.announce) {
    ctx.OnWindowThread([this] { SendHostMessage(settings_.MessListCreate, kKindMess); });
  }
  ctx.OnWindowThread(
      [this] { SendHostMessage(settings_.MessSearchComplete, kKindSearchComplete); });
  ctx.OnWindowThread([this] {
    if (databaseOutdated_ && !form_.Visible && form_.CheckListBoxFiles.CheckedCount() > 0) {
      SendHostMessage(settings_.MessOldDataBase, kKindMess);
    }
  });
}

}  // namespace kolvar
