#pragma once
// The spreadsheet host: the operations the report job and the layout use, shaped after a
// spreadsheet program's automation model. The report code drives only this interface, so the
// host behind it (the embedded engine, or another program) can change without touching it.
// Every operation may throw Failure with a description meant for the user.
#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <memory>

class QPagedPaintDevice;

namespace report {

// Cursor values of the host application.
inline constexpr int kCursorWait = 2;
inline constexpr int kCursorDefault = -4143;
// File formats of SaveAs: the 97-2003 workbook, and the host's normal format (also .xls).
inline constexpr int kFormatExcel8 = 56;
// xlOpenXMLWorkbook: an Excel workbook (.xlsx).
inline constexpr int kFormatOpenXmlWorkbook = 51;
inline constexpr int kFormatNormal = -4143;
// PrintComments value: no comments.
inline constexpr int kPrintNoComments = -4142;
inline constexpr int kLandscape = 2;
inline constexpr int kPortrait = 1;
inline constexpr int kPaperA4 = 9;

// The used range of a sheet: first row and column (1-based) and its size.
struct UsedRange {
  int row = 1;
  int column = 1;
  int rowCount = 1;
  int columnCount = 1;
  int lastRow() const { return row + rowCount - 1; }
  int lastColumn() const { return column + columnCount - 1; }
};

class HostSheet {
 public:
  virtual ~HostSheet() = default;
  virtual QString name() = 0;
  virtual void setName(const QString& name) = 0;
  virtual void select() = 0;
  // Cells.EntireColumn.AutoFit
  virtual void autoFitAllColumns() = 0;
  virtual UsedRange usedRange() = 0;
  // UsedRange.CopyPicture: the used range as the sheet shows it on screen.
  virtual QImage copyUsedRangePicture() = 0;
  // The paper and orientation of the sheet's page set-up, without margins.
  virtual QPageLayout pageLayout() = 0;
  // PrintOut: the sheet's pages, as its page set-up lays them out, on a printer or any paged
  // device, in the device's own page layout (`sheetPaper`: the sheet's paper and orientation).
  virtual void printOut(QPagedPaintDevice& device, bool sheetPaper) = 0;
  // ExportAsFixedFormat: the sheet's pages as a PDF document.
  virtual QByteArray exportAsPdf() = 0;
};

// The thirteen page properties that the report sets, one setter each.
class HostPageSetup {
 public:
  virtual ~HostPageSetup() = default;
  virtual void setPrintArea(const QString& a1Range) = 0;
  virtual void setLeftMargin(double points) = 0;
  virtual void setRightMargin(double points) = 0;
  virtual void setTopMargin(double points) = 0;
  virtual void setBottomMargin(double points) = 0;
  virtual void setHeaderMargin(double points) = 0;
  virtual void setFooterMargin(double points) = 0;
  virtual void setPrintComments(int value) = 0;
  virtual void setOrientation(int value) = 0;
  virtual void setPaperSize(int value) = 0;
  virtual void setZoom(bool enabled) = 0;  // only False is used: fit to pages instead
  virtual void setFitToPagesWide(int pages) = 0;
  virtual void setFitToPagesTall(int pages) = 0;
};

class HostWorkbook {
 public:
  virtual ~HostWorkbook() = default;
  virtual void saveAs(const QString& path, int fileFormat) = 0;
  virtual void close() = 0;
  virtual HostSheet& activeSheet() = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  virtual void setScreenUpdating(bool on) = 0;
  virtual void setDisplayAlerts(bool on) = 0;
  virtual void setEnableEvents(bool on) = 0;
  virtual void setVisible(bool on) = 0;
  virtual void setEnableCancelKey(int value) = 0;
  virtual void setCursor(int value) = 0;
  virtual QString version() = 0;
  virtual double inchesToPoints(double inches) = 0;
  // The host's application name ("Microsoft Excel" for the real thing).
  virtual QString name() = 0;

  // Workbooks.Open; the opened workbook becomes the active one and the last of Workbooks.
  virtual HostWorkbook& openWorkbook(const QString& path) = 0;
  virtual int workbookCount() = 0;
  virtual HostWorkbook& workbook(int index) = 0;  // 1-based

  // Sheets of the active workbook, 1-based.
  virtual int sheetCount() = 0;
  virtual HostSheet& sheet(int index) = 0;

  // Range(address).Select on the active sheet; address in A1 form.
  virtual void selectRange(const QString& address) = 0;
  virtual void setSelectionColorIndex(int colorIndex) = 0;
  virtual void mergeSelection() = 0;
  virtual void setSelectionWrapText(bool wrap) = 0;
  // ActiveCell.FormulaR1C1 = text, taken as typed input.
  virtual void setActiveCellFormulaR1C1(const QString& text) = 0;
  // ActiveSheet.PageSetup
  virtual HostPageSetup& activeSheetPageSetup() = 0;

  virtual void quit() = 0;
};

// Creates a new host instance; throws Failure when none can be created.
using HostFactory = std::function<std::unique_ptr<Host>()>;
// Attaches to a running host instance; nullptr when none runs. May throw.
using HostAttacher = std::function<std::unique_ptr<Host>()>;

// The factory in use (the embedded engine unless replaced).
std::unique_ptr<Host> createHost();
void setHostFactory(HostFactory factory);  // an empty function restores the default
std::unique_ptr<Host> attachRunningHost();
// Stands in for a host that could not be started: every operation fails, so that each step
// that needs the host reports in turn.
std::unique_ptr<Host> createMissingHost();
void setHostAttacher(HostAttacher attacher);  // an empty function restores the default

}  // namespace report
