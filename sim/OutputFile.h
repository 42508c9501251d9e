// Files the program writes (the data log, the graph, the points), opened
// from a path in the platform's own form, so that any name the user can type
// is used as it is: bytes on POSIX systems, UTF-16 on Windows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

// Creates or empties the file for writing bytes; nullptr with errno set
// when that fails. The open never waits: a FIFO that nothing reads fails at
// once (ENXIO). A regular file is held for this program alone as long as it
// stays open: a second run that opens it meanwhile fails with EBUSY and
// leaves it as it is (on Windows no other program may write it either).
std::FILE* openForWriting(const std::filesystem::path& path);

// What makes a file the one it is, whatever name reaches it: the device and
// the inode on POSIX systems, the volume and the file ID on Windows. Pipes,
// FIFOs and devices have one as well as regular files.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool nullDevice = false;  // the one file any number of outputs may share
  bool regular = false;     // a regular file, rather than a pipe or a device
  bool operator==(const FileIdentity& other) const {
    return device == other.device && file == other.file;
  }
};

// The identity of the file `path` names (through any links), if it exists
// and can be looked at. Nothing is opened that could wait.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);
// The identity of the file the standard output writes to, if any.
std::optional<FileIdentity> standardOutputIdentity();
// Whether the standard output adds to the end of a file it was given
// (a shell's >>) rather than writing it from the start.
bool standardOutputAppends();

// Why a file operation failed, from its errno: the system's words, or ours
// where they would not tell the user what happened.
std::string fileErrorReason(int error);

// The path as text for a message (UTF-8 where the platform has names in
// UTF-16).
std::string pathText(const std::filesystem::path& path);

// The path a text names, the other way round: its bytes as they are on
// POSIX systems, the text read as UTF-8 on Windows.
std::filesystem::path pathFromText(std::string_view text);

// Writes `bytes` as the whole content of the open file and closes it. Empty
// when every byte is on disk, else what went wrong ("cannot write PATH:
// reason"), the file closed all the same.
std::string writeAndClose(std::FILE* file, const std::filesystem::path& path,
                          std::string_view bytes);

// Creates or empties the file and writes `bytes` as its whole content.
// Empty when every byte is on disk, else what went wrong.
std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tarvex
