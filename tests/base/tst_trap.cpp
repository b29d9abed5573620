// The failure trap: the "Application Error" text and dialog, and how a trapped routine goes on
// after a failing step. Also the screen form of message texts and the save-dialog filter.
#include <QtTest>
#include <new>

#include "base/failure.h"
#include "base/prompts.h"
#include "base/trap.h"
#include "tests/support/testsupport.h"

namespace {

// A helper without a trap of its own: a failure abandons its remaining steps.
void untrappedHelper(QStringList& trace) {
  trace << QStringLiteral("helper start");
  fail(QStringLiteral("helper failed"));
  trace << QStringLiteral("helper end");  // never reached
}

}  // namespace

class TestTrap : public QObject {
  Q_OBJECT
 private slots:
  void errorText_data();
  void errorText();
  void dialogStyleAndTitle();
  void twoFailingStepsTwoDialogs();
  void untrappedHelperReportedWithCallersStep();
  void failingBranchTestRunsBody();
  void failingLastStepEndsQuietly();
  void descriptionsOfOtherExceptions();
  void screenLines_data();
  void screenLines();
  void fileFilter_data();
  void fileFilter();
};

void TestTrap::errorText_data() {
  QTest::addColumn<QString>("module");
  QTest::addColumn<QString>("routine");
  QTest::addColumn<int>("step");
  QTest::addColumn<QString>("description");
  QTest::addColumn<QString>("expected");
  const QString tail = QStringLiteral("\r\rPlease email screenshot of this message to ") +
                       QString::fromUtf16(kSupportAddress);
  QTest::newRow("save")
      << "Form1"
      << "PushButton4_Click" << 104 << "Type mismatch"
      << "Type mismatch\r\nin Yulebrook2021/08/31.Form1.PushButton4_Click at line "
         "104" +
             tail;
  QTest::newRow("empty description")
      << "Form2"
      << "picture1_MouseDown" << 100 << ""
      << "\r\nin Yulebrook2021/08/31.Form2.picture1_MouseDown at line 100" + tail;
  QTest::newRow("large step") << "XmasList"
                              << "GenerateReport" << 2147483646 << "x"
                              << "x\r\nin Yulebrook2021/08/31.XmasList.GenerateReport at line "
                                 "2147483646" +
                                     tail;
  QTest::newRow("non-Latin description")
      << "Form1"
      << "Form_Load" << 126 << "Файл 文件 🎁"
      << "Файл 文件 🎁\r\nin Yulebrook2021/08/31.Form1.Form_Load at line 126" + tail;
}

void TestTrap::errorText() {
  QFETCH(QString, module);
  QFETCH(QString, routine);
  QFETCH(int, step);
  QFETCH(QString, description);
  QFETCH(QString, expected);
  QCOMPARE(applicationErrorText(module, routine, step, description), expected);
  QVERIFY(QString::fromUtf16(kSupportAddress).contains(QChar(u'@')));
}

void TestTrap::dialogStyleAndTitle() {
  FakePrompts prompts;
  Trap trap{QStringLiteral("Form1"), QStringLiteral("PushButton3_Click")};
  QVERIFY(!trap(102, [] { fail(QStringLiteral("No gift entry is selected.")); }));
  QCOMPARE(prompts.messages.size(), 1);
  QCOMPARE(prompts.messages[0].style, 48);
  QCOMPARE(prompts.messages[0].title, QStringLiteral("Application Error"));
  QCOMPARE(prompts.messages[0].text,
           applicationErrorText(QStringLiteral("Form1"), QStringLiteral("PushButton3_Click"), 102,
                                QStringLiteral("No gift entry is selected.")));
}

void TestTrap::twoFailingStepsTwoDialogs() {
  FakePrompts prompts;
  QStringList ran;
  Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
  trap(100, [&] { ran << "100"; });
  trap(102, [&] {
    ran << "102";
    fail(QStringLiteral("first"));
  });
  trap(104, [&] { ran << "104"; });
  trap(106, [&] {
    fail(QStringLiteral("second"));
    ran << "106 rest";  // the rest of a failing step is skipped
  });
  trap(108, [&] { ran << "108"; });
  QCOMPARE(ran, (QStringList{"100", "102", "104", "108"}));
  QCOMPARE(trap.failures(), 2);
  QCOMPARE(prompts.messages.size(), 2);
  QVERIFY(prompts.messages[0].text.startsWith("first\r\n"));
  QVERIFY(prompts.messages[0].text.contains("Form1.Form_Load at line 102\r\r"));
  QVERIFY(prompts.messages[1].text.startsWith("second\r\n"));
  QVERIFY(prompts.messages[1].text.contains("Form1.Form_Load at line 106\r\r"));
}

void TestTrap::untrappedHelperReportedWithCallersStep() {
  FakePrompts prompts;
  QStringList trace;
  Trap trap{QStringLiteral("Form1"), QStringLiteral("PushButton6_Click")};
  trap(100, [&] { trace << "100"; });
  trap(102, [&] { untrappedHelper(trace); });
  trap(104, [&] { trace << "104"; });
  QCOMPARE(trace, (QStringList{"100", "helper start", "104"}));
  QCOMPARE(prompts.texts(),
           QStringList{applicationErrorText("Form1", "PushButton6_Click", 102, "helper failed")});
}

void TestTrap::failingBranchTestRunsBody() {
  FakePrompts prompts;
  Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
  bool found = true;  // a failing test leaves this as it is, so the body runs
  const bool testPassed = trap(110, [&] {
    fail(QStringLiteral("Permission denied"));
    found = false;
  });
  bool bodyRan = false;
  if (found) trap(112, [&] { bodyRan = true; });
  QVERIFY(!testPassed);
  QVERIFY(bodyRan);
  QCOMPARE(trap.step(), 112);
  QCOMPARE(prompts.messages.size(), 1);
}

void TestTrap::failingLastStepEndsQuietly() {
  FakePrompts prompts;
  auto routine = [] {
    Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_QueryUnload")};
    trap(100, [] {});
    trap(102, [] { fail(QStringLiteral("Disk full")); });
  };
  bool callerWentOn = false;
  try {
    routine();
    callerWentOn = true;
  } catch (...) {
  }
  QVERIFY(callerWentOn);
  QCOMPARE(prompts.messages.size(), 1);
  QVERIFY(prompts.messages[0].text.contains("at line 102"));
}

void TestTrap::descriptionsOfOtherExceptions() {
  FakePrompts prompts;
  Trap trap{QStringLiteral("M"), QStringLiteral("R")};
  trap(100, [] { throw std::bad_alloc(); });
  trap(102, [] { throw std::out_of_range("index out of range"); });
  trap(104, [] { throw 42; });
  QCOMPARE(prompts.messages.size(), 3);
  QVERIFY(prompts.messages[0].text.startsWith("Out of memory\r\n"));
  QVERIFY(prompts.messages[1].text.startsWith("index out of range\r\n"));
  QVERIFY(!prompts.messages[2].text.startsWith("\r\n"));  // some description, not none
}

void TestTrap::screenLines_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("shown");
  QTest::newRow("error dialog") << "d\r\nin X.Y.Z at line 100\r\rPlease"
                                << "d\nin X.Y.Z at line 100\n\nPlease";
  QTest::newRow("lone CR") << "a\rb\r\n\r\nc"
                           << "a\nb\n\nc";
  QTest::newRow("no breaks") << "plain"
                             << "plain";
}

void TestTrap::screenLines() {
  QFETCH(QString, text);
  QFETCH(QString, shown);
  QCOMPARE(::screenLines(text), shown);
}

void TestTrap::fileFilter_data() {
  QTest::addColumn<QString>("filter");
  QTest::addColumn<QString>("expected");
  QTest::newRow("one entry") << "Excel Files (*.xls)|*.xls|"
                             << "Excel Files (*.xls)";
  QTest::newRow("two entries") << "Excel Files (*.xls)|*.xls|All Files|*.*"
                               << "Excel Files (*.xls);;All Files (*.*)";
  QTest::newRow("several patterns") << "Workbooks|*.xls;*.xlt|"
                                    << "Workbooks (*.xls *.xlt)";
}

void TestTrap::fileFilter() {
  QFETCH(QString, filter);
  QFETCH(QString, expected);
  QCOMPARE(qtFileFilter(filter), expected);
}

QTEST_MAIN(TestTrap)
#include "tst_trap.moc"
