#pragma once
// The main window: the gift entry fields, the category choice, one list per category, and the
// buttons that save, delete, reset, load the samples and start the report. It shows the gift
// book's lists; the program around it runs the report and ends the program.
#include <QCursor>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "giftlist/giftbook.h"
#include "planner/season.h"
#include "windows/pointer.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class Planner;
class QPushButton;
class QTreeView;

// What the main window asks of the program around it. The owner installs it with setHost().
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // The report run of "Start Creating Template" (its steps 100..210), with the hand-over to the
  // preview.
  virtual void generateReport() = 0;
  // Ends the program.
  virtual void endProgram() = 0;
  // Shows the planner window (Ctrl+B, "Planner…").
  virtual void openPlanner() {}
};

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MainWindow(GiftBook& book, QWidget* parent = nullptr);
  ~MainWindow() override;

  void setHost(MainWindowHost* host) { host_ = host; }
  // The planner whose statuses the lists' context menu marks; none: the marks are unavailable.
  void setPlanner(Planner* planner) { planner_ = planner; }

  // The context menu of the current list for its 0-based row (-1: no entry): "Mark as To Buy",
  // "Mark as Bought", "Mark as Wrapped", "Mark as Given" (the entry's status checked) and
  // "Planner…", then "Export Lists as CSV…" and "Open Lists From File…". The caller shows it; its
  // actions act on that row.
  std::unique_ptr<QMenu> listMenu(int row);
  // Marks the entry at a 0-based row of the current list.
  void markEntry(int row, GiftStatus status);
  // "Export Lists as CSV…": the four lists, with their statuses, as a CSV file.
  void exportListsCsv();
  // "Open Lists From File…" (Ctrl+O): the four lists replaced by those of a report workbook or a
  // CSV file, after the person agreed; the lists as they were are kept in the planner first.
  void openListsFromFile();

  // The start-up (steps 1..15). Returns false when the program must end without showing the
  // window (no spreadsheet host).
  bool Form_Load();

  // Event handlers, callable directly (tests, the sample fill).
  void Combo1_Click();
  void PushButton1_Click();  // Start Creating Template
  void PushButton3_Click();  // Delete Selected Gift Entry
  void PushButton4_Click();  // Save Gift Entry
  void PushButton5_Click();  // Clear/Reset Data
  void PushButton6_Click();  // Load Sample/Example Data
  void ListView_Click();     // a click in the current list
  // Stores every list; false when they could not be and the window is to stay open.
  bool Form_QueryUnload();

  void ClearEntryFields();

  // The list of a category (0..3) and the current list.
  GiftListModel& list(int category) { return book_.list(category); }
  GiftListModel& currentList() { return *listViewTemp; }
  int currentCategory() const;
  QTreeView* view(int category) const { return views_[static_cast<size_t>(category)]; }
  QTreeView* currentView() const;

  using Pointer = WindowPointer::Kind;
  void setPointer(Pointer p);
  Pointer pointer() const { return pointer_.kind(); }
  bool hasHandCursor() const { return pointer_.hasHand(); }

  // The page shown once in a hundred starts.
  static QString homePage();

  // Controls, by their names.
  QPushButton* PushButton1 = nullptr;
  QPushButton* PushButton3 = nullptr;
  QPushButton* PushButton4 = nullptr;
  QPushButton* PushButton5 = nullptr;
  QPushButton* PushButton6 = nullptr;
  QGroupBox* Frame5 = nullptr;
  QLabel* Label19 = nullptr;
  QLabel* Label22 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label24 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* txtName = nullptr;
  QLineEdit* txtLikes = nullptr;
  QLineEdit* txtPresent = nullptr;
  QLineEdit* intCost = nullptr;
  QLineEdit* txtEmail = nullptr;
  QComboBox* Combo1 = nullptr;
  QTreeView* ListView1 = nullptr;
  QTreeView* ListView2 = nullptr;
  QTreeView* ListView3 = nullptr;
  QTreeView* ListView4 = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void showListMenu(QTreeView* view, const QPoint& at);
  void setFields(const GiftEntry& e);
  GiftEntry fields() const;

  GiftBook& book_;
  MainWindowHost* host_ = nullptr;
  Planner* planner_ = nullptr;
  std::array<QTreeView*, 4> views_{};
  GiftListModel* listViewTemp = nullptr;
  WindowPointer pointer_{this};
  bool closing_ = false;
};
