// Costs that are formulas (from a hand-edited store, or any field typed with a leading "="):
// self references, circular pairs, deep nesting, a formula of a megabyte, a formula cut short.
// Each cell gives either its cell step's error dialog or the spreadsheet's result (0 for a
// circular reference); the run never crashes or hangs, and the saved workbook opens with our
// reader and with xlrd.
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/model/workbook.h"
#include "tests/badinput/badinput.h"

using namespace badinput;

namespace {

QString record(const QString& name, const QString& cost) {
  return name + QStringLiteral("||SEP1||likes||SEP1||present||SEP1||") + cost +
         QStringLiteral("||SEP1||||SEP2||");
}

// What a cell holds, as our reader sees it: a number, text, or "" when it is empty.
QVariant cellValue(const sheet::Workbook& book, int row, int col) {
  const sheet::Cell* cell = book.sheet(0).cell({row, col});
  if (!cell || sheet::isEmpty(cell->value)) return QString();
  if (sheet::isNumber(cell->value)) return std::get<double>(cell->value);
  if (sheet::isText(cell->value)) return std::get<QString>(cell->value);
  return QStringLiteral("<other>");
}

}  // namespace

class FormulasTest : public QObject {
  Q_OBJECT
 private slots:
  void costFormulas_data();
  void costFormulas();
};

void FormulasTest::costFormulas_data() {
  QTest::addColumn<QString>("first");   // cost of the first Family entry (D3)
  QTest::addColumn<QString>("second");  // cost of the second (D4)
  QTest::addColumn<QStringList>("errorSteps");
  QTest::addColumn<QVariant>("d3");  // D3 as read back; "" = empty
  QTest::addColumn<QVariant>("d4");
  QTest::addColumn<double>("total");  // D25
  QTest::addColumn<QString>("why");   // the start of each error's text

  const QString costStep = QStringLiteral("XmasList.GenerateReport@108");
  const QString formulaError = QStringLiteral("The formula contains an error");
  QTest::newRow("refers to itself")
      << "=RC"
      << "7" << QStringList() << QVariant(0.0) << QVariant(7.0) << 7.0 << "";
  QTest::newRow("circular pair") << "=R[1]C"
                                 << "=R[-1]C" << QStringList() << QVariant(0.0) << QVariant(0.0)
                                 << 0.0 << "";
  // The total joins the circle, so it shows 0 as well.
  QTest::newRow("refers to the total below it")
      << "=R25C4+1"
      << "2" << QStringList() << QVariant(0.0) << QVariant(2.0) << 0.0 << "";
  QTest::newRow("nested 10,000 deep")
      << "=" + QString(10000, u'(') + "1" + QString(10000, u')') << "3" << QStringList{costStep}
      << QVariant(QString()) << QVariant(3.0) << 3.0 << formulaError;
  QTest::newRow("10,000 signs") << "=" + QString(10000, u'-') + "1"
                                << "3" << QStringList{costStep} << QVariant(QString())
                                << QVariant(3.0) << 3.0 << formulaError;
  // Parses, but is longer than the file can store.
  QTest::newRow("15,000 terms") << "=1" + QStringLiteral("+1").repeated(15000) << "4"
                                << QStringList{costStep} << QVariant(QString()) << QVariant(4.0)
                                << 4.0 << formulaError;
  QTest::newRow("a formula of 1 MB")
      << "=1" + QStringLiteral("+1").repeated(500000) << "4" << QStringList{costStep}
      << QVariant(QString()) << QVariant(4.0) << 4.0
      << "The text is longer than the 32,767 characters a cell can hold.";
  QTest::newRow("cut short") << "=1+"
                             << "5" << QStringList{costStep} << QVariant(QString()) << QVariant(5.0)
                             << 5.0 << formulaError;
  QTest::newRow("both cut short") << "=("
                                  << "=SUM(" << QStringList{costStep, costStep}
                                  << QVariant(QString()) << QVariant(QString()) << 0.0
                                  << formulaError;
}

void FormulasTest::costFormulas() {
  QFETCH(QString, first);
  QFETCH(QString, second);
  QFETCH(QStringList, errorSteps);
  QFETCH(QVariant, d3);
  QFETCH(QVariant, d4);
  QFETCH(double, total);
  QFETCH(QString, why);

  Sandbox box;
  storeList(0, record(QStringLiteral("Mom"), first) + record(QStringLiteral("Dad"), second));
  for (int c = 1; c < kCategoryCount; ++c) storeList(c, QString());
  const std::array<QString, 4> lists = storedLists();

  auto form = openMainWindow();
  QVERIFY(form);
  QCOMPARE(form->list(0).count(), 2);
  QCOMPARE(form->list(0).at(1).cost, first);
  QElapsedTimer clock;
  clock.start();
  PreviewWindow* preview = runReport(form);
  QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));

  QCOMPARE(badinput::errorSteps(box.prompts), errorSteps);
  for (const ShownMessage& m : box.prompts.errors())
    QVERIFY2(m.text.startsWith(why), qPrintable(m.text.left(300)));
  QVERIFY(preview && preview->isVisible());
  QVERIFY(!preview->Zoom_Ori->picture().isNull());

  const QString target = box.path("saved.xls");
  box.prompts.clear();
  box.prompts.savePaths.push_back(target);
  preview->PushButton6_Click();
  QCOMPARE(box.prompts.texts(), QStringList{"Done."});

  const sheet::Workbook book = loadWorkbookFile(target);
  QCOMPARE(cellValue(book, 2, 3), d3);
  QCOMPARE(cellValue(book, 3, 3), d4);
  QCOMPARE(cellValue(book, 2, 0), QVariant(QStringLiteral("Mom")));
  QCOMPARE(cellValue(book, 24, 3), QVariant(total));

  form->Form_QueryUnload();
  QCOMPARE(storedLists(), lists);

  if (python3().isEmpty()) QSKIP("no /usr/bin/python3 with xlrd");
  QString out;
  QCOMPARE(runProgram(python3(), {sourcePath("tests/report/xlrd_report.py"), target}, &out), 0);
  const QJsonObject cells = QJsonDocument::fromJson(out.toUtf8()).object()["cells"].toObject();
  QVERIFY2(!cells.isEmpty(), qPrintable(out.left(2000)));
  auto seen = [&](int r, int c) {
    return cells[QStringLiteral("%1,%2").arg(r).arg(c)].toObject()["value"].toVariant();
  };
  QCOMPARE(seen(2, 3), d3);
  QCOMPARE(seen(3, 3), d4);
  QCOMPARE(seen(24, 3).toDouble(), total);
}

QTEST_MAIN(FormulasTest)
#include "tst_formulas.moc"
