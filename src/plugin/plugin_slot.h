// The open plug-in as the exports hold it. The host may call Close from inside a
// message the plug-in sent it, while plug-in code is still on the stack below the
// host's handler. Every entry into plug-in code (an export, a task on the window
// thread) is a Frame; a Close inside a frame only begins the close (the worker is
// stopped, the window hidden, nothing more reaches the host), and the plug-in is
// torn down and destroyed when the outermost frame ends. Window thread only.
#pragma once

#include <functional>
#include <memory>

#include "base/platform.h"
#include "plugin/plugin.h"

namespace kolvar {

class PluginSlot {
 public:
  class Frame {
   public:
    explicit Frame(PluginSlot& slot) : slot_(slot) { ++slot_.depth_; }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    ~Frame() { slot_.Leave(); }

   private:
    PluginSlot& slot_;
  };

  PluginSlot() = default;
  PluginSlot(const PluginSlot&) = delete;
  PluginSlot& operator=(const PluginSlot&) = delete;
  // A plug-in still here was never closed: it is closed now.
  ~PluginSlot();

  // A new plug-in on platform (which must outlive it), its window-thread tasks
  // running as frames of this slot. Null while the previous one is still here.
  Plugin* Create(Platform& platform);
  // The exports' Open: a new plug-in on platform, prepared (the window layer
  // attaches its view), opened for the host's window, then opened (the view
  // synchronised). A host that closes and opens again from inside a message of the
  // plug-in gets its Open carried out once the closing one is gone, when the
  // outermost frame ends. A second Open of an open plug-in does nothing.
  void Open(Platform& platform, WindowHandle hostWindow, std::function<void(Plugin&)> prepare,
            std::function<void()> opened);
  // The open plug-in; null when there is none or it is closing.
  Plugin* Current() const;
  // Whether a plug-in is here at all, open or still closing.
  bool Occupied() const { return plugin_ != nullptr; }
  // Closes the plug-in: at once outside any frame, else when the last frame ends.
  void Close();
  // Gives up the plug-in without running any of its code, for a module unloaded
  // without Close, where joining its worker could hang the host.
  void Abandon();

 private:
  void Leave();
  void OpenNow(Platform& platform, WindowHandle hostWindow,
               const std::function<void(Plugin&)>& prepare, const std::function<void()>& opened);

  struct PendingOpen {
    Platform* platform;
    WindowHandle hostWindow;
    std::function<void(Plugin&)> prepare;
    std::function<void()> opened;
  };
  std::unique_ptr<PendingOpen> reopen_;  // an Open made while the last was closing
  std::unique_ptr<Plugin> plugin_;
  int depth_ = 0;
  bool closing_ = false;
};

}  // namespace kolvar
