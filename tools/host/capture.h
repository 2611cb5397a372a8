// Pictures of the plug-in window as the screen shows it.
#pragma once

#include <functional>
#include <string>

namespace kolvar::host {

// Writes the window to a 24-bit BMP file and says its size in the transcript.
void Screenshot(const std::string& file);
// Whether the window as the screen shows it equals the window fully repainted
// (every control invalidated and drawn anew): a control left blank or a text drawn
// into a stale place shows as a difference. Differing pixels are counted and both
// pictures kept where they differ. serve(ms) serves the host's messages meanwhile.
void RepaintCheck(const std::string& label, const std::function<void(unsigned ms)>& serve);
// The colours the screen shows inside the plug-in window's control id, each once,
// as RRGGBB in order: whether a control is drawn in the skin's colours, read as text.
void LogColours(int id);

}  // namespace kolvar::host
