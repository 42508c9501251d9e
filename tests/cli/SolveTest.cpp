// tarvex-batch --solve: moves designed, their proposals run again by the
// runner itself, moves that cannot be met, and nonsense.
#include <gmock/gmock.h>

#include <csignal>
#include <fstream>

#include "BatchProcess.h"

namespace tarvex {
namespace {

using ::testing::HasSubstr;
using Solve = test::BatchProcess;

struct Move {
  const char* targets;
  const char* set;   // NAME=TEXT for --set, in order, then the flags
  const char* peak;  // the figures of the proposal's run, as a sweep's rows print them
  const char* accelEnd;
  const char* decelStart;
  const char* seconds;
  const char* shortestPeak;  // the peak as the solve's JSON has it
};

// 20,000 pulses at 30,000 pps reached in 0.17 s from 100 pps, S-shaped; the
// same linear at 100,000 pps; decelerating in 0.3 s; with half the ramp
// at constant acceleration and the range fixed; two million pulses.
const Move kMoves[] = {
    {"pulses=20000,peak=30000,accel_time=0.17,start=100",
     "range=1119733 acceleration=8000 deceleration=8000 jerkAccel=107 jerkDecel=107 "
     "initialSpeed=14 driveSpeed=4200 outputPulses=20000 accelOffset=0 manualDecelPoint=1000",
     "30000.009", "0.169878125", "0.666090500", "0.840029125", "30000.008930700445"},
    {"pulses=50000,peak=100000,accel_time=0.05,s_curve=0",
     "range=600000 acceleration=1223 deceleration=1223 jerkAccel=600 jerkDecel=600 "
     "initialSpeed=30 driveSpeed=7500 outputPulses=50000 accelOffset=0 manualDecelPoint=1000 "
     "--linear",
     "100000.000", "0.048863125", "0.499807000", "0.549580125", "100000"},
    {"pulses=20000,peak=30000,accel_time=0.17,decel_time=0.3",
     "range=1200267 acceleration=8000 deceleration=4533 jerkAccel=102 jerkDecel=320 "
     "initialSpeed=18 driveSpeed=4501 outputPulses=20000 accelOffset=-71 manualDecelPoint=1000 "
     "--asymmetric",
     "29999.992", "0.170200125", "0.605083125", "0.903942625", "29999.991668520423"},
    {"pulses=8000,peak=12000,accel_time=0.1,decel_time=0.08,s_curve=0.5,range=400000,start=200",
     "range=400000 acceleration=63 deceleration=81 jerkAccel=213 jerkDecel=129 initialSpeed=10 "
     "driveSpeed=600 outputPulses=8000 accelOffset=5 manualDecelPoint=1000 --asymmetric",
     "12000.000", "0.099907125", "0.677370125", "0.755472875", "12000"},
    {"pulses=2000000,peak=200000,accel_time=0.5,start=1000",
     "range=296000 acceleration=8000 deceleration=8000 jerkAccel=539 jerkDecel=539 "
     "initialSpeed=37 driveSpeed=7400 outputPulses=2000000 accelOffset=-3 manualDecelPoint=1000",
     "200000.000", "0.499818125", "10.001074875", "10.498414000", "200000"},
};

// The proposal's texts as --set options, or in the JSON's "set".
std::string options(const std::string& set) {
  std::string args = " " + set;
  for (std::size_t at = 0; (at = args.find(' ', at)) != std::string::npos; at += 7)
    if (args.compare(at + 1, 2, "--") != 0) args.insert(at + 1, "--set ");
  return args;
}
std::string jsonSet(const std::string& set) {
  const std::size_t flags = std::min(set.find(" --"), set.size());
  std::string json = "\"set\": {\"" + set.substr(0, flags) + "\"}, \"flags\": [";
  for (const auto& [from, to] : {std::pair{" ", "\", \""}, std::pair{"=", "\": \""}})
    for (std::size_t at = 8; (at = json.find(from, at)) != std::string::npos && at < json.find('}');
         at += 4)
      json.replace(at, 1, to);
  if (flags < set.size()) json += "\"" + set.substr(flags + 1) + "\"";
  return json + "]";
}

// A time of whole ticks has at most 9 decimals: its shortest form is the
// table's without the trailing zeros.
std::string shortest(std::string figure) {
  while (figure.back() == '0') figure.pop_back();
  return figure;
}

// Each move's proposal as the design prints it, and the same figures from
// a sweep of the runner over its --set texts: the proposal's own run.
TEST_F(Solve, MovesAndTheRunOfTheirProposals) {
  for (const Move& m : kMoves) {
    const std::string figures = std::string("\"peak_pps\": ") + m.peak +
                                ", \"accel_end_s\": " + m.accelEnd +
                                ", \"decel_start_s\": " + m.decelStart;
    run(std::string("--solve ") + m.targets + " --json");
    EXPECT_EQ(status, 0) << m.targets << err;
    EXPECT_THAT(out, HasSubstr(jsonSet(m.set))) << m.targets;
    EXPECT_THAT(out, HasSubstr("\"achieved\": {\"peak_pps\": " + std::string(m.shortestPeak) +
                               ", \"accel_end_s\": " + shortest(m.accelEnd) +
                               ", \"decel_start_s\": " + shortest(m.decelStart) +
                               ", \"seconds\": " + shortest(m.seconds) + ", "))
        << m.targets;
    const std::string pulses = std::string(m.set).substr(std::string(m.set).find("outputPulses"));
    run(options(m.set) + " --json --vary " + pulses.substr(0, pulses.find(' ')));
    EXPECT_THAT(out, HasSubstr(std::string("\"seconds\": ") + m.seconds + ", " + figures))
        << m.targets;
  }
  // The summary: each target against the run, the proposal as options; the
  // parameter file with the scales the move fits in.
  run("--solve pulses=20000,peak=30000,accel_time=0.17,start=100 --save move.prm");
  EXPECT_THAT(out, HasSubstr("decel_time [s]  0.17         0.173938625    +2.32 %\n"));
  EXPECT_THAT(out, HasSubstr("tarvex-batch" + options(kMoves[0].set) + "\n"));
  EXPECT_EQ(test::readFile(dir.file("move.prm")),
            "\"50000\",\"1\",\"1119733\",\"107\",\"8000\",\"8000\",\"14\",\"4200\",\"20000\"\r\n"
            "\"1000\",\"0\",1,0,1,0,0,\"107\"\r\n");
}

// Targets the chip cannot meet exit with 1, the target and what is
// reachable instead; nonsense with 2, like any bad usage.
TEST_F(Solve, UnreachableAndNonsenseTargets) {
  const std::pair<const char*, const char*> unreachable[] = {
      {"pulses=5000,peak=30000,accel_time=0.17",
       "pulses: 5000 pulses are too few to reach 30000 pps in 0.17 s and come down in 0.17 s "
       "without triangle prevention: at least 5269 pulses; in 5000 pulses a peak of 28460 pps"},
      {"pulses=20000,peak=9000000,accel_time=0.17",
       "beyond the chip's speeds (the fastest is one pulse per tick, 8000000 pps)"},
      {"pulses=20000,peak=30000,accel_time=0.17,start=40000", "not below the peak of 30000 pps"},
      {"pulses=20000,peak=30000,accel_time=0.00001", "accel_time: 0.00001 s is too short"},
      {"pulses=20000,peak=30000,accel_time=0.17,range=100", "range: 100 is too small"},
      // The longest run at the slow edge of the tolerances, with the chosen
      // start of 200 pps: (200 + 2985) / 2 x 0.21 s of ramps plus 2985 pps
      // for the 268.225455875 s left, 800,987 pulses, printed to four digits.
      {"pulses=1000000000,peak=3000,accel_time=0.1",
       "outlast the longest run (268.435455875 s) at 3000 pps: at most 800900 pulses"},
  };
  for (const auto& [targets, reason] : unreachable) {
    EXPECT_EQ(run(std::string("--solve ") + targets + " --save never.prm"), "") << targets;
    EXPECT_EQ(status, 1) << targets;
    EXPECT_THAT(err, HasSubstr(reason)) << targets;
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.prm"))) << targets;
  }
  const std::pair<const char*, const char*> nonsense[] = {
      {"--solve pulses=20000,peak=30000", "accel_time is required"},
      {"--solve pulses=20000,peak=-5,accel_time=1", "peak must be a speed above 0"},
      {"--solve pulses=20000,peak=30000,accel_time=0", "accel_time must be a time above 0"},
      {"--solve pulses=20000,peak=3e4,accel_time=1,s_curve=1.5", "s_curve must be from 0"},
      {"--solve pulses=20000,speed=3,peak=3,accel_time=1", "unknown target 'speed'"},
      {"--solve pulses=1.5,peak=3,accel_time=1", "pulses must be a whole number"},
      {"--solve pulses=20,peak=3,accel_time=1 --set range=1", "--set cannot be used with --solve"},
      {"--save a.prm", "--save needs --solve"},
  };
  for (const auto& [args, reason] : nonsense) {
    EXPECT_EQ(run(args), "") << args;
    EXPECT_EQ(status, 2) << args;
    EXPECT_THAT(err, HasSubstr(reason)) << args;
  }
}

#ifdef __linux__
// Whether the process has its own handler for `signal` (the mask of caught
// signals in its status).
bool catches(pid_t process, int signal) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
  return false;
}

// One Ctrl-C, SIGTERM or SIGHUP while a move is designed ends the design
// as a stop: exit status 3, the message, nothing printed or saved. The
// signal goes once the runner has taken the signals over; the design of
// this move runs for a good share of a second after that. A hangup ignored
// when the runner started (nohup) stays ignored.
TEST_F(Solve, CtrlCTermAndHangupStopADesign) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, -SIGHUP}) {
    const bool hangupIgnored = signal < 0;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (hangupIgnored) std::signal(SIGHUP, SIG_IGN);
      if (chdir(dir.path().c_str()) == 0 && std::freopen("stdout", "w", stdout) != nullptr &&
          std::freopen("stderr", "w", stderr) != nullptr)
        execl(TARVEX_BATCH, TARVEX_BATCH, "--solve",
              "pulses=131805,peak=200000,accel_time=10.7,decel_time=16.2,start=3550,s_curve=0.234",
              "--save", "never.prm", static_cast<char*>(nullptr));
      _exit(127);
    }
    int raw = 0;
    // The runner takes SIGINT, SIGTERM and SIGHUP over in this order.
    const int lastTaken = hangupIgnored ? SIGTERM : SIGHUP;
    while (!catches(child, lastTaken) && waitpid(child, &raw, WNOHANG) == 0) usleep(1000);
    EXPECT_EQ(catches(child, SIGHUP), !hangupIgnored);
    kill(child, hangupIgnored ? SIGINT : signal);
    ASSERT_EQ(waitpid(child, &raw, 0), child) << signal;
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 3) << signal << " " << raw;
    EXPECT_EQ(test::readFile(dir.file("stdout")), "") << signal;
    EXPECT_EQ(test::readFile(dir.file("stderr")),
              "tarvex-batch: the design was stopped before it was done; nothing was proposed\n")
        << signal;
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.prm"))) << signal;
  }
}
#endif

}  // namespace
}  // namespace tarvex
