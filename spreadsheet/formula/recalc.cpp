// Recalculation: every formula cell after the formula cells it reads, found by a depth-first
// walk with an explicit stack (no recursion, however long the chain of cells). A cell reached
// again while it is still on the stack closes a circle: every cell of that circle shows 0.
#include <map>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/node.h"
#include "spreadsheet/model/workbook.h"

namespace sheet {

namespace {

void collectRanges(const FormulaNode& n, CellRef host, std::vector<Range>& out) {
  if (n.kind == NodeKind::Ref || n.kind == NodeKind::Area) out.push_back(resolveRange(n, host));
  for (const auto& c : n.children) collectRanges(*c, host, out);
}

struct Entry {
  CellRef at;
  Cell* cell = nullptr;
  enum State : uint8_t { Waiting, Open, Done } state = Waiting;
  bool circular = false;
  size_t stackPos = 0;
};

void recalculateSheet(Workbook& book, int sheetIndex) {
  Worksheet& ws = book.sheet(sheetIndex);
  std::vector<Entry> entries;
  std::map<CellRef, size_t> indexOf;
  for (const auto& [at, cell] : ws.cells()) {
    if (!cell.hasFormula()) continue;
    indexOf.emplace(at, entries.size());
    entries.push_back({at, &ws.cellAt(at)});
  }
  if (entries.empty()) return;

  auto dependencies = [&](const Entry& e) {
    std::vector<Range> ranges;
    collectRanges(e.cell->formula->root(), e.at, ranges);
    std::vector<size_t> deps;
    for (const Range& r : ranges) {
      forEachInRange(indexOf, r, [&](CellRef, size_t i) {
        deps.push_back(i);
        return true;
      });
    }
    return deps;
  };

  struct Frame {
    size_t entry;
    std::vector<size_t> deps;
    size_t next = 0;
  };
  std::vector<Frame> stack;
  auto open = [&](size_t i) {
    entries[i].state = Entry::Open;
    entries[i].stackPos = stack.size();
    stack.push_back({i, dependencies(entries[i])});
  };

  for (size_t start = 0; start < entries.size(); ++start) {
    if (entries[start].state != Entry::Waiting) continue;
    open(start);
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next < f.deps.size()) {
        const size_t d = f.deps[f.next++];
        if (entries[d].state == Entry::Waiting) {
          open(d);  // invalidates f
        } else if (entries[d].state == Entry::Open) {
          for (size_t k = entries[d].stackPos; k < stack.size(); ++k)
            entries[stack[k].entry].circular = true;
        }
        continue;
      }
      Entry& e = entries[f.entry];
      e.cell->value =
          e.circular ? Value{0.0} : formula::evaluate(book, sheetIndex, e.at, *e.cell->formula);
      e.state = Entry::Done;
      stack.pop_back();
    }
  }
}

}  // namespace

void recalculate(Workbook& book) {
  for (int i = 0; i < static_cast<int>(book.sheets.size()); ++i) recalculateSheet(book, i);
}

}  // namespace sheet
