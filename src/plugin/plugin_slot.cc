#include "plugin/plugin_slot.h"

namespace kolvar {

PluginSlot::~PluginSlot() {
  if (plugin_) plugin_->Close();
}

Plugin* PluginSlot::Create(Platform& platform) {
  if (plugin_) return nullptr;
  closing_ = false;
  plugin_ = std::make_unique<Plugin>(platform, [this](const std::function<void()>& fn) {
    Frame frame(*this);
    fn();
  });
  return plugin_.get();
}

void PluginSlot::Open(Platform& platform, WindowHandle hostWindow,
                      std::function<void(Plugin&)> prepare, std::function<void()> opened) {
  if (plugin_ && closing_ && depth_ > 0) {
    reopen_ = std::make_unique<PendingOpen>(
        PendingOpen{&platform, hostWindow, std::move(prepare), std::move(opened)});
    return;
  }
  if (!plugin_) OpenNow(platform, hostWindow, prepare, opened);
}

void PluginSlot::OpenNow(Platform& platform, WindowHandle hostWindow,
                         const std::function<void(Plugin&)>& prepare,
                         const std::function<void()>& opened) {
  Plugin* plugin = Create(platform);
  if (prepare) prepare(*plugin);
  plugin->Open(hostWindow);
  if (opened && Current()) opened();
}

Plugin* PluginSlot::Current() const {
  return plugin_ && !closing_ && plugin_->IsOpen() ? plugin_.get() : nullptr;
}

void PluginSlot::Close() {
  // Closed, opened and closed again inside one message: the Open is withdrawn.
  reopen_.reset();
  if (!plugin_ || closing_) return;
  closing_ = true;
  plugin_->BeginClose();
  if (depth_ == 0) {
    ++depth_;
    Leave();
  }
}

void PluginSlot::Abandon() {
  (void)plugin_.release();
  closing_ = false;
}

void PluginSlot::Leave() {
  if (--depth_ > 0 || !closing_ || !plugin_) return;
  // The outermost frame is ending: no code of the plug-in is on the stack any more.
  // Close joins the worker and destroys the window; frames that Close itself opens
  // (it serves no tasks) cannot come back here.
  ++depth_;
  plugin_->Close();
  std::unique_ptr<Plugin> gone = std::move(plugin_);
  closing_ = false;
  gone.reset();
  // The host opened again while this one was closing: now there is room.
  if (std::unique_ptr<PendingOpen> open = std::move(reopen_)) {
    OpenNow(*open->platform, open->hostWindow, open->prepare, open->opened);
  }
  // Closed again from inside that Open's messages: torn down as before.
  Leave();
}

}  // namespace kolvar
