#pragma once
// The parsed tree of a formula, shared by the parser, the printers, the BIFF8 token codec and
// the evaluator. References keep R1C1 meaning: a relative part is an offset from the formula's
// cell, an absolute part a 0-based row or column, so one tree serves every cell that holds it.
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "spreadsheet/model/geometry.h"
#include "spreadsheet/model/value.h"

namespace sheet {

// One row or column of a reference.
struct RefPart {
  int value = 0;          // offset when relative, 0-based index when absolute
  bool relative = false;  // "R[-1]" / "D3" relative, "R3" / "$D$3" absolute

  // The row or column it names from `host` (`count` rows or columns in a sheet); relative
  // references wrap around the sheet's edge as a spreadsheet's do.
  int resolve(int host, int count) const {
    if (!relative) return value;
    return ((host + value) % count + count) % count;
  }
  friend bool operator==(const RefPart&, const RefPart&) = default;
};

enum class NodeKind : uint8_t {
  Number,
  Text,
  Boolean,
  Error,
  Ref,      // one cell: row, col
  Area,     // row..row2, col..col2; whole rows or whole columns by the flags
  Name,     // a defined name the engine does not know: evaluates to #NAME?
  Missing,  // an omitted argument: "ROUND(1,)"
  Unary,    // op: '-' or '+'
  Percent,  // postfix %
  Binary,   // op: see BinaryOp
  Paren,
  Function,
};

enum class BinaryOp : uint8_t { Add, Sub, Mul, Div, Power, Concat, Lt, Le, Eq, Ge, Gt, Ne };

// Engine functions: their names, BIFF8 numbers and argument counts.
struct FunctionInfo {
  const char* name;
  int biffId;
  int minArgs;
  int maxArgs;
  bool fixed;          // ptgFunc (fixed argument count) rather than ptgFuncVar
  bool referenceArgs;  // arguments that are references are passed as references
};
// The function of that name (upper-case), or null.
const FunctionInfo* findFunction(const QString& upperName);
const FunctionInfo* findFunction(int biffId);

struct FormulaNode {
  NodeKind kind = NodeKind::Number;
  double number = 0;
  QString text;  // Text: the string; Name / Function: the name (function names upper-case)
  bool boolean = false;
  ErrorCode error = ErrorCode::Value;
  RefPart row, col;           // Ref; Area: first corner
  RefPart row2, col2;         // Area: second corner
  bool wholeRows = false;     // Area "3:5" / "R3:R5": columns span the sheet
  bool wholeColumns = false;  // Area "A:C" / "C1:C3": rows span the sheet
  char op = 0;                // Unary
  BinaryOp binary = BinaryOp::Add;
  const FunctionInfo* function = nullptr;  // Function: null for a name the engine does not know
  int depth = 1;                           // 1 + the deepest child
  std::vector<std::shared_ptr<const FormulaNode>> children;
};

using NodePtr = std::shared_ptr<const FormulaNode>;

// A tree deeper than this is refused by the parser and the token reader, so that the printers,
// the token writer and the evaluator, which recurse over the tree, stay well inside the stack.
inline constexpr int kMaxTreeDepth = 1024;
// Nesting of parentheses and function calls the parser accepts.
inline constexpr int kMaxNesting = 255;
// Longest formula text (without "=").
inline constexpr int kMaxFormulaLength = 8192;
// Longest text constant in a formula.
inline constexpr int kMaxFormulaString = 255;

// The range an Area or Ref node names from `host`.
Range resolveRange(const FormulaNode& n, CellRef host);

// Calls f(key, value) for every entry of a map keyed by CellRef that lies in the range, in row
// then column order, jumping over the parts of each row outside the range; f returns false to
// stop.
template <typename Map, typename F>
void forEachInRange(const Map& cells, const Range& r, F f) {
  auto it = cells.lower_bound(CellRef{r.firstRow, r.firstCol});
  while (it != cells.end() && it->first.row <= r.lastRow) {
    const CellRef at = it->first;
    if (at.col < r.firstCol) {
      it = cells.lower_bound(CellRef{at.row, r.firstCol});
    } else if (at.col > r.lastCol) {
      it = cells.lower_bound(CellRef{at.row + 1, r.firstCol});
    } else {
      if (!f(at, it->second)) return;
      ++it;
    }
  }
}

// Text a number shows as in a formula and as text ("0.5", "1E+20").
QString numberText(double v);

// Binary operator text and precedence (higher binds tighter).
QString binaryText(BinaryOp op);
int binaryPrecedence(BinaryOp op);

}  // namespace sheet

namespace sheet {
// A number as a spreadsheet turns it into text ("&", LEN, CONCATENATE): at most 15 significant
// digits, "1E+20" for large ones.
QString generalText(double v);
}  // namespace sheet
