// How the plug-in's messages to the host are shaped: kinds, the pieces the host's
// display takes, and the parts of a result line that templates insert.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/platform.h"

namespace kolvar {

inline constexpr char kHostEventName[] = "Kolvar";

inline constexpr int kKindNotif = 50;
inline constexpr int kKindUser = 100;
inline constexpr int kKindMess = -10;
inline constexpr int kKindSearchRunning = -25;
inline constexpr int kKindSearchComplete = -30;

inline constexpr std::size_t kPieceLength = 63;
inline constexpr std::size_t kMaxPieces = 3;

// "NOTIF", "USER", "MESS", the two search states, or "UNKNOWN".
std::string KindText(int kindCode);

// One piece for up to 63 characters, else consecutive 63-character pieces, at most
// three; what lies past the 189th character is left out.
std::vector<std::string> CutIntoPieces(std::string_view text);

// The record's contents for a message text of a kind.
HostEvent MakeHostEvent(std::string text, int kindCode);

// A result line taken apart. Texts that the line does not hold are empty.
struct ResultLineParts {
  std::string year;
  std::string month;  // the month number as text
  std::string day;
  std::string begin;  // "hh:mm"
  std::string title;
  std::string dayOfWeek;
  std::string channel;
};

// Long lines ("yyyy.mm.dd hh:mm Title[Dw]Channel") carry their date; short ones
// ("hh:mm Title[Dw]Channel") take it from firstResultStart when there is one.
ResultLineParts TakeResultLineApart(std::string_view line, const DateTime* firstResultStart);

}  // namespace kolvar
