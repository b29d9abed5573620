"""Compares a report workbook (.xls, read by xlrd) with its .xlsx export (read by openpyxl):
every cell of the print area (value, formula and its value, font, fill, borders, alignment,
wrap, number format), the merges, column widths, row heights and the page set-up. Prints each
difference and exits with 1 when there is any."""
import sys

import openpyxl
import xlrd
from openpyxl.utils import get_column_letter

xls_path, xlsx_path = sys.argv[1], sys.argv[2]
book = xlrd.open_workbook(xls_path, formatting_info=True)
old = book.sheet_by_index(0)
wb = openpyxl.load_workbook(xlsx_path)
new = wb.active
values = openpyxl.load_workbook(xlsx_path, data_only=True).active
faults = []

STYLES = {0: None, 1: "thin", 2: "medium", 3: "dashed", 4: "dotted", 5: "thick", 6: "double",
          7: "hair"}
HALIGN = {0: None, 1: "left", 2: "center", 3: "right", 4: "fill", 5: "justify",
          6: "centerContinuous"}


def rgb(index):
    colour = book.colour_map.get(index)
    return None if colour is None else "FF%02X%02X%02X" % tuple(colour)


def same(what, a, b):
    if a != b and not (isinstance(a, float) and isinstance(b, (int, float)) and abs(a - b) < 1e-9):
        faults.append("%s: %r in the .xls, %r in the .xlsx" % (what, a, b))


# openpyxl keeps no style for the cells a merge covers and draws the range's outer border onto
# its first cell: those are left to the PDF comparison.
covered, spans = set(), {}
for r0, r1, c0, c1 in old.merged_cells:
    spans[(r0, c0)] = (r1 - r0 > 1, c1 - c0 > 1)
    covered.update((r, c) for r in range(r0, r1) for c in range(c0, c1) if (r, c) != (r0, c0))

if new.title != old.name:
    faults.append("sheet %r vs %r" % (old.name, new.title))
for r in range(25):
    for c in range(20):
        name = "%s%d" % (get_column_letter(c + 1), r + 1)
        cell, value = new.cell(r + 1, c + 1), values.cell(r + 1, c + 1)
        v = old.cell_value(r, c) if r < old.nrows and c < old.ncols else ""
        same(name + " value", v if v != "" else None, value.value)
        if (r, c) in covered:
            continue
        tall, wide = spans.get((r, c), (False, False))
        xf = book.xf_list[old.cell_xf_index(r, c)]
        font = book.font_list[xf.font_index]
        same(name + " font", font.name, cell.font.name)
        same(name + " size", font.height / 20, cell.font.sz)
        same(name + " bold", bool(font.bold), bool(cell.font.b))
        same(name + " underline", font.underline_type == 1, cell.font.u == "single")
        colour = None if font.colour_index in (0x7FFF, 0x40) else rgb(font.colour_index)
        same(name + " colour", colour, cell.font.color.rgb if cell.font.color is not None
             and cell.font.color.type == "rgb" else None)
        solid = xf.background.fill_pattern == 1
        same(name + " fill", rgb(xf.background.pattern_colour_index) if solid else None,
             cell.fill.fgColor.rgb if cell.fill.patternType == "solid" else None)
        border = xf.border
        for side, style in (("left", border.left_line_style), ("right", border.right_line_style),
                            ("top", border.top_line_style), ("bottom", border.bottom_line_style)):
            if (side == "right" and wide) or (side == "bottom" and tall):
                continue
            same("%s %s border" % (name, side), STYLES[style], getattr(cell.border, side).style)
        same(name + " alignment", HALIGN[xf.alignment.hor_align], cell.alignment.horizontal)
        same(name + " wrap", bool(xf.alignment.text_wrapped), bool(cell.alignment.wrap_text))
        same(name + " number format", book.format_map[xf.format_key].format_str,
             cell.number_format)
for c in (3, 8, 13, 18):
    letter = get_column_letter(c + 1)
    same("formula " + letter + "25", "=SUM(%s3:%s24)" % (letter, letter),
         new.cell(25, c + 1).value)
same("merges", sorted((r0 + 1, c0 + 1, r1, c1) for r0, r1, c0, c1 in old.merged_cells),
     sorted((m.min_row, m.min_col, m.max_row, m.max_col) for m in new.merged_cells.ranges))
for c, info in old.colinfo_map.items():
    width = new.column_dimensions[get_column_letter(c + 1)].width
    if abs(info.width / 256 - width) > 0.01:
        faults.append("column %d width %.3f vs %.3f" % (c, info.width / 256, width))
for r in range(25):
    info = old.rowinfo_map.get(r)
    height = new.row_dimensions[r + 1].height or new.sheet_format.defaultRowHeight
    expected = info.height / 20 if info else old.default_row_height / 20
    if abs(expected - height) > 0.01:
        faults.append("row %d height %.2f vs %.2f" % (r + 1, expected, height))
# The page set-up of the report: A4 landscape, one page wide and tall, the report's margins.
page, margins = new.page_setup, new.page_margins
same("paper", "9", str(page.paperSize))
same("orientation", "landscape", page.orientation)
same("fit to page", True, bool(new.sheet_properties.pageSetUpPr.fitToPage))
same("pages wide", 1, page.fitToWidth or 1)
same("pages tall", 1, page.fitToHeight or 1)
for what, expected in (("left", 0.7), ("right", 0.7), ("top", 0.5), ("bottom", 0.5),
                       ("header", 0.0), ("footer", 0.0)):
    if abs(getattr(margins, what) - expected) > 1e-4:
        faults.append("%s margin %r" % (what, getattr(margins, what)))
same("print area", ["$A$1:$T$25"], new.print_area)
for fault in faults:
    print(fault)
print("%d differences" % len(faults))
sys.exit(1 if faults else 0)
