// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

namespace kolvar::testing {

class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  // The folder with its trailing separator, in the form the core's paths take.
  const std::string& Folder() const { return folder_; }
  std::string Path(const std::string& name) const { return folder_ + name; }

 private:
  std::string folder_;
};

}  // namespace kolvar::testing
