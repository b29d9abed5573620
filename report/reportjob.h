#pragma once
// The report run behind "Start Creating Template": template → filled sheet → saved workbook in
// the temporary folder → picture of the sheet → preview window.
#include <QImage>
#include <QString>

class GiftBook;

namespace report {

class Host;
class ReportWorkbook;

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

// The whole run (steps 100..210) over the gift book's four lists; failures are shown step by
// step and the run goes on. (The module Excel1's routines it calls are in excel1.h, the
// template's bytes in reporttemplate.h.)
void GenerateReport0(const GiftBook& book, ReportWindows& windows, int unused = 1);

// File names in the temporary folder.
QString temporaryPath(const QString& name);

}  // namespace report
