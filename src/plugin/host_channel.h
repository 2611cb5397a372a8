// How the plug-in's messages to the host are shaped: kinds, the pieces the host's
// display takes, and the parts of a result line that templates insert.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "plugin/plugin_state.h"

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
// commands, sent as they are given, and the order of the host's commands' work
// (RunInOrder). Nothing passes once the plug-in is closing. Window thread. It
// reads the plug-in's life and changes nothing outside itself.
class HostChannel {
 public:
  HostChannel(Platform& platform, const PluginLife& life) : platform_(platform), life_(life) {}

  // The one way the plug-in shows a message box; returns the button pressed, 0
  // when the plug-in is closing.
  int ShowMessageBox(const std::string& text, int style);
  // Everything the plug-in tells the host: a text as one event of a kind, sent as
  // it is (reminders and browsed entries come shaped by remind's HostLineText).
  void SendHostMessage(const std::string& text, int kindCode);
  // Message 1026, the answer to a host command.
  void Reply(std::uint32_t tag, std::intptr_t value);

  // A message to the host is under way: the host is handling it, and may call
  // back in from inside.
  bool Sending() const { return sending_ > 0; }

  // Every host command's work comes through here, so it is done in the order the
  // host sent the commands. Outside any message of ours, the work queued before
  // runs first, then fn, all at once: a reply after them follows their messages.
  // Inside one (the host calling back from its handler), fn runs at once only when
  // it sends nothing and nothing is queued; else it is queued and runs once the
  // outermost send has returned, from the window thread's message loop. A host
  // that answers every message with a command that sends another then takes turns
  // with the plug-in instead of nesting it ever deeper. label names the work for
  // Queued; queued work is dropped when the plug-in closes first.
  void RunInOrder(std::string label, bool sends, std::function<void()> fn);
  // The labels of the work queued and not yet run, oldest first: a status reply,
  // which comes at once, answers as things will be once it has run.
  std::vector<std::string> Queued() const;
  // Puts a task on the window thread as plug-in code (set by the plug-in).
  std::function<void(std::function<void()>)> PostTask;

 private:
  void ScheduleDeferred();
  void RunDeferred();

  Platform& platform_;
  const PluginLife& life_;
  int sending_ = 0;
  struct Work {
    std::string label;
    std::function<void()> fn;
  };
  std::deque<Work> deferred_;
  bool drainPosted_ = false;
};

}  // namespace kolvar
