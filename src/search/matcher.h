// Matching one programme of the TV guide against the keywords.
#pragma once

#include <string>

#include "base/datetime.h"
#include "search/keywords.h"
#include "search/result_list.h"

namespace kolvar {

// Appends the programme to results at the first keyword, in list order, whose terms
// all pass, with that keyword's index and a zero end time; returns
// true when it did. At most one entry per call.
//
// An empty line instead closes the entry appended last: start becomes its end
// time (the start of the channel's next programme), and the result is false. With
// no entry to close it does nothing.
//
// compareFromStart is passed on to RateSimilarity. Keeps no state: runs on any
// thread, as long as the caller owns results.
bool MatchProgramme(TFindStruct& results, const std::string& line, DateTime start,
                    const TWRD& keywords, bool compareFromStart);

}  // namespace kolvar
