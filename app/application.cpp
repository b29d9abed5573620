#include "app/application.h"

#include <QCoreApplication>

#include "base/prompts.h"
#include "windows/desktopservices.h"

Application::Application() : main_(std::make_unique<MainWindow>(book_)) {
  installDesktopServices();  // the dialogs and the browser of the desktop
  main_->setHost(this);
  main_->setPlanner(&planner_);
}

Application::~Application() = default;

bool Application::start() {
  if (!main_->Form_Load()) return false;
  main_->show();
  // The planner beside the lists: a damaged planner file is told once and kept aside; the lists
  // are as they were.
  const QString planner = planner_.load(Planner::Damaged::KeepAside);
  if (!planner.isEmpty()) MsgBox(planner, msg::Exclamation);
  return true;
}

PlannerWindow* Application::plannerWindow() {
  if (!plannerWindow_) {
    plannerWindow_ = std::make_unique<PlannerWindow>(planner_);
    plannerWindow_->setWindowIcon(main_->windowIcon());
  }
  return plannerWindow_.get();
}

void Application::openPlanner() {
  PlannerWindow* window = plannerWindow();
  window->show();
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->raise();
  window->activateWindow();
}

PreviewWindow* Application::preview() {
  if (!preview_) {
    preview_ = std::make_unique<PreviewWindow>();
    preview_->setHost(this);
    preview_->Form_Load();
  }
  return preview_.get();
}

void Application::bringToFront() {
  QWidget* window = preview_ && preview_->isVisible() ? static_cast<QWidget*>(preview_.get())
                                                      : static_cast<QWidget*>(main_.get());
  if (!window->isVisible()) return;  // still starting, or ending
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->raise();
  window->activateWindow();
}

void Application::generateReport() {
  report::GenerateReport0(book_, *this, 1);
}

void Application::endProgram() {
  if (plannerWindow_) plannerWindow_->hide();
  if (const QString why = planner_.storeWhatIsPending(); !why.isEmpty())
    MsgBox(QStringLiteral("The planner's last changes could not be saved: %1").arg(why),
           msg::Exclamation);
  QCoreApplication::quit();
}

void Application::showMainWindow() {
  main_->show();
}

bool Application::storeAllLists() {
  return book_.storeBeforeClosing();
}

void Application::setMainPointerBusy(bool busy) {
  main_->setPointer(busy ? MainWindow::Pointer::Hourglass : MainWindow::Pointer::Default);
}

void Application::removeReportWorkbook() {
  report_.remove();
}

void Application::setPreviewPicture(const QImage& picture) {
  picture_ = picture;
}

void Application::setPreviewWorkbook(const report::ReportWorkbook& workbook) {
  // A new report: the workbook of the one before goes.
  report_.remove();
  report_ = workbook;
}

void Application::showPreview() {
  PreviewWindow* window = preview();
  window->setReport(picture_, report_.path());
  picture_.reset();
  window->show();
  window->raise();
  window->activateWindow();
}

void Application::hideMain() {
  main_->hide();
}
