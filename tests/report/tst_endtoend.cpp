// From the main window to a saved workbook, with the embedded engine: samples loaded, "Start
// Creating Template", the preview shows the sheet, "Save Results To Excel File" writes the
// workbook, and independent readers (xlrd, LibreOffice) see the report in it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/model/workbook.h"
#include "tests/support/program.h"
#include "tests/support/testsupport.h"
#include "windows/mainwindow.h"
#include "windows/previewwindow.h"

class EndToEndTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    temp_ = std::make_unique<QTemporaryDir>();
    qputenv("TEMP", QFile::encodeName(temp_->path() + "/tmp"));
    QDir().mkpath(temp_->path() + "/tmp");
  }

  void samplesToSavedWorkbook() {
    FakePrompts prompts;
    TestProgram formProgram;
    MainWindow& form = *formProgram;
    QVERIFY(form.Form_Load());
    form.show();
    form.PushButton6_Click();
    QCOMPARE(form.list(0).count(), 2);

    form.PushButton1_Click();
    QVERIFY2(prompts.errors().isEmpty(), qPrintable(prompts.texts().join("\n---\n")));
    QVERIFY(formProgram.app().hasPreview());
    PreviewWindow* preview = formProgram.app().preview();
    QVERIFY(preview->isVisible());
    QVERIFY(!form.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(preview) || preview->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(!preview->setupPending());

    // The picture covers A1:T25: its width is the sum of the fitted columns, its height the
    // 25 rows (4 of 20 px and 21 of 19 px).
    const QImage shown = preview->Zoom_Ori->picture();
    QVERIFY(!shown.isNull());
    QVERIFY2(qAbs(shown.height() - (4 * 20 + 21 * 19)) <= 2,
             qPrintable(QString::number(shown.height())));
    QVERIFY(shown.width() > 20 * 40);
    // The temporary files of the run are gone; the workbook stays until the preview is left.
    QVERIFY(!QFile::exists(temp_->path() + "/tmp/template.xlt"));
    QVERIFY(!QFile::exists(temp_->path() + "/tmp/temp.bmp"));
    QVERIFY(QFile::exists(preview->workbookPath()));

    const QString target = temp_->path() + "/gifts.xls";
    prompts.savePaths.push_back(target);
    preview->PushButton6_Click();
    QCOMPARE(prompts.texts().last(), QStringLiteral("Done."));
    QVERIFY(QFile::exists(target));

    // Our own reader: sheet, selection, page set-up, print area.
    const sheet::Workbook book = loadWorkbookFile(target);
    QCOMPARE(book.sheets.size(), size_t(1));
    const sheet::Worksheet& ws = book.sheet(0);
    QCOMPARE(ws.name(), QStringLiteral("Xmas"));
    QCOMPARE(ws.window.activeCell, (sheet::CellRef{5, 1}));
    QVERIFY(ws.page.landscape);
    QCOMPARE(ws.page.paperSize, sheet::kPaperA4);
    QVERIFY(ws.page.fitToPage);
    QCOMPARE(ws.page.fitWidth, 1);
    QCOMPARE(ws.page.fitHeight, 1);
    QCOMPARE(ws.page.leftMargin, 0.7);
    QCOMPARE(ws.page.rightMargin, 0.7);
    QCOMPARE(ws.page.topMargin, 0.5);
    QCOMPARE(ws.page.bottomMargin, 0.5);
    QCOMPARE(ws.page.headerMargin, 0.0);
    QCOMPARE(ws.page.footerMargin, 0.0);
    QVERIFY(!ws.page.printComments);
    QVERIFY(book.printArea(0));
    QCOMPARE(book.printArea(0)->ranges.front(), (sheet::Range{0, 0, 24, 19}));
    QVERIFY(!book.isTemplate);

    // The independent reader.
    if (python3().isEmpty()) QSKIP("no /usr/bin/python3 with xlrd");
    QString out;
    QCOMPARE(runProgram(python3(), {sourcePath("tests/report/xlrd_report.py"), target}, &out), 0);
    const QJsonObject seen = QJsonDocument::fromJson(out.toUtf8()).object();
    QVERIFY2(!seen.isEmpty(), qPrintable(out));
    QCOMPARE(seen["sheets"].toArray().first().toString(), QStringLiteral("Xmas"));
    const QJsonObject cells = seen["cells"].toObject();
    // Values, not references: a QJsonValueRef into the temporary object would dangle.
    auto attr = [&](int r, int c, const char* a) -> QJsonValue {
      return cells.value(QStringLiteral("%1,%2").arg(r).arg(c)).toObject().value(QLatin1String(a));
    };
    auto value = [&](int r, int c) { return attr(r, c, "value"); };
    QCOMPARE(value(2, 0).toString(), QStringLiteral("Mom"));
    QCOMPARE(value(3, 0).toString(), QStringLiteral("Dad"));
    QCOMPARE(value(2, 2).toString(), QStringLiteral("Ryka Walking Shoes"));
    QCOMPARE(value(2, 3).toDouble(), 89.0);
    QCOMPARE(value(3, 3).toDouble(), 30.0);
    QCOMPARE(value(24, 3).toDouble(), 119.0);  // the "Family" total
    QCOMPARE(value(0, 0).toString(), QStringLiteral("Family"));
    QCOMPARE(value(1, 4).toString(), QStringLiteral("Email"));
    QCOMPARE(value(24, 1).toString(), QStringLiteral("Total cost"));
    // Fills: colour 37 (pale blue) over A1:E24 and D25, colour 35 (light green) over F1:J24
    // and I25, the template's elsewhere. The file numbers the palette's entries from 8, so
    // colour n is entry n + 7.
    const QJsonObject palette = seen["palette"].toObject();
    QCOMPARE(palette["44"].toArray(), (QJsonArray{153, 204, 255}));
    QCOMPARE(palette["42"].toArray(), (QJsonArray{204, 255, 204}));
    QCOMPARE(attr(0, 0, "fill").toInt(), 44);
    QCOMPARE(attr(23, 4, "fill").toInt(), 44);
    QCOMPARE(attr(24, 3, "fill").toInt(), 44);
    QCOMPARE(attr(0, 5, "fill").toInt(), 42);
    QCOMPARE(attr(24, 8, "fill").toInt(), 42);
    QCOMPARE(attr(5, 12, "fill").toInt(), 47);   // FFCC99
    QCOMPARE(attr(5, 17, "fill").toInt(), 31);   // CCCCFF
    QCOMPARE(attr(24, 13, "fill").toInt(), 52);  // FF9900
    QCOMPARE(attr(2, 4, "colour").toInt(), 12);  // E3: blue and underlined
    QCOMPARE(attr(2, 4, "underline").toInt(), 1);
    // Written cells do not wrap; rows no entry reached keep the template's wrap.
    QCOMPARE(attr(2, 0, "wrap").toInt(), 0);
    QCOMPARE(attr(3, 4, "wrap").toInt(), 0);
    QCOMPARE(attr(4, 0, "wrap").toInt(), 1);
    QCOMPARE(seen["names"].toObject()["Print_Area"].toArray().size(), 4);
    QVERIFY(seen["merged"].toArray().contains(QJsonArray{0, 1, 0, 5}));
  }

  void anEmptyListStillGivesAWorkbookAndAPicture() {
    FakePrompts prompts;
    TestProgram formProgram;
    MainWindow& form = *formProgram;
    QVERIFY(form.Form_Load());
    form.show();
    form.PushButton1_Click();
    QVERIFY2(prompts.errors().isEmpty(), qPrintable(prompts.texts().join("\n---\n")));
    PreviewWindow* preview = formProgram.app().preview();
    QCoreApplication::processEvents();
    QVERIFY(!preview->Zoom_Ori->picture().isNull());
    const sheet::Workbook book = loadWorkbookFile(preview->workbookPath());
    QCOMPARE(book.sheet(0).usedRange(), (sheet::Range{0, 0, 24, 19}));
    preview->PushButton8_Click();  // "< Back" removes the workbook
    QVERIFY(!QFile::exists(preview->workbookPath()));
    QVERIFY(form.isVisible());
  }

 private:
  std::unique_ptr<QTemporaryDir> temp_;
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
