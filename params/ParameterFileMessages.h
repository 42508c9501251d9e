// What the window and the page tell the user when a parameter file cannot be
// saved or loaded, in Japanese (UTF-8): one text for both.
#pragma once

#include <string>
#include <string_view>

#include "ParameterFile.h"

namespace tarvex {

// The caption beside a parameter field without its closing colon
// ("レンジ"); empty for a box that holds no parameter.
std::string fieldCaptionWithoutColon(TextBox box);

struct SaveFailureText {
  std::string title;
  std::string message;
};

// A save that failed: a text with a double quote names its field; a path
// that names no regular file is refused with its kind; a file that could not
// be written is named as the user typed it (`name`, UTF-8) with the system's
// reason.
SaveFailureText saveFailureTextJapanese(std::string_view name, const SaveResult& result);

// A load that failed (titled kLoadFailedTitle), naming the file as the user
// chose it (`name`, UTF-8), and saying that no control has changed. Empty
// for a load that did not fail.
std::string loadFailureTextJapanese(std::string_view name, const LoadResult& result);

}  // namespace tarvex
