// Parameter files (".prm"): the twelve parameter texts and five of the six
// paired option boxes of the window, as two lines of comma-separated fields.
//
//   "40000","1.2","800000","600","8000","8000","10","3000","20000"<CR><LF>
//   "1000","0",1,0,1,0,0,"600"<CR><LF>
//
// Texts are written between double quotes exactly as the controls hold them
// (bytes in the system's narrow encoding, no escaping); box values bare.
// Check7 is not stored: a load rebuilds it from Check6. Check1, the
// indicator and the readouts are not part of the file.
//
// Save and load both work on FormControls, so the window and the batch
// runner share this one implementation.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>

#include "FormControls.h"

namespace tarvex {

inline constexpr int kParameterFieldCount = 17;

// One field of the file: a text box or a check box.
using ParameterFieldControl = std::variant<TextBox, CheckBox>;

// The fields in the file's own order, which follows neither the window nor
// the order in which a run converts the texts.
inline constexpr std::array<ParameterFieldControl, kParameterFieldCount> kParameterFileFields{{
    TextBox::Text10, TextBox::Text11, TextBox::Text1, TextBox::Text3, TextBox::Text2,
    TextBox::Text13, TextBox::Text4, TextBox::Text5, TextBox::Text6,  // line 1
    TextBox::Text19, TextBox::Text18, CheckBox::Check2, CheckBox::Check3, CheckBox::Check4,
    CheckBox::Check5, CheckBox::Check6, TextBox::Text20,  // line 2
}};
inline constexpr int kFieldsOnFirstLine = 9;

// The title of the message of a failed load (UTF-8).
inline constexpr std::string_view kLoadFailedTitle = "ファイル読み出しエラー";

// The file a typed name stands for: the name followed by ".prm", nothing
// trimmed or recognised ("a.prm" gives "a.prm.prm", "" gives ".prm").
std::string parameterFileName(std::string_view typed);

// The two lines of the file for the controls as they stand.
std::string formatParameterFile(const FormControls& form);

// The first text, in the file's order, that holds a double quote: the
// format has no escape for it, so such a text cannot be stored.
std::optional<TextBox> firstTextWithQuote(const FormControls& form);

enum class SaveStatus {
  Saved,
  TextHasQuote,    // `field` names the text; nothing was written
  CannotWrite,     // `error` says why; an existing file is left as it was
  NotRegularFile,  // a named pipe, a device ...: `fileKind` says which; nothing was written
};

struct SaveResult {
  SaveStatus status = SaveStatus::Saved;
  TextBox field{};
  std::error_code error;
  std::string fileKind;  // as LoadResult's
  bool ok() const { return status == SaveStatus::Saved; }
};

// Saves the controls to `path`. The content goes to a new file beside it,
// which then replaces `path` in one step, so an existing file is either
// replaced by the complete new content or left untouched. A symbolic link is
// followed: the file it leads to is replaced (beside it, in its folder) and
// the link stays. A write-protected existing file is not replaced; a path
// that leads to anything but a regular file or nothing (a named pipe, a
// device, a socket) is refused. No file stays open.
SaveResult saveParameterFile(const std::filesystem::path& path, const FormControls& form);

// The seventeen field texts, in the file's order.
using ParameterFields = std::array<std::string, kParameterFieldCount>;

// What reading the fields of a file gave: the texts of the fields read
// completely, in the file's order, with the line each begins on (counted
// from 1); where the data ended when they end before field 17 is complete.
struct FieldsRead {
  ParameterFields texts;
  std::array<int, kParameterFieldCount> lines{};
  int complete = 0;  // fields read completely: 17 for a whole file
  int endLine = 0;   // the line the data end on, when complete < 17
  bool whole() const { return complete == kParameterFieldCount; }
};

// Reads the fields of a parameter file. A UTF-8 byte order mark at the
// start is skipped. A comma or a line end (CR LF, LF or CR) ends a field. A
// field whose first character after any blanks is a double quote runs to the
// next double quote (commas and line ends inside belong to the text;
// anything between the closing quote and the next comma or line end is
// dropped); any other field runs to the next comma or line end, blanks
// before it skipped. Fields 1 to 16 are read in one go and field 17 in a
// second; anything after field 17 is ignored. A quoted field without its
// closing quote is not complete. `cutShort` tells that the file goes on past
// `bytes`: a field that runs to their end is then not complete either.
FieldsRead readParameterFields(std::string_view bytes, bool cutShort = false);

// The first box field (0-based index in the file's order) that does not
// convert (16 bits, halves to even) to 0, 1 or 2.
std::optional<int> firstBadBoxValue(const ParameterFields& fields);

// How much of a file a load reads at most. Twelve texts of the longest a
// text box holds (32767 characters) take under 1.2 MB even in UTF-8, so a
// parameter file is always read whole; a longer file, or an endless one
// such as a device, has its 17 fields within this or does not load.
inline constexpr std::size_t kParameterFileReadLimit = std::size_t{2} << 20;

// Sets the controls from the fields in the file's order, then Check7 to the
// complement of Check6 (1 when Check6 is 0, else 0). Boxes are set as code
// sets them, so the pair handlers run. Every box field is checked first:
// when one is not 0, 1 or 2, false is returned and no control is changed.
bool applyParameterFields(const ParameterFields& fields, FormControls& form);

// Why a load failed.
enum class LoadFailure {
  None,
  NotFound,          // no file of that name
  NotRegularFile,    // a folder, a named pipe, a device ...: `fileKind` says which
  NotReadable,       // `error` says why
  NotParameterFile,  // the fields end early or a box field holds no box value
};

struct LoadResult {
  LoadFailure failure = LoadFailure::None;
  std::error_code error;
  // A file that is not a parameter file: the field (1 to 17) where reading
  // stopped and the line it is on; what it holds, or nothing when the data
  // end before it is complete.
  int field = 0;
  int line = 0;
  std::optional<std::string> found;
  // A file that is not a regular one: "a directory", "a named pipe", "a
  // device", "a socket" or "not a regular file".
  std::string fileKind;
  bool ok() const { return failure == LoadFailure::None; }
};

// Loads `path` into the controls: the whole of the window's Load after the
// file name is known. Only a regular file is opened, so that nothing waits
// for a pipe or a device. The whole file is read and checked before any
// control changes: on any failure every control is left as it was. No file
// stays open.
LoadResult loadParameterFile(const std::filesystem::path& path, FormControls& form);

// The name of field `index` (0-based, the file's order): its caption in
// Japanese (UTF-8, no colon), e.g. "自動減速", or its English name, e.g.
// "automatic deceleration".
std::string fileFieldCaption(int index);
std::string fileFieldName(int index);

// A text found in a file, cut to at most about `limit` bytes (at a
// character boundary of UTF-8) with "..." when longer.
std::string shortened(std::string_view text, std::size_t limit = 40);

// One English line for the batch runner, naming `file`, e.g.
// "cannot load a.prm: not a parameter file: field 12 (automatic deceleration)
// on line 2 holds \"100.000\", where 0, 1 or 2 belongs; nothing was loaded".
std::string describeLoadFailure(const LoadResult& result, std::string_view file);

}  // namespace tarvex
