#include "base/failure.h"
#include "report/enginehost.h"
#include "report/host.h"

namespace report {
namespace {

HostFactory& factorySlot() {
  static HostFactory factory;
  return factory;
}

HostAttacher& attacherSlot() {
  static HostAttacher attacher;
  return attacher;
}

// Stands in for a host that could not be started: every operation fails, so each step that
// needs the host reports in turn (the layout's cell steps too) and the run goes on.
class MissingHost final : public Host {
 public:
  [[noreturn]] static void missing() {
    fail(QStringLiteral("Object variable not set: the spreadsheet host is not running."));
  }
  void setScreenUpdating(bool) override { missing(); }
  void setDisplayAlerts(bool) override { missing(); }
  void setEnableEvents(bool) override { missing(); }
  void setVisible(bool) override { missing(); }
  void setEnableCancelKey(int) override { missing(); }
  void setCursor(int) override { missing(); }
  QString version() override { missing(); }
  double inchesToPoints(double) override { missing(); }
  QString name() override { missing(); }
  HostWorkbook& openWorkbook(const QString&) override { missing(); }
  int workbookCount() override { missing(); }
  HostWorkbook& workbook(int) override { missing(); }
  int sheetCount() override { missing(); }
  HostSheet& sheet(int) override { missing(); }
  void selectRange(const QString&) override { missing(); }
  void setSelectionColorIndex(int) override { missing(); }
  void mergeSelection() override { missing(); }
  void setSelectionWrapText(bool) override { missing(); }
  void setActiveCellFormulaR1C1(const QString&) override { missing(); }
  HostPageSetup& activeSheetPageSetup() override { missing(); }
  void quit() override { missing(); }
};

}  // namespace

std::unique_ptr<Host> createMissingHost() {
  return std::make_unique<MissingHost>();
}

std::unique_ptr<Host> createHost() {
  if (factorySlot()) return factorySlot()();
  return createEngineHost();
}

void setHostFactory(HostFactory factory) {
  factorySlot() = std::move(factory);
}

std::unique_ptr<Host> attachRunningHost() {
  // The embedded engine runs inside the program: there is never another instance to attach to.
  if (attacherSlot()) return attacherSlot()();
  return nullptr;
}

void setHostAttacher(HostAttacher attacher) {
  attacherSlot() = std::move(attacher);
}

}  // namespace report
