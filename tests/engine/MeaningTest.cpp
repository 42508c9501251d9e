// What the numbers mean, as the window's and the page's tooltips and the run
// report say it: figures grouped in thousands to about four significant
// digits, signs kept; and a failed run's message on one report line.
#include <gtest/gtest.h>

#include "FieldMeaning.h"
#include "ReportTables.h"

namespace tarvex {
namespace {

using P = Parameter;

RunParameters typed(std::initializer_list<std::pair<P, const char*>> texts) {
  RunParameters params;
  for (const auto& [p, text] : texts) params[p] = text;
  return params;
}

// A speed counter gives 8,000,000 / range pulses per second per count; an
// acceleration count 125 x 8,000,000 / range pulses per second per second;
// an S-curve's acceleration counter steps every 16 (K + 1) ticks.
TEST(Meaning, FieldsInPhysicalUnits) {
  const struct {
    P field;
    RunParameters params;
    const char* meaning;
  } cases[] = {
      {P::Range, typed({{P::Range, "100"}}), "レンジ 100 = 速度カウンタ 1 あたり 80,000 pps"},
      {P::DriveSpeed, typed({{P::Range, "100"}, {P::DriveSpeed, "1000"}}),
       "ドライブ速度 1000 = 80,000,000 pps（レンジ 100）"},
      {P::InitialSpeed, typed({{P::Range, "3000"}, {P::InitialSpeed, "1"}}),
       "初速度 1 = 2,667 pps（レンジ 3000）"},
      {P::InitialSpeed, typed({{P::Range, "7000000"}, {P::InitialSpeed, "1"}}),
       "初速度 1 = 1.14 pps（レンジ 7000000）"},
      // 50 steps of 160 ticks: 0.001 s; 50,000 steps a second of
      // 10,000,000 pps/s each.
      {P::JerkAccel, typed({{P::Range, "100"}, {P::Acceleration, "50"}, {P::JerkAccel, "9"}}),
       "加増加率 9 = 加速度 50 まで 0.001 s で立ち上がり\n"
       "加速度が 1 増えるごとに 160 ティック（0.02 ms）\n"
       "加加速度 500,000,000,000 pps/s²（レンジ 100）"},
      {P::Deceleration, typed({{P::Range, "100"}, {P::Deceleration, "8001"}}),
       "8000 を超えると速度の変化が追いつかず、オーバーフローします。"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(meaning::parameterMeaning(c.field, c.params), c.meaning) << c.meaning;
  EXPECT_EQ(meaning::readoutMeaning(Readout::AccelCounter, -50, 100),
            "加/減速度カウンタ -50 = -500,000,000 pps/s（レンジ 100）");
  EXPECT_EQ(meaning::readoutMeaning(Readout::SpeedCounter, 5, 0), "");
  EXPECT_EQ(meaning::physicalValue(P::Acceleration,
                                   typed({{P::Range, "800000"}, {P::Acceleration, "8000"}})),
            "10,000,000 pps/s");
  EXPECT_EQ(meaning::figureOf(1234.4, "pps").number, "1234");
}

TEST(Meaning, AFailedRunsMessageOnOneReportLine) {
  const RunParameters params;
  const RunTrace trace;
  const std::vector<PhaseEntry> phases;
  RunOutcome failed;
  failed.end = RunEnd::Failed;
  failed.failure = RunFailure{};
  const report::ReportedRun run{.params = params,
                                .outcome = failed,
                                .trace = trace,
                                .phases = phases,
                                .readouts = {},
                                .failureMessage = "型が一致しません。\n\n「レンジ」\nに"};
  EXPECT_EQ(report::summaryRows(run).front(),
            (report::Row{"結果", "エラー: 型が一致しません。 「レンジ」 に"}));
}

}  // namespace
}  // namespace tarvex
