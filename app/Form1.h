// The program's one window. Its controls are the only store of the run's
// parameters and options: runs, the parameter files and the start-up values
// all read and write them through FormControls.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QWidget>

#include "FormControls.h"
#include "RunFigures.h"
#include "RunOutcome.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvex {

namespace window {
class PictureBox;
class IndicatorButton;
class OptionCheckBox;
struct RecordedRun;
class TargetMemory;
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
  // Whether the triangle-prevention indicator is on.
  bool indicatorOn() const;

  QLineEdit* textBox(TextBox box) const { return textBoxes_[indexOf(box)]; }
  // Writes a readout's value, fitted to its box (see ReadoutBox).
  void showReadoutValue(TextBox box, std::int64_t value);
  window::OptionCheckBox* checkBox(CheckBox box) const { return checkBoxes_[indexOf(box)]; }
  // 目標から設計 (Ctrl+D, the graph's and the parameter fields' menus): the
  // dialog, unless a run is active.
  void openDesign();
  // The figures of the last run, when it completed: the design's targets
  // start from them.
  std::optional<RunFigures> lastCompletedRunFigures() const;

  // The stop request: made by Stop (or by closing the window during a run),
  // seen by the run at its next yield, withdrawn at the start of every run.
  void requestStop() { stopRequested_ = true; }
  bool stopRequested() const { return stopRequested_; }
  void withdrawStopRequest() { stopRequested_ = false; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Enter on a focused button presses it, as Space does; every control
  // shows its focus mark when it has focus.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void setTabOrderAsDesigned();
  void connectHandlers();

  // What the window does for its user.
  void showStartupValues();
  void start();
  void saveParameters();
  void loadParameters();
  void optionPairClicked(CheckBox box);

  void runSimulation();
  // During a run the parameter fields take no typing: keys go to Stop.
  void holdParameterFields(bool held);
  // The message of a failed run, then focus on the field it names.
  void showRunFailure(const window::RecordedRun& run);

  bool stopRequested_ = false;
  bool runActive_ = false;
  bool closeRequested_ = false;
  std::optional<RunOutcome> lastOutcome_;
  // The range of the run whose readouts are shown, for their tooltips.
  std::int32_t readoutRange_ = 0;
  // The design dialog's targets as last typed.
  std::unique_ptr<window::TargetMemory> designTargets_;

  std::array<QLineEdit*, kTextBoxCount> textBoxes_{};
  std::array<window::OptionCheckBox*, kCheckBoxCount> checkBoxes_{};
  QPushButton* startButton_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* loadButton_ = nullptr;
  window::IndicatorButton* triangleIndicator_ = nullptr;
  window::PictureBox* graph_ = nullptr;
  QLabel* speedAxisCaption_ = nullptr;
  QLabel* timeAxisCaption_ = nullptr;
};

}  // namespace tarvex
