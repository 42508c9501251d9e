// The batch runner's command line: what is refused, and what a good one asks for.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "BatchOptions.h"

namespace tarvex::batch {
namespace {

using Args = std::vector<std::string>;

// The arguments a shell makes of `line`.
Args words(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(BatchCommandLine, RefusesBadUsageAndAcceptsTheGoodCounterparts) {
  for (const char* bad :
       {"--at 0:Check3=1", "--at x:Check3=1", "--at 5:Check8=1", "--at 5:Check3=3",
        "--box Check0=1", "--box Check3=-1", "--set nosuch=1", "--set range", "--set Text21=1",
        "--stop-at 0", "--plot x.gif", "--log", "--bogus", "a.prm b.prm", "--json a.prm"})
    EXPECT_NE(parseCommandLine(words(bad)).error, "") << bad;
  for (const char* good : {"--at 1:Check3=1", "--box Check7=2", "--set Text20=5", "--stop-at 1",
                           "--plot X.PNG", "a.prm --json"})
    EXPECT_EQ(parseCommandLine(words(good)).error, "") << good;
}

// A set-up step as "Text1=5" or "Check5=1".
std::string stepText(const std::variant<SetText, SetBox>& step) {
  if (const auto* box = std::get_if<SetBox>(&step))
    return controlName(box->box) + "=" + std::to_string(box->value);
  return controlName(std::get<SetText>(step).box) + "=" + std::get<SetText>(step).text;
}

TEST(BatchCommandLine, KeepsTheFileAndTheSetUpInOrderWithEachNameOnItsField) {
  const ParseResult r = parseCommandLine(words(
      "a.prm --linear --manual --asymmetric --record --box Check4=2 --set range=1=2 "
      "--set acceleration=2 --set deceleration=3 --set jerkAccel=4 --set jerkDecel=5 "
      "--set initialSpeed=6 --set driveSpeed=7 --set outputPulses=8 --set accelOffset=9 "
      "--set manualDecelPoint=10 --set speedDisplayMax=11 --set timeDisplayMax=12 --set Text7=13"));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.parameterFile, std::filesystem::path("a.prm"));
  Args steps;
  for (const auto& step : r.options.setup) steps.push_back(stepText(step));
  EXPECT_EQ(steps, words("Check5=1 Check3=1 Check6=1 Check1=1 Check4=2 Text1=1=2 Text2=2 "
                         "Text13=3 Text3=4 Text20=5 Text4=6 Text5=7 Text6=8 Text18=9 Text19=10 "
                         "Text10=11 Text11=12 Text7=13"));
}

}  // namespace
}  // namespace tarvex::batch
