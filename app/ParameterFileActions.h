// Save and Load of parameter files from the window: the input boxes, the
// file, and the message boxes.
#pragma once

class QWidget;

namespace tarvex {

class FormControls;

// パラメータ保存: asks for a name and saves the parameter fields and boxes to the
// name followed by ".prm" in the working directory. Cancel saves nothing; an
// existing file is replaced only when the user agrees. A text holding a double quote, or a file
// that cannot be written, is reported in a message box; an existing file is then left as it was.
void saveParametersInteractively(QWidget* parent, FormControls& form);
// パラメータ読出: asks for a name and loads the parameter fields and boxes from the
// name followed by ".prm". Cancel loads nothing. A file that is missing,
// cannot be read or is not a parameter file changes nothing, and the message
// names the file and what is wrong with it.
void loadParametersInteractively(QWidget* parent, FormControls& form);

}  // namespace tarvex
