// The batch runner's command line: what is refused, and what a good one asks
// for; the texts it prints; the limit of a points file.
#include <gmock/gmock.h>

#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "BatchOptions.h"
#include "GraphExport.h"
#include "PrintableText.h"
#include "TestSupport.h"

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
        "--box Check0=1", "--box Check3=-1", "--set nosuch=1", "--set Text21=1", "--stop-at 0",
        "--plot x.gif", "--log", "--bogus", "a.prm b.prm", "--json a.prm", "-- a.prm b.prm",
        "a.prm -- b.prm", "--stop-at 1 --stop-at 2", "--log a --log b", "--points a --points b"})
    EXPECT_NE(parseCommandLine(words(bad)).error, "") << bad;
  for (const char* good :
       {"--at 1:Check3=1 --at 1:Check3=0", "--box Check7=2", "--set Text20=5", "--stop-at 1",
        "--plot X.SVG", "--plot g.Png", "a.prm --json --json", "--json --"})
    EXPECT_EQ(parseCommandLine(words(good)).error, "") << good;
  // What went wrong is said, not guessed from the next step.
  EXPECT_EQ(parseCommandLine(words("--set range")).error, "--set: 'range' has no '=' (NAME=TEXT)");
  EXPECT_EQ(parseCommandLine(words("--log --json")).error,
            "--log needs a file name, got the option '--json'");
  EXPECT_EQ(parseCommandLine(words("--plot a.svg --plot b.svg")).error, "--plot is given twice");
  EXPECT_EQ(parseCommandLine(words("--json -- --odd.prm")).options.parameterFile,
            std::filesystem::path("--odd.prm"));
}

// The usage names every option a second time refuses, and only those.
TEST(BatchCommandLine, UsageNamesTheOptionsThatComeOnce) {
  EXPECT_THAT(usageText(),
              ::testing::HasSubstr("Options that come once: --stop-at, --log, --plot, --points, "
                                   "--trace, --jobs,\n--solve, --save.\n"));
  for (const char* twice : {"--solve pulses=1,peak=1,accel_time=1 --solve pulses=1",
                            "--solve pulses=1,peak=1,accel_time=1 --save a.prm --save b.prm"})
    EXPECT_THAT(parseCommandLine(words(twice)).error, ::testing::HasSubstr("is given twice"))
        << twice;
}

// One rule for every output: what is not a character that JSON, XML and a
// terminal can all hold (bytes that are not UTF-8, overlong forms,
// surrogates, values past U+10FFFF, U+FFFE, U+FFFF) is U+FFFD, one for each
// byte; then each output escapes what it must.
TEST(PrintableText, EveryOutputWritesValidUtf8WithOneReplacementRule) {
  const std::string R = "\xef\xbf\xbd";  // U+FFFD
  // clang-format off
  const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
      // text, as JSON, for a terminal, in SVG
      {"速度 1", "\"速度 1\"", "速度 1", "速度 1"},
      {"a\"b\\c<&>", "\"a\\\"b\\\\c<&>\"", "a\"b\\\\c<&>", "a&quot;b\\c&lt;&amp;&gt;"},
      {"\x1b[31m\t", "\"\\u001b[31m\\u0009\"", "\\x1b[31m\\x09", R + "[31m\t"},
      {"\x7f\xc2\x9b", "\"\x7f\xc2\x9b\"", "\\x7f\\xc2\\x9b", "\x7f\xc2\x9b"},  // DEL, C1 CSI
      {"\xff\xe9t\xe3\x81", "\"" + R + R + "t" + R + R + "\"", R + R + "t" + R + R,
       R + R + "t" + R + R},
      {"\xc0\xaf\xed\xa0\x80", "\"" + R + R + R + R + R + "\"", R + R + R + R + R,  // overlong,
       R + R + R + R + R},                                                          // surrogate
      {"\xf0\x9f\x98\x80\xf4\x90\x80\x80", "\"\xf0\x9f\x98\x80" + R + R + R + R + "\"",
       "\xf0\x9f\x98\x80" + R + R + R + R, "\xf0\x9f\x98\x80" + R + R + R + R},  // past U+10FFFF
      {"\xef\xbf\xbe\xef\xbf\xbf\xef\xbf\xbd", "\"" + R + R + R + "\"", R + R + R, R + R + R},
      // U+2029, U+202A, U+202E, U+202F, U+2064, U+2066, U+2069, U+2070: the
      // bidirectional controls are escaped for a terminal, their neighbours not.
      {"\u2029\u202a\u202e\u202f\u2064\u2066\u2069\u2070",
       "\"\u2029\u202a\u202e\u202f\u2064\u2066\u2069\u2070\"",
       "\u2029\\xe2\\x80\\xaa\\xe2\\x80\\xae\u202f\u2064\\xe2\\x81\\xa6\\xe2\\x81\\xa9\u2070",
       "\u2029\u202a\u202e\u202f\u2064\u2066\u2069\u2070"},
  };
  // clang-format on
  for (const auto& [text, json, shown, svg] : cases) {
    EXPECT_EQ(jsonString(text), json);
    EXPECT_EQ(terminalText(text), shown);
    GraphPicture picture;
    picture.setTimeAxisCaption(text);
    EXPECT_THAT(picture.toSvg(), testing::HasSubstr("\">" + svg + "</text>"));
  }
}

TEST(BatchGraph, APointsFileEndsAtItsLimitAndSaysSo) {
  test::TempDir dir;
  BatchGraph graph(dir.file("p.txt"), std::nullopt, std::nullopt, 2);
  for (const float x : {0.0f, 1.0f, 2.0f}) graph.pointPlotted({{}, x, 3949.5f, 800000});
  EXPECT_THAT(graph.finishPoints(), testing::HasSubstr(": the run plots more than 2 points"));
  EXPECT_EQ(test::readFile(dir.file("p.txt")), "0 3949.5\n1 3949.5\n");
}

// A point where the one before was repeats its line, whatever changed but
// one coordinate or the sign of a zero; the lines cross the writer's buffer
// whole.
TEST(BatchGraph, EachPointIsTheLineOfItsPlace) {
  test::TempDir dir;
  BatchGraph graph(dir.file("p.txt"), std::nullopt);
  const std::pair<float, float> places[] = {{9990.0f, 3939.13f},  {9990.0f, 3939.13f},
                                            {9990.0f, 3419.968f}, {-0.0f, 0.0f},
                                            {0.0f, 0.0f},         {0.0f, -0.0f}};
  for (const auto& [x, y] : places) graph.pointPlotted({{}, x, y, 800000});
  for (int i = 0; i < 7000; ++i) graph.pointPlotted({{}, 1e-7f, 1.5f, 800000});
  EXPECT_EQ(graph.finishPoints(), "");
  std::string expected = "9990 3939.13\n9990 3939.13\n9990 3419.968\n-0 0\n0 0\n0 -0\n";
  for (int i = 0; i < 7000; ++i) expected += "1e-07 1.5\n";
  EXPECT_EQ(test::readFile(dir.file("p.txt")), expected);
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
