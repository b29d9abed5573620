#include "windows/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>
#include <limits>

#include "base/apptitle.h"
#include "base/failure.h"
#include "base/files.h"
#include "base/prompts.h"
#include "base/services.h"
#include "base/trap.h"
#include "giftlist/samples.h"
#include "giftlist/saverules.h"
#include "planner/listscsv.h"
#include "planner/planner.h"
#include "report/hostchecks.h"
#include "windows/exportfile.h"
#include "windows/skin.h"

namespace {

// Window geometry is designed in twips; 15 twips make one logical pixel.
int px(int twips) {
  return qRound(twips / 15.0);
}

void place(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
}

}  // namespace

MainWindow::MainWindow(GiftBook& book, QWidget* parent) : QWidget(parent), book_(book) {
  setObjectName(QStringLiteral("Form1"));
  buildControls();
  listViewTemp = &book_.list(0);
}

MainWindow::~MainWindow() = default;

void MainWindow::PushButton1_Click() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("PushButton1_Click")};
  trap(100, [&] { setUpdatesEnabled(false); });
  bool cancel = false;
  trap(102, [&] { cancel = report::WarnExcelRunning(); });
  if (!cancel) {
    trap(104, [&] { setPointer(Pointer::Hourglass); });
    trap(106, [&] {
      if (host_) host_->generateReport();
    });
    trap(108, [&] { setPointer(Pointer::Default); });
  }
  trap(110, [&] { setUpdatesEnabled(true); });
}

void MainWindow::buildControls() {
  setFixedSize(px(8040), px(7455));
  QFont windowFont(QStringLiteral("Arial"));
  windowFont.setPointSizeF(9);
  windowFont.setBold(true);
  setFont(windowFont);
  QFont buttonFont = windowFont;
  buttonFont.setPointSizeF(11.25);

  auto button = [&](const char* name, const QString& caption, QWidget* parentWidget) {
    auto* b = new QPushButton(caption, parentWidget);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(buttonFont);
    return b;
  };
  PushButton1 = button("PushButton1", QStringLiteral("Start Creating Template"), this);
  place(PushButton1, 120, 120, 7800, 405);
  PushButton5 = button("PushButton5", QStringLiteral("Clear/Reset Data"), this);
  place(PushButton5, 120, 630, 3840, 405);
  PushButton6 = button("PushButton6", QStringLiteral("Load Sample/Example Data"), this);
  place(PushButton6, 4080, 630, 3840, 405);

  Frame5 = new QGroupBox(QStringLiteral("Gift Entry"), this);
  Frame5->setObjectName(QStringLiteral("Frame5"));
  place(Frame5, 120, 1095, 7800, 3645);

  auto label = [&](QLabel*& l, const char* name, const QString& caption, int top) {
    l = new QLabel(caption, Frame5);
    l->setObjectName(QString::fromLatin1(name));
    place(l, 180, top, 780, 255);
  };
  auto edit = [&](QLineEdit*& e, const char* name, int top, QLabel* buddy) {
    e = new QLineEdit(Frame5);
    e->setObjectName(QString::fromLatin1(name));
    place(e, 1020, top, 6580, 330);
    buddy->setBuddy(e);
    e->setAccessibleName(buddy->text().chopped(1));
    // A field may be as long as any stored one; Qt's default would cut it at 32767 characters.
    e->setMaxLength(std::numeric_limits<int>::max());
    e->installEventFilter(this);
  };
  label(Label19, "Label19", QStringLiteral("Name:"), 345);
  edit(txtName, "txtName", 300, Label19);
  label(Label22, "Label22", QStringLiteral("Likes:"), 795);
  edit(txtLikes, "txtLikes", 750, Label22);
  label(Label5, "Label5", QStringLiteral("Present:"), 1245);
  edit(txtPresent, "txtPresent", 1200, Label5);
  label(Label24, "Label24", QStringLiteral("Cost:"), 1695);
  edit(intCost, "intCost", 1650, Label24);
  label(Label1, "Label1", QStringLiteral("Email:"), 2145);
  edit(txtEmail, "txtEmail", 2100, Label1);
  label(Label3, "Label3", QStringLiteral("Type:"), 2595);
  Combo1 = new QComboBox(Frame5);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->setAccessibleName(QStringLiteral("Type"));
  place(Combo1, 1020, 2550, 6580, 345);
  Label3->setBuddy(Combo1);

  PushButton4 = button("PushButton4", QStringLiteral("Save Gift Entry"), Frame5);
  place(PushButton4, 180, 3060, 3580, 405);
  PushButton3 = button("PushButton3", QStringLiteral("Delete Selected Gift Entry"), Frame5);
  place(PushButton3, 3870, 3060, 3735, 405);

  const int listTops[4] = {4860, 4845, 4845, 4845};
  QTreeView** listSlots[4] = {&ListView1, &ListView2, &ListView3, &ListView4};
  for (int i = 0; i < 4; ++i) {
    auto* v = new QTreeView(this);
    v->setObjectName(QStringLiteral("ListView%1").arg(i + 1));
    v->setAccessibleName(categoryName(i));
    v->setRootIsDecorated(false);
    v->setItemsExpandable(false);
    v->setUniformRowHeights(true);
    v->setAllColumnsShowFocus(true);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setModel(&book_.list(i));
    v->header()->setStretchLastSection(false);
    place(v, 120, listTops[i], 7800, 2490);
    v->viewport()->installEventFilter(this);
    v->installEventFilter(this);  // the Menu key's context menu
    connect(v, &QTreeView::clicked, this, [this] { ListView_Click(); });
    // From the keyboard: Enter on a row shows it as a click does.
    connect(v, &QTreeView::activated, this, [this] { ListView_Click(); });
    // The statuses and the planner: right button, the Menu key, Shift+F10.
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QWidget::customContextMenuRequested, this,
            [this, v](const QPoint& at) { showListMenu(v, at); });
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), v);
    menuKey->setContext(Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this, [this, v] { showListMenu(v, QPoint(-1, -1)); });
    views_[static_cast<size_t>(i)] = v;
    *listSlots[i] = v;
  }

  for (QPushButton* b : {PushButton1, PushButton4, PushButton3, PushButton5, PushButton6})
    b->installEventFilter(this);
  Frame5->installEventFilter(this);
  installEventFilter(this);
  setMouseTracking(true);
  Frame5->setMouseTracking(true);

  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
  connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
  connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
  connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
  connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
  connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });

  auto* openKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
  connect(openKey, &QShortcut::activated, this, [this] { openListsFromFile(); });
  auto* plannerKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
  connect(plannerKey, &QShortcut::activated, this, [this] {
    if (host_) host_->openPlanner();
  });

  // Keyboard order: the five fields, the category, the visible list, then the buttons.
  QWidget* order[] = {txtName,     txtLikes,    txtPresent,  intCost,     txtEmail,
                      Combo1,      ListView1,   ListView2,   ListView3,   ListView4,
                      PushButton1, PushButton4, PushButton3, PushButton5, PushButton6};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  // The first field of the order has the focus when the window first appears.
  txtName->setFocus();
}

QString MainWindow::homePage() {
  return QStringLiteral("https://tinselwick.example/");
}

bool MainWindow::Form_Load() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
  trap(100, [&] { ApplySkin(this); });
  trap(102, [&] { setWindowTitle(QStringLiteral("Tinselwick")); });
  trap(104, [&] { setWindowIcon(QIcon(QStringLiteral(":/tinselwick.svg"))); });
  trap(106, [&] { SetApplicationTitle(); });
  trap(108, [&] { setUpdatesEnabled(false); });
  bool handFound = true;
  trap(110, [&] { handFound = FileExists(programFolder() + QStringLiteral("/HAND-M.CUR")); });
  if (handFound) trap(112, [&] { pointer_.setHand(loadHandCursor()); });
  trap(114, [&] {
    RandomSource& random = randomSource();
    random.randomize();
    const int draw = static_cast<int>(100 * random.next()) + 1;
    if (draw == 7) urlLauncher().open(homePage());
  });
  trap(116, [&] {
    for (int i = 0; i < kCategoryCount; ++i) Combo1->addItem(categoryName(i));
  });
  trap(118, [&] {
    ListView2->hide();
    ListView3->hide();
    ListView4->hide();
  });
  trap(120, [&] { listViewTemp = &book_.list(0); });
  trap(122, [&] {
    setUpdatesEnabled(true);
    update();
  });
  trap(124, [&] {
    for (QTreeView* v : views_)
      for (int c = 0; c < GiftEntry::kFieldCount; ++c)
        v->setColumnWidth(c, px(kColumnWidthsTwips[static_cast<size_t>(c)]));
  });
  book_.restore(trap, 126);
  trap(136, [&] {
    Combo1->setCurrentIndex(0);
    Combo1_Click();
  });
  bool hostAvailable = true;
  trap(138, [&] { hostAvailable = report::CheckExcelInstalled(); });
  return hostAvailable;
}

int MainWindow::currentCategory() const {
  for (int i = 0; i < kCategoryCount; ++i)
    if (&book_.list(i) == listViewTemp) return i;
  return 0;
}

QTreeView* MainWindow::currentView() const {
  return views_[static_cast<size_t>(currentCategory())];
}

void MainWindow::ClearEntryFields() {
  txtName->setText(QString());
  txtLikes->setText(QString());
  txtPresent->setText(QString());
  intCost->setText(QString());
  txtEmail->setText(QString());
}

GiftEntry MainWindow::fields() const {
  return {txtName->text(), txtLikes->text(), txtPresent->text(), intCost->text(), txtEmail->text()};
}

void MainWindow::setFields(const GiftEntry& e) {
  txtName->setText(e.name);
  txtLikes->setText(e.likes);
  txtPresent->setText(e.present);
  intCost->setText(e.cost);
  txtEmail->setText(e.email);
}

void MainWindow::Combo1_Click() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("Combo1_Click")};
  trap(100, [&] { currentView()->hide(); });
  trap(102, [&] {
    const int chosen = categoryIndex(Combo1->currentText());
    if (chosen >= 0) listViewTemp = &book_.list(chosen);
  });
  trap(104, [&] { currentView()->show(); });
  trap(106, [&] { ClearEntryFields(); });
}

void MainWindow::PushButton4_Click() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("PushButton4_Click")};
  SaveResult result{SaveOutcome::Updated, QString(), false};
  bool saved = false;
  trap(100, [&] {
    result = saveGiftEntry(currentList(), fields());
    saved = true;
  });
  if (!saved) return;
  if (!result.message.isEmpty()) trap(102, [&] { MsgBox(result.message, msg::OkOnly); });
  if (result.clearFields) trap(104, [&] { ClearEntryFields(); });
}

void MainWindow::PushButton3_Click() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("PushButton3_Click")};
  bool empty = true;  // a failing test leaves the handler, as an empty list does
  trap(100, [&] { empty = currentList().count() == 0; });
  if (empty) return;
  trap(102, [&] {
    const QModelIndexList rows = currentView()->selectionModel()->selectedRows();
    if (rows.isEmpty()) fail(QStringLiteral("No gift entry is selected."));
    currentList().removeAt(rows.first().row() + 1);
  });
  trap(104, [&] { ClearEntryFields(); });
}

void MainWindow::ListView_Click() {
  if (currentList().count() == 0) return;
  const QModelIndexList rows = currentView()->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  setFields(currentList().at(rows.first().row() + 1));
}

void MainWindow::PushButton5_Click() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("PushButton5_Click")};
  trap(100, [&] { ClearEntryFields(); });
  int answer = msg::No;
  trap(102,
       [&] { answer = MsgBox(QStringLiteral("Would you like to clear gift list?"), msg::YesNo); });
  // The list the user sees is the one cleared; the other lists stay.
  if (answer == msg::Yes) trap(104, [&] { currentList().clear(); });
}

void MainWindow::PushButton6_Click() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("PushButton6_Click")};
  const auto& samples = sampleEntries();
  trap(100, [&] { setFields(samples[0]); });
  trap(102, [&] { PushButton4_Click(); });
  trap(104, [&] { setFields(samples[1]); });
  trap(106, [&] { PushButton4_Click(); });
  trap(108, [&] { setFields(samples[2]); });
}

std::unique_ptr<QMenu> MainWindow::listMenu(int row) {
  auto menu = std::make_unique<QMenu>(this);
  const GiftListModel& list = currentList();
  const bool entry = planner_ && row >= 0 && row < list.count();
  const int category = currentCategory();
  for (GiftStatus s : kStatuses) {
    QString text = QStringLiteral("Mark as ") + statusText(s);
    // "To Buy" in the menu, as the other three read.
    if (s == GiftStatus::ToBuy) text = QStringLiteral("Mark as To Buy");
    QAction* action = menu->addAction(text);
    action->setCheckable(true);
    action->setEnabled(entry);
    if (entry) {
      action->setChecked(planner_->status(category, list.at(row + 1).name) == s);
      connect(action, &QAction::triggered, this, [this, row, s] { markEntry(row, s); });
    }
  }
  menu->addSeparator();
  QAction* planner = menu->addAction(QStringLiteral("Planner\u2026"));
  planner->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  connect(planner, &QAction::triggered, this, [this] {
    if (host_) host_->openPlanner();
  });
  menu->addSeparator();
  QAction* csv = menu->addAction(QStringLiteral("Export Lists as CSV\u2026"));
  connect(csv, &QAction::triggered, this, [this] { exportListsCsv(); });
  QAction* open = menu->addAction(QStringLiteral("Open Lists From File\u2026"));
  open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  open->setEnabled(planner_ != nullptr);
  connect(open, &QAction::triggered, this, [this] { openListsFromFile(); });
  return menu;
}

void MainWindow::markEntry(int row, GiftStatus status) {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("mnuMark_Click")};
  trap(100, [&] {
    if (!planner_) fail(QStringLiteral("The planner is not available."));
    planner_->setStatus(currentCategory(), currentList().at(row + 1).name, status);
  });
}

void MainWindow::exportListsCsv() {
  Trap trap{QStringLiteral("Form1"), QStringLiteral("mnuExportCsv_Click")};
  const QString chosen =
      chooseExportFile(trap, 100, QStringLiteral("Export Lists as CSV"),
                       QStringLiteral("CSV Files (*.csv)|*.csv|"), QStringLiteral(".csv"));
  if (chosen.isEmpty()) return;
  const bool written = trap(106, [&] {
    writeNaming(QStringLiteral("the CSV file"), [&] {
      writeFileAtomically(chosen, listsAsCsv(book_, planner_), FileAccess::Usual);
    });
  });
  if (written) trap(108, [&] { MsgBox(QStringLiteral("Done.")); });
}

void MainWindow::openListsFromFile() {
  if (!planner_) return;
  Trap trap{QStringLiteral("Form1"), QStringLiteral("mnuOpenLists_Click")};
  QString path;
  trap(100, [&] {
    path = prompts().openFileName(
        QStringLiteral("Open Lists From File"),
        QStringLiteral("Gift Lists (*.xls *.xlsx *.csv)|*.xls;*.xlsx;*.csv|All Files (*)|*|"));
  });
  if (path.isEmpty()) return;
  const QString name = QFileInfo(path).fileName();
  // A file that is no report or CSV of the lists is the person's to know about, not a fault of
  // the program: it is said plainly, and nothing changes.
  ImportedLists lists;
  try {
    lists = readListsFile(path);
  } catch (const Failure& failure) {
    MsgBox(QString::fromUtf8(failure.what()), msg::Exclamation);
    return;
  }
  if (lists.count() == 0) {
    MsgBox(QStringLiteral("\"%1\" holds no entry that can be taken; the lists stay as they are.%2")
               .arg(name, leftOutText(lists)),
           msg::Exclamation);
    return;
  }
  bool anyEntry = false;
  for (int c = 0; c < kCategoryCount; ++c) anyEntry = anyEntry || book_.list(c).count() > 0;
  const QString season = planner_->seasonNameBeforeOpening(name);
  const QString question =
      QStringLiteral("Replace the four lists with the %1 %2 of \"%3\"?")
          .arg(lists.count())
          .arg(lists.count() == 1 ? QStringLiteral("entry") : QStringLiteral("entries"), name) +
      (anyEntry ? QStringLiteral("\n\nThe lists as they are now are kept first in the planner, as "
                                 "the season \"%1\".")
                      .arg(season)
                : QString()) +
      leftOutText(lists);
  if (MsgBox(question, msg::YesNo + msg::DefaultButton2) != msg::Yes) return;
  try {
    if (const QString unstored = planner_->openLists(lists, season); !unstored.isEmpty())
      MsgBox(unstored + QStringLiteral("\n\nTinselwick stores them again when its window closes."),
             msg::Exclamation);
  } catch (const Failure& failure) {
    MsgBox(QStringLiteral("The lists of \"%1\" were not opened. %2")
               .arg(name, QString::fromUtf8(failure.what())),
           msg::Exclamation);
  }
}

void MainWindow::showListMenu(QTreeView* view, const QPoint& at) {
  // The row under the pointer; from the keyboard, the selected one.
  QModelIndex index = at.x() >= 0 ? view->indexAt(at) : QModelIndex();
  if (index.isValid()) {
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else {
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    index = rows.isEmpty() ? view->currentIndex() : rows.first();
  }
  const QPoint where = at.x() >= 0 && view->indexAt(at).isValid() ? at
                       : index.isValid()                          ? view->visualRect(index).center()
                                                                  : QPoint(8, 8);
  listMenu(index.isValid() ? index.row() : -1)->exec(view->viewport()->mapToGlobal(where));
}

bool MainWindow::Form_QueryUnload() {
  return book_.storeBeforeClosing();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    // Lists that could not be stored keep the window open, unless the person chose to lose them.
    if (!Form_QueryUnload()) {
      event->ignore();
      return;
    }
    closing_ = true;
  }
  event->accept();
  // Closing the main window ends the program at once; no other window gets a close request.
  if (host_)
    host_->endProgram();
  else
    QCoreApplication::quit();
}

void MainWindow::setPointer(Pointer p) {
  pointer_.set(p);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::ContextMenu &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
    // From the keyboard the menu is for the selected entry, wherever the pointer is.
    for (QTreeView* v : views_)
      if (watched == v || watched == v->viewport()) {
        showListMenu(v, QPoint(-1, -1));
        return true;
      }
  }
  if (type == QEvent::FocusIn) {
    if (auto* e = qobject_cast<QLineEdit*>(watched)) {
      // The whole text is selected on focus, so typing replaces it.
      QTimer::singleShot(0, e, [e] { e->selectAll(); });
    }
  } else if (type == QEvent::Enter || type == QEvent::MouseMove) {
    // Only the widget right under the mouse decides: a window or frame also gets the enter (and
    // an unhandled move) of its children, which must not count as a move over its own area.
    auto* widget = static_cast<QWidget*>(watched);
    const QPoint at = static_cast<QSinglePointEvent*>(event)->position().toPoint();
    const bool overChild = widget->childAt(at) != nullptr;
    if (pointer() != Pointer::Hourglass && !overChild) {
      QObject* target = watched;
      for (QTreeView* v : views_)
        if (watched == v->viewport()) target = v;
      if (qobject_cast<QPushButton*>(target)) {
        setPointer(Pointer::Custom);
      } else if (target == this || target == Frame5 || target == txtName || target == txtLikes ||
                 target == txtPresent || target == intCost || qobject_cast<QTreeView*>(target)) {
        setPointer(Pointer::Default);
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}
