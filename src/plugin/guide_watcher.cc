#include "plugin/guide_watcher.h"

#include <algorithm>
#include <utility>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "tvguide/jtv_reader.h"

namespace kolvar {

namespace {

bool IsIndexName(const std::string& upper) { return upper.ends_with(".NDX"); }

}  // namespace

void GuideWatcher::Open() {
  if (std::optional<std::string> text = ReadWholeFile(p_.pluginFolder + kWatchFileName)) {
    p_.watch = ParseWatchSettings(*text);
  }
  // Missing (just installed) or damaged: nothing is known, and the first run
  // only learns, instead of telling of every match as new.
  if (std::optional<std::string> text = ReadWholeFile(p_.pluginFolder + kKnownMatchesFileName)) {
    if (std::optional<KnownMatches> known = ParseKnownMatches(*text)) {
      p_.known = std::make_shared<const KnownMatches>(std::move(*known));
    } else {
      knownDamaged_ = true;
    }
  }
  ListForChange();
  pending_ = false;
  p_.timer.SetInterval(kGuideWatchMs);
  p_.timer.SetEnabled(p_.watch.watch);
}

bool GuideWatcher::LookForChange() {
  sinceListingMs_ += p_.timer.Interval();
  const bool sameFolder = p_.settings.Path == folder_;
  if (folderWatch_ && sameFolder && !folderWatch_->Changed() &&
      sinceListingMs_ < kGuideLookAnywayMs) {
    return false;
  }
  return ListForChange();
}

bool GuideWatcher::ListForChange() {
  const std::string& folder = p_.settings.Path;
  sinceListingMs_ = 0;
  // Watched afresh before the listing, so what changes while it lists is told at
  // the next tick; a new watch also follows a folder renamed away and put back.
  folderWatch_ = WatchFolder(folder);
  Stamps now;
  for (FileStamp& entry : ListFolderStamps(folder, "")) {
    std::string upper = UpperCase(entry.name);
    if (IsIndexName(upper) || upper.ends_with(".PDT")) {
      now.emplace(std::move(upper), Stamp{entry.size, entry.writeTime});
    }
  }
  // A folder away (a drive not mounted) or emptied for a moment by a downloader is
  // no guide to search: the channels' results stay until files are back.
  if (now.empty()) return false;
  if (folder != folder_) {
    folder_ = folder;
    stamps_ = std::move(now);
    return false;
  }
  bool changed =
      std::count_if(now.begin(), now.end(), [](const auto& e) { return IsIndexName(e.first); }) !=
      std::count_if(stamps_.begin(), stamps_.end(),
                    [](const auto& e) { return IsIndexName(e.first); });
  for (auto it = now.begin(); !changed && it != now.end(); ++it) {
    changed = IsIndexName(it->first) && !stamps_.contains(it->first);
  }
  const CheckListBox& list = p_.channels;
  for (int i = 0; !changed && i < list.Count(); ++i) {
    if (!list.IsChecked(i)) continue;
    const std::string& name = list.Items()[static_cast<std::size_t>(i)];
    for (const std::string& file : {UpperCase(name), UpperCase(DataFileName(name))}) {
      const auto before = stamps_.find(file);
      const auto after = now.find(file);
      const bool same = before == stamps_.end()
                            ? after == now.end()
                            : after != now.end() && before->second == after->second;
      if (!same) changed = true;
    }
  }
  stamps_ = std::move(now);
  return changed;
}

void GuideWatcher::TimerGuideWatchTimer() {
  if (!p_.initialised || !p_.watch.watch) return;
  if (LookForChange()) {
    pending_ = true;
    quietMs_ = 0;
    return;
  }
  if (!pending_) return;
  quietMs_ = std::min(quietMs_ + p_.timer.Interval(), kGuideSettleMs);
  // A run going or frozen finishes first; what changed meanwhile is searched after.
  if (quietMs_ < kGuideSettleMs || p_.search.Running()) return;
  const TSettings& settings = p_.settings;
  p_.search.StartSearch({.sorted = settings.Sorted,
                         .visible = settings.ShowInPref,
                         .announce = true,
                         .window = p_.search.Horizon()});
  if (p_.search.Running()) pending_ = false;
}

void GuideWatcher::ToggleWatch() {
  p_.watch.watch = !p_.watch.watch;
  pending_ = false;
  // Off, nothing is watched; on again, the first tick lists and compares with the
  // last listing, so a guide renewed meanwhile is searched.
  folderWatch_.reset();
  p_.timer.SetEnabled(p_.watch.watch);
}

void GuideWatcher::RunConcluded(RunConclusion c) {
  p_.known = c.known;
  if (c.changed) {
    const std::string file = p_.pluginFolder + kKnownMatchesFileName;
    const FileStatus saved = WriteFileAtomic(file, c.fileText);
    unsaved_ = saved ? std::string() : file + saved.Because();
  }
  if (!p_.watch.watch) return;
  // Copied: the host may close the plug-in from inside each message.
  const bool damaged = std::exchange(knownDamaged_, false);
  const bool tellUnsaved = c.couldTell && c.newCount > 0 && !unsaved_.empty() && !failureTold_;
  const std::string unsaved = unsaved_;
  if (tellUnsaved) failureTold_ = true;
  const std::string wording = p_.watch.messNewMatches;
  if (damaged) {
    p_.host.SendHostMessage("The known matches in " + p_.pluginFolder + kKnownMatchesFileName +
                                " could not be read: they start afresh, and new matches are "
                                "told from the next change of the guide on.",
                            kKindMess);
  }
  if (c.couldTell && c.newCount > 0) {
    p_.host.SendHostMessage(NewMatchesText(wording, c.newCount, c.firstNew), kKindMess);
  }
  if (tellUnsaved) {
    p_.host.SendHostMessage("The known matches could not be saved to " + unsaved +
                                ". These matches may be told again after the host restarts.",
                            kKindMess);
  }
}

}  // namespace kolvar
