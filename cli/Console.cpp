#include "Console.h"

#include <cerrno>
#include <cstdio>

#include "OutputFile.h"
#include "PrintableText.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which they build on.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace tarvex::batch {
namespace {

#ifdef _WIN32

std::string utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();  // the terminating null
  return out;
}

// Text for a console, as characters; false when `stream` is not one.
bool writeToConsole(std::FILE* stream, std::string_view text) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;
  const int length = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), length)));
  DWORD written = 0;
  return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) !=
         0;
}

#endif

// Writes and flushes; the errno of the failure, or 0.
int writeStream(std::FILE* stream, std::string_view text) {
#ifdef _WIN32
  if (writeToConsole(stream, text)) return 0;
#endif
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0)
    return 0;
  return errno != 0 ? errno : EIO;
}

}  // namespace

void prepareStandardStreams() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#else
  // /dev/null opened for reading holds a closed stream's number: the lowest
  // free number is the one taken, so they are filled in order.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = open("/dev/null", O_RDONLY);
    if (held > fd) {
      dup2(held, fd);
      close(held);
    }
  }
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
#endif
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
#ifdef _WIN32
  // argv is in the ANSI code page, which cannot hold every name.
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(utf8(wide[i]));
    LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string writeStandardOutput(std::string_view text) {
  const int error = writeStream(stdout, text);
  return error == 0 ? std::string() : fileErrorReason(error);
}

std::string writeStandardError(std::string_view text) {
  const int error = writeStream(stderr, text);
  return error == 0 ? std::string() : fileErrorReason(error);
}

void writeMessage(std::string_view message) {
  writeStream(stderr, "tarvex-batch: " + terminalText(message) + "\n");
}

}  // namespace tarvex::batch
