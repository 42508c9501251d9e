// The page's window onto the engine: a small C API that the page's script
// calls, and the few calls the engine makes back into the page. The form's
// controls are held here (FormModel) and mirrored by the page's fields; the
// page reports every edit and click, and reads the controls back after a
// load. Files live in the module's own memory file system: the data log is
// written there by the run, the parameter files pass through it on their
// way to and from the user's disk.
#include <emscripten.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "Conversions.h"
#include "DataLog.h"
#include "FailureText.h"
#include "FormDesign.h"
#include "FormModel.h"
#include "FormRun.h"
#include "GraphPicture.h"
#include "GraphPng.h"
#include "OutputFile.h"
#include "PageReadouts.h"
#include "ParameterFile.h"
#include "ParameterFileMessages.h"
#include "RunSession.h"
#include "RunTrace.h"
#include "StartupValues.h"
#include "TraceCsv.h"

namespace tarvex::page {

// The engine's calls into the page's script (PageScript in the page).
EM_JS(void, jsShowReadouts, (const double* values, std::uint32_t changed),
      { Module.page.showReadouts(HEAPF64.subarray(values >> 3, (values >> 3) + 8), changed); });
EM_JS(void, jsDrawGraph, (), { Module.page.drawGraph(); });

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
};

Page& thePage() {
  static Page instance;
  return instance;
}

const char* handOver(std::string text) {
  thePage().text = std::move(text);
  return thePage().text.c_str();
}

// A text for a JSON document: quotes, backslashes and control characters
// escaped.
std::string jsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + '"';
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
  p.outcome = p.run->result().outcome;
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
  std::string json = "{\"caption\":" + page::jsonString(kForm1Caption) +
                     ",\"width\":" + std::to_string(kClientWidth) +
                     ",\"height\":" + std::to_string(kClientHeight) + ",\"controls\":[";
  bool first = true;
  for (const ControlDesign& c : kControls) {
    if (!first) json += ',';
    first = false;
    const int left = twipsToPixels(c.left), top = twipsToPixels(c.top);
    const int right = twipsToPixels(c.left + c.width), bottom = twipsToPixels(c.top + c.height);
    json += "{\"name\":" + page::jsonString(c.name) + ",\"kind\":\"" + page::kindName(c.kind) +
            "\",\"text\":" + page::jsonString(c.text) + ",\"left\":" + std::to_string(left) +
            ",\"top\":" + std::to_string(top) + ",\"width\":" + std::to_string(right - left) +
            ",\"height\":" + std::to_string(bottom - top) +
            ",\"tabIndex\":" + std::to_string(c.tabIndex) + ",\"m9\":" + (c.m9 ? "true" : "false") +
            ",\"rightAligned\":" + (c.rightAligned ? "true" : "false") + "}";
  }
  json += "],\"readouts\":[";
  for (const ReadoutControl& r : kReadoutControls)
    json += std::string(&r == &kReadoutControls.front() ? "" : ",") + page::jsonString(r.name);
  json += "],\"parameterFields\":[";
  for (const ParameterField& f : kParameterFields)
    json += std::string(&f == &kParameterFields.front() ? "" : ",") +
            page::jsonString(controlName(f.control));
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

}  // extern "C"
