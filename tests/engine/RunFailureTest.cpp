// Runs that end in a runtime error: a field that is no number or too wide, a
// guarded counter leaving its width, a data log that cannot be opened or
// written. The run ends where the error occurs and closes the log.
#include "EngineTestSupport.h"

namespace tarvex::test {
namespace {

TEST(RunFailure, BadFieldFailsAtItsConversionInFieldOrder) {
  struct Case {
    std::vector<std::pair<TextBox, const char*>> texts;
    RunError error;
    ParamField field;
  };
  const Case cases[] = {
      {{{TextBox::Text1, ""}}, RunError::TypeMismatch, ParamField::Range},
      {{{TextBox::Text13, "1,000"}}, RunError::TypeMismatch, ParamField::Deceleration},
      {{{TextBox::Text4, "40000"}}, RunError::Overflow, ParamField::InitialSpeed},
      {{{TextBox::Text5, "32768"}}, RunError::Overflow, ParamField::DriveSpeed},
      {{{TextBox::Text6, "2147483648"}}, RunError::Overflow, ParamField::OutputPulses},
      {{{TextBox::Text19, "&H10"}}, RunError::TypeMismatch, ParamField::ManualDecelPoint},
      // The fields are converted in the order 1, 2, 13, 18, 3, 20, 4, 5, 6, 19.
      {{{TextBox::Text2, "x"}, {TextBox::Text1, "y"}}, RunError::TypeMismatch, ParamField::Range},
      {{{TextBox::Text3, "x"}, {TextBox::Text18, "99999999999"}},
       RunError::Overflow,
       ParamField::AccelOffset},
      {{{TextBox::Text4, "x"}, {TextBox::Text20, "y"}},
       RunError::TypeMismatch,
       ParamField::JerkDecel}};
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(paramInfo(c.field).name);
    const std::string path = dir.file("DATA_LOG.txt");
    writeFile(path, "old\r\n");
    Harness h(path);
    for (const auto& [box, text] : c.texts) h.set(box, text);
    const RunOutcome out = h.run();
    ASSERT_TRUE(out.failed());
    EXPECT_EQ(out.failure->error, c.error);
    EXPECT_EQ(out.failure->field, c.field);
    EXPECT_NE(describeFailure(out).find(paramInfo(c.field).caption), std::string::npos)
        << describeFailure(out);
    // The log has been emptied and the graph framed; nothing was shown.
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(h.surface.clears, 1);
    EXPECT_TRUE(h.readouts.events.empty());
    EXPECT_FALSE(h.engine.log().isOpen());
  }
}

TEST(RunFailure, SetUpCountersOverflow) {
  Harness k;
  k.set(TextBox::Text3, "2147483647");  // jerkCounter = K + 1
  ASSERT_TRUE(k.run().failed());
  EXPECT_EQ(k.outcome.failure->error, RunError::Overflow);
  EXPECT_FALSE(k.outcome.failure->field.has_value());
  EXPECT_TRUE(k.readouts.events.empty());

  Harness ao;
  ao.set(TextBox::Text18, "-2147483648");  // decelPointCounter = AO - 1
  ASSERT_TRUE(ao.run().failed());
  EXPECT_EQ(ao.outcome.failure->error, RunError::Overflow);
  ASSERT_EQ(ao.readouts.events.size(), 1u);  // only Text12
  EXPECT_EQ(ao.readouts.events[0].readout, Readout::Text12);
}

TEST(RunFailure, GuardedStepsInTheLoopOverflow) {
  struct Case {
    const char* what;
    std::vector<std::pair<TextBox, const char*>> texts;
    std::vector<std::pair<CheckBox, std::int16_t>> boxes;
    std::int64_t ticks, pulses;
  };
  const Case cases[] = {
      // Linear accelCounter takes A as a 16-bit value in tick 1.
      {"accelCounter = A", {{TextBox::Text2, "40000"}}, {{CheckBox::Check5, 1}}, 0, 1},
      // The asymmetric estimate keeps growing after acceleration has ended;
      // the triangle test still forms 2 (dpc + apc) at pulse 2 and overflows.
      {"linear triangle sum",
       {{TextBox::Text2, "1000"}, {TextBox::Text13, "1"}, {TextBox::Text18, "536870911"}},
       {{CheckBox::Check5, 1}, {CheckBox::Check7, 0}},
       80000,
       2},
      // A speed of 32767 raised again: with V below SV the linear
      // acceleration never meets V and raises the speed at every speed step
      // (ticks 1, 9, 17, ...); the 32758th raise is in tick 262057.
      {"speedCounter + 1",
       {{TextBox::Text5, "5"}, {TextBox::Text6, "2000000000"}},
       {{CheckBox::Check5, 1}},
       262056,
       -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Harness h;
    for (const auto& [box, text] : c.texts) h.set(box, text);
    for (const auto& [box, value] : c.boxes) h.box(box, value);
    const RunOutcome out = h.run();
    ASSERT_TRUE(out.failed());
    EXPECT_EQ(out.failure->error, RunError::Overflow);
    EXPECT_EQ(out.ticks, c.ticks);
    if (c.pulses >= 0) {
      EXPECT_EQ(out.pulses, c.pulses);
    }
  }
}

TEST(RunFailure, NewStateIsShownEvenWhenItsTransitionOverflows) {
  // Manual asymmetric deceleration reloads jerkCounter with L + 1 after the
  // state has become 5.
  Harness h;
  h.box(CheckBox::Check3, 1).box(CheckBox::Check6, 1).set(TextBox::Text20, "2147483647");
  const RunOutcome out = h.run();
  ASSERT_TRUE(out.failed());
  EXPECT_EQ(out.failure->error, RunError::Overflow);
  EXPECT_EQ(out.pulses, 1000);
  EXPECT_EQ(h.readouts.lastShown(Readout::Text15), 5);
}

TEST(RunFailure, FailedRunClosesTheLogWithItsRecordsAndALaterRunReopensIt) {
  TempDir dir;
  const std::string path = dir.file("DATA_LOG.txt");
  Harness h(path);
  h.box(CheckBox::Check5, 1).box(CheckBox::Check1, 1);
  h.set(TextBox::Text5, "5").set(TextBox::Text6, "2000000000");
  ASSERT_TRUE(h.run().failed());
  EXPECT_FALSE(h.engine.log().isOpen());
  auto lines = logLines(path);
  ASSERT_EQ(lines.size(), 262056u / 8);
  EXPECT_EQ(fields(lines.back())[2], 32767);

  h.set(TextBox::Text5, "3000").set(TextBox::Text6, "100");
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  lines = logLines(path);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.size(), static_cast<std::size_t>(h.outcome.ticks / 8));
  EXPECT_EQ(fields(lines.front())[0], 1);
}

TEST(RunFailure, UnopenableLogEndsTheRunBeforeTheGraph) {
  TempDir dir;
  for (const std::string& path : {dir.file("missing/DATA_LOG.txt"), dir.file("")}) {
    SCOPED_TRACE(path);
    Harness h(path);
    const RunOutcome out = h.run();
    ASSERT_TRUE(out.failed());
    EXPECT_EQ(out.failure->error, RunError::File);
    EXPECT_EQ(h.readouts.clearStops, 1);
    EXPECT_EQ(h.surface.clears, 0);
    EXPECT_TRUE(h.readouts.events.empty());
  }
}

TEST(RunFailure, FullDiskEndsTheRunWithTheFileError) {
  Harness h("/dev/full");
  h.box(CheckBox::Check1, 1);
  const RunOutcome out = h.run();
  ASSERT_TRUE(out.failed());
  EXPECT_EQ(out.failure->error, RunError::File);
  EXPECT_GT(out.ticks, 0);
  EXPECT_FALSE(h.engine.log().isOpen());
}

}  // namespace
}  // namespace tarvex::test
