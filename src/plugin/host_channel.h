// How the plug-in's messages to the host are shaped: kinds, the pieces the host's
// display takes, and the parts of a result line that templates insert.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/platform.h"
#include "plugin/plugin_state.h"
#include "plugin/result_store.h"
#include "settings/settings.h"

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

// The plug-in's voice: message boxes, host events and the replies to host
// commands. Nothing passes once the plug-in is closing. Window thread. It
// reads the plug-in's life, the settings' output template and the first
// result's start; it changes none of them.
class HostChannel {
 public:
  HostChannel(Platform& platform, const PluginLife& life, const TSettings& settings,
              const ResultStore& results)
      : platform_(platform), life_(life), settings_(settings), results_(results) {}

  // The one way the plug-in shows a message box; returns the button pressed, 0
  // when the plug-in is closing.
  int ShowMessageBox(const std::string& text, int style);
  // Everything the plug-in tells the host: a text (or, with an end time, a result
  // line to shape by the output template) as one event of a kind.
  void SendHostMessage(const std::string& text, int kindCode, DateTime endTime = 0, int index = 0,
                       int count = 0);
  // Message 1026, the answer to a host command.
  void Reply(std::uint32_t tag, std::intptr_t value);

  // A message to the host is under way: the host is handling it, and may call
  // back in from inside.
  bool Sending() const { return sending_ > 0; }
  // Work deferred and not yet run.
  bool HasDeferred() const { return !deferred_.empty(); }
  // Runs fn once no message is under way and the work deferred before it has run:
  // from the window thread's message loop, after the outermost send has returned.
  // A host that answers every message with a command that sends another then
  // takes turns with the plug-in instead of nesting it ever deeper. Dropped when
  // the plug-in closes first.
  void Defer(std::function<void()> fn);
  // Puts a task on the window thread as plug-in code (set by the plug-in).
  std::function<void(std::function<void()>)> PostTask;

 private:
  void ScheduleDeferred();
  void RunDeferred();

  Platform& platform_;
  const PluginLife& life_;
  const TSettings& settings_;
  const ResultStore& results_;
  int sending_ = 0;
  std::deque<std::function<void()>> deferred_;
  bool drainPosted_ = false;
};

}  // namespace kolvar
