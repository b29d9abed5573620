// Entry fields a careless or hostile world types or pastes: 100,000 characters, characters of
// every Unicode plane, control characters and NUL, separators whole and in part, blanks at the
// ends. Each is saved through the main window (or refused with its message), stored on close,
// restored by the next start exactly as typed, and a report run with it completes with the cells
// holding the text (a text over a cell's 32,767 characters is reported for its cell step).
//
// Lone surrogates are left out: a line edit gets text from key events and input methods, which
// deliver whole code points, so it never holds one; a QString with one is no valid Unicode text
// and the settings file (UTF-8) could not keep it.
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>

#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/model/workbook.h"
#include "tests/badinput/badinput.h"

using namespace badinput;

namespace {

QString fromUcs4(std::initializer_list<char32_t> codePoints) {
  return QString::fromUcs4(codePoints.begin(), static_cast<qsizetype>(codePoints.size()));
}

// One character of each of the 17 planes: Latin, Greek, CJK, the replacement character, a
// byte order mark and a noncharacter (plane 0); an emoji and a musical symbol (1); CJK
// extension B (2); extension G (3); unassigned code points (4..13); a tag (14); private use
// (15, 16, the last code point of each).
QString everyPlane() {
  QString text = QStringLiteral("Aé Ω 中 ") + QChar(0xFFFD) + QChar(0xFEFF) + QChar(0xFFFE);
  text += fromUcs4({0x1F384, 0x1D11E, 0x20000, 0x30000});
  for (char32_t plane = 4; plane <= 13; ++plane) text += fromUcs4({plane << 16 | 0x1234});
  text += fromUcs4({0xE0041, 0xFFFFD, 0x10FFFD, 0x10FFFF});
  return text;
}

QString allControls() {
  QString text;
  for (ushort c = 1; c < 0x20; ++c) text += QChar(c);
  return text + QChar(0x7f) + QChar(0x85) + QChar(0x2028) + QChar(0x2029);
}

enum Outcome { Saved, SeparatorRefused, NameMissing };

// What our reader finds in a report cell: its text, or "" when it is empty.
QString cellText(const sheet::Workbook& book, int row, int col) {
  const sheet::Cell* cell = book.sheet(0).cell({row, col});
  if (!cell || !sheet::isText(cell->value)) return QString();
  return std::get<QString>(cell->value);
}

}  // namespace

class FieldsTest : public QObject {
  Q_OBJECT
 private slots:
  void typedField_data();
  void typedField();
};

void FieldsTest::typedField_data() {
  QTest::addColumn<int>("field");  // 0 Name .. 4 Email
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("outcome");
  QTest::addColumn<bool>("inCell");  // the report cell holds the text

  const QString big(100000, u'x');
  QTest::newRow("name of 100,000 characters") << 0 << big << int(Saved) << false;
  QTest::newRow("likes of 100,000 characters") << 1 << QString(100000, u'ü') << int(Saved) << false;
  QTest::newRow("present of 32,767 characters") << 2 << QString(32767, u'p') << int(Saved) << true;
  QTest::newRow("email of 100,000 characters")
      << 4 << "a@" + QString(99998, u'e') << int(Saved) << false;
  QTest::newRow("every Unicode plane, name") << 0 << everyPlane() << int(Saved) << true;
  QTest::newRow("every Unicode plane, present") << 2 << everyPlane() << int(Saved) << true;
  QTest::newRow("emoji sequences")
      << 1 << QStringLiteral("👨‍👩‍👧‍👦 🏳️‍🌈 🎅🏽 1️⃣")
      << int(Saved) << true;
  QTest::newRow("control characters") << 1 << allControls() << int(Saved) << true;
  QTest::newRow("NUL inside") << 2 << QStringLiteral("be") + QChar(0) + QStringLiteral("fore")
                              << int(Saved) << true;
  QTest::newRow("only NUL") << 0 << QString(3, QChar(0)) << int(Saved) << true;
  QTest::newRow("field separator") << 1 << "a||SEP1||b" << int(SeparatorRefused) << false;
  QTest::newRow("record separator") << 4 << "x@y||SEP2||" << int(SeparatorRefused) << false;
  QTest::newRow("whole separator alone") << 2 << "||SEP1||" << int(SeparatorRefused) << false;
  QTest::newRow("separator start at the end") << 1 << "||SEP1" << int(SeparatorRefused) << false;
  QTest::newRow("separator end at the start") << 2 << "SEP2||" << int(SeparatorRefused) << false;
  QTest::newRow("pipes at the end") << 1 << "likes||" << int(Saved) << true;
  QTest::newRow("pipes at the start") << 2 << "||present" << int(Saved) << true;
  QTest::newRow("pipes inside") << 1 << "a||b|c" << int(Saved) << true;
  QTest::newRow("separator in other case") << 2 << "a||sep1||b" << int(Saved) << true;
  QTest::newRow("blanks around the name") << 0 << "  Mom  " << int(Saved) << true;
  QTest::newRow("blanks around likes") << 1 << "\t likes \t" << int(Saved) << true;
  QTest::newRow("name of blanks only") << 0 << "     " << int(NameMissing) << false;
  QTest::newRow("name of other white space") << 0 << "\t\u00a0\u3000" << int(Saved) << true;
}

void FieldsTest::typedField() {
  QFETCH(int, field);
  QFETCH(QString, text);
  QFETCH(int, outcome);
  QFETCH(bool, inCell);

  Sandbox box;
  GiftEntry typed{QStringLiteral("Gran"), QStringLiteral("tea"), QStringLiteral("mug"),
                  QStringLiteral("12"), QStringLiteral("gran@x.example")};
  typed.field(field) = text;

  // Typed, saved and stored on close.
  {
    auto form = openMainWindow();
    QVERIFY(form);
    saveEntry(*form, typed);
    const QStringList expected = outcome == SeparatorRefused
                                     ? QStringList{"Entries cannot contain ||SEP1|| or ||SEP2||."}
                                 : outcome == NameMissing ? QStringList{"You forgot to input name."}
                                                          : QStringList();
    QCOMPARE(box.prompts.texts(), expected);
    QCOMPARE(form->list(0).count(), outcome == Saved ? 1 : 0);
    form->Form_QueryUnload();
    QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  }
  const std::array<QString, 4> lists = storedLists();

  // The next start has it back exactly.
  auto form = openMainWindow();
  QVERIFY(form);
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  QCOMPARE(form->list(0).count(), outcome == Saved ? 1 : 0);
  if (outcome == Saved) QVERIFY(form->list(0).at(1) == typed);

  QElapsedTimer clock;
  clock.start();
  PreviewWindow* preview = runReport(form);
  QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
  QVERIFY(preview && preview->isVisible());
  QVERIFY(!preview->Zoom_Ori->picture().isNull());
  const bool tooLong = outcome == Saved && text.size() > 32767;
  if (tooLong) {
    // Only that cell's step fails; the run goes on.
    QCOMPARE(errorSteps(box.prompts),
             QStringList{QStringLiteral("XmasList.GenerateReport@%1").arg(102 + 2 * field)});
    QVERIFY(box.prompts.errors().first().text.startsWith(
        QLatin1String("The text is longer than the 32,767 characters a cell can hold.")));
  } else {
    QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  }
  const sheet::Workbook book = loadWorkbookFile(preview->workbookPath());
  if (outcome == Saved) {
    QCOMPARE(cellText(book, 2, field), inCell ? text : QString());
    QCOMPARE(cellText(book, 2, (field + 1) % 3), typed.field((field + 1) % 3));
  }

  // xlrd reads the same text.
  if (inCell && !python3().isEmpty()) {
    QString out;
    QCOMPARE(runProgram(python3(),
                        {sourcePath("tests/report/xlrd_report.py"), preview->workbookPath()}, &out),
             0);
    const QJsonObject cells = QJsonDocument::fromJson(out.toUtf8()).object()["cells"].toObject();
    QCOMPARE(cells[QStringLiteral("2,%1").arg(field)].toObject()["value"].toString(), text);
  }

  preview->PushButton8_Click();
  form->Form_QueryUnload();
  QCOMPARE(storedLists(), lists);
}

QTEST_MAIN(FieldsTest)
#include "tst_fields.moc"
