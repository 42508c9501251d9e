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

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#endif
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

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

#ifndef _WIN32
// A device file of the test's own at `own` for the device the system's file
// `device` stands for (looked at, never opened), so that no write in a test
// ever names a system's file: a writer that replaced what it was given would
// replace this one. False where the test may not make one (not root).
inline bool makeDeviceLike(const char* device, const std::filesystem::path& own) {
  struct stat status {};
  return ::stat(device, &status) == 0 &&
         ::mknod(own.c_str(), (status.st_mode & S_IFMT) | 0600, status.st_rdev) == 0;
}

// A socket's file at `own`, left behind by a socket bound to it and closed.
inline bool makeSocket(const std::filesystem::path& own) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string name = own.string();
  if (name.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const bool made =
      fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) ::close(fd);
  return made;
}

// A named pipe of the test's own at `own`. Under WebAssembly (node, on the
// real file system) the system's mkfifo makes it, as the module cannot.
inline bool makeFifo(const std::filesystem::path& own) {
#ifdef __EMSCRIPTEN__
  return EM_ASM_INT(
             {
               try {
                 require("child_process").execFileSync("mkfifo", [UTF8ToString($0)]);
                 return 1;
               } catch (e) {
                 return 0;
               }
             },
             own.c_str()) != 0;
#else
  return ::mkfifo(own.c_str(), 0600) == 0;
#endif
}
#endif

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
