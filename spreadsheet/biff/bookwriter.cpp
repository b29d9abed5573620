// The book writer: the records of a BIFF8 workbook in the order the format prescribes.
#include <QHash>
#include <algorithm>
#include <set>

#include "spreadsheet/biff/framer.h"
#include "spreadsheet/biff/numberformats.h"
#include "spreadsheet/biff/records.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/cfb/compoundfile.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"

namespace sheet {

namespace biff {

namespace {

// Cell XFs follow the style XFs; cell XF 15 is format 0 of the format table.
uint16_t xfOf(uint32_t format) {
  return uint16_t(kStyleXfCount + format);
}

// A cell is written when it has a value, a formula or a format of its own.
bool written(const Cell& c) {
  return !isEmpty(c.value) || c.hasFormula() || c.format != 0;
}

// The workbook-wide tables the records refer to by index.
struct Tables {
  std::vector<Font> fonts;          // distinct fonts; fonts[0] is the default font
  std::vector<uint16_t> fontIndex;  // per format: FONT record index
  std::vector<uint16_t> formatId;   // per format: number format id
  std::vector<std::pair<uint16_t, QString>> customFormats;
  std::vector<QString> strings;  // shared strings
  QHash<QString, uint32_t> stringIndex;
  uint32_t stringReferences = 0;

  explicit Tables(const Workbook& book) {
    const auto& formats = book.formats.all();
    if (formats.size() + kStyleXfCount > 4050)
      throw Error("The workbook has more cell formats than an Excel 97-2003 file can hold.");
    QHash<QString, uint16_t> customIds;
    for (const CellFormat& f : formats) {
      // FONT records 0-3 are the default font; index 4 does not exist; others from 5 on.
      auto it = std::find(fonts.begin(), fonts.end(), f.font);
      size_t k = size_t(it - fonts.begin());
      if (it == fonts.end()) fonts.push_back(f.font);
      fontIndex.push_back(uint16_t(k == 0 ? 0 : k + 4));

      int id = portableBuiltinId(f.numberFormat);
      if (id < 0) {
        auto found = customIds.find(f.numberFormat);
        if (found == customIds.end()) {
          const auto next = uint16_t(kFirstCustomFormat + customFormats.size());
          found = customIds.insert(f.numberFormat, next);
          customFormats.emplace_back(next, f.numberFormat);
        }
        id = found.value();
      }
      formatId.push_back(uint16_t(id));
    }
    if (fonts.size() + 4 > 0x7FFF) throw Error("The workbook has too many fonts.");

    for (const Worksheet& ws : book.sheets)
      for (const auto& [at, c] : ws.cells()) {
        const QString* s = std::get_if<QString>(&c.value);
        if (!s || c.hasFormula()) continue;
        ++stringReferences;
        if (!stringIndex.contains(*s)) {
          stringIndex.insert(*s, uint32_t(strings.size()));
          strings.push_back(*s);
        }
      }
  }
};

void writeGlobals(RecordWriter& w, const Workbook& book, const Tables& t,
                  std::vector<qsizetype>* sheetOffsets) {
  const int sheetCount = int(book.sheets.size());
  w.write(record::bof(kBofGlobals));
  if (book.isTemplate) w.write(record::templateFlag());
  w.write(record::interfaceHdr());
  w.write(record::mms());
  w.write(record::interfaceEnd());
  w.write(record::writeAccess(QString()));
  w.write(record::codepage());
  w.write(record::dsf());
  w.write(record::tabId(sheetCount));
  w.write(record::fnGroupCount());
  w.write(record::windowProtect());
  w.write(record::protect());
  w.write(record::password());
  w.write(record::prot4Rev());
  w.write(record::prot4RevPass());
  int selected = 0;
  for (const Worksheet& ws : book.sheets) selected += ws.window.selected ? 1 : 0;
  w.write(record::window1(std::clamp(book.activeSheet, 0, sheetCount - 1), std::max(1, selected)));
  w.write(record::backup());
  w.write(record::hideObj());
  w.write(record::dateMode(book.date1904));
  w.write(record::precision());
  w.write(record::refreshAll());
  w.write(record::bookBool());

  for (int i = 0; i < 4; ++i) w.write(record::font(t.fonts[0]));
  for (size_t i = 1; i < t.fonts.size(); ++i) w.write(record::font(t.fonts[i]));
  for (const auto& [id, code] : t.customFormats) w.write(record::format(id, code));

  // Style XFs: 0 is the Normal style (every attribute its own); 1-14 are the other built-in
  // style slots, which take only their font from here.
  const CellFormat& normal = book.formats.at(0);
  w.write(record::xf(normal, 0, t.formatId[0], true, 0x00));
  for (int i = 1; i < kStyleXfCount; ++i) w.write(record::xf(normal, 0, t.formatId[0], true, 0xF4));
  // Cell XFs, one per format, each using all of its own attributes.
  const auto& formats = book.formats.all();
  for (size_t i = 0; i < formats.size(); ++i)
    w.write(record::xf(formats[i], t.fontIndex[i], t.formatId[i], false, 0xFC));
  w.write(record::styleNormal());
  if (!book.palette.isStandard()) w.write(record::palette(book.palette));
  w.write(record::useSelfs());

  for (const Worksheet& ws : book.sheets)
    sheetOffsets->push_back(w.write(record::boundSheet(ws.name())));
  w.write(record::country());

  if (!book.names.empty()) {
    w.write(record::supBookInternal(sheetCount));
    w.write(record::externSheet(sheetCount));
    for (const DefinedName& n : book.names) w.write(record::name(n));
  }
  sstAndExtSst(w, t.strings, t.stringReferences);
  w.write(record::eof());
}

void writeCell(RecordWriter& w, const Tables& t, CellRef at, const Cell& c) {
  const uint16_t x = xfOf(c.format);
  if (c.hasFormula()) {
    w.write(record::formula(at, x, c.value, formula::encodeBiff(*c.formula, at)));
    if (const QString* s = std::get_if<QString>(&c.value); s && !s->isEmpty())
      w.write(record::string(*s));
  } else if (const double* d = std::get_if<double>(&c.value)) {
    uint32_t r;
    if (encodeRk(*d, &r))
      w.write(record::rk(at, x, r));
    else
      w.write(record::number(at, x, *d));
  } else if (const QString* s = std::get_if<QString>(&c.value)) {
    w.write(record::labelSst(at, x, t.stringIndex.value(*s)));
  } else if (isBoolean(c.value) || isError(c.value)) {
    w.write(record::boolErr(at, x, c.value));
  } else {
    w.write(record::blank(at, x));
  }
}

// The cells of one row, runs of formatted empty cells side by side as MULBLANK.
template <typename It>
void writeRowCells(RecordWriter& w, const Tables& t, It begin, It end) {
  for (It it = begin; it != end;) {
    const auto& [at, c] = *it;
    auto isBlank = [](const Cell& cell) { return isEmpty(cell.value) && !cell.hasFormula(); };
    if (!written(c)) {
      ++it;
      continue;
    }
    if (isBlank(c)) {
      std::vector<uint16_t> xfs{xfOf(c.format)};
      It next = std::next(it);
      while (next != end && next->first.col == at.col + int(xfs.size()) && isBlank(next->second) &&
             written(next->second)) {
        xfs.push_back(xfOf(next->second.format));
        ++next;
      }
      if (xfs.size() > 1)
        w.write(record::mulBlank(at, xfs));
      else
        w.write(record::blank(at, xfs[0]));
      it = next;
      continue;
    }
    writeCell(w, t, at, c);
    ++it;
  }
}

void writeSheet(RecordWriter& w, const Workbook& book, int index, const Tables& t) {
  const Worksheet& ws = book.sheets[size_t(index)];
  const PageSetup& p = ws.page;
  w.write(record::bof(kBofWorksheet));
  w.write(record::calcMode());
  w.write(record::calcCount());
  w.write(record::refMode());
  w.write(record::iteration());
  w.write(record::delta());
  w.write(record::saveRecalc());
  w.write(record::printHeaders(p.printHeadings));
  w.write(record::printGridlines(p.printGridlines));
  w.write(record::gridSet());
  w.write(record::guts());
  w.write(record::defaultRowHeight(ws.defaultRowHeightTwips));
  w.write(record::wsBool(p.fitToPage));
  w.write(record::header(p.header));
  w.write(record::footer(p.footer));
  w.write(record::hCenter(p.hCenter));
  w.write(record::vCenter(p.vCenter));
  w.write(record::leftMargin(p.leftMargin));
  w.write(record::rightMargin(p.rightMargin));
  w.write(record::topMargin(p.topMargin));
  w.write(record::bottomMargin(p.bottomMargin));
  w.write(record::setup(p));
  w.write(record::defColWidth(ws.defaultColumnWidthChars));

  // Runs of columns with the same settings share one COLINFO record.
  for (auto it = ws.columns.begin(); it != ws.columns.end();) {
    if (it->first < 0 || it->first >= kMaxColumns) {
      ++it;
      continue;
    }
    auto last = it;
    for (auto next = std::next(it); next != ws.columns.end() && next->first == last->first + 1 &&
                                    next->first < kMaxColumns && next->second == it->second;
         ++next)
      last = next;
    w.write(record::colInfo(it->first, last->first, it->second, xfOf(it->second.format)));
    it = std::next(last);
  }

  // Used area and the rows to describe.
  bool any = false;
  Range used;
  std::map<int, std::pair<int, int>> rowSpans;  // row -> first column, last column + 1
  for (const auto& [at, c] : ws.cells()) {
    if (!written(c)) continue;
    if (!any) {
      used = Range::cell(at);
      any = true;
    }
    used.firstRow = std::min(used.firstRow, at.row);
    used.lastRow = std::max(used.lastRow, at.row);
    used.firstCol = std::min(used.firstCol, at.col);
    used.lastCol = std::max(used.lastCol, at.col);
    auto [span, fresh] = rowSpans.try_emplace(at.row, at.col, at.col + 1);
    if (!fresh) span->second.second = at.col + 1;
  }
  for (const auto& [r, info] : ws.rows)
    if (r >= 0 && r < kMaxRows) rowSpans.try_emplace(r, 0, 0);
  w.write(record::dimensions(!any, used));

  // Rows in blocks of 32: the block's ROW records, then its cells.
  RowInfo defaultRow;
  defaultRow.heightTwips = ws.defaultRowHeightTwips;
  for (auto it = rowSpans.begin(); it != rowSpans.end();) {
    const int blockEnd = (it->first / 32 + 1) * 32;
    auto blockLast = rowSpans.lower_bound(blockEnd);
    for (auto r = it; r != blockLast; ++r) {
      auto info = ws.rows.find(r->first);
      w.write(record::row(r->first, r->second.first, r->second.second,
                          info == ws.rows.end() ? defaultRow : info->second));
    }
    const int firstRow = it->first;
    auto cellsBegin = ws.cells().lower_bound(CellRef{firstRow, 0});
    auto cellsEnd = ws.cells().lower_bound(CellRef{blockEnd, 0});
    for (auto c = cellsBegin; c != cellsEnd;) {
      auto rowEnd = c;
      while (rowEnd != cellsEnd && rowEnd->first.row == c->first.row) ++rowEnd;
      writeRowCells(w, t, c, rowEnd);
      c = rowEnd;
    }
    it = blockLast;
  }

  w.write(record::window2(ws.window, index == book.activeSheet));
  if (ws.window.zoomPercent != 100) w.write(record::scl(ws.window.zoomPercent));
  w.write(record::selection(ws.window));
  const auto& merges = ws.merges();
  for (size_t i = 0; i < merges.size(); i += 1026) {
    const size_t n = std::min<size_t>(1026, merges.size() - i);
    w.write(record::mergedCells(
        std::vector<Range>(merges.begin() + qsizetype(i), merges.begin() + qsizetype(i + n))));
  }
  w.write(record::eof());
}

}  // namespace

QByteArray writeWorkbookStream(const Workbook& book) {
  if (book.sheets.empty()) throw Error("A workbook must have at least one sheet.");
  const Tables tables(book);
  RecordWriter w;
  std::vector<qsizetype> sheetOffsets;
  writeGlobals(w, book, tables, &sheetOffsets);
  for (int i = 0; i < int(book.sheets.size()); ++i) {
    w.patch32(sheetOffsets[size_t(i)], uint32_t(w.position()));
    writeSheet(w, book, i, tables);
  }
  return w.take();
}

}  // namespace biff

QByteArray writeWorkbookBytes(const Workbook& book) {
  return cfb::write({{QStringLiteral("Workbook"), biff::writeWorkbookStream(book)}});
}

}  // namespace sheet
