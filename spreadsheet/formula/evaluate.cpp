// Evaluation of a formula tree against the cached values of a workbook, by spreadsheet rules:
// errors propagate from left to right; empty cells are 0 or ""; texts that read as numbers
// take part in arithmetic, other texts give #VALUE!; functions skip texts and booleans in
// ranges but not in direct arguments.
#include <QStringList>
#include <charconv>
#include <cmath>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/node.h"
#include "spreadsheet/formula/typednumber.h"
#include "spreadsheet/model/workbook.h"

namespace sheet {

QString generalText(double v) {
  if (v == 0) return QStringLiteral("0");
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  if (ec != std::errc()) return QStringLiteral("0");
  return QString::fromLatin1(buf, end - buf).toUpper();
}

namespace {

// The result of a node: a value, or a reference that functions may read as a range.
struct Operand {
  Operand() = default;
  template <typename T>
  Operand(T v) : value(std::move(v)) {}  // NOLINT: any value is an operand
  static Operand reference(const Range& r) {
    Operand o;
    o.isRef = true;
    o.range = r;
    return o;
  }
  Value value;
  bool isRef = false;
  Range range;
};

template <typename T>
struct Or {  // a T or the error that stopped its computation
  T v{};
  std::optional<ErrorCode> error;
};

class Evaluator {
 public:
  Evaluator(const Workbook& book, int sheetIndex, CellRef host)
      : ws_(book.sheet(sheetIndex)), host_(host) {}

  Value top(const FormulaNode& root) {
    Value v = scalar(eval(root));
    if (isEmpty(v)) return 0.0;
    return v;
  }

 private:
  const Worksheet& ws_;
  CellRef host_;

  Value cellValue(CellRef at) const {
    const Cell* c = ws_.cell(at);
    return c ? c->value : Value{};
  }

  // Calls f(value) for every cell of the range that holds something.
  template <typename F>
  void forEachCell(const Range& r, F f) const {
    forEachInRange(ws_.cells(), r, [&](CellRef, const Cell& c) { return f(c.value); });
  }

  // A reference used as one value: its cell, or the cell of a one-row or one-column range in
  // the formula's row or column (implicit intersection).
  Value scalar(const Operand& o) const {
    if (!o.isRef) return o.value;
    const Range& r = o.range;
    if (r.rows() == 1 && r.cols() == 1) return cellValue(r.topLeft());
    if (r.cols() == 1 && host_.row >= r.firstRow && host_.row <= r.lastRow)
      return cellValue({host_.row, r.firstCol});
    if (r.rows() == 1 && host_.col >= r.firstCol && host_.col <= r.lastCol)
      return cellValue({r.firstRow, host_.col});
    return ErrorCode::Value;
  }

  static Or<double> number(const Value& v) {
    if (auto d = std::get_if<double>(&v)) return {*d, {}};
    if (auto b = std::get_if<bool>(&v)) return {*b ? 1.0 : 0.0, {}};
    if (auto e = std::get_if<ErrorCode>(&v)) return {0, *e};
    if (auto t = std::get_if<QString>(&v)) {
      if (auto n = recogniseNumber(*t)) return {n->value, {}};
      return {0, ErrorCode::Value};
    }
    return {0, {}};  // empty
  }

  static Or<QString> text(const Value& v) {
    if (auto t = std::get_if<QString>(&v)) return {*t, {}};
    if (auto d = std::get_if<double>(&v)) return {generalText(*d), {}};
    if (auto b = std::get_if<bool>(&v))
      return {*b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), {}};
    if (auto e = std::get_if<ErrorCode>(&v)) return {{}, *e};
    return {};
  }

  static Or<bool> logical(const Value& v) {
    if (auto b = std::get_if<bool>(&v)) return {*b, {}};
    if (auto d = std::get_if<double>(&v)) return {*d != 0, {}};
    if (auto e = std::get_if<ErrorCode>(&v)) return {false, *e};
    if (auto t = std::get_if<QString>(&v)) {
      if (t->compare(u"TRUE", Qt::CaseInsensitive) == 0) return {true, {}};
      if (t->compare(u"FALSE", Qt::CaseInsensitive) == 0) return {false, {}};
      return {false, ErrorCode::Value};
    }
    return {false, {}};
  }

  static Value checked(double v) {
    if (!std::isfinite(v)) return ErrorCode::Num;
    return v;
  }

  Operand eval(const FormulaNode& n) {
    switch (n.kind) {
      case NodeKind::Number:
        return {n.number};
      case NodeKind::Text:
        return {n.text};
      case NodeKind::Boolean:
        return {n.boolean};
      case NodeKind::Error:
        return {n.error};
      case NodeKind::Ref:
      case NodeKind::Area:
        return Operand::reference(resolveRange(n, host_));
      case NodeKind::Name:
        return {ErrorCode::Name};
      case NodeKind::Missing:
        return {};
      case NodeKind::Paren:
        return eval(*n.children[0]);
      case NodeKind::Unary: {
        Value v = scalar(eval(*n.children[0]));
        if (n.op == '+') return {v};
        auto x = number(v);
        if (x.error) return {*x.error};
        return {-x.v};
      }
      case NodeKind::Percent: {
        auto x = number(scalar(eval(*n.children[0])));
        if (x.error) return {*x.error};
        return {x.v / 100};
      }
      case NodeKind::Binary:
        return {binary(n)};
      case NodeKind::Function:
        return call(n);
    }
    return {ErrorCode::Value};
  }

  Value binary(const FormulaNode& n) {
    const Value a = scalar(eval(*n.children[0]));
    const Value b = scalar(eval(*n.children[1]));
    switch (n.binary) {
      case BinaryOp::Concat: {
        auto x = text(a);
        if (x.error) return *x.error;
        auto y = text(b);
        if (y.error) return *y.error;
        if (x.v.size() + y.v.size() > 32767) return ErrorCode::Value;
        return x.v + y.v;
      }
      case BinaryOp::Lt:
      case BinaryOp::Le:
      case BinaryOp::Eq:
      case BinaryOp::Ge:
      case BinaryOp::Gt:
      case BinaryOp::Ne:
        return comparison(n.binary, a, b);
      default:
        break;
    }
    auto x = number(a);
    if (x.error) return *x.error;
    auto y = number(b);
    if (y.error) return *y.error;
    switch (n.binary) {
      case BinaryOp::Add:
        return checked(x.v + y.v);
      case BinaryOp::Sub:
        return checked(x.v - y.v);
      case BinaryOp::Mul:
        return checked(x.v * y.v);
      case BinaryOp::Div:
        if (y.v == 0) return ErrorCode::Div0;
        return checked(x.v / y.v);
      case BinaryOp::Power:
        if (x.v == 0 && y.v == 0) return ErrorCode::Num;
        if (x.v == 0 && y.v < 0) return ErrorCode::Div0;
        if (x.v < 0 && y.v != std::floor(y.v)) return ErrorCode::Num;
        return checked(std::pow(x.v, y.v));
      default:
        return ErrorCode::Value;
    }
  }

  // Numbers sort before texts, texts before booleans; texts compare without regard to case;
  // an empty cell is 0, "" or FALSE, whichever the other side is.
  static Value comparison(BinaryOp op, Value a, Value b) {
    if (auto e = std::get_if<ErrorCode>(&a)) return *e;
    if (auto e = std::get_if<ErrorCode>(&b)) return *e;
    auto zeroLike = [](const Value& other) -> Value {
      if (isText(other)) return QString();
      if (isBoolean(other)) return false;
      return 0.0;
    };
    if (isEmpty(a)) a = zeroLike(b);
    if (isEmpty(b)) b = zeroLike(a);
    auto rank = [](const Value& v) { return isNumber(v) ? 0 : isText(v) ? 1 : 2; };
    int c = 0;
    if (rank(a) != rank(b)) {
      c = rank(a) < rank(b) ? -1 : 1;
    } else if (isNumber(a)) {
      const double x = std::get<double>(a), y = std::get<double>(b);
      c = x < y ? -1 : x > y ? 1 : 0;
    } else if (isText(a)) {
      c = std::get<QString>(a).compare(std::get<QString>(b), Qt::CaseInsensitive);
      c = c < 0 ? -1 : c > 0 ? 1 : 0;
    } else {
      c = int(std::get<bool>(a)) - int(std::get<bool>(b));
    }
    switch (op) {
      case BinaryOp::Lt:
        return c < 0;
      case BinaryOp::Le:
        return c <= 0;
      case BinaryOp::Eq:
        return c == 0;
      case BinaryOp::Ge:
        return c >= 0;
      case BinaryOp::Gt:
        return c > 0;
      default:
        return c != 0;
    }
  }

  // Walks the arguments of an aggregate: f(value, fromRange) returns false to stop. An error
  // stops the walk and is the function's result unless `f` takes errors itself.
  template <typename F>
  std::optional<ErrorCode> aggregate(const FormulaNode& n, F f) {
    for (const auto& arg : n.children) {
      if (arg->kind == NodeKind::Missing) continue;
      const Operand o = eval(*arg);
      if (o.isRef) {
        std::optional<ErrorCode> stop;
        forEachCell(o.range, [&](const Value& v) {
          stop = f(v, true);
          return !stop;
        });
        if (stop) return stop;
      } else if (auto e = f(o.value, false)) {
        return e;
      }
    }
    return std::nullopt;
  }

  // Numbers of SUM, AVERAGE, MIN, MAX: ranges give their numbers only; direct arguments are
  // converted, and a text that is no number is #VALUE!.
  std::optional<ErrorCode> numbers(const FormulaNode& n, std::vector<double>& out) {
    return aggregate(n, [&](const Value& v, bool fromRange) -> std::optional<ErrorCode> {
      if (auto e = std::get_if<ErrorCode>(&v)) return *e;
      if (auto d = std::get_if<double>(&v)) {
        out.push_back(*d);
      } else if (!fromRange && !isEmpty(v)) {
        auto x = number(v);
        if (x.error) return x.error;
        out.push_back(x.v);
      }
      return std::nullopt;
    });
  }

  Operand call(const FormulaNode& n) {
    if (!n.function) return {ErrorCode::Name};
    const QLatin1String name(n.function->name);
    const auto& args = n.children;
    auto arg = [&](size_t i) { return scalar(eval(*args[i])); };

    if (name == QLatin1String("IF")) {
      auto c = logical(arg(0));
      if (c.error) return {*c.error};
      const size_t branch = c.v ? 1 : 2;
      if (branch >= args.size()) return {false};
      if (args[branch]->kind == NodeKind::Missing) return {0.0};
      return eval(*args[branch]);
    }
    if (name == QLatin1String("SUM") || name == QLatin1String("AVERAGE") ||
        name == QLatin1String("MIN") || name == QLatin1String("MAX")) {
      std::vector<double> xs;
      if (auto e = numbers(n, xs)) return {*e};
      if (name == QLatin1String("MIN") || name == QLatin1String("MAX")) {
        if (xs.empty()) return {0.0};
        const bool min = name == QLatin1String("MIN");
        double m = xs[0];
        for (double x : xs) m = min ? std::min(m, x) : std::max(m, x);
        return {m};
      }
      double sum = 0;
      for (double x : xs) sum += x;
      if (name == QLatin1String("SUM")) return {checked(sum)};
      if (xs.empty()) return {ErrorCode::Div0};
      return {checked(sum / static_cast<double>(xs.size()))};
    }
    if (name == QLatin1String("COUNT") || name == QLatin1String("COUNTA")) {
      const bool all = name == QLatin1String("COUNTA");
      double count = 0;
      aggregate(n, [&](const Value& v, bool fromRange) -> std::optional<ErrorCode> {
        if (all) {
          count += isEmpty(v) ? 0 : 1;
        } else if (isNumber(v) || (!fromRange && isBoolean(v))) {
          ++count;
        } else if (!fromRange && isText(v) && recogniseNumber(std::get<QString>(v))) {
          ++count;
        }
        return std::nullopt;
      });
      return {count};
    }
    if (name == QLatin1String("AND") || name == QLatin1String("OR")) {
      const bool isAnd = name == QLatin1String("AND");
      bool result = isAnd;
      bool any = false;
      auto e = aggregate(n, [&](const Value& v, bool fromRange) -> std::optional<ErrorCode> {
        if (auto err = std::get_if<ErrorCode>(&v)) return *err;
        if (isEmpty(v) || (fromRange && isText(v))) return std::nullopt;
        auto b = logical(v);
        if (b.error) return b.error;
        any = true;
        result = isAnd ? (result && b.v) : (result || b.v);
        return std::nullopt;
      });
      if (e) return {*e};
      if (!any) return {ErrorCode::Value};
      return {result};
    }
    if (name == QLatin1String("NOT")) {
      auto b = logical(arg(0));
      if (b.error) return {*b.error};
      return {!b.v};
    }
    if (name == QLatin1String("ROUND")) {
      auto x = number(arg(0));
      if (x.error) return {*x.error};
      auto d = number(arg(1));
      if (d.error) return {*d.error};
      return {round(x.v, d.v)};
    }
    if (name == QLatin1String("ABS") || name == QLatin1String("INT")) {
      auto x = number(arg(0));
      if (x.error) return {*x.error};
      return {name == QLatin1String("ABS") ? std::fabs(x.v) : std::floor(x.v)};
    }
    if (name == QLatin1String("LEN") || name == QLatin1String("UPPER") ||
        name == QLatin1String("LOWER")) {
      auto t = text(arg(0));
      if (t.error) return {*t.error};
      if (name == QLatin1String("LEN")) return {static_cast<double>(t.v.size())};
      return {name == QLatin1String("UPPER") ? t.v.toUpper() : t.v.toLower()};
    }
    if (name == QLatin1String("CONCATENATE")) {
      QString out;
      for (size_t i = 0; i < args.size(); ++i) {
        auto t = text(arg(i));
        if (t.error) return {*t.error};
        out += t.v;
        if (out.size() > 32767) return {ErrorCode::Value};
      }
      return {out};
    }
    return {ErrorCode::Name};
  }

  // Half away from zero, on the decimal digits the number shows (2.675 rounds to 2.68 although
  // its binary value lies just below).
  static Value round(double x, double digits) {
    const double d = std::trunc(digits);
    if (d > 15) return x;
    if (d < -15) return 0.0;
    const double scale = std::pow(10.0, std::fabs(d));
    double scaled = d >= 0 ? x * scale : x / scale;
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, scaled, std::chars_format::general, 15);
    if (ec == std::errc()) std::from_chars(buf, end, scaled);
    const double r = std::copysign(std::floor(std::fabs(scaled) + 0.5), scaled);
    return checked(d >= 0 ? r / scale : r * scale);
  }
};

}  // namespace

namespace formula {

Value evaluate(const Workbook& book, int sheetIndex, CellRef host, const Formula& f) {
  return Evaluator(book, sheetIndex, host).top(f.root());
}

}  // namespace formula
}  // namespace sheet
