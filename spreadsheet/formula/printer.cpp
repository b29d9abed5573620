// Tree to formula text, in A1 or R1C1 notation. Parentheses that the text had are kept as
// nodes; the printer adds only those that the tree's shape needs (trees read from tokens).
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/node.h"

namespace sheet {

namespace {

constexpr int kUnaryPrecedence = 6;
constexpr int kPercentPrecedence = 7;
constexpr int kPrimaryPrecedence = 8;

int precedence(const FormulaNode& n) {
  switch (n.kind) {
    case NodeKind::Binary:
      return binaryPrecedence(n.binary);
    case NodeKind::Unary:
      return kUnaryPrecedence;
    case NodeKind::Percent:
      return kPercentPrecedence;
    default:
      return kPrimaryPrecedence;
  }
}

class Printer {
 public:
  Printer(CellRef host, bool r1c1) : host_(host), r1c1_(r1c1) {}

  QString print(const FormulaNode& n) const {
    switch (n.kind) {
      case NodeKind::Number:
        return numberText(n.number);
      case NodeKind::Text: {
        QString t = n.text;
        return u'"' + t.replace(u'"', QStringLiteral("\"\"")) + u'"';
      }
      case NodeKind::Boolean:
        return n.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
      case NodeKind::Error:
        return errorText(n.error);
      case NodeKind::Ref:
        return r1c1_ ? r1c1Cell(n.row, n.col) : a1Cell(n.row, n.col);
      case NodeKind::Area:
        return area(n);
      case NodeKind::Name:
        return n.text;
      case NodeKind::Missing:
        return {};
      case NodeKind::Unary:
        return QChar::fromLatin1(n.op) + operand(*n.children[0], kUnaryPrecedence, false);
      case NodeKind::Percent:
        return operand(*n.children[0], kPercentPrecedence, false) + u'%';
      case NodeKind::Binary: {
        const int p = binaryPrecedence(n.binary);
        return operand(*n.children[0], p, false) + binaryText(n.binary) +
               operand(*n.children[1], p, true);
      }
      case NodeKind::Paren:
        return u'(' + print(*n.children[0]) + u')';
      case NodeKind::Function: {
        QString t = n.text + u'(';
        for (size_t i = 0; i < n.children.size(); ++i) {
          if (i > 0) t += u',';
          t += print(*n.children[i]);
        }
        return t + u')';
      }
    }
    return {};
  }

 private:
  CellRef host_;
  bool r1c1_;

  // An operand of an operator of precedence `p`; a right operand of a left-associative operator
  // needs parentheses at equal precedence too.
  QString operand(const FormulaNode& n, int p, bool right) const {
    const int own = precedence(n);
    if (own < p || (right && own == p)) return u'(' + print(n) + u')';
    return print(n);
  }

  static QString r1c1Part(QChar letter, const RefPart& part) {
    if (!part.relative) return letter + QString::number(part.value + 1);
    if (part.value == 0) return QString(letter);
    return letter + u'[' + QString::number(part.value) + u']';
  }
  static QString r1c1Cell(const RefPart& row, const RefPart& col) {
    return r1c1Part(u'R', row) + r1c1Part(u'C', col);
  }
  QString a1Column(const RefPart& col) const {
    const QString name = columnName(col.resolve(host_.col, kMaxColumns));
    return col.relative ? name : u'$' + name;
  }
  QString a1Row(const RefPart& row) const {
    const QString number = QString::number(row.resolve(host_.row, kMaxRows) + 1);
    return row.relative ? number : u'$' + number;
  }
  QString a1Cell(const RefPart& row, const RefPart& col) const {
    return a1Column(col) + a1Row(row);
  }

  QString area(const FormulaNode& n) const {
    if (n.wholeRows) {
      if (!r1c1_) return a1Row(n.row) + u':' + a1Row(n.row2);
      if (n.row == n.row2) return r1c1Part(u'R', n.row);
      return r1c1Part(u'R', n.row) + u':' + r1c1Part(u'R', n.row2);
    }
    if (n.wholeColumns) {
      if (!r1c1_) return a1Column(n.col) + u':' + a1Column(n.col2);
      if (n.col == n.col2) return r1c1Part(u'C', n.col);
      return r1c1Part(u'C', n.col) + u':' + r1c1Part(u'C', n.col2);
    }
    if (r1c1_) return r1c1Cell(n.row, n.col) + u':' + r1c1Cell(n.row2, n.col2);
    return a1Cell(n.row, n.col) + u':' + a1Cell(n.row2, n.col2);
  }
};

}  // namespace

namespace formula {

QString toA1(const Formula& f, CellRef host) {
  return Printer(host, false).print(f.root());
}
QString toR1C1(const Formula& f, CellRef host) {
  return Printer(host, true).print(f.root());
}

}  // namespace formula
}  // namespace sheet
