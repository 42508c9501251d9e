// Save and Load of parameter files from the window: the input boxes, the
// file, and the message boxes.
#pragma once

class QWidget;

namespace tarvex {

class FormControls;

// Command3: asks for a name and saves the parameter fields and boxes.
void saveParametersInteractively(QWidget* parent, FormControls& form);
// Command4: asks for a name and loads the parameter fields and boxes.
void loadParametersInteractively(QWidget* parent, FormControls& form);

}  // namespace tarvex
