#include "OutputFile.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <share.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarvex {

#ifdef _WIN32

std::FILE* openForWriting(const std::filesystem::path& path) {
  // Denying other writers is the lock: the share is checked before the
  // file is emptied, so a file another run writes is left as it is. A
  // named pipe without its server fails at once; nothing here waits.
  std::FILE* file = _wfsopen(path.c_str(), L"wb", _SH_DENYWR);
  if (file == nullptr && _doserrno == ERROR_SHARING_VIOLATION) errno = EBUSY;
  return file;
}

std::filesystem::path pathFromText(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

#else

std::FILE* openForWriting(const std::filesystem::path& path) {
  // Opened without waiting, so that a FIFO nobody reads is an error rather
  // than a hang; emptied only once the lock is ours.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  const auto fail = [fd](int error) -> std::FILE* {
    ::close(fd);
    errno = error;
    return nullptr;
  };
  struct stat status {};
  if (::fstat(fd, &status) != 0) return fail(errno);
  // Devices and pipes are shared as they always are (two outputs on
  // /dev/null are fine); a regular file is locked for one writer.
  if (S_ISREG(status.st_mode)) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ftruncate(fd, 0) != 0) return fail(errno);
  }
  // From here on a write may wait, for a reader to catch up.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return fail(errno);
  std::FILE* file = ::fdopen(fd, "wb");
  return file != nullptr ? file : fail(errno);
}

std::filesystem::path pathFromText(std::string_view text) {
  return std::filesystem::path(std::string(text));
}

#endif

std::string fileErrorReason(int error) {
  switch (error) {
    case 0:
      return std::generic_category().message(EIO);
    case EBUSY:
      return "another run or program is writing it";
    case ENXIO:
      return "nothing reads from it";
    case EINTR:
    case EAGAIN:  // a pipe's writes stop waiting once the run is stopped
      return "stopped while it waited for its reader";
    default:
      return std::generic_category().message(error);
  }
}

std::string pathText(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string writeAndClose(std::FILE* file, const std::filesystem::path& path,
                          std::string_view bytes) {
  errno = 0;
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  const int writeError = errno;
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  const int closeError = errno;
  if (written && closed) return {};
  return "cannot write " + pathText(path) + ": " +
         fileErrorReason(written ? closeError : writeError);
}

std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  errno = 0;
  std::FILE* file = openForWriting(path);
  if (file == nullptr) return "cannot create " + pathText(path) + ": " + fileErrorReason(errno);
  return writeAndClose(file, path, bytes);
}

}  // namespace tarvex
