#include "ParameterFile.h"

#include <cerrno>
#include <fstream>
#include <random>

#include "Conversions.h"
#include "OutputFile.h"

namespace tarvex {
namespace fs = std::filesystem;

namespace {

bool isLineEnd(char c) {
  return c == '\r' || c == '\n';
}
bool endsField(char c) {
  return c == ',' || isLineEnd(c);
}

// The line ends in `text`; CR LF is one.
int lineEndsIn(std::string_view text) {
  int count = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
      ++count;
  return count;
}

// Reads fields one after another, counting the lines they begin on. A line
// end separates fields exactly as a comma does, so reading runs on from one
// line into the next.
class FieldReader {
 public:
  FieldReader(std::string_view bytes, bool cutShort) : bytes_(bytes), cutShort_(cutShort) {}

  // Reads the next `count` fields into `read`; false when the data end first.
  bool read(FieldsRead& read, int count) {
    for (int i = 0; i < count; ++i) {
      if (!readField(read.texts[read.complete], read.lines[read.complete])) {
        read.endLine = line_;
        return false;
      }
      ++read.complete;
    }
    return true;
  }

 private:
  bool atEnd() const { return pos_ == bytes_.size(); }

  bool readField(std::string& field, int& line) {
    while (!atEnd() && isBlank(bytes_[pos_])) ++pos_;
    line = line_;
    if (atEnd()) return false;
    if (bytes_[pos_] == '"') {
      const std::size_t close = bytes_.find('"', pos_ + 1);
      if (close == std::string_view::npos) return false;
      field.assign(bytes_.substr(pos_ + 1, close - pos_ - 1));
      line_ += lineEndsIn(field);
      pos_ = close + 1;
      while (!atEnd() && !endsField(bytes_[pos_])) ++pos_;  // stray text after the quote
    } else {
      const std::size_t start = pos_;
      while (!atEnd() && !endsField(bytes_[pos_])) ++pos_;
      if (atEnd() && cutShort_) return false;  // it may go on past what was read
      field.assign(bytes_.substr(start, pos_ - start));
    }
    skipSeparator();
    return true;
  }

  // Steps over the comma or line end that closed a field; CR LF is one
  // line end.
  void skipSeparator() {
    if (atEnd()) return;
    const char separator = bytes_[pos_++];
    if (separator == '\r' && !atEnd() && bytes_[pos_] == '\n') ++pos_;
    if (isLineEnd(separator)) ++line_;
  }

  std::string_view bytes_;
  bool cutShort_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

std::error_code lastErrorOr(std::errc fallback) {
  return errno != 0 ? std::error_code(errno, std::generic_category())
                    : std::make_error_code(fallback);
}

// A name beside `path` that no file has yet.
fs::path unusedNameBeside(const fs::path& path) {
  std::random_device entropy;
  fs::path candidate;
  for (int attempt = 0; attempt < 100; ++attempt) {
    candidate = path;
    candidate += ".~" + std::to_string(entropy()) + ".tmp";
    std::error_code ec;
    if (!fs::exists(candidate, ec) && !ec) break;
  }
  return candidate;
}

// Replaces the file at `path` by `content`: writes a new file beside it and
// renames that over `path`, so a failure at any point leaves an existing
// file as it was. Both the POSIX rename and the Windows one used by
// std::filesystem::rename (MoveFileExW with MOVEFILE_REPLACE_EXISTING)
// replace an existing file in one step. On Windows the rename fails with
// "Permission denied" while another program holds the old file open (an
// editor, a second window loading it): the old file is kept and the new one
// removed, and the user is told, as for any failed save.
std::error_code replaceFileContent(const fs::path& path, std::string_view content) {
  std::error_code ec;
  const fs::file_status existing = fs::status(path, ec);
  if (fs::is_directory(existing)) return std::make_error_code(std::errc::is_a_directory);
  // A rename would replace a write-protected file on POSIX systems, where
  // only the folder's permissions count; such a file is kept everywhere.
  if (fs::exists(existing) && (existing.permissions() & fs::perms::owner_write) == fs::perms::none)
    return std::make_error_code(std::errc::permission_denied);

  const fs::path temporary = unusedNameBeside(path);
  {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return lastErrorOr(std::errc::io_error);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (out.fail()) {
      const std::error_code error = lastErrorOr(std::errc::io_error);
      fs::remove(temporary, ec);
      return error;
    }
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return ec;
  }
  return {};
}

// The first `limit` bytes of a file, and whether more follow.
struct FileHead {
  std::string bytes;
  bool cutShort = false;
};

// The head of the file, or why it cannot be read.
std::optional<FileHead> readFileHead(const fs::path& path, std::size_t limit, LoadResult& result) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) {
    result.failure = LoadFailure::NotFound;
    return std::nullopt;
  }
  result.failure = LoadFailure::NotReadable;
  if (ec) {
    result.error = ec;
    return std::nullopt;
  }
  // Anything but a regular file (a folder, a pipe, a device) is refused
  // before it is opened: reading one could wait for ever.
  if (!fs::is_regular_file(status)) {
    result.failure = LoadFailure::NotRegularFile;
    result.fileKind = fileKindText(status.type());
    return std::nullopt;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.error = ec ? ec : lastErrorOr(std::errc::permission_denied);
    return std::nullopt;
  }
  // istream::read turns a failing read (a device error) into the bad state
  // instead of letting the buffer's exception through.
  FileHead head;
  char buffer[4096];
  do {
    in.read(buffer, sizeof buffer);
    head.bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  } while (in && head.bytes.size() <= limit);
  if (in.bad()) {
    result.error = lastErrorOr(std::errc::io_error);
    return std::nullopt;
  }
  if (head.bytes.size() > limit) {
    head.bytes.resize(limit);
    head.cutShort = true;
  }
  result.failure = LoadFailure::None;
  return head;
}

bool isBoxField(int index) {
  return std::holds_alternative<CheckBox>(kParameterFileFields[static_cast<std::size_t>(index)]);
}

}  // namespace

std::string parameterFileName(std::string_view typed) {
  std::string name(typed);
  name += ".prm";
  return name;
}

std::string formatParameterFile(const FormControls& form) {
  std::string out;
  for (int i = 0; i < kParameterFieldCount; ++i) {
    const ParameterFieldControl& control = kParameterFileFields[i];
    if (const auto* box = std::get_if<TextBox>(&control)) {
      out += '"';
      out += form.text(*box);
      out += '"';
    } else {
      out += intToText(form.optionValue(std::get<CheckBox>(control)));
    }
    const int number = i + 1;
    out += number == kFieldsOnFirstLine || number == kParameterFieldCount ? "\r\n" : ",";
  }
  return out;
}

std::optional<TextBox> firstTextWithQuote(const FormControls& form) {
  for (const ParameterFieldControl& control : kParameterFileFields) {
    const auto* box = std::get_if<TextBox>(&control);
    if (box != nullptr && form.text(*box).find('"') != std::string::npos) return *box;
  }
  return std::nullopt;
}

SaveResult saveParameterFile(const fs::path& path, const FormControls& form) {
  if (const auto quoted = firstTextWithQuote(form))
    return {SaveStatus::TextHasQuote, *quoted, {}, {}};
  // A pipe, a device or a socket takes no parameter file, whatever links
  // lead to it: the new file would take its place (as root, a system's
  // device file) rather than be written into it.
  const auto notRegular = [](const fs::path& at) {
    std::error_code ignored;
    return SaveResult{
        SaveStatus::NotRegularFile, {}, {}, fileKindText(fs::status(at, ignored).type())};
  };
  const int refusal = outputRefusal(path, Output::ParameterFile);
  if (refusal != 0 && refusal != EISDIR) return notRegular(path);
  // The new content replaces the file a symbolic link leads to, in the
  // link's target's folder, and the link stays: replacing the link itself
  // would cut it from the file it names, which the user chose it for.
  std::error_code error;
  const fs::path target = linkTarget(path, error);
  if (error) return {SaveStatus::CannotWrite, {}, error, {}};
  // A name whose links cannot be followed by their texts (a link of the
  // system's that names an open file) is left alone.
  std::error_code ignored;
  if (target != path && (fs::exists(path, ignored) != fs::exists(target, ignored) ||
                         outputRefusal(target, Output::ParameterFile) != 0))
    return notRegular(path);
  if (const std::error_code failed = replaceFileContent(target, formatParameterFile(form)))
    return {SaveStatus::CannotWrite, {}, failed, {}};
  return {};
}

FieldsRead readParameterFields(std::string_view bytes, bool cutShort) {
  constexpr std::string_view byteOrderMark = "\xef\xbb\xbf";
  if (bytes.substr(0, byteOrderMark.size()) == byteOrderMark) bytes.remove_prefix(3);
  FieldsRead read;
  FieldReader reader(bytes, cutShort);
  if (reader.read(read, kParameterFieldCount - 1)) reader.read(read, 1);
  return read;
}

std::optional<int> firstBadBoxValue(const ParameterFields& fields) {
  for (int i = 0; i < kParameterFieldCount; ++i) {
    if (!isBoxField(i)) continue;
    const Converted<std::int16_t> value = textToInt16(fields[static_cast<std::size_t>(i)]);
    if (!value.ok() || value.value < kUnchecked || value.value > kGrayed) return i;
  }
  return std::nullopt;
}

bool applyParameterFields(const ParameterFields& fields, FormControls& form) {
  if (firstBadBoxValue(fields)) return false;
  for (int i = 0; i < kParameterFieldCount; ++i) {
    const ParameterFieldControl& control = kParameterFileFields[static_cast<std::size_t>(i)];
    const std::string& text = fields[static_cast<std::size_t>(i)];
    if (const auto* box = std::get_if<TextBox>(&control))
      form.setText(*box, text);
    else
      form.setOptionValue(std::get<CheckBox>(control), textToInt16(text).value);
  }
  const OptionPair& symmetric = pairOf(RunOption::Symmetric);
  form.setOptionValue(symmetric.on,
                      form.optionValue(symmetric.off) == kUnchecked ? kChecked : kUnchecked);
  return true;
}

LoadResult loadParameterFile(const fs::path& path, FormControls& form) {
  LoadResult result;
  const std::optional<FileHead> head = readFileHead(path, kParameterFileReadLimit, result);
  if (!head) return result;
  const FieldsRead read = readParameterFields(head->bytes, head->cutShort);
  if (!read.whole()) {
    result.failure = LoadFailure::NotParameterFile;
    result.field = read.complete + 1;
    result.line = read.endLine;
    return result;
  }
  if (const std::optional<int> bad = firstBadBoxValue(read.texts)) {
    result.failure = LoadFailure::NotParameterFile;
    result.field = *bad + 1;
    result.line = read.lines[static_cast<std::size_t>(*bad)];
    result.found = read.texts[static_cast<std::size_t>(*bad)];
    return result;
  }
  applyParameterFields(read.texts, form);
  return result;
}

std::string fileFieldCaption(int index) {
  const ParameterFieldControl& control = kParameterFileFields[static_cast<std::size_t>(index)];
  if (const auto* box = std::get_if<TextBox>(&control)) {
    std::string caption(fieldOf(*parameterIn(*box)).caption);
    constexpr std::string_view colon = "：";
    if (caption.ends_with(colon)) caption.resize(caption.size() - colon.size());
    return caption;
  }
  return std::string(captionOf(std::get<CheckBox>(control)));
}

std::string fileFieldName(int index) {
  const ParameterFieldControl& control = kParameterFileFields[static_cast<std::size_t>(index)];
  if (const auto* box = std::get_if<TextBox>(&control))
    return std::string(parameterName(*parameterIn(*box)));
  return std::string(nameOf(std::get<CheckBox>(control)));
}

std::string shortened(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

std::string describeLoadFailure(const LoadResult& result, std::string_view file) {
  std::string text = "cannot load " + std::string(file) + ": ";
  switch (result.failure) {
    case LoadFailure::None:
      return {};
    case LoadFailure::NotFound:
      return text + "missing (no such file)";
    case LoadFailure::NotRegularFile:
      return text + "not a regular file (" + result.fileKind + ")";
    case LoadFailure::NotReadable:
      return text + "not readable (" + result.error.message() + ")";
    case LoadFailure::NotParameterFile:
      break;
  }
  text += "not a parameter file: ";
  const std::string where = "field " + std::to_string(result.field) + " (" +
                            fileFieldName(result.field - 1) + ") on line " +
                            std::to_string(result.line);
  if (!result.found)
    text += "the data end before " + where + " is complete (17 fields)";
  else
    text += where + " holds \"" + shortened(*result.found) + "\", where 0, 1 or 2 belongs";
  return text + "; nothing was loaded";
}

}  // namespace tarvex
