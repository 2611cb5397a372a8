// The records that cross between the host and the plug-in, shared by the plug-in
// and the reference host. 32-bit layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/platform.h"

namespace kolvar::win32 {

inline constexpr unsigned kEventMessage = 1025;  // WM_USER + 1
inline constexpr unsigned kReplyMessage = 1026;  // WM_USER + 2

// The preferences window's child controls, by control id.
inline constexpr int kControlListBoxFind = 101;
inline constexpr int kControlListBoxWords = 102;
inline constexpr int kControlCheckListBoxFiles = 103;
inline constexpr int kControlLabel1 = 104;
inline constexpr int kControlLabel3 = 105;
inline constexpr int kControlLabelNumberOfSelected = 106;
inline constexpr int kControlEditFindStr = 107;
inline constexpr int kControlEditFolderPath = 108;
inline constexpr int kControlSpinEditSearchMod = 109;
inline constexpr int kControlSpinEditIdentital = 110;
inline constexpr int kControlSpinEditNotiseDelay = 111;
inline constexpr int kControlSpinEditTimeShift = 112;
inline constexpr int kControlCheckBoxFullSearch = 113;
inline constexpr int kControlCheckBoxSorted = 114;
inline constexpr int kControlCheckBoxRemind = 115;
// A spin box's arrows: its edit's id plus this.
inline constexpr int kSpinArrowsOffset = 100;
// A list's scroll bar, a window of its own: the list's id plus this.
inline constexpr int kListBarOffset = 200;

// What the host passes to ActionManual.
struct RawActionRecord {
  std::int32_t kind;
  std::int32_t result;
  std::int32_t flag;
  std::int32_t reserved1;
  std::int32_t reserved2;
  const char* command;
  std::intptr_t param;  // minutes, or a pointer to a text
};

// What the plug-in sends with message 1025, 228 bytes.
struct HostEventRecord {
  char name[64];
  char kind[124];
  char marker[4];
  std::int32_t entryCount;     // pieces + 1
  std::int32_t entryFlags[4];  // 1 for the whole text, 0 for each piece
  const char* entryText[4];    // whole text, then the pieces; null beyond them
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RawActionRecord) == 28);
static_assert(sizeof(HostEventRecord) == 228);
static_assert(offsetof(HostEventRecord, kind) == 64);
static_assert(offsetof(HostEventRecord, marker) == 188);
static_assert(offsetof(HostEventRecord, entryCount) == 192);
static_assert(offsetof(HostEventRecord, entryFlags) == 196);
static_assert(offsetof(HostEventRecord, entryText) == 212);
#endif

// Copies text into a fixed field, cut to leave room for the terminating zero.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size() < N ? text.size() : N - 1);
}

// The record points into event's texts, so event must outlive its use.
inline HostEventRecord LayOutHostEvent(const HostEvent& event) {
  HostEventRecord record{};
  CopyField(record.name, event.name);
  CopyField(record.kind, event.kind);
  std::memcpy(record.marker, "EXT", 4);
  std::size_t pieces = event.pieces.size() < 3 ? event.pieces.size() : 3;
  record.entryCount = static_cast<std::int32_t>(pieces + 1);
  record.entryFlags[0] = 1;
  record.entryText[0] = event.text.c_str();
  for (std::size_t i = 0; i < pieces; ++i) record.entryText[i + 1] = event.pieces[i].c_str();
  return record;
}

}  // namespace kolvar::win32
