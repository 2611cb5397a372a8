#include "plugin/host_channel.h"

#include <algorithm>

#include "base/texts.h"

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

void HostChannel::SendHostMessage(const std::string& text, int kindCode) {
  if (!Speaking(life_)) return;
  const HostEvent event = MakeHostEvent(text, kindCode);
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

void HostChannel::RunInOrder(std::string label, bool sends, std::function<void()> fn) {
  if (!Sending()) {
    RunDeferred();
    // The host may have closed the plug-in inside one of their messages.
    if (Speaking(life_)) fn();
    return;
  }
  if (!sends && deferred_.empty()) {
    fn();
    return;
  }
  deferred_.push_back({std::move(label), std::move(fn)});
}

std::vector<std::string> HostChannel::Queued() const {
  std::vector<std::string> labels;
  for (const Work& work : deferred_) labels.push_back(work.label);
  return labels;
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
    std::function<void()> fn = std::move(deferred_.front().fn);
    deferred_.pop_front();
    fn();
  }
}

void HostChannel::Reply(std::uint32_t tag, std::intptr_t value) {
  if (Speaking(life_)) platform_.Reply(tag, value);
}

}  // namespace kolvar
