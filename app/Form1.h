// The program's one window. Its controls are the only store of the run's
// parameters and options: runs, the parameter files and the start-up values
// all read and write them through FormControls.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include <QWidget>

#include "FormControls.h"
#include "RunOutcome.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvex {

namespace window {
class PictureBox;
class IndicatorButton;
class LineControl;
class OptionCheckBox;
class WindowReadouts;
}  // namespace window

class Form1 : public QWidget, public FormControls {
  Q_OBJECT

 public:
  // Creates every control as designed, then runs the window's
  // initialisation: the start-up values and options.
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // The boxes are read from the widgets themselves; a change by code is
  // reported to the pair handlers exactly like a click.
  std::int16_t optionValue(CheckBox box) const override;
  void setOptionValue(CheckBox box, std::int16_t value) override;
  // Texts in the system's narrow encoding. Text8 is a fixed caption: it
  // reads as its caption and ignores writes.
  std::string text(TextBox box) const override;
  void setText(TextBox box, const std::string& text) override;
  void setIndicator(bool on) override;

  // True from the click on Start until the run has ended.
  bool runActive() const { return runActive_; }
  // How the last run ended, once a run has been made.
  const std::optional<RunOutcome>& lastOutcome() const { return lastOutcome_; }

  QLineEdit* textBox(TextBox box) const { return textBoxes_[indexOf(box)]; }
  // Writes a readout's value. A value wider than its box shows its leading
  // digits, as a text box does when its text is set, and the whole value in
  // the box's tooltip.
  void showReadoutValue(TextBox box, std::int64_t value);
  window::OptionCheckBox* checkBox(CheckBox box) const { return checkBoxes_[indexOf(box)]; }
  // 目標から設計 (Ctrl+D, the graph's and the parameter fields' menus): the
  // dialog, unless a run is active.
  void openDesign();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Enter on a focused button presses it, as Space does; every control
  // shows its focus mark when it has focus.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class window::WindowReadouts;
  friend class WindowGraph;

  void createControls();
  void setTabOrderAsDesigned();
  void connectHandlers();

  // The event handlers.
  void Form_Load();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Check_Click(CheckBox box);

  void runSimulation();
  // During a run the parameter fields take no typing: keys go to Stop.
  void holdParameterFields(bool held);
  void showRunFailure(const RunOutcome& outcome, const RunParameters& typed);

  // The stop request: 1 once Stop has been pressed during a run.
  std::int16_t stopf = 0;
  bool runActive_ = false;
  bool closeRequested_ = false;
  std::optional<RunOutcome> lastOutcome_;
  // The range of the run whose readouts are shown, for their tooltips.
  std::int32_t readoutRange_ = 0;

  std::array<QLineEdit*, kTextBoxCount> textBoxes_{};
  std::array<window::OptionCheckBox*, kCheckBoxCount> checkBoxes_{};
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* Command4 = nullptr;
  window::IndicatorButton* Option1 = nullptr;
  window::PictureBox* Picture1 = nullptr;
  QLabel* Label21 = nullptr;
  QLabel* Label22 = nullptr;
};

}  // namespace tarvex
