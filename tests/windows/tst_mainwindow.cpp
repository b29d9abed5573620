// The main window, driven through its widgets: controls and geometry, the start-up, category
// change, save/update/delete/show, samples and reset, storing and restoring on close, pointer
// rules and keyboard focus.
#include <QBuffer>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <memory>

#include "base/apptitle.h"
#include "base/failure.h"
#include "base/files.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"
#include "report/enginehost.h"
#include "report/host.h"
#include "tests/support/fakehost.h"
#include "tests/support/program.h"
#include "tests/support/testsupport.h"
#include "windows/mainwindow.h"

namespace {

// The hosts the start-up creates and releases, and the running host some tests pretend.
FakeHostLog startedHosts;
FakeHostLog runningHost;

const QString kTitle = QStringLiteral("Tinselwick Christmas Gift List");

void store(int category, const QString& value) {
  SaveSetting(kSettingsApplication, kSettingsSection, storedListKey(category), value);
}

QString stored(int category) {
  return GetSetting(kSettingsApplication, kSettingsSection, storedListKey(category), "<absent>");
}

// A 32x32 .cur file: Qt writes the picture as an icon, the header makes it a cursor.
QByteArray curFile(int hotX, int hotY) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "ICO");
  bytes[2] = 2;  // type: cursor
  qToLittleEndian<quint16>(quint16(hotX), bytes.data() + 10);
  qToLittleEndian<quint16>(quint16(hotY), bytes.data() + 12);
  return bytes;
}

GiftEntry fieldsOf(const MainWindow& f) {
  return {f.txtName->text(), f.txtLikes->text(), f.txtPresent->text(), f.intCost->text(),
          f.txtEmail->text()};
}

bool fieldsEmpty(const MainWindow& f) {
  return fieldsOf(f) == GiftEntry{};
}

void typeInto(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  // QTest types only ASCII; other characters arrive as key events that carry their text, as an
  // input method delivers them.
  for (const uint codePoint : text.toUcs4()) {
    if (codePoint >= 0x20 && codePoint < 0x7f) {
      QTest::keyClick(edit, char(codePoint));
    } else {
      const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
      QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, ch, Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, ch, Qt::NoModifier);
    }
  }
  QCOMPARE(edit->text(), text);
}

void typeEntry(MainWindow& f, const GiftEntry& e) {
  typeInto(f.txtName, e.name);
  typeInto(f.txtLikes, e.likes);
  typeInto(f.txtPresent, e.present);
  typeInto(f.intCost, e.cost);
  typeInto(f.txtEmail, e.email);
}

void clickRow(MainWindow& f, int row) {
  QTreeView* view = f.currentView();
  const QRect rect = view->visualRect(view->model()->index(row, 1));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

void choose(MainWindow& f, int category) {
  f.Combo1->setCurrentIndex(category);
  emit f.Combo1->activated(category);
}

QString visibleLists(const MainWindow& f) {
  QStringList names;
  for (int c = 0; c < kCategoryCount; ++c)
    if (!f.view(c)->isHidden()) names << f.view(c)->objectName();
  return names.join(',');
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void controls_data();
  void controls();
  void fonts();
  void loadWithNothingStored();
  void loadRestoresEachList();
  void loadOldValueIntoFamily();
  void loadRecordWithMissingFields();
  void loadUnreadableSettings();
  void loadGarbage_data();
  void loadGarbage();
  void loadReportsBadSkinAndCursorAndGoesOn();
  void homePageVisit_data();
  void homePageVisit();
  void noHost_data();
  void noHost();
  void categoryChange();
  void categoryByKeyboard();
  void saveAddsAndClears();
  void saveRuleMessageKeepsFields();
  void clickShowsAndSaveUpdates();
  void editedNameAddsSecondRow();
  void hugeFieldsShownWhole();
  void clickInEmptyListKeepsFields();
  void deleteSelected();
  void deleteWithoutSelection();
  void deleteEmptyList();
  void samples();
  void samplesTwice();
  void samplesIntoShownList();
  void samplesAtLimit();
  void clearAnsweredNo();
  void clearAnsweredYesClearsShownListOnly();
  void closeStoresAllListsAndRestores();
  void closeWithUnwritableSettings();
  void closingEitherWindowEndsTheProgram_data();
  void closingEitherWindowEndsTheProgram();
  void costRuleFollowsLocale_data();
  void costRuleFollowsLocale();
  void startReportWhileHostRuns_data();
  void startReportWhileHostRuns();
  void pointer_data();
  void pointer();
  void focusOrder_data();
  void focusOrder();
  void selectAllOnFocus();

 private:
  TestProgram loaded();

  std::unique_ptr<QTemporaryDir> config_;
  std::unique_ptr<QTemporaryDir> program_;
  std::unique_ptr<FakePrompts> prompts_;
  std::unique_ptr<FixedRandom> random_;
  std::unique_ptr<RecordingLauncher> launcher_;
};

void TestMainWindow::initTestCase() {
  report::setHostFactory([] { return std::make_unique<FakeHost>(startedHosts); });
}

void TestMainWindow::init() {
  // Every test starts with an empty settings store and nothing beside the program.
  config_ = std::make_unique<QTemporaryDir>();
  program_ = std::make_unique<QTemporaryDir>();
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_->path());
  setProgramFolderForTesting(program_->path());
  prompts_ = std::make_unique<FakePrompts>();
  random_ = std::make_unique<FixedRandom>();
  launcher_ = std::make_unique<RecordingLauncher>();
}

void TestMainWindow::cleanup() {
  launcher_.reset();
  random_.reset();
  prompts_.reset();
  report::setHostFactory([] { return std::make_unique<FakeHost>(startedHosts); });
  report::setHostAttacher({});
}

TestProgram TestMainWindow::loaded() {
  TestProgram program = TestProgram::started();
  if (program && !QTest::qWaitForWindowExposed(program.get())) program.reset();
  return program;
}

void TestMainWindow::controls_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QRect>("geometry");
  auto row = [](const char* name, const char* parent, const char* caption, int l, int t, int w,
                int h) {
    QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent)
                        << QString::fromLatin1(caption) << QRect(l, t, w, h);
  };
  // Twips / 15, rounded.
  row("PushButton1", "Form1", "Start Creating Template", 8, 8, 520, 27);
  row("PushButton5", "Form1", "Clear/Reset Data", 8, 42, 256, 27);
  row("PushButton6", "Form1", "Load Sample/Example Data", 272, 42, 256, 27);
  row("Frame5", "Form1", "Gift Entry", 8, 73, 520, 243);
  row("Label19", "Frame5", "Name:", 12, 23, 52, 17);
  row("txtName", "Frame5", "", 68, 20, 439, 22);
  row("Label22", "Frame5", "Likes:", 12, 53, 52, 17);
  row("txtLikes", "Frame5", "", 68, 50, 439, 22);
  row("Label5", "Frame5", "Present:", 12, 83, 52, 17);
  row("txtPresent", "Frame5", "", 68, 80, 439, 22);
  row("Label24", "Frame5", "Cost:", 12, 113, 52, 17);
  row("intCost", "Frame5", "", 68, 110, 439, 22);
  row("Label1", "Frame5", "Email:", 12, 143, 52, 17);
  row("txtEmail", "Frame5", "", 68, 140, 439, 22);
  row("Label3", "Frame5", "Type:", 12, 173, 52, 17);
  row("Combo1", "Frame5", "", 68, 170, 439, 23);
  row("PushButton4", "Frame5", "Save Gift Entry", 12, 204, 239, 27);
  row("PushButton3", "Frame5", "Delete Selected Gift Entry", 258, 204, 249, 27);
  row("ListView1", "Form1", "", 8, 324, 520, 166);
  row("ListView2", "Form1", "", 8, 323, 520, 166);
  row("ListView3", "Form1", "", 8, 323, 520, 166);
  row("ListView4", "Form1", "", 8, 323, 520, 166);
}

void TestMainWindow::controls() {
  QFETCH(QString, name);
  QFETCH(QString, parent);
  QFETCH(QString, caption);
  QFETCH(QRect, geometry);
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QCOMPARE(form.size(), QSize(536, 497));
  auto* w = form.findChild<QWidget*>(name);
  QVERIFY(w);
  QCOMPARE(w->parentWidget()->objectName(), parent);
  QCOMPARE(w->geometry(), geometry);
  QString shown;
  if (auto* b = qobject_cast<QPushButton*>(w)) shown = b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) shown = l->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) shown = g->title();
  if (auto* e = qobject_cast<QLineEdit*>(w)) shown = e->text();
  QCOMPARE(shown, caption);
}

void TestMainWindow::fonts() {
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QCOMPARE(form.font().family(), QStringLiteral("Arial"));
  QCOMPARE(form.font().pointSizeF(), 9.0);
  QVERIFY(form.font().bold());
  for (QPushButton* b : form.findChildren<QPushButton*>()) {
    QCOMPARE(b->font().pointSizeF(), 11.25);
    QVERIFY(b->font().bold());
  }
  QCOMPARE(form.txtName->font().pointSizeF(), 9.0);
}

void TestMainWindow::loadWithNothingStored() {
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  QCOMPARE(form.windowTitle(), QStringLiteral("Tinselwick"));
  QVERIFY(!form.windowIcon().pixmap(32, 32).isNull());
  QCOMPARE(applicationTitle(), kTitle);
  QStringList items;
  for (int i = 0; i < form.Combo1->count(); ++i) items << form.Combo1->itemText(i);
  QCOMPARE(items, (QStringList{"Family", "Relatives", "Friends", "Knowable people"}));
  QCOMPARE(form.Combo1->currentIndex(), 0);
  QCOMPARE(visibleLists(form), QStringLiteral("ListView1"));
  QCOMPARE(form.currentCategory(), 0);
  for (int c = 0; c < kCategoryCount; ++c) {
    QTreeView* v = form.view(c);
    QCOMPARE(form.list(c).count(), 0);
    QStringList headers;
    QList<int> widths;
    for (int col = 0; col < GiftEntry::kFieldCount; ++col) {
      headers << v->model()->headerData(col, Qt::Horizontal).toString();
      widths << v->columnWidth(col);
    }
    QCOMPARE(headers, (QStringList{"Name", "Likes", "Present", "Cost", "Email"}));
    QCOMPARE(widths, (QList<int>{133, 167, 167, 100, 167}));
  }
  QVERIFY(fieldsEmpty(form));
  QCOMPARE(form.pointer(), MainWindow::Pointer::Default);
  QVERIFY(!form.hasHandCursor());
  QVERIFY(form.updatesEnabled());
  QVERIFY(prompts_->messages.isEmpty());
  QVERIFY(launcher_->opened.isEmpty());
}

void TestMainWindow::loadRestoresEachList() {
  const std::vector<GiftEntry> lists[4] = {
      {{"Mom", "gardening", "Shoes", "$89", ""}, {"Dad", "", "Razors", "$30", ""}},
      {{"Aunt", "", "Card", "$30", "aunt@example.com"}},
      {{" Ян ", "书", "🎁", "", " x@y "}, {"Bob", "", "", "", ""}, {"Cy", "", "", "", ""}},
      {{"Mailman", "", "Cookies", "5", ""}},
  };
  for (int c = 0; c < 4; ++c) store(c, serializeList(lists[c]));
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  for (int c = 0; c < 4; ++c)
    QVERIFY2(form.list(c).entries() == lists[c], qPrintable(QString::number(c)));
  QCOMPARE(visibleLists(form), QStringLiteral("ListView1"));
  QVERIFY(prompts_->messages.isEmpty());
  // The rows show the restored text.
  QCOMPARE(form.ListView3->model()->index(0, 0).data().toString(), QStringLiteral(" Ян "));
}

void TestMainWindow::loadOldValueIntoFamily() {
  // An older version stored only "Inventory List", whatever category was shown.
  store(0, "Friend||SEP1||a||SEP1||b||SEP1||1||SEP1||f@x||SEP2||");
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  QCOMPARE(form.list(0).count(), 1);
  QCOMPARE(form.list(0).at(1), (GiftEntry{"Friend", "a", "b", "1", "f@x"}));
  for (int c = 1; c < 4; ++c) QCOMPARE(form.list(c).count(), 0);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::loadRecordWithMissingFields() {
  store(0,
        "Mom||SEP1||gardening||SEP1||Shoes||SEP1||$89||SEP1||m@x||SEP2||"
        "Short||SEP1||likes||SEP2||"
        "Long||SEP1||1||SEP1||2||SEP1||3||SEP1||4||SEP1||5||SEP1||6||SEP2||"
        "Alone||SEP2||");
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  const std::vector<GiftEntry> expected = {{"Mom", "gardening", "Shoes", "$89", "m@x"},
                                           {"Short", "likes", "", "", ""},
                                           {"Long", "1", "2", "3", "4"},
                                           {"Alone", "", "", "", ""}};
  QVERIFY(form.list(0).entries() == expected);
  // One dialog per missing field: three for "Short", four for "Alone".
  const QList<ShownMessage> errors = prompts_->errors();
  QCOMPARE(errors.size(), 7);
  QCOMPARE(prompts_->messages.size(), 7);
  for (const ShownMessage& m : errors) {
    QCOMPARE(m.style, 48);
    QVERIFY(m.text.contains("\r\nin Yulebrook2021/08/31.Form1.Form_Load at line "));
  }
  QVERIFY(errors[0].text.contains("Short"));
  QVERIFY(errors[6].text.contains("Alone"));
  QCOMPARE(visibleLists(form), QStringLiteral("ListView1"));
}

void TestMainWindow::loadUnreadableSettings() {
  // The settings file is a folder: the read fails, is reported once, and the lists start empty.
  const QString file =
      QSettings(QSettings::IniFormat, QSettings::UserScope, "Quillmoor", "Quillmoor").fileName();
  QVERIFY(QDir().mkpath(file));
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  const QList<ShownMessage> errors = prompts_->errors();
  QCOMPARE(errors.size(), 1);
  QVERIFY(errors[0].text.contains("in Yulebrook2021/08/31.Form1.Form_Load at line 126"));
  for (int c = 0; c < kCategoryCount; ++c) QCOMPARE(form.list(c).count(), 0);
  QCOMPARE(form.Combo1->currentIndex(), 0);
  QCOMPARE(visibleLists(form), QStringLiteral("ListView1"));
}

void TestMainWindow::loadGarbage_data() {
  QTest::addColumn<QString>("value");
  QTest::addColumn<int>("records");
  QTest::newRow("no separators") << QString(200000, QChar(u'q')) << 1;
  QTest::newRow("only field separators") << QStringLiteral("||SEP1||").repeated(5000) << 1;
  QTest::newRow("many short records")
      << QStringLiteral("x||SEP1||1||SEP1||2||SEP1||3||SEP1||4||SEP2||").repeated(2000) << 2000;
  QTest::newRow("control characters") << QString::fromUtf8(
                                             "\x01\x02\x7f||SEP1||\t||SEP1||\n||SEP1||"
                                             "\r||SEP1||\x1b||SEP2||")
                                      << 1;
}

void TestMainWindow::loadGarbage() {
  QFETCH(QString, value);
  QFETCH(int, records);
  store(1, value);
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  QCOMPARE(form.list(1).count(), records);
  QCOMPARE(form.list(0).count(), 0);
}

void TestMainWindow::loadReportsBadSkinAndCursorAndGoesOn() {
  QVERIFY(QDir(program_->path()).mkpath("x"));
  QFile skin(program_->filePath("x/o.cjs"));
  QVERIFY(skin.open(QIODevice::WriteOnly));
  skin.write("QPushButton { color: red;");
  skin.close();
  QFile cursor(program_->filePath("HAND-M.CUR"));
  QVERIFY(cursor.open(QIODevice::WriteOnly));
  cursor.write("not a cursor");
  cursor.close();
  store(0, "Mom||SEP1||||SEP1||||SEP1||||SEP1||||SEP2||");
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  const QList<ShownMessage> errors = prompts_->errors();
  QCOMPARE(errors.size(), 2);
  QVERIFY(errors[0].text.contains("Form1.Form_Load at line 100\r\r"));
  QVERIFY(errors[1].text.contains("Form1.Form_Load at line 112\r\r"));
  // The rest of the start-up ran.
  QCOMPARE(form.windowTitle(), QStringLiteral("Tinselwick"));
  QCOMPARE(form.list(0).count(), 1);
  QCOMPARE(form.Combo1->count(), 4);
  QVERIFY(!form.hasHandCursor());
}

void TestMainWindow::homePageVisit_data() {
  QTest::addColumn<double>("draw");
  QTest::addColumn<bool>("visits");
  QTest::newRow("draw 7") << 0.06 << true;
  QTest::newRow("just under 7") << 0.0599 << false;
  QTest::newRow("draw 8") << 0.07 << false;
  QTest::newRow("draw 1") << 0.0 << false;
  QTest::newRow("draw 100") << 0.999 << false;
  QTest::newRow("middle") << 0.5 << false;
}

void TestMainWindow::homePageVisit() {
  QFETCH(double, draw);
  QFETCH(bool, visits);
  random_->draws = {draw};
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(form.Form_Load());
  QCOMPARE(random_->reseeds, 1);
  QVERIFY(random_->draws.empty());
  QCOMPARE(launcher_->opened, visits ? QStringList{MainWindow::homePage()} : QStringList{});
  if (visits) QVERIFY(MainWindow::homePage().startsWith("http"));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::noHost_data() {
  QTest::addColumn<bool>("throws");
  QTest::newRow("factory fails") << true;
  QTest::newRow("factory gives nothing") << false;
}

void TestMainWindow::noHost() {
  QFETCH(bool, throws);
  report::setHostFactory([throws]() -> std::unique_ptr<report::Host> {
    if (throws) fail(QStringLiteral("no spreadsheet host"));
    return nullptr;
  });
  TestProgram formProgram;
  MainWindow& form = *formProgram;
  QVERIFY(!form.Form_Load());
  QCOMPARE(prompts_->messages.size(), 1);
  const ShownMessage& m = prompts_->messages[0];
  QCOMPARE(m.style, 0);
  QCOMPARE(m.title, kTitle);
  const QStringList pieces = {
      "Error 842001. A normal instance of Excel could not be created.",
      "1. Please make sure Excel is installed on this computer.",
      "2. Please open Excel normally and make sure a blank spreadsheet opens immediately "
      "without any interrupting window (such as an Excel file recovery window).",
      "3. Please make sure that when you double-click on a XLS or XLSX file that Excel opens "
      "normally without any interrupting messages.",
      "4. All versions of Excel are supported by this software except for the rare Excel "
      "Starter and Student editions."};
  QCOMPARE(m.text, pieces.join("\r\n\r\n"));
  QVERIFY(!form.isVisible());
  // Nothing was written to the store.
  QCOMPARE(stored(0), QStringLiteral("<absent>"));
}

void TestMainWindow::categoryChange() {
  auto form = loaded();
  QVERIFY(form);
  typeEntry(*form, {"Mom", "", "", "", ""});
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  typeInto(form->txtName, "typed");
  choose(*form, 1);
  QCOMPARE(visibleLists(*form), QStringLiteral("ListView2"));
  QCOMPARE(form->currentCategory(), 1);
  QVERIFY(fieldsEmpty(*form));
  typeInto(form->txtName, "typed");
  choose(*form, 1);  // the same category again: the list stays, the fields are emptied
  QCOMPARE(visibleLists(*form), QStringLiteral("ListView2"));
  QVERIFY(fieldsEmpty(*form));
  choose(*form, 3);
  QCOMPARE(visibleLists(*form), QStringLiteral("ListView4"));
  choose(*form, 0);
  QCOMPARE(visibleLists(*form), QStringLiteral("ListView1"));
  QCOMPARE(form->list(0).count(), 1);
  QCOMPARE(form->list(0).at(1).name, QStringLiteral("Mom"));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::categoryByKeyboard() {
  auto form = loaded();
  QVERIFY(form);
  form->Combo1->setFocus();
  QTest::keyClick(form->Combo1, Qt::Key_Down);
  QTest::keyClick(form->Combo1, Qt::Key_Down);
  QCOMPARE(form->Combo1->currentText(), QStringLiteral("Friends"));
  QCOMPARE(visibleLists(*form), QStringLiteral("ListView3"));
  QCOMPARE(form->currentCategory(), 2);
}

void TestMainWindow::saveAddsAndClears() {
  auto form = loaded();
  QVERIFY(form);
  const GiftEntry mom{"Mom ", " gardening", "Шарф 🧣", "$ 89", "m@x"};
  typeEntry(*form, mom);
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 1);
  QCOMPARE(form->list(0).at(1), mom);  // exactly as typed
  QCOMPARE(form->ListView1->model()->index(0, 3).data().toString(), QStringLiteral("$ 89"));
  QVERIFY(fieldsEmpty(*form));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::saveRuleMessageKeepsFields() {
  auto form = loaded();
  QVERIFY(form);
  const GiftEntry bad{"Ann", "", "", "lots", ""};
  typeEntry(*form, bad);
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QCOMPARE(prompts_->messages.size(), 1);
  QCOMPARE(prompts_->messages[0].text, QStringLiteral("Cost must be a number."));
  QCOMPARE(prompts_->messages[0].style, 0);
  QCOMPARE(prompts_->messages[0].title, kTitle);
  QCOMPARE(fieldsOf(*form), bad);
  QCOMPARE(form->list(0).count(), 0);

  typeInto(form->intCost, "");
  typeInto(form->txtLikes, "a||SEP1||b");
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QCOMPARE(prompts_->messages.last().text,
           QStringLiteral("Entries cannot contain ||SEP1|| or ||SEP2||."));
  QCOMPARE(prompts_->messages.last().style, 0);
  QCOMPARE(form->txtLikes->text(), QStringLiteral("a||SEP1||b"));
  QCOMPARE(form->list(0).count(), 0);
}

void TestMainWindow::clickShowsAndSaveUpdates() {
  store(0, serializeList({{"Mom", "gardening", "Shoes", "$89", "m@x"},
                          {"Dad", "fishing", "Razors", "$30", ""}}));
  auto form = loaded();
  QVERIFY(form);
  clickRow(*form, 1);
  QCOMPARE(fieldsOf(*form), (GiftEntry{"Dad", "fishing", "Razors", "$30", ""}));
  typeInto(form->intCost, "$35");
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 2);
  QCOMPARE(form->list(0).at(2), (GiftEntry{"Dad", "fishing", "Razors", "$35", ""}));
  QCOMPARE(form->ListView1->model()->index(1, 3).data().toString(), QStringLiteral("$35"));
  QCOMPARE(fieldsOf(*form), (GiftEntry{"Dad", "fishing", "Razors", "$35", ""}));  // kept
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::editedNameAddsSecondRow() {
  store(0, serializeList({{"Mom", "gardening", "Shoes", "$89", "m@x"}}));
  auto form = loaded();
  QVERIFY(form);
  clickRow(*form, 0);
  typeInto(form->txtName, "Mother");
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 2);
  QCOMPARE(form->list(0).at(1).name, QStringLiteral("Mom"));
  QCOMPARE(form->list(0).at(2), (GiftEntry{"Mother", "gardening", "Shoes", "$89", "m@x"}));
  QVERIFY(fieldsEmpty(*form));
}

void TestMainWindow::hugeFieldsShownWhole() {
  const GiftEntry huge{QString(100000, 'n'), QString(100000, QChar(u'ж')),
                       QStringLiteral("🎁").repeated(50000), "1", "a@" + QString(99998, 'e')};
  store(0, serializeList({huge}));
  auto form = loaded();
  QVERIFY(form);
  clickRow(*form, 0);
  QCOMPARE(fieldsOf(*form), huge);
  typeInto(form->intCost, "2");
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 1);  // found by its whole name: updated, not added
  QCOMPARE(form->list(0).at(1).cost, QStringLiteral("2"));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::clickInEmptyListKeepsFields() {
  auto form = loaded();
  QVERIFY(form);
  typeInto(form->txtName, "kept");
  QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
  QCOMPARE(form->txtName->text(), QStringLiteral("kept"));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::deleteSelected() {
  store(0, serializeList({{"A", "", "", "", ""}, {"B", "", "", "", ""}, {"C", "", "", "", ""}}));
  auto form = loaded();
  QVERIFY(form);
  clickRow(*form, 1);
  QCOMPARE(form->txtName->text(), QStringLiteral("B"));
  QTest::mouseClick(form->PushButton3, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 2);
  QCOMPARE(form->list(0).at(1).name, QStringLiteral("A"));
  QCOMPARE(form->list(0).at(2).name, QStringLiteral("C"));
  QVERIFY(fieldsEmpty(*form));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::deleteWithoutSelection() {
  store(2, serializeList({{"A", "", "", "", ""}}));
  auto form = loaded();
  QVERIFY(form);
  choose(*form, 2);
  typeInto(form->txtName, "typed");
  QTest::mouseClick(form->PushButton3, Qt::LeftButton);
  QCOMPARE(prompts_->messages.size(), 1);
  QCOMPARE(prompts_->messages[0].title, QStringLiteral("Application Error"));
  QVERIFY(prompts_->messages[0].text.contains(
      "\r\nin Yulebrook2021/08/31.Form1.PushButton3_Click at line 102\r\r"));
  QCOMPARE(form->list(2).count(), 1);
  QVERIFY(fieldsEmpty(*form));  // the last step still ran
}

void TestMainWindow::deleteEmptyList() {
  store(0, serializeList({{"A", "", "", "", ""}}));
  auto form = loaded();
  QVERIFY(form);
  choose(*form, 1);
  typeEntry(*form, {"kept", "k", "k", "1", "k@k"});
  QTest::mouseClick(form->PushButton3, Qt::LeftButton);
  QCOMPARE(fieldsOf(*form), (GiftEntry{"kept", "k", "k", "1", "k@k"}));
  QCOMPARE(form->list(0).count(), 1);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::samples() {
  auto form = loaded();
  QVERIFY(form);
  QTest::mouseClick(form->PushButton6, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 2);
  QCOMPARE(form->list(0).at(1),
           (GiftEntry{"Mom", "gardening, homemade crafts", "Ryka Walking Shoes", "$89", ""}));
  QCOMPARE(form->list(0).at(2), (GiftEntry{"Dad", "", "Mach 3 Razors", "$30", ""}));
  const GiftEntry third = fieldsOf(*form);
  QCOMPARE(third.name, QStringLiteral("Aunt"));
  QCOMPARE(third.present, QStringLiteral("$50 Gift Cert To Vermont Country Store"));
  QCOMPARE(third.cost, QStringLiteral("$30"));
  QVERIFY(third.likes.isEmpty());
  QVERIFY(third.email.indexOf('@') >= 1);
  QVERIFY(prompts_->messages.isEmpty());
  // The third sample passes the rules when the user saves it.
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 3);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::samplesTwice() {
  auto form = loaded();
  QVERIFY(form);
  QTest::mouseClick(form->PushButton6, Qt::LeftButton);
  QTest::mouseClick(form->PushButton6, Qt::LeftButton);
  QCOMPARE(form->list(0).count(), 2);
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::samplesIntoShownList() {
  auto form = loaded();
  QVERIFY(form);
  choose(*form, 2);
  QTest::mouseClick(form->PushButton6, Qt::LeftButton);
  QCOMPARE(form->list(2).count(), 2);
  QCOMPARE(form->list(0).count(), 0);
  QCOMPARE(form->ListView3->model()->rowCount(), 2);
}

void TestMainWindow::samplesAtLimit() {
  std::vector<GiftEntry> full;
  for (int i = 1; i <= 22; ++i) full.push_back({QStringLiteral("P%1").arg(i), "", "", "", ""});
  store(0, serializeList(full));
  auto form = loaded();
  QVERIFY(form);
  QTest::mouseClick(form->PushButton6, Qt::LeftButton);
  // Both saves meet the limit; the fill goes on and leaves the third sample in the fields.
  QCOMPARE(prompts_->texts(), (QStringList{"Max records reached", "Max records reached"}));
  QCOMPARE(form->list(0).count(), 22);
  QCOMPARE(form->txtName->text(), QStringLiteral("Aunt"));
}

void TestMainWindow::clearAnsweredNo() {
  store(0, serializeList({{"A", "", "", "", ""}}));
  auto form = loaded();
  QVERIFY(form);
  typeEntry(*form, {"x", "y", "z", "1", "a@b"});
  prompts_->answers = {msg::No};
  QTest::mouseClick(form->PushButton5, Qt::LeftButton);
  QCOMPARE(prompts_->messages.size(), 1);
  QCOMPARE(prompts_->messages[0].text, QStringLiteral("Would you like to clear gift list?"));
  QCOMPARE(prompts_->messages[0].style, 4);
  QCOMPARE(prompts_->messages[0].title, kTitle);
  QVERIFY(fieldsEmpty(*form));
  QCOMPARE(form->list(0).count(), 1);
}

void TestMainWindow::clearAnsweredYesClearsShownListOnly() {
  store(0, serializeList({{"A", "", "", "", ""}}));
  store(1, serializeList({{"B", "", "", "", ""}}));
  store(2, serializeList({{"C", "", "", "", ""}, {"D", "", "", "", ""}}));
  auto form = loaded();
  QVERIFY(form);
  choose(*form, 2);
  prompts_->answers = {msg::Yes};
  QTest::mouseClick(form->PushButton5, Qt::LeftButton);
  QCOMPARE(form->list(2).count(), 0);
  QCOMPARE(form->ListView3->model()->rowCount(), 0);
  QCOMPARE(form->list(0).count(), 1);
  QCOMPARE(form->list(1).count(), 1);
  QCOMPARE(prompts_->errors().size(), 0);
}

void TestMainWindow::closeStoresAllListsAndRestores() {
  const std::vector<GiftEntry> lists[4] = {
      {{"Mom", "  spaces  ", "Шарф", "$89", ""}},
      {},
      {{"奶奶", "🎄", "x", "1,000", "n@x"}, {QString(100000, 'z'), "", "", "", ""}},
      {{"Mailman", "", "", "", ""}},
  };
  {
    store(1, serializeList({{"Stale", "", "", "", ""}}));  // replaced by the empty list
    auto form = loaded();
    QVERIFY(form);
    QCOMPARE(form->list(1).count(), 1);
    choose(*form, 1);
    prompts_->answers = {msg::Yes};
    QTest::mouseClick(form->PushButton5, Qt::LeftButton);
    prompts_->clear();
    for (int c = 0; c < 4; ++c) {
      choose(*form, c);
      for (const GiftEntry& e : lists[c]) {
        if (e.name.size() > 1000) {  // too long to type
          form->txtName->setText(e.name);
        } else {
          typeEntry(*form, e);
        }
        QTest::mouseClick(form->PushButton4, Qt::LeftButton);
      }
    }
    choose(*form, 2);  // the list on screen does not decide what is stored
    QVERIFY(prompts_->messages.isEmpty());
    QVERIFY(form->close());
    QVERIFY(!form->isVisible());
  }
  for (int c = 0; c < 4; ++c) QCOMPARE(stored(c), serializeList(lists[c]));
  TestProgram againProgram;
  MainWindow& again = *againProgram;
  QVERIFY(again.Form_Load());
  for (int c = 0; c < 4; ++c)
    QVERIFY2(again.list(c).entries() == lists[c], qPrintable(QString::number(c)));
  QVERIFY(prompts_->messages.isEmpty());
}

void TestMainWindow::closeWithUnwritableSettings() {
  auto form = loaded();
  QVERIFY(form);
  QTest::mouseClick(form->PushButton6, Qt::LeftButton);
  // A config folder under a plain file cannot be created, whoever runs the test.
  QFile blocker(program_->filePath("blocker"));
  QVERIFY(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker.fileName() + "/config");
  form->close();
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_->path());
  QVERIFY(!form->isVisible());
  const QList<ShownMessage> errors = prompts_->errors();
  QVERIFY(!errors.isEmpty());
  for (const ShownMessage& m : errors)
    QVERIFY(m.text.contains("in Yulebrook2021/08/31.Form1.Form_QueryUnload at line "));
}

void TestMainWindow::closingEitherWindowEndsTheProgram_data() {
  QTest::addColumn<bool>("preview");
  QTest::newRow("main window") << false;
  QTest::newRow("preview window") << true;
}

void TestMainWindow::closingEitherWindowEndsTheProgram() {
  // The program's event loop ends when either window is closed, and all four lists are stored.
  QFETCH(bool, preview);
  auto form = loaded();
  QVERIFY(form);
  for (int c = 0; c < kCategoryCount; ++c)
    form->list(c).add({QStringLiteral("Person %1").arg(c), "", "", "", ""});
  QWidget* closing = form.get();
  if (preview) {
    closing = form.app().preview();
    closing->show();
    form->hide();
  }
  QTimer::singleShot(0, closing, &QWidget::close);
  QTimer watchdog;  // ends the loop when the close did not
  watchdog.setSingleShot(true);
  connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  watchdog.start(5000);
  QCOMPARE(QCoreApplication::exec(), 0);
  for (int c = 0; c < kCategoryCount; ++c)
    QCOMPARE(stored(c), serializeList({{QStringLiteral("Person %1").arg(c), "", "", "", ""}}));
}

void TestMainWindow::costRuleFollowsLocale_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<QString>("cost");
  QTest::addColumn<bool>("accepted");
  QTest::newRow("German decimal comma") << "de_DE"
                                        << "$19,99" << true;
  QTest::newRow("German thousands") << "de_DE"
                                    << "1.250,50" << true;
  QTest::newRow("US form in German") << "de_DE"
                                     << "1,250.50" << false;
  QTest::newRow("US thousands") << "en_US"
                                << "1,250.50" << true;
  QTest::newRow("US word") << "en_US"
                           << "ten" << false;
}

void TestMainWindow::costRuleFollowsLocale() {
  // The window checks the cost by the user's locale.
  QFETCH(QString, locale);
  QFETCH(QString, cost);
  QFETCH(bool, accepted);
  const QLocale before;
  QLocale::setDefault(QLocale(locale));
  auto form = loaded();
  QVERIFY(form);
  typeEntry(*form, {"Ann", "", "", cost, ""});
  QTest::mouseClick(form->PushButton4, Qt::LeftButton);
  QLocale::setDefault(before);
  QCOMPARE(form->list(0).count(), accepted ? 1 : 0);
  QCOMPARE(prompts_->texts(),
           accepted ? QStringList() : QStringList{QStringLiteral("Cost must be a number.")});
}

void TestMainWindow::startReportWhileHostRuns_data() {
  QTest::addColumn<int>("answer");
  QTest::newRow("No cancels") << int(msg::No);
  QTest::newRow("Yes goes on") << int(msg::Yes);
}

void TestMainWindow::startReportWhileHostRuns() {
  QFETCH(int, answer);
  QTemporaryDir temp;  // the run's files, drawn with the fixed random numbers
  const QByteArray oldTemp = qgetenv("TEMP");
  qputenv("TEMP", QFile::encodeName(temp.path()));
  auto restoreTemp = qScopeGuard([&] { qputenv("TEMP", oldTemp); });
  auto form = loaded();
  QVERIFY(form);
  int created = 0;
  report::setHostFactory([&created] {
    ++created;
    return report::createEngineHost();
  });
  report::setHostAttacher([] { return std::make_unique<FakeHost>(runningHost); });
  prompts_->answers = {answer};
  QTest::mouseClick(form->PushButton1, Qt::LeftButton);
  report::setHostAttacher({});
  if (answer == msg::Yes) {
    // The report is made with the hosts it starts, and shown in the preview.
    QVERIFY2(prompts_->errors().isEmpty(), qPrintable(prompts_->texts().join("\n")));
    QVERIFY(created >= 2);
    QVERIFY(form.app().hasPreview() && form.app().preview()->isVisible());
    QVERIFY(!form->isVisible());
    return;
  }
  QCOMPARE(prompts_->messages.size(), 1);
  const ShownMessage& m = prompts_->messages[0];
  QCOMPARE(m.text,
           QStringLiteral("Excel may be open. It is recommended that you close Excel first.\r"
                          "Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.\r\n\r\n"
                          "Would you like to proceed anyway?"));
  QCOMPARE(m.style, 4);
  QCOMPARE(m.title, kTitle);
  // "No" cancels: no host is started, the window paints again and shows no hourglass.
  QCOMPARE(created, 0);
  QVERIFY(form->updatesEnabled());
  QVERIFY(form->isVisible());
  QVERIFY(form->pointer() != MainWindow::Pointer::Hourglass);
}

void TestMainWindow::pointer_data() {
  QTest::addColumn<bool>("handFile");
  QTest::addColumn<bool>("dangling");  // the optional files are dangling links
  QTest::newRow("with HAND-M.CUR") << true << false;
  QTest::newRow("without") << false << false;
  QTest::newRow("dangling links count as absent") << false << true;
}

void TestMainWindow::pointer() {
  QFETCH(bool, handFile);
  QFETCH(bool, dangling);
  if (handFile) {
    QFile f(program_->filePath("HAND-M.CUR"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(curFile(5, 2));
  }
  if (dangling) {
    QVERIFY(QDir(program_->path()).mkpath("x"));
    QVERIFY(QFile::link(program_->filePath("gone.cur"), program_->filePath("HAND-M.CUR")));
    QVERIFY(QFile::link(program_->filePath("gone.cjs"), program_->filePath("x/o.cjs")));
  }
  auto form = loaded();
  QVERIFY(form);
  QVERIFY(prompts_->messages.isEmpty());
  QCOMPARE(form->hasHandCursor(), handFile);
  // Moves go through the window, so the widget under the mouse gets its enter and move events.
  auto moveOver = [&form](QWidget* w, QPoint at = {}) {
    const QPoint inWidget = at.isNull() ? w->rect().center() : at;
    QTest::mouseMove(form->windowHandle(), w->mapTo(form.get(), inWidget));
    QCoreApplication::processEvents();
  };

  for (QPushButton* b : {form->PushButton1, form->PushButton3, form->PushButton4, form->PushButton5,
                         form->PushButton6}) {
    moveOver(form->txtName);
    QCOMPARE(form->pointer(), MainWindow::Pointer::Default);
    moveOver(b);
    QCOMPARE(form->pointer(), MainWindow::Pointer::Custom);
    if (handFile) {
      QCOMPARE(form->cursor().hotSpot(), QPoint(5, 2));
      QCOMPARE(form->cursor().pixmap().size(), QSize(32, 32));
    } else {
      QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
    }
  }
  // The e-mail field, the category choice and the labels leave the pointer as it is.
  for (QWidget* w : std::initializer_list<QWidget*>{form->txtEmail, form->Combo1, form->Label19}) {
    moveOver(w);
    QCOMPARE(form->pointer(), MainWindow::Pointer::Custom);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{form->ListView1, form->intCost, form->txtLikes,
                                                    form->txtPresent}) {
    moveOver(form->PushButton1);
    moveOver(w);
    QCOMPARE(form->pointer(), MainWindow::Pointer::Default);
  }
  // The window background and the frame around the fields (left of the labels).
  moveOver(form->PushButton1);
  moveOver(form.get(), QPoint(3, 300));
  QCOMPARE(form->pointer(), MainWindow::Pointer::Default);
  moveOver(form->PushButton1);
  moveOver(form->Frame5, QPoint(5, 100));
  QCOMPARE(form->pointer(), MainWindow::Pointer::Default);
  // While the report runs the hourglass stays, wherever the mouse goes.
  form->setPointer(MainWindow::Pointer::Hourglass);
  for (QWidget* w : std::initializer_list<QWidget*>{
           form->PushButton4, form->txtName, form->ListView1, form->Frame5, form->PushButton6}) {
    moveOver(w);
    QCOMPARE(form->pointer(), MainWindow::Pointer::Hourglass);
    QCOMPARE(form->cursor().shape(), Qt::WaitCursor);
  }
}

void TestMainWindow::focusOrder_data() {
  QTest::addColumn<int>("category");
  QTest::newRow("Family") << 0;
  QTest::newRow("Knowable people") << 3;
}

void TestMainWindow::focusOrder() {
  QFETCH(int, category);
  auto form = loaded();
  QVERIFY(form);
  choose(*form, category);
  form->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(form.get()));
  QStringList order{QApplication::focusWidget()->objectName()};  // txtName from the start
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order << QApplication::focusWidget()->objectName();
  }
  const QString list = form->view(category)->objectName();
  QCOMPARE(order, (QStringList{"txtName", "txtLikes", "txtPresent", "intCost", "txtEmail", "Combo1",
                               list, "PushButton1", "PushButton4", "PushButton3", "PushButton5",
                               "PushButton6", "txtName"}));
}

void TestMainWindow::selectAllOnFocus() {
  auto form = loaded();
  QVERIFY(form);
  form->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(form.get()));
  const GiftEntry e{"Name text", "Likes text", "Present text", "$12", "e@mail"};
  form->txtName->setText(e.name);
  form->txtLikes->setText(e.likes);
  form->txtPresent->setText(e.present);
  form->intCost->setText(e.cost);
  form->txtEmail->setText(e.email);
  form->txtName->setFocus();
  QTRY_COMPARE(form->txtName->selectedText(), e.name);
  for (QLineEdit* edit : {form->txtLikes, form->txtPresent, form->intCost, form->txtEmail}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit);
    QTRY_COMPARE(edit->selectedText(), edit->text());
    QCOMPARE(edit->selectionStart(), 0);
  }
  // Typing replaces the selected text.
  QTest::keyClicks(form->txtEmail, "new@x");
  QCOMPARE(form->txtEmail->text(), QStringLiteral("new@x"));
  // A click into a field selects its text too.
  QTest::mouseClick(form->txtLikes, Qt::LeftButton, {}, QPoint(5, 5));
  QTRY_COMPARE(form->txtLikes->selectedText(), e.likes);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
