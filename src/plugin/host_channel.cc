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

namespace {

// Characters from..to, 1-based and inclusive, clipped to the line.
std::string Chars(std::string_view line, std::size_t from, std::size_t to) {
  if (from < 1 || to < from || from > line.size()) return {};
  return std::string(line.substr(from - 1, std::min(to, line.size()) - from + 1));
}

}  // namespace

ResultLineParts TakeResultLineApart(std::string_view line, const DateTime* firstResultStart) {
  ResultLineParts parts;
  const bool isShort = line.size() >= 3 && line[2] == ':';
  const std::size_t titleStart = isShort ? 7 : 18;

  std::size_t close = 0;  // 1-based position of the "]" that closes the day name
  for (std::size_t p = line.size(); p >= titleStart && p > 0; --p) {
    if (line[p - 1] == ']') {
      close = p;
      break;
    }
  }
  if (close) {
    parts.channel = Chars(line, close + 1, line.size());
    parts.dayOfWeek = Chars(line, close - 2, close - 1);
    if (close >= titleStart + 4) parts.title = Chars(line, titleStart, close - 4);
  } else {
    parts.channel = Chars(line, titleStart, line.size());
  }

  if (isShort) {
    parts.begin = Chars(line, 1, 2) + ":" + Chars(line, 4, 5);
    if (firstResultStart) {
      CalendarFields f = DecodeDateTime(*firstResultStart);
      parts.day = std::to_string(f.day);
      parts.month = std::to_string(f.month);
      parts.year = std::to_string(f.year);
    }
  } else {
    parts.year = Chars(line, 1, 4);
    parts.month = Chars(line, 6, 7);
    parts.day = Chars(line, 9, 10);
    parts.begin = Chars(line, 12, 13) + ":" + Chars(line, 15, 16);
  }
  return parts;
}

int HostChannel::ShowMessageBox(const std::string& text, int style) {
  if (!state_.Speaking()) return 0;
  return state_.platform.ModalMessageBox(text + "      ", kMessageBoxCaption, style);
}

void HostChannel::SendHostMessage(const std::string& text, int kindCode, DateTime /*endTime*/,
                                  int /*index*/, int /*count*/) {
  // Result lines are to be shaped by the output template; until it exists they
  // reach the host as they stand.
  if (!state_.Speaking()) return;
  state_.platform.SendEvent(MakeHostEvent(text, kindCode));
  if (kindCode == kKindNotif && state_.notifyCountdown > 0 && --state_.notifyCountdown == 0) {
    state_.notifyCountdown = state_.settings.RepeatCount;
    if (OnRepeatsDone) OnRepeatsDone();
  }
}

void HostChannel::Reply(std::uint32_t tag, std::intptr_t value) {
  if (state_.Speaking()) state_.platform.Reply(tag, value);
}

}  // namespace kolvar
