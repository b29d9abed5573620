#include "report/enginehost.h"

#include "spreadsheet/xlsx/xlsxfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <list>

#include "base/failure.h"
#include "base/files.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/autofit.h"
#include "spreadsheet/render/pages.h"
#include "spreadsheet/render/render.h"

namespace report {
namespace {

class EngineHost;
class EngineWorkbook;

class EngineSheet final : public HostSheet {
 public:
  EngineSheet(EngineWorkbook& book, int index) : book_(book), index_(index) {}
  QString name() override;
  void setName(const QString& name) override;
  void select() override;
  void autoFitAllColumns() override;
  UsedRange usedRange() override;
  QImage copyUsedRangePicture() override;
  QPageLayout pageLayout() override;
  void printOut(QPagedPaintDevice& device, bool sheetPaper) override;
  QByteArray exportAsPdf() override;

 private:
  sheet::Worksheet& model();
  EngineWorkbook& book_;
  int index_;
};

class EngineWorkbook final : public HostWorkbook {
 public:
  EngineWorkbook(EngineHost& host, sheet::Workbook model) : host_(host), model_(std::move(model)) {
    for (int i = 0; i < static_cast<int>(model_.sheets.size()); ++i) sheets_.emplace_back(*this, i);
  }
  void saveAs(const QString& path, int fileFormat) override;
  void close() override;
  HostSheet& activeSheet() override { return sheet(model_.activeSheet); }

  EngineSheet& sheet(int index) {
    if (index < 0 || index >= static_cast<int>(sheets_.size()))
      fail(QStringLiteral("The workbook has no sheet %1.").arg(index + 1));
    return *std::next(sheets_.begin(), index);
  }
  sheet::Workbook& model() { return model_; }
  // Typed cells recalculate the workbook once, before anything reads its values.
  void cellsTyped() { stale_ = true; }
  void settle() {
    if (stale_) sheet::recalculate(model_);
    stale_ = false;
  }
  sheet::Worksheet& activeModelSheet() { return model_.sheet(model_.activeSheet); }

 private:
  EngineHost& host_;
  sheet::Workbook model_;
  std::list<EngineSheet> sheets_;
  bool stale_ = false;
};

class EnginePageSetup final : public HostPageSetup {
 public:
  explicit EnginePageSetup(EngineHost& host) : host_(host) {}
  void setPrintArea(const QString& a1Range) override;
  void setLeftMargin(double points) override { page().leftMargin = inches(points); }
  void setRightMargin(double points) override { page().rightMargin = inches(points); }
  void setTopMargin(double points) override { page().topMargin = inches(points); }
  void setBottomMargin(double points) override { page().bottomMargin = inches(points); }
  void setHeaderMargin(double points) override { page().headerMargin = inches(points); }
  void setFooterMargin(double points) override { page().footerMargin = inches(points); }
  void setPrintComments(int value) override;
  void setOrientation(int value) override;
  void setPaperSize(int value) override;
  void setZoom(bool enabled) override;
  void setFitToPagesWide(int pages) override;
  void setFitToPagesTall(int pages) override;

 private:
  static double inches(double points) {
    if (points < 0 || points > 49 * 72)
      fail(QStringLiteral("Unable to set the margin: %1 points is out of range.").arg(points));
    return points / 72.0;
  }
  sheet::PageSetup& page();
  EngineHost& host_;
};

class EngineHost final : public Host {
 public:
  EngineHost() : pageSetup_(*this) {}

  void setScreenUpdating(bool on) override { alive(), screenUpdating_ = on; }
  void setDisplayAlerts(bool on) override { alive(), displayAlerts_ = on; }
  void setEnableEvents(bool on) override { alive(), enableEvents_ = on; }
  void setVisible(bool on) override { alive(), visible_ = on; }
  void setEnableCancelKey(int value) override {
    alive();
    if (value < 0 || value > 2)
      fail(QStringLiteral("Invalid EnableCancelKey value %1.").arg(value));
    enableCancelKey_ = value;
  }
  void setCursor(int value) override {
    alive();
    if (value != kCursorWait && value != kCursorDefault && value != 1 && value != 3)
      fail(QStringLiteral("Invalid cursor value %1.").arg(value));
    cursor_ = value;
  }
  // The engine follows the version numbering of the automation model it mirrors: a current
  // version, which saves the 97-2003 workbook format on request.
  QString version() override { return alive(), QStringLiteral("16.0"); }
  double inchesToPoints(double in) override { return alive(), in * 72.0; }
  QString name() override { return QStringLiteral("Tinselwick spreadsheet engine"); }

  HostWorkbook& openWorkbook(const QString& path) override {
    alive();
    // Read through the program's one way to files: only a regular file, never waiting on a pipe
    // put in its place; the engine reads the bytes.
    QString why;
    const std::optional<QByteArray> bytes = readFile(path, -1, why);
    if (!bytes) fail(QStringLiteral("'%1' cannot be opened: %2").arg(path, why));
    sheet::Workbook book;
    try {
      book = sheet::readWorkbookBytes(*bytes);
    } catch (const sheet::FormatError&) {
      fail(QStringLiteral("'%1' is not an Excel 97-2003 workbook").arg(path));
    }
    workbooks_.push_back(std::make_unique<EngineWorkbook>(*this, std::move(book)));
    return *workbooks_.back();
  }
  int workbookCount() override { return alive(), static_cast<int>(workbooks_.size()); }
  HostWorkbook& workbook(int index) override {
    alive();
    if (index < 1 || index > static_cast<int>(workbooks_.size()))
      fail(QStringLiteral("Subscript out of range: there is no workbook %1.").arg(index));
    return *workbooks_[static_cast<size_t>(index - 1)];
  }
  int sheetCount() override { return static_cast<int>(active().model().sheets.size()); }
  HostSheet& sheet(int index) override { return active().sheet(index - 1); }

  void selectRange(const QString& address) override {
    const auto range = sheet::parseA1Range(address);
    if (!range)
      fail(QStringLiteral("Method 'Range' failed: '%1' is not a cell address.").arg(address));
    sheet::SheetWindow& window = active().activeModelSheet().window;
    window.selection = {*range};
    window.activeCell = range->topLeft();
  }
  void setSelectionColorIndex(int colorIndex) override {
    if (colorIndex < 1 || colorIndex > 56)
      fail(QStringLiteral("Unable to set the ColorIndex property: %1 is not a palette colour.")
               .arg(colorIndex));
    forEachSelectedCell([&](sheet::CellFormat& f) {
      f.pattern = sheet::FillPattern::Solid;
      f.fillColor = static_cast<uint16_t>(colorIndex + 7);
      f.fillBackground = sheet::kAutoBackground;
    });
  }
  void mergeSelection() override {
    for (const sheet::Range& r : active().activeModelSheet().window.selection)
      active().activeModelSheet().merge(r);
  }
  void setSelectionWrapText(bool wrap) override {
    forEachSelectedCell([&](sheet::CellFormat& f) { f.wrap = wrap; });
  }
  void setActiveCellFormulaR1C1(const QString& text) override {
    EngineWorkbook& book = active();
    sheet::enterTyped(book.model(), book.model().activeSheet,
                      book.activeModelSheet().window.activeCell, text, sheet::Recalculation::Later);
    book.cellsTyped();
  }
  HostPageSetup& activeSheetPageSetup() override { return active(), pageSetup_; }

  void quit() override {
    workbooks_.clear();
    quit_ = true;
  }

  EngineWorkbook& active() {
    alive();
    if (workbooks_.empty()) fail(QStringLiteral("No workbook is open."));
    return *workbooks_.back();
  }
  void closeWorkbook(EngineWorkbook* book) {
    for (auto it = workbooks_.begin(); it != workbooks_.end(); ++it) {
      if (it->get() == book) {
        workbooks_.erase(it);
        return;
      }
    }
  }

 private:
  void alive() const {
    if (quit_) fail(QStringLiteral("The spreadsheet host has quit."));
  }
  template <typename Change>
  void forEachSelectedCell(Change change) {
    EngineWorkbook& book = active();
    sheet::Workbook& model = book.model();
    const int s = model.activeSheet;
    for (const sheet::Range& r : book.activeModelSheet().window.selection) {
      if (static_cast<long long>(r.rows()) * r.cols() > 100000)
        fail(QStringLiteral("The selection is too large to format."));
      for (int row = r.firstRow; row <= r.lastRow; ++row) {
        for (int col = r.firstCol; col <= r.lastCol; ++col) {
          sheet::CellFormat f = model.formatOf(s, {row, col});
          change(f);
          model.setFormat(s, {row, col}, f);
        }
      }
    }
  }

  std::vector<std::unique_ptr<EngineWorkbook>> workbooks_;
  EnginePageSetup pageSetup_;
  bool screenUpdating_ = true;
  bool displayAlerts_ = true;
  bool enableEvents_ = true;
  bool visible_ = false;
  int enableCancelKey_ = 1;
  int cursor_ = kCursorDefault;
  bool quit_ = false;
};

sheet::Worksheet& EngineSheet::model() {
  return book_.model().sheet(index_);
}
QString EngineSheet::name() {
  return model().name();
}
void EngineSheet::setName(const QString& name) {
  model().setName(name);
}
void EngineSheet::select() {
  sheet::Workbook& wb = book_.model();
  for (int i = 0; i < static_cast<int>(wb.sheets.size()); ++i)
    wb.sheets[static_cast<size_t>(i)].window.selected = (i == index_);
  wb.activeSheet = index_;
}
void EngineSheet::autoFitAllColumns() {
  book_.settle();
  sheet::autoFitColumns(book_.model(), index_);
}
UsedRange EngineSheet::usedRange() {
  const sheet::Range r = model().usedRange();
  return {r.firstRow + 1, r.firstCol + 1, r.rows(), r.cols()};
}
QImage EngineSheet::copyUsedRangePicture() {
  book_.settle();
  return sheet::paintRange(book_.model(), index_, model().usedRange());
}

QPageLayout EngineSheet::pageLayout() {
  return sheet::printLayout(book_.model(), index_).pageLayout();
}
void EngineSheet::printOut(QPagedPaintDevice& device, bool sheetPaper) {
  book_.settle();
  sheet::printSheet(book_.model(), index_, device, sheetPaper);
}
QByteArray EngineSheet::exportAsPdf() {
  book_.settle();
  QByteArray pdf;
  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Tinselwick"));
    writer.setTitle(model().name());
    sheet::printSheet(book_.model(), index_, writer);
  }
  return pdf;
}

void EngineWorkbook::saveAs(const QString& path, int fileFormat) {
  if (fileFormat == kFormatOpenXmlWorkbook) {
    settle();
    model_.isTemplate = false;
    // The library writes only to a path: a new name beside the target, renamed into place.
    writeNaming(QStringLiteral("the Excel workbook"), [&] {
      writeFileThroughName(path, FileAccess::Usual,
                           [&](const QString& name) { sheet::writeXlsxFile(model_, name); });
    });
    return;
  }
  if (fileFormat != kFormatExcel8 && fileFormat != kFormatNormal)
    fail(QStringLiteral("SaveAs failed: file format %1 is not supported.").arg(fileFormat));
  settle();
  model_.isTemplate = false;  // saved as a workbook, not as a template
  // The workbook the report run saves holds the user's lists: it is its owner's alone.
  const QByteArray bytes = sheet::writeWorkbookBytes(model_);
  try {
    writeFileAtomically(path, bytes, FileAccess::OwnerOnly);
  } catch (const FileWriteError& error) {
    fail(error.reason());  // the system's reason, as the host reports it
  }
}
void EngineWorkbook::close() {
  host_.closeWorkbook(this);
}

sheet::PageSetup& EnginePageSetup::page() {
  return host_.active().activeModelSheet().page;
}
void EnginePageSetup::setPrintArea(const QString& a1Range) {
  const auto range = sheet::parseA1Range(a1Range);
  if (!range) fail(QStringLiteral("Unable to set the PrintArea property: '%1'.").arg(a1Range));
  sheet::Workbook& wb = host_.active().model();
  wb.setPrintArea(wb.activeSheet, *range);
}
void EnginePageSetup::setPrintComments(int value) {
  if (value != kPrintNoComments && value != 1 && value != 2)
    fail(QStringLiteral("Unable to set the PrintComments property to %1.").arg(value));
  page().printComments = value != kPrintNoComments;
}
void EnginePageSetup::setOrientation(int value) {
  if (value != kLandscape && value != kPortrait)
    fail(QStringLiteral("Unable to set the Orientation property to %1.").arg(value));
  page().landscape = value == kLandscape;
}
void EnginePageSetup::setPaperSize(int value) {
  if (value < 1 || value > 255)
    fail(QStringLiteral("Unable to set the PaperSize property to %1.").arg(value));
  page().paperSize = value;
}
void EnginePageSetup::setZoom(bool enabled) {
  page().fitToPage = !enabled;
}
void EnginePageSetup::setFitToPagesWide(int pages) {
  if (pages < 0 || pages > 32767)
    fail(QStringLiteral("Unable to set FitToPagesWide to %1.").arg(pages));
  page().fitWidth = pages;
}
void EnginePageSetup::setFitToPagesTall(int pages) {
  if (pages < 0 || pages > 32767)
    fail(QStringLiteral("Unable to set FitToPagesTall to %1.").arg(pages));
  page().fitHeight = pages;
}

}  // namespace

std::unique_ptr<Host> createEngineHost() {
  return std::make_unique<EngineHost>();
}

}  // namespace report
