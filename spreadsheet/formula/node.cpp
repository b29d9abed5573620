#include "spreadsheet/formula/node.h"

#include <charconv>
#include <cmath>

namespace sheet {

namespace {

// Name, BIFF8 function number, fewest and most arguments, fixed argument count, references
// passed as references.
const FunctionInfo kFunctions[] = {
    {"COUNT", 0, 1, 30, false, true},
    {"IF", 1, 2, 3, false, false},
    {"SUM", 4, 1, 30, false, true},
    {"AVERAGE", 5, 1, 30, false, true},
    {"MIN", 6, 1, 30, false, true},
    {"MAX", 7, 1, 30, false, true},
    {"ABS", 24, 1, 1, true, false},
    {"INT", 25, 1, 1, true, false},
    {"ROUND", 27, 2, 2, true, false},
    {"LEN", 32, 1, 1, true, false},
    {"AND", 36, 1, 30, false, true},
    {"OR", 37, 1, 30, false, true},
    {"NOT", 38, 1, 1, true, false},
    {"LOWER", 112, 1, 1, true, false},
    {"UPPER", 113, 1, 1, true, false},
    {"COUNTA", 169, 1, 30, false, true},
    {"CONCATENATE", 336, 1, 30, false, false},
};

}  // namespace

const FunctionInfo* findFunction(const QString& upperName) {
  for (const FunctionInfo& f : kFunctions) {
    if (upperName == QLatin1String(f.name)) return &f;
  }
  return nullptr;
}

const FunctionInfo* findFunction(int biffId) {
  for (const FunctionInfo& f : kFunctions) {
    if (f.biffId == biffId) return &f;
  }
  return nullptr;
}

Range resolveRange(const FormulaNode& n, CellRef host) {
  const int r1 = n.row.resolve(host.row, kMaxRows);
  const int c1 = n.col.resolve(host.col, kMaxColumns);
  if (n.kind == NodeKind::Ref) return Range::cell({r1, c1});
  const int r2 = n.row2.resolve(host.row, kMaxRows);
  const int c2 = n.col2.resolve(host.col, kMaxColumns);
  return {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
}

QString numberText(double v) {
  // Shortest digits that read back as the same number; plain digits unless the number is very
  // large or very small ("100000", "0.001", "1E+20", "1E-07").
  char buf[64];
  const double a = std::fabs(v);
  const bool plain = a == 0 || (a >= 1e-5 && a < 1e15);
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v,
                                 plain ? std::chars_format::fixed : std::chars_format::scientific);
  if (ec != std::errc()) return QStringLiteral("0");
  return QString::fromLatin1(buf, end - buf).replace(u'e', u'E');
}

QString binaryText(BinaryOp op) {
  switch (op) {
    case BinaryOp::Add:
      return QStringLiteral("+");
    case BinaryOp::Sub:
      return QStringLiteral("-");
    case BinaryOp::Mul:
      return QStringLiteral("*");
    case BinaryOp::Div:
      return QStringLiteral("/");
    case BinaryOp::Power:
      return QStringLiteral("^");
    case BinaryOp::Concat:
      return QStringLiteral("&");
    case BinaryOp::Lt:
      return QStringLiteral("<");
    case BinaryOp::Le:
      return QStringLiteral("<=");
    case BinaryOp::Eq:
      return QStringLiteral("=");
    case BinaryOp::Ge:
      return QStringLiteral(">=");
    case BinaryOp::Gt:
      return QStringLiteral(">");
    case BinaryOp::Ne:
      return QStringLiteral("<>");
  }
  return {};
}

int binaryPrecedence(BinaryOp op) {
  switch (op) {
    case BinaryOp::Lt:
    case BinaryOp::Le:
    case BinaryOp::Eq:
    case BinaryOp::Ge:
    case BinaryOp::Gt:
    case BinaryOp::Ne:
      return 1;
    case BinaryOp::Concat:
      return 2;
    case BinaryOp::Add:
    case BinaryOp::Sub:
      return 3;
    case BinaryOp::Mul:
    case BinaryOp::Div:
      return 4;
    case BinaryOp::Power:
      return 5;
  }
  return 0;
}

}  // namespace sheet
