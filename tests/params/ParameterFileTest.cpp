#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "ParameterFile.h"
#include "ParamsTestSupport.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;
using test::kStartupFile;
using test::stateOf;

// A file in the saved layout from 17 raw field tokens (texts with their quotes).
std::string fileOf(const std::vector<std::string>& tokens) {
  std::string bytes;
  for (std::size_t i = 0; i < tokens.size(); ++i)
    bytes += tokens[i] + (i + 1 == 9 || i + 1 == tokens.size() ? "\r\n" : ",");
  return bytes;
}

// Every field differs from the start-up values: texts t1 .. t11 and t17,
// boxes Check2 .. Check6 = 0, 1, 0, 1, 1.
std::vector<std::string> changedTokens() {
  std::vector<std::string> tokens;
  for (int n = 1; n <= 11; ++n) tokens.push_back("\"t" + std::to_string(n) + "\"");
  for (const char* box : {"0", "1", "0", "1", "1"}) tokens.push_back(box);
  tokens.push_back("\"t17\"");
  return tokens;
}

class ParameterFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tarvex-params-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::set<std::string> filesInDir() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
      names.insert(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
  FormModel form_ = test::startupForm();
};

TEST_F(ParameterFileTest, SavesStartupValuesAsTwoLinesReplacingOldContent) {
  const fs::path file = dir_ / "PARAM1.prm";
  test::writeBytes(file, std::string(300, 'x'));
  ASSERT_TRUE(saveParameterFile(file, form_).ok());
  EXPECT_EQ(test::readBytes(file), kStartupFile);
  EXPECT_EQ(filesInDir(), std::set<std::string>{"PARAM1.prm"});
}

TEST_F(ParameterFileTest, SaveThenLoadRestoresTextsAndPairedBoxesOnly) {
  const std::pair<TextBox, std::string> texts[] = {
      {TextBox::Text10, "  40000 "},
      {TextBox::Text11, "1,2"},
      {TextBox::Text1, "abc"},
      {TextBox::Text3, ""},
      {TextBox::Text2, "\x89\xc1\x91\xac"},  // narrow bytes
      {TextBox::Text19, " , \r\n, "},
      {TextBox::Text20, "6,0,0"}};
  for (const auto& [box, text] : texts) form_.setText(box, text);
  form_.setOptionValue(CheckBox::Check3, kChecked);
  form_.setOptionValue(CheckBox::Check5, kChecked);
  form_.setOptionValue(CheckBox::Check6, kChecked);
  ASSERT_TRUE(saveParameterFile(dir_ / "a.prm", form_).ok());

  FormModel loaded = test::startupForm();
  loaded.setOptionValue(CheckBox::Check1, kChecked);
  loaded.setIndicator(true);
  loaded.setText(TextBox::Text7, "123");
  ASSERT_TRUE(loadParameterFile(dir_ / "a.prm", loaded));

  test::FormState expected = stateOf(form_);
  expected.boxes[indexOf(CheckBox::Check1)] = kChecked;
  expected.indicator = true;
  expected.texts[indexOf(TextBox::Text7)] = "123";
  EXPECT_EQ(stateOf(loaded), expected);
}

TEST(ParameterFieldReader, ReadsFieldsAcrossLineEnds) {
  const ParameterFields startup{"40000", "1.2",  "800000", "600",  "8000", "8000",
                                "10",    "3000", "20000",  "1000", "0",    "1",
                                "0",     "1",    "0",      "0",    "600"};
  ParameterFields inside = startup;
  inside[0] = "4,0";
  inside[1] = "1\r\n2";
  inside[2] = "";
  inside[3] = "x  ";
  inside[4] = "";
  const auto withLineEnd = [](const char* end) {
    std::string bytes = kStartupFile;
    for (std::size_t at; (at = bytes.find("\r\n")) != std::string::npos;) bytes.replace(at, 2, end);
    return bytes;
  };
  const std::string secondLine = "\"1000\",\"0\",1,0,1,0,0,\"600\"";
  const struct {
    const char* what;
    std::string bytes;
    std::optional<ParameterFields> fields;
  } cases[] = {
      {"as saved", kStartupFile, startup},
      {"LF line ends", withLineEnd("\n"), startup},
      {"CR line ends", withLineEnd("\r"), startup},
      {"a single line", withLineEnd(","), startup},
      {"blanks, stray text after a quote, no last line end",
       "  \"40000\" ,\t\"1.2\"junk,\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\","
       "\"20000\",\"1000\",\"0\", 1,\t0,1,0,0,\"600\"",
       startup},
      {"anything after field 17 ignored", kStartupFile + "1,\"open", startup},
      {"commas, line ends and nothing inside fields",
       "\"4,0\",\"1\r\n2\",,x  ,\"\",\"8000\",\"10\",\"3000\",\"20000\"\r\n" + secondLine, inside},
      {"empty file", "", std::nullopt},
      {"16 fields", kStartupFile.substr(0, kStartupFile.size() - 8) + "\r\n", std::nullopt},
      {"16 fields and a comma", kStartupFile.substr(0, kStartupFile.size() - 7), std::nullopt},
      {"field 17 not closed", kStartupFile.substr(0, kStartupFile.size() - 3), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(readParameterFields(c.bytes), c.fields) << c.what;
}

TEST_F(ParameterFileTest, LoadAppliesFieldsInOrderThroughThePairRule) {
  const struct {
    const char* what;
    std::vector<std::pair<CheckBox, std::int16_t>> before;
    std::vector<std::pair<int, std::string>> fields;  // field number, token
    bool loads;
    std::array<int, 6> boxes;  // Check2 .. Check7 afterwards
  } cases[] = {
      {"as saved", {}, {}, true, {0, 1, 0, 1, 1, 0}},
      {"both ticked", {}, {{12, "1"}, {13, "1"}, {14, "1"}, {15, "1"}}, true, {0, 1, 0, 1, 1, 0}},
      {"both clear", {}, {{12, "0"}, {13, "0"}, {14, "0"}, {15, "0"}}, true, {1, 0, 1, 0, 1, 0}},
      {"grayed S-curve", {}, {{14, "2"}, {15, "0"}}, true, {0, 1, 2, 0, 1, 0}},
      {"grayed asymmetric, symmetric was ticked", {}, {{16, "2"}}, true, {0, 1, 0, 1, 1, 0}},
      {"grayed asymmetric, symmetric was clear",
       {{CheckBox::Check6, kChecked}},
       {{16, "2"}},
       true,
       {0, 1, 0, 1, 2, 0}},
      {"2.5 is 2", {}, {{14, "1"}, {15, "2.5"}}, true, {0, 1, 1, 2, 1, 0}},
      {"letter in field 14", {}, {{14, "x"}}, false, {0, 1, 1, 0, 0, 1}},
      {"3 in field 14", {}, {{14, "3"}}, false, {0, 1, 1, 0, 0, 1}},
      {"beyond 16 bits in field 14", {}, {{14, "1e5"}}, false, {0, 1, 1, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> tokens = changedTokens();
    for (const auto& [number, token] : c.fields) tokens[number - 1] = token;
    test::writeBytes(dir_ / "case.prm", fileOf(tokens));
    FormModel form = test::startupForm();
    for (const auto& [box, value] : c.before) form.setOptionValue(box, value);

    EXPECT_EQ(loadParameterFile(dir_ / "case.prm", form), c.loads);
    for (int i = 0; i < 11; ++i)
      EXPECT_EQ(form.text(std::get<TextBox>(kParameterFileFields[i])), "t" + std::to_string(i + 1));
    EXPECT_EQ(form.text(TextBox::Text20), c.loads ? "t17" : "600");
    std::array<int, 6> boxes{};
    for (int n = 2; n <= 7; ++n) boxes[n - 2] = form.optionValue(checkBoxNumber(n));
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(form.optionValue(CheckBox::Check1), kUnchecked);
  }
}

TEST_F(ParameterFileTest, LoadThatCannotReadSeventeenFieldsChangesNothing) {
  std::vector<std::string> sixteen = changedTokens();
  sixteen.pop_back();
  test::writeBytes(dir_ / "sixteen.prm", fileOf(sixteen));
  fs::create_directory(dir_ / "folder.prm");
  for (const char* name : {"sixteen.prm", "missing.prm", "folder.prm"}) {
    const test::FormState before = stateOf(form_);
    EXPECT_FALSE(loadParameterFile(dir_ / name, form_)) << name;
    EXPECT_EQ(stateOf(form_), before) << name;
  }
}

TEST_F(ParameterFileTest, FailedSaveWritesNothingAndKeepsTheOldFile) {
  const fs::path old = dir_ / "old.prm";
  test::writeBytes(old, "old content");

  FormModel quoted = test::startupForm();
  quoted.setText(TextBox::Text20, "6\"00");
  SaveResult result = saveParameterFile(old, quoted);
  EXPECT_EQ(result.status, SaveStatus::TextHasQuote);
  EXPECT_EQ(result.field, TextBox::Text20);
  quoted.setText(TextBox::Text1, "\"");
  quoted.setText(TextBox::Text10, "4\"");
  EXPECT_EQ(saveParameterFile(old, quoted).field, TextBox::Text10);  // first in the file's order

  fs::permissions(old, fs::perms::owner_read | fs::perms::group_read);
  result = saveParameterFile(old, form_);
  EXPECT_EQ(result.status, SaveStatus::CannotWrite);
  EXPECT_EQ(result.error, std::errc::permission_denied);
  fs::permissions(old, fs::perms::owner_all);

  fs::create_directory(dir_ / "folder.prm");
  EXPECT_EQ(saveParameterFile(dir_ / "folder.prm", form_).status, SaveStatus::CannotWrite);
  EXPECT_EQ(saveParameterFile(dir_ / "no" / "x.prm", form_).status, SaveStatus::CannotWrite);

  EXPECT_EQ(test::readBytes(old), "old content");
  EXPECT_EQ(filesInDir(), (std::set<std::string>{"old.prm", "folder.prm"}));
  EXPECT_TRUE(fs::is_empty(dir_ / "folder.prm"));
}

}  // namespace
}  // namespace tarvex
