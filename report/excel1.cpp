// Module Excel1: the picture of a sheet, the file format for saving, and the locale's decimal
// separator.
#include "report/excel1.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLocale>
#include <cmath>

#include "base/failure.h"
#include "base/files.h"
#include "base/trap.h"
#include "report/host.h"

namespace report {

QString LocalDecimalSeparator() {
  const QString half = QLocale().toString(0.5).trimmed();
  return half.size() >= 2 ? half.mid(1, 1) : QStringLiteral(".");
}

QString ToLocalDecimal(const QString& text) {
  const QString separator = LocalDecimalSeparator();
  QString out = text;
  out.replace(QChar(u'.'), separator);
  out.replace(QChar(u','), separator);
  return out;
}

int SaveFormatForExcel(Host* host) {
  QString version;
  if (host == nullptr) {
    std::unique_ptr<Host> own = createHost();
    version = own->version();
    own->quit();
  } else {
    version = host->version();
  }
  bool ok = false;
  const double number = QLocale().toDouble(ToLocalDecimal(version).trimmed(), &ok);
  if (!ok || !std::isfinite(number))
    fail(QStringLiteral("Type mismatch: the host version '%1' is not a number.").arg(version));
  // Halves to even, as the conversion to a whole number does.
  return std::nearbyint(number) > 11 ? kFormatExcel8 : kFormatNormal;
}

bool saveCellsActivesheet(HostWorkbook& book, const QString& path) {
  Trap trap{QStringLiteral("Excel1"), QStringLiteral("saveCellsActivesheet")};
  HostSheet* sheet = nullptr;
  trap(100, [&] { sheet = &book.activeSheet(); });
  auto needSheet = [&]() -> HostSheet& {
    if (!sheet) fail(QStringLiteral("The workbook has no active sheet."));
    return *sheet;
  };
  int lastRow = 0;
  int lastColumn = 0;
  trap(102, [&] { lastRow = needSheet().usedRange().lastRow(); });
  trap(104, [&] { lastColumn = needSheet().usedRange().lastColumn(); });
  bool bigEnough = true;
  trap(106, [&] { bigEnough = lastRow > 1 && lastColumn > 1; });
  if (!bigEnough) return false;
  trap(108, [&] { (void)needSheet().name(); });
  QImage picture;
  trap(110, [&] { picture = needSheet().copyUsedRangePicture(); });
  return trap(112, [&] {
    if (picture.isNull()) fail(QStringLiteral("The host gave no picture of the sheet."));
    QByteArray bitmap;
    // Room for the whole bitmap at once (rows of 24-bit pixels padded to 4 bytes, and headers):
    // growing the buffer as the writer goes would copy it again and again.
    bitmap.reserve(qsizetype(picture.height()) * ((picture.width() * 3 + 3) & ~3) + 1024);
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(picture))
      fail(QStringLiteral("The picture of the sheet cannot be stored: %1")
               .arg(writer.errorString()));
    writeFileAtomically(path, bitmap, FileAccess::OwnerOnly);
  });
}

}  // namespace report
