// Helpers every suite shares: a temporary folder, whole files as bytes, the
// data log's records, and a freshly opened window in memory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "FormModel.h"
#include "OutputFile.h"
#include "StartupValues.h"

namespace tarvex::test {

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::random_device entropy;
    path_ = std::filesystem::temp_directory_path() /
            ("tarvex-test-" + std::to_string(entropy()) + std::to_string(entropy()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // `name` in UTF-8 (bytes on POSIX systems).
  std::filesystem::path file(const std::string& name) const { return path_ / pathFromText(name); }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The records of a data log without their CR LF; a record that does not end
// in CR LF fails the test.
inline std::vector<std::string> logLines(const std::filesystem::path& path) {
  const std::string text = readFile(path);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "log ends without CR LF: " << text.substr(start, 60);
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A freshly opened window, in memory.
inline FormModel startupForm() {
  FormModel form;
  applyStartupValues(form);
  return form;
}

}  // namespace tarvex::test
