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

 private:
  bool atEnd() const { return pos_ == bytes_.size(); }

  bool readField(std::string& field) {
    while (!atEnd() && isBlank(bytes_[pos_])) ++pos_;
    if (atEnd()) return false;
    if (bytes_[pos_] == '"') {
      const std::size_t close = bytes_.find('"', pos_ + 1);
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

std::optional<FileHead> readFileHead(const fs::path& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  // istream::read turns a failing read (a folder, a device error) into the
  // bad state instead of letting the buffer's exception through.
  FileHead head;
  char buffer[4096];
  do {
    in.read(buffer, sizeof buffer);
    head.bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  } while (in && head.bytes.size() <= limit);
  if (in.bad()) return std::nullopt;
  if (head.bytes.size() > limit) {
    head.bytes.resize(limit);
    head.cutShort = true;
  }
  return head;
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
  const std::optional<FileHead> head = readFileHead(path, kParameterFileReadLimit);
  if (!head) return false;
  const std::optional<ParameterFields> fields = readParameterFields(head->bytes, head->cutShort);
  return fields && applyParameterFields(*fields, form);
}

}  // namespace tarvex
