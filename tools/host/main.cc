// kolvar-host: a small host application for the Kolvar plug-in. It loads the
// plug-in as the real host does, calls Open with a window of its own, runs the
// commands of a script (a file, or standard input), and writes every message the
// plug-in sends it, every reply and every message box to standard output, one
// line each. Message boxes are answered by a watcher thread, so nothing waits for
// a person. See README.md for the commands and the transcript's lines.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "box_watcher.h"
#include "capture.h"
#include "host_log.h"
#include "host_text.h"
#include "pulse.h"
#include "user_input.h"
#include "win32/dpi_context.h"
#include "win32/host_protocol.h"
#include "window_report.h"

namespace {

using kolvar::host::BoxWatcher;
using kolvar::host::Click;
using kolvar::host::FromUtf8;
using kolvar::host::Log;
using kolvar::host::LogFile;
using kolvar::host::LogFocus;
using kolvar::host::LogHandle;
using kolvar::host::LogMeasures;
using kolvar::host::LogPluginWindows;
using kolvar::host::LogSkinFit;
using kolvar::host::LogStats;
using kolvar::host::PluginWindow;
using kolvar::host::Press;
using kolvar::host::PressKey;
using kolvar::host::Quote;
using kolvar::host::QuoteOrNull;
using kolvar::host::RepaintCheck;
using kolvar::host::Screenshot;
using kolvar::host::To1251;
using kolvar::host::Type;
using kolvar::win32::HostEventRecord;
using kolvar::win32::RawActionRecord;

using OpenFn = const char*(__stdcall*)(std::int32_t, HWND, std::int32_t);
using VoidFn = void(__stdcall*)();
using ActionFn = void(__stdcall*)(RawActionRecord*, std::uint32_t);

// The DPI awareness the host's thread calls the plug-in in (--unaware-calls: as an
// old DPI-unaware host's); null: the thread's own. The host looks and clicks in the
// screen's pixels either way.
DPI_AWARENESS_CONTEXT g_callsContext = nullptr;

// Replies seen for the command in flight, so each call can report how many came.
std::uint32_t g_currentTag = 0;
int g_repliesForTag = 0;
LPARAM g_lastReplyValue = 0;
HWND g_lastWindowReply = nullptr;  // for "checkhandle"
// Messages handled so far; "settle" waits until this stops moving.
std::atomic<long> g_activity{0};
// Replies to "probe" commands carry tags from here on and are not written out.
constexpr std::uint32_t kProbeTags = 1000000;

// What the host does when it receives an event of a kind ("when KIND ACTION"):
// each runs once ("every KIND N ACTION": for the next N events), from inside the
// message, as a host may; all those waiting for the kind run in the order given,
// inside the same message.
struct Trigger {
  std::string kind;
  std::string action;  // a script line
  int times = 1;
};
std::vector<Trigger> g_triggers;
// Events of each kind received so far, for "waitfor".
std::map<std::string, int> g_eventCounts;
void RunTriggered(const std::string& action);
// "pulse": the host's own posted messages and timer, timed.
kolvar::host::Pulse g_pulse;

std::string FieldText(const char* field, std::size_t size) {
  std::size_t n = 0;
  while (n < size && field[n] != '\0') ++n;
  return std::string(field, n);
}

void LogEvent(const HostEventRecord* rec, LPARAM pieces) {
  if (!rec) {
    Log("event record=null lparam=" + std::to_string(pieces));
    return;
  }
  std::ostringstream line;
  line << "event lparam=" << pieces << " name=" << Quote(FieldText(rec->name, sizeof rec->name))
       << " kind=" << Quote(FieldText(rec->kind, sizeof rec->kind))
       << " marker=" << Quote(FieldText(rec->marker, sizeof rec->marker))
       << " count=" << rec->entryCount << " flags=" << rec->entryFlags[0] << ','
       << rec->entryFlags[1] << ',' << rec->entryFlags[2] << ',' << rec->entryFlags[3];
  for (int i = 0; i < 4; ++i) line << " text" << i << '=' << QuoteOrNull(rec->entryText[i]);
  Log(line.str());
}

// Window handles differ from run to run, so the transcript names them "window".
std::string ValueText(LPARAM value) {
  if (value > 2 && IsWindow(reinterpret_cast<HWND>(value))) return "window";
  return std::to_string(value);
}

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The pulse's own messages are not the plug-in's activity: "settle" ignores them.
  if (g_pulse.Handle(hwnd, message, wParam, lParam)) return 0;
  ++g_activity;
  if (message == kolvar::win32::kEventMessage) {
    const auto* rec = reinterpret_cast<const HostEventRecord*>(wParam);
    LogEvent(rec, lParam);
    const std::string kind = rec ? FieldText(rec->kind, sizeof rec->kind) : "";
    ++g_eventCounts[kind];
    std::vector<std::string> actions;
    for (auto it = g_triggers.begin(); it != g_triggers.end();) {
      if (it->kind != kind) {
        ++it;
        continue;
      }
      actions.push_back(it->action);
      it = --it->times > 0 ? it + 1 : g_triggers.erase(it);
    }
    for (const std::string& action : actions) RunTriggered(action);
    return 0;
  }
  if (message == kolvar::win32::kReplyMessage) {
    auto tag = static_cast<std::uint32_t>(wParam);
    if (tag == g_currentTag) ++g_repliesForTag;
    g_lastReplyValue = lParam;
    if (tag >= kProbeTags) return 0;
    if (ValueText(lParam) == "window") g_lastWindowReply = reinterpret_cast<HWND>(lParam);
    Log("reply tag=" + std::to_string(tag) + " value=" + ValueText(lParam));
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The host's message loop takes messages in their Unicode form, or (--ansi-loop)
// in their ANSI one, as a host written with the A functions does: characters then
// pass through the system's code page on their way to a Unicode window.
bool g_ansiLoop = false;

// Serves messages (sends from the plug-in's threads among them) for a while.
void Pump(DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (g_ansiLoop ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)
                      : PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!g_pulse.Owns(msg)) ++g_activity;
      TranslateMessage(&msg);
      if (g_ansiLoop) {
        DispatchMessageA(&msg);
      } else {
        DispatchMessageW(&msg);
      }
    }
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

// Serves messages until nothing has happened for a quiet while (at most 10 s),
// so that what the plug-in does in the background is over before the next line.
// A long search may be silent for longer than the default while between channels.
void Settle(DWORD quiet) {
  DWORD start = GetTickCount();
  long seen = g_activity;
  DWORD quietSince = start;
  while (GetTickCount() - quietSince < quiet && GetTickCount() - start < 10000 + quiet) {
    Pump(10);
    if (g_activity != seen) {
      seen = g_activity;
      quietSince = GetTickCount();
    }
  }
}

// Serves messages until the next event of a kind arrives (at most ms).
void WaitFor(const std::string& kind, DWORD ms) {
  const int seen = g_eventCounts[kind];
  const DWORD start = GetTickCount();
  while (g_eventCounts[kind] == seen) {
    if (GetTickCount() - start >= ms) {
      Log("timeout waiting for " + kind);
      return;
    }
    Pump(10);
  }
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  // FARPROC stands for any function; the export's real type is the host contract's.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct Plugin {
  HMODULE module = nullptr;
  OpenFn open = nullptr;
  VoidFn close = nullptr;
  VoidFn setup = nullptr;
  ActionFn action = nullptr;
  bool isOpen = false;
};

std::string Rest(const std::string& line, std::size_t from) {
  return from < line.size() ? line.substr(from) : std::string();
}

class Runner {
 public:
  Runner(Plugin& plugin, HWND window, BoxWatcher& watcher)
      : plugin_(plugin), window_(window), watcher_(watcher) {}

  void Open() {
    const char* title = nullptr;
    {
      const kolvar::win32::DpiScope dpi(g_callsContext);
      title = plugin_.open(0, window_, 0);
    }
    plugin_.isOpen = true;
    Log("open title=" + QuoteOrNull(title));
  }

  void Close() {
    if (!plugin_.isOpen) return;
    {
      const kolvar::win32::DpiScope dpi(g_callsContext);
      plugin_.close();
    }
    plugin_.isOpen = false;
    Log("close");
  }

  // A line of the script itself (not one a trigger runs inside a message):
  // "waitbox" waits for what the line before it led to, however late that comes.
  bool RunScriptLine(const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb != "waitbox") answeredBefore_ = watcher_.Answered();
    return Execute(line);
  }

  // Returns false for a line it does not understand.
  bool Execute(const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb.empty() || verb[0] == '#') return true;
    const auto handler = kVerbs.find(verb);
    if (handler == kVerbs.end()) return false;
    ScriptLine script{verb, Rest(line, verb.size() + 1), words};
    return (this->*handler->second)(script);
  }

 private:
  // A script line: its verb, the text after it, and its words after the verb.
  struct ScriptLine {
    const std::string& verb;
    std::string arg;
    std::istringstream& words;
  };
  using Verb = bool (Runner::*)(ScriptLine&);
  static const std::map<std::string, Verb> kVerbs;

  // Host commands, as the host sends them.
  bool Command(ScriptLine& l) {
    RawActionRecord rec{};
    rec.kind = 1;
    rec.command = l.arg.c_str();
    Send(rec, Quote(l.arg));
    return true;
  }
  bool FindIt(ScriptLine& l) {
    RawActionRecord rec{};
    rec.kind = 2;
    rec.command = "FINDIT";
    rec.param = reinterpret_cast<std::intptr_t>(l.arg.c_str());
    Send(rec, "\"FINDIT\" text=" + Quote(l.arg));
    return true;
  }
  bool ShowUntil(ScriptLine& l) {
    RawActionRecord rec{};
    rec.kind = 2;
    rec.flag = 1;
    rec.command = "CUSTOMSHOWUNTILNEXT";
    rec.param = std::atoi(l.arg.c_str());
    Send(rec, "\"CUSTOMSHOWUNTILNEXT\" minutes=" + std::to_string(rec.param));
    return true;
  }
  bool Raw(ScriptLine& l) { return SendRaw(l.words); }

  // Waiting.
  bool SettleVerb(ScriptLine& l) {
    Settle(l.arg.empty() ? 150 : static_cast<DWORD>(std::atoi(l.arg.c_str())));
    return true;
  }
  bool WaitForVerb(ScriptLine& l) {
    std::string kind, ms;
    l.words >> kind >> ms;
    if (kind.empty()) return false;
    WaitFor(kind, ms.empty() ? 15000 : static_cast<DWORD>(std::atoi(ms.c_str())));
    return true;
  }
  bool Wait(ScriptLine& l) {
    Pump(static_cast<DWORD>(std::atoi(l.arg.c_str())));
    return true;
  }
  // A box that a paint, a timer or the worker brings up comes when the system gets
  // to it: under load after later lines, so a case that expects one waits for it.
  // waitbox [N]: until N boxes, menus or file dialogs (default 1) have been answered
  // since the script's line before (at most 15 s).
  bool WaitBox(ScriptLine& l) {
    const int count = l.arg.empty() ? 1 : std::atoi(l.arg.c_str());
    const DWORD start = GetTickCount();
    while (watcher_.Answered() < answeredBefore_ + count) {
      if (GetTickCount() - start >= 15000) {
        Log("timeout waiting for box");
        return true;
      }
      Pump(10);
    }
    return true;
  }

  // The plug-in's own calls.
  bool Setup(ScriptLine&) {
    Log("setup");
    if (plugin_.isOpen) {
      const kolvar::win32::DpiScope dpi(g_callsContext);
      plugin_.setup();
    }
    Pump(50);
    return true;
  }
  bool CloseVerb(ScriptLine&) {
    Close();
    return true;
  }
  bool OpenVerb(ScriptLine&) {
    Open();
    return true;
  }

  // The user at the window.
  bool Pointer(ScriptLine& l) {
    int x = 0, y = 0;
    if (!(l.words >> x >> y)) return false;
    Log(l.verb + " " + std::to_string(x) + "," + std::to_string(y));
    const Press press = l.verb == "press"     ? Press::kDown
                        : l.verb == "release" ? Press::kUp
                        : l.verb == "move"    ? Press::kNone
                                              : Press::kClick;
    Click(x, y, l.verb == "rightclick", press);
    Pump(100);
    return true;
  }
  // wheel X Y N: the wheel turned N notches over a point of the window.
  bool WheelVerb(ScriptLine& l) {
    int x = 0, y = 0, notches = 0;
    if (!(l.words >> x >> y >> notches)) return false;
    Log("wheel " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(notches));
    kolvar::host::Wheel(x, y, notches);
    Pump(100);
    return true;
  }
  // pointer X Y: the pointer to a point of the screen, where the window may show.
  bool PointerVerb(ScriptLine& l) {
    int x = 0, y = 0;
    if (!(l.words >> x >> y)) return false;
    Log("pointer " + std::to_string(x) + "," + std::to_string(y));
    kolvar::host::MovePointerOnScreen(x, y);
    Pump(100);
    return true;
  }
  bool TypeVerb(ScriptLine& l) {
    Log("type " + Quote(l.arg));
    Type(l.arg);
    Pump(100);
    return true;
  }
  bool Key(ScriptLine& l) {
    Log("key " + l.arg);
    if (!PressKey(l.arg)) return false;
    Pump(100);
    return true;
  }
  bool Menu(ScriptLine& l) {
    watcher_.ChooseMenuItem(l.arg);
    return true;
  }
  // savefile NAME [TYPE]: the next file dialog gets NAME (from the host's folder
  // unless a full path) and file type TYPE (from 1, default 1).
  bool SaveFile(ScriptLine& l) {
    std::string name, type;
    if (!(l.words >> name)) return false;
    l.words >> type;
    std::vector<wchar_t> full(32768);
    if (!GetFullPathNameW(FromUtf8(name).c_str(), static_cast<DWORD>(full.size()), full.data(),
                          nullptr)) {
      return false;
    }
    watcher_.ChooseFile(full.data(), name, type.empty() ? 1 : std::atoi(type.c_str()));
    return true;
  }
  bool Answer(ScriptLine& l) {
    static const std::map<std::string, int> kAnswers = {
        {"ok", IDOK}, {"yes", IDYES}, {"no", IDNO}, {"cancel", IDCANCEL}};
    const auto answer = kAnswers.find(l.arg);
    if (answer == kAnswers.end()) return false;
    watcher_.SetAnswer(answer->second);
    return true;
  }

  // What the transcript records of the window and the files.
  bool Measure(ScriptLine&) {
    Pump(50);
    if (HWND window = PluginWindow()) LogMeasures(window);
    return true;
  }
  // skinfit FACE: each control against the skin face FACE (a bitmap file).
  bool SkinFit(ScriptLine& l) {
    if (l.arg.empty()) return false;
    Pump(50);
    if (HWND window = PluginWindow()) LogSkinFit(window, l.arg);
    return true;
  }
  bool Focus(ScriptLine&) {
    LogFocus();
    return true;
  }
  // control ID: one control of the window, as "controls" writes it.
  bool ControlVerb(ScriptLine& l) {
    int id = 0;
    if (!(l.words >> id)) return false;
    Pump(50);
    kolvar::host::LogControl(id);
    return true;
  }
  bool Tips(ScriptLine&) {
    kolvar::host::LogSurfaceTips();
    return true;
  }
  // tooltip: the tooltip the resting pointer brings up (waiting up to 5 s for it).
  bool Tooltip(ScriptLine&) {
    kolvar::host::LogShownTip(5000, [](unsigned ms) { Pump(ms); });
    return true;
  }
  bool FindDialog(ScriptLine&) {
    Pump(50);
    kolvar::host::LogFindDialog();
    return true;
  }
  bool ClickTable(ScriptLine&) {
    kolvar::host::ClickEachControl([](unsigned ms) { Pump(ms); });
    return true;
  }
  bool Placement(ScriptLine&) {
    Pump(50);
    kolvar::host::LogPlacement();
    return true;
  }
  bool RepaintCheckVerb(ScriptLine& l) {
    RepaintCheck(l.arg, [](unsigned ms) { Pump(ms); });
    return true;
  }
  // colours ID: the colours the screen shows of control ID.
  bool ColoursVerb(ScriptLine& l) {
    Pump(100);
    kolvar::host::LogColours(std::atoi(l.arg.c_str()));
    return true;
  }
  bool ScreenshotVerb(ScriptLine& l) {
    Pump(100);
    Screenshot(l.arg);
    return true;
  }
  bool Stats(ScriptLine&) {
    Pump(50);
    LogStats();
    return true;
  }
  bool File(ScriptLine& l) {
    if (l.arg.empty()) return false;
    LogFile(l.arg);
    return true;
  }
  // contains PATH TEXT: whether the file holds TEXT (UTF-8 here) as Windows-1251.
  bool Contains(ScriptLine& l) {
    std::string path, text;
    l.words >> path;
    std::getline(l.words >> std::ws, text);
    const std::wstring wide = FromUtf8(text);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Log("contains " + Quote(path) + " " + Quote(To1251(wide)) +
        (bytes.find(To1251(wide)) != std::string::npos ? " yes" : " no"));
    return true;
  }
  // lines PATH N: the file's first N lines, each with its line end.
  bool Lines(ScriptLine& l) {
    std::string path;
    int count = 0;
    if (!(l.words >> path >> count)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) Log("lines " + Quote(path) + " missing");
    std::string line;
    for (int i = 0; i < count && std::getline(in, line); ++i) Log("line " + Quote(line));
    return true;
  }
  bool Rename(ScriptLine& l) {
    std::string from, to;
    if (!(l.words >> from >> to)) return false;
    const bool renamed = MoveFileA(from.c_str(), to.c_str()) != 0;
    Log("rename " + Quote(from) + " " + Quote(to) + (renamed ? " done" : " failed"));
    return true;
  }
  bool CheckHandle(ScriptLine&) {
    LogHandle(g_lastWindowReply);
    return true;
  }
  bool Windows(ScriptLine& l) {
    Pump(50);
    LogPluginWindows(window_, l.verb == "controls");
    return true;
  }

  // Scripted reactions to the plug-in's messages.
  bool When(ScriptLine& l) {
    std::string kind, action;
    l.words >> kind;
    std::getline(l.words >> std::ws, action);
    if (kind.empty() || action.empty()) return false;
    g_triggers.push_back({kind, action});
    return true;
  }
  bool Every(ScriptLine& l) {
    std::string kind, action;
    int times = 0;
    l.words >> kind >> times;
    std::getline(l.words >> std::ws, action);
    if (kind.empty() || times < 1 || action.empty()) return false;
    g_triggers.push_back({kind, action, times});
    return true;
  }

  // Timing.
  bool ProbeVerb(ScriptLine& l) {
    std::string ms, commands;
    l.words >> ms;
    std::getline(l.words >> std::ws, commands);
    Probe(static_cast<DWORD>(std::atoi(ms.c_str())), commands);
    return true;
  }
  // For timing by hand; its numbers vary, so transcripts that are compared do not
  // use it.
  bool Elapsed(ScriptLine&) {
    const DWORD now = GetTickCount();
    Log("elapsed ms=" + std::to_string(now - lastElapsed_));
    lastElapsed_ = now;
    return true;
  }
  bool Pulse(ScriptLine& l) {
    if (l.arg == "start") {
      g_pulse.Start(window_, 10);
    } else if (l.arg == "report") {
      Log(g_pulse.Report());
    } else if (l.arg == "stop") {
      g_pulse.Stop();
    } else {
      return false;
    }
    return true;
  }
  bool Echo(ScriptLine& l) {
    Log("echo " + l.arg);
    return true;
  }

  // Sends the commands (separated by blanks) in turn for ms milliseconds, serving
  // messages between the calls, and writes how long the slowest call took.
  void Probe(DWORD ms, const std::string& commands) {
    std::vector<std::string> list;
    std::istringstream words(commands);
    for (std::string w; words >> w;) list.push_back(w);
    if (list.empty()) return;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const DWORD begin = GetTickCount();
    double worst = 0;
    int sends = 0;
    while (GetTickCount() - begin < ms && plugin_.isOpen) {
      RawActionRecord rec{};
      rec.kind = 1;
      rec.command = list[static_cast<std::size_t>(sends) % list.size()].c_str();
      QueryPerformanceCounter(&start);
      {
        const kolvar::win32::DpiScope dpi(g_callsContext);
        plugin_.action(&rec, kProbeTags + static_cast<std::uint32_t>(sends));
      }
      QueryPerformanceCounter(&end);
      const double took = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
      if (took > worst) worst = took;
      ++sends;
      Pump(5);
    }
    char line[128];
    std::snprintf(line, sizeof line, "probe sends=%d worst_ms=%.1f", sends, worst);
    Log(std::string(line) + " commands=" + Quote(commands));
  }

  void Send(RawActionRecord& rec, const std::string& what) {
    std::uint32_t tag = nextTag_++;
    Log("send tag=" + std::to_string(tag) + " kind=" + std::to_string(rec.kind) +
        " command=" + what);
    // A send from inside a message nests in the one in flight.
    const std::uint32_t outerTag = g_currentTag;
    const int outerReplies = g_repliesForTag;
    g_currentTag = tag;
    g_repliesForTag = 0;
    const char* commandBefore = rec.command;
    if (plugin_.isOpen) {
      const kolvar::win32::DpiScope dpi(g_callsContext);
      plugin_.action(&rec, tag);
    }
    std::string result = ValueText(rec.result);
    if (result == "window" && rec.result == g_lastReplyValue) result = "window(reply)";
    std::string line = "done tag=" + std::to_string(tag) +
                       " replies=" + std::to_string(g_repliesForTag) + " result=" + result;
    // Handles differ from run to run; say only how the field relates to the reply.
    if (rec.command != commandBefore) {
      bool same = reinterpret_cast<LPARAM>(rec.command) == g_lastReplyValue;
      line += std::string(" commandfield=") + (same ? "reply" : "changed");
    }
    Log(line);
    g_currentTag = outerTag;
    g_repliesForTag = outerReplies;
  }

  // raw KIND RESULT FLAG PARAM COMMAND: PARAM is a number, "null", or "text:WORD";
  // COMMAND is the rest of the line, or "<null>" for a null pointer.
  bool SendRaw(std::istringstream& words) {
    RawActionRecord rec{};
    std::string param;
    if (!(words >> rec.kind >> rec.result >> rec.flag >> param)) return false;
    std::string command;
    std::getline(words >> std::ws, command);
    std::string paramText;
    if (param.rfind("text:", 0) == 0) {
      paramText = param.substr(5);
      rec.param = reinterpret_cast<std::intptr_t>(paramText.c_str());
    } else if (param != "null") {
      rec.param = std::atoi(param.c_str());
    }
    rec.command = command == "<null>" ? nullptr : command.c_str();
    Send(rec, command == "<null>" ? "null" : Quote(command));
    return true;
  }

  Plugin& plugin_;
  HWND window_;
  BoxWatcher& watcher_;
  int answeredBefore_ = 0;  // boxes answered before the script's last line but waitbox
  std::uint32_t nextTag_ = 101;
  DWORD lastElapsed_ = GetTickCount();
};

// The script's verbs, as README.md lists them.
const std::map<std::string, Runner::Verb> Runner::kVerbs = {
    {"command", &Runner::Command},
    {"findit", &Runner::FindIt},
    {"showuntil", &Runner::ShowUntil},
    {"raw", &Runner::Raw},
    {"settle", &Runner::SettleVerb},
    {"waitfor", &Runner::WaitForVerb},
    {"wait", &Runner::Wait},
    {"waitbox", &Runner::WaitBox},
    {"setup", &Runner::Setup},
    {"close", &Runner::CloseVerb},
    {"open", &Runner::OpenVerb},
    {"click", &Runner::Pointer},
    {"rightclick", &Runner::Pointer},
    {"press", &Runner::Pointer},
    {"release", &Runner::Pointer},
    {"move", &Runner::Pointer},
    {"pointer", &Runner::PointerVerb},
    {"wheel", &Runner::WheelVerb},
    {"type", &Runner::TypeVerb},
    {"key", &Runner::Key},
    {"menu", &Runner::Menu},
    {"answer", &Runner::Answer},
    {"savefile", &Runner::SaveFile},
    {"measure", &Runner::Measure},
    {"skinfit", &Runner::SkinFit},
    {"focus", &Runner::Focus},
    {"control", &Runner::ControlVerb},
    {"tips", &Runner::Tips},
    {"tooltip", &Runner::Tooltip},
    {"finddialog", &Runner::FindDialog},
    {"repaintcheck", &Runner::RepaintCheckVerb},
    {"clicktable", &Runner::ClickTable},
    {"placement", &Runner::Placement},
    {"screenshot", &Runner::ScreenshotVerb},
    {"colours", &Runner::ColoursVerb},
    {"stats", &Runner::Stats},
    {"file", &Runner::File},
    {"contains", &Runner::Contains},
    {"lines", &Runner::Lines},
    {"rename", &Runner::Rename},
    {"checkhandle", &Runner::CheckHandle},
    {"windows", &Runner::Windows},
    {"controls", &Runner::Windows},
    {"when", &Runner::When},
    {"every", &Runner::Every},
    {"probe", &Runner::ProbeVerb},
    {"elapsed", &Runner::Elapsed},
    {"pulse", &Runner::Pulse},
    {"echo", &Runner::Echo},
};

Runner* g_runner = nullptr;

void RunTriggered(const std::string& action) {
  if (g_runner && !g_runner->Execute(action)) Log("error script " + Quote(action));
}

// The usage text: on standard output with status 0 when asked for, else on standard
// error with status 2.
int Usage(bool asked) {
  std::fputs(
      "usage: kolvar-host [--plugin PATH] [--answer ok|yes|no|cancel] [--ansi-loop]\n"
      "                   [--unaware-calls] [SCRIPT]\n"
      "Loads the plug-in (default Plugins\\Kolvar\\Kolvar.dll beside the host), opens it,\n"
      "runs the script's commands (standard input without SCRIPT) and closes it.\n"
      "--ansi-loop: the message loop takes messages in their ANSI form.\n"
      "--unaware-calls: every call into the plug-in comes from a DPI-unaware thread.\n"
      "The script's commands are listed in the project's README.\n",
      asked ? stdout : stderr);
  return asked ? 0 : 2;
}

std::string DefaultPluginPath() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe);
  std::size_t slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
         "Plugins\\Kolvar\\Kolvar.dll";
}

struct Options {
  std::string pluginPath = DefaultPluginPath();
  int answer = IDOK;
  std::string scriptPath;
};

// The command line read into options; an exit status when the host stops there.
std::optional<int> ReadOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--plugin" && i + 1 < argc) {
      options.pluginPath = argv[++i];
    } else if (a == "--answer" && i + 1 < argc) {
      std::string v = argv[++i];
      options.answer = v == "yes" ? IDYES : v == "no" ? IDNO : v == "cancel" ? IDCANCEL : IDOK;
    } else if (a == "--ansi-loop") {
      g_ansiLoop = true;
    } else if (a == "--unaware-calls") {
      g_callsContext = reinterpret_cast<DPI_AWARENESS_CONTEXT>(static_cast<INT_PTR>(-1));
    } else if (a == "--help") {
      return Usage(true);
    } else if (!a.empty() && a[0] != '-' && options.scriptPath.empty()) {
      options.scriptPath = a;
    } else {
      return Usage(false);
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  // The transcript has LF line ends on every system, so it compares as text.
  _setmode(_fileno(stdout), _O_BINARY);
  Options options;
  if (const std::optional<int> status = ReadOptions(argc, argv, options)) return *status;
  const std::string& pluginPath = options.pluginPath;
  const std::string& scriptPath = options.scriptPath;

  std::ifstream scriptFile;
  if (!scriptPath.empty()) {
    scriptFile.open(scriptPath, std::ios::binary);
    if (!scriptFile) {
      std::fprintf(stderr, "kolvar-host: cannot read %s\n", scriptPath.c_str());
      return 2;
    }
  }
  std::istream& script = scriptPath.empty() ? std::cin : scriptFile;

  WNDCLASSA wc{};
  wc.lpfnWndProc = HostWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KolvarHostWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "Kolvar host", WS_OVERLAPPEDWINDOW, 0, 0, 320,
                                200, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) {
    Log("error host-window");
    return 2;
  }

  BoxWatcher watcher(options.answer);
  Plugin plugin;
  plugin.module = LoadLibraryA(pluginPath.c_str());
  if (!plugin.module) {
    Log("error load code=" + std::to_string(GetLastError()));
    return 2;
  }
  plugin.open = Export<OpenFn>(plugin.module, "Open");
  plugin.close = Export<VoidFn>(plugin.module, "Close");
  plugin.setup = Export<VoidFn>(plugin.module, "Setup");
  plugin.action = Export<ActionFn>(plugin.module, "ActionManual");
  if (!plugin.open || !plugin.close || !plugin.setup || !plugin.action) {
    Log("error exports");
    return 2;
  }

  int status = 0;
  Runner runner(plugin, window, watcher);
  g_runner = &runner;
  runner.Open();
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!runner.RunScriptLine(line)) {
      Log("error script " + Quote(line));
      status = 2;
      break;
    }
  }
  runner.Close();
  g_pulse.Stop();
  FreeLibrary(plugin.module);
  Log("unload");
  DestroyWindow(window);
  return status;
}
