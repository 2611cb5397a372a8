// Lines made when they are asked for: a list of hundreds of thousands of lines
// (the result list) keeps them in a smaller form and makes each when it is drawn.
#pragma once

#include <cstddef>
#include <string>

namespace kolvar {

// Never changes once made, so any thread may read it.
class LineSource {
 public:
  virtual ~LineSource() = default;
  virtual std::size_t Size() const = 0;
  // The line at index, which is below Size().
  virtual std::string Line(std::size_t index) const = 0;
};

}  // namespace kolvar
