// Reading a run in the graph area: the trace saved as CSV and the point under
// the mouse against the batch runner's trace, the run report against its
// phase table, the fitted view against its picture at the fitted scales, and
// the layers (earlier runs, scales) that never reach the plain exports.
#include <QClipboard>
#include <QProcess>
#include <QRegularExpression>
#include <QToolTip>

#include <QWheelEvent>

#include "GraphImage.h"
#include "PictureBox.h"
#include "RunReplay.h"
#include "WindowSettings.h"
#include "WindowTest.h"

using namespace tarvex;

class WindowGraph : public test::WindowTest {
  Q_OBJECT

  window::PictureBox* graph() const { return control<window::PictureBox>("Picture1"); }
  // Chooses the graph menu's item by its key, the menu opened from the
  // keyboard on the graph clicked into: by the menu key and Shift+F10 in
  // turn. A file dialog is given `path`.
  void choose(Qt::Key key, const char* path = "") {
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    clickAt(graph(), Qt::LeftButton, QPoint(600, 20));
    QCOMPARE(QApplication::focusWidget(), graph());
    const QStringList seen =
        answering([&] { pressMenuKey(shiftF10_ = !shiftF10_); }, {}, key, file(path));
    QVERIFY(seen.contains("menu"));
  }
  bool shiftF10_ = false;
  // What the batch runner prints with `args`, in the test's folder.
  QString batch(const QStringList& args) const {
    QProcess batch;
    batch.setWorkingDirectory(file(""));
    batch.start(TARVEX_BATCH, args + QStringList{"--log", "batch-log.txt"});
    batch.waitForFinished();
    return QString::fromUtf8(batch.readAllStandardOutput());
  }
  QByteArray bytes(const char* name) const {
    return QByteArray::fromStdString(test::readFile(dir->file(name)));
  }
  QImage image(const char* name) const {
    return QImage(file(name)).convertToFormat(QImage::Format_RGB32);
  }
  int pixelsNeitherBlackNorWhite() const {  // with its focus mark elsewhere
    control("Command1")->setFocus();
    const QImage shown = graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x)
        count += shown.pixel(x, y) != qRgb(0, 0, 0) && shown.pixel(x, y) != qRgb(255, 255, 255);
    return count;
  }

 private slots:
  // The CSV is the runner's --trace byte for byte, also from the fitted view;
  // a row every 961 ticks (1.2 s x 800.801 per column). The mouse low in pixel
  // column 100 (twips 1500 to 1514, climbing) reads the point of row 1500.
  void csvAndCursorReadTheBatchTrace() {
    click("Command1");
    choose(Qt::Key_C, "window");
    choose(Qt::Key_F);
    choose(Qt::Key_C, "fitted.csv");
    batch({"--trace", "batch.csv"});
    QCOMPARE(bytes("window.csv"), bytes("batch.csv"));
    QCOMPARE(bytes("fitted.csv"), bytes("batch.csv"));
    const QList<QByteArray> rows = bytes("window.csv").split('\n');
    QVERIFY(rows.size() > 8438);
    QCOMPARE(rows[0], "tick,time_s,pulses,speed_counter,speed_pps,accel_counter,state");
    QCOMPARE(rows[1], "0,0.000000000,0,10,100.000,1,1");
    QCOMPARE(rows[1501], "1441500,0.180187500,1041,1696,16960.000,132,3");
    QCOMPARE(rows[8438], "8107957,1.013494625,20000,10,100.000,0,8");
    QCOMPARE(rows[8439], "8108481,1.013560125,20000,10,100.000,0,8");  // the last tick
    for (int k = 1; k <= 8438; ++k) QCOMPARE(rows[k].split(',')[0].toInt(), 961 * (k - 1));
    choose(Qt::Key_R);
    const QList<QByteArray> row = rows[1501].split(',');
    QMouseEvent move(QEvent::MouseMove, QPointF(100.5, 267),
                     graph()->mapToGlobal(QPointF(100.5, 267)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(graph(), &move);
    QVERIFY2(QToolTip::text().contains("出力パルス: " + row[2]) &&
                 QToolTip::text().contains("速度カウンタ " + row[3] + "）"),
             qPrintable(QToolTip::text() + " / " + row.join(',')));
  }

  // Every row of the runner's phase table is a row of the copied report.
  void reportCopiesThePhaseTable() {
    click("Command1");
    choose(Qt::Key_E);
    const QString report = QApplication::clipboard()->text();
    const QString table = batch({}).section("Phases:\n", 1);
    QCOMPARE(table.count('\n'), 7);  // the header and six states
    for (const QString& line : table.split('\n').mid(1, 6))
      QVERIFY2(report.contains(line.simplified().replace(' ', '\t') + '\n'), qPrintable(line));
    QVERIFY(report.contains("移動時間 [s]\t1.013560\n") && report.contains("結果\t完了\n"));
  }

  // Fitting redraws the run at 1.013560125 s and 2999 x 10 x 1.1 = 32989 pps,
  // touching no field, readout or log; the fields' scales come back.
  void fitRedrawsTheRunAtItsOwnScales() {
    click("Check1");
    click("Command1");
    const QByteArray log = bytes("DATA_LOG.txt");
    choose(Qt::Key_F);
    QVERIFY(graph()->fitted());
    graph()->image().save(file("window.png"));
    batch({"--set", "timeDisplayMax=1.013560125", "--set", "speedDisplayMax=32989", "--plot",
           "fitted.png"});
    QCOMPARE(image("window.png"), image("fitted.png"));
    QCOMPARE(bytes("DATA_LOG.txt"), log);
    QCOMPARE(shown("Text11") + shown("Text7"), QStringLiteral("1.220000"));
    choose(Qt::Key_R);
    batch({"--plot", "plain.png"});
    QCOMPARE(graph()->image(), image("plain.png"));
  }

  // A stopped run in which the deceleration option was changed is made again
  // exactly (as the fitted view does): the same end, the same points.
  void aRunIsMadeAgainWithItsOptionChangesAndStop() {
    form->setText(TextBox::Text6, test::kEndless);
    once([&] { return pulsesShown() > 1000; },
         [&] {
           click("Check3");
           once([&] { return pulsesShown() > 5000; }, [&] { click("Command2"); });
         });
    click("Command1");
    const window::RecordedRun& run = *graph()->lastRun();
    QCOMPARE(run.recipe.changes.size(), std::size_t(1));
    RunTrace again;
    NullGraphSurface nowhere;
    const RunOutcome outcome = window::replayRun(run.recipe, "1.2", "40000", nowhere, again);
    QCOMPARE(outcome.end, RunEnd::Stopped);
    QCOMPARE(outcome.ticks, run.result.outcome.ticks);
    QVERIFY(again.points() == run.trace.points());
  }

  // A completed run keeps all it left: the figures the design starts from
  // hold its drag pulses and its triangle prevention as the readouts showed
  // them (the start-up run: one drag pulse; 3000 pulses: the triangle).
  void theWholeResultIsKept() {
    const struct {
      const char* pulses;
      int dragPulses;
      bool triangle;
    } runs[] = {{"20000", 1, false}, {"3000", 0, true}};
    for (const auto& r : runs) {
      control<QLineEdit>("Text6")->selectAll();
      QTest::keyClicks(control("Text6"), r.pulses);
      click("Command1");
      QCOMPARE(shown("Text16"), QString::number(r.dragPulses));
      const std::optional<RunFigures> figures = form->lastCompletedRunFigures();
      QVERIFY(figures);
      QCOMPARE(figures->dragPulses, r.dragPulses);
      QCOMPARE(figures->triangle, r.triangle);
    }
  }

  // Earlier curves, their legend and the scales are laid over the graph
  // shown; the plain export stays the picture alone, the one with context
  // adds the scales and the parameters.
  void layersStayOutOfThePlainExport() {
    choose(Qt::Key_K);
    click("Command1");
    form->setText(TextBox::Text3, "300");
    click("Command1");
    QCOMPARE(graph()->earlierRunCount(), std::size_t(1));
    QVERIFY(pixelsNeitherBlackNorWhite() > 300);
    choose(Qt::Key_M);
    choose(Qt::Key_P, "plain.png");
    batch({"--set", "jerkAccel=300", "--plot", "batch.png"});
    QCOMPARE(image("plain.png"), image("batch.png"));
    choose(Qt::Key_V, "context.svg");
    QVERIFY(bytes("context.svg").contains(">1.2 s</text>"));
    QVERIFY(bytes("context.svg").contains("加増加率 300  "));
    choose(Qt::Key_D);
    choose(Qt::Key_M);
    QCOMPARE(graph()->earlierRunCount(), std::size_t(0));
    QCOMPARE(pixelsNeitherBlackNorWhite(), 0);
  }

  // A scale label lies on a white ground of its own, never on a curve: an
  // earlier linear ramp at 500,000 pps/s (加速度 400) climbs through the
  // labels 10000 and 20000 (pixel rows 198 to 211 and 132 to 145, from
  // column 6) about columns 11 and 22; with the scales shown a pixel of it
  // in nearly every row of the two labels' grounds is hidden.
  void scaleLabelsHideTheCurvesUnderThem() {
    choose(Qt::Key_K);
    click("Check4");  // linear
    form->setText(TextBox::Text2, "400");
    click("Command1");
    click("Check4");
    form->setText(TextBox::Text2, "8000");
    click("Command1");
    const auto earlierInk = [&] {
      control("Command1")->setFocus();
      const QImage shown = graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
      int ink = 0;
      for (int y = 125; y <= 212; ++y)
        for (int x = 0; x <= 40; ++x) ink += qRed(shown.pixel(x, y)) != qBlue(shown.pixel(x, y));
      return ink;
    };
    const int bare = earlierInk();
    choose(Qt::Key_M);
    // The steep ramp has a pixel in nearly every row of the two grounds.
    const int hidden = bare - earlierInk();
    QVERIFY2(bare > 20 && hidden >= 20, qPrintable(QString::number(hidden)));
    choose(Qt::Key_M);
  }

  // An earlier run keeps its colour; one made again the same way takes no
  // place and is counted; 今回 shows its own values; a failed run has no
  // line; the last five that differ are kept.
  QStringList legend(QList<QRgb>* colours = nullptr) const {
    QStringList lines;
    for (const window::LegendEntry& e : graph()->legendShown())
      lines << e.text, colours && (*colours << e.colour.rgb(), true);
    return lines;
  }
  void earlierRunsKeepTheirColourAndCount() {
    choose(Qt::Key_K);
    form->setText(TextBox::Text6, "2000");
    for (const char* jerk : {"100", "200", "200", "300"}) {
      form->setText(TextBox::Text3, jerk);
      click("Command1");
    }
    QList<QRgb> colours;
    // Acceleration 8000 built up in 16 (jerk + 1) ticks a step: 300 takes
    // 8000 x 4816 ticks = 4.816 s.
    QCOMPARE(legend(&colours), (QStringList{"今回: 加増加率 300（立ち上がり 4.816 s）",
                                            "加増加率 200（立ち上がり 3.216 s）（2 回）",
                                            "加増加率 100（立ち上がり 1.616 s）"}));
    QCOMPARE(colours, (QList<QRgb>{0xff000000, 0xff92c5de, 0xfff4a582}));
    form->setText(TextBox::Text1, "0");
    answering([&] { click("Command1"); });
    // A failed run draws no curve: the legend names what the shown runs
    // differ in, not the failed run's range.
    QCOMPARE(legend(), (QStringList{"加増加率 300（立ち上がり 4.816 s）",
                                    "加増加率 200（立ち上がり 3.216 s）（2 回）",
                                    "加増加率 100（立ち上がり 1.616 s）"}));
    form->setText(TextBox::Text1, "800000");
    for (int run = 4; run <= 9; ++run) {
      form->setText(TextBox::Text3, std::to_string(100 * run));
      click("Command1");
      QCOMPARE(graph()->earlierRunCount(), std::size_t(std::min(run - 1, 5)));
    }
    QCOMPARE(legend().last(), "加増加率 400（立ち上がり 6.416 s）");
  }

  // Saved as shown: the PNG is the graph area, the SVG has the earlier
  // curve, the legend where it covers least (a long run's plateau fills the
  // top: the bottom right, above the overrun hint), the scales; the captions
  // with context wrap.
  void aComparisonIsSavedAsShown() {
    choose(Qt::Key_K);
    form->setText(TextBox::Text10, "32000");
    form->setText(TextBox::Text6, "200000");
    click("Command1");
    form->setText(TextBox::Text3, "300");
    click("Command1");
    choose(Qt::Key_M);
    choose(Qt::Key_W, "shown.png");
    control("Command1")->setFocus();
    QCOMPARE(image("shown.png"), graph()->grab().toImage().convertToFormat(QImage::Format_RGB32));
    choose(Qt::Key_H, "shown.svg");
    const QByteArray svg = bytes("shown.svg");
    QVERIFY(svg.contains("<path stroke=\"#f4a582\" d=\"M") && svg.contains(">1.2 s</text>"));
    QVERIFY(svg.contains(">今回: 加増加率 300（立ち上がり 4.816 s）</text>") &&
            svg.contains(">加増加率 600（立ち上がり 9.616 s）</text>"));
    // The run overruns 1.2 s: the legend stands clear above the hint, whose
    // 11 pixels end 20 above the axis (row 263⅓): the legend's last row 228,
    // the hint's first 232; in the SVG the legend's 600 twips end 510 above
    // the axis at 3950, the hint's letters 480 above it.
    QVERIFY(svg.contains("<rect x=\"5730\" y=\"2840\" width=\"4170\" height=\"600\""));
    QCOMPARE(graph()->legendArea().bottom(), 228);
    QCOMPARE(int(window::overrunHintBox().top()), 232);
    // A legend at the left keeps 70 pixels clear for the speed labels, more
    // for wider ones: "100000000 pps" (76 pixels in the 10-pixel gothic)
    // after 4 of the mark and 3 of the gap, 1 of ground after, 4 to spare.
    for (const auto& [speed, room] : {std::pair{"40000", 70}, {"100000000", 88}}) {
      const auto scales = GraphScales::fromTexts("1.2", speed);
      QCOMPARE(window::legendClearance(&*scales, false).left, room);
    }
    choose(Qt::Key_N, "context.png");
    QCOMPARE(image("context.png").size(), QSize(737, 349));  // three caption lines
    choose(Qt::Key_V, "context.svg");
    QVERIFY(bytes("context.svg").contains("Ｓ字加減速、自動減速、対称</text>"));
  }

  // The wheel over the graph at `at`, one step, with Ctrl or not.
  void wheel(QPoint at, int steps, Qt::KeyboardModifiers modifiers = {}) const {
    QWheelEvent turn(at, graph()->mapToGlobal(at), {}, {0, 120 * steps}, Qt::NoButton, modifiers,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(graph(), &turn);
  }
  // Whether the view shown runs from `t0` to `t1` s and `v0` to `v1` pps,
  // to a millionth.
  bool viewIs(double t0, double t1, double v0, double v1) const {
    const auto s = *graph()->shownScales();
    const double shown[] = {s.startSeconds, s.startSeconds + s.seconds, s.startPulsesPerSecond,
                            s.startPulsesPerSecond + s.pulsesPerSecond};
    const double wanted[] = {t0, t1, v0, v1};
    for (int i = 0; i < 4; ++i)
      if (std::abs(shown[i] - wanted[i]) > 1e-6 * std::max(1.0, std::abs(wanted[i]))) return false;
    return true;
  }

  // A box dragged from pixel 100 50 to 300 150 over the start-up run
  // (961 ticks a column, 40000 pps over 3948 twips): 1500 to 4500 twips are
  // 0.1801875 to 0.5405625 s, 3199 and 1699 twips above zero speed are
  // 32411.35 and 17213.78 pps. The scales, the exports and the readout
  // follow the view; + and - zoom around the middle, the wheel around the
  // mouse, Ctrl+wheel the time only; 0 goes back.
  void zoomFollowsTheMouseAndTheKeys() {
    click("Command1");
    QTest::mousePress(graph(), Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseMove(graph(), QPoint(200, 100));
    QTest::mouseMove(graph(), QPoint(300, 150));
    QTest::mouseRelease(graph(), Qt::LeftButton, {}, QPoint(300, 150));
    QVERIFY(graph()->zoomed() && viewIs(0.1801875, 0.5405625, 17213.78, 32411.35));
    choose(Qt::Key_P, "zoomed.png");
    QCOMPARE(image("zoomed.png"), graph()->image().convertToFormat(QImage::Format_RGB32));
    QVERIFY(graph()->image() != graphImage(graph()->picture()));  // not the run's own
    choose(Qt::Key_V, "zoomed.svg");
    QVERIFY(bytes("zoomed.svg").contains(">0.5 s</text>") &&
            !bytes("zoomed.svg").contains(">1.2 s</text>"));
    // The readout under the mouse at pixel column 400 of the view: 0.1801875
    // + 400 x 15 x (0.3603750 / 9990) = 0.39663 s.
    QTest::mouseMove(graph(), QPoint(400, 20));
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY2(QToolTip::text().startsWith("時間: 0.396"), qPrintable(QToolTip::text()));
    QTest::keyClick(graph(), Qt::Key_0);
    QVERIFY(!graph()->zoomed());
    // The run's own: 9990 columns of 961 ticks (1.20004875 s), 0 to 40000
    // pps; + halves it by 1.5625 around the middle (0.60002 s, 20000 pps).
    QTest::keyClick(graph(), Qt::Key_Plus);
    QVERIFY(viewIs(0.2160088, 0.98404, 7200, 32800));
    QTest::keyClick(graph(), Qt::Key_Minus);
    QVERIFY(viewIs(0, 1.20004875, 0, 40000));
    // The wheel one step in at pixel 0 0 (0 s, 40010.13 pps): every edge a
    // fifth of the way toward it; with Ctrl one step out, the time only.
    wheel(QPoint(0, 0), 1);
    QVERIFY(viewIs(0, 0.960039, 8002.0263, 40002.0263));
    wheel(QPoint(0, 0), -1, Qt::ControlModifier);
    QVERIFY(viewIs(0, 1.20004875, 8002.0263, 40002.0263));
    QTest::keyClick(graph(), Qt::Key_0);
    control("Command1")->setFocus();
    QCOMPARE(graph()->grab().toImage().convertToFormat(QImage::Format_RGB32), graph()->image());
    // The menu shows each item's key.
    QStringList keys;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (const QAction* a : menu->actions())
          keys << a->text().section('\t', 1, 1, QString::SectionSkipEmpty);
        menu->close();
      }
    });
    poll.start(10);
    clickAt(graph(), Qt::RightButton, QPoint(9, 9));
    keys.removeAll(QString());
    QCOMPARE(keys, (QStringList{"+", "-", "0", "Ctrl+D"}));
  }

  // The grid from the menu: grey lines at the ticks (0.2 s in pixel column
  // 110, 20000 pps in row 131), in the export with context, never in the
  // plain one; kept for the next start with the scales and the earlier
  // runs, the fields still at their start-up values; the defaults restored
  // from the menu.
  void gridAndSettingsStay() {
    click("Command1");
    choose(Qt::Key_L);
    control("Command1")->setFocus();
    const QImage picture = graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture.pixel(110, 20), qRgb(0xdc, 0xdc, 0xdc));
    QCOMPARE(picture.pixel(300, 131), qRgb(0xdc, 0xdc, 0xdc));
    choose(Qt::Key_V, "grid.svg");
    QVERIFY(bytes("grid.svg").contains("<g id=\"grid\""));
    choose(Qt::Key_S, "plain.svg");
    QVERIFY(!bytes("plain.svg").contains("<g id=\"grid\""));
    choose(Qt::Key_K);
    form->setText(TextBox::Text1, "1000");
    form = std::make_unique<Form1>();
    QCOMPARE(shown("Text1"), "800000");
    QVERIFY(graph()->gridShown() && !graph()->scalesShown() && graph()->keepingEarlierRuns());
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    choose(Qt::Key_T);
    QVERIFY(!graph()->gridShown() && !graph()->scalesShown() && !graph()->keepingEarlierRuns());
    form = std::make_unique<Form1>();
    QVERIFY(!graph()->gridShown() && !graph()->scalesShown() && !graph()->keepingEarlierRuns());
    QCOMPARE(window::WindowSettings::text(window::Setting::LastFolder), QString());
  }

  // Runs differing in many fields: each legend line is cut short with …,
  // its whole text in the tooltip over the legend; the display scales are
  // never named. A 200,000-pulse run overruns 1.2 s: the marker and its
  // hint show and are saved as shown.
  void longLegendsAndTheOverrunHint() {
    choose(Qt::Key_K);
    click("Command1");
    for (const auto& [box, text] : {std::pair{TextBox::Text2, "4000"},
                                    {TextBox::Text13, "4000"},
                                    {TextBox::Text3, "50"},
                                    {TextBox::Text20, "50"},
                                    {TextBox::Text4, "20"},
                                    {TextBox::Text11, "0.6"}})
      form->setText(box, text);
    click("Command1");
    const std::vector<window::LegendEntry> legend = graph()->legendShown();
    QCOMPARE(legend.size(), std::size_t(2));
    QCOMPARE(legend[0].text,
             "今回: 加速度 4000（5,000,000 pps/s）、減速度 4000（5,000,000 pps/s）、"
             "加増加率 50（立ち上がり 0.408 s）、減増加率 50（立ち上がり 0.408 s）、"
             "初速度 20（200 pps）");
    QVERIFY(!legend[0].text.contains("時間表示") && !legend[0].text.contains("速度表示"));
    QVERIFY(window::elidedLegendText(legend[0].text).endsWith("…"));
    QTest::mouseMove(graph(), graph()->legendArea().center());
    QTRY_VERIFY(QToolTip::isVisible() && QToolTip::text().startsWith(legend[0].text + "\n"));
    choose(Qt::Key_D);
    form->setText(TextBox::Text11, "1.2");
    form->setText(TextBox::Text6, "200000");
    click("Command1");
    QVERIFY(markerInk() > 20);
    choose(Qt::Key_H, "overrun.svg");
    QVERIFY(bytes("overrun.svg").contains(">時間軸を超えています（全体表示で全体を表示）</text>"));
    choose(Qt::Key_F);  // the whole run: no marker
    QVERIFY(graph()->fitted());
    QCOMPARE(markerInk(), 0);
    // A short run over the long one kept: 全体表示 still shows the long one
    // whole.
    const std::int64_t longTicks = form->lastOutcome()->ticks;
    form->setText(TextBox::Text6, "20000");
    form->setText(TextBox::Text11, "1.2");
    click("Command1");
    choose(Qt::Key_F);
    QVERIFY(graph()->shownScales()->seconds * 8e6 >= double(longTicks));
  }
  int markerInk() const {  // the overrun marker's and hint's pixels
    control("Command1")->setFocus();
    const QImage picture = graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int marked = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        marked += picture.pixel(x, y) == qRgb(0xc0, 0x30, 0x20);
    return marked;
  }

  // At 100 % the graph is its picture; at 200 % (run again with
  // QT_SCALE_FACTOR=2) it is drawn at the screen's resolution: not every 2 x 2
  // block is one colour, as in the picture doubled, and the time axis at 3950
  // twips lies in device rows 526 and 527. Halfway through a run, inked as
  // the run drew, it is the graph drawn anew, also over an earlier run and
  // the grid.
  void graphAtTheScreensResolution() {
    const auto grabbed = [&] {
      return graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    // Halfway through a run the graph as shown, and drawn anew by the grid
    // laid over it and taken away again (`grid` false), or the other way.
    const auto liveAndAnew = [&](bool grid) {
      QImage live, anew;
      graph()->setGridShown(grid);
      form->setText(TextBox::Text6, test::kEndless);
      form->setText(TextBox::Text11, "10");  // a column's points over several pixels
      once([&] { return pulsesShown() > 5000; },
           [&] {
             live = grabbed();
             graph()->setGridShown(!grid);
             graph()->setGridShown(grid);
             anew = grabbed();
             click("Command2");
           });
      click("Command1");
      QVERIFY(!live.isNull());
      QCOMPARE(live, anew);
    };
    liveAndAnew(false);
    if (QTest::currentTestFailed()) return;
    form->setText(TextBox::Text6, "20000");
    form->setText(TextBox::Text11, "1.2");
    click("Command1");
    control("Command1")->setFocus();
    const QImage shown = grabbed();
    if (graph()->devicePixelRatioF() == 1.0) {
      QCOMPARE(shown, graph()->image());
    } else {
      QCOMPARE(shown.size(), QSize(1336, 536));
      int split = 0;
      for (int y = 0; y < 536; y += 2)
        for (int x = 0; x < 1336; x += 2) split += shown.pixel(x, y) != shown.pixel(x + 1, y + 1);
      QVERIFY2(split > 500, qPrintable(QString::number(split)));
      for (int y = 524; y < 530; ++y)
        QCOMPARE(shown.pixel(700, y) == qRgb(0, 0, 0), y == 526 || y == 527);
    }
    graph()->setKeepingEarlierRuns(true);
    form->setText(TextBox::Text3, "300");
    liveAndAnew(true);
    graph()->setKeepingEarlierRuns(false);
    graph()->setGridShown(false);
  }
};

QTEST_MAIN(WindowGraph)
#include "tst_window_graph.moc"
