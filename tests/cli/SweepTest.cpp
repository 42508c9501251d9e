// Parameter sweeps: the VALUES a --vary takes, rows against single runs, a
// failed run among them, Ctrl-C, and the family plot.
#include <gmock/gmock.h>

#include <cstdlib>
#include <iterator>
#include <sstream>
#include <tuple>
#include <utility>

#include "BatchOptions.h"
#include "BatchProcess.h"
#include "PngPixels.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tarvex::batch {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using Args = std::vector<std::string>;

Args words(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(SweepCommandLine, MakesTheTextsOfEachValuesSpecAndRefusesBadOnes) {
  const std::pair<const char*, Args> good[] = {
      {"driveSpeed=1000:1003:1", {"1000", "1001", "1002", "1003"}},
      {"Text5=10:1:-4", {"10", "6", "2"}},
      {"jerkAccel=5:5:3", {"5"}},
      {"timeDisplayMax=0.5:1:0.25", {"0.50", "0.75", "1.00"}},
      {"speedDisplayMax=-1:-2:-0.5", {"-1.0", "-1.5", "-2.0"}},
      {"range=a,,1e3,1:2", {"a", "", "1e3", "1:2"}},
      {"outputPulses=", {""}}};
  for (const auto& [values, texts] : good) {
    const ParseResult r = parseCommandLine({"--vary", values});
    EXPECT_EQ(r.error, "") << values;
    if (r.error.empty()) EXPECT_EQ(r.options.variations.at(0).texts, texts) << values;
  }
  for (const char* bad :
       {"--vary driveSpeed=1:10:0", "--vary driveSpeed=10:1:1", "--vary driveSpeed=1:2",
        "--vary driveSpeed=1:2:3:4", "--vary driveSpeed=1.5:2:1", "--vary range=1:2:0.5",
        "--vary Text10=1:2:.5", "--vary nosuch=1", "--vary Text5=1 --vary driveSpeed=2",
        "--vary range=1:1000:1 --vary driveSpeed=1:1001:1", "--vary range=1 --record",
        "--vary range=1 --log x", "--vary range=1 --points p", "--vary range=1 --box Check1=1",
        "--vary range=1 --at 3:Check1=2", "--jobs 2", "--vary range=1 --jobs 0"})
    EXPECT_NE(parseCommandLine(words(bad)).error, "") << bad;
  // What is wrong is said: which bound and its limit, a missing '=', a readout.
  const std::pair<const char*, const char*> said[] = {
      {"--vary jerkAccel", "--vary: 'jerkAccel' has no '=' (NAME=VALUES)"},
      {"--vary driveSpeed=a:2:1", "--vary driveSpeed=a:2:1: FROM 'a' is not a number"},
      {"--vary driveSpeed=1:1234567890123456789:1",
       "--vary driveSpeed=1:1234567890123456789:1: TO '1234567890123456789' has 19 digits, more "
       "than the 18 a bound may have"},
      {"--vary timeDisplayMax=1:10:0.00000000000000001",
       "--vary timeDisplayMax=1:10:0.00000000000000001: TO with 17 decimals has more than the 18 "
       "digits a bound may have"},
      {"--vary Text7=1,2",
       "--vary: Text7 is a readout, which every run overwrites with what it "
       "shows"}};
  for (const auto& [args, message] : said) EXPECT_EQ(parseCommandLine(words(args)).error, message);
  EXPECT_EQ(parseCommandLine(words("a.prm --vary range=1 --vary Text3=1:1000:1 --box Check1=0 "
                                   "--at 3:Check1=0 --jobs 64 --plot f.svg --json --stop-at 5"))
                .error,
            "");
}

// Run i of a product takes its texts as the digits of i, the first --vary
// the most significant: the first one outermost.
TEST(SweepPlan, TheFirstVariationIsOutermost) {
  const std::vector<Variation> product = {{"range", TextBox::Text1, {"a", "b"}},
                                          {"driveSpeed", TextBox::Text5, {"x", "y", "z"}},
                                          {"jerkAccel", TextBox::Text3, {"p", "q"}}};
  const std::pair<std::int64_t, const char*> runs[] = {{0, "a x p"}, {1, "a x q"}, {2, "a y p"},
                                                       {5, "a z q"}, {6, "b x p"}, {11, "b z q"}};
  for (const auto& [index, texts] : runs) {
    std::string got;
    for (const std::string_view text : runTexts(product, index))
      got += (got.empty() ? "" : " ") + std::string(text);
    EXPECT_EQ(got, texts) << index;
  }
  EXPECT_EQ(sweepRunCount(product), 12);
}

using Sweep = test::BatchProcess;

TEST_F(Sweep, RowsFollowTheProductOrderAndEqualTheSingleRunsWhateverTheJobs) {
  const std::string common = "--set outputPulses=5000 --at 1500:Check2=0 --json ";
  std::string expected;
  for (const char* jerk : {"0", "600"})
    for (const char* speed : {"1000", "3000", "x"}) {
      std::string single = run(common + "--set jerkAccel=" + jerk + " --set driveSpeed=" + speed);
      single.resize(single.size() - 2);  // the object, still open
      expected += single + ", \"vary\": {\"jerkAccel\": \"" + jerk + "\", \"driveSpeed\": \"" +
                  speed + "\"}";
      expected += "\n";
    }
  for (const char* jobs : {"1", "2"}) {
    std::istringstream rows(run(common +
                                "--vary jerkAccel=0,600 --vary driveSpeed=1000,3000,x "
                                "--jobs " +
                                jobs));
    std::string got;
    for (std::string row; std::getline(rows, row);)
      got += row.substr(0, row.find("}, \"sec")) + "}\n";
    EXPECT_EQ(got, expected) << jobs;
    EXPECT_EQ(status, 1) << jobs;
  }
  EXPECT_THAT(
      err,
      HasSubstr(
          "2 of 6 runs failed; the first, jerkAccel=0 driveSpeed=x: Type "
          "mismatch in the field ドライブ速度： (Text5, driveSpeed): the text is not a number: "
          "'x'\n"));
}

// 0 when every run completed or stopped, 1 when any failed, 2 for bad
// usage; the rows in product order even when the first run is the slowest.
TEST_F(Sweep, ExitStatusAndOrderWhateverTheOrderInWhichRunsEnd) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"--vary outputPulses=5,6", 0, "5\n6\n"},
      {"--vary outputPulses=5,6 --stop-at 3", 0, "5\n6\n"},
      {"--vary outputPulses=5,x", 1, "5\nx\n"},
      {"--vary outputPulses=x,5", 1, "x\n5\n"},
      {"--tick-by-tick --vary outputPulses=100000,x,7,x,8 --jobs 2", 1, "100000\nx\n7\nx\n8\n"},
      {"--vary outputPulses=5 --record", 2, ""},
      {"--vary outputPulses=5 --jobs 65", 2, ""}};
  for (const auto& [args, exitStatus, firstColumn] : cases) {
    std::istringstream rows(run(args));
    std::string got, row;
    for (std::getline(rows, row); std::getline(rows, row);)
      got += row.substr(0, row.find(',')) + "\n";
    EXPECT_EQ(status, exitStatus) << args << err;
    EXPECT_EQ(got, firstColumn) << args;
  }
}

TEST_F(Sweep, CsvRowsCarryTheReadoutsAndTheFiguresAndAFailureIsOneRow) {
  EXPECT_EQ(run("--vary driveSpeed=3000,40000"),
            "driveSpeed,outcome,error,ticks,seconds,pulses,Text7,Text9,Text12,Text14,Text15,"
            "Text16,Text17,Option1,peak_pps,accel_end_s,decel_start_s\n"
            "3000,completed,,8108481,1.013560125,20000,20000,5085,10,0,8,1,2999,0,29990.000,"
            "0.337922125,0.665730125\n"
            "40000,failed,overflow,0,0.000000000,0,0,0,0,0,0,0,0,0,0.000,,\n");
  EXPECT_EQ(status, 1);
  // Linear with triangle prevention: the peak 2236 is 22360 pulses/s, the indicator on.
  EXPECT_THAT(run("--linear --vary outputPulses=100"), HasSubstr(",2236,1,22360.000,"));
#ifndef _WIN32
  EXPECT_THAT(run("--vary 'Text8=\"on\"'"), HasSubstr("\n\"\"\"on\"\"\",completed,"));
#endif
}

#ifndef _WIN32
TEST_F(Sweep, InterruptPrintsACompletePrefixOfRowsAndSaysHowManyRan) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(dir.path().c_str()) == 0 && std::freopen("stdout", "w", stdout) != nullptr &&
        std::freopen("stderr", "w", stderr) != nullptr)
      execl(TARVEX_BATCH, TARVEX_BATCH, "--vary", "driveSpeed=1000:2999:1", "--jobs", "2",
            static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 30000 && test::readFile(dir.file("stdout")).size() < 5000; ++i) usleep(1000);
  kill(child, SIGINT);
  int raw = 0;
  ASSERT_EQ(waitpid(child, &raw, 0), child);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << raw;
  const std::string rows = test::readFile(dir.file("stdout"));
  const auto ran = std::count(rows.begin(), rows.end(), '\n') - 1;
  ASSERT_GT(ran, 0);
  ASSERT_LT(ran, 2000);
  // Runs that ended after the first unfinished one count as finished, not as rows.
  const std::string said = test::readFile(dir.file("stderr"));
  EXPECT_THAT(said, EndsWith(" of 2000 runs finished, " + std::to_string(ran) + " rows printed\n"));
  long finished = 0;
  EXPECT_EQ(
      std::sscanf(said.substr(said.rfind("interrupted: ")).c_str(), "interrupted: %ld", &finished),
      1);
  EXPECT_GE(finished, ran);
  EXPECT_EQ(rows, run("--vary driveSpeed=1000:" + std::to_string(999 + ran) + ":1"));
}
#endif

TEST_F(Sweep, PlotsEveryCurveInOnePictureWithALegend) {
  run("--vary jerkAccel=0:1100:100 --plot family.svg");
  EXPECT_EQ(status, 0) << err;
  const std::string svg = test::readFile(dir.file("family.svg"));
  for (const char* part : {"stroke=\"#1f77b4\" d=\"M0 3939.13", ">jerkAccel<", ">0<", ">900<",
                           ">+2 more in gray<", "<path stroke=\"#b4b4b4\" d=\"M0 3939.13"})
    EXPECT_THAT(svg, HasSubstr(part));
  EXPECT_EQ(svg.find(">1000<"), std::string::npos);
  EXPECT_GT(svg.find("#1f77b4\" d="), svg.rfind("#b4b4b4\" d="));  // colours over the grays
  run("--vary jerkAccel=0,600 --plot family.png");
  EXPECT_EQ(err, "");
  // The legend's box as the graph's tests draw it: "jerkAccel", then a blue
  // and a red swatch (rows 32-33, 46-47) for 0 and 600; the 'j' at 600 x 23.
  const test::PngPixels png = test::decodePng(test::readFile(dir.file("family.png")));
  ASSERT_EQ(std::pair(png.width, png.height), std::pair(668, 268));
  EXPECT_EQ(std::tuple(png.at(594, 6), png.at(599, 32), png.at(620, 47), png.at(601, 23)),
            std::tuple(0x000000u, 0x1f77b4u, 0xd62728u, 0x383838u));
}

// Varied texts reach the JSON as valid UTF-8, stderr without what a
// terminal would act on, and the legend as text XML can hold; a plot path
// that cannot be written is known before the first run.
TEST_F(Sweep, TextsAreEscapedForEachOutputAndAPlotPathIsCheckedFirst) {
#ifndef _WIN32  // the odd bytes are made by the POSIX shell's printf
  const std::string odd = "'\xff\x1b[41m'";
  EXPECT_THAT(run("--vary \"driveSpeed=$(printf " + odd + "),1000\" --json --plot f.svg"),
              HasSubstr("\"vary\": {\"driveSpeed\": \"\xef\xbf\xbd\\u001b[41m\"}"));
  EXPECT_EQ(err.find('\x1b'), std::string::npos) << err;
  const std::string svg = test::readFile(dir.file("f.svg"));
  EXPECT_THAT(svg, HasSubstr(">\xef\xbf\xbd\xef\xbf\xbd[41m<"));
  EXPECT_THAT(run("--vary \"driveSpeed=$(printf '\xff\xef\xbf\xbe')\""),
              HasSubstr("\n\xef\xbf\xbd\xef\xbf\xbd,failed,"));  // the CSV too
#endif
  EXPECT_EQ(run("--vary driveSpeed=1000,2000 --plot no/such/folder/f.svg"), "");
  EXPECT_EQ(status, 1);
  EXPECT_THAT(err, HasSubstr("the plot: cannot create no/such/folder/f.svg"));
#ifndef _WIN32
  // The standard output a file at the file size limit, which it adds to.
  test::writeFile(dir.file("full"), std::string(4096, 'x'));
  run("--vary driveSpeed=1,2", ">full", 4096);
  EXPECT_EQ(status, 1);
  EXPECT_THAT(err, HasSubstr("the rows: cannot write the standard output: File too large"));
#endif
}

}  // namespace
}  // namespace tarvex::batch
