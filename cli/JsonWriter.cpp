#include "JsonWriter.h"

#include <cmath>

#include "Conversions.h"
#include "MoveTargets.h"
#include "PrintableText.h"

namespace tarvex::batch {

JsonWriter& JsonWriter::open(char bracket) {
  if (afterValue_) out_ += ", ";
  out_ += bracket;
  afterValue_ = false;
  return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
  out_ += bracket;
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::raw(std::string_view text) {
  if (afterValue_) out_ += ", ";
  out_ += text;
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  raw(jsonString(name));
  out_ += ": ";
  afterValue_ = false;
  return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
  return raw(jsonString(text));
}

JsonWriter& JsonWriter::integer(std::int64_t value) {
  return raw(intToText(value));
}

JsonWriter& JsonWriter::number(std::optional<double> value) {
  if (!value || !std::isfinite(*value)) return null();
  return raw(design::numberText(*value));
}

JsonWriter& JsonWriter::figure(std::string_view text) {
  return text.empty() ? null() : raw(text);
}

}  // namespace tarvex::batch
