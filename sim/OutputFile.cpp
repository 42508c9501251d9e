#include "OutputFile.h"

#include <cerrno>
#include <system_error>

namespace tarvex {

std::FILE* openForWriting(const std::filesystem::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"wb");
#else
  return std::fopen(path.c_str(), "wb");
#endif
}

std::string pathText(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  const auto failure = [&](const char* what, int error) {
    return std::string(what) + " " + pathText(path) + ": " +
           std::generic_category().message(error != 0 ? error : EIO);
  };
  errno = 0;
  std::FILE* file = openForWriting(path);
  if (file == nullptr) return failure("cannot create", errno);
  errno = 0;
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  const int writeError = errno;
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  if (!written) return failure("cannot write", writeError);
  if (!closed) return failure("cannot write", errno);
  return {};
}

}  // namespace tarvex
