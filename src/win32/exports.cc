// The four functions the host calls. Each only forwards to the plug-in object and
// lets nothing escape: an exception crossing into the host would take it down.
// Each is a frame of the plug-in slot, so a Close that the host makes from inside a
// message of ours tears down only when our code has returned.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "plugin/plugin_slot.h"
#include "win32/host_protocol.h"
#include "win32/win32_platform.h"

namespace {

// The host's record, read field by field: which fields hold anything, and whether
// Param is a number or a text, depends on the command.
class RawRecordView final : public kolvar::ActionRecord {
 public:
  explicit RawRecordView(kolvar::win32::RawActionRecord& raw) : raw_(raw) {}

  std::int32_t Kind() const override { return raw_.kind; }
  std::int32_t Result() const override { return raw_.result; }
  void SetResult(std::int32_t value) override { raw_.result = value; }
  std::int32_t Flag() const override { return raw_.flag; }
  std::optional<std::string> Command() const override {
    if (!raw_.command) return std::nullopt;
    return std::string(raw_.command);
  }
  std::int32_t ParamNumber() const override { return static_cast<std::int32_t>(raw_.param); }
  std::optional<std::string> ParamText() const override {
    if (raw_.param == 0) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(raw_.param));
  }
  void SetCommandField(std::uintptr_t value) override {
    raw_.command = reinterpret_cast<const char*>(value);
  }

 private:
  kolvar::win32::RawActionRecord& raw_;
};

// What the loaded module keeps. The platform lives as long as the module: a
// plug-in torn down at the end of a window-thread task must not take the platform,
// whose message handling is still on the stack, with it.
struct Instance {
  kolvar::PluginSlot slot;
  std::unique_ptr<kolvar::win32::Win32Platform> platform;

  ~Instance() {
    // Unloaded without Close: this runs under the loader lock, where joining the
    // worker could hang the host. Leaving the objects is the lesser harm.
    if (slot.Occupied()) {
      slot.Abandon();
      (void)platform.release();
    }
  }
};

Instance& TheInstance() {
  static Instance instance;
  return instance;
}

}  // namespace

extern "C" {

const char* __stdcall Open(std::int32_t /*reserved*/, HWND hostWindow, std::int32_t /*reserved*/) {
  try {
    Instance& inst = TheInstance();
    kolvar::PluginSlot::Frame frame(inst.slot);
    if (!inst.platform) {
      inst.platform = std::make_unique<kolvar::win32::Win32Platform>();
    }
    kolvar::win32::Win32Platform& platform = *inst.platform;
    auto prepare = [&platform, &slot = inst.slot](kolvar::Plugin& plugin) {
      platform.AttachForm(&plugin.Form(), [&slot](const std::function<void()>& fn) {
        kolvar::PluginSlot::Frame frame(slot);
        fn();
      });
    };
    // The host opens once; a second call does nothing else, and one made while the
    // last Close is finishing (from inside a message) is carried out after it.
    inst.slot.Open(platform, reinterpret_cast<kolvar::WindowHandle>(hostWindow), prepare,
                   [&platform] { platform.SyncView(); });
    return kolvar::kPluginTitle;
  } catch (...) {
    return kolvar::kPluginTitle;
  }
}

void __stdcall Close() {
  try {
    Instance& inst = TheInstance();
    kolvar::PluginSlot::Frame frame(inst.slot);
    if (inst.platform) inst.platform->AttachForm(nullptr, {});
    inst.slot.Close();
  } catch (...) {
  }
}

void __stdcall Setup() {
  try {
    Instance& inst = TheInstance();
    kolvar::PluginSlot::Frame frame(inst.slot);
    if (kolvar::Plugin* plugin = inst.slot.Current()) {
      plugin->Setup();
      if (inst.slot.Current()) inst.platform->SyncView();
    }
  } catch (...) {
  }
}

void __stdcall ActionManual(kolvar::win32::RawActionRecord* raw, std::uint32_t tag) {
  try {
    Instance& inst = TheInstance();
    kolvar::PluginSlot::Frame frame(inst.slot);
    kolvar::Plugin* plugin = inst.slot.Current();
    if (!plugin) return;  // nothing may reach the host before Open or after Close
    if (!raw) {
      // No record to read or write: the call is still answered.
      kolvar::win32::RawActionRecord empty{};
      RawRecordView view(empty);
      plugin->ActionManual(view, tag);
    } else {
      RawRecordView view(*raw);
      plugin->ActionManual(view, tag);
    }
    if (inst.slot.Current()) inst.platform->SyncView();
  } catch (...) {
  }
}

}  // extern "C"
