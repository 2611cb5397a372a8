// Which terms the current line makes candidates: one pass over the line (and one
// over its upper-cased copy) looks up the filed pieces, compares them whole where
// they stand and notes the windows they were found for. A term no piece was found
// for cannot pass; a keyword gated by one of its terms is opened only by a candidate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "search/fast_matcher_index.h"
#include "search/line_view.h"

namespace kolvar::matching {

class CandidateScan {
 public:
  // compiled must outlive the scan.
  explicit CandidateScan(const CompiledKeywords& compiled);

  // Forgets the previous line's candidates and finds the line's.
  void Scan(LineView& line);

  bool IsCandidate(std::size_t term) const { return candidate_[term] == lineNumber_; }
  // For a candidate term of modes 4 and 6: a piece stands at a word start.
  bool WordHit(std::size_t term) const { return wordHit_[term]; }
  // Bit k of word k / 64: the gated keywords the line opened.
  const std::vector<std::uint64_t>& Opened() const { return opened_; }

  // Whether found holds for one of the windows (1-based starts) noted for a
  // candidate term, latest first.
  template <class Found>
  bool AnyWindow(std::size_t term, Found found) const {
    for (std::uint32_t h = firstHit_[term]; h != 0; h = hits_[h - 1].next) {
      if (found(hits_[h - 1].window)) return true;
    }
    return false;
  }

  // Once per line, for a candidate term with single-character pieces: its word
  // hit and, if asked, its windows.
  void SingleHits(std::size_t term, LineView& line, bool windows);

 private:
  // A window a piece was found for: the next of the term's (1-based, 0 ends).
  struct Hit {
    std::uint32_t next = 0;
    int window = 0;  // 1-based start
  };

  // One pass over a text, every piece looked up in it except skip's terms'; l is
  // the line's length.
  void ScanText(Text kind, std::string_view text, Form skip, std::size_t l);
  void ScanWords(std::string_view upper);
  void FlaggedAt(Text kind, std::uint8_t flags, std::size_t i, std::string_view text, Form skip,
                 std::size_t l);
  void GramAt(const GramIndex& grams, std::size_t i, std::string_view text, Form skip,
              std::size_t l);
  void PairAt(const PieceAt& piece, std::size_t i, std::string_view text, std::size_t l);
  void SingleAt(const PieceAt& piece, std::size_t i, std::string_view text);
  void Mark(std::uint32_t term, bool wordHit, int window);

  const CompiledKeywords& compiled_;
  // A term is a candidate for the current line when its entry equals lineNumber_.
  std::vector<std::uint32_t> candidate_;
  std::vector<std::uint32_t> firstHit_;  // per candidate term, into hits_ (1-based)
  std::vector<Hit> hits_;
  std::vector<bool> wordHit_;  // per candidate term of modes 4 and 6
  std::vector<std::uint64_t> opened_;
  std::uint32_t lineNumber_ = 0;
  CharSet charsDone_{};  // in the text being scanned, characters whose pieces marked
};

}  // namespace kolvar::matching
