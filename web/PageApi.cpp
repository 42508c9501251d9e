// The page's window onto the engine: a small C API that the page's script
// calls, and the few calls the engine makes back into the page. The form's
// controls are held here (FormModel) and mirrored by the page's fields; the
// page reports every edit and click, and reads the controls back after a
// load. Files live in the module's own memory file system: the data log is
// written there by the run, the parameter files pass through it on their
// way to and from the user's disk.
#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "Conversions.h"
#include "DataLog.h"
#include "DesignWording.h"
#include "EarlierRuns.h"
#include "FailureText.h"
#include "FieldMeaning.h"
#include "FormDesign.h"
#include "FormModel.h"
#include "FormRun.h"
#include "GraphPicture.h"
#include "GraphPng.h"
#include "OutputFile.h"
#include "PageReadouts.h"
#include "ParameterFile.h"
#include "ParameterFileMessages.h"
#include "PointUnder.h"
#include "Proposal.h"
#include "ReportTables.h"
#include "RunFigures.h"
#include "RunSession.h"
#include "RunStop.h"
#include "RunTrace.h"
#include "StartupValues.h"
#include "TraceCsv.h"
#include "TraceCurve.h"
#include "WrittenText.h"

namespace tarvex::page {

// The engine's calls into the page's script (PageScript in the page).
EM_JS(void, jsShowReadouts, (const double* values, std::uint32_t changed),
      { Module.page.showReadouts(HEAPF64.subarray(values >> 3, (values >> 3) + 8), changed); });
EM_JS(void, jsDrawGraph, (), { Module.page.drawGraph(); });

// The design's worker tells the page how far its search has come.
EM_JS(void, jsDesignProgress, (double candidatesRun), { postMessage({progress : candidatesRun}); });

void showReadouts(const std::array<std::int64_t, kReadoutCount>& values, std::uint32_t changed) {
  std::array<double, kReadoutCount> shown{};
  for (std::size_t i = 0; i < shown.size(); ++i) shown[i] = static_cast<double>(values[i]);
  jsShowReadouts(shown.data(), changed);
}
void drawGraph() {
  jsDrawGraph();
}
double nowMs() {
  return emscripten_get_now();
}

namespace {

// The graph's picture, counting what is drawn on it, so that a turn redraws
// the canvas only when the picture has changed.
class CountedPicture final : public GraphSurface {
 public:
  void clearGraph() override {
    ++changes_;
    picture_.clearGraph();
  }
  void drawLine(float x1, float y1, float x2, float y2) override {
    ++changes_;
    picture_.drawLine(x1, y1, x2, y2);
  }
  void drawPoint(float x, float y) override {
    ++changes_;
    picture_.drawPoint(x, y);
  }
  void setSpeedAxisCaption(std::string_view caption) override {
    ++changes_;
    picture_.setSpeedAxisCaption(caption);
  }
  void setTimeAxisCaption(std::string_view caption) override {
    ++changes_;
    picture_.setTimeAxisCaption(caption);
  }
  const GraphPicture& picture() const { return picture_; }
  std::uint64_t changes() const { return changes_; }

 private:
  GraphPicture picture_;
  std::uint64_t changes_ = 0;
};

// A run as the graph keeps it under later ones: how it was made (the
// parameters as typed, the options at its start, whether they changed during
// it, where it was stopped), its plotted points, and its colour and count.
struct KeptRun {
  RunParameters typed;
  std::int16_t sCurve = 0, automatic = 0, symmetric = 0;
  bool optionsChanged = false;
  std::optional<std::int64_t> stopTick;
  RunTrace trace;
  std::int32_t range = 0;
  int colour = -1;
  int runs = 1;

  earlier::LegendRun legendRun() const { return {typed, sCurve, automatic, symmetric, runs}; }
  // Made the same way, so the same in every value; a run whose options
  // changed while it went on is like no other.
  bool sameAs(const KeptRun& other) const {
    return !optionsChanged && !other.optionsChanged && typed.texts == other.typed.texts &&
           sCurve == other.sCurve && automatic == other.automatic && symmetric == other.symmetric &&
           stopTick == other.stopTick;
  }
};

// Earlier runs kept under the current one, the most recent first.
inline constexpr std::size_t kEarlierRuns = 5;

struct Page {
  FormModel form;
  CountedPicture picture;
  std::uint64_t changesDrawn = ~std::uint64_t{0};
  RunTrace trace;
  // During a run: its readouts and the run itself, computed in slices.
  std::optional<PageReadouts> readouts;
  std::optional<RunSession> run;
  RunOutcome outcome;
  RunParameters typed;
  std::vector<std::uint8_t> rgba;
  int rgbaWidth = 0;
  int rgbaHeight = 0;
  std::string text;  // the last text handed to the script
  int cursorColumn = -1;
  // The last run, for its report: what it left, its options (S-curve at
  // set-up, symmetric deceleration at set-up and never left during it) and
  // the readouts' texts as the page showed them at its end.
  std::optional<RunResult> result;
  bool sCurve = false;
  bool symmetric = false;
  std::array<std::string, kReadoutCount> shownReadouts;
  // 目標から設計: the targets as typed, the proposal the search made (to
  // apply), and what the fields and boxes held before it was applied.
  design::wording::TargetTexts targets;
  design::Proposal proposal;
  std::optional<std::pair<RunParameters, std::array<std::int16_t, kCheckBoxCount>>> beforeApply;
  // 前回の波形を残す: the last run and those kept under it, and the curve
  // last handed to the script (pixels, x and y in turn).
  bool keepEarlier = false;
  std::optional<KeptRun> current;
  std::vector<KeptRun> earlier;
  KeptRun starting;  // how the run going on was made
  std::vector<double> curve;
};

Page& thePage() {
  static Page instance;
  return instance;
}

// A run begins: the last one goes under it when earlier runs are kept,
// with the colour it had while kept before if no other took it.
void keepLastRun(Page& p) {
  p.starting = KeptRun{};
  p.starting.typed = p.typed;
  p.starting.sCurve = p.form.optionValue(CheckBox::Check4);
  p.starting.automatic = p.form.optionValue(CheckBox::Check2);
  p.starting.symmetric = p.form.optionValue(CheckBox::Check7);
  if (!p.keepEarlier || !p.current || p.current->trace.points().empty()) return;
  std::vector<int> taken;
  for (const KeptRun& run : p.earlier) taken.push_back(run.colour);
  KeptRun kept = *p.current;
  if (kept.colour < 0 || std::find(taken.begin(), taken.end(), kept.colour) != taken.end())
    kept.colour = earlier::freeColour(taken);
  p.earlier.insert(p.earlier.begin(), std::move(kept));
}

// A run has ended: it is the current one; an earlier run made the same way
// gives up its place and is counted with it.
void recordRunEnd(Page& p, const RunResult& result) {
  KeptRun run = std::move(p.starting);
  if (result.outcome.end == RunEnd::Stopped) run.stopTick = result.outcome.ticks;
  run.trace = p.trace;
  run.range = result.range;
  if (!run.trace.points().empty())
    for (auto same = p.earlier.begin(); same != p.earlier.end(); ++same)
      if (same->sameAs(run)) {
        run.runs += same->runs;
        run.colour = same->colour;
        p.earlier.erase(same);
        break;
      }
  if (p.earlier.size() > kEarlierRuns) p.earlier.resize(kEarlierRuns);
  p.current = std::move(run);
}

// The run the graph shows, the earlier ones under it: the one going on, or
// the last; nothing before the first. Whether it has drawn a curve.
const KeptRun* shownRun(const Page& p) {
  return p.readouts ? &p.starting : p.current ? &*p.current : nullptr;
}
bool drewCurve(const Page& p) {
  return !(p.readouts ? p.trace : p.current->trace).points().empty();
}

// The earlier runs shown: none unless they are kept, and none where the
// shown run's scales are no numbers.
std::optional<GraphScales> shownScales(const Page& p) {
  const KeptRun* run = shownRun(p);
  if (run == nullptr) return std::nullopt;
  return GraphScales::fromTexts(run->typed[Parameter::TimeDisplayMax],
                                run->typed[Parameter::SpeedDisplayMax]);
}
std::size_t earlierShown(const Page& p) {
  return p.keepEarlier && shownScales(p) ? std::min(p.earlier.size(), kEarlierRuns) : 0;
}

const char* handOver(std::string text) {
  thePage().text = std::move(text);
  return thePage().text.c_str();
}

std::string jsonList(const std::vector<std::string>& items) {
  std::string json = "[";
  for (const std::string& item : items) json += (json.size() > 1 ? "," : "") + jsonString(item);
  return json + "]";
}

std::string jsonRows(const std::vector<design::wording::TableRow>& rows) {
  using design::wording::Mark;
  std::string json = "[";
  for (const auto& row : rows)
    json += std::string(json.size() > 1 ? "," : "") + "{\"cells\":" + jsonList(row.cells) +
            ",\"mark\":\"" +
            (row.mark == Mark::Off       ? "off"
             : row.mark == Mark::Changed ? "changed"
                                         : "") +
            "\"}";
  return json + "]";
}

const char* kindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return "TextBox";
    case ControlKind::Label:
      return "Label";
    case ControlKind::CheckBox:
      return "CheckBox";
    case ControlKind::CommandButton:
      return "CommandButton";
    case ControlKind::OptionButton:
      return "OptionButton";
    case ControlKind::PictureBox:
      return "PictureBox";
    case ControlKind::Line:
      return "Line";
  }
  return "";
}

// What page_startRun and page_resumeRun return: how the run ended (0
// completed, 1 stopped, 2 failed), or kRunPaused while it pauses for the
// browser's turn.
constexpr int kRunPaused = 3;

int runSliceEnded(bool ended) {
  Page& p = thePage();
  if (!ended) return kRunPaused;
  p.readouts->showChangedValues();
  const RunResult result = p.run->result();
  p.outcome = result.outcome;
  p.result = result;
  recordRunEnd(p, result);
  p.run.reset();
  p.readouts.reset();
  return static_cast<int>(p.outcome.end);
}

}  // namespace
}  // namespace tarvex::page

using namespace tarvex;
using tarvex::page::thePage;

extern "C" {

// The form's design as JSON: the caption, the client size and every control
// with its place in pixels (edges converted as the window converts them).
EMSCRIPTEN_KEEPALIVE const char* page_design() {
  // The graph's time axis, in pixels: a legend in a bottom corner stays above it.
  std::string json =
      "{\"timeAxisY\":" +
      std::to_string(static_cast<int>(SpeedGraph::kTimeAxisY / GraphPicture::kTwipsPerPixel)) +
      ",\"caption\":" + jsonString(kForm1Caption) + ",\"width\":" + std::to_string(kClientWidth) +
      ",\"height\":" + std::to_string(kClientHeight) + ",\"controls\":[";
  bool first = true;
  for (const ControlDesign& c : kControls) {
    if (!first) json += ',';
    first = false;
    const int left = twipsToPixels(c.left), top = twipsToPixels(c.top);
    const int right = twipsToPixels(c.left + c.width), bottom = twipsToPixels(c.top + c.height);
    json += "{\"name\":" + jsonString(c.name) + ",\"kind\":\"" + page::kindName(c.kind) +
            "\",\"text\":" + jsonString(c.text) + ",\"left\":" + std::to_string(left) +
            ",\"top\":" + std::to_string(top) + ",\"width\":" + std::to_string(right - left) +
            ",\"height\":" + std::to_string(bottom - top) +
            ",\"tabIndex\":" + std::to_string(c.tabIndex) + ",\"m9\":" + (c.m9 ? "true" : "false") +
            ",\"rightAligned\":" + (c.rightAligned ? "true" : "false") + "}";
  }
  json += "],\"readouts\":[";
  for (const ReadoutControl& r : kReadoutControls)
    json += std::string(&r == &kReadoutControls.front() ? "" : ",") + jsonString(r.name);
  json += "],\"parameterFields\":[";
  for (const ParameterField& f : kParameterFields)
    json += std::string(&f == &kParameterFields.front() ? "" : ",") +
            jsonString(controlName(f.control));
  return page::handOver(json + "]}");
}

// The freshly opened window's controls.
EMSCRIPTEN_KEEPALIVE void page_showStartupValues() {
  applyStartupValues(thePage().form);
}

EMSCRIPTEN_KEEPALIVE const char* page_text(int box) {
  return page::handOver(thePage().form.text(textBoxNumber(box)));
}
EMSCRIPTEN_KEEPALIVE void page_setText(int box, const char* text) {
  thePage().form.setText(textBoxNumber(box), text);
}
EMSCRIPTEN_KEEPALIVE int page_optionValue(int box) {
  return thePage().form.optionValue(checkBoxNumber(box));
}
// A click on a box: clear becomes ticked, ticked or grayed becomes clear;
// a paired box's partner follows.
EMSCRIPTEN_KEEPALIVE void page_clickOption(int box) {
  FormModel& form = thePage().form;
  const CheckBox clicked = checkBoxNumber(box);
  form.setOptionValue(clicked, form.optionValue(clicked) == kUnchecked ? kChecked : kUnchecked);
  if (thePage().readouts && form.optionValue(CheckBox::Check7) != kChecked)
    thePage().symmetric = false;
  if (thePage().readouts) thePage().starting.optionsChanged = true;
}

// One run of the controls as they stand, computed in slices: each call
// computes until the run ends or pauses for the browser's turn (kRunPaused),
// then page_resumeRun goes on after the turn.
EMSCRIPTEN_KEEPALIVE int page_startRun() {
  page::Page& p = thePage();
  p.trace.clear();
  p.readouts.emplace();
  p.run.emplace(p.form, *p.readouts);
  p.run->drawOn(p.picture).traceTo(&p.trace).logTo(DataLog::kDefaultPath);
  p.typed = readRunParameters(p.form);
  p.sCurve = p.form.optionValue(CheckBox::Check4) == kChecked;
  p.symmetric = p.form.optionValue(CheckBox::Check7) == kChecked;
  page::keepLastRun(p);
  return page::runSliceEnded(p.run->start(p.typed));
}
EMSCRIPTEN_KEEPALIVE int page_resumeRun() {
  return page::runSliceEnded(thePage().run->resume());
}

// A run nobody sees, right after the page has opened: the browser compiles
// the engine quickly at first and well only for code that has run, so the
// user's first run goes at full speed.
EMSCRIPTEN_KEEPALIVE void page_warmUp() {
  FormModel form;
  applyStartupValues(form);
  SilentReadouts silent;
  GraphPicture scratch;
  RunSession session(form, silent);
  session.drawOn(scratch);
  for (int i = 0; i < 2; ++i) session.run();
}

EMSCRIPTEN_KEEPALIVE void page_requestStop() {
  if (thePage().readouts) thePage().readouts->requestStop();
}

// The last run's failure: the message, the engine's step, and the field to
// correct (its number, 0 for none).
EMSCRIPTEN_KEEPALIVE const char* page_failureMessage() {
  return page::handOver(describeFailureJapanese(thePage().outcome, thePage().typed));
}
EMSCRIPTEN_KEEPALIVE const char* page_failureDetail() {
  return page::handOver(failureDetailJapanese(thePage().outcome));
}
EMSCRIPTEN_KEEPALIVE int page_fieldToCorrect() {
  const std::optional<TextBox> field = fieldToCorrect(thePage().outcome);
  return field ? static_cast<int>(*field) : 0;
}

// What a parameter field's value means (its tooltip), from the fields as
// they stand; `box` is the field's number.
EMSCRIPTEN_KEEPALIVE const char* page_fieldMeaning(int box) {
  const std::optional<Parameter> parameter = parameterIn(textBoxNumber(box));
  if (!parameter) return page::handOver("");
  return page::handOver(meaning::parameterMeaning(*parameter, readRunParameters(thePage().form)));
}

// What a readout showing `value` means (its tooltip), at the range of the
// run that showed it; `readout` in the engine's order.
EMSCRIPTEN_KEEPALIVE const char* page_readoutMeaning(int readout, double value) {
  const Converted<std::int32_t> range = textToInt32(thePage().typed[Parameter::Range]);
  return page::handOver(meaning::readoutMeaning(static_cast<Readout>(readout),
                                                static_cast<std::int64_t>(value),
                                                range.ok() ? range.value : 0));
}

// The graph's cursor after the last run: the readout of the plotted point
// under pixel (x, y) of the graph, empty where there is none; its column by
// page_cursorColumn.
EMSCRIPTEN_KEEPALIVE const char* page_pointReadout(double x, double y) {
  page::Page& p = thePage();
  p.cursorColumn = -1;
  const std::optional<GraphScales> scales = GraphScales::fromTexts(
      p.typed[Parameter::TimeDisplayMax], p.typed[Parameter::SpeedDisplayMax]);
  const TracePoint* point = scales ? cursor::pointUnder(p.trace, *scales, x, y) : nullptr;
  if (point == nullptr) return page::handOver("");
  p.cursorColumn = cursor::cursorColumn(*point, p.trace, *scales);
  return page::handOver(cursor::pointReadout(*point, p.trace.range()));
}
EMSCRIPTEN_KEEPALIVE int page_cursorColumn() {
  return thePage().cursorColumn;
}

// 演算結果, the last run's report. The page hands over each readout's text
// as it shows it at the run's end (page_keepReadout, `readout` in the
// engine's order); page_runReport gives the report as JSON: its title, the
// summary's rows, the registers' and the phases' header and rows, and the
// whole as tab-separated text for the clipboard. Empty before any run.
EMSCRIPTEN_KEEPALIVE void page_keepReadout(int readout, const char* text) {
  thePage().shownReadouts.at(static_cast<std::size_t>(readout)) = text;
}
EMSCRIPTEN_KEEPALIVE const char* page_runReport() {
  const page::Page& p = thePage();
  if (!p.result) return page::handOver("");
  const report::ReportedRun run{
      .params = p.typed,
      .sCurve = p.sCurve,
      .symmetric = p.symmetric,
      .outcome = p.result->outcome,
      .range = p.result->range,
      .peakSpeed = p.result->peakSpeed,
      .trace = p.trace,
      .phases = p.result->phases,
      .readouts = p.shownReadouts,
      .failureMessage = p.outcome.failed() ? describeFailureJapanese(p.outcome, p.typed) : ""};
  const auto rows = [](const std::vector<report::Row>& table) {
    std::string json = "[";
    for (const report::Row& row : table) {
      json += json.size() > 1 ? ",[" : "[";
      for (const std::string& cell : row)
        json += (&cell == &row.front() ? "" : ",") + jsonString(cell);
      json += "]";
    }
    return json + "]";
  };
  std::vector<report::Row> phases;
  for (const PhaseEntry& phase : run.phases) phases.push_back(report::phaseRow(phase, run.range));
  return page::handOver("{\"title\":" + jsonString(report::kTitle) +
                        ",\"summary\":" + rows(report::summaryRows(run)) +
                        ",\"registerHeader\":" + rows({report::registerHeader()}) +
                        ",\"registers\":" + rows(report::registerRows(run)) + ",\"phaseHeader\":" +
                        rows({report::phaseHeader()}) + ",\"phases\":" + rows(phases) +
                        ",\"text\":" + jsonString(report::reportText(run)) + "}");
}

EMSCRIPTEN_KEEPALIVE const char* page_speedAxisCaption() {
  return page::handOver(thePage().picture.picture().speedAxisCaption());
}
EMSCRIPTEN_KEEPALIVE const char* page_timeAxisCaption() {
  return page::handOver(thePage().picture.picture().timeAxisCaption());
}

// Whether anything has been drawn on the graph since it was last rendered.
EMSCRIPTEN_KEEPALIVE int page_graphChanged() {
  return thePage().picture.changes() != thePage().changesDrawn ? 1 : 0;
}

// The graph at `scale` device pixels per pixel, as RGBA bytes; its size by
// page_graphWidth and page_graphHeight. At scale 1 exactly the pixels of the
// batch runner's PNG.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* page_renderGraph(double scale) {
  page::Page& p = thePage();
  const GraphPicture& picture = p.picture.picture();
  p.changesDrawn = p.picture.changes();
  std::vector<GraphPicture::Pixel> pixels;
  if (scale == 1.0) {
    pixels = picture.shownPixels();
    p.rgbaWidth = GraphPicture::kWidth;
    p.rgbaHeight = GraphPicture::kHeight;
  } else {
    GraphPicture::Raster raster = picture.rasterAt(scale);
    pixels = std::move(raster.pixels);
    p.rgbaWidth = raster.width;
    p.rgbaHeight = raster.height;
  }
  p.rgba.resize(pixels.size() * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    p.rgba[4 * i] = static_cast<std::uint8_t>(pixels[i] >> 16);
    p.rgba[4 * i + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
    p.rgba[4 * i + 2] = static_cast<std::uint8_t>(pixels[i]);
    p.rgba[4 * i + 3] = 0xff;
  }
  return p.rgba.data();
}
EMSCRIPTEN_KEEPALIVE int page_graphWidth() {
  return thePage().rgbaWidth;
}
EMSCRIPTEN_KEEPALIVE int page_graphHeight() {
  return thePage().rgbaHeight;
}

// The graph's files and the trace, written to `path` in the module's file
// system; empty when done, else what went wrong.
EMSCRIPTEN_KEEPALIVE const char* page_writeGraphPng(const char* path) {
  return page::handOver(writeGraphPng(thePage().picture.picture(), path));
}
EMSCRIPTEN_KEEPALIVE const char* page_writeGraphSvg(const char* path) {
  return page::handOver(writeWholeFile(path, thePage().picture.picture().toSvg()));
}
EMSCRIPTEN_KEEPALIVE int page_haveTrace() {
  return thePage().trace.points().empty() ? 0 : 1;
}
EMSCRIPTEN_KEEPALIVE const char* page_writeTraceCsv(const char* path) {
  return page::handOver(writeTraceCsv(thePage().trace, path));
}

// The file a name typed into Save's input box stands for.
EMSCRIPTEN_KEEPALIVE const char* page_parameterFileName(const char* typed) {
  return page::handOver(parameterFileName(typed));
}

// Save: the parameter file of the controls, written to /parameters.prm for
// the page to hand to the user as `name`. Empty when saved, else the message
// (title, a line feed, the text).
EMSCRIPTEN_KEEPALIVE const char* page_saveParameterFile(const char* name) {
  const SaveResult result = saveParameterFile("/parameters.prm", thePage().form);
  if (result.ok()) return page::handOver("");
  const SaveFailureText text = saveFailureTextJapanese(name, result);
  return page::handOver(text.title + "\n" + text.message);
}

// Load: the parameter file the page put at /parameters.prm into the controls, all or nothing.
// Empty when loaded, else the message (title, a line feed, the text).
EMSCRIPTEN_KEEPALIVE const char* page_loadParameterFile(const char* name) {
  const LoadResult result = loadParameterFile("/parameters.prm", thePage().form);
  if (result.ok()) return page::handOver("");
  return page::handOver(std::string(kLoadFailedTitle) + "\n" +
                        loadFailureTextJapanese(name, result));
}

// ---- 目標から設計 ----
// The dialog's words; the targets it opens with; the targets as typed read
// (empty when they state a move, else the problem and the target's index as
// JSON). The search runs in a worker with its own instance of this module:
// the page hands it the fields, the boxes and the targets, and it answers
// with page_solveDesign's JSON. The proposal is then handed back here to be
// applied, and undone.

EMSCRIPTEN_KEEPALIVE const char* page_designWords() {
  namespace w = design::wording;
  std::string targets = "[";
  for (const design::Target target : w::kTargetsShown)
    targets += std::string(targets.size() > 1 ? "," : "") +
               "{\"name\":" + jsonString(design::targetName(target)) +
               ",\"caption\":" + jsonString(w::captionOf(target)) +
               ",\"hint\":" + jsonString(w::hintOf(target)) + "}";
  return page::handOver(
      "{\"title\":" + jsonString(w::kTitle) + ",\"group\":" + jsonString(w::kTargetsGroup) +
      ",\"targets\":" + targets + "]" + ",\"prompt\":" + jsonString(w::kPrompt) +
      ",\"edited\":" + jsonString(w::kEdited) + ",\"searching\":" + jsonString(w::kSearching) +
      ",\"cancelled\":" + jsonString(w::kCancelled) + ",\"applied\":" + jsonString(w::kApplied) +
      ",\"undone\":" + jsonString(w::kUndone) +
      ",\"achievedHeader\":" + page::jsonList(w::achievedHeader()) +
      ",\"proposalHeader\":" + page::jsonList(w::proposalHeader()) + "}");
}

EMSCRIPTEN_KEEPALIVE const char* page_startingTargets() {
  const page::Page& p = thePage();
  std::optional<RunFigures> lastRun;
  if (p.result && p.result->outcome.end == RunEnd::Completed) lastRun = figuresOf(*p.result);
  const auto texts = design::wording::startingTargets(
      lastRun, readRunParameters(p.form), p.form.optionValue(CheckBox::Check4) == kChecked);
  return page::handOver(page::jsonList({texts.begin(), texts.end()}));
}

EMSCRIPTEN_KEEPALIVE void page_setTarget(int target, const char* text) {
  thePage().targets.at(static_cast<std::size_t>(target)) = text;
}

EMSCRIPTEN_KEEPALIVE const char* page_readTargets() {
  const auto read = design::wording::readTargets(thePage().targets);
  const auto* problem = std::get_if<design::wording::TargetProblemText>(&read);
  if (problem == nullptr) return page::handOver("");
  return page::handOver("{\"text\":" + jsonString(problem->text) +
                        ",\"target\":" + std::to_string(static_cast<int>(problem->target)) + "}");
}

EMSCRIPTEN_KEEPALIVE void page_setOptionValue(int box, int value) {
  thePage().form.setOptionValue(checkBoxNumber(box), static_cast<std::int16_t>(value));
}

EMSCRIPTEN_KEEPALIVE const char* page_designProgressText(double candidatesRun) {
  return page::handOver(design::wording::progressText(static_cast<std::int64_t>(candidatesRun)));
}

// In the worker: the design of the targets set, from the fields and boxes
// set. JSON: the verdict and its tone ("met", "failed"), both tables' rows,
// and the proposal to apply (null when there is none). Its progress goes to
// the page every 100 ms.
EMSCRIPTEN_KEEPALIVE const char* page_solveDesign() {
  namespace w = design::wording;
  page::Page& p = thePage();
  const auto read = w::readTargets(p.targets);
  if (const auto* problem = std::get_if<w::TargetProblemText>(&read))
    return page::handOver("{\"verdict\":" + jsonString(problem->text) +
                          ",\"tone\":\"failed\",\"achieved\":[],\"proposal\":[],\"apply\":null}");
  const design::MoveTargets& targets = std::get<design::MoveTargets>(read);
  // Its progress every 100 ms, counted as the candidates' runs begin.
  struct Progress {
    double lastShown = emscripten_get_now();
  } progress;
  RunStopRequest watched;
  watched.observeRuns(
      [](std::int64_t runs, void* context) {
        auto& shown = *static_cast<Progress*>(context);
        if (emscripten_get_now() - shown.lastShown < 100.0) return;
        shown.lastShown = emscripten_get_now();
        page::jsDesignProgress(static_cast<double>(runs));
      },
      &progress);
  const RunParameters base = readRunParameters(p.form);
  std::string verdict, tone = "failed";
  const design::Design* shown = nullptr;
  design::Solution solution;
  try {
    solution = design::solve(targets, base, &watched);
  } catch (const std::exception& e) {
    verdict = w::internalErrorText(e.what());
  }
  // A refusal shows the closest design found; it is offered for 適用 only
  // where every target was tried and none stands out as beyond the chip.
  bool applicable = true;
  if (const auto* u = std::get_if<design::Unreachable>(&solution)) {
    if (u->closest) shown = &*u->closest;
    applicable = u->why == design::Shortfall::OffTarget;
    verdict = w::unreachableText(targets, *u);
  } else if (const auto* met = std::get_if<design::Design>(&solution); met && verdict.empty()) {
    shown = met;
    verdict = w::kMet;
    tone = "met";
  }
  std::string apply = "null";
  if (shown != nullptr && applicable) {
    std::vector<std::string> texts;
    for (const ParameterField& field : kParameterFields)
      texts.push_back(shown->proposal.params[field.parameter]);
    apply = "{\"params\":" + page::jsonList(texts) +
            ",\"linear\":" + (shown->proposal.linear ? "true" : "false") +
            ",\"asymmetric\":" + (shown->proposal.asymmetric ? "true" : "false") + "}";
  }
  return page::handOver(
      "{\"verdict\":" + jsonString(verdict) + ",\"tone\":\"" + tone + "\",\"achieved\":" +
      page::jsonRows(shown ? w::achievedRows(*shown) : std::vector<w::TableRow>{}) +
      ",\"proposal\":" +
      page::jsonRows(shown ? w::proposalRows(*shown, base, p.form) : std::vector<w::TableRow>{}) +
      ",\"apply\":" + apply + "}");
}

// 適用: the proposal's texts (in the order of the parameter fields' table)
// and boxes into the fields, what they held kept for 元に戻す.
EMSCRIPTEN_KEEPALIVE void page_setProposalText(int field, const char* text) {
  thePage().proposal.params[kParameterFields.at(static_cast<std::size_t>(field)).parameter] = text;
}
EMSCRIPTEN_KEEPALIVE void page_applyProposal(int linear, int asymmetric) {
  page::Page& p = thePage();
  std::array<std::int16_t, kCheckBoxCount> boxes{};
  for (int i = 0; i < kCheckBoxCount; ++i)
    boxes[static_cast<std::size_t>(i)] = p.form.optionValue(CheckBox(i + 1));  // Check1 is 1
  p.beforeApply.emplace(readRunParameters(p.form), boxes);
  p.proposal.linear = linear != 0;
  p.proposal.asymmetric = asymmetric != 0;
  design::applyProposal(p.proposal, p.form);
}
// 元に戻す: the boxes first, each as it was (a paired box's partner
// follows), then the texts.
EMSCRIPTEN_KEEPALIVE void page_undoProposal() {
  page::Page& p = thePage();
  if (!p.beforeApply) return;
  for (int i = 0; i < kCheckBoxCount; ++i)
    p.form.setOptionValue(CheckBox(i + 1), p.beforeApply->second[static_cast<std::size_t>(i)]);
  for (const ParameterField& field : kParameterFields)
    p.form.setText(field.control, p.beforeApply->first[field.parameter]);
  p.beforeApply.reset();
}

// ---- 前回の波形を残す ----
// Earlier runs' curves under the current one, in the light colour each
// keeps, placed by time and speed at the current run's scales; and the
// legend naming them.

EMSCRIPTEN_KEEPALIVE void page_setKeepingEarlierRuns(int keep) {
  thePage().keepEarlier = keep != 0;
}
EMSCRIPTEN_KEEPALIVE int page_keepingEarlierRuns() {
  return thePage().keepEarlier ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void page_clearEarlierRuns() {
  thePage().earlier.clear();
}
EMSCRIPTEN_KEEPALIVE int page_earlierRunsKept() {
  return static_cast<int>(thePage().earlier.size());
}
EMSCRIPTEN_KEEPALIVE int page_earlierRunsShown() {
  return static_cast<int>(page::earlierShown(thePage()));
}
EMSCRIPTEN_KEEPALIVE int page_earlierColour(int run) {
  const int colour = thePage().earlier.at(static_cast<std::size_t>(run)).colour;
  return static_cast<int>(
      earlier::kColours[static_cast<std::size_t>(std::max(colour, 0)) % earlier::kColours.size()]);
}
// The curve of earlier run `run` in pixels of the graph, through the middle
// of each pixel: x and y in turn, page_earlierCurveLength of them.
EMSCRIPTEN_KEEPALIVE const double* page_earlierCurve(int run) {
  page::Page& p = thePage();
  p.curve.clear();
  const page::KeptRun& kept = p.earlier.at(static_cast<std::size_t>(run));
  const std::optional<GraphScales> scales = page::shownScales(p);
  for (const GraphPicture::TwipPoint& point :
       curve::curveInTwips(kept.trace, kept.range, *scales)) {
    p.curve.push_back(point.x / GraphPicture::kTwipsPerPixel + 0.5);
    p.curve.push_back(point.y / GraphPicture::kTwipsPerPixel + 0.5);
  }
  return p.curve.data();
}
EMSCRIPTEN_KEEPALIVE int page_earlierCurveLength() {
  return static_cast<int>(thePage().curve.size());
}
// The legend as JSON: [{"colour": 0xRRGGBB, "text": ...}], the current run
// first (black) when it drew a curve; empty without earlier runs shown.
EMSCRIPTEN_KEEPALIVE const char* page_legend() {
  const page::Page& p = thePage();
  const std::size_t shown = static_cast<std::size_t>(page_earlierRunsShown());
  if (shown == 0) return page::handOver("[]");
  std::vector<earlier::LegendRun> runs;
  for (std::size_t i = 0; i < shown; ++i) runs.push_back(p.earlier[i].legendRun());
  std::vector<const earlier::LegendRun*> earlierRuns;
  for (const earlier::LegendRun& run : runs) earlierRuns.push_back(&run);
  const bool currentShown = page::drewCurve(p);
  const std::vector<std::string> texts =
      earlier::legendTexts(earlierRuns, page::shownRun(p)->legendRun(), currentShown);
  std::string json = "[";
  for (std::size_t line = 0; line < texts.size(); ++line) {
    const int colour = currentShown && line == 0
                           ? 0
                           : page_earlierColour(static_cast<int>(line - (currentShown ? 1 : 0)));
    json += std::string(line ? "," : "") + "{\"colour\":" + std::to_string(colour) +
            ",\"text\":" + jsonString(texts[line]) + "}";
  }
  return page::handOver(json + "]");
}

}  // extern "C"
