#pragma once
// A spreadsheet host that records every operation as a line of text, for tests of the report
// job and the layout. Operations can be made to fail by a predicate on the recorded line.
#include <QFile>
#include <QImage>
#include <QStringList>
#include <functional>
#include <memory>

#include "base/failure.h"
#include "report/host.h"

struct FakeHostLog {
  QStringList lines;
  std::function<bool(const QString&)> failWhen;  // makes an operation throw
  int instances = 0;
  QString version = QStringLiteral("16.0");
  report::UsedRange used{1, 1, 25, 20};
  QImage picture = [] {
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
  }();
};

class FakeHost final : public report::Host {
 public:
  explicit FakeHost(FakeHostLog& log) : log_(log), sheet_(*this), book_(*this), page_(*this) {
    ++log_.instances;
    record(QStringLiteral("Create"));
  }

  void record(const QString& line) {
    log_.lines << line;
    if (log_.failWhen && log_.failWhen(line)) fail(QStringLiteral("Fake failure: ") + line);
  }

  void setScreenUpdating(bool on) override { record(flag("ScreenUpdating", on)); }
  void setDisplayAlerts(bool on) override { record(flag("DisplayAlerts", on)); }
  void setEnableEvents(bool on) override { record(flag("EnableEvents", on)); }
  void setVisible(bool on) override { record(flag("Visible", on)); }
  void setEnableCancelKey(int v) override { record(QStringLiteral("EnableCancelKey=%1").arg(v)); }
  void setCursor(int v) override { record(QStringLiteral("Cursor=%1").arg(v)); }
  QString version() override {
    record(QStringLiteral("Version"));
    return log_.version;
  }
  double inchesToPoints(double in) override { return in * 72; }
  QString name() override { return QStringLiteral("Microsoft Excel"); }
  report::HostWorkbook& openWorkbook(const QString& path) override {
    record(QStringLiteral("Open ") + path);
    open_ = true;
    return book_;
  }
  int workbookCount() override { return open_ ? 1 : 0; }
  report::HostWorkbook& workbook(int index) override {
    record(QStringLiteral("Workbooks(%1)").arg(index));
    return book_;
  }
  int sheetCount() override { return 1; }
  report::HostSheet& sheet(int index) override {
    record(QStringLiteral("Sheets(%1)").arg(index));
    return sheet_;
  }
  void selectRange(const QString& a) override { record(QStringLiteral("Select ") + a); }
  void setSelectionColorIndex(int c) override { record(QStringLiteral("ColorIndex=%1").arg(c)); }
  void mergeSelection() override { record(QStringLiteral("Merge")); }
  void setSelectionWrapText(bool w) override { record(flag("WrapText", w)); }
  void setActiveCellFormulaR1C1(const QString& t) override {
    record(QStringLiteral("FormulaR1C1=") + t);
  }
  report::HostPageSetup& activeSheetPageSetup() override { return page_; }
  void quit() override { record(QStringLiteral("Quit")); }

 private:
  static QString flag(const char* name, bool on) {
    return QString::fromLatin1(name) + (on ? QStringLiteral("=True") : QStringLiteral("=False"));
  }

  struct Sheet final : report::HostSheet {
    explicit Sheet(FakeHost& h) : host(h) {}
    QString name() override { return host.record(QStringLiteral("Name")), QStringLiteral("Xmas"); }
    void setName(const QString& n) override { host.record(QStringLiteral("Name=") + n); }
    void select() override { host.record(QStringLiteral("Sheet.Select")); }
    void autoFitAllColumns() override { host.record(QStringLiteral("AutoFit")); }
    report::UsedRange usedRange() override {
      host.record(QStringLiteral("UsedRange"));
      return host.log_.used;
    }
    QImage copyUsedRangePicture() override {
      host.record(QStringLiteral("CopyPicture"));
      return host.log_.picture;
    }
    QPageLayout pageLayout() override {
      host.record(QStringLiteral("PageLayout"));
      return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF());
    }
    void printOut(QPagedPaintDevice&, bool) override { host.record(QStringLiteral("PrintOut")); }
    QByteArray exportAsPdf() override {
      host.record(QStringLiteral("ExportAsFixedFormat"));
      return QByteArrayLiteral("%PDF-1.4 fake");
    }
    FakeHost& host;
  };
  struct Book final : report::HostWorkbook {
    explicit Book(FakeHost& h) : host(h) {}
    void saveAs(const QString& path, int format) override {
      host.record(QStringLiteral("SaveAs %1 %2").arg(path).arg(format));
      if (path.isEmpty()) fail(QStringLiteral("SaveAs needs a file name."));
      QFile f(path);
      if (f.open(QIODevice::WriteOnly)) f.write("fake workbook");
    }
    void close() override { host.record(QStringLiteral("Close")); }
    report::HostSheet& activeSheet() override { return host.sheet_; }
    FakeHost& host;
  };
  struct Page final : report::HostPageSetup {
    explicit Page(FakeHost& h) : host(h) {}
    void set(const QString& what) { host.record(QStringLiteral("PageSetup.") + what); }
    void setPrintArea(const QString& a) override { set(QStringLiteral("PrintArea=") + a); }
    void setLeftMargin(double p) override { set(QStringLiteral("LeftMargin=%1").arg(p)); }
    void setRightMargin(double p) override { set(QStringLiteral("RightMargin=%1").arg(p)); }
    void setTopMargin(double p) override { set(QStringLiteral("TopMargin=%1").arg(p)); }
    void setBottomMargin(double p) override { set(QStringLiteral("BottomMargin=%1").arg(p)); }
    void setHeaderMargin(double p) override { set(QStringLiteral("HeaderMargin=%1").arg(p)); }
    void setFooterMargin(double p) override { set(QStringLiteral("FooterMargin=%1").arg(p)); }
    void setPrintComments(int v) override { set(QStringLiteral("PrintComments=%1").arg(v)); }
    void setOrientation(int v) override { set(QStringLiteral("Orientation=%1").arg(v)); }
    void setPaperSize(int v) override { set(QStringLiteral("PaperSize=%1").arg(v)); }
    void setZoom(bool z) override {
      set(z ? QStringLiteral("Zoom=True") : QStringLiteral("Zoom=False"));
    }
    void setFitToPagesWide(int v) override { set(QStringLiteral("FitToPagesWide=%1").arg(v)); }
    void setFitToPagesTall(int v) override { set(QStringLiteral("FitToPagesTall=%1").arg(v)); }
    FakeHost& host;
  };

  FakeHostLog& log_;
  Sheet sheet_;
  Book book_;
  Page page_;
  bool open_ = false;
};

// Installs a factory of FakeHosts writing to `log` for the lifetime of the object.
struct FakeHostFactory {
  explicit FakeHostFactory(FakeHostLog& log) {
    report::setHostFactory([&log] { return std::make_unique<FakeHost>(log); });
  }
  ~FakeHostFactory() { report::setHostFactory({}); }
};
