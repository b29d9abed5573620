#include "windows/plannerwindow.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

#include "base/failure.h"
#include "base/files.h"
#include "base/prompts.h"
#include "base/services.h"
#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "planner/planner.h"
#include "report/printing.h"
#include "report/reporttotal.h"
#include "report/reportworkbook.h"
#include "windows/exportfile.h"
#include "windows/plannercolors.h"
#include "windows/plannermodel.h"

namespace {

const QString kModule = QStringLiteral("Planner");
constexpr int kAllLists = kCategoryCount;
const QString kDash = QStringLiteral("\u2014");

// The status column is edited with a choice of the four statuses, taken as soon as one is chosen.
class StatusDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* box = new QComboBox(parent);
    box->setAccessibleName(QStringLiteral("Status"));
    for (GiftStatus s : kStatuses) box->addItem(statusText(s));
    connect(box, &QComboBox::activated, this, [this, box] {
      auto* self = const_cast<StatusDelegate*>(this);
      emit self->commitData(box);
      emit self->closeEditor(box);
    });
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(Qt::EditRole).toInt());
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    model->setData(index, static_cast<QComboBox*>(editor)->currentIndex(), Qt::EditRole);
  }
};

// Sorts amounts as amounts; everything else as text.
class ShownEntries final : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
    if (left.column() == PlannerEntriesModel::CostColumn) {
      const QVariant a = left.data(PlannerEntriesModel::AmountRole);
      const QVariant b = right.data(PlannerEntriesModel::AmountRole);
      if (a.isValid() && b.isValid()) return a.toDouble() < b.toDouble();
      if (a.isValid() || b.isValid()) return b.isValid();  // text costs come first
    }
    if (left.column() == PlannerEntriesModel::ListColumn) {
      // The lists in their own order, and each list's entries in theirs.
      const auto key = [](const QModelIndex& i) {
        return std::pair{i.data(PlannerEntriesModel::CategoryRole).toInt(),
                         i.data(PlannerEntriesModel::PositionRole).toInt()};
      };
      return key(left) < key(right);
    }
    if (left.column() == PlannerEntriesModel::StatusColumn)
      return left.data(Qt::EditRole).toInt() < right.data(Qt::EditRole).toInt();
    return QString::localeAwareCompare(left.data().toString(), right.data().toString()) < 0;
  }
};

QLabel* valueLabel(QWidget* parent, const QString& accessibleName) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setAccessibleName(accessibleName);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  label->setFocusPolicy(Qt::NoFocus);
  return label;
}

QString budgetText(double amount) {
  return QLocale().toString(amount, 'f', 2);
}

// A budget typed in the user's locale, with or without "$"; nothing for an empty field.
std::optional<double> readBudget(const QString& typed, bool& ok) {
  QString text = typed;
  text.remove(QChar(u'$'));
  text = text.trimmed();
  ok = true;
  if (text.isEmpty()) return std::nullopt;
  const double value = QLocale().toDouble(text, &ok);
  ok = ok && std::isfinite(value) && value >= 0;
  return value;
}

}  // namespace

PlannerWindow::PlannerWindow(Planner& planner, QWidget* parent)
    : QWidget(parent, Qt::Window), planner_(planner) {
  setObjectName(QStringLiteral("PlannerWindow"));
  setWindowTitle(QStringLiteral("Tinselwick Planner"));
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* layout = new QVBoxLayout(this);

  // Budgets: one line per list and one for all.
  auto* budgetsBox = new QGroupBox(QStringLiteral("Budgets"), this);
  auto* grid = new QGridLayout(budgetsBox);
  const QStringList headings = {QStringLiteral("List"),          QStringLiteral("Budget"),
                                QStringLiteral("Spent"),         QStringLiteral("Left"),
                                statusText(GiftStatus::ToBuy),   statusText(GiftStatus::Bought),
                                statusText(GiftStatus::Wrapped), statusText(GiftStatus::Given)};
  for (int c = 0; c < headings.size(); ++c) {
    auto* heading = new QLabel(QStringLiteral("<b>%1</b>").arg(headings[c]), budgetsBox);
    heading->setAlignment(c <= 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                 : Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(heading, 0, c);
  }
  for (int line = 0; line <= kAllLists; ++line) {
    const QString name = line < kAllLists ? categoryName(line) : QStringLiteral("All lists");
    auto* label = new QLabel(name, budgetsBox);
    grid->addWidget(label, line + 1, 0);
    if (line < kAllLists) {
      auto* field = new QLineEdit(budgetsBox);
      field->setAccessibleName(QStringLiteral("Budget for ") + name);
      field->setPlaceholderText(QStringLiteral("no budget"));
      field->setAlignment(Qt::AlignRight);
      field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16);
      label->setBuddy(field);
      connect(field, &QLineEdit::editingFinished, this, [this, line] { budgetEdited(line); });
      budgets_[size_t(line)] = field;
      grid->addWidget(field, line + 1, 1);
    } else {
      auto* total = valueLabel(budgetsBox, QStringLiteral("Budget for all lists"));
      total->setObjectName(QStringLiteral("allBudget"));
      grid->addWidget(total, line + 1, 1);
    }
    spent_[size_t(line)] = valueLabel(budgetsBox, QStringLiteral("Spent for ") + name);
    left_[size_t(line)] = valueLabel(budgetsBox, QStringLiteral("Left for ") + name);
    grid->addWidget(spent_[size_t(line)], line + 1, 2);
    grid->addWidget(left_[size_t(line)], line + 1, 3);
    for (GiftStatus s : kStatuses) {
      QLabel*& count = counts_[size_t(line)][size_t(s)];
      count = valueLabel(budgetsBox, QStringLiteral("%1 in %2").arg(statusText(s), name));
      grid->addWidget(count, line + 1, 4 + static_cast<int>(s));
    }
  }
  grid->setColumnStretch(static_cast<int>(headings.size()), 1);
  layout->addWidget(budgetsBox);

  // Every entry, with a "Find" field above.
  auto* findRow = new QHBoxLayout;
  auto* findLabel = new QLabel(QStringLiteral("&Find:"), this);
  find_ = new QLineEdit(this);
  find_->setAccessibleName(QStringLiteral("Find"));
  find_->setPlaceholderText(QStringLiteral("name, likes, present or e-mail"));
  find_->setClearButtonEnabled(true);
  findLabel->setBuddy(find_);
  findRow->addWidget(findLabel);
  findRow->addWidget(find_, 1);
  layout->addLayout(findRow);

  model_ = new PlannerEntriesModel(planner_, this);
  shown_ = new ShownEntries(this);
  shown_->setSourceModel(model_);
  shown_->setFilterRole(PlannerEntriesModel::FindRole);
  shown_->setFilterKeyColumn(0);
  shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);
  connect(find_, &QLineEdit::textChanged, shown_, &QSortFilterProxyModel::setFilterFixedString);
  entries_ = new QTableView(this);
  entries_->setObjectName(QStringLiteral("PlannerEntries"));
  entries_->setAccessibleName(QStringLiteral("Entries"));
  entries_->setModel(shown_);
  entries_->setSortingEnabled(true);
  entries_->sortByColumn(PlannerEntriesModel::ListColumn, Qt::AscendingOrder);
  entries_->setSelectionBehavior(QAbstractItemView::SelectRows);
  entries_->setSelectionMode(QAbstractItemView::SingleSelection);
  entries_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::SelectedClicked);
  entries_->setItemDelegateForColumn(PlannerEntriesModel::StatusColumn,
                                     new StatusDelegate(entries_));
  entries_->setTabKeyNavigation(false);
  entries_->verticalHeader()->hide();
  entries_->verticalHeader()->setDefaultSectionSize(entries_->fontMetrics().height() + 8);
  entries_->horizontalHeader()->setStretchLastSection(true);
  entries_->setWordWrap(false);
  entries_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(entries_, &QWidget::customContextMenuRequested, this, &PlannerWindow::showEntryMenu);
  entries_->installEventFilter(this);
  layout->addWidget(entries_, 1);

  // The kept seasons.
  auto* seasonsBox = new QGroupBox(QStringLiteral("Kept seasons"), this);
  auto* seasonsLayout = new QVBoxLayout(seasonsBox);
  seasons_ = new QTreeWidget(seasonsBox);
  seasons_->setAccessibleName(QStringLiteral("Kept seasons"));
  seasons_->setRootIsDecorated(false);
  seasons_->setAllColumnsShowFocus(true);
  QStringList seasonHeadings = {QStringLiteral("Season"), QStringLiteral("Entries")};
  for (int c = 0; c < kCategoryCount; ++c) seasonHeadings << categoryName(c);
  seasonHeadings << QStringLiteral("All lists");
  seasons_->setHeaderLabels(seasonHeadings);
  seasons_->setMaximumHeight(seasons_->fontMetrics().height() * 6);
  seasonsLayout->addWidget(seasons_);
  auto* buttons = new QHBoxLayout;
  openWorkbook_ = new QPushButton(QStringLiteral("&Open Workbook"), seasonsBox);
  exportPdf_ = new QPushButton(QStringLiteral("&Export as PDF\u2026"), seasonsBox);
  newSeason_ = new QPushButton(QStringLiteral("Start a &New Season\u2026"), seasonsBox);
  buttons->addWidget(openWorkbook_);
  buttons->addWidget(exportPdf_);
  buttons->addStretch(1);
  buttons->addWidget(newSeason_);
  seasonsLayout->addLayout(buttons);
  layout->addWidget(seasonsBox);
  connect(openWorkbook_, &QPushButton::clicked, this, &PlannerWindow::openSeasonWorkbook);
  connect(exportPdf_, &QPushButton::clicked, this, &PlannerWindow::exportSeasonPdf);
  connect(newSeason_, &QPushButton::clicked, this, &PlannerWindow::startNewSeason);
  connect(seasons_, &QTreeWidget::currentItemChanged, this, [this] {
    openWorkbook_->setEnabled(chosenSeason() != nullptr);
    exportPdf_->setEnabled(chosenSeason() != nullptr);
  });

  // The columns fit the entries when the entries are others, not at every status or budget.
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    for (int c = 0; c < PlannerEntriesModel::kColumnCount - 1; ++c)
      entries_->resizeColumnToContents(c);
  });
  connect(&planner_, &Planner::changed, this, &PlannerWindow::follow);
  connect(&planner_, &Planner::statusChanged, this, [this](int category, const QString& name) {
    model_->followStatus(category, name);
    showBudgets();
  });
  follow();
  for (int c = 0; c < PlannerEntriesModel::kColumnCount - 1; ++c)
    entries_->resizeColumnToContents(c);
  resize(880, 640);
}

PlannerWindow::~PlannerWindow() = default;

void PlannerWindow::follow() {
  model_->follow();
  showBudgets();
  showSeasons();
  for (int c = 0; c < PlannerEntriesModel::kColumnCount - 1; ++c)
    entries_->resizeColumnToContents(c);
}

void PlannerWindow::showBudgets() {
  const QPalette& palette = this->palette();
  const report::ReportTotals spentOf = planner_.spent();
  // All lists: the budgets there are, what all lists spent, and what is left of the budgets
  // by the lists that have one.
  std::optional<double> budgetAll;
  report::ReportTotal spentAll;
  report::ReportTotal spentBudgeted;
  std::array<int, kStatusCount> countsAll{};
  for (int c = 0; c < kCategoryCount; ++c) {
    const std::optional<double> budget = planner_.data().budgets[size_t(c)];
    const report::ReportTotal& spent = spentOf[size_t(c)];
    for (report::ReportTotal* sum : {&spentAll, budget ? &spentBudgeted : nullptr}) {
      if (!sum) continue;
      sum->value += spent.value;
      if (spent.isError() && !sum->isError()) sum->error = spent.error;
    }
    if (budget) budgetAll = budgetAll.value_or(0) + *budget;
  }
  for (int line = 0; line <= kAllLists; ++line) {
    std::optional<double> budget;
    report::ReportTotal spent;
    report::ReportTotal counted;  // what the budget is spent by
    std::array<int, kStatusCount> counts{};
    if (line < kAllLists) {
      budget = planner_.data().budgets[size_t(line)];
      spent = counted = spentOf[size_t(line)];
      counts = planner_.statusCounts(line);
      for (int s = 0; s < kStatusCount; ++s) countsAll[size_t(s)] += counts[size_t(s)];
      QLineEdit* field = budgets_[size_t(line)];
      if (!field->hasFocus() || !field->isModified())
        field->setText(budget ? budgetText(*budget) : QString());
    } else {
      budget = budgetAll;
      spent = spentAll;
      counted = spentBudgeted;
      counts = countsAll;
      findChild<QLabel*>(QStringLiteral("allBudget"))
          ->setText(budget ? report::currencyText(*budget) : kDash);
    }
    spent_[size_t(line)]->setText(report::currencyText(spent));
    QLabel* left = left_[size_t(line)];
    if (!budget) {
      left->setText(kDash);
      left->setStyleSheet(QString());
    } else if (counted.isError()) {
      left->setText(counted.error);
      left->setStyleSheet(QString());
    } else {
      const double remaining = Planner::left(*budget, counted.value);
      left->setText(report::currencyText(remaining));
      // Over budget: red, and the amount negative.
      left->setStyleSheet(remaining < 0 ? QStringLiteral("color: %1; font-weight: bold;")
                                              .arg(plannerOverColor(palette).name())
                                        : QString());
    }
    for (int s = 0; s < kStatusCount; ++s)
      counts_[size_t(line)][size_t(s)]->setText(QString::number(counts[size_t(s)]));
  }
}

void PlannerWindow::showSeasons() {
  const QString chosen = chosenSeason() ? chosenSeason()->name : QString();
  seasons_->clear();
  const auto& kept = planner_.data().seasons;
  for (auto season = kept.rbegin(); season != kept.rend(); ++season) {
    QStringList texts = {season->name};
    int entries = 0;
    double all = 0;
    QString error;
    QStringList spent;
    const report::ReportTotals totals = Planner::spent(*season);
    for (int c = 0; c < kCategoryCount; ++c) {
      entries += static_cast<int>(season->lists[size_t(c)].size());
      const report::ReportTotal& total = totals[size_t(c)];
      if (total.isError() && error.isEmpty()) error = total.error;
      all += total.value;
      spent << report::currencyText(total);
    }
    texts << QString::number(entries) << spent
          << (error.isEmpty() ? report::currencyText(all) : error);
    auto* item = new QTreeWidgetItem(seasons_, texts);
    item->setData(0, Qt::UserRole, season->name);
    for (int c = 1; c < texts.size(); ++c)
      item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    if (season->name == chosen) seasons_->setCurrentItem(item);
  }
  if (!seasons_->currentItem() && seasons_->topLevelItemCount() > 0)
    seasons_->setCurrentItem(seasons_->topLevelItem(0));
  for (int c = 0; c < seasons_->columnCount(); ++c) seasons_->resizeColumnToContents(c);
  openWorkbook_->setEnabled(chosenSeason() != nullptr);
  exportPdf_->setEnabled(chosenSeason() != nullptr);
  shownSeasons_ = kept.size();
}

const KeptSeason* PlannerWindow::chosenSeason() const {
  const QTreeWidgetItem* item = seasons_->currentItem();
  if (!item) return nullptr;
  const QString name = item->data(0, Qt::UserRole).toString();
  for (const KeptSeason& season : planner_.data().seasons)
    if (season.name == name) return &season;
  return nullptr;
}

void PlannerWindow::budgetEdited(int category) {
  if (editingBudget_) return;  // the message below takes the focus and ends the editing again
  editingBudget_ = true;
  QLineEdit* field = budgets_[size_t(category)];
  Trap trap{kModule, QStringLiteral("Budget_Change")};
  bool ok = true;
  const std::optional<double> budget = readBudget(field->text(), ok);
  if (!ok) {
    trap(100, [&] {
      MsgBox(QStringLiteral("A budget is an amount of 0 or more, such as %1. Leave the field "
                            "empty for no budget.")
                 .arg(budgetText(150.5)),
             msg::Exclamation);
    });
  } else {
    trap(102, [&] { planner_.setBudget(category, budget); });
  }
  field->setModified(false);
  const auto stored = planner_.data().budgets[size_t(category)];
  field->setText(stored ? budgetText(*stored) : QString());
  editingBudget_ = false;
}

void PlannerWindow::markCurrent(GiftStatus status) {
  const QModelIndex current = entries_->currentIndex();
  if (!current.isValid()) return;
  shown_->setData(current.siblingAtColumn(PlannerEntriesModel::StatusColumn),
                  static_cast<int>(status), Qt::EditRole);
}

void PlannerWindow::showEntryMenu(const QPoint& at) {
  // The row under the pointer; from the keyboard (no point), the current one.
  QModelIndex row = at.x() >= 0 ? entries_->indexAt(at) : QModelIndex();
  const bool underPointer = row.isValid();
  if (underPointer) entries_->setCurrentIndex(row);
  row = entries_->currentIndex();
  if (!row.isValid()) return;
  const int current =
      row.siblingAtColumn(PlannerEntriesModel::StatusColumn).data(Qt::EditRole).toInt();
  QMenu menu(this);
  for (GiftStatus s : kStatuses) {
    // "To Buy" in the menu, as the lists' menu of the main window has it.
    QAction* action =
        menu.addAction(s == GiftStatus::ToBuy ? QStringLiteral("Mark as To Buy")
                                              : QStringLiteral("Mark as ") + statusText(s));
    action->setCheckable(true);
    action->setChecked(static_cast<int>(s) == current);
    connect(action, &QAction::triggered, this, [this, s] { markCurrent(s); });
  }
  const QPoint where = underPointer ? at : entries_->visualRect(row).center();
  menu.exec(entries_->viewport()->mapToGlobal(where));
}

std::optional<QString> PlannerWindow::askSeasonName(const QString& proposed) {
  if (askSeason_) return askSeason_(proposed);
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Start a New Season"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* text = new QLabel(
      QStringLiteral("Keep this season whole (its four lists, statuses, budgets and its report "
                     "workbook) and start a new one?\n\nEvery entry keeps its name, likes and "
                     "e-mail address; its present, cost and status are cleared. Budgets stay."),
      &dialog);
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* form = new QFormLayout;
  auto* name = new QLineEdit(proposed, &dialog);
  name->setAccessibleName(QStringLiteral("Season"));
  form->addRow(QStringLiteral("&Season:"), name);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, &dialog);
  buttons->button(QDialogButtonBox::No)->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  name->selectAll();
  name->setFocus();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return name->text();
}

void PlannerWindow::startNewSeason() {
  Trap trap{kModule, QStringLiteral("NewSeason_Click")};
  QString proposed = QString::number(QDate::currentDate().year());
  for (int n = 2; !planner_.seasonNameRefusal(proposed).isEmpty() && n < 100; ++n)
    proposed = QStringLiteral("%1 (%2)").arg(QDate::currentDate().year()).arg(n);
  // The name is asked again until it can name a season, or the person says No.
  for (;;) {
    std::optional<QString> name;
    trap(100, [&] { name = askSeasonName(proposed); });
    if (!name) return;
    const QString refusal = planner_.seasonNameRefusal(*name);
    if (refusal.isEmpty()) {
      trap(102, [&] { planner_.startNewSeason(*name); });
      return;
    }
    trap(104, [&] { MsgBox(refusal, msg::Exclamation); });
    if (askSeason_) return;  // a scripted answer is not asked again
    proposed = *name;
  }
}

void PlannerWindow::openSeasonWorkbook() {
  Trap trap{kModule, QStringLiteral("OpenWorkbook_Click")};
  trap(100, [&] {
    const KeptSeason* season = chosenSeason();
    if (!season) fail(QStringLiteral("Choose a kept season first."));
    const QString path = planner_.seasonWorkbook(*season);
    report::requireReportWorkbook(path, QStringLiteral("open"));
    urlLauncher().open(QUrl::fromLocalFile(path).toString());
  });
}

void PlannerWindow::exportSeasonPdf() {
  Trap trap{kModule, QStringLiteral("ExportPdf_Click")};
  QString workbook;
  QString proposed;
  bool ready = trap(100, [&] {
    const KeptSeason* season = chosenSeason();
    if (!season) fail(QStringLiteral("Choose a kept season first."));
    workbook = planner_.seasonWorkbook(*season);
    report::requireReportWorkbook(workbook, QStringLiteral("export"));
    QString name = season->name;  // a name of the planner file, made a plain file name
    for (QChar& ch : name)
      if (ch == u'/' || ch == u'\\' || ch.category() == QChar::Other_Control) ch = u'_';
    proposed = QStringLiteral("Tinselwick %1.pdf").arg(name);
  });
  if (!ready) return;
  const QString chosen = chooseExportFile(trap, 102, QStringLiteral("Export as PDF"),
                                          QStringLiteral("PDF Files (*.pdf)|*.pdf|"),
                                          QStringLiteral(".pdf"), proposed);
  if (chosen.isEmpty()) return;
  const bool written = trap(108, [&] {
    writeNaming(QStringLiteral("the PDF"), [&] {
      writeFileAtomically(chosen, report::reportPdf(workbook), FileAccess::Usual);
    });
  });
  if (written) trap(110, [&] { MsgBox(QStringLiteral("Done.")); });
}

bool PlannerWindow::eventFilter(QObject* watched, QEvent* event) {
  // The Menu key opens the row menu over the current row, wherever the pointer is.
  if (watched == entries_ && event->type() == QEvent::ContextMenu &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
    showEntryMenu(QPoint(-1, -1));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void PlannerWindow::keyPressEvent(QKeyEvent* event) {
  // Escape closes the planner, once the field or editor that had it has let it go.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PlannerWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) {
    shownSeasons_ = size_t(-1);  // the colours of everything shown
    follow();
  }
  QWidget::changeEvent(event);
}
