// Helpers shared by the suite's tests: a scratch folder and small builders
// of results.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "suite/results.h"

namespace suite_test {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
 public:
  TempDir() {
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            ("zudiz_suite_test_" + std::to_string(device()) + "_" +
             std::to_string(device()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(std::string_view rel) const {
    return (path_ / std::filesystem::path(rel)).string();
  }
  // Writes `text` to the file at `rel`, making its folders.
  std::string write(std::string_view rel, std::string_view text) const {
    std::filesystem::path file = path_ / std::filesystem::path(rel);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

// Copies a file over whatever `to` holds. (std::filesystem::copy_file with
// overwrite_existing fails with "File exists" on the Windows build.)
inline void copyFile(const std::string& from, const std::string& to) {
  std::ofstream(to, std::ios::binary | std::ios::trunc) << readFile(from);
}

inline suite::PairResult pairNamed(std::string name, suite::PairStatus status) {
  suite::PairResult pair;
  pair.name = std::move(name);
  pair.status = status;
  return pair;
}

}  // namespace suite_test
