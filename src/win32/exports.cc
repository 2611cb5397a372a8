// The four functions the host calls. Each only forwards to the plug-in object and
// lets nothing escape: an exception crossing into the host would take it down.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "plugin/plugin.h"
#include "win32/host_protocol.h"
#include "win32/win32_platform.h"

namespace {

// The loaded plug-in: created by Open, destroyed by Close. The platform is
// declared first so it outlives the plug-in that refers to it.
struct Instance {
  std::unique_ptr<kolvar::win32::Win32Platform> platform;
  std::unique_ptr<kolvar::Plugin> plugin;

  ~Instance() {
    // Unloaded without Close: this runs under the loader lock, where joining the
    // worker could hang the host. Leaving the objects is the lesser harm.
    if (plugin) {
      (void)plugin.release();
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
    if (inst.plugin) return kolvar::kPluginTitle;  // the host opens once; a second call is a no-op
    inst.platform = std::make_unique<kolvar::win32::Win32Platform>();
    inst.plugin = std::make_unique<kolvar::Plugin>(*inst.platform);
    inst.platform->AttachForm(&inst.plugin->Form());
    const char* title = inst.plugin->Open(reinterpret_cast<kolvar::WindowHandle>(hostWindow));
    inst.platform->SyncView();
    return title;
  } catch (...) {
    return kolvar::kPluginTitle;
  }
}

void __stdcall Close() {
  try {
    Instance& inst = TheInstance();
    if (inst.plugin) inst.plugin->Close();
    if (inst.platform) inst.platform->AttachForm(nullptr);
    inst.plugin.reset();
    inst.platform.reset();
  } catch (...) {
  }
}

void __stdcall Setup() {
  try {
    Instance& inst = TheInstance();
    if (inst.plugin) {
      inst.plugin->Setup();
      inst.platform->SyncView();
    }
  } catch (...) {
  }
}

void __stdcall ActionManual(kolvar::win32::RawActionRecord* raw, std::uint32_t tag) {
  try {
    Instance& inst = TheInstance();
    if (!inst.plugin) return;  // nothing may reach the host before Open or after Close
    kolvar::ActionRecord record;
    if (raw) {
      record.kind = raw->kind;
      record.result = raw->result;
      record.flag = raw->flag;
      if (raw->command) record.command = raw->command;
      record.param = raw->param;
      if (raw->kind == 2 && raw->flag == 0 && raw->param != 0) {
        record.paramText = reinterpret_cast<const char*>(raw->param);
      }
    }
    inst.plugin->ActionManual(record, tag);
    if (inst.platform) inst.platform->SyncView();
    if (raw) {
      raw->result = record.result;
      if (record.commandOut) raw->command = reinterpret_cast<const char*>(*record.commandOut);
    }
  } catch (...) {
  }
}

}  // extern "C"
