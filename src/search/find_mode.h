// The find modes: what a comparison forgives. A keyword may name the first three;
// the settings' default may be any number, and one outside 1..6 compares nothing.
#pragma once

namespace kolvar {

enum FindMode : int {
  kFindExact = 1,             // nothing: characters as they stand
  kFindIoFolded = 2,          // capital Io written as Ie
  kFindUpperCase = 3,         // letter case too (its keys are kept upper-cased)
  kFindWholeWords = 4,        // mode 3 over whole words, one superfluous key letter
  kFindExchanges = 5,         // mode 3, or two neighbouring line letters exchanged
  kFindWordsOrExchanges = 6,  // the better of mode 4 and mode 5's exchanges
};

}  // namespace kolvar
