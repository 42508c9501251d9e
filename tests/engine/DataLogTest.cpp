// The data log: one record every eighth tick while Check1 is ticked, sample
// number = tick / 8, cleared by the log itself after 1,000,000 records.
#include "EngineTestSupport.h"

namespace tarvex::test {
namespace {

TEST(DataLog, ReferenceRunReachesTheRecordCap) {
  TempDir dir;
  const std::string path = dir.file("DATA_LOG.txt");
  Harness h(path);
  h.box(CheckBox::Check1, 1);
  h.readouts.keepYields = false;
  EXPECT_EQ(h.run().end, RunEnd::Completed);

  const auto lines = logLines(path);
  ASSERT_EQ(lines.size(), 1000001u);
  // End of tick 8: sample 1, the first pulse, speed 10, accelCounter 1.
  EXPECT_EQ(lines[0], " 1  1  10  1 ");
  for (std::size_t i = 0; i < lines.size(); i += 99991)
    ASSERT_EQ(fields(lines[i])[0], static_cast<std::int64_t>(i + 1)) << lines[i];
  // The 1,000,001st record, end of tick 8,000,008, is the last one.
  EXPECT_EQ(fields(lines.back())[0], 1000001);
  EXPECT_EQ(h.form.optionValue(CheckBox::Check1), 0);
  EXPECT_EQ(h.engine.log().recordCount(), 1000001);
  EXPECT_FALSE(h.engine.log().isOpen());
}

TEST(DataLog, ReCheckingAfterTheCapWritesExactlyOneMoreRecord) {
  Harness h;  // counts records without a file
  h.box(CheckBox::Check1, 1);
  h.readouts.keepYields = false;
  bool reChecked = false;
  h.readouts.duringYield = [&](std::int64_t) {
    if (reChecked || h.engine.currentTick() <= 8000008) return;
    EXPECT_EQ(h.form.optionValue(CheckBox::Check1), 0);
    h.form.setOptionValue(CheckBox::Check1, 1);
    reChecked = true;
  };
  h.run();
  ASSERT_TRUE(reChecked);
  EXPECT_EQ(h.engine.log().recordCount(), 1000002);
  EXPECT_EQ(h.form.optionValue(CheckBox::Check1), 0);
}

TEST(DataLog, LinearReferenceRunStaysBelowTheCap) {
  TempDir dir;
  Harness h(dir.file("DATA_LOG.txt"));
  h.box(CheckBox::Check5, 1).box(CheckBox::Check1, 1);
  h.run();
  const auto lines = logLines(dir.file("DATA_LOG.txt"));
  ASSERT_EQ(lines.size(), 669781u);
  EXPECT_EQ(fields(lines.back())[0], 669781);
  EXPECT_EQ(h.form.optionValue(CheckBox::Check1), 1);
}

TEST(DataLog, RecordingOffLeavesAnEmptyFile) {
  TempDir dir;
  const std::string path = dir.file("DATA_LOG.txt");
  writeFile(path, " 1  1  10  1 \r\n");
  Harness h(path);
  h.set(TextBox::Text6, "100");
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(DataLog, RecordingFollowsTheBoxDuringTheRun) {
  // Find the ticks of the first pulses, then switch recording on at pulse 2,
  // off at pulse 3, on again at pulse 4, and stop at pulse 5.
  std::vector<std::int64_t> pulseTick(6);
  {
    Harness probe;
    probe.readouts.stopAtPulse = 5;
    probe.run();
    for (std::int64_t n = 1; n <= 5; ++n)
      pulseTick[n] = probe.readouts.first(Readout::Text7, n).tick;
  }
  ASSERT_EQ(pulseTick[2], 71191);

  TempDir dir;
  Harness h(dir.file("DATA_LOG.txt"));
  h.readouts.duringYield = [&](std::int64_t pulse) {
    if (pulse >= 2 && pulse <= 4) h.form.setOptionValue(CheckBox::Check1, pulse == 3 ? 0 : 1);
  };
  h.readouts.stopAtPulse = 5;
  EXPECT_EQ(h.run().end, RunEnd::Stopped);

  // A change made in the yield of a pulse counts from that tick's own log step.
  std::vector<std::int64_t> expected;
  for (std::int64_t k = 1; 8 * k < pulseTick[5]; ++k) {
    const std::int64_t t = 8 * k;
    if ((t >= pulseTick[2] && t < pulseTick[3]) || t >= pulseTick[4]) expected.push_back(k);
  }
  std::vector<std::int64_t> samples;
  for (const auto& line : logLines(dir.file("DATA_LOG.txt"))) samples.push_back(fields(line)[0]);
  EXPECT_EQ(samples.front(), 8899);  // first log step after tick 71191
  EXPECT_EQ(samples, expected);
}

// Both runs end in an overflow; the log is closed with every record
// written before it.
TEST(DataLog, NegativeCountersPrintWithAMinusSign) {
  TempDir dir;
  {
    // Speed -3: the pulse accumulator grows by 3 a tick from R = max - 300
    // and overflows in tick 101.
    Harness h(dir.file("speed.txt"));
    h.box(CheckBox::Check5, 1).box(CheckBox::Check1, 1);
    h.set(TextBox::Text4, "-3").set(TextBox::Text2, "0").set(TextBox::Text1, "2147483347");
    const RunOutcome out = h.run();
    ASSERT_TRUE(out.failed());
    EXPECT_EQ(out.failure->error, RunError::Overflow);
    EXPECT_EQ(out.ticks, 100);
    const auto lines = logLines(dir.file("speed.txt"));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], " 1  1 -3  0 ");
    EXPECT_EQ(lines[11], " 12  1 -3  0 ");
  }
  {
    // accelCounter -5: the speed accumulator gains 5 a speed step (ticks
    // 1, 9, 17, ...) and passes 32767 at the 4954th, in tick 39625.
    Harness h(dir.file("accel.txt"));
    h.box(CheckBox::Check5, 1).box(CheckBox::Check1, 1).set(TextBox::Text2, "-5");
    const RunOutcome out = h.run();
    ASSERT_TRUE(out.failed());
    EXPECT_EQ(out.failure->error, RunError::Overflow);
    EXPECT_EQ(out.ticks, 39624);
    const auto lines = logLines(dir.file("accel.txt"));
    ASSERT_EQ(lines.size(), 4953u);
    EXPECT_EQ(lines[0], " 1  1  10 -5 ");
    EXPECT_EQ(lines.back(), " 4953  1  10 -5 ");
  }
}

}  // namespace
}  // namespace tarvex::test
