// The keywords compiled once per search run: decides for every programme line
// exactly what MatchProgramme decides, at a fraction of its cost. A term needs a
// window with a certain number of equal characters to reach its precision; cut
// into one piece more than the unequal characters it may have, one piece must
// then stand in the line unchanged, so one pass over the line (and one over its
// upper-cased copy) finds the few terms that can pass at all: pieces are filed
// under their first two characters and compared whole where those stand. Keys
// too short for pieces of two are filed under single characters, and those of
// modes 5 and 6 that allow nothing unequal under their first pair near (an
// exchange moves a character by one). Only the candidates' windows are counted,
// and only as far as the decision needs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "search/keywords.h"
#include "search/result_list.h"

namespace kolvar {

class KeywordMatcher {
 public:
  // compareFromStart as for RateSimilarity. The keywords are copied.
  KeywordMatcher(const TWRD& keywords, bool compareFromStart);

  // The index of the first keyword, in list order, whose terms all pass; -1 for none.
  int FirstMatch(std::string_view line);

  // MatchProgramme's contract, with the keywords and start position compiled in.
  bool Match(TFindStruct& results, const std::string& line, DateTime start);

  // Not copyable by accident: one instance per thread, it keeps scratch buffers.
  KeywordMatcher(const KeywordMatcher&) = delete;
  KeywordMatcher& operator=(const KeywordMatcher&) = delete;

 private:
  using CharSet = std::array<std::uint64_t, 4>;

  // The form of the line a term's windows read: as given (mode 1), Io folded
  // (mode 2), upper-cased and folded from the start position (modes 3 and 5) or
  // whole (modes 4 and 6); kUnindexed when no piece can stand for the term, which
  // makes every line a candidate.
  enum Form { kRaw, kFolded, kUpperFromStart, kUpperWhole, kUnindexed };

  struct Term {
    std::string key;  // as its mode compares it
    int mode = 0;
    int length = 0;
    bool include = true;
    std::int32_t precision = 0;
    // Including: passes when the best count reaches need; excluding: when it stays below.
    int need = 0;
    CharSet chars{};
    Form form = kUnindexed;
    // Its pieces are single characters (the key is too short for pairs).
    bool single = false;
  };
  struct Keyword {
    std::size_t first = 0;
    std::size_t count = 0;
  };

  struct PieceAt {
    std::uint32_t term = 0;
    std::int32_t offset = 0;  // of the piece in the key
    // Up to the next piece: the pieces cut the key up. 0: the piece only marks its
    // term a candidate (FirstPairNear tells more).
    std::int32_t length = 1;
    // Copies kept beside it, so that a look-up touches the term only on a match:
    // the pair or character it is filed under, and its term's mode.
    std::uint32_t key = 0;
    std::int32_t mode = 0;
  };
  // Per text, the pieces of the terms by their first two characters, hashed into
  // 2^bits buckets: the pieces of
  // bucket x are pieces[first[x]] .. pieces[first[x + 1] - 1].
  struct PairIndex {
    int bits = 0;
    std::vector<std::uint32_t> first;
    std::vector<PieceAt> pieces;
  };
  // Per form, the single-character pieces by their character: those of c are
  // pieces[first[c]] .. pieces[first[c + 1] - 1].
  struct CharIndex {
    std::vector<std::uint32_t> first;
    std::vector<PieceAt> pieces;
  };
  // A window a piece was found for: the next of the term's (1-based, 0 ends).
  struct Hit {
    std::uint32_t next = 0;
    int window = 0;  // 1-based start
  };

  void Prepare(std::string_view line);
  // The texts the pieces are looked up in: the line as given (modes 1 and 2; a
  // line with a capital Io is also read folded) and upper-cased (modes 3 to 6).
  enum Text { kLineText, kUpperText, kTexts };
  static Text TextOf(int form) { return form <= kFolded ? kLineText : kUpperText; }
  void BuildIndexes();
  void BuildGates();
  // One pass over a text, every piece looked up in it except skipMode's terms'.
  void Scan(Text kind, std::string_view text, int skipMode);
  void PairAt(const PieceAt& piece, std::size_t i, std::string_view text);
  void SingleAt(const PieceAt& piece, std::size_t i, std::string_view text);
  // Once per line, for a candidate term with single-character pieces: its word
  // hit and, if asked, its windows.
  void SingleHits(std::size_t term, bool windows);
  void Candidate(std::uint32_t term, bool wordHit, int window);
  void SetsFor(std::string_view line);
  bool Passes(const Term& term);
  bool KeywordPasses(std::size_t k);
  bool CharactersSuffice(const Term& term, int need);
  bool FirstPairNear(const Term& term, int need);
  bool Reaches(const Term& term, int need);
  const std::string& FoldedLine();
  const std::vector<int>& WordStarts();

  std::vector<Term> terms_;
  std::vector<Keyword> keywords_;
  int start_ = 1;
  std::array<PairIndex, kTexts> pairs_;
  std::array<CharIndex, kTexts> chars_;
  CharIndex wordChars_;  // mode 4's and 6's single first characters, upper-cased
  // Modes 5 and 6, nothing unequal allowed: the first two characters one apart
  // (next to each other, either way round, are in pairs_ with length 0).
  PairIndex apartPairs_;
  bool foldedPieces_ = false;  // some mode-2 term has pieces
  bool wholePieces_ = false;   // some term of mode 4 or 6 has pieces
  // A term is a candidate for the current line when its entry equals lineNumber_.
  std::vector<std::uint32_t> candidate_;
  std::vector<std::uint32_t> firstHit_;  // per candidate term, into hits_ (1-based)
  std::vector<Hit> hits_;
  std::vector<bool> wordHit_;  // per candidate term of modes 4 and 6: a piece at a word start
  std::vector<int> gate_;      // per term: the keyword it opens, or -1
  // Bit k of word k / 64: keyword k is looked at on every line; the gated keywords
  // the current line opened.
  std::vector<std::uint64_t> ungated_;
  std::vector<std::uint64_t> opened_;
  std::uint32_t lineNumber_ = 0;

  // The current line: as given, upper-cased and folded, and (on demand) folded only.
  std::string_view raw_;
  // With one blank appended, as the tolerant pass of mode 4 reads it; only made
  // when some term compares in upper case.
  std::string upper_;
  bool upperNeeded_ = false;
  std::string folded_;
  bool foldedReady_ = false;
  CharSet rawFromStart_{};
  bool rawSetReady_ = false;
  CharSet foldedFromStart_{};
  bool foldedSetReady_ = false;
  bool upperSetsReady_ = false;
  std::vector<int> wordStarts_;  // 1-based, for mode 4
  bool wordStartsReady_ = false;
  CharSet upperFromStart_{};    // window characters of mode 3
  CharSet upperBeforeStart_{};  // the same with the character an exchange can bring in
  CharSet upperAll_{};          // the whole line and the appended blank
  // Upper-cased pairs from just before the start position: neighbours, and
  // characters one apart.
  std::array<std::uint64_t, 16> nextTo_{};
  std::array<std::uint64_t, 16> oneApart_{};
  bool pairSetsReady_ = false;
};

}  // namespace kolvar
