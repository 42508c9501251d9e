// Parameter files: the bytes Save writes and what Load makes of them.
#include <csignal>
#include <iterator>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "ParameterFile.h"
#include "ParameterFileMessages.h"
#include "TestSupport.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

std::string stateOf(const FormModel& f) {  // every control, for comparing whole forms
  std::string state = f.indicator() ? "on" : "off";
  for (int n = 1; n <= kCheckBoxCount; ++n) state += char('0' + f.optionValue(checkBoxNumber(n)));
  for (int n = 1; n <= kTextBoxCount; ++n) state += "|" + f.text(textBoxNumber(n));
  return state;
}

const std::pair<int, TextBox> kTextFields[] = {  // each text field's number and control
    {1, TextBox::Text10}, {2, TextBox::Text11},  {3, TextBox::Text1},   {4, TextBox::Text3},
    {5, TextBox::Text2},  {6, TextBox::Text13},  {7, TextBox::Text4},   {8, TextBox::Text5},
    {9, TextBox::Text6},  {10, TextBox::Text19}, {11, TextBox::Text18}, {17, TextBox::Text20}};

TEST(ParameterFile, LoadSetsEachFieldsOwnControlAndThePairsReactOrChangesNothing) {
  // Field n holds the text "fn"; the box fields 12 to 16 and what follows them as given.
  const auto file = [](const char* boxes, const std::string& tail = ",\"f17\"\r\n",
                       const char* lineEnd = "\r\n", const char* f3 = "f3") {
    return "\"f1\",\"f2\",\"" + std::string(f3) + "\",\"f4\",\"f5\",\"f6\",\"f7\",\"f8\",\"f9\"" +
           lineEnd + "\"f10\",\"f11\"," + boxes + tail;
  };
  const struct {
    const char* what;
    std::string bytes;
    const char* boxes;    // Check2 to Check7 afterwards
    const char* stopped;  // for a failed load: field/line/what was found there
  } cases[] = {
      {"as saved", file("0,1,0,1,1"), "010110", ""},
      {"after a UTF-8 byte order mark", "\xef\xbb\xbf" + file("0,1,0,1,1"), "010110", ""},
      {"LF ends line 1", file("0,1,0,1,1", ",\"f17\"\n", "\n"), "010110", ""},
      {"CR ends line 1", file("0,1,0,1,1", ",\"f17\"\r", "\r"), "010110", ""},
      {"blanks before quotes, text after them, an 18th field",
       "  \"f1\"xy,  \"f2\" ," + file("0,1,0,1,1").substr(10) + "\"f18\"\r\n", "010110", ""},
      {"both boxes ticked: the second wins", file("1,1,1,1,0"), "010101", ""},
      {"both boxes clear: the second wins", file("0,0,0,0,0"), "101001", ""},
      {"grayed Check3 leaves Check2", file("1,2,1,0,0"), "121001", ""},
      {"grayed Check4 leaves Check5", file("1,0,2,0,0"), "102001", ""},
      {"ticking Check3 clears a grayed Check2", file("2,1,1,0,0"), "011001", ""},
      {"halves to even: 1.5, 0.5, 2.5", file("1,1.5,0.5,2.5,0"), "120201", ""},
      {"Check6 grayed", file("1,0,1,0,2"), "101010", ""},
      // Nothing changes, however far the file reads.
      {"a letter in field 14", file("0,1,x,1,1"), "101001", "14/2/x"},
      {"3 in field 14", file("0,1,3,1,1"), "101001", "14/2/3"},
      {"65537 in field 16", file("0,1,0,1,65537"), "101001", "16/2/65537"},
      {"a line end inside a text", file("0,1,x,1,1", ",\"f17\"\r\n", "\r\n", "8\r\n0"), "101001",
       "14/3/x"},
      {"a trace saved as CSV",
       "tick,time_s,pulses,speed_counter,speed_pps,accel_counter,state\n"
       "0,0.000000000,0,10,100.000,1,1\n961,0.000120125,1,10,100.000,1,1\n",
       "101001", "12/2/100.000"},
      {"16 fields", file("0,1,0,1,1", "\r\n"), "101001", "17/3/"},
      {"field 17 not closed", file("0,1,0,1,1", ",\"f17\r\n"), "101001", "17/2/"},
      // Reading stops at 2 MiB: what follows field 17 there is not read.
      {"3 MB past field 17", file("0,1,0,1,1") + std::string(3 << 20, ','), "010110", ""},
      {"field 17 running past 2 MiB", file("0,1,0,1,1", ",f17" + std::string(3 << 20, '7')),
       "101001", "17/2/"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::writeFile(dir.file("case.prm"), c.bytes);
    FormModel form = test::startupForm();
    const LoadResult result = loadParameterFile(dir.file("case.prm"), form);
    EXPECT_EQ(result.failure, *c.stopped ? LoadFailure::NotParameterFile : LoadFailure::None);
    if (*c.stopped)
      EXPECT_EQ(std::to_string(result.field) + "/" + std::to_string(result.line) + "/" +
                    result.found.value_or(""),
                c.stopped);
    for (const auto& [n, box] : kTextFields)
      EXPECT_EQ(form.text(box),
                *c.stopped ? test::startupForm().text(box) : "f" + std::to_string(n));
    std::string boxes;
    for (int n = 2; n <= 7; ++n) boxes += std::to_string(form.optionValue(checkBoxNumber(n)));
    EXPECT_EQ(boxes, c.boxes);
  }
  FormModel form = test::startupForm();
  EXPECT_EQ(loadParameterFile(dir.file("missing.prm"), form).failure, LoadFailure::NotFound);
  EXPECT_EQ(loadParameterFile(dir.path(), form).failure, LoadFailure::NotRegularFile);
  EXPECT_EQ(stateOf(form), stateOf(test::startupForm()));
}

TEST(ParameterFile, SaveThenLoadRestoresTextsAndPairsButNotRecordingIndicatorOrReadouts) {
  test::TempDir dir;
  FormModel saved = test::startupForm();
  // Blanks, a comma, a line end, letters, Shift-JIS bytes, nothing.
  const std::pair<TextBox, const char*> texts[] = {
      {TextBox::Text10, "  40000 "}, {TextBox::Text11, "1,2"},
      {TextBox::Text1, "8\r\n0"},    {TextBox::Text2, "abc"},
      {TextBox::Text20, ""},         {TextBox::Text13, "\x89\xc1\x91\xac"}};
  for (const auto& [box, text] : texts) saved.setText(box, text);
  for (CheckBox box : {CheckBox::Check3, CheckBox::Check5, CheckBox::Check6})
    saved.setOptionValue(box, kChecked);
  const FormModel expected = saved;  // what a load brings into a fresh window
  saved.setOptionValue(CheckBox::Check1, kChecked);
  saved.setIndicator(true);
  saved.setText(TextBox::Text7, "123");
  ASSERT_TRUE(saveParameterFile(dir.file("a.prm"), saved).ok());
  EXPECT_EQ(test::readFile(dir.file("a.prm")),
            "\"  40000 \",\"1,2\",\"8\r\n0\",\"600\",\"abc\",\"\x89\xc1\x91\xac\",\"10\",\"3000\","
            "\"20000\"\r\n\"1000\",\"0\",0,1,0,1,1,\"\"\r\n");
  FormModel loaded = test::startupForm();
  ASSERT_TRUE(loadParameterFile(dir.file("a.prm"), loaded).ok());
  EXPECT_EQ(stateOf(loaded), stateOf(expected));
}

TEST(ParameterFile, SaveReplacesAnOldFileWholeOrNotAtAll) {
  test::TempDir dir;
  const fs::path old = dir.file("PARAM1.prm");
  test::writeFile(old, "old content");
  FormModel form = test::startupForm();
  form.setText(TextBox::Text13, "8\"000");
  const SaveResult refused = saveParameterFile(old, form);
  EXPECT_EQ(refused.status, SaveStatus::TextHasQuote);
  EXPECT_EQ(refused.field, TextBox::Text13);
  form = test::startupForm();
  fs::create_directory(dir.file("folder.prm"));
  EXPECT_EQ(saveParameterFile(dir.file("folder.prm"), form).status, SaveStatus::CannotWrite);
  const SaveResult noFolder = saveParameterFile(dir.file("no") / "x.prm", form);
  EXPECT_EQ(noFolder.status, SaveStatus::CannotWrite);
  EXPECT_EQ(saveFailureTextJapanese("x.prm", noFolder).message,
            "パラメータファイル「x.prm」を保存できませんでした。\n（そのフォルダーがありません）");
  fs::permissions(old, fs::perms::owner_read);
  EXPECT_EQ(saveParameterFile(old, form).status, SaveStatus::CannotWrite);
  fs::permissions(old, fs::perms::owner_all);
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)  // WebAssembly has no file size limit
  std::signal(SIGXFSZ, SIG_IGN);  // a write that fails half-way, at the file size limit
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{20, limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  const SaveResult tooBig = saveParameterFile(old, form);
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(tooBig.status, SaveStatus::CannotWrite);
  EXPECT_EQ(saveFailureTextJapanese("PARAM1.prm", tooBig).message,
            "パラメータファイル「PARAM1.prm」を保存できませんでした。\n（ファイルが大きすぎます）");
#endif
  EXPECT_EQ(test::readFile(old), "old content");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()),
            2);  // no temporary

  ASSERT_TRUE(saveParameterFile(old, form).ok());
  EXPECT_EQ(test::readFile(old),
            "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\",\"20000\"\r\n"
            "\"1000\",\"0\",1,0,1,0,0,\"600\"\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  EXPECT_EQ(parameterFileName("PARAM1"), "PARAM1.prm");
  EXPECT_EQ(parameterFileName("a.prm"), "a.prm.prm");
  EXPECT_EQ(parameterFileName(""), ".prm");
}

// (Sockets and FIFOs are not to be had on Windows nor under WebAssembly.)
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
// A save never takes the place of what is not a regular file, and through a
// symbolic link it replaces the file the link leads to, in that file's own
// folder, the link kept; all of it in the test's own folder.
TEST(ParameterFile, SaveRefusesWhatIsNotARegularFileAndReplacesWhatALinkLeadsTo) {
  test::TempDir dir;
  const FormModel form = test::startupForm();
  fs::create_directory(dir.file("sub"));
  test::writeFile(dir.file("sub/real.prm"), "old");
  mkfifo(dir.file("fifo").c_str(), 0600);
  ASSERT_TRUE(test::makeSocket(dir.file("socket")));
  const bool device = test::makeDeviceLike("/dev/zero", dir.file("device"));
  for (const auto& [link, target] : {std::pair{"toReal.prm", "sub/real.prm"},
                                     {"toLink.prm", "toReal.prm"},
                                     {"toNew.prm", "sub/new.prm"},
                                     {"toFifo.prm", "fifo"},
                                     {"loop.prm", "loop.prm"}})
    fs::create_symlink(target, dir.file(link));
  // the name saved to, the result (a kind of file, or "" when saved)
  const std::pair<const char*, const char*> cases[] = {
      {"fifo", "a named pipe"}, {"socket", "a socket"},
      {"device", "a device"},   {"toFifo.prm", "a named pipe"},
      {"toReal.prm", ""},       {"toLink.prm", ""},
      {"toNew.prm", ""}};
  for (const auto& [name, kind] : cases) {
    if (name == std::string("device") && !device) continue;
    const fs::file_type before = fs::symlink_status(dir.file(name)).type();
    const SaveResult result = saveParameterFile(dir.file(name), form);
    EXPECT_EQ(result.status, *kind ? SaveStatus::NotRegularFile : SaveStatus::Saved) << name;
    EXPECT_EQ(result.fileKind, kind) << name;
    EXPECT_EQ(fs::symlink_status(dir.file(name)).type(), before) << name;
  }
  const std::string saved =
      "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\",\"20000\"\r\n"
      "\"1000\",\"0\",1,0,1,0,0,\"600\"\r\n";
  EXPECT_EQ(test::readFile(dir.file("sub/real.prm")), saved);
  EXPECT_EQ(test::readFile(dir.file("sub/new.prm")), saved);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("sub")), fs::directory_iterator()), 2);
  EXPECT_EQ(saveParameterFile(dir.file("loop.prm"), form).error,
            std::make_error_code(std::errc::too_many_symbolic_link_levels));
}
#endif

}  // namespace
}  // namespace tarvex
