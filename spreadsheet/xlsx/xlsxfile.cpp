#include "spreadsheet/xlsx/xlsxfile.h"

#include <xlsxwriter.h>

#include <QByteArray>
#include <cmath>
#include <unordered_map>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"

namespace sheet {

namespace {

[[noreturn]] void refused(lxw_error error, const char* what) {
  throw Error(QStringLiteral("The Excel workbook cannot be written (%1: %2).")
                  .arg(QString::fromLatin1(what), QString::fromUtf8(lxw_strerror(error)))
                  .toStdString());
}

void check(lxw_error error, const char* what) {
  if (error != LXW_NO_ERROR) refused(error, what);
}

// The library's colour of a palette index; black has a code of its own, as 0 means none.
lxw_color_t colorOf(const Palette& palette, uint16_t index) {
  const uint32_t rgb = palette.rgb(index);
  return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

uint8_t alignment(HAlign a) {
  switch (a) {
    case HAlign::General:
      return LXW_ALIGN_NONE;
    case HAlign::Left:
      return LXW_ALIGN_LEFT;
    case HAlign::Center:
      return LXW_ALIGN_CENTER;
    case HAlign::Right:
      return LXW_ALIGN_RIGHT;
    case HAlign::Fill:
      return LXW_ALIGN_FILL;
    case HAlign::Justify:
      return LXW_ALIGN_JUSTIFY;
    case HAlign::CenterAcross:
      return LXW_ALIGN_CENTER_ACROSS;
  }
  return LXW_ALIGN_NONE;
}

uint8_t verticalAlignment(VAlign a) {
  switch (a) {
    case VAlign::Top:
      return LXW_ALIGN_VERTICAL_TOP;
    case VAlign::Center:
      return LXW_ALIGN_VERTICAL_CENTER;
    case VAlign::Bottom:
      return LXW_ALIGN_VERTICAL_BOTTOM;
    case VAlign::Justify:
      return LXW_ALIGN_VERTICAL_JUSTIFY;
  }
  return LXW_ALIGN_VERTICAL_BOTTOM;
}

// The library's formats, one per format of the workbook that cells or columns use.
class Formats {
 public:
  Formats(lxw_workbook* book, const Workbook& source) : book_(book), source_(source) {}

  lxw_format* get(uint32_t index) {
    if (const auto found = made_.find(index); found != made_.end()) return found->second;
    const CellFormat& f = source_.formats.at(index);
    const Palette& palette = source_.palette;
    lxw_format* format = workbook_add_format(book_);
    if (!format) refused(LXW_ERROR_MEMORY_MALLOC_FAILED, "a format");
    const QByteArray fontName = f.font.name.toUtf8();
    format_set_font_name(format, fontName.constData());
    format_set_font_size(format, f.font.heightTwips / 20.0);
    if (f.font.bold) format_set_bold(format);
    if (f.font.italic) format_set_italic(format);
    if (f.font.strikeout) format_set_font_strikeout(format);
    if (f.font.underline == Underline::Single) format_set_underline(format, LXW_UNDERLINE_SINGLE);
    if (f.font.underline == Underline::Double) format_set_underline(format, LXW_UNDERLINE_DOUBLE);
    if (f.font.colorIndex != kFontAutoColor && f.font.colorIndex != kAutoColor)
      format_set_font_color(format, colorOf(palette, f.font.colorIndex));
    if (f.font.family != 0) format_set_font_family(format, f.font.family);
    if (f.font.charset != 0) format_set_font_charset(format, f.font.charset);
    if (f.numberFormat.compare(u"General", Qt::CaseInsensitive) != 0) {
      const QByteArray numberFormat = f.numberFormat.toUtf8();
      format_set_num_format(format, numberFormat.constData());
    }
    if (f.hAlign != HAlign::General) format_set_align(format, alignment(f.hAlign));
    if (f.vAlign != VAlign::Bottom) format_set_align(format, verticalAlignment(f.vAlign));
    if (f.wrap) format_set_text_wrap(format);
    if (!f.locked) format_set_unlocked(format);
    // The line styles are numbered as the library numbers them.
    const std::pair<const Border*, void (*)(lxw_format*, uint8_t)> lines[] = {
        {&f.left, format_set_left},
        {&f.right, format_set_right},
        {&f.top, format_set_top},
        {&f.bottom, format_set_bottom}};
    for (const auto& [border, set] : lines)
      if (border->style != LineStyle::None) set(format, static_cast<uint8_t>(border->style));
    const std::pair<const Border*, void (*)(lxw_format*, lxw_color_t)> colors[] = {
        {&f.left, format_set_left_color},
        {&f.right, format_set_right_color},
        {&f.top, format_set_top_color},
        {&f.bottom, format_set_bottom_color}};
    for (const auto& [border, set] : colors)
      if (border->style != LineStyle::None && border->colorIndex != kAutoColor)
        set(format, colorOf(palette, border->colorIndex));
    if (f.pattern == FillPattern::Solid) {
      format_set_pattern(format, LXW_PATTERN_SOLID);
      // A solid fill is the library's background colour.
      format_set_bg_color(format, colorOf(palette, f.fillColor));
    }
    made_.emplace(index, format);
    return format;
  }

 private:
  lxw_workbook* book_;
  const Workbook& source_;
  std::unordered_map<uint32_t, lxw_format*> made_;
};

// A column width as the library takes it: it adds the cell padding to what it is given, so that
// the file holds the same width (in characters, padding included) as the BIFF8 column.
double libraryWidth(uint16_t width256) {
  const double characters = width256 / 256.0;
  constexpr double kPadding = 5.0 / 7.0;  // 5 pixels of a 7-pixel digit
  return characters > 1 + kPadding ? characters - kPadding : characters / (1 + kPadding);
}

void writeSheet(lxw_workbook* book, const Workbook& source, int index, Formats& formats) {
  const Worksheet& ws = source.sheets[size_t(index)];
  const QByteArray name = ws.name().toUtf8();
  lxw_worksheet* sheet = workbook_add_worksheet(book, name.constData());
  if (!sheet) refused(LXW_ERROR_MEMORY_MALLOC_FAILED, "the sheet");

  for (const auto& [col, info] : ws.columns) {
    lxw_row_col_options options{};
    options.hidden = info.hidden;
    check(worksheet_set_column_opt(sheet, lxw_col_t(col), lxw_col_t(col), libraryWidth(info.width),
                                   info.format ? formats.get(info.format) : nullptr, &options),
          "a column");
  }
  worksheet_set_default_row(sheet, ws.defaultRowHeightTwips / 20.0, LXW_FALSE);
  for (const auto& [row, info] : ws.rows) {
    lxw_row_col_options options{};
    options.hidden = info.hidden;
    // The library leaves out the height of a row of 15 points, its own default, which would
    // make such a row as high as this sheet's default; a hair more keeps it.
    double points = info.heightTwips / 20.0;
    if (points == 15.0 && ws.defaultRowHeightTwips != 300) points += 1e-6;
    check(worksheet_set_row_opt(sheet, lxw_row_t(row), points, nullptr, &options), "a row");
  }
  // Merges first: the library fills a merged range with blanks, and the cells then take their
  // own values and formats.
  for (const Range& m : ws.merges()) {
    const Cell* first = ws.cell({m.firstRow, m.firstCol});
    check(worksheet_merge_range(sheet, lxw_row_t(m.firstRow), lxw_col_t(m.firstCol),
                                lxw_row_t(m.lastRow), lxw_col_t(m.lastCol), "",
                                first && first->format ? formats.get(first->format) : nullptr),
          "a merged range");
  }
  for (const auto& [at, cell] : ws.cells()) {
    const lxw_row_t row = lxw_row_t(at.row);
    const lxw_col_t col = lxw_col_t(at.col);
    lxw_format* format = cell.format ? formats.get(cell.format) : nullptr;
    if (cell.formula) {
      const QByteArray text = (QChar(u'=') + formula::toA1(*cell.formula, at)).toUtf8();
      if (const double* number = std::get_if<double>(&cell.value)) {
        check(worksheet_write_formula_num(sheet, row, col, text.constData(), format, *number),
              "a formula");
      } else if (const QString* s = std::get_if<QString>(&cell.value)) {
        const QByteArray result = s->toUtf8();
        check(worksheet_write_formula_str(sheet, row, col, text.constData(), format,
                                          result.constData()),
              "a formula");
      } else {
        check(worksheet_write_formula(sheet, row, col, text.constData(), format), "a formula");
      }
    } else if (const double* number = std::get_if<double>(&cell.value)) {
      check(worksheet_write_number(sheet, row, col, *number, format), "a number");
    } else if (const QString* s = std::get_if<QString>(&cell.value)) {
      const QByteArray text = s->toUtf8();
      check(worksheet_write_string(sheet, row, col, text.constData(), format), "a text");
    } else if (const bool* b = std::get_if<bool>(&cell.value)) {
      check(worksheet_write_boolean(sheet, row, col, *b, format), "a truth value");
    } else if (const ErrorCode* e = std::get_if<ErrorCode>(&cell.value)) {
      // An error value is written as the formula that gives it.
      const QByteArray text = (QStringLiteral("=") + errorText(*e)).toUtf8();
      check(worksheet_write_formula(sheet, row, col, text.constData(), format), "an error");
    } else if (format) {
      check(worksheet_write_blank(sheet, row, col, format), "a blank");
    }
  }

  const PageSetup& page = ws.page;
  worksheet_set_paper(sheet, uint8_t(page.paperSize));
  if (page.landscape)
    worksheet_set_landscape(sheet);
  else
    worksheet_set_portrait(sheet);
  worksheet_set_margins(sheet, page.leftMargin, page.rightMargin, page.topMargin,
                        page.bottomMargin);
  // The header and footer margins travel with the (possibly empty) header and footer. The
  // library takes a margin of 0 for its default of 0.3 inches; a millionth of an inch is none.
  auto margin = [](double inches) { return inches > 0 ? inches : 1e-6; };
  lxw_header_footer_options header{};
  header.margin = margin(page.headerMargin);
  const QByteArray headerText = page.header.toUtf8();
  check(worksheet_set_header_opt(sheet, headerText.constData(), &header), "the header");
  lxw_header_footer_options footer{};
  footer.margin = margin(page.footerMargin);
  const QByteArray footerText = page.footer.toUtf8();
  check(worksheet_set_footer_opt(sheet, footerText.constData(), &footer), "the footer");
  if (page.fitToPage)
    worksheet_fit_to_pages(sheet, uint16_t(page.fitWidth), uint16_t(page.fitHeight));
  else if (page.scale != 100)
    worksheet_set_print_scale(sheet, uint16_t(page.scale));
  if (page.hCenter) worksheet_center_horizontally(sheet);
  if (page.vCenter) worksheet_center_vertically(sheet);
  if (page.printHeadings) worksheet_print_row_col_headers(sheet);
  worksheet_gridlines(sheet, (ws.window.showGridlines ? LXW_SHOW_SCREEN_GRIDLINES : 0) |
                                 (page.printGridlines ? LXW_SHOW_PRINT_GRIDLINES : 0));
  if (const DefinedName* area = source.printArea(index); area && !area->ranges.empty()) {
    const Range& r = area->ranges.front();
    check(worksheet_print_area(sheet, lxw_row_t(r.firstRow), lxw_col_t(r.firstCol),
                               lxw_row_t(r.lastRow), lxw_col_t(r.lastCol)),
          "the print area");
  }
  worksheet_set_zoom(sheet, uint16_t(ws.window.zoomPercent));
  const CellRef active = ws.window.activeCell;
  worksheet_set_selection(sheet, lxw_row_t(active.row), lxw_col_t(active.col),
                          lxw_row_t(active.row), lxw_col_t(active.col));
  if (index == source.activeSheet) worksheet_activate(sheet);
}

}  // namespace

void writeXlsxFile(const Workbook& book, const QString& path) {
  const QByteArray file = path.toLocal8Bit();
  lxw_workbook* out = workbook_new(file.constData());
  if (!out)
    throw Error(
        QStringLiteral("The Excel workbook cannot be started at '%1'.").arg(path).toStdString());
  try {
    Formats formats(out, book);
    for (int i = 0; i < static_cast<int>(book.sheets.size()); ++i)
      writeSheet(out, book, i, formats);
  } catch (...) {
    workbook_close(out);  // frees everything; the half-written file is the caller's to remove
    throw;
  }
  check(workbook_close(out), "the file");
}

}  // namespace sheet
