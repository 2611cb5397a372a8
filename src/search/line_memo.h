// Titles repeat within a channel (the daily news, a series), and a line differs
// from an earlier one of its title mostly in its digits: the date and the time.
// A keyword none of whose terms holds a digit decides such lines alike, since no
// comparison of a digit with its keys can succeed, whatever the mode. So lines
// alike but for their digits are decided once for those keywords: the memo keeps
// the decision by the line's text with every digit a zero. Where lines seldom
// meet an earlier one (every title its own), or the keywords cost less to decide
// than a look-up, it costs more than it saves: it times a trial of lines with it
// and one without, now and then, and is asked only while it wins.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar::matching {

class LineMemo {
 public:
  // Whether the memo is worth asking for the next line.
  bool Active();
  // The decision remembered for the line's text with its digits as zeros (those
  // before digitsEnd only), and the two characters at day too unless it is npos;
  // null when none is. Ask Active() first.
  const int* Find(std::string_view line, std::size_t day = std::string_view::npos,
                  std::size_t digitsEnd = std::string_view::npos);
  // Remembers decision for the line the last Find did not know.
  void Store(int decision);

 private:
  // A slot names an entry by number; most look-ups end at the hash's tag.
  struct Slot {
    std::uint32_t tag = 0;    // the hash's high half
    std::uint32_t entry = 0;  // 1-based into entries_; 0: free
  };
  struct Entry {
    std::uint32_t at = 0;  // of the text in texts_
    std::uint32_t length = 0;
    int decision = -1;
  };

  void Clear();
  // Asks the memo (with) or not until the next trial.
  void Choose(bool with, bool timed);

  std::vector<Slot> slots_ = std::vector<Slot>(kSlots);
  std::vector<Entry> entries_;
  std::string texts_;  // the texts remembered, one after another
  std::string key_;    // the last line asked, its digits zeros
  std::uint64_t hash_ = 0;
  std::size_t free_ = 0;  // the slot the last unknown key would take

  // Trials of kTrial lines with the memo and without it, timed, choose for the
  // lines until the next trial: kRest of them, twice as many after each trial
  // that chose as the one before, up to kMostRest, but only kSoon after the
  // first timed loss that follows a win. A trial in which few lines met an
  // earlier one is lost without the second half.
  enum class Phase { kWith, kWithout, kChosen };
  Phase phase_ = Phase::kWith;
  std::uint32_t left_ = kTrial;  // lines in the phase
  std::uint32_t rest_ = kRest;
  std::uint32_t known_ = 0;  // lines of the trial found
  bool chosen_ = true;
  bool timing_ = false;
  std::chrono::steady_clock::time_point began_{};
  std::chrono::steady_clock::duration with_{};

  static constexpr std::size_t kSlots = 1 << 12;
  static constexpr std::size_t kMostStored = kSlots / 2;
  static constexpr std::size_t kMostText = std::size_t{1} << 20;
  static constexpr std::uint32_t kTrial = 512;
  static constexpr std::uint32_t kRest = 8192;
  static constexpr std::uint32_t kSoon = 1024;
  static constexpr std::uint32_t kMostRest = 1 << 17;
};

}  // namespace kolvar::matching
