#include "WindowReadouts.h"

#include <QCoreApplication>
#include <QLineEdit>

#include "ControlWidgets.h"
#include "Form1.h"

namespace tarvex::window {

WindowReadouts::WindowReadouts(Form1& form) : form_(form) {
  sinceEvents_.start();
  sincePaint_.start();
}

void WindowReadouts::clearStop() {
  form_.stopf = 0;
}

void WindowReadouts::showReadout(Readout readout, std::int64_t value) {
  if (const auto box = controlOf(readout).box) {
    form_.textBox(*box)->setText(QString::number(value));
  } else {
    form_.Option1->setOn(value != 0);
  }
  if (sincePaint_.elapsed() >= kPaintStallMs) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sincePaint_.restart();
  }
}

bool WindowReadouts::pulseYield() {
  if (sinceEvents_.elapsed() >= kEventIntervalMs) handleEvents();
  return stopRequested();
}

bool WindowReadouts::idleYield() {
  handleEvents();
  return stopRequested();
}

void WindowReadouts::handleEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  sinceEvents_.restart();
  sincePaint_.restart();
}

bool WindowReadouts::stopRequested() const {
  return form_.stopf == 1;
}

}  // namespace tarvex::window
