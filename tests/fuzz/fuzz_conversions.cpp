// Feeds arbitrary text to the text/number conversions. Checks that the
// conversions agree with each other and, where a text is a number, with the
// C library's strtod in the "C" locale.
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Conversions.h"
#include "FuzzCheck.h"

using namespace tarvex;

namespace {

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool onlyNumberCharacters(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789.eE+-") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto real = textToDouble(text);
  const auto int32 = textToInt32(text);
  const auto int16 = textToInt16(text);

  // The integer conversions are the real conversion rounded.
  if (real.ok()) {
    const auto rounded = doubleToInt32(real.value);
    FUZZ_CHECK(int32.status == rounded.status && int32.value == rounded.value);
  } else {
    FUZZ_CHECK(int32.status == real.status && int16.status == real.status);
  }
  if (int32.ok()) {
    if (int32.value >= INT16_MIN && int32.value <= INT16_MAX)
      FUZZ_CHECK(int16.ok() && int16.value == int32.value);
    else
      FUZZ_CHECK(int16.status == ConversionStatus::Overflow);
    FUZZ_CHECK(textToInt32(intToText(int32.value)).value == int32.value);
  } else if (real.ok()) {
    FUZZ_CHECK(int16.status == ConversionStatus::Overflow);
  }

  // Against strtod: every accepted text is a whole C number of the same
  // value (a value too small for a normal double may become 0), every
  // overflow is an infinity for strtod, and a rejected text made only of
  // number characters is no whole C number either.
  const std::string trimmed(trimBlanks(text));
  char* end = nullptr;
  errno = 0;
  const double reference = std::strtod(trimmed.c_str(), &end);
  const bool wholeText = !trimmed.empty() && end == trimmed.c_str() + trimmed.size();
  if (real.ok()) {
    FUZZ_CHECK(wholeText);
    FUZZ_CHECK(real.value == reference || (std::fabs(reference) < DBL_MIN && real.value == 0.0));
  } else if (real.status == ConversionStatus::Overflow) {
    FUZZ_CHECK(wholeText && std::isinf(reference));
  } else if (onlyNumberCharacters(trimmed)) {
    FUZZ_CHECK(!wholeText);
  }
  return 0;
}
