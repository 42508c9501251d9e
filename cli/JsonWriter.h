// The runner's JSON: one value on one line, members and items separated by
// ", " and a key from its value by ": ". Texts are quoted by jsonString;
// numbers are written by the outputs' own number formatting, so that a
// figure reads the same in every output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex::batch {

class JsonWriter {
 public:
  JsonWriter& beginObject() { return open('{'); }
  JsonWriter& endObject() { return close('}'); }
  JsonWriter& beginArray() { return open('['); }
  JsonWriter& endArray() { return close(']'); }
  // The name of the object's next member.
  JsonWriter& key(std::string_view name);

  JsonWriter& string(std::string_view text);
  JsonWriter& integer(std::int64_t value);
  // The shortest text that reads back as the value, without an exponent
  // (numberText); null when it is not finite or not there.
  JsonWriter& number(std::optional<double> value);
  // A figure as the tables print it (fixed decimals); null when it is empty.
  JsonWriter& figure(std::string_view text);
  JsonWriter& boolean(bool value) { return raw(value ? "true" : "false"); }
  JsonWriter& null() { return raw("null"); }

  // What has been written, ended by a line end.
  std::string line() const { return out_ + "\n"; }

 private:
  JsonWriter& open(char bracket);
  JsonWriter& close(char bracket);
  JsonWriter& raw(std::string_view text);

  std::string out_;
  bool afterValue_ = false;  // a value ends the text: the next one needs ", "
};

}  // namespace tarvex::batch
