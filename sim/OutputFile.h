// Files the program writes (the data log, the graph, the points), opened
// from a path in the platform's own form, so that any name the user can type
// is used as it is: bytes on POSIX systems, UTF-16 on Windows.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace tarvex {

// Creates or empties the file for writing bytes; nullptr with errno set
// when that fails.
std::FILE* openForWriting(const std::filesystem::path& path);

// The path as text for a message (UTF-8 where the platform has names in
// UTF-16).
std::string pathText(const std::filesystem::path& path);

// Writes `bytes` as the whole content of the file. Empty when every byte is
// on disk, else what went wrong ("cannot write PATH: reason").
std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tarvex
