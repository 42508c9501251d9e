// The twelve parameter texts a run starts from, exactly as typed.
#pragma once

#include <array>
#include <string>

#include "FormControls.h"

namespace tarvex {

struct RunParameters {
  std::array<std::string, kParamFieldCount> texts;

  const std::string& operator[](ParamField f) const { return texts[static_cast<std::size_t>(f)]; }
  std::string& operator[](ParamField f) { return texts[static_cast<std::size_t>(f)]; }

  // Reads the twelve parameter fields of the window.
  static RunParameters fromForm(const FormControls& form);
};

}  // namespace tarvex
