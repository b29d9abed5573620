"""Prints what the independent reader xlrd sees in a report workbook, as JSON."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)


def cell(r, c):
    value = sheet.cell_value(r, c) if r < sheet.nrows and c < sheet.ncols else ""
    xf = book.xf_list[sheet.cell_xf_index(r, c)]
    font = book.font_list[xf.font_index]
    return {
        "value": value,
        "fill": xf.background.pattern_colour_index,
        "pattern": xf.background.fill_pattern,
        "wrap": xf.alignment.text_wrapped,
        "halign": xf.alignment.hor_align,
        "underline": font.underline_type,
        "colour": font.colour_index,
        "font": font.name,
        "bold": font.bold,
        "height": font.height,
        "border": [xf.border.left_line_style, xf.border.right_line_style,
                   xf.border.top_line_style, xf.border.bottom_line_style],
    }


names = {}
for n in book.name_obj_list:
    try:
        _, rlo, rhi, clo, chi = n.area2d()
        names[n.name] = [rlo, rhi, clo, chi]
    except Exception:  # noqa: BLE001 - a name xlrd cannot evaluate
        names[n.name] = "unevaluated"

print(json.dumps({
    "sheets": book.sheet_names(),
    "nrows": sheet.nrows,
    "ncols": sheet.ncols,
    "merged": sorted([list(m) for m in sheet.merged_cells]),
    "cells": {f"{r},{c}": cell(r, c) for r in range(25) for c in range(20)},
    "colinfo": {str(c): sheet.colinfo_map[c].width for c in sheet.colinfo_map},
    "names": names,
    "gridlines": sheet.show_grid_lines,
    "zoom": sheet.scl_mag_factor,
    "rowheights": {str(r): sheet.rowinfo_map[r].height for r in sheet.rowinfo_map},
    "formulas": [book.sheet_by_index(0).cell_type(24, c) for c in (3, 8, 13, 18)],
    "palette": {str(i): list(rgb) for i, rgb in book.colour_map.items() if rgb},
}))
