// Picture1: twips to pixels, clipping, keeping the image, and saving the
// graph as PNG and SVG exactly as shown.
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>

#include "GraphFiles.h"
#include "GraphPicture.h"
#include "RunFailureMessage.h"
#include "WindowTestSupport.h"

using namespace tarvex;
using namespace tarvex::window;
using namespace tarvex::testing;

Q_DECLARE_METATYPE(tarvex::RunFailure)

namespace {

QList<QPoint> inked(const QImage& image) {
  QList<QPoint> points;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) points << QPoint(x, y);
  return points;
}

}  // namespace

class WindowGraph : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    picture_ = std::make_unique<GraphPicture>();
    picture_->resize(667, 267);
  }
  void cleanup() { picture_.reset(); }

  void pointsLandInThePixelHoldingTheirTwip_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QList<QPoint>>("pixels");
    QTest::newRow("last twip of a pixel") << 14.9f << 29.99f << QList<QPoint>{{0, 1}};
    QTest::newRow("first twip of the next") << 15.f << 30.f << QList<QPoint>{{1, 2}};
    QTest::newRow("starting point of the default run")
        << 0.f << 3939.13f << QList<QPoint>{{0, 262}};
    QTest::newRow("full-scale time") << 9990.f << 3949.f << QList<QPoint>{{666, 263}};
    QTest::newRow("above the picture") << 100.f << -0.5f << QList<QPoint>{};
    QTest::newRow("far beyond") << 1e30f << -1e30f << QList<QPoint>{};
    QTest::newRow("not a number") << std::nanf("") << 0.f << QList<QPoint>{};
  }
  void pointsLandInThePixelHoldingTheirTwip() {
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QList<QPoint>, pixels);
    picture_->drawPoint(x, y);
    QCOMPARE(inked(picture_->image()), pixels);
  }

  void linesIncludeBothEnds() {
    picture_->drawLine(9990, 3850, 9990, 3950);  // the full-scale time mark
    QList<QPoint> mark;
    for (int y = 256; y <= 263; ++y) mark << QPoint(666, y);
    QCOMPARE(inked(picture_->image()), mark);
    picture_->clear();
    picture_->drawLine(-30, 15, 45, 15);  // clipped at the left edge
    QCOMPARE(inked(picture_->image()), (QList<QPoint>{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
  }

  void savedFilesAreExactlyTheGraph() {
    WorkingFolder folder;
    picture_->drawLine(1, 3950, 9990, 3950);
    picture_->drawLine(1, 0, 1, 3950);
    for (int x = 0; x < 9990; x += 3) picture_->drawPoint(float(x), 3949.f - float(x) * 0.3f);
    const QImage shown = picture_->image();

    QCOMPARE(saveGraphPng(shown, folder.path("graph.png")), QString());
    QCOMPARE(QImage(folder.path("graph.png")).convertToFormat(QImage::Format_RGB32), shown);

    QCOMPARE(saveGraphSvg(shown, folder.path("graph.svg")), QString());
    QSvgRenderer svg(folder.path("graph.svg"));
    QVERIFY(svg.isValid());
    QCOMPARE(svg.defaultSize(), shown.size());
    QImage rendered(shown.size(), QImage::Format_RGB32);
    rendered.fill(Qt::red);
    QPainter painter(&rendered);
    svg.render(&painter);
    painter.end();
    QCOMPARE(rendered, shown);
  }

  void saveFailureIsReported() {
    WorkingFolder folder;
    const QString missing = folder.path("no/such/folder/graph");
    QVERIFY(!saveGraphPng(picture_->image(), missing + ".png").isEmpty());
    QVERIFY(!saveGraphSvg(picture_->image(), missing + ".svg").isEmpty());
  }

  void noMenuDuringARun() {
    picture_->show();
    QVERIFY(QTest::qWaitForWindowExposed(picture_.get()));
    bool menuShown = false;
    auto closeMenu = [&menuShown] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        menuShown = true;
        menu->close();
      }
    };
    picture_->setRunActive(true);
    QTimer::singleShot(100, closeMenu);
    QContextMenuEvent during(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(10, 10));
    QApplication::sendEvent(picture_.get(), &during);
    QTest::qWait(150);
    QVERIFY(!menuShown);

    picture_->setRunActive(false);
    QTimer::singleShot(100, closeMenu);
    QContextMenuEvent after(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(10, 10));
    QApplication::sendEvent(picture_.get(), &after);
    QVERIFY(menuShown);
  }

  // The message of a failed run names the error in the runtime's words and,
  // for a field, the field's caption.
  void failureMessages_data() {
    QTest::addColumn<RunFailure>("failure");
    QTest::addColumn<QStringList>("contains");
    QTest::newRow("field") << RunFailure{RunError::TypeMismatch, ParamField::JerkDecel,
                                         "conversion of jerkDecel"}
                           << QStringList{"型が一致しません", "「減増加率：」(Text20)", "数値"};
    QTest::newRow("plot period") << RunFailure{RunError::Overflow, ParamField::TimeDisplayMax,
                                               "plotPeriod"}
                                 << QStringList{"オーバーフロー", "「時間表示最大値：」",
                                                "plotPeriod"};
    QTest::newRow("counter") << RunFailure{RunError::Overflow, std::nullopt, "speedCounter + 1"}
                             << QStringList{"オーバーフロー", "speedCounter + 1", "1234"};
    QTest::newRow("file") << RunFailure{RunError::File, std::nullopt,
                                        "cannot open DATA_LOG.txt: Permission denied"}
                          << QStringList{"ファイル", "Permission denied"};
  }
  void failureMessages() {
    QFETCH(RunFailure, failure);
    QFETCH(QStringList, contains);
    RunOutcome outcome{RunEnd::Failed, failure, 1234, 5};
    const QString message = runFailureMessage(outcome);
    for (const QString& part : contains) QVERIFY2(message.contains(part), qPrintable(message));
    QVERIFY(runFailureMessage(RunOutcome{}).isEmpty());
  }

 private:
  std::unique_ptr<GraphPicture> picture_;
};

QTEST_MAIN(WindowGraph)
#include "tst_window_graph.moc"
