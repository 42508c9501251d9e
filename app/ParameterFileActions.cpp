#include "ParameterFileActions.h"

namespace tarvex {

void saveParametersInteractively(QWidget*, FormControls&) {}
void loadParametersInteractively(QWidget*, FormControls&) {}

}  // namespace tarvex
