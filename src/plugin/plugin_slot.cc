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

Plugin* PluginSlot::Current() const {
  return plugin_ && !closing_ && plugin_->IsOpen() ? plugin_.get() : nullptr;
}

void PluginSlot::Close() {
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
  --depth_;
  gone.reset();
}

}  // namespace kolvar
