#include "report/reportjob.h"

#include <QBuffer>
#include <QImageReader>

#include "base/failure.h"
#include "base/files.h"
#include "base/services.h"
#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "report/excel1.h"
#include "report/host.h"
#include "report/layout.h"
#include "report/reporttemplate.h"
#include "report/reportworkbook.h"

namespace report {

void WorkbookHandOver::setPreviewWorkbook(const ReportWorkbook& made) {
  workbook_.remove();
  workbook_ = made;
}

namespace {

// How often a fresh name is drawn before the run gives up on the temporary folder.
constexpr int kMaxNameDraws = 1000;

// The picture the run stored, read by its content whatever its name says; only a regular file
// is read, never waiting on a pipe put in its place.
QImage loadPictureByContent(const QString& path) {
  QString why;
  std::optional<QByteArray> bytes = readFile(path, -1, why);
  if (!bytes) fail(QStringLiteral("The picture '%1' cannot be loaded: %2").arg(path, why));
  QBuffer buffer(&*bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  QImage picture = reader.read();
  if (picture.isNull())
    fail(QStringLiteral("The picture '%1' cannot be loaded: %2").arg(path, reader.errorString()));
  return picture;
}

}  // namespace

QString temporaryPath(const QString& name) {
  return temporaryFolder() + QChar(u'/') + name;
}

void GenerateReport0(const GiftBook& gifts, ReportWindows& windows, int /*unused*/) {
  Trap trap{QStringLiteral("XmasList"), QStringLiteral("GenerateReport0")};
  std::unique_ptr<Host> ExcelApp;
  HostWorkbook* ReportBook = nullptr;
  const std::unique_ptr<Host> missingHost = createMissingHost();
  auto excel = [&]() -> Host& { return ExcelApp ? *ExcelApp : *missingHost; };
  auto book = [&]() -> HostWorkbook& {
    if (!ReportBook) fail(QStringLiteral("The report workbook is not open."));
    return *ReportBook;
  };

  trap(100, [] {});
  trap(102, [&] { ExcelApp = createHost(); });
  trap(104, [&] { excel().setScreenUpdating(false); });
  trap(106, [&] { excel().setDisplayAlerts(false); });
  trap(108, [&] { excel().setEnableEvents(false); });
  trap(110, [&] { excel().setEnableCancelKey(0); });
  trap(112, [&] { excel().setCursor(kCursorWait); });
  QByteArray bytes;
  trap(114, [&] { bytes = templateBytes(); });
  // The template and the picture go in a folder of the run's own inside the temporary folder,
  // which no one else can write in: a file someone else put at a shared fixed name is never
  // opened, and nothing the run did not write is removed.
  QString runFolder;
  QString templatePath;
  const bool templateWritten = trap(116, [&] {
    runFolder = createPrivateFolder(temporaryFolder(), QStringLiteral("tinselwick"));
    templatePath = runFolder + QStringLiteral("/template.xlt");
    writeFileAtomically(templatePath, bytes, FileAccess::OwnerOnly);
  });
  if (!templateWritten) {
    // The run stops here: it never opens a template it did not write.
    removeEmptyFolder(runFolder);
    return;
  }
  trap(118, [&] { ReportBook = &excel().openWorkbook(templatePath); });
  trap(120, [&] { excel().sheet(excel().sheetCount()).setName(QStringLiteral("Xmas")); });
  trap(122, [&] { GenerateReport(excel(), gifts); });
  trap(124, [&] { excel().selectRange(QStringLiteral("A1:E24")); });
  trap(126, [&] { excel().setSelectionColorIndex(37); });
  trap(128, [&] { excel().selectRange(QStringLiteral("D25")); });
  trap(130, [&] { excel().setSelectionColorIndex(37); });
  trap(132, [&] { excel().selectRange(QStringLiteral("F1:J24")); });
  trap(134, [&] { excel().setSelectionColorIndex(35); });
  trap(136, [&] { excel().selectRange(QStringLiteral("I25")); });
  trap(138, [&] { excel().setSelectionColorIndex(35); });
  trap(140, [&] { excel().sheet(1).autoFitAllColumns(); });
  trap(142, [&] { excel().selectRange(QStringLiteral("B6")); });
  trap(144, [&] { excel().sheet(1).select(); });
  trap(146, [&] { excel().setVisible(false); });
  trap(148, [&] { excel().setCursor(kCursorDefault); });
  trap(150, [&] { excel().setScreenUpdating(true); });
  trap(152, [&] { excel().setDisplayAlerts(true); });
  trap(154, [&] { excel().setEnableEvents(true); });
  trap(156, [&] { excel().setEnableCancelKey(1); });

  QString ReportWorkbookPath;
  bool claimed = false;  // this run created the file at ReportWorkbookPath
  bool taken = true;
  for (int draws = 0; taken && draws < kMaxNameDraws; ++draws) {
    QString name;
    trap(158, [&] { name = QStringLiteral("Wrenfold"); });
    for (int digit = 0; digit < 8; ++digit) {
      trap(160, [] {});
      trap(162, [&] { randomSource().randomize(); });
      int d = 1;
      trap(164, [&] { d = static_cast<int>(9 * randomSource().next()) + 1; });
      trap(166, [&] { name += QString::number(d); });
      trap(168, [] {});
    }
    trap(170, [&] { ReportWorkbookPath = temporaryPath(name + QStringLiteral(".xls")); });
    // The name is created exclusively, so no other run or user can take it or plant a link
    // there. A folder that refuses new files is reported once; the save then reports too.
    taken = false;
    trap(172, [&] {
      taken = !createFileExclusively(ReportWorkbookPath);
      claimed = !taken;
      if (taken && draws + 1 == kMaxNameDraws) {
        // Never save over a file this run did not create.
        ReportWorkbookPath.clear();
        fail(QStringLiteral("No free name for the report workbook is left in '%1'.")
                 .arg(temporaryFolder()));
      }
    });
  }
  const bool saved =
      trap(174, [&] { book().saveAs(ReportWorkbookPath, SaveFormatForExcel(ExcelApp.get())); });
  if (!saved) {
    // The name claimed for it holds no workbook: remove it, and hand the preview none, so that
    // nothing empty is ever saved over a user's file.
    if (claimed) DeleteFileQuietly(ReportWorkbookPath);
    ReportWorkbookPath.clear();
  }
  trap(176, [&] { excel().setDisplayAlerts(false); });
  trap(178, [&] { book().close(); });
  trap(180, [&] { excel().quit(); });
  trap(182, [&] {
    ReportBook = nullptr;
    ExcelApp.reset();
  });

  const QString picturePath = runFolder + QStringLiteral("/temp.bmp");
  bool pictureWritten = false;
  // The picture of the sheet, for the preview; a run without windows has no use for it.
  if (windows.wantsPicture()) {
    std::unique_ptr<Host> second;
    trap(184, [&] {
      second = createHost();
      second->openWorkbook(ReportWorkbookPath);
    });
    auto secondHost = [&]() -> Host& { return second ? *second : *missingHost; };
    trap(186, [&] { windows.setMainPointerBusy(true); });
    HostWorkbook* secondBook = nullptr;
    trap(188, [&] { secondBook = &secondHost().workbook(secondHost().workbookCount()); });
    trap(190, [&] {
      if (!secondBook) fail(QStringLiteral("The report workbook is not open."));
      pictureWritten = saveCellsActivesheet(*secondBook, picturePath);
    });
    trap(192, [&] { secondHost().setDisplayAlerts(false); });
    trap(194, [&] {
      if (!secondBook) fail(QStringLiteral("The report workbook is not open."));
      secondBook->close();
    });
    trap(196, [&] { secondHost().quit(); });
    trap(198, [&] { windows.setMainPointerBusy(false); });
    trap(200, [&] { windows.setPreviewPicture(loadPictureByContent(picturePath)); });
  }
  trap(202, [&] { windows.setPreviewWorkbook(ReportWorkbook(ReportWorkbookPath, claimed)); });
  trap(204, [&] { windows.showPreview(); });
  trap(206, [&] { windows.hideMain(); });
  // Only what this run wrote is removed, and then its folder.
  trap(208, [&] {
    if (pictureWritten) DeleteFileQuietly(picturePath);
  });
  trap(210, [&] {
    DeleteFileQuietly(templatePath);
    removeEmptyFolder(runFolder);
  });
}

}  // namespace report
