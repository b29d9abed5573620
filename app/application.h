#pragma once
// The application: owns the gift book and both windows, and wires them. It is the report run's
// hand-over target, the preview's host and the main window's host; the callbacks are plain
// calls, so a failure reaches the trapped step that made the call.
#include <memory>
#include <optional>

#include "giftlist/giftbook.h"
#include "planner/planner.h"
#include "report/reportjob.h"
#include "report/reportworkbook.h"
#include "windows/mainwindow.h"
#include "windows/plannerwindow.h"
#include "windows/previewwindow.h"

class Application final : public MainWindowHost, public PreviewHost, public report::ReportWindows {
 public:
  Application();
  ~Application() override;

  // Loads the main window and shows it. Returns false when the program must end without
  // showing it (no spreadsheet host).
  bool start();

  GiftBook& book() { return book_; }
  Planner& planner() { return planner_; }
  // The planner window, created on first use; it closes with the program.
  PlannerWindow* plannerWindow();
  MainWindow& mainWindow() { return *main_; }
  // The preview window, created on first use and kept between reports.
  PreviewWindow* preview();
  bool hasPreview() const { return preview_ != nullptr; }
  // Brings the window the person works in (the preview while it is shown) to the front.
  void bringToFront();

  // MainWindowHost
  void generateReport() override;
  void endProgram() override;
  void openPlanner() override;

  // PreviewHost
  void showMainWindow() override;
  bool storeAllLists() override;
  void removeReportWorkbook() override;

  // report::ReportWindows
  void setMainPointerBusy(bool busy) override;
  void setPreviewPicture(const QImage& picture) override;
  void setPreviewWorkbook(const report::ReportWorkbook& workbook) override;
  void showPreview() override;
  void hideMain() override;

 private:
  GiftBook book_;  // outlives the windows that show it
  Planner planner_{book_};
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<PreviewWindow> preview_;
  std::unique_ptr<PlannerWindow> plannerWindow_;
  // The report on show: its workbook, and the picture the run handed over until it is shown.
  report::ReportWorkbook report_;
  std::optional<QImage> picture_;
};
