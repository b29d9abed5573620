#pragma once
// The report run behind "Start Creating Template": template → filled sheet → saved workbook in
// the temporary folder → picture of the sheet → preview window.
#include <QImage>
#include <QString>

#include "report/reportworkbook.h"

class GiftBook;

namespace report {

class Host;

// What the report run hands over to the windows.
class ReportWindows {
 public:
  virtual ~ReportWindows() = default;
  // The main window's pointer: true for the hourglass, false for the default arrow.
  virtual void setMainPointerBusy(bool busy) = 0;
  // Hand-over to the preview: its picture, its workbook path, then show it (set-up pending).
  virtual void setPreviewPicture(const QImage& picture) = 0;
  virtual void setPreviewWorkbook(const ReportWorkbook& workbook) = 0;
  virtual void showPreview() = 0;
  virtual void hideMain() = 0;
  // Whether the run makes the picture of the sheet (steps 184..200): not when no window shows it.
  virtual bool wantsPicture() const { return true; }
};

// The hand-over of a run without windows (the command line, a kept season): the workbook alone,
// no picture; the workbook is removed with the hand-over.
class WorkbookHandOver final : public ReportWindows {
 public:
  WorkbookHandOver() = default;
  ~WorkbookHandOver() override { workbook_.remove(); }
  WorkbookHandOver(const WorkbookHandOver&) = delete;
  WorkbookHandOver& operator=(const WorkbookHandOver&) = delete;
  void setMainPointerBusy(bool) override {}
  void setPreviewPicture(const QImage&) override {}
  void setPreviewWorkbook(const ReportWorkbook& made) override;
  void showPreview() override {}
  void hideMain() override {}
  bool wantsPicture() const override { return false; }
  // The workbook the run saved; empty when it saved none.
  const QString& workbookPath() const { return workbook_.path(); }

 private:
  ReportWorkbook workbook_;
};

// The whole run (steps 100..210) over the gift book's four lists; failures are shown step by
// step and the run goes on. (The module Excel1's routines it calls are in excel1.h, the
// template's bytes in reporttemplate.h.)
void GenerateReport0(const GiftBook& book, ReportWindows& windows, int unused = 1);

// File names in the temporary folder.
QString temporaryPath(const QString& name);

}  // namespace report
