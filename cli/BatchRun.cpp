#include "BatchRun.h"

#include <variant>

#include "ParameterFile.h"
#include "StartupValues.h"

namespace tarvex::batch {

LoadResult prepareForm(const BatchOptions& options, FormModel& form) {
  applyStartupValues(form);
  // The file is loaded as the window's Load button would, by its full name.
  if (options.parameterFile) {
    const LoadResult loaded = loadParameterFile(*options.parameterFile, form);
    if (!loaded.ok()) return loaded;
  }
  for (const auto& step : options.setup) {
    if (const auto* text = std::get_if<SetText>(&step))
      form.setText(text->box, text->text);
    else if (const auto* box = std::get_if<SetBox>(&step))
      form.setOptionValue(box->box, box->value);
  }
  return {};
}

BatchRun::BatchRun(const FormModel& form, const BatchOptions& options, GraphSurface& surface,
                   const std::filesystem::path& logPath, TraceSink* trace)
    : form_(form), readouts_(form_, options), session_(form_, readouts_) {
  session_.drawOn(surface).traceTo(trace).logTo(logPath).computeEveryTick(options.tickByTick);
}

RunOutcome BatchRun::run() {
  result_ = session_.run();
  readouts_.showInForm();
  return result_.outcome;
}

}  // namespace tarvex::batch
