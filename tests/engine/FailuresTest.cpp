// Failed runs: the error, its step, the parameters blamed; and the messages.
#include <type_traits>

#include "EngineHarness.h"
#include "FailureText.h"
#include "RunSession.h"

namespace tarvex::test {
namespace {

using P = Parameter;
using E = RunError;
constexpr std::int64_t _ = -1;

struct Failure {
  const char* setup;  // words for EngineRun::with
  E error;
  Step step;
  const char* causes;  // the parameters blamed, by symbol, in conversion order
  std::int64_t ticks = _, pulses = _;
  int shown = _;  // readouts written before the failure, set-up ones included
};

void PrintTo(const Failure& f, std::ostream* os) {
  *os << '"' << f.setup << '"';
}

// clang-format off
const Failure kFailures[] = {
    // Conversions, in the order R A D AO K L SV V P DP time pps; nothing shown.
    {"R=", E::TypeMismatch, Step::ConvertParameter, "R", 0, 0, 0},
    {"A=x R=y", E::TypeMismatch, Step::ConvertParameter, "R"},
    {"D=1,000", E::TypeMismatch, Step::ConvertParameter, "D"},
    {"K=x AO=99999999999", E::Overflow, Step::ConvertParameter, "AO"},
    {"SV=x L=y", E::TypeMismatch, Step::ConvertParameter, "L"},
    {"SV=40000", E::Overflow, Step::ConvertParameter, "SV"},
    {"V=32768", E::Overflow, Step::ConvertParameter, "V"},
    {"P=2147483648", E::Overflow, Step::ConvertParameter, "P"},
    {"DP=&H10", E::TypeMismatch, Step::ConvertParameter, "DP", _, _, 0},
    // The scales come after the speed and drag-pulse readouts, time first.
    {"time=abc pps=x", E::TypeMismatch, Step::ConvertParameter, "time", 0, 0, 2},
    {"pps=1e400", E::Overflow, Step::ConvertParameter, "pps"},
    // Set-up steps derived from one parameter blame it.
    {"K=2147483647", E::Overflow, Step::JerkCounterFromJerkAccel, "K", 0, 0, 0},
    {"AO=-2147483648", E::Overflow, Step::DecelPointFromAccelOffset, "AO", 0, 0, 1},
    {"time=1e300", E::Overflow, Step::PlotPeriod, "time"},
    {"R=0", E::DivisionByZero, Step::SpeedScale, "R", 0, 0, 2},
    {"pps=0", E::DivisionByZero, Step::SpeedScale, "pps"},
    {"pps=0 R=0", E::DivisionByZero, Step::SpeedScale, "R pps"},
    {"pps=1e-35", E::Overflow, Step::PlotY, "pps"},
    {"A=40000 linear", E::Overflow, Step::AccelCounterFromAcceleration, "A", 0, 1},
    {"D=40000 linear manual asymmetric", E::Overflow, Step::AccelCounterFromDeceleration, "D", _, 1000},
    // The new state is shown although its transition then overflows.
    {"L=2147483647 manual asymmetric", E::Overflow, Step::JerkCounterFromJerkDecel, "L", _, 1000},
    // Counters of the run leaving their width blame no parameter.
    // V below SV, linear: a raise every 8 ticks from 1; the 32758th is in 262057.
    {"V=5 P=2000000000 linear", E::Overflow, Step::SpeedCounterUp, "", 262056},
    // The first pulse starts the deceleration; tick 1 lowers -32768.
    {"SV=-32768 P=1", E::Overflow, Step::SpeedCounterDown, "", 0, 1},
    // Speed -3: the pulse accumulator grows by 3 a tick from max - 300.
    {"SV=-3 A=0 R=2147483347 linear", E::Overflow, Step::PulseAccumulatorTake, "", 100, 1},
    // accelCounter -5 adds 5 a speed step: past 32767 at the 4954th, tick 39625.
    {"A=-5 linear", E::Overflow, Step::SpeedAccumulatorDraw, "", 39624, 1},
    // The estimate keeps growing; the linear triangle test doubles it at pulse 2.
    {"A=1000 D=1 AO=536870911 linear asymmetric", E::Overflow, Step::LinearTriangleDouble, "", 80000, 2},
    // No pulse after the first: tickCount + 1 overflows after 2,147,483,647 ticks.
    {"A=0 SV=0 linear", E::Overflow, Step::TickCount, "", 2147483647, 1},
};
// clang-format on

class Failures : public ::testing::TestWithParam<Failure> {};

TEST_P(Failures, EndTheRunAtTheirStepBlamingTheirCauses) {
  const Failure& f = GetParam();
  EngineRun r;
  writeFile(r.logPath, "an earlier run\r\n");
  const RunOutcome out = r.with(f.setup).run();

  ASSERT_EQ(out.end, RunEnd::Failed);
  EXPECT_EQ(out.failure->error, f.error);
  EXPECT_EQ(stepName(out.failure->step), stepName(f.step));
  std::string causes;
  for (const P p : out.failure->causes)
    causes += (causes.empty() ? "" : " ") + kSymbols[static_cast<std::size_t>(p)];
  EXPECT_EQ(causes, f.causes);
  if (f.ticks != _) EXPECT_EQ(out.ticks, f.ticks);
  if (f.pulses != _) EXPECT_EQ(out.pulses, f.pulses);
  if (f.shown != _) EXPECT_EQ(int(r.rec.shown.size()), f.shown);
  // The log was emptied at set-up and is closed: a later run can reopen it.
  EXPECT_FALSE(r.engine.log().isOpen());
  EXPECT_EQ(readFile(r.logPath), "");
  if (f.step == Step::JerkCounterFromJerkDecel) EXPECT_EQ(r.last(Readout::AccelState), 5);
}

INSTANTIATE_TEST_SUITE_P(Engine, Failures, ::testing::ValuesIn(kFailures));

TEST(FailureFiles, ALogThatCannotBeOpenedEndsTheRunBeforeTheGraph) {
  TempDir dir;
  EngineRun missing(dir.file("no/such/folder/log.txt"));
  ASSERT_TRUE(missing.run().failed());
  EXPECT_EQ(missing.outcome.failure->step, Step::OpenLog);
  // Before the graph is touched and before any readout.
  EXPECT_EQ(missing.rec.setUpTrace, std::vector<std::string>{"clearStop"});
}

TEST(FailureFiles, ALogAnotherRunWritesIsRefusedUntilItIsClosed) {
  EngineRun second;
  DataLog first(second.logPath);  // the window's log, or another runner's
  first.openLog();
  ASSERT_TRUE(second.run().failed());
  EXPECT_EQ(second.outcome.failure->step, Step::OpenLog);
  EXPECT_NE(second.outcome.failure->detail.find("another run"), std::string::npos);
  EXPECT_EQ(second.outcome.failure->fileError, EBUSY);
  EXPECT_EQ(second.outcome.failure->file, pathText(second.logPath));
  first.closeLog();
  EXPECT_FALSE(second.run().failed());
  EXPECT_FALSE(second.run().failed());  // its own log let go of at its end
}

#ifndef _WIN32
// A pipe nobody reads ends the run at once; under WebAssembly, whose files
// are its own, a named pipe is refused as such.
TEST(FailureFiles, ALogToANamedPipeEndsTheRunBeforeTheGraph) {
  TempDir dir;
  ASSERT_TRUE(makeFifo(dir.file("pipe")));
  EngineRun run(dir.file("pipe"));
  ASSERT_TRUE(run.run().failed());
  EXPECT_EQ(run.outcome.failure->step, Step::OpenLog);
#ifdef __EMSCRIPTEN__
  EXPECT_NE(run.outcome.failure->detail.find("a named pipe is not available here"),
            std::string::npos);
#else
  EXPECT_NE(run.outcome.failure->detail.find("nothing reads from it"), std::string::npos);
#endif
  EXPECT_EQ(run.rec.setUpTrace, std::vector<std::string>{"clearStop"});
}
#endif

TEST(FailureMessages, NameTheFieldsOrTheStep) {
  const auto outcome = [](E error, Step step, std::vector<P> causes, std::string detail = {},
                          std::string file = {}, int fileError = 0) {
    return RunOutcome{RunEnd::Failed,
                      RunFailure{error, step, std::move(causes), detail, file, fileError}, 1234, 5};
  };
  RunParameters typed;
  typed[P::JerkDecel] = "６００";
  typed[P::Deceleration] = "8,000";
  typed[P::InitialSpeed] = "40000";
  typed[P::JerkAccel] = "2147483647";
  typed[P::AccelOffset] = "-2147483648";
  typed[P::Range] = "x";
  const std::string halfWidth =
      "は数値として読めません。\n全角文字や桁区切りの「,"
      "」は使えません。半角数字で入力してください（例: 1000）。";
  // clang-format off
  const std::tuple<RunOutcome, std::string, std::string> cases[] = {
      {outcome(E::TypeMismatch, Step::ConvertParameter, {P::JerkDecel}),
       "Type mismatch in the field 減増加率： (Text20, jerkDecel): the text is not a number",
       "型が一致しません。\n\n「減増加率」に入力された「６００」" + halfWidth},
      {outcome(E::TypeMismatch, Step::ConvertParameter, {P::Deceleration}), "",
       "型が一致しません。\n\n「減速度」に入力された「8,000」" + halfWidth},
      {outcome(E::TypeMismatch, Step::ConvertParameter, {P::Range}), "",
       "型が一致しません。\n\n「レンジ」に入力された「x」は数値として読めません。\n-2147483648 ～ 2147483647 の整数を半角数字で入力してください。"},
      {outcome(E::TypeMismatch, Step::ConvertParameter, {P::OutputPulses}), "",
       "型が一致しません。\n\n「出力パルス数」が空欄です。-2147483648 ～ 2147483647 の整数を入力してください。"},
      {outcome(E::Overflow, Step::ConvertParameter, {P::InitialSpeed}),
       "Overflow in the field 初速度： (Text4, initialSpeed): the number is out of range",
       "オーバーフローしました。\n\n「初速度」の値「40000」が大きすぎるか小さすぎます。\n-32768 ～ 32767 の整数を入力してください。"},
      {outcome(E::Overflow, Step::JerkCounterFromJerkAccel, {P::JerkAccel}), "",
       "オーバーフローしました。\n\n「加増加率」の値「2147483647」が大きすぎます。\n2147483646 以下にしてください。"},
      {outcome(E::Overflow, Step::DecelPointFromAccelOffset, {P::AccelOffset}), "",
       "オーバーフローしました。\n\n「加速Ｃ offs」の値「-2147483648」が小さすぎます。\n-2147483647 以上にしてください。"},
      {outcome(E::DivisionByZero, Step::SpeedScale, {P::Range, P::SpeedDisplayMax}),
       "Division by zero in the fields レンジ： (Text1, range) and 速度表示最大値： (Text10, speedDisplayMax) at speedScale",
       "0 で除算しました。\n\n「レンジ」と「速度表示最大値」が 0 です。0 以外の値を入力してください。"},
      {outcome(E::Overflow, Step::SpeedCounterDown, {}), "Overflow at speedCounter - 1 after 1234 ticks",
       "オーバーフローしました。\n\n演算の途中（経過 1234 ティック、出力パルス 5）で、速度カウンタ（-32768 ～ 32767）が範囲を超えました。\n「ドライブ速度」・「初速度」の値を見直してください。"},
      {outcome(E::Overflow, Step::TickCount, {}), "",
       "オーバーフローしました。\n\n演算の途中（経過 1234 ティック、出力パルス 5）で、経過ティック数（上限 2147483647 ティック、約 268 秒）が範囲を超えました。\n「出力パルス数」・「初速度」・「加速度」・「レンジ」の値を見直してください。"},
      {outcome(E::File, Step::WriteLog, {}, "cannot write x: No space left on device", "x", ENOSPC),
       "File error: cannot write x: No space left on device",
       "ファイル エラーが発生しました。\n\nデータ ログ「x」を書き込めません（ディスクの空き容量が足りません）。\nその原因を取り除いてから、もう一度演算を開始してください。"},
      {outcome(E::File, Step::OpenLog, {}, "", "DATA_LOG.txt", EBUSY), "",
       "ファイル エラーが発生しました。\n\nデータ ログ「DATA_LOG.txt」を書き込めません（ほかの演算かプログラムが書き込んでいます）。\nその原因を取り除いてから、もう一度演算を開始してください。"},
      {outcome(E::File, Step::OpenLog, {}, "", "DATA_LOG.txt", kNotRegularNamedPipe), "",
       "ファイル エラーが発生しました。\n\nデータ ログ「DATA_LOG.txt」を書き込めません（通常のファイルではありません（名前付きパイプ））。\nその原因を取り除いてから、もう一度演算を開始してください。"},
  };
  // clang-format on
  for (const auto& [out, english, japanese] : cases) {
    if (!english.empty()) EXPECT_EQ(describeFailure(out), english);
    EXPECT_EQ(describeFailureJapanese(out, typed), japanese);
  }
  EXPECT_EQ(failureDetailJapanese(std::get<0>(cases[8])),
            "演算ステップ: speedCounter - 1（経過 1234 ティック、出力パルス 5）");
  EXPECT_EQ(failureDetailJapanese(std::get<0>(cases[7])),
            "演算ステップ: speedScale（Text1 range、Text10 speedDisplayMax、経過 1234 "
            "ティック、出力パルス 5）");
  EXPECT_EQ(describeFailure(RunOutcome{}), "");
}

// A session made from an option source holds no form: asking it for the
// texts of a form's fields cannot even be written.
template <class Session>
constexpr bool readsAFormItHasNot =
    std::is_constructible_v<Session, RunOptionSource&, LiveReadouts&>&& requires(Session& s) {
  s.run();
};

TEST(RunSessionTest, OnlyASessionOfAFormReadsItsFields) {
  EXPECT_FALSE(readsAFormItHasNot<RunSession>);
  EXPECT_FALSE(readsAFormItHasNot<SourcedRunSession>);
  EXPECT_TRUE((requires(RunSession & s) { s.run(); }));
}

}  // namespace
}  // namespace tarvex::test
