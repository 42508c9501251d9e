#include "StartupValues.h"

namespace tarvex {

void applyStartupValues(FormControls& form) {
  form.setIndicator(false);
  form.setText(TextBox::Text1, "800000");  // range
  form.setText(TextBox::Text2, "8000");    // acceleration
  form.setText(TextBox::Text13, "8000");   // deceleration
  form.setText(TextBox::Text3, "600");     // jerkAccel
  form.setText(TextBox::Text4, "10");      // initialSpeed
  form.setText(TextBox::Text5, "3000");    // driveSpeed
  form.setText(TextBox::Text6, "20000");   // outputPulses
  form.setText(TextBox::Text18, "0");      // accelOffset
  form.setText(TextBox::Text19, "1000");   // manualDecelPoint
  form.setText(TextBox::Text20, "600");    // jerkDecel
  form.setText(TextBox::Text7, "0");       // readout: output pulses
  form.setText(TextBox::Text9, "0");       // readout: acceleration pulses
  form.setText(TextBox::Text10, "40000");  // speedDisplayMax
  form.setText(TextBox::Text11, "1.2");    // timeDisplayMax
  form.setText(TextBox::Text12, "0");      // readout: speed counter
  form.setOptionValue(CheckBox::Check1, kUnchecked);
  form.setOptionValue(CheckBox::Check2, kChecked);
  form.setOptionValue(CheckBox::Check3, kUnchecked);
  form.setOptionValue(CheckBox::Check4, kChecked);
  form.setOptionValue(CheckBox::Check5, kUnchecked);
  form.setOptionValue(CheckBox::Check6, kUnchecked);
  form.setOptionValue(CheckBox::Check7, kChecked);
}

}  // namespace tarvex
