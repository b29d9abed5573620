// The desktop's dialogs as the program's prompts: the button the user presses on the real
// message box is the answer the program gets.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "base/prompts.h"
#include "windows/desktopservices.h"

class TestDesktopServices : public QObject {
  Q_OBJECT
 private slots:
  void messageBoxButtons_data();
  void messageBoxButtons();
};

void TestDesktopServices::messageBoxButtons_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("button");  // QMessageBox::StandardButton pressed
  QTest::addColumn<int>("answer");
  QTest::newRow("Yes") << int(msg::YesNo) << int(QMessageBox::Yes) << int(msg::Yes);
  QTest::newRow("No") << int(msg::YesNo) << int(QMessageBox::No) << int(msg::No);
  QTest::newRow("OK") << int(msg::OkOnly) << int(QMessageBox::Ok) << int(msg::Ok);
}

void TestDesktopServices::messageBoxButtons() {
  // The real message box: the button the user presses is the answer the program gets.
  QFETCH(int, style);
  QFETCH(int, button);
  QFETCH(int, answer);
  setPrompts(nullptr);
  installDesktopServices();
  bool pressed = false;
  QTimer presser;
  connect(&presser, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || pressed) return;
    QAbstractButton* b = box->button(QMessageBox::StandardButton(button));
    if (b)
      b->click();
    else
      box->done(-1);  // the button is missing: end the box with no answer of ours
    pressed = true;
  });
  presser.start(10);
  QCOMPARE(prompts().message(QStringLiteral("Would you like to clear gift list?"), style,
                             QStringLiteral("Title")),
           answer);
}

QTEST_MAIN(TestDesktopServices)
#include "tst_desktopservices.moc"
