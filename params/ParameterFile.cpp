#include "ParameterFile.h"

#include <cerrno>
#include <fstream>
#include <random>

#include "Conversions.h"

namespace tarvex {
namespace fs = std::filesystem;

namespace {

bool isLineEnd(char c) {
  return c == '\r' || c == '\n';
}
bool endsField(char c) {
  return c == ',' || isLineEnd(c);
}

// Reads fields one after another. A line end separates fields exactly as a
// comma does, so reading runs on from one line into the next.
class FieldReader {
 public:
  FieldReader(std::string_view bytes, bool cutShort) : bytes_(bytes), cutShort_(cutShort) {}

  // Reads the next `count` fields into `out`; false when the data end first.
  bool read(std::string* out, int count) {
    for (int i = 0; i < count; ++i)
      if (!readField(out[i])) return false;
    return true;
  }

  // Where the field that could not be read starts (once read() failed),
  // and whether it is a quoted text without its closing quote.
  std::size_t fieldStart() const { return fieldStart_; }
  bool unclosedQuote() const { return unclosedQuote_; }

 private:
  bool atEnd() const { return pos_ == bytes_.size(); }

  bool readField(std::string& field) {
    while (!atEnd() && isBlank(bytes_[pos_])) ++pos_;
    fieldStart_ = pos_;
    if (atEnd()) return false;
    if (bytes_[pos_] == '"') {
      const std::size_t close = bytes_.find('"', pos_ + 1);
      unclosedQuote_ = close == std::string_view::npos;
      if (close == std::string_view::npos) return false;
      field.assign(bytes_.substr(pos_ + 1, close - pos_ - 1));
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
  }

  std::string_view bytes_;
  bool cutShort_;
  std::size_t pos_ = 0;
  std::size_t fieldStart_ = 0;
  bool unclosedQuote_ = false;
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

// What a file that is not a regular file is, in a few words.
std::string kindOfFile(const fs::file_status& status) {
  switch (status.type()) {
    case fs::file_type::directory:
      return "a directory";
    case fs::file_type::fifo:
      return "a named pipe";
    case fs::file_type::character:
    case fs::file_type::block:
      return "a device";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

// The first `limit` bytes of a regular file, and whether more follow; or
// why they cannot be had. Anything else (a pipe, a device, a folder) is
// refused before it is opened, for reading one could wait for ever.
std::variant<FileHead, LoadFailure> readFileHead(const fs::path& path, std::size_t limit) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found)
    return LoadFailure{LoadFailureKind::Missing,
                       std::make_error_code(std::errc::no_such_file_or_directory).message()};
  if (error) return LoadFailure{LoadFailureKind::NotReadable, error.message()};
  if (!fs::is_regular_file(status))
    return LoadFailure{LoadFailureKind::NotRegularFile, kindOfFile(status)};
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return LoadFailure{LoadFailureKind::NotReadable, lastErrorOr(std::errc::io_error).message()};
  // istream::read turns a failing read (a device error) into the bad state
  // instead of letting the buffer's exception through.
  FileHead head;
  char buffer[4096];
  do {
    in.read(buffer, sizeof buffer);
    head.bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  } while (in && head.bytes.size() <= limit);
  if (in.bad())
    return LoadFailure{LoadFailureKind::NotReadable, lastErrorOr(std::errc::io_error).message()};
  if (head.bytes.size() > limit) {
    head.bytes.resize(limit);
    head.cutShort = true;
  }
  return head;
}

// "line 2, field 12 (Check2 of 17)" for a field by its index in the file.
std::string fieldPlace(std::string_view bytes, std::size_t at, int index) {
  int line = 1;
  for (std::size_t i = 0; i < at && i < bytes.size(); ++i)
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
      ++line;
  const ParameterFieldControl& control = kParameterFileFields[static_cast<std::size_t>(index)];
  const std::string name = std::holds_alternative<TextBox>(control)
                               ? controlName(std::get<TextBox>(control))
                               : controlName(std::get<CheckBox>(control));
  return "line " + std::to_string(line) + ", field " + std::to_string(index + 1) + " of " +
         std::to_string(kParameterFieldCount) + " (" + name + ")";
}

// A text found in the file for a message: at most 40 bytes of it.
std::string found(std::string_view text) {
  constexpr std::size_t kShown = 40;
  return "'" + std::string(text.substr(0, kShown)) + (text.size() > kShown ? "...'" : "'");
}

// Why the bytes are not a parameter file, or nothing when they are one;
// the fields are set in `form` as loadParameterFile sets them.
std::optional<LoadFailure> applyFile(std::string_view bytes, bool cutShort, FormControls& form) {
  ParameterFields fields;
  FieldReader reader(bytes, cutShort);
  std::array<std::size_t, kParameterFieldCount> starts{};
  int read = 0;
  while (read < kParameterFieldCount && reader.read(fields.data() + read, 1))
    starts[static_cast<std::size_t>(read++)] = reader.fieldStart();
  if (read < kParameterFieldCount) {
    const std::size_t start = reader.fieldStart();
    const std::string what =
        reader.unclosedQuote()
            ? "the quoted text " + found(bytes.substr(start)) + " has no closing quote"
        : start < bytes.size() ? "the file is cut short in " + found(bytes.substr(start))
                               : "the file ends before it";
    return LoadFailure{LoadFailureKind::NotParameterFile,
                       fieldPlace(bytes, start, read) + ": " + what};
  }
  if (applyParameterFields(fields, form)) return std::nullopt;
  for (int i = 0; i < kParameterFieldCount; ++i) {
    const Converted<std::int16_t> value = textToInt16(fields[i]);
    if (std::holds_alternative<CheckBox>(kParameterFileFields[i]) &&
        (!value.ok() || value.value < kUnchecked || value.value > kGrayed))
      return LoadFailure{LoadFailureKind::NotParameterFile,
                         fieldPlace(bytes, starts[static_cast<std::size_t>(i)], i) + ": " +
                             found(fields[i]) + " is not a box value (0, 1 or 2)"};
  }
  return LoadFailure{LoadFailureKind::NotParameterFile, "a box value is not 0, 1 or 2"};
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
  if (const auto quoted = firstTextWithQuote(form)) return {SaveStatus::TextHasQuote, *quoted, {}};
  if (const std::error_code error = replaceFileContent(path, formatParameterFile(form)))
    return {SaveStatus::CannotWrite, {}, error};
  return {};
}

std::optional<ParameterFields> readParameterFields(std::string_view bytes, bool cutShort) {
  ParameterFields fields;
  FieldReader reader(bytes, cutShort);
  if (!reader.read(fields.data(), kParameterFieldCount - 1)) return std::nullopt;
  if (!reader.read(fields.data() + kParameterFieldCount - 1, 1)) return std::nullopt;
  return fields;
}

bool applyParameterFields(const ParameterFields& fields, FormControls& form) {
  for (int i = 0; i < kParameterFieldCount; ++i) {
    const ParameterFieldControl& control = kParameterFileFields[i];
    if (const auto* box = std::get_if<TextBox>(&control)) {
      form.setText(*box, fields[i]);
      continue;
    }
    const Converted<std::int16_t> value = textToInt16(fields[i]);
    if (!value.ok() || value.value < kUnchecked || value.value > kGrayed) return false;
    form.setOptionValue(std::get<CheckBox>(control), value.value);
  }
  form.setOptionValue(CheckBox::Check7,
                      form.optionValue(CheckBox::Check6) == kUnchecked ? kChecked : kUnchecked);
  return true;
}

bool loadParameterFile(const fs::path& path, FormControls& form) {
  return !loadParameterFileOrWhy(path, form).has_value();
}

std::optional<LoadFailure> loadParameterFileOrWhy(const fs::path& path, FormControls& form) {
  auto head = readFileHead(path, kParameterFileReadLimit);
  if (auto* failure = std::get_if<LoadFailure>(&head)) return std::move(*failure);
  const FileHead& file = std::get<FileHead>(head);
  return applyFile(file.bytes, file.cutShort, form);
}

}  // namespace tarvex
