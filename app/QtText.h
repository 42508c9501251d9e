// Text and paths between the window (QString) and the rest of the program
// (UTF-8 and std::filesystem).
#pragma once

#include <filesystem>
#include <string_view>

#include <QString>

namespace tarvex::window {

inline QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A file name chosen in a dialog, in the platform's own form (UTF-16 on
// Windows), so that any name the dialog offers is kept.
inline std::filesystem::path toPath(const QString& name) {
  return std::filesystem::path(name.toStdU16String());
}

}  // namespace tarvex::window
