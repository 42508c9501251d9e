// Feeds arbitrary bytes to the parameter-file reader and applies what it
// reads to a freshly opened window. Beyond memory safety it checks that the
// option pairs end consistent and that what Save writes reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Conversions.h"
#include "FormModel.h"
#include "FuzzCheck.h"
#include "ParameterFile.h"
#include "StartupValues.h"

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const FieldsRead read = readParameterFields(bytes);
  if (!read.whole()) return 0;
  const ParameterFields* fields = &read.texts;

  FormModel form;
  applyStartupValues(form);
  const std::string before = formatParameterFile(form);
  const bool applied = applyParameterFields(*fields, form);
  FUZZ_CHECK(applied || formatParameterFile(form) == before);  // all or nothing
  for (int n = 1; n <= kCheckBoxCount; ++n) {
    const auto value = form.optionValue(checkBoxNumber(n));
    FUZZ_CHECK(value >= kUnchecked && value <= kGrayed);
  }
  if (applied) {
    const auto check6 = form.optionValue(CheckBox::Check6);
    const auto check7 = form.optionValue(CheckBox::Check7);
    FUZZ_CHECK(check7 == (check6 == kUnchecked ? kChecked : kUnchecked));
    FUZZ_CHECK(form.text(TextBox::Text20) == (*fields)[kParameterFieldCount - 1]);
  }

  // Whatever the window now holds, Save writes it and Load reads it back
  // field for field, unless a text holds a double quote (Save refuses those).
  if (firstTextWithQuote(form)) return 0;
  const FieldsRead reread = readParameterFields(formatParameterFile(form));
  FUZZ_CHECK(reread.whole());
  const ParameterFields* again = &reread.texts;
  for (int i = 0; i < kParameterFieldCount; ++i) {
    const ParameterFieldControl& control = kParameterFileFields[i];
    if (const auto* box = std::get_if<TextBox>(&control))
      FUZZ_CHECK((*again)[i] == form.text(*box));
    else
      FUZZ_CHECK((*again)[i] == intToText(form.optionValue(std::get<CheckBox>(control))));
  }
  return 0;
}
