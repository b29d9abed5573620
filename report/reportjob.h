#pragma once
// The report run behind "Start Creating Template": template → filled sheet → saved workbook in
// the temporary folder → picture of the sheet → preview window.
#include <QImage>
#include <QString>

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
  virtual void setPreviewWorkbook(const QString& path) = 0;
  virtual void showPreview() = 0;
  virtual void hideMain() = 0;
  // Whether the run makes the picture of the sheet (steps 184..200): not when no window shows it.
  virtual bool wantsPicture() const { return true; }
};

// The whole run (steps 100..210) over the gift book's four lists; failures are shown step by
// step and the run goes on.
void GenerateReport0(const GiftBook& book, ReportWindows& windows, int unused = 1);

// The picture of the used range of a workbook's active sheet, saved to `path` (own trap);
// returns true when it wrote the file.
class HostWorkbook;
bool saveCellsActivesheet(HostWorkbook& book, const QString& path);

// The file format for SaveAs from the host's version: 56 above version 11, else -4143.
// Creates (and quits) a host of its own when `host` is null.
int SaveFormatForExcel(Host* host);
// Replaces every "." and then every "," with the locale's decimal separator.
QString ToLocalDecimal(const QString& text);
QString LocalDecimalSeparator();

// The template workbook carried by the program.
QByteArray templateBytes();
// Replaces the template's bytes (tests of a damaged template); an empty array restores it.
void setTemplateBytesForTesting(const QByteArray& bytes);

// File names in the temporary folder.
QString temporaryPath(const QString& name);

}  // namespace report
