#include "OutputFile.h"

#include <cerrno>
#include <functional>
#include <system_error>

#ifdef _WIN32
#include <share.h>
#include <windows.h>
#include <cwctype>
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

namespace {

std::optional<FileIdentity> identityOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info))
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, false,
                      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0};
}

bool isNullDevice(const std::filesystem::path& path) {
  std::wstring name = path.filename().wstring();
  for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
  return name == L"NUL" || name.rfind(L"NUL.", 0) == 0;
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
  if (isNullDevice(path)) return FileIdentity{0, 0, true, false};
  // A named pipe is known by its name alone: opening it would take one of
  // its instances.
  const std::wstring name = path.wstring();
  if (name.rfind(L"\\\\.\\pipe\\", 0) == 0 || name.rfind(L"//./pipe/", 0) == 0)
    return FileIdentity{~std::uint64_t{0}, std::hash<std::wstring>{}(name), false, false};
  const HANDLE handle =
      CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<FileIdentity> identity = identityOf(handle);
  CloseHandle(handle);
  return identity;
}

std::optional<FileIdentity> standardOutputIdentity() {
  return identityOf(GetStdHandle(STD_OUTPUT_HANDLE));
}

bool standardOutputAppends() {
  return false;  // a console's >> still writes from the file's end, not over it
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

namespace {

FileIdentity identityOf(const struct stat& status) {
  struct stat null {};
  const bool isNull =
      S_ISCHR(status.st_mode) && ::stat("/dev/null", &null) == 0 && null.st_rdev == status.st_rdev;
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          isNull, S_ISREG(status.st_mode)};
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return identityOf(status);
}

std::optional<FileIdentity> standardOutputIdentity() {
  struct stat status {};
  if (::fstat(STDOUT_FILENO, &status) != 0) return std::nullopt;
  return identityOf(status);
}

bool standardOutputAppends() {
  const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
  return flags >= 0 && (flags & O_APPEND) != 0;
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
      (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) &&
      std::fflush(file) == 0;
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
