#include "OutputFile.h"

#include <cerrno>
#include <functional>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
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

bool isNamedPipe(const std::wstring& name) {
  return name.rfind(L"\\\\.\\pipe\\", 0) == 0 || name.rfind(L"//./pipe/", 0) == 0;
}

// What the open file is, for `output`: 0 when it may take it.
int openedRefusal(std::FILE* file, const std::filesystem::path& path, Output output) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  DWORD mode = 0;
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
      return 0;
    case FILE_TYPE_PIPE:
      return mayStream(output) ? 0 : kNotRegularNamedPipe;
    case FILE_TYPE_CHAR:  // the console, NUL, a serial port ...
      return mayStream(output) && (isNullDevice(path) || GetConsoleMode(handle, &mode))
                 ? 0
                 : kNotRegularDevice;
    default:
      return kNotRegularOther;
  }
}

// The null device and named pipes are known by their names alone: looking
// at a named pipe would take one of its instances.
std::optional<int> refusalByName(const std::filesystem::path& path, Output output) {
  if (isNullDevice(path)) return mayStream(output) ? 0 : kNotRegularDevice;
  if (isNamedPipe(path.wstring())) return mayStream(output) ? 0 : kNotRegularNamedPipe;
  return std::nullopt;
}

}  // namespace

std::FILE* openForWriting(const std::filesystem::path& path, Output output) {
  if (const int refusal = outputRefusal(path, output); refusal != 0) {
    errno = refusal;
    return nullptr;
  }
  // Denying other writers is the lock: the share is checked before the
  // file is emptied, so a file another run writes is left as it is. A
  // named pipe without its server fails at once; nothing here waits. Only a
  // file on a disk is emptied by the open: what else it may be is known by
  // its name, looked at above.
  std::FILE* file = _wfsopen(path.c_str(), L"wb", _SH_DENYWR);
  if (file == nullptr) {
    if (_doserrno == ERROR_SHARING_VIOLATION) errno = EBUSY;
    return nullptr;
  }
  if (const int refusal = openedRefusal(file, path, output); refusal != 0) {
    std::fclose(file);
    errno = refusal;
    return nullptr;
  }
  return file;
}

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
  if (isNullDevice(path)) return FileIdentity{0, 0, true, false};
  // A named pipe is known by its name alone: opening it would take one of
  // its instances.
  const std::wstring name = path.wstring();
  if (isNamedPipe(name))
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

namespace {

bool isNullDevice(const struct stat& status) {
  struct stat null {};
  return S_ISCHR(status.st_mode) && ::stat("/dev/null", &null) == 0 &&
         null.st_rdev == status.st_rdev;
}

// What the open file is, for `output`: 0 when it may take it. A character
// device may stream only when it is a terminal or the null device: never
// a disk, the memory, a port.
int openedRefusal(int fd, const struct stat& status, Output output) {
  if (S_ISREG(status.st_mode)) return 0;
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (S_ISFIFO(status.st_mode)) return pipeRefusal(output);
  if (S_ISCHR(status.st_mode))
    return mayStream(output) && (isNullDevice(status) || ::isatty(fd)) ? 0 : kNotRegularDevice;
  if (S_ISBLK(status.st_mode)) return kNotRegularDevice;
  if (S_ISSOCK(status.st_mode)) return kNotRegularSocket;
  return kNotRegularOther;
}

std::optional<int> refusalByName(const std::filesystem::path&, Output) {
  return std::nullopt;
}

#ifdef __EMSCRIPTEN__

// Under WebAssembly the file system is the module's own (in memory, in a
// page), so its only writers are this program's: the lock is kept here, by
// the file's identity and the descriptor that holds it, since the system's
// lock is an empty call there. A lock is held while its descriptor stays
// open on the same file; a descriptor closed (or its number reused by this
// very open) lets go of it.
struct HeldLock {
  int fd;
  dev_t device;
  ino_t file;
};

int lockForOneWriter(int fd, const struct stat& status) {
  static std::vector<HeldLock> held;
  std::erase_if(held, [fd](const HeldLock& lock) {
    struct stat now {};
    return lock.fd == fd || ::fstat(lock.fd, &now) != 0 || now.st_dev != lock.device ||
           now.st_ino != lock.file;
  });
  for (const HeldLock& lock : held)
    if (lock.device == status.st_dev && lock.file == status.st_ino) return EBUSY;
  held.push_back({fd, status.st_dev, status.st_ino});
  return 0;
}

#else

int lockForOneWriter(int fd, const struct stat&) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
  return errno == EWOULDBLOCK ? EBUSY : errno;
}

#endif

}  // namespace

std::FILE* openForWriting(const std::filesystem::path& path, Output output) {
  if (const int refusal = outputRefusal(path, output); refusal != 0) {
    errno = refusal;
    return nullptr;
  }
  // Opened without waiting, so that a FIFO nobody reads is an error rather
  // than a hang, and without becoming the program's terminal; emptied only
  // once it is known to be a regular file, and the lock is ours. What the
  // name led to is looked at again once open: it may have changed since.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return nullptr;
  const auto fail = [fd](int error) -> std::FILE* {
    ::close(fd);
    errno = error;
    return nullptr;
  };
  struct stat status {};
  if (::fstat(fd, &status) != 0) return fail(errno);
  if (const int refusal = openedRefusal(fd, status, output); refusal != 0) return fail(refusal);
  // Pipes and terminals are shared as they always are (two outputs on
  // /dev/null are fine); a regular file is locked for one writer.
  if (S_ISREG(status.st_mode)) {
    if (const int refused = lockForOneWriter(fd, status); refused != 0) return fail(refused);
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
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          isNullDevice(status), S_ISREG(status.st_mode)};
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

int pipeRefusal(Output output) {
  if (!mayStream(output)) return kNotRegularNamedPipe;
#ifdef __EMSCRIPTEN__
  // A WebAssembly module's files are its own: no reader could be on the
  // other end of a named pipe (one from outside, under node, is refused
  // rather than half served).
  return kPipeNotAvailableHere;
#else
  return 0;
#endif
}

bool mayStream(Output output) {
  switch (output) {
    case Output::DataLog:
    case Output::Points:
    case Output::Trace:
    case Output::Plot:
      return true;
    case Output::ParameterFile:
    case Output::Export:
      return false;
  }
  return false;
}

std::string fileKindText(std::filesystem::file_type type) {
  switch (type) {
    case std::filesystem::file_type::directory:
      return "a directory";
    case std::filesystem::file_type::fifo:
      return "a named pipe";
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::block:
      return "a device";
    case std::filesystem::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

int outputRefusal(const std::filesystem::path& path, Output output) {
  if (const std::optional<int> byName = refusalByName(path, output)) return *byName;
  std::error_code error;
  using Type = std::filesystem::file_type;
  switch (std::filesystem::status(path, error).type()) {
    case Type::none:  // cannot be looked at: the open says why
    case Type::not_found:
    case Type::regular:
      return 0;
    case Type::directory:
      return EISDIR;
    case Type::fifo:
      return pipeRefusal(output);
    case Type::character:
      return mayStream(output) ? 0 : kNotRegularDevice;
    case Type::block:
      return kNotRegularDevice;
    case Type::socket:
      return kNotRegularSocket;
    default:
      return kNotRegularOther;
  }
}

std::filesystem::path linkTarget(const std::filesystem::path& path, std::error_code& error) {
  namespace fs = std::filesystem;
  fs::path at = path;
  for (int links = 0; links <= 40; ++links) {
    error.clear();
    const fs::file_status status = fs::symlink_status(at, error);
    if (status.type() == fs::file_type::not_found) error.clear();
    if (error || status.type() != fs::file_type::symlink) return at;
    const fs::path target = fs::read_symlink(at, error);
    if (error) return at;
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return path;
}

std::string fileErrorReason(int error) {
  switch (error) {
    case kNotRegularNamedPipe:
      return "not a regular file (" + fileKindText(std::filesystem::file_type::fifo) + ")";
    case kNotRegularDevice:
      return "not a regular file (" + fileKindText(std::filesystem::file_type::character) + ")";
    case kNotRegularSocket:
      return "not a regular file (" + fileKindText(std::filesystem::file_type::socket) + ")";
    case kNotRegularOther:
      return "not a regular file";
    case kPipeNotAvailableHere:
      return fileKindText(std::filesystem::file_type::fifo) + " is not available here";
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

std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                           Output output) {
  errno = 0;
  std::FILE* file = openForWriting(path, output);
  if (file == nullptr) return "cannot create " + pathText(path) + ": " + fileErrorReason(errno);
  return writeAndClose(file, path, bytes);
}

}  // namespace tarvex
