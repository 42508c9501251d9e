// Save and Load of parameter files from the window: the input boxes, the
// file, and the message boxes.
#pragma once

class QWidget;

namespace tarvex {

class FormControls;

// パラメータ保存: asks for a name and saves the parameter fields and boxes to the
// name followed by ".prm" in the working directory. Cancel saves nothing. A
// text holding a double quote, or a file that cannot be written, is reported
// in a message box; an existing file is then left as it was.
void saveParametersInteractively(QWidget* parent, FormControls& form);
// パラメータ読出: asks for a name and loads the parameter fields and boxes from the
// name followed by ".prm". Cancel loads nothing. Every failure shows the one
// message "指定のファイルが見つかりません".
void loadParametersInteractively(QWidget* parent, FormControls& form);

}  // namespace tarvex
