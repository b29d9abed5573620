#pragma once
// The planner window "Tinselwick Planner": a budget per list with what it has spent and has
// left, the count of gifts in each status, every entry with its status and what the same person
// got in earlier seasons, and the kept seasons. It edits no gift field; the main window does.
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "planner/season.h"

class Planner;
class PlannerEntriesModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTreeWidget;

class PlannerWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit PlannerWindow(Planner& planner, QWidget* parent = nullptr);
  ~PlannerWindow() override;

  // The question of "Start a New Season…": the season's name the person confirmed, or nothing
  // for No. The default asks in a dialog; tests answer it themselves.
  using SeasonQuestion = std::function<std::optional<QString>(const QString& proposed)>;
  void setSeasonQuestion(SeasonQuestion question) { askSeason_ = std::move(question); }

  void startNewSeason();                // "Start a New Season…"
  void openSeasonWorkbook();            // "Open Workbook" of the chosen kept season
  void exportSeasonPdf();               // "Export as PDF…" of the chosen kept season
  void markCurrent(GiftStatus status);  // "Mark as …" of the entries table's current row

  QLineEdit* budgetField(int category) const { return budgets_[size_t(category)]; }
  // Spent, Left and the status counts of a list (0..3) or of all lists (4).
  QLabel* spentLabel(int line) const { return spent_[size_t(line)]; }
  QLabel* leftLabel(int line) const { return left_[size_t(line)]; }
  QLabel* countLabel(int line, GiftStatus status) const {
    return counts_[size_t(line)][size_t(status)];
  }
  QLineEdit* findField() const { return find_; }
  QTableView* entriesView() const { return entries_; }
  QSortFilterProxyModel* entriesShown() const { return shown_; }
  QTreeWidget* seasonsView() const { return seasons_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void follow();
  void showBudgets();
  void showSeasons();
  void budgetEdited(int category);
  void showEntryMenu(const QPoint& at);
  const KeptSeason* chosenSeason() const;
  std::optional<QString> askSeasonName(const QString& proposed);

  Planner& planner_;
  PlannerEntriesModel* model_ = nullptr;
  QSortFilterProxyModel* shown_ = nullptr;
  std::array<QLineEdit*, kCategoryCount> budgets_{};
  std::array<QLabel*, kCategoryCount + 1> spent_{};
  std::array<QLabel*, kCategoryCount + 1> left_{};
  std::array<std::array<QLabel*, kStatusCount>, kCategoryCount + 1> counts_{};
  QLineEdit* find_ = nullptr;
  QTableView* entries_ = nullptr;
  QTreeWidget* seasons_ = nullptr;
  QPushButton* openWorkbook_ = nullptr;
  QPushButton* exportPdf_ = nullptr;
  QPushButton* newSeason_ = nullptr;
  SeasonQuestion askSeason_;
  bool editingBudget_ = false;
  size_t shownSeasons_ = size_t(-1);  // how many kept seasons the list shows
};
