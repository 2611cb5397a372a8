#include "plugin/host_channel.h"

#include <algorithm>

#include "base/texts.h"
#include "remind/output_template.h"

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
  if (!state_.Speaking()) return 0;
  return state_.platform.ModalMessageBox(text + "      ", kMessageBoxCaption, style);
}

void HostChannel::SendHostMessage(const std::string& text, int kindCode, DateTime endTime,
                                  int index, int count) {
  if (!state_.Speaking()) return;
  // Reminders and browsed entries are result lines, shaped by the user's template
  // whether or not their end time is known.
  if (kindCode == kKindNotif || kindCode == kKindUser) {
    const DateTime now = state_.platform.Now();
    const std::optional<DateTime> first = state_.FirstResultStart();
    const ResultLineParts parts = TakeResultLineApart(text, first ? &*first : nullptr, now);
    const TSettings& settings = state_.settings;
    state_.platform.SendEvent(
        MakeHostEvent(FormatOutputString(settings.OutStrFormat, parts, settings.MonthsList, endTime,
                                         index, count, now),
                      kindCode));
  } else {
    state_.platform.SendEvent(MakeHostEvent(text, kindCode));
  }
  if (kindCode == kKindNotif && state_.notifyCountdown > 0 && --state_.notifyCountdown == 0) {
    state_.notifyCountdown = state_.settings.RepeatCount;
    if (OnRepeatsDone) OnRepeatsDone();
  }
}

void HostChannel::Reply(std::uint32_t tag, std::intptr_t value) {
  if (state_.Speaking()) state_.platform.Reply(tag, value);
}

}  // namespace kolvar
