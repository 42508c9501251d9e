// Runs in the shown window, with live readouts and graph:
//   DefaultRun          the start-up run from the click on Start to its end,
//                       wall time, with the longest stretch in which the
//                       window handled no events (max_event_gap_ms);
//   NegativeStartSpeed  a linear run climbing from speed -16000: no pulse,
//                       hence no yield, until the speed is positive again;
//   StopLatency/...     a long run stopped by a click on Stop: the time from
//                       the click's arrival in the event queue to the end of
//                       the run; with pulses (start-up values, 2e9 pulses),
//                       without (linear, no acceleration, initial speed 0),
//                       and clicked during the pulseless climb of
//                       NegativeStartSpeed.
//
// Run it on the display to be measured, e.g.
//   xvfb-run -a -s '-screen 0 1024x768x24' build/release/bench/app/window_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Form1.h"
#include "WindowFonts.h"

namespace {

using namespace tarvex;
using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// The window, shown and exposed, with its data log in a temporary folder.
struct ShownWindow {
  QTemporaryDir folder;
  std::unique_ptr<Form1> form;
  QPushButton* start = nullptr;
  QPushButton* stop = nullptr;

  ShownWindow() {
    QDir::setCurrent(folder.path());
    form = std::make_unique<Form1>();
    form->show();
    (void)QTest::qWaitForWindowExposed(form.get());
    QTest::qWait(100);
    start = form->findChild<QPushButton*>(QStringLiteral("Command1"));
    stop = form->findChild<QPushButton*>(QStringLiteral("Command2"));
  }
};

// The longest time between two passes of the window's event handling
// during a run, seen by a timer that is due every millisecond. Measured from
// the click on Start to the end of the run.
class EventGapProbe {
 public:
  explicit EventGapProbe(const Form1& form) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this, &form] {
      if (!form.runActive()) return;
      const auto now = Clock::now();
      maxGapMs_ = std::max(maxGapMs_, millisecondsBetween(last_, now));
      last_ = now;
    });
  }
  // Right before the click on Start.
  void start() {
    last_ = Clock::now();
    timer_.start();
  }
  // Right after the run: the gap still open at its end counts too.
  double stop() {
    maxGapMs_ = std::max(maxGapMs_, millisecondsBetween(last_, Clock::now()));
    timer_.stop();
    return maxGapMs_;
  }

 private:
  QTimer timer_;
  Clock::time_point last_;
  double maxGapMs_ = 0.0;
};

void BM_DefaultRun(benchmark::State& state) {
  ShownWindow window;
  double maxGapMs = 0.0, slowestMs = 0.0;
  for (auto _ : state) {
    EventGapProbe probe(*window.form);
    probe.start();
    const auto begin = Clock::now();
    window.start->click();
    const auto end = Clock::now();
    maxGapMs = std::max(maxGapMs, probe.stop());
    slowestMs = std::max(slowestMs, millisecondsBetween(begin, end));
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
    if (window.form->textBox(TextBox::Text7)->text() != QLatin1String("20000"))
      state.SkipWithError("the default run did not end at 20000 pulses");
  }
  state.counters["slowest_ms"] = slowestMs;
  state.counters["max_event_gap_ms"] = maxGapMs;
}
BENCHMARK(BM_DefaultRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// A run that fails shows a message box; the benchmark closes it and fails.
class MessageBoxWatch {
 public:
  MessageBoxWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        seen_ = true;
        modal->close();
      }
    });
    timer_.start(50);
  }
  bool seen() const { return seen_; }

 private:
  QTimer timer_;
  bool seen_ = false;
};

// The longest stretch without pulses that still writes readouts: a linear
// run from initial speed -16000 shows 16000 speed counters before its first
// pulse after the first.
void BM_NegativeStartSpeed(benchmark::State& state) {
  ShownWindow window;
  MessageBoxWatch failures;
  window.form->setOptionValue(CheckBox::Check5, kChecked);
  window.form->setText(TextBox::Text4, "-16000");
  window.form->setText(TextBox::Text5, "16000");
  window.form->setText(TextBox::Text6, "2000");
  double maxGapMs = 0.0;
  for (auto _ : state) {
    EventGapProbe probe(*window.form);
    probe.start();
    const auto begin = Clock::now();
    window.start->click();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - begin).count());
    maxGapMs = std::max(maxGapMs, probe.stop());
    if (failures.seen()) state.SkipWithError("the run failed");
  }
  state.counters["max_event_gap_ms"] = maxGapMs;
}

enum class LongRun { Pulses, NoPulses, NegativeStartSpeed };

void stopLatency(benchmark::State& state, LongRun kind) {
  ShownWindow window;
  MessageBoxWatch failures;
  const bool withPulses = kind == LongRun::Pulses;
  if (kind == LongRun::NegativeStartSpeed) {
    window.form->setOptionValue(CheckBox::Check5, kChecked);
    window.form->setText(TextBox::Text4, "-16000");
    window.form->setText(TextBox::Text5, "16000");
  } else if (withPulses) {
    window.form->setText(TextBox::Text6, "2000000000");
  } else {
    // No pulse after the first: the engine skips quiet ticks so fast that
    // such a run overflows its tick count within a fraction of a second;
    // the click comes well before.
    window.form->setOptionValue(CheckBox::Check5, kChecked);
    window.form->setText(TextBox::Text2, "0");
    window.form->setText(TextBox::Text4, "0");
  }
  double worstMs = 0.0, maxGapMs = 0.0;
  for (auto _ : state) {
    EventGapProbe probe(*window.form);
    probe.start();
    // A click on Stop arrives from outside while the run is busy.
    Clock::time_point clicked;
    std::thread user([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(withPulses ? 300 : 20));
      clicked = Clock::now();
      QMetaObject::invokeMethod(window.stop, &QPushButton::click, Qt::QueuedConnection);
    });
    window.start->click();
    const auto ended = Clock::now();
    user.join();
    maxGapMs = std::max(maxGapMs, probe.stop());
    const double latencyMs = millisecondsBetween(clicked, ended);
    worstMs = std::max(worstMs, latencyMs);
    state.SetIterationTime(latencyMs / 1000.0);
    if (failures.seen() || !window.form->lastOutcome() ||
        window.form->lastOutcome()->end != RunEnd::Stopped)
      state.SkipWithError("the run was not stopped");
  }
  state.counters["worst_ms"] = worstMs;
  state.counters["max_event_gap_ms"] = maxGapMs;
}

void BM_StopLatency_Pulses(benchmark::State& state) {
  stopLatency(state, LongRun::Pulses);
}
void BM_StopLatency_NoPulses(benchmark::State& state) {
  stopLatency(state, LongRun::NoPulses);
}
void BM_StopLatency_NegativeStartSpeed(benchmark::State& state) {
  stopLatency(state, LongRun::NegativeStartSpeed);
}
BENCHMARK(BM_NegativeStartSpeed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StopLatency_Pulses)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StopLatency_NegativeStartSpeed)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_StopLatency_NoPulses)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setFont(window::standardFont());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
