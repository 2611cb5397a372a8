#include "plugin/until_browser.h"

#include <algorithm>
#include <optional>

#include "remind/output_template.h"

namespace kolvar {

Collected CollectDue(const ResultStore& results, const SearchControl& search, Platform& platform,
                     TShow& list, std::int32_t minutes) {
  if (search.Running()) return Collected::kBusy;
  return results.CollectUpcoming(list, platform.Now(), minutes);
}

void UntilBrowser::ShowUntilNext(std::int32_t minutes) {
  const TSettings& settings = settings_;
  TShow& list = list_;
  const std::string& endText =
      results_.Outdated() ? settings.MessOldDataBase : settings.MessEndOfList;
  if (list.Pos >= list.Count()) {
    if (needsBuild_) {
      ClearShowList(list);
      const Collected collected = CollectDue(results_, search_, platform_, list, minutes);
      if (collected == Collected::kBusy) {
        host_.SendHostMessage(settings.MessListDNTCreate, kKindMess);
      } else if (collected == Collected::kNothing) {
        host_.SendHostMessage(
            results_.Outdated() ? settings.MessOldDataBase : settings.MessUntilNoResults,
            kKindMess);
      } else {
        needsBuild_ = false;
        minutesInUse_ = minutes;
      }
    } else {
      host_.SendHostMessage(endText, kKindMess);
      needsBuild_ = true;
    }
  }
  if (list.Pos >= 0 && list.Pos < list.Count()) {
    // Moved on before the send: the host may step again from inside the message.
    const ShowEntry entry = list.Entries[static_cast<std::size_t>(list.Pos)];
    const std::int32_t index = list.Pos + 1;
    shownIndex_ = list.Pos++;
    const std::optional<DateTime> first = results_.FirstStart();
    const TSettings& settings = settings_;
    const HostLineTemplate how{settings.OutStrFormat, settings.MonthsList,
                               first ? &*first : nullptr, platform_.Now()};
    host_.SendHostMessage(
        HostLineText(entry.line, entry.fields, how, entry.end, index, list.Count()), kKindUser);
  }
}

void UntilBrowser::ShowUntilBack() {
  list_.Pos = needsBuild_ ? shownIndex_ : std::max(shownIndex_ - 1, 0);
  needsBuild_ = false;
  ShowUntilNext(0);
}

void UntilBrowser::ShowUntilCurrent() {
  list_.Pos = shownIndex_;
  needsBuild_ = false;
  ShowUntilNext(0);
}

void UntilBrowser::ResetUntilIndex() {
  list_.Pos = 0;
  shownIndex_ = 0;
  needsBuild_ = false;
}

void UntilBrowser::FinalUntilIndex() {
  if (list_.Count() <= 0) return;
  list_.Pos = list_.Count() - 1;
  shownIndex_ = list_.Count() - 1;
  needsBuild_ = false;
}

void UntilBrowser::ResetUntilProgress() {
  ClearShowList(list_);
  shownIndex_ = 0;
}

void UntilBrowser::Refresh() {
  if (minutesInUse_ != -1) CollectDue(results_, search_, platform_, list_, minutesInUse_);
}

}  // namespace kolvar
