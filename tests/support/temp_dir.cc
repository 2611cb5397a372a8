#include "support/temp_dir.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace kolvar::testing {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto dir = base / ("kolvar-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) {
      folder_ = dir.string();
      folder_ += std::filesystem::path::preferred_separator;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

}  // namespace kolvar::testing
