// Runs in the shown window, with live readouts and graph:
//   DefaultRun          the start-up run from the click on Start to its end,
//                       wall time, with the longest stretch in which the
//                       window handled no events (max_event_gap_ms);
//   LongRun             2,000,000 output pulses, loaded from a parameter
//                       file: from the click on Start until Start is enabled
//                       again, against tarvex-batch on the same file
//                       (batch_ms, process start included) and the goal
//                       1.5 x batch + 150 ms (goal_ms); over_goal is 1 when
//                       the window took longer;
//   Responsiveness/...  during a run kept busy by a point at every tick (a
//                       stretch of pulses costs as little as one pulse), the
//                       time from a click on Stop, a change of a box, or
//                       closing the window, arriving in the event queue, to
//                       its effect;
//   NegativeStartSpeed  a linear run climbing from speed -16000: no pulse,
//                       hence no yield, until the speed is positive again;
//   StopLatency/...     a long run stopped by a click on Stop: the time from
//                       the click's arrival in the event queue to the end of
//                       the run; with pulses (start-up values, 2e9 pulses, a
//                       point at every tick), without (linear, no
//                       acceleration, initial speed 0),
//                       and after the pulseless climb of NegativeStartSpeed.
//
// Run it on the display to be measured, e.g.
//   xvfb-run -a -s '-screen 0 1024x768x24' build/release/bench/app/window_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ControlWidgets.h"
#include "Form1.h"
#include "ParameterFile.h"
#include "WindowFonts.h"
#include "WindowLanguage.h"

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

// The parameter file of the long run: the start-up values with 2,000,000
// output pulses.
const char kLongRunFile[] =
    "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\",\"2000000\"\r\n"
    "\"1000\",\"0\",1,0,1,0,0,\"600\"\r\n";

void writeLongRunFile(const QString& path) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(kLongRunFile);
}

// The batch runner on the same file, from process start to exit.
double batchMilliseconds(const QString& folder) {
  QProcess batch;
  batch.setWorkingDirectory(folder);
  batch.setStandardOutputFile(QProcess::nullDevice());
  const auto begin = Clock::now();
  batch.start(QStringLiteral(TARVEX_BATCH), {QStringLiteral("long.prm")});
  batch.waitForFinished(-1);
  return millisecondsBetween(begin, Clock::now());
}

void BM_LongRun(benchmark::State& state) {
  ShownWindow window;
  const QString file = window.folder.filePath(QStringLiteral("long.prm"));
  writeLongRunFile(file);
  // Loaded as the Load button does; saved afterwards, it must be the same file.
  if (!loadParameterFile(file.toStdString(), *window.form).ok()) state.SkipWithError("cannot load");
  double batchMs = 1e9, windowMs = 0.0, maxGapMs = 0.0;
  for (int i = 0; i < 3; ++i) batchMs = std::min(batchMs, batchMilliseconds(window.folder.path()));
  for (auto _ : state) {
    EventGapProbe probe(*window.form);
    probe.start();
    const auto begin = Clock::now();
    window.start->click();
    const auto end = Clock::now();
    if (!window.start->isEnabled()) state.SkipWithError("Start still disabled");
    maxGapMs = std::max(maxGapMs, probe.stop());
    windowMs = std::max(windowMs, millisecondsBetween(begin, end));
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
    if (window.form->textBox(TextBox::Text7)->text() != QLatin1String("2000000"))
      state.SkipWithError("the run did not end at 2000000 pulses");
  }
  const QString saved = window.folder.filePath(QStringLiteral("saved.prm"));
  saveParameterFile(saved.toStdString(), *window.form);
  QFile savedFile(saved);
  if (!savedFile.open(QIODevice::ReadOnly) || savedFile.readAll() != QByteArray(kLongRunFile))
    state.SkipWithError("the parameters changed during the run");
  const double goalMs = 1.5 * batchMs + 150.0;
  state.counters["batch_ms"] = batchMs;
  state.counters["slowest_ms"] = windowMs;
  state.counters["goal_ms"] = goalMs;
  state.counters["over_goal"] = windowMs > goalMs ? 1 : 0;
  state.counters["window_over_batch"] = windowMs / batchMs;
  state.counters["max_event_gap_ms"] = maxGapMs;
}
BENCHMARK(BM_LongRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// What the user does during a long run, and when it takes effect.
enum class UserAction { Stop, Box, Close };

void responsiveness(benchmark::State& state, UserAction what) {
  double worstMs = 0.0;
  for (auto _ : state) {
    ShownWindow window;
    // A run kept busy for seconds by a point at every tick.
    window.form->setText(TextBox::Text6, "2000000000");
    window.form->setText(TextBox::Text11, "0.001");
    QCheckBox* recording = window.form->checkBox(CheckBox::Check1);
    Clock::time_point sent, seen;
    // The first change only: the data log's cap clears the box again later.
    QObject::connect(recording, &QCheckBox::stateChanged, [&] {
      if (seen == Clock::time_point{}) seen = Clock::now();
    });
    std::thread user([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      sent = Clock::now();
      if (what == UserAction::Stop)
        QMetaObject::invokeMethod(window.stop, &QPushButton::click, Qt::QueuedConnection);
      else if (what == UserAction::Box) {
        QMetaObject::invokeMethod(recording, &QCheckBox::click, Qt::QueuedConnection);
        // The box seen, the run has done its part.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QMetaObject::invokeMethod(window.stop, &QPushButton::click, Qt::QueuedConnection);
      } else
        QMetaObject::invokeMethod(window.form.get(), &QWidget::close, Qt::QueuedConnection);
    });
    window.start->click();
    const auto ended = Clock::now();
    user.join();
    const double ms = millisecondsBetween(sent, what == UserAction::Box ? seen : ended);
    worstMs = std::max(worstMs, ms);
    state.SetIterationTime(ms / 1000.0);
    const bool stopped =
        window.form->lastOutcome() && window.form->lastOutcome()->end == RunEnd::Stopped;
    if (what != UserAction::Box && !stopped) state.SkipWithError("the run was not stopped");
    if (what == UserAction::Close && window.form->isVisible())
      state.SkipWithError("the window stayed open");
  }
  state.counters["worst_ms"] = worstMs;
}
void BM_Responsiveness_Stop(benchmark::State& state) {
  responsiveness(state, UserAction::Stop);
}
void BM_Responsiveness_Box(benchmark::State& state) {
  responsiveness(state, UserAction::Box);
}
void BM_Responsiveness_Close(benchmark::State& state) {
  responsiveness(state, UserAction::Close);
}
BENCHMARK(BM_Responsiveness_Stop)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Responsiveness_Box)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Responsiveness_Close)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

enum class LongRun { Pulses, NoPulses, NegativeStartSpeed };

void stopLatency(benchmark::State& state, LongRun kind) {
  ShownWindow window;
  MessageBoxWatch failures;
  const bool withPulses = kind == LongRun::Pulses;
  if (kind == LongRun::NegativeStartSpeed) {
    // The pulseless climb itself now lasts less than a frame; the run goes
    // on with pulses until the click.
    window.form->setOptionValue(CheckBox::Check5, kChecked);
    window.form->setText(TextBox::Text6, "2000000000");
    window.form->setText(TextBox::Text4, "-16000");
    window.form->setText(TextBox::Text5, "16000");
  } else if (withPulses) {
    // Pulses alone no longer keep a run busy (a stretch of them costs as
    // little as one); a point plotted at every tick does, for seconds.
    window.form->setText(TextBox::Text6, "2000000000");
    window.form->setText(TextBox::Text11, "0.001");
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
  window::installJapaneseDialogs(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
