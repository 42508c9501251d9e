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
#include <system_error>

namespace tarvex {

// What the programs write. Where each may go is decided in one place,
// mayStream(): every output may go to a regular file (created when there
// is none, written through a symbolic link to the file the link names, never
// replacing the link); only an output meant to be read as it is written may
// go to something else.
enum class Output {
  DataLog,        // the run's records, in the window and the batch runner
  Points,         // the batch runner's plotted points
  Trace,          // the batch runner's CSV of the plotted points
  Plot,           // the batch runner's picture of a run or a sweep
  ParameterFile,  // a saved .prm: the window's Save, the design's --save
  Export,         // the window's saves of the graph (PNG, SVG) and of the run (CSV)
};

// Whether `output` may go to a pipe (a FIFO, a shell's |), a terminal or the
// null device rather than a regular file: the batch runner's outputs and the
// data log, which scripts read as they come (--trace /dev/stdout | ...). Any
// other device, a socket or a folder takes no output at all.
bool mayStream(Output output);
// Why `output` may not go to a named pipe: 0 when it may (a streaming
// output, where the system has pipes), else kNotRegularNamedPipe or
// kPipeNotAvailableHere.
int pipeRefusal(Output output);

// errno-like codes for a path refused by what it names. Negative, so that no
// system call ever sets one; fileErrorReason() says what they mean.
inline constexpr int kNotRegularNamedPipe = -2;
inline constexpr int kNotRegularDevice = -3;
inline constexpr int kNotRegularSocket = -4;
inline constexpr int kNotRegularOther = -5;
// A named pipe where the program has no pipes to share (WebAssembly).
inline constexpr int kPipeNotAvailableHere = -6;

// What a file that is not a regular one is, in a few words: "a directory",
// "a named pipe", "a device", "a socket" or "not a regular file".
std::string fileKindText(std::filesystem::file_type type);

// Why `output` may not be written to `path`, looked at (through links)
// without opening anything: 0 when it names nothing yet, a regular file, or
// something an output that may stream may try (a pipe, a character device:
// whether that is a terminal or the null device is known once it is open);
// else EISDIR or one of the codes above.
int outputRefusal(const std::filesystem::path& path, Output output);

// The file a path leads to through symbolic links (each link's target read
// relative to the link's folder), so that a writer that replaces the file
// replaces the file and not the link. The path itself when it is no link;
// the last name reached when a link leads nowhere (creating that creates the
// link's target); an error after 40 links (a loop).
std::filesystem::path linkTarget(const std::filesystem::path& path, std::error_code& error);

// Creates or empties the file for writing bytes; nullptr with errno set
// when that fails, or when the path names what `output` may not go to
// (outputRefusal, then what the open file turns out to be). The open never
// waits: a FIFO that nothing reads fails at once (ENXIO). A regular file is
// held for this program alone as long as it stays open: a second run that
// opens it meanwhile fails with EBUSY and leaves it as it is (on Windows no
// other program may write it either; under WebAssembly, whose files are the
// module's own, no other writer of this module). Only a regular file is
// emptied.
std::FILE* openForWriting(const std::filesystem::path& path, Output output);

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
// and can be looked at. Nothing is opened that could wait. Under
// WebAssembly the module's own file system numbers its files as a disk
// does, so the identity holds there too.
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
std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                           Output output = Output::Export);

}  // namespace tarvex
