#include "app/application.h"

#include <QCoreApplication>

Application::Application() : main_(std::make_unique<MainWindow>(book_)) {
  main_->setHost(this);
}

Application::~Application() = default;

bool Application::start() {
  if (!main_->Form_Load()) return false;
  main_->show();
  return true;
}

PreviewWindow* Application::preview() {
  if (!preview_) {
    preview_ = std::make_unique<PreviewWindow>();
    preview_->setHost(this);
  }
  return preview_.get();
}

void Application::generateReport() {
  report::GenerateReport0(book_, *this, 1);
}

void Application::endProgram() {
  QCoreApplication::quit();
}

void Application::showMainWindow() {
  main_->show();
}

void Application::storeAllLists() {
  book_.store();
}

void Application::setMainPointerBusy(bool busy) {
  main_->setPointer(busy ? MainWindow::Pointer::Hourglass : MainWindow::Pointer::Default);
}

void Application::setPreviewPicture(const QImage& picture) {
  preview()->setReportPicture(picture);
}

void Application::setPreviewWorkbook(const QString& path) {
  preview()->mExcelFile = path;
}

void Application::showPreview() {
  PreviewWindow* window = preview();
  window->mSetupPending = true;
  window->show();
  window->raise();
  window->activateWindow();
}

void Application::hideMain() {
  main_->hide();
}
