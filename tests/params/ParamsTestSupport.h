// Helpers shared by the parameter-file tests and the dialog tests.
#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FormModel.h"
#include "StartupValues.h"

namespace tarvex::test {

// What Save writes for a freshly opened window.
inline const std::string kStartupFile =
    "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\",\"20000\"\r\n"
    "\"1000\",\"0\",1,0,1,0,0,\"600\"\r\n";

inline FormModel startupForm() {
  FormModel form;
  applyStartupValues(form);
  return form;
}

// Everything a form shows, for comparing before and after.
struct FormState {
  std::array<std::string, kTextBoxCount> texts;
  std::array<int, kCheckBoxCount> boxes;
  bool indicator;
  bool operator==(const FormState&) const = default;
};

inline FormState stateOf(const FormModel& form) {
  FormState state{};
  for (int n = 1; n <= kTextBoxCount; ++n) state.texts[n - 1] = form.text(textBoxNumber(n));
  for (int n = 1; n <= kCheckBoxCount; ++n)
    state.boxes[n - 1] = form.optionValue(checkBoxNumber(n));
  state.indicator = form.indicator();
  return state;
}

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace tarvex::test
