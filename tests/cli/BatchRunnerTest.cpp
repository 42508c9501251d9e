// End-to-end runs of tarvex-batch: exit status, JSON, summary, files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

class BatchRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tarvex_batch_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the batch runner in the test's own folder.
  Result run(const std::string& args) {
    const auto outPath = dir_ / "stdout.txt", errPath = dir_ / "stderr.txt";
    const std::string command = "cd '" + dir_.string() + "' && '" TARVEX_BATCH "' " + args + " >'" +
                                outPath.string() + "' 2>'" + errPath.string() + "'";
    const int raw = std::system(command.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    return r;
  }

  static std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
};

TEST_F(BatchRunner, StartupParametersGiveTheKnownJson) {
  const Result r = run("--json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"outcome\": \"completed\", \"error\": null, \"ticks\": 8108481, \"pulses\": 20000, "
            "\"readouts\": {\"Text7\": \"20000\", \"Text9\": \"5085\", \"Text12\": \"10\", "
            "\"Text14\": \"0\", \"Text15\": \"8\", \"Text16\": \"1\", \"Text17\": \"2999\", "
            "\"Option1\": false}, \"plotPoints\": 8437, \"logLines\": 0}\n");
  // The log is created and left empty when recording is off.
  EXPECT_TRUE(fs::exists(dir_ / "DATA_LOG.txt"));
  EXPECT_EQ(fs::file_size(dir_ / "DATA_LOG.txt"), 0u);
}

TEST_F(BatchRunner, SummaryShowsPhasesAndPeak) {
  const Result r = run("");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Outcome: completed"), std::string::npos);
  EXPECT_NE(r.out.find("1.013560 s"), std::string::npos);
  EXPECT_NE(r.out.find("29990.0 pulses/s"), std::string::npos);
  // Every state entered, with its tick: 1 at set-up, then 3, 4, 5, 7, 8.
  for (const char* row : {"    1           0", "    3     1351681", "    4     2703377",
                          "    5     5325841", "    7     6677513", "    8     8029185"})
    EXPECT_NE(r.out.find(row), std::string::npos) << row;
}

TEST_F(BatchRunner, OptionsAndLiveChangesActInOrder) {
  // Linear, recording on, the log elsewhere.
  Result r = run("--linear --record --log lin.txt --json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"ticks\": 5358250"), std::string::npos);
  EXPECT_NE(r.out.find("\"logLines\": 669781"), std::string::npos);
  const std::string log = slurp(dir_ / "lin.txt");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 669781);
  EXPECT_FALSE(fs::exists(dir_ / "DATA_LOG.txt"));

  // Switching to manual deceleration at pulse 10, with its point at 50:
  // the deceleration starts at pulse 50 and the profile is far shorter.
  r = run("--set manualDecelPoint=50 --at 10:Check3=1 --json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"Text9\": \"50\""), std::string::npos) << r.out;

  // Stop during the yield of pulse 100.
  r = run("--stop-at 100 --json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"outcome\": \"stopped\""), std::string::npos);
  EXPECT_NE(r.out.find("\"pulses\": 100,"), std::string::npos);
}

TEST_F(BatchRunner, RuntimeErrorsExitWithOneAndNameTheField) {
  Result r = run("--set range=abc --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"outcome\": \"failed\", \"error\": \"type-mismatch\""), std::string::npos);
  EXPECT_NE(r.err.find("レンジ："), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Text1"), std::string::npos) << r.err;

  r = run("--set Text5=32768 --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"error\": \"overflow\""), std::string::npos);
  EXPECT_NE(r.err.find("ドライブ速度："), std::string::npos) << r.err;

  r = run("--set speedDisplayMax=0 --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"error\": \"division-by-zero\""), std::string::npos);
}

TEST_F(BatchRunner, UnwritableLogIsAFileError) {
  const Result r = run("--log no/such/folder/log.txt --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"error\": \"file\""), std::string::npos);
  EXPECT_NE(r.err.find("no/such/folder/log.txt"), std::string::npos) << r.err;

  const Result full = run("--record --log /dev/full --json");
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.out.find("\"error\": \"file\""), std::string::npos);
}

TEST_F(BatchRunner, LoadsAParameterFileBeforeTheOptions) {
  // Linear, manual deceleration at pulse 5000, 10000 pulses.
  std::ofstream(dir_ / "lin.prm", std::ios::binary)
      << "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\",\"10000\"\r\n"
         "\"5000\",\"0\",0,1,0,1,0,\"600\"\r\n";
  Result r = run("lin.prm --json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"pulses\": 10000"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"Text9\": \"45\""), std::string::npos) << r.out;  // linear acceleration
  // Options come after the file.
  r = run("lin.prm --set outputPulses=100 --json");
  EXPECT_NE(r.out.find("\"pulses\": 100,"), std::string::npos) << r.out;

  std::ofstream(dir_ / "short.prm", std::ios::binary) << "\"1\",\"2\"\r\n";
  r = run("short.prm --json");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("指定のファイルが見つかりません"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

TEST_F(BatchRunner, BadUsageExitsWithTwo) {
  for (const char* args : {"--bogus", "--box Check8=1", "--box Check2=3", "--set nothing=1",
                           "--at x:Check1=1", "--stop-at", "a.prm b.prm", "missing.prm",
                           "--plot graph.gif", "--points no/such/folder/p.txt"}) {
    const Result r = run(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_FALSE(r.err.empty()) << args;
  }
  const Result help = run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--stop-at PULSE"), std::string::npos);
}

TEST_F(BatchRunner, WritesPointsAndPictures) {
  const Result r = run("--points pts.txt --plot g.svg");
  ASSERT_EQ(r.status, 0) << r.err;
  std::ifstream in(dir_ / "pts.txt");
  std::string first, line, last;
  std::getline(in, first);
  int count = 1;
  for (; std::getline(in, line); ++count) last = line;
  EXPECT_EQ(first, "0 3939.13");  // the starting point, initial speed 10
  EXPECT_EQ(count, 8438);         // the starting point and 8437 plotted points
  EXPECT_EQ(last, "8437 3939.13");
  const std::string svg = slurp(dir_ / "g.svg");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("<path"), std::string::npos);

#ifndef TARVEX_HAVE_QT_GUI
  GTEST_SKIP() << "PNG output needs the build with Qt";
#endif
  const Result png = run("--plot g.png");
  ASSERT_EQ(png.status, 0) << png.err;
  const std::string bytes = slurp(dir_ / "g.png");
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

TEST_F(BatchRunner, InterruptStopsARunWithoutPulses) {
  // Linear, no acceleration, initial speed 0: no pulse ever falls due.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string out = (dir_ / "stdout.txt").string();
    freopen(out.c_str(), "w", stdout);
    // Tick by tick it runs for seconds; fast-forward would finish at once.
    execl(TARVEX_BATCH, TARVEX_BATCH, "--tick-by-tick", "--linear", "--set", "acceleration=0",
          "--set", "initialSpeed=0", "--log", (dir_ / "log.txt").c_str(), "--json",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(child, SIGINT);
  int raw = 0;
  waitpid(child, &raw, 0);
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0);
  const std::string out = slurp(dir_ / "stdout.txt");
  EXPECT_NE(out.find("\"outcome\": \"stopped\""), std::string::npos) << out;
  // The first tick always outputs a pulse; none follows at speed 0.
  EXPECT_NE(out.find("\"pulses\": 1,"), std::string::npos) << out;
}

}  // namespace
