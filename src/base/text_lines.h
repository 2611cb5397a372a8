// Text files are single-byte text with CR LF line ends. Readers are lenient about
// what ends a line, writers always write CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kolvar {

// CR LF, LF and a lone CR each end a line. A last line without an end counts;
// an end at the very end of the text does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// Every line followed by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace kolvar
