// The files the window reads and writes: the graph shown against the batch
// runner's picture of the same parameter file, exporting the graph, and the
// Save and Load dialogs.
#include <QAbstractProxyModel>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeView>
#include <QXmlStreamReader>
#include <tuple>

#include "WindowTest.h"

using namespace tarvex;

namespace {

const std::string kStartupFile =
    "\"40000\",\"1.2\",\"800000\",\"600\",\"8000\",\"8000\",\"10\",\"3000\",\"20000\"\r\n"
    "\"1000\",\"0\",1,0,1,0,0,\"600\"\r\n";

}  // namespace

class WindowFiles : public test::WindowTest {
  Q_OBJECT

  QImage graphShown() const {
    return control("Picture1")->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  QImage image(const char* name) const {
    return QImage(file(name)).convertToFormat(QImage::Format_RGB32);
  }
  // The graph's menu, from the right mouse button.
  void openGraphMenu() const { clickAt(control("Picture1"), Qt::RightButton, QPoint(9, 9)); }

  // The graph menu's item of `key`, saving to `path` and replacing what is
  // there when the file dialog asks; the message boxes that follow, as
  // "title|text", each closed with Escape.
  QStringList exportTo(Qt::Key key, const QString& path) const {
    QStringList seen;
    QPointer<QWidget> last;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* w = QApplication::activePopupWidget();
      if (w == nullptr) w = QApplication::activeModalWidget();
      if (w == nullptr || w == last) return;
      last = w;
      if (auto* menu = qobject_cast<QMenu*>(w)) QTest::keyClick(menu, key);
      if (auto* files = qobject_cast<QFileDialog*>(w)) {
        files->findChild<QLineEdit*>("fileNameEdit")->setText(path);
        // Later, so that the question it may ask finds this poll running.
        QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
      }
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box != nullptr && qobject_cast<QFileDialog*>(box->parentWidget()) != nullptr)
        box->button(QMessageBox::Yes)->click();
      else if (box != nullptr)
        seen << box->windowTitle() + "|" + box->text(), QTest::keyClick(box, Qt::Key_Escape);
    });
    poll.start(10);
    openGraphMenu();
    return seen;
  }

 private slots:
  void graphEqualsTheBatchRunners() {
    // The file's first two fields: the start-up scales, a negative speed
    // scale, one that puts every point off the picture, a short time scale.
    for (const char* scales :
         {"\"40000\",\"1.2\"", "\"-0.001\",\"1.2\"", "\"-40000\",\"1.2\"", "\"40000\",\"0.05\""}) {
      test::writeFile(dir->file("g.prm"), scales + kStartupFile.substr(13));
      QCOMPARE(answering([&] { click("Command4"); }, "g").size(), 1);
      click("Command1");
      QProcess batch;
      batch.setWorkingDirectory(file("."));
      batch.start(TARVEX_BATCH, {"g.prm", "--plot", "x.png"});
      QVERIFY(batch.waitForFinished() && batch.exitCode() == 0);
      QCOMPARE(graphShown().size(), QSize(668, 268));
      // A run longer than the time scale piles up in the last column as the
      // batch runner's picture does; the window adds its marker and hint
      // above the time axis at the right, nowhere else.
      QImage shown = graphShown(), batchPicture = image("x.png");
      const QRect hint(380, 224, 288, 20), marker(656, 0, 12, 268);
      const bool overrun = shown.copy(hint) != batchPicture.copy(hint);
      QCOMPARE(overrun, std::string_view(scales).ends_with("\"0.05\""));
      if (overrun)
        for (QImage* i : {&shown, &batchPicture}) {
          QPainter cover(i);
          cover.fillRect(hint, Qt::white);
          cover.fillRect(marker, Qt::white);
        }
      QVERIFY2(shown == batchPicture, scales);
    }
  }

  void exportWritesWhatIsShownButNotDuringARun() {
    click("Command1");
    answering([&] { openGraphMenu(); }, {}, Qt::Key_P, file("shown.png"));
    QCOMPARE(image("shown.png"), graphShown());
    answering([&] { openGraphMenu(); }, {}, Qt::Key_S, file("shown.svg"));
    QXmlStreamReader svg(QByteArray::fromStdString(test::readFile(dir->file("shown.svg"))));
    QVERIFY(svg.readNextStartElement() && svg.name() == QStringLiteral("svg"));
    while (!svg.atEnd()) svg.readNext();
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    form->setText(TextBox::Text6, test::kEndless);
    const QStringList seen = answering([&] {
      once([&] { return pulsesShown() > 1000; },
           [&] { openGraphMenu(), pressMenuKey(true), click("Command2"); });
      click("Command1");
    });
    QCOMPARE(seen, QStringList());
  }

  void saveThenLoadRestores() {
    const QString prompt = "パラメータを%1ファイル名を入力してください。（拡張子.prm は入力不要）";
    QCOMPARE(answering([&] { click("Command3"); }, "PARAM1"),
             QStringList{"パラメータの保存|" + prompt.arg("保存する") + "|PARAM1"});
    QCOMPARE(test::readFile(dir->file("PARAM1.prm")), kStartupFile);
    form->setText(TextBox::Text1, "1");
    QCOMPARE(answering([&] { click("Command4"); }, "PARAM1"),
             QStringList{"パラメータの読み出し|" + prompt.arg("読み出す") + "|PARAM1"});
    QCOMPARE(shown("Text1"), QStringLiteral("800000"));
  }

  // One after another in the same folder: what each leaves there, and the
  // message box it shows after its input box ("title|text", a pattern).
  void dialogsRefuseOrDoNothing() {
    const struct {
      const char *button, *typed, *acceleration;  // typed nullptr: Cancel
      QStringList files;
      const char* message;
    } cases[] = {
        {"Command4", nullptr, "8000", {}, ""},
        {"Command4",
         "none",
         "8000",
         {},
         "^ファイル読み出しエラー\\|指定のファイル「none.prm」が見つかりません。"},
        {"Command4",
         "folder",
         "8000",
         {},
         "^ファイル読み出しエラー\\|「folder.prm」は通常のファイルではないため読み出せません。"
         "\n（フォルダー）"},
        {"Command3", nullptr, "8000", {}, ""},
        {"Command3", "q", "8\"000", {}, "^パラメータの保存\\|.*「加速度」"},
        {"Command3", "", "8000", {".prm"}, ""}};
    std::filesystem::create_directory(dir->file("folder.prm"));
    for (const auto& c : cases) {
      form->setText(TextBox::Text2, c.acceleration);
      const QStringList seen = answering([&] { click(c.button); }, c.typed);
      QCOMPARE(seen.size(), *c.message ? 2 : 1);
      if (*c.message) QVERIFY2(QRegularExpression(c.message).match(seen[1]).hasMatch(), c.message);
      QCOMPARE(QDir(file(".")).entryList(QDir::Files | QDir::Hidden).filter(".prm"), c.files);
    }
  }

  // The graph's file dialog lists folders and files with Japanese kinds
  // and dates, and opens in the folder of the last file saved; a date column
  // the user left too narrow for a whole date opens wide enough again.
  void theFileDialogSpeaksJapanese() {
    click("Command1");
    std::filesystem::create_directory(dir->file("pictures"));
    answering([&] { openGraphMenu(); }, {}, Qt::Key_P, file("pictures/a.png"));
    std::filesystem::create_directory(dir->file("pictures/sub"));
    QStringList kinds;
    QString folder;
    int narrowed = 0, reopened = 0, date = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        return QTest::keyClick(menu, Qt::Key_P);
      auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (files == nullptr) return;
      const QAbstractItemModel* list = files->proxyModel();
      const QModelIndex root = files->proxyModel()->mapFromSource(
          static_cast<QFileSystemModel*>(files->proxyModel()->sourceModel())
              ->index(files->directory().absolutePath()));
      if (list->rowCount(root) < 2) return;  // the folder is still being read
      QHeaderView* header = files->findChild<QTreeView*>("treeView")->header();
      if (!folder.isEmpty()) {
        reopened = header->sectionSize(3);
        date = header->fontMetrics().horizontalAdvance(list->index(0, 3, root).data().toString());
        return files->reject();
      }
      folder = files->directory().absolutePath();
      for (int row = 0; row < list->rowCount(root); ++row)
        kinds << list->index(row, 0, root).data().toString() + ":" +
                     list->index(row, 2, root).data().toString() + ":" +
                     QString::number(list->index(row, 3, root).data().toString().count('/'));
      // The date column's right edge dragged 80 pixels to the left.
      const int edge = header->sectionViewportPosition(3) + header->sectionSize(3) - 1;
      QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, 5));
      QTest::mouseMove(header->viewport(), QPoint(edge - 80, 5));
      QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge - 80, 5));
      narrowed = header->sectionSize(3);
      files->reject();
    });
    poll.start(10);
    openGraphMenu();
    QCOMPARE(folder, QFileInfo(file("pictures/a.png")).absolutePath());
    kinds.sort();
    QCOMPARE(kinds, (QStringList{"a.png:png ファイル:2", "sub:フォルダー:2"}));
    openGraphMenu();
    QVERIFY2(narrowed < date && reopened > date, qPrintable(QString::number(narrowed)));
  }

  // Saving over a file asks first: Escape keeps the file, Yes replaces it.
  void saveOverAFileAsksFirst() {
    answering([&] { click("Command3"); }, "P");
    form->setText(TextBox::Text2, "9000");
    const QString question = "パラメータの保存|P.prm は既に存在します。\n置き換えますか?";
    QCOMPARE(answering([&] { click("Command3"); }, "P").value(1), question);
    QCOMPARE(test::readFile(dir->file("P.prm")), kStartupFile);
    QCOMPARE(answering([&] { click("Command3"); }, "P", Qt::Key_Y).value(1), question);
    QVERIFY(test::readFile(dir->file("P.prm")).find("\"9000\"") != std::string::npos);
  }

#ifndef _WIN32
  // The Save button and the graph's saves (PNG, SVG, CSV) each refuse a
  // named pipe, a socket and a device, and write through a symbolic link to
  // the file it leads to, the link kept; all of them the test's own.
  void everySaveRefusesWhatIsNotARegularFileAndWritesThroughLinks() {
    click("Command1");
    const bool devices = test::makeDeviceLike("/dev/zero", dir->file("zero"));
    const auto make = [&](const QString& kind, const std::filesystem::path& at) {
      if (kind == "fifo") return mkfifo(at.c_str(), 0600) == 0;
      if (kind == "socket") return test::makeSocket(at);
      if (kind == "device") return devices && (std::filesystem::create_symlink("zero", at), true);
      test::writeFile(dir->file("target"), "old");
      std::filesystem::create_symlink("target", at);
      return true;
    };
    const struct {
      const char* kind;
      const char* japanese;  // nullptr: written
    } kinds[] = {{"fifo", "名前付きパイプ"},
                 {"socket", "ソケット"},
                 {"device", "デバイス"},
                 {"link", nullptr}};
    // the menu's key (Qt::Key_unknown: the Save button), the extension, the message
    const std::tuple<Qt::Key, QString, QString> saves[] = {
        {Qt::Key_P, "png",
         "グラフの保存|グラフを保存できませんでした。\n\n「%1」は通常のファイルではありません"
         "（%2）。"},
        {Qt::Key_S, "svg",
         "グラフの保存|グラフを保存できませんでした。\n\n「%1」は通常のファイルではありません"
         "（%2）。"},
        {Qt::Key_C, "csv",
         "CSV 保存|CSV を保存できませんでした。\n\n「%1」は通常のファイルではありません（%2）。"},
        {Qt::Key_unknown, "prm",
         "ファイル保存エラー|「%1」は通常のファイルではないため保存できま"
         "せん。\n（%2）"}};
    for (const auto& [key, extension, message] : saves)
      for (const auto& [kind, japanese] : kinds) {
        const QString name = QStringLiteral("%1-%2.%3").arg(kind, extension, extension);
        const std::filesystem::path at = dir->file(name.toStdString());
        if (!make(kind, at)) continue;
        const auto before = std::filesystem::symlink_status(at).type();
        const QStringList seen =
            key == Qt::Key_unknown
                ? answering([&] { click("Command3"); }, name.chopped(4), Qt::Key_Y).mid(2)
                : exportTo(key, file(name.toUtf8().constData()));
        const QString path = key == Qt::Key_unknown ? name : file(name.toUtf8().constData());
        QCOMPARE(seen.join(';'), japanese ? message.arg(path, japanese) : QString());
        QCOMPARE(std::filesystem::symlink_status(at).type(), before);
        if (!japanese) QVERIFY(test::readFile(dir->file("target")).size() > 3);
        std::filesystem::remove(at);
      }
  }

  // The data log, DATA_LOG.txt, as a link: written through to what it leads
  // to, the link kept; to a socket or a device (not the null device) the run
  // fails at its start and says so, and the socket and the device stay.
  void theDataLogGoesThroughALinkAndNeverOntoADevice() {
    const std::filesystem::path log = dir->file("DATA_LOG.txt");
    const bool device = test::makeDeviceLike("/dev/zero", dir->file("zero"));
    QVERIFY(test::makeSocket(dir->file("socket")));
    test::writeFile(dir->file("old.txt"), "old");
    form->setText(TextBox::Text6, "50");
    click("Check1");  // recording
    for (const std::string target : {"socket", "zero", "old.txt"}) {
      if (target == "zero" && !device) continue;
      std::filesystem::remove(log);
      std::filesystem::create_symlink(target, log);
      const auto before = std::filesystem::status(dir->file(target)).type();
      QCOMPARE(answering([&] { click("Command1"); }).size(), target == "old.txt" ? 0 : 1);
      QVERIFY(std::filesystem::is_symlink(log));
      QCOMPARE(std::filesystem::status(dir->file(target)).type(), before);
    }
    QCOMPARE(test::readFile(dir->file("old.txt")).substr(0, 15), std::string(" 1  1  10  1 \r\n"));
  }
#endif

  // A file that is not a parameter file (a trace saved as CSV) changes no
  // field or box, and the message names it and where it stops being one; a
  // byte order mark before a good file is no such thing.
  void aFailedLoadChangesNothing() {
    form->setText(TextBox::Text1, "123");
    form->setText(TextBox::Text20, "abc");
    click("Check5");
    const auto controls = [&] {
      QString all;
      for (int n = 1; n <= kTextBoxCount; ++n)
        all += QString::fromStdString(form->text(textBoxNumber(n))) + "|";
      for (int n = 1; n <= kCheckBoxCount; ++n)
        all += QString::number(form->optionValue(checkBoxNumber(n)));
      return all;
    };
    const QString before = controls();
    test::writeFile(dir->file("t.prm"),
                    "tick,time_s,pulses,speed_counter,speed_pps,accel_counter,state\n"
                    "0,0.000000000,0,10,100.000,1,1\n961,0.000120125,1,10,100.000,1,1\n");
    QCOMPARE(answering([&] { click("Command4"); }, "t").value(1),
             "ファイル読み出しエラー|「t.prm」はパラメータ ファイルではありません。\n2 行目の項目 "
             "12（自動減速）が「100.000」です。ここには 0、1、2 のいずれかが入ります。\n\n"
             "入力欄とチェック ボックスは変更していません。");
    QCOMPARE(controls(), before);
    test::writeFile(dir->file("short.prm"), kStartupFile.substr(0, 70));
    QCOMPARE(
        answering([&] { click("Command4"); }, "short").value(1),
        "ファイル読み出しエラー|「short.prm」はパラメータ ファイルではありません。\n2 行目の"
        "項目 11（加速Ｃ offs）を読み終える前にファイルが終わっています（パラメータ ファイルは "
        "17 項目です）。\n\n入力欄とチェック ボックスは変更していません。");
    QCOMPARE(controls(), before);
    test::writeFile(dir->file("bom.prm"), "\xef\xbb\xbf" + kStartupFile);
    QCOMPARE(answering([&] { click("Command4"); }, "bom").size(), 1);
    QCOMPARE(shown("Text1") + shown("Text20"), QStringLiteral("800000600"));
  }
};

QTEST_MAIN(WindowFiles)
#include "tst_window_files.moc"
