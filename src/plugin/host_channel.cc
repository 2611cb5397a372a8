#include "plugin/host_channel.h"

#include <algorithm>

#include "base/texts.h"
#include "remind/output_template.h"
#include "search/result_list.h"

namespace kolvar {

std::string KindText(int kindCode) {
  switch (kindCode) {
    case kKindNotif:
      return "NOTIF";
    case kKindUser:
      return "USER";
    case kKindMess:
      return "MESS";
    case kKindSearchRunning:
      return "SEARCHSTATUS:RUNNING";
    case kKindSearchComplete:
      return "SEARCHSTATUS:COMPLETE";
    default:
      return "UNKNOWN";
  }
}

std::vector<std::string> CutIntoPieces(std::string_view text) {
  if (text.size() <= kPieceLength) return {std::string(text)};
  std::vector<std::string> pieces;
  for (std::size_t at = 0; at < text.size() && pieces.size() < kMaxPieces; at += kPieceLength) {
    pieces.emplace_back(text.substr(at, kPieceLength));
  }
  return pieces;
}

HostEvent MakeHostEvent(std::string text, int kindCode) {
  HostEvent event;
  event.name = kHostEventName;
  event.kind = KindText(kindCode);
  event.pieces = CutIntoPieces(text);
  event.text = std::move(text);
  return event;
}

int HostChannel::ShowMessageBox(const std::string& text, int style) {
  if (!Speaking(life_)) return 0;
  return platform_.ModalMessageBox(text + "      ", kMessageBoxCaption, style);
}

void HostChannel::SendHostMessage(const std::string& text, int kindCode, DateTime endTime,
                                  int index, int count) {
  if (!Speaking(life_)) return;
  HostEvent event;
  // Reminders and browsed entries are result lines, shaped by the user's template
  // whether or not their end time is known.
  if (kindCode == kKindNotif || kindCode == kKindUser) {
    const DateTime now = platform_.Now();
    const std::optional<DateTime> first = results_.FirstStart();
    // A title's own line breaks are not the template's ("^"): the host gets one line.
    const ResultLineParts parts =
        TakeResultLineApart(OneLine(text), first ? &*first : nullptr, now);
    const TSettings& settings = settings_;
    event = MakeHostEvent(FormatOutputString(settings.OutStrFormat, parts, settings.MonthsList,
                                             endTime, index, count, now),
                          kindCode);
  } else {
    event = MakeHostEvent(text, kindCode);
  }
  // Counted however the send ends (a host's handler may throw through it).
  struct Under {
    HostChannel& channel;
    explicit Under(HostChannel& c) : channel(c) { ++channel.sending_; }
    ~Under() {
      if (--channel.sending_ == 0) channel.ScheduleDeferred();
    }
  } under(*this);
  platform_.SendEvent(event);
}

void HostChannel::Defer(std::function<void()> fn) {
  deferred_.push_back(std::move(fn));
  if (!Sending()) ScheduleDeferred();
}

void HostChannel::ScheduleDeferred() {
  if (deferred_.empty() || drainPosted_ || !PostTask) return;
  drainPosted_ = true;
  PostTask([this] { RunDeferred(); });
}

void HostChannel::RunDeferred() {
  drainPosted_ = false;
  while (!deferred_.empty()) {
    if (life_ != PluginLife::kOpen) {
      deferred_.clear();
      return;
    }
    // A host that serves its messages inside ours runs this task there: the rest
    // waits for that send's end, which schedules it again.
    if (Sending()) return;
    std::function<void()> fn = std::move(deferred_.front());
    deferred_.pop_front();
    fn();
  }
}

void HostChannel::Reply(std::uint32_t tag, std::intptr_t value) {
  if (Speaking(life_)) platform_.Reply(tag, value);
}

}  // namespace kolvar
