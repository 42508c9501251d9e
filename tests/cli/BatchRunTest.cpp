// Whole runs of tarvex-batch: exit status, what it prints, the files it writes.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "BatchProcess.h"
#include "OutputFile.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tarvex {
namespace {

namespace fs = std::filesystem;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using BatchRun = test::BatchProcess;

// The files in the test's folder with their contents, the runner's own
// stdout and stderr left out.
std::vector<std::string> folderContents(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "stdout" && name != "stderr")
      files.push_back(name + ":" + (entry.is_regular_file() ? test::readFile(entry) : "-"));
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST_F(BatchRun, BadUsageAnUnloadableFileOrOutputsOnOneFileExitWithTwoAndTouchNothing) {
  test::writeFile(dir.file("short.prm"), "\"40000\",\"1.2\"\r\n");
  test::writeFile(dir.file("old.txt"), "old");
  const std::string prm =
      "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\","
      "\"20000\"\r\n\"1000\",\"0\",1,0,1,0,0,\"600\"\r\n";
  test::writeFile(dir.file("p.prm"), prm);
  test::writeFile(dir.file("box.prm"), prm.substr(0, prm.size() - 13) + "x,0,0,\"600\"\r\n");
  test::writeFile(dir.file("open.prm"), prm.substr(0, prm.size() - 3));
  fs::create_directory(dir.file("folder.prm"));
  std::vector<std::pair<std::string, std::string>> cases = {
      {"--at 0:Check3=1", "--at"},
      {"short.prm",
       "cannot load short.prm: not a parameter file: the data end before field 3 (range) on "
       "line 2 is complete (17 fields); nothing was loaded"},
      {"box.prm", "field 14 (S-curve) on line 2 holds \"x\", where 0, 1 or 2 belongs"},
      {"open.prm", "the data end before field 17 (jerkDecel) on line 2 is complete"},
      {"missing.prm", "cannot load missing.prm: missing (no such file)"},
      {"folder.prm", "cannot load folder.prm: not a regular file (a directory)"},
      {"--log same.txt --points same.txt", "the data log and the points file are the same file"},
      {"--log old.txt --points ./old.txt", "the same file: old.txt, ./old.txt"},
      {"p.prm --log p.prm", "the parameter file and the data log are the same file"}};
#ifndef _WIN32
  fs::create_symlink("gone.txt", dir.file("link.svg"));
  fs::create_symlink("p.prm", dir.file("prm.svg"));
  fs::create_hard_link(dir.file("old.txt"), dir.file("hard.txt"));
  fs::create_symlink("fifo.prm", dir.file("pipe.svg"));
  cases.insert(
      cases.end(),
      {{"--log gone.txt --plot link.svg", "the same file: gone.txt, link.svg"},
       {"p.prm --plot prm.svg", "the parameter file and the plot are"},
       {"--points hard.txt --log old.txt", "the same file"},
       {"/dev/zero", "cannot load /dev/zero: not a regular file (a device)"},
       {"fifo.prm", "not a regular file (a named pipe)"},  // no wait for a writer
       // Pipes are files like any other; only the null device is shared.
       {"--points fifo.prm --trace fifo.prm", "the points file and the trace are the same"},
       {"--log fifo.prm --plot pipe.svg", "the data log and the plot are the same file"}});
  mkfifo(dir.file("fifo.prm").c_str(), 0600);
  if (test::makeDeviceLike("/dev/null", dir.file("null"))) {
    EXPECT_THAT(run("--log null --points null --json"),
                StartsWith("{\"outcome\": \"completed\""));  // the null device may take several
    fs::remove(dir.file("null"));
  }
#endif
  run("--at 0:Check3=1");  // bad usage: one line that says why, one that says where to look
  EXPECT_EQ(err,
            "tarvex-batch: --at: expected PULSE:CheckN=V with PULSE 1 or more, got '0:Check3=1'\n"
            "Try 'tarvex-batch --help'.\n");
  const auto before = folderContents(dir.path());
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(run(args), "") << args;
    EXPECT_EQ(status, 2) << args;
    EXPECT_THAT(err, HasSubstr(message)) << args;
    EXPECT_EQ(folderContents(dir.path()), before) << args;
  }
}

TEST_F(BatchRun, StartupRunPrintsItsJsonAndEmptiesTheLog) {
  test::writeFile(dir.file("DATA_LOG.txt"), " 1  1  10  1 \r\n");
  EXPECT_EQ(run("--json"),
            "{\"outcome\": \"completed\", \"error\": null, \"ticks\": 8108481, \"pulses\": 20000, "
            "\"readouts\": {\"Text7\": \"20000\", \"Text9\": \"5085\", \"Text12\": \"10\", "
            "\"Text14\": \"0\", \"Text15\": \"8\", \"Text16\": \"1\", \"Text17\": \"2999\", "
            "\"Option1\": false}, \"plotPoints\": 8437, \"logLines\": 0}\n");
  EXPECT_EQ(status, 0) << err;
  EXPECT_TRUE(fs::exists(dir.file("DATA_LOG.txt")));
  EXPECT_EQ(test::readFile(dir.file("DATA_LOG.txt")), "");
  EXPECT_EQ(run("--version"), "tarvex-batch 1.1\n");
}

TEST_F(BatchRun, SummaryGivesTimePeakAndEveryStateWithItsTick) {
  run("");
  EXPECT_THAT(out, HasSubstr("\nSimulated: 8108481 ticks, 1.013560 s; 20000 output pulses\n"));
  EXPECT_THAT(out, HasSubstr("\nPeak speed: speed counter 2999, 29990.0 pulses/s\n"));
  std::istringstream table(out.substr(out.find("\nPhases:\n") + 9));
  std::vector<std::string> rows;  // state and tick of every row after the heading
  for (std::string row; std::getline(table, row);) rows.push_back(row.substr(0, 19));
  EXPECT_EQ(rows, (std::vector<std::string>{"  state        tick", "      1           0",
                                            "      3     1351681", "      4     2703377",
                                            "      5     5325841", "      7     6677513",
                                            "      8     8029185"}));
}

TEST_F(BatchRun, LoadsTheFileFirstThenAppliesTheOptionsInOrder) {
  EXPECT_THAT(run("--linear --box Check4=1 --json"), HasSubstr("\"ticks\": 8108481,"));  // S-curve
  // Drive speed 1000, linear: five pulses while accelerating, the peak at 1000. Japanese
  // names reach the files whatever the system's code page.
  test::writeFile(dir.file("パラメータ.prm"),
                  "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"1000\",\"20000\""
                  "\r\n\"1000\",\"0\",1,0,0,1,0,\"600\"\r\n");
  EXPECT_THAT(run("パラメータ.prm --set outputPulses=5000 --record --log ログ.txt --json"),
              ContainsRegex("\"pulses\": 5000, .*\"Text9\": \"5\", .*\"Text15\": \"7\", "
                            ".*\"Text17\": \"1000\","));
  EXPECT_THAT(out, HasSubstr("\"logLines\": " +
                             std::to_string(test::logLines(dir.file("ログ.txt")).size()) + "}"));
  // Linear: accelCounter is 8000 from the first tick, so tick 8 raises the speed to 11.
  EXPECT_EQ(test::readFile(dir.file("ログ.txt")).substr(0, 18), " 1  1  11  8000 \r\n");
}

TEST_F(BatchRun, StopAndBoxChangesActInThePulsesYield) {
  EXPECT_THAT(run("--stop-at 100 --json"), ContainsRegex("\"stopped\", .*\"pulses\": 100, "));
  // Manual deceleration from pulse 1500, its point long passed: it starts at pulse 1501.
  EXPECT_THAT(run("--at 1500:Check2=0 --stop-at 1502 --json"),
              ContainsRegex("\"pulses\": 1502, .*\"Text9\": \"1501\", .*\"Text15\": \"5\","));
}

TEST_F(BatchRun, RuntimeErrorsExitWithOneAndNameTheField) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"--set range=0", "division-by-zero",
       "Division by zero in the field レンジ： (Text1, range) at"},
      {"--set jerkAccel=2147483647", "overflow",
       "Overflow in the field 加増加率： (Text3, jerkAccel) at jerkCounter = jerkAccel + 1"},
      {"--set Text4=abc", "type-mismatch",
       "Type mismatch in the field 初速度： (Text4, initialSpeed): the text is not a number: "
       "'abc'"},
  };
  for (const auto& [args, error, message] : cases) {
    EXPECT_THAT(run(args + std::string(" --json")),
                HasSubstr("\"outcome\": \"failed\", \"error\": \"" + std::string(error) + "\""));
    EXPECT_EQ(status, 1) << args;
    EXPECT_THAT(err, HasSubstr(message)) << args;
  }
}

// Write failures are provoked in the test's own folder: a file size limit
// of 4096 bytes (which the JSON and the messages stay under, and every
// output here passes), files and FIFOs of its own.
TEST_F(BatchRun, OutputsThatCannotBeWrittenExitWithOneAndTheJsonSaysWhich) {
  fs::create_directory(dir.file("folder.svg"));
  std::FILE* held = openForWriting(dir.file("held.svg"), Output::Plot);  // as another run would
  const std::string tail = "\"plotPoints\": 8437, \"logLines\": 0, \"failedOutputs\": ";
  // arguments, the JSON's end, the message. An output that cannot be
  // created is said at once, and the run goes on to its report.
  std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"--plot folder.svg", tail + "[\"plot\"]}\n", "the plot: cannot create folder.svg: "},
      {"--points no/p.txt", tail + "[\"points\"]}\n", "the points file: cannot create no/p.txt: "},
      {"--trace no/t.csv --plot no/g.png", tail + "[\"plot\", \"trace\"]}\n",
       "the trace: cannot create no/t.csv: "},
      {"--plot held.svg", tail + "[\"plot\"]}\n",
       "cannot create held.svg: another run or program is writing it"},
      {"--log no/log.txt", "\"logLines\": 0, \"failedOutputs\": [\"log\"]}\n", "cannot open no/"}};
#ifndef _WIN32
  mkfifo(dir.file("fifo.svg").c_str(), 0600);
  cases.insert(
      cases.end(),
      {{"--log fifo.svg", "[\"log\"]}\n", "cannot open fifo.svg: nothing reads from it"},
       {"--plot fifo.svg", tail + "[\"plot\"]}\n", "cannot create fifo.svg: nothing reads from it"},
       {"--record --log log.txt", "\"logLines\": 247, \"failedOutputs\": [\"log\"]}\n",
        "the data log: File error: cannot write log.txt: File too large"},
       // Each output named, with the system's reason.
       {"--plot big.svg", tail + "[\"plot\"]}\n", "the plot: cannot write big.svg: File too large"},
       {"--points p.txt", tail + "[\"points\"]}\n",
        "the points file: cannot write p.txt: File too large"},
       {"--trace t.csv", tail + "[\"trace\"]}\n", "the trace: cannot write t.csv: File too large"},
       {"--plot big.png", tail + "[\"plot\"]}\n", "cannot write big.png: File too large"}});
#endif
  for (const auto& [args, json, message] : cases) {
    run(args + " --json", "stdout", 4096);
    EXPECT_EQ(status, 1) << args;
    EXPECT_THAT(out, testing::EndsWith(json)) << args;
    EXPECT_THAT(out, HasSubstr("\"error\": \"file\"")) << args;
    EXPECT_THAT(err, HasSubstr(message)) << args;
    EXPECT_EQ(err.find(message), err.rfind(message)) << args << err;  // said once
  }
  std::fclose(held);
#ifndef _WIN32
  // Standard output full (a file at the size limit it adds to), or closed.
  test::writeFile(dir.file("full"), std::string(4096, 'x'));
  for (const char* stdoutTo : {">full", "&-"}) {
    run("--json", stdoutTo, 4096);
    EXPECT_EQ(status, 1) << stdoutTo;
    EXPECT_THAT(err, HasSubstr("cannot write the report to standard output")) << stdoutTo;
  }
#endif
}

TEST_F(BatchRun, RecordsTheLogWhereTold) {  // its content is the engine suite's
  EXPECT_THAT(run("--record --log log.txt --json"), HasSubstr("\"logLines\": 1000001}"));
  EXPECT_THAT(test::readFile(dir.file("log.txt")),
              StartsWith(" 1  1  10  1 \r\n 2  1  10  1 \r\n"));
}

TEST_F(BatchRun, WritesThePointsAndTheGraph) {
  run("--points points.txt --plot graph.svg");
  const std::string points = test::readFile(dir.file("points.txt"));
  EXPECT_THAT(points, StartsWith("0 3939.13\n1 3939.13\n2 3939.13\n"));
  EXPECT_THAT(points, HasSubstr("\n31 3939.13\n32 3938.143\n"));
  EXPECT_EQ(std::count(points.begin(), points.end(), '\n'), 8438);
  EXPECT_THAT(test::readFile(dir.file("graph.svg")), StartsWith("<?xml"));
  // Points far outside the picture, which once crashed the runner.
  test::writeFile(dir.file("far.prm"),
                  "\"-0.001\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\","
                  "\"3000\",\"20000\"\r\n\"1000\",\"0\",1,0,1,0,0,\"600\"\r\n");
  for (const char* args :
       {"far.prm --record", "--set initialSpeed=-1000 --set speedDisplayMax=1e-5"}) {
    run(args + std::string(" --plot graph.png --json"));
    EXPECT_EQ(status, 0) << args << err;
    const std::string png = test::readFile(dir.file("graph.png"));
    EXPECT_THAT(png, StartsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\x9c\0\0\x01\x0c", 8));  // 668 x 268
  }
#ifndef _WIN32
  run("--plot 'caf\xe9.png'");  // a Latin-1 name, not UTF-8: used as it is
  EXPECT_TRUE(fs::exists(dir.file("caf\xe9.png"))) << err;
#endif
}

// One CSV row per plotted point, each point's y drawn from its speed counter
// (speedScale 0.987), then a row for the last tick when no point fell on it
// (the readouts' values: 20000 pulses, speed 10, counter 0, state 8); a
// stopped or failed run keeps its rows up to its end.
TEST_F(BatchRun, TraceHoldsEveryPlottedPointAsCsv) {
  run("--trace t.csv --points p.txt");
  std::istringstream csv(test::readFile(dir.file("t.csv"))),
      points(test::readFile(dir.file("p.txt")));
  std::string row, last, header = "tick,time_s,pulses,speed_counter,speed_pps,accel_counter,state";
  std::getline(csv, row);
  EXPECT_EQ(row, header);
  long rows = 0, tick = 0, speed = 0;
  for (float x, y; std::getline(csv, row) && points >> x >> y; ++rows) {
    EXPECT_EQ(std::sscanf(row.c_str(), "%ld,%*f,%*d,%ld", &tick, &speed), 2) << row;
    EXPECT_EQ(tick, rows * 961) << row;
    EXPECT_NEAR(y, 3949 - speed * 0.987, 0.01) << row;
    if (rows == 1) EXPECT_EQ(row, "961,0.000120125,1,10,100.000,1,1");
    last = row;
  }
  EXPECT_EQ(rows, 8438);
  EXPECT_EQ(last, "8107957,1.013494625,20000,10,100.000,0,8");
  EXPECT_EQ(row, "8108481,1.013560125,20000,10,100.000,0,8");  // read when the points ran out
  EXPECT_FALSE(std::getline(csv, row));
  run("--stop-at 100 --trace s.csv");
  EXPECT_THAT(test::readFile(dir.file("s.csv")),
              testing::EndsWith("\n640987,0.080123375,99,348,3480.000,67,1\n"
                                "641459,0.080182375,100,349,3490.000,67,1\n"));
  run("--set timeDisplayMax=0.001 --set outputPulses=300 --trace e.csv");  // a point every tick
  EXPECT_THAT(test::readFile(dir.file("e.csv")),
              testing::EndsWith("\n1695681,0.211960125,300,11,110.000,0,8\n"
                                "1695682,0.211960250,300,11,110.000,0,8\n"));
  run("--set range=x --trace f.csv");
  EXPECT_EQ(test::readFile(dir.file("f.csv")), header + "\n");
  run("--trace no/such/t.csv");
  EXPECT_EQ(status, 1);
  EXPECT_THAT(err, HasSubstr("cannot create no/such/t.csv"));
}

#ifndef _WIN32
TEST_F(BatchRun, CtrlCTermAndHangupStopARunWithoutPulsesAndKeepItsLog) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // tick by tick, for it would reach its tick limit in moments
      if (chdir(dir.path().c_str()) == 0 && std::freopen("stdout", "w", stdout) != nullptr)
        execl(TARVEX_BATCH, TARVEX_BATCH, "--tick-by-tick", "--linear", "--set", "acceleration=0",
              "--set", "initialSpeed=0", "--record", "--json", static_cast<char*>(nullptr));
      _exit(127);
    }
    // The log is created after the runner has taken over the signals.
    for (int i = 0; i < 30000 && !fs::exists(dir.file("DATA_LOG.txt")); ++i) usleep(1000);
    kill(child, signal);
    int raw = 0;
    ASSERT_EQ(waitpid(child, &raw, 0), child);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << signal << " " << raw;
    out = test::readFile(dir.file("stdout"));
    EXPECT_THAT(out, ContainsRegex("\"stopped\", .*\"pulses\": 1, ")) << signal;
    const auto lines = test::logLines(dir.file("DATA_LOG.txt"));  // closed: each line complete
    EXPECT_THAT(out, HasSubstr("\"logLines\": " + std::to_string(lines.size()) + "}")) << signal;
    fs::remove(dir.file("DATA_LOG.txt"));
  }
}

// An output that is the standard output's own file (here the file "stdout"
// of the test's folder, which the shell gives the runner as its standard
// output) takes it, the report going to stderr; refused where that cannot
// be: a sweep's rows, a file the standard output appends to.
TEST_F(BatchRun, AnOutputOnTheStandardOutputTakesItAndTheReportMovesToStderr) {
  std::istringstream csv(run("--trace stdout --json"));
  EXPECT_EQ(status, 0) << err;
  EXPECT_THAT(err, StartsWith("{\"outcome\": \"completed\", "));
  std::string row;
  EXPECT_TRUE(std::getline(csv, row) && row ==
                                            "tick,time_s,pulses,speed_counter,speed_pps,"
                                            "accel_counter,state");
  long rows = 1;
  for (; std::getline(csv, row); ++rows) ASSERT_THAT(row, ContainsRegex("^[0-9]+,[0-9.]+,"));
  EXPECT_EQ(rows, 8440);  // the header, 8438 points and the last tick
  fs::create_symlink("stdout", dir.file("out.svg"));
  for (const auto& [args, stdoutTo, message] :
       {std::tuple{"--trace stdout", ">stdout",
                   "the trace is the file the standard output "
                   "writes to, which it adds to"},
        std::tuple{"--vary outputPulses=5 --plot out.svg", "stdout",
                   "the plot is the file the standard output writes to, where the rows go"}}) {
    EXPECT_EQ(run(args, stdoutTo), "") << args;
    EXPECT_EQ(status, 2) << args;
    EXPECT_THAT(err, HasSubstr(message)) << args;
  }
}

// Every file the runner writes, aimed at each kind of thing a path can name
// besides a regular file, all of them the test's own: what streams (the
// log, the points, the trace, the plots) takes a pipe with a reader and the
// null device, nothing else; a saved design takes only a regular file;
// every one writes through a symbolic link and leaves the link as it was.
TEST_F(BatchRun, EveryOutputRefusesWhatIsNotARegularFileAndWritesThroughLinks) {
  const bool devices = test::makeDeviceLike("/dev/zero", dir.file("zero")) &&
                       test::makeDeviceLike("/dev/null", dir.file("null"));
  if (!devices) std::puts("(no devices of the test's own: not allowed to make them here)");
  const auto make = [&](const std::string& kind, const fs::path& at) {
    if (kind == "fifo") return mkfifo(at.c_str(), 0600) == 0;
    if (kind == "socket") return test::makeSocket(at);
    if (kind == "device" || kind == "null")
      return test::makeDeviceLike(kind == "null" ? "/dev/null" : "/dev/zero", at);
    if (kind == "device link") return devices && (fs::create_symlink("zero", at), true);
    test::writeFile(dir.file("target.txt"), "old");
    fs::remove(dir.file("made.txt"));
    fs::create_symlink(kind == "link" ? "target.txt" : "made.txt", at);
    return true;
  };
  const auto written = [&](const std::string& kind) {
    const std::string target = test::readFile(dir.file(kind == "link" ? "target.txt" : "made.txt"));
    return !target.empty() && target != "old";
  };
  // the options (X the path), whether the output streams
  const std::pair<const char*, bool> writers[] = {
      {"--record --set outputPulses=50 --log X", true},
      {"--points X", true},
      {"--trace X", true},
      {"--plot X", true},
      {"--vary outputPulses=5,6 --plot X", true},
      {"--solve pulses=2000,peak=3000,accel_time=0.1 --save X", false}};
  // the kind of file, what a streaming output and a saved design say ("": written)
  const std::tuple<const char*, const char*, const char*> kinds[] = {
      {"fifo", "nothing reads from it", "not a regular file (a named pipe)"},
      {"socket", "not a regular file (a socket)", "not a regular file (a socket)"},
      {"device", "not a regular file (a device)", "not a regular file (a device)"},
      {"null", "", "not a regular file (a device)"},
      {"device link", "not a regular file (a device)", "not a regular file (a device)"},
      {"link", "", ""},
      {"dangling", "", ""}};
  int n = 0;
  for (const auto& [options, streams] : writers)
    for (const auto& [kind, streamed, saved] : kinds) {
      const std::string name = "out" + std::to_string(++n) + ".svg", args = options;
      if (!make(kind, dir.file(name))) continue;
      const fs::file_type before = fs::symlink_status(dir.file(name)).type();
      const std::string message = streams ? streamed : saved;
      run(args.substr(0, args.size() - 1) + name);
      const std::string what = args + " on a " + kind;
      EXPECT_EQ(status, message.empty() ? 0 : 1) << what << err;
      EXPECT_THAT(err, HasSubstr(message)) << what;
      if (!message.empty()) EXPECT_THAT(err, HasSubstr(name)) << what;
      EXPECT_EQ(fs::symlink_status(dir.file(name)).type(), before) << what;
      if (message.empty() && before == fs::file_type::symlink) EXPECT_TRUE(written(kind)) << what;
    }
}

TEST_F(BatchRun, ALogWhoseReaderGoesAwayIsAFileError) {
  const fs::path fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  std::FILE* runner =
      popen(("\"" TARVEX_BATCH "\" --record --log " + fifo.string() + " 2>&1").c_str(), "r");
  fcntl(reader, F_SETFL, 0);
  char first = 0;  // the end of file until the runner opens it, then its first byte
  for (int i = 0; i < 30000 && read(reader, &first, 1) != 1; ++i) usleep(1000);
  close(reader);  // now nobody reads
  char text[4096] = {};
  const std::size_t length = std::fread(text, 1, sizeof text - 1, runner);
  const int raw = pclose(runner);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << raw;
  EXPECT_THAT(std::string(text, length),
              HasSubstr("cannot write " + fifo.string() + ": Broken pipe"));
}

// A reader that holds its end open but reads nothing: once the pipe is full
// the runner waits, and SIGTERM still ends it at once, the points named.
TEST_F(BatchRun, AStopEndsAWriteThatWaitsForAReader) {
  const fs::path fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(dir.path().c_str()) == 0 && std::freopen("stderr", "w", stderr) != nullptr)
      execl(TARVEX_BATCH, TARVEX_BATCH, "--points", "fifo", "--json", static_cast<char*>(nullptr));
    _exit(127);
  }
  int queued = 0;  // what waits in the pipe: full at 65536 bytes
  for (int i = 0; i < 30000 && (ioctl(reader, FIONREAD, &queued) != 0 || queued < 65536); ++i)
    usleep(1000);
  ASSERT_EQ(queued, 65536);
  kill(child, SIGTERM);
  int raw = 0;
  ASSERT_EQ(waitpid(child, &raw, 0), child);
  close(reader);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << raw;
  EXPECT_THAT(
      test::readFile(dir.file("stderr")),
      HasSubstr("the points file: cannot write fifo: stopped while it waited for its reader"));
}
#endif

}  // namespace
}  // namespace tarvex
