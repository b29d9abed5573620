// Both windows with the keyboard alone, and the names screen readers announce.
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QtTest>

#include "tests/support/program.h"
#include "tests/support/testsupport.h"
#include "windows/mainwindow.h"
#include "windows/previewwindow.h"

namespace {

QString accessibleName(QWidget* w) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
  return iface ? iface->text(QAccessible::Name) : QString();
}

// The focus chain from `first`, visible focusable widgets only, by object name.
QStringList focusChain(QWidget* window, QWidget* first, int count) {
  QStringList names;
  QWidget* w = first;
  for (int i = 0; i < count && w; ++i) {
    names << w->objectName();
    do {
      w = w->nextInFocusChain();
    } while (w != first && (!w->isVisibleTo(window) || w->focusPolicy() == Qt::NoFocus ||
                            w->objectName().isEmpty() || w->objectName().startsWith("qt_")));
  }
  return names;
}

void press(QWidget* window, Qt::Key key, int times = 1) {
  for (int i = 0; i < times; ++i)
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, key);
}

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT
 private slots:
  void everyControlHasAName() {
    FakePrompts prompts;
    TestProgram formProgram;
    MainWindow& form = *formProgram;
    QVERIFY(form.Form_Load());
    PreviewWindow preview;
    for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(&preview)}) {
      for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty() ||
            w->objectName().startsWith("qt_"))
          continue;
        QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName()));
      }
    }
    QCOMPARE(accessibleName(form.txtName), QStringLiteral("Name"));
    QCOMPARE(accessibleName(form.intCost), QStringLiteral("Cost"));
    QCOMPARE(accessibleName(form.PushButton4), QStringLiteral("Save Gift Entry"));
    QCOMPARE(accessibleName(form.ListView3), QStringLiteral("Friends"));
    QCOMPARE(accessibleName(preview.HScroll1), QStringLiteral("Horizontal position"));
  }

  void theMainWindowsFocusOrder() {
    FakePrompts prompts;
    TestProgram formProgram;
    MainWindow& form = *formProgram;
    QVERIFY(form.Form_Load());
    form.show();
    QCOMPARE(focusChain(&form, form.txtName, 12),
             (QStringList{"txtName", "txtLikes", "txtPresent", "intCost", "txtEmail", "Combo1",
                          "ListView1", "PushButton1", "PushButton4", "PushButton3", "PushButton5",
                          "PushButton6"}));
    // With "Friends" chosen its list takes the list's place in the order.
    form.Combo1->setCurrentIndex(2);
    form.Combo1_Click();
    QCOMPARE(focusChain(&form, form.Combo1, 3),
             (QStringList{"Combo1", "ListView3", "PushButton1"}));
  }

  void enterShowAndDeleteAnEntryWithTheKeyboard() {
    FakePrompts prompts;
    TestProgram formProgram;
    MainWindow& form = *formProgram;
    QVERIFY(form.Form_Load());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form) || true);
    form.txtName->setFocus();
    QTest::keyClicks(form.txtName, "Gran");
    QTest::keyClick(form.txtName, Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), "knitting");
    press(&form, Qt::Key_Tab, 2);  // to the cost
    QCOMPARE(QApplication::focusWidget(), form.intCost);
    QTest::keyClicks(form.intCost, "$25");
    form.PushButton4->setFocus();
    QTest::keyClick(form.PushButton4, Qt::Key_Space);
    QCOMPARE(form.list(0).count(), 1);
    QCOMPARE(form.list(0).at(1).likes, QStringLiteral("knitting"));
    QVERIFY(form.txtName->text().isEmpty());

    // Arrow to the row and press Enter: the fields show it.
    form.ListView1->setFocus();
    QTest::keyClick(form.ListView1, Qt::Key_Down);
    if (!form.ListView1->selectionModel()->hasSelection())
      QTest::keyClick(form.ListView1, Qt::Key_Space);  // the row had the focus already
    QVERIFY(form.ListView1->selectionModel()->hasSelection());
    QTest::keyClick(form.ListView1, Qt::Key_Return);
    QCOMPARE(form.txtName->text(), QStringLiteral("Gran"));
    QCOMPARE(form.intCost->text(), QStringLiteral("$25"));

    form.PushButton3->setFocus();
    QTest::keyClick(form.PushButton3, Qt::Key_Space);
    QCOMPARE(form.list(0).count(), 0);
    QVERIFY(prompts.errors().isEmpty());

    // The category choice from the keyboard.
    form.Combo1->setFocus();
    QTest::keyClick(form.Combo1, Qt::Key_Down);
    QCOMPARE(form.Combo1->currentText(), QStringLiteral("Relatives"));
  }

  void thePreviewWithTheKeyboard() {
    FakePrompts prompts;
    PreviewWindow preview;
    QImage picture(1400, 700, QImage::Format_RGB32);
    picture.fill(Qt::red);
    preview.setReportPicture(picture);
    preview.show();
    QCoreApplication::processEvents();
    if (preview.setupPending()) preview.Form_Activate();
    QCOMPARE(focusChain(&preview, preview.HScroll1, 6),
             (QStringList{"HScroll1", "VScroll1", "PushButton1", "PushButton2", "PushButton8",
                          "PushButton6"}));
    QVERIFY(preview.HScroll1->isEnabled());
    preview.HScroll1->setFocus();
    QTest::keyClick(preview.HScroll1, Qt::Key_Right);
    QVERIFY2(preview.HScroll1->value() == 1, qPrintable(QStringLiteral("max %1 value %2")
                                                            .arg(preview.HScroll1->maximum())
                                                            .arg(preview.HScroll1->value())));
    QCOMPARE(preview.Picture1->x(), qRound(-preview.hStep() / 15.0));  // twips to pixels
    preview.PushButton2->setFocus();
    QTest::keyClick(preview.PushButton2, Qt::Key_Space);
    QCOMPARE(preview.zoom(), 0.75f);
  }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
