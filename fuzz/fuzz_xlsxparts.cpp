// Fuzz target of the .xlsx reader's XML, past the zip archive: the input is the worksheet, the
// shared strings, the styles, the workbook and the two relationship parts, in that order,
// separated by "\n#part\n"; a part the input does not give is a minimal valid one (no strings or
// styles). Refusing the parts with FormatError is fine; crashes, hangs, leaks and other
// exceptions are not.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <cstdint>
#include <cstdlib>

#include "spreadsheet/model/error.h"
#include "spreadsheet/xlsx/xlsxread.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QList<QByteArray> pieces;
  for (qsizetype from = 0;;) {
    const qsizetype at = bytes.indexOf("\n#part\n", from);
    pieces.append(bytes.mid(from, at < 0 ? -1 : at - from));
    if (at < 0) break;
    from = at + 7;  // past "\n#part\n"
  }
  const char* names[] = {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",       "xl/styles.xml",
                         "xl/workbook.xml",          "xl/_rels/workbook.xml.rels", "_rels/.rels"};
  QHash<QString, QByteArray> parts;
  parts["xl/workbook.xml"] =
      "<workbook xmlns:r=\"urn:r\"><sheets><sheet name=\"Xmas\" "
      "r:id=\"rId1\"/></sheets></workbook>";
  parts["xl/_rels/workbook.xml.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
      "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"x/sharedStrings\" "
      "Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" Type=\"x/styles\" "
      "Target=\"/xl/styles.xml\"/></Relationships>";
  parts["_rels/.rels"] =
      "<Relationships><Relationship Id=\"rId1\" Type=\"x/officeDocument\" "
      "Target=\"xl/workbook.xml\"/></Relationships>";
  for (qsizetype i = 0; i < pieces.size() && i < qsizetype(std::size(names)); ++i)
    parts[names[i]] = pieces[i];
  try {
    const sheet::Workbook book = sheet::readXlsxParts([&](const QString& name) {
      return parts.contains(name) ? std::optional<QByteArray>(parts.value(name)) : std::nullopt;
    });
    for (const auto& [at, cell] : book.sheet(0).cells())
      if (at.row >= sheet::kMaxRows || at.col >= sheet::kMaxColumns ||
          cell.format >= book.formats.size())
        std::abort();
  } catch (const sheet::FormatError&) {
  }
  return 0;
}
