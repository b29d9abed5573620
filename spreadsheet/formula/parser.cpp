// Formula text to tree: one recursive-descent parser for R1C1 and A1 notation.
//
//   comparison := concat (("=" | "<>" | "<" | ">" | "<=" | ">=") concat)*
//   concat     := additive ("&" additive)*
//   additive   := term (("+" | "-") term)*
//   term       := power (("*" | "/") power)*
//   power      := unary ("^" unary)*              left to right: 2^3^2 is 64
//   unary      := ("-" | "+") unary | postfix     so -2^2 is 4, as in a spreadsheet
//   postfix    := primary "%"*
//   primary    := number | text | TRUE | FALSE | error | reference | range | name
//               | "(" comparison ")" | function "(" [argument ("," argument)*] ")"
#include <charconv>
#include <string>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/node.h"
#include "spreadsheet/model/error.h"

namespace sheet {

Formula::Formula(std::shared_ptr<const FormulaNode> root) : root_(std::move(root)) {}

namespace {

bool isIdentStart(QChar c) {
  return c.isLetter() || c == u'_' || c == u'\\';
}
bool isIdentChar(QChar c) {
  return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'\\';
}
bool isAsciiDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}
bool isAsciiLetter(QChar c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// A parsed reference before it becomes a node: a cell, whole rows or whole columns.
struct RefToken {
  bool hasRow = false;
  bool hasCol = false;
  RefPart row, col;
  qsizetype end = 0;
};

class Parser {
 public:
  Parser(const QString& text, CellRef host, bool r1c1) : s_(text), host_(host), r1c1_(r1c1) {}

  NodePtr parseAll() {
    if (s_.size() > kMaxFormulaLength) fail(QStringLiteral("it is longer than 8192 characters"));
    skipSpaces();
    if (atEnd()) fail(QStringLiteral("it is empty"));
    NodePtr root = comparison();
    skipSpaces();
    if (!atEnd()) unexpected();
    return root;
  }

 private:
  QStringView s_;
  qsizetype pos_ = 0;
  CellRef host_;
  bool r1c1_;
  int nesting_ = 0;    // parentheses and function calls
  int recursion_ = 0;  // nested expressions and unary operators

  [[noreturn]] void fail(const QString& what) const {
    throw FormulaError(
        QStringLiteral("The formula contains an error: %1.").arg(what).toStdString());
  }
  [[noreturn]] void unexpected() const {
    if (atEnd()) fail(QStringLiteral("it ends too early"));
    fail(QStringLiteral("unexpected '%1' at position %2").arg(s_[pos_]).arg(pos_ + 1));
  }

  bool atEnd() const { return pos_ >= s_.size(); }
  QChar at(qsizetype i) const { return i < s_.size() ? s_[i] : QChar(); }
  QChar cur() const { return at(pos_); }
  void skipSpaces() {
    while (!atEnd() && (cur() == u' ' || cur() == u'\n' || cur() == u'\r' || cur() == u'\t'))
      ++pos_;
  }
  bool eat(QChar c) {
    skipSpaces();
    if (cur() == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  NodePtr make(FormulaNode n) {
    int deepest = 0;
    for (const auto& c : n.children) deepest = std::max(deepest, c->depth);
    n.depth = deepest + 1;
    if (n.depth > kMaxTreeDepth) fail(QStringLiteral("it is too complex"));
    return std::make_shared<const FormulaNode>(std::move(n));
  }
  NodePtr binary(BinaryOp op, NodePtr a, NodePtr b) {
    FormulaNode n;
    n.kind = NodeKind::Binary;
    n.binary = op;
    n.children = {std::move(a), std::move(b)};
    return make(std::move(n));
  }

  struct Guard {
    explicit Guard(Parser& p) : p_(p) {
      if (++p_.recursion_ > kMaxTreeDepth) p_.fail(QStringLiteral("it is nested too deeply"));
    }
    ~Guard() { --p_.recursion_; }
    Parser& p_;
  };

  NodePtr comparison() {
    Guard guard(*this);
    NodePtr left = concat();
    for (;;) {
      skipSpaces();
      BinaryOp op;
      if (cur() == u'<' && at(pos_ + 1) == u'=') {
        op = BinaryOp::Le, pos_ += 2;
      } else if (cur() == u'>' && at(pos_ + 1) == u'=') {
        op = BinaryOp::Ge, pos_ += 2;
      } else if (cur() == u'<' && at(pos_ + 1) == u'>') {
        op = BinaryOp::Ne, pos_ += 2;
      } else if (cur() == u'<') {
        op = BinaryOp::Lt, ++pos_;
      } else if (cur() == u'>') {
        op = BinaryOp::Gt, ++pos_;
      } else if (cur() == u'=') {
        op = BinaryOp::Eq, ++pos_;
      } else {
        return left;
      }
      left = binary(op, left, concat());
    }
  }

  NodePtr concat() {
    NodePtr left = additive();
    while (eat(u'&')) left = binary(BinaryOp::Concat, left, additive());
    return left;
  }

  NodePtr additive() {
    NodePtr left = term();
    for (;;) {
      if (eat(u'+')) {
        left = binary(BinaryOp::Add, left, term());
      } else if (eat(u'-')) {
        left = binary(BinaryOp::Sub, left, term());
      } else {
        return left;
      }
    }
  }

  NodePtr term() {
    NodePtr left = power();
    for (;;) {
      if (eat(u'*')) {
        left = binary(BinaryOp::Mul, left, power());
      } else if (eat(u'/')) {
        left = binary(BinaryOp::Div, left, power());
      } else {
        return left;
      }
    }
  }

  NodePtr power() {
    NodePtr left = unary();
    while (eat(u'^')) left = binary(BinaryOp::Power, left, unary());
    return left;
  }

  NodePtr unary() {
    Guard guard(*this);
    skipSpaces();
    if (cur() == u'-' || cur() == u'+') {
      FormulaNode n;
      n.kind = NodeKind::Unary;
      n.op = static_cast<char>(cur().unicode());
      ++pos_;
      n.children = {unary()};
      return make(std::move(n));
    }
    NodePtr p = primary();
    while (eat(u'%')) {
      FormulaNode n;
      n.kind = NodeKind::Percent;
      n.children = {p};
      p = make(std::move(n));
    }
    return p;
  }

  NodePtr primary() {
    skipSpaces();
    if (atEnd()) unexpected();
    const QChar c = cur();
    if (c == u'(') {
      ++pos_;
      enterNesting();
      FormulaNode n;
      n.kind = NodeKind::Paren;
      n.children = {comparison()};
      if (!eat(u')')) fail(QStringLiteral("a closing parenthesis is missing"));
      --nesting_;
      return make(std::move(n));
    }
    if (c == u'"') return text();
    if (c == u'#') return errorLiteral();
    if (!r1c1_ && (isAsciiDigit(c) || c == u'$')) {
      if (auto r = a1Rows()) return r;
    }
    if (isAsciiDigit(c) || c == u'.') return number();
    if (c == u'$' || isIdentStart(c)) {
      if (auto r = r1c1_ ? r1c1Reference() : a1Reference()) return r;
      return identifier();
    }
    unexpected();
  }

  void enterNesting() {
    if (++nesting_ > kMaxNesting) fail(QStringLiteral("it is nested too deeply"));
  }

  NodePtr text() {
    ++pos_;  // opening quote
    QString value;
    for (;;) {
      if (atEnd()) fail(QStringLiteral("a text is missing its closing quote"));
      if (cur() == u'"') {
        if (at(pos_ + 1) == u'"') {
          value += u'"';
          pos_ += 2;
          continue;
        }
        ++pos_;
        break;
      }
      value += cur();
      ++pos_;
    }
    if (value.size() > kMaxFormulaString)
      fail(QStringLiteral("a text in a formula is longer than 255 characters"));
    FormulaNode n;
    n.kind = NodeKind::Text;
    n.text = value;
    return make(std::move(n));
  }

  NodePtr errorLiteral() {
    static const ErrorCode all[] = {ErrorCode::Null, ErrorCode::Div0, ErrorCode::Value,
                                    ErrorCode::Ref,  ErrorCode::Name, ErrorCode::Num,
                                    ErrorCode::NA};
    for (ErrorCode code : all) {
      const QString t = errorText(code);
      if (s_.mid(pos_).startsWith(t, Qt::CaseInsensitive)) {
        pos_ += t.size();
        FormulaNode n;
        n.kind = NodeKind::Error;
        n.error = code;
        return make(std::move(n));
      }
    }
    fail(QStringLiteral("unknown error value at position %1").arg(pos_ + 1));
  }

  NodePtr number() {
    const qsizetype start = pos_;
    std::string ascii;
    auto digits = [&] {
      qsizetype n = 0;
      while (isAsciiDigit(cur())) {
        ascii += static_cast<char>(cur().unicode());
        ++pos_;
        ++n;
      }
      return n;
    };
    qsizetype count = digits();
    if (cur() == u'.') {
      ascii += '.';
      ++pos_;
      count += digits();
    }
    if (count == 0) {
      pos_ = start;
      unexpected();
    }
    if (cur() == u'e' || cur() == u'E') {
      ascii += 'e';
      ++pos_;
      if (cur() == u'+' || cur() == u'-') {
        ascii += static_cast<char>(cur().unicode());
        ++pos_;
      }
      if (digits() == 0) fail(QStringLiteral("a number's exponent is missing"));
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || ptr != ascii.data() + ascii.size())
      fail(QStringLiteral("the number at position %1 is too large").arg(start + 1));
    FormulaNode n;
    n.kind = NodeKind::Number;
    n.number = value;
    return make(std::move(n));
  }

  NodePtr identifier() {
    const qsizetype start = pos_;
    if (!isIdentStart(cur())) unexpected();
    while (!atEnd() && isIdentChar(cur())) ++pos_;
    const QString name = s_.mid(start, pos_ - start).toString();
    const QString upper = name.toUpper();
    skipSpaces();
    if (cur() == u'(') return call(upper);
    FormulaNode n;
    if (upper == u"TRUE" || upper == u"FALSE") {
      n.kind = NodeKind::Boolean;
      n.boolean = upper == u"TRUE";
    } else {
      n.kind = NodeKind::Name;
      n.text = name;
    }
    return make(std::move(n));
  }

  NodePtr call(const QString& name) {
    ++pos_;  // "("
    enterNesting();
    FormulaNode n;
    n.kind = NodeKind::Function;
    n.text = name;
    n.function = findFunction(name);
    skipSpaces();
    if (cur() == u')') {
      ++pos_;
    } else {
      for (;;) {
        skipSpaces();
        if (cur() == u',' || cur() == u')') {
          FormulaNode missing;
          missing.kind = NodeKind::Missing;
          n.children.push_back(make(std::move(missing)));
        } else {
          n.children.push_back(comparison());
        }
        if (n.children.size() > 255) fail(QStringLiteral("%1 has too many arguments").arg(name));
        if (eat(u',')) continue;
        if (eat(u')')) break;
        if (atEnd()) fail(QStringLiteral("a closing parenthesis is missing"));
        unexpected();
      }
    }
    --nesting_;
    const int count = static_cast<int>(n.children.size());
    if (n.function && count < n.function->minArgs)
      fail(QStringLiteral("too few arguments for %1").arg(name));
    if (n.function && count > n.function->maxArgs)
      fail(QStringLiteral("too many arguments for %1").arg(name));
    return make(std::move(n));
  }

  // A reference must not run on into a name or a function call ("R1C1X", "LOG10(").
  bool endsToken(qsizetype i) const {
    if (i >= s_.size()) return true;
    const QChar c = s_[i];
    return !isIdentChar(c) && c != u'(' && c != u'$' && c != u'[';
  }

  NodePtr refNode(const RefToken& a, const RefToken* b) {
    FormulaNode n;
    if (!b && a.hasRow && a.hasCol) {
      n.kind = NodeKind::Ref;
      n.row = a.row;
      n.col = a.col;
      return make(std::move(n));
    }
    const RefToken& e = b ? *b : a;
    n.kind = NodeKind::Area;
    if (a.hasRow && a.hasCol) {
      if (!e.hasRow || !e.hasCol) fail(QStringLiteral("the range is not valid"));
      n.row = a.row, n.col = a.col, n.row2 = e.row, n.col2 = e.col;
    } else if (a.hasRow) {
      if (!e.hasRow || e.hasCol) fail(QStringLiteral("the range is not valid"));
      n.wholeRows = true;
      n.row = a.row, n.row2 = e.row;
      n.col = {0, false}, n.col2 = {kMaxColumns - 1, false};
    } else {
      if (!e.hasCol || e.hasRow) fail(QStringLiteral("the range is not valid"));
      n.wholeColumns = true;
      n.col = a.col, n.col2 = e.col;
      n.row = {0, false}, n.row2 = {kMaxRows - 1, false};
    }
    // "D24:D3" names the same cells as "D3:D24" and is kept that way round, as a spreadsheet
    // keeps it.
    if (n.row.resolve(host_.row, kMaxRows) > n.row2.resolve(host_.row, kMaxRows))
      std::swap(n.row, n.row2);
    if (n.col.resolve(host_.col, kMaxColumns) > n.col2.resolve(host_.col, kMaxColumns))
      std::swap(n.col, n.col2);
    return make(std::move(n));
  }

  // ---- R1C1 ----

  // "R", "R3", "R[-1]" (and the same for C); false when `i` holds no such part.
  bool r1c1Part(qsizetype& pos, QChar letter, int count, RefPart& part) {
    qsizetype i = pos;
    if (at(i).toUpper() != letter) return false;
    ++i;
    if (at(i) == u'[') {
      qsizetype j = i + 1;
      bool negative = false;
      if (at(j) == u'-' || at(j) == u'+') negative = at(j++) == u'-';
      long long v = 0;
      int digits = 0;
      while (isAsciiDigit(at(j)) && digits < 7) v = v * 10 + (at(j++).unicode() - u'0'), ++digits;
      if (digits == 0 || at(j) != u']') return false;
      if (v >= count) fail(QStringLiteral("a relative reference points outside the sheet"));
      part = {static_cast<int>(negative ? -v : v), true};
      i = j + 1;
    } else if (isAsciiDigit(at(i))) {
      long long v = 0;
      int digits = 0;
      while (isAsciiDigit(at(i)) && digits < 7) v = v * 10 + (at(i++).unicode() - u'0'), ++digits;
      if (v < 1 || v > count) return false;
      part = {static_cast<int>(v - 1), false};
    } else {
      part = {0, true};
    }
    pos = i;
    return true;
  }

  std::optional<RefToken> r1c1Token(qsizetype i) {
    RefToken t;
    t.hasRow = r1c1Part(i, u'R', kMaxRows, t.row);
    t.hasCol = r1c1Part(i, u'C', kMaxColumns, t.col);
    if ((!t.hasRow && !t.hasCol) || !endsToken(i)) return std::nullopt;
    t.end = i;
    return t;
  }

  NodePtr r1c1Reference() {
    auto a = r1c1Token(pos_);
    if (!a) return nullptr;
    pos_ = a->end;
    const qsizetype save = pos_;
    skipSpaces();
    if (cur() == u':') {
      ++pos_;
      skipSpaces();
      auto b = r1c1Token(pos_);
      if (!b) fail(QStringLiteral("the range at position %1 is not valid").arg(save + 1));
      pos_ = b->end;
      return refNode(*a, &*b);
    }
    pos_ = save;
    return refNode(*a, nullptr);
  }

  // ---- A1 ----

  bool a1Column(qsizetype& i, RefPart& part) {
    qsizetype j = i;
    const bool absolute = at(j) == u'$';
    if (absolute) ++j;
    int col = 0, letters = 0;
    while (isAsciiLetter(at(j)) && letters < 4) {
      col = col * 26 + (at(j++).toUpper().unicode() - u'A' + 1);
      ++letters;
    }
    if (letters == 0 || letters > 3 || col > kMaxColumns) return false;
    part = absolute ? RefPart{col - 1, false} : RefPart{col - 1 - host_.col, true};
    i = j;
    return true;
  }

  bool a1Row(qsizetype& i, RefPart& part) {
    qsizetype j = i;
    const bool absolute = at(j) == u'$';
    if (absolute) ++j;
    long long row = 0;
    int digits = 0;
    while (isAsciiDigit(at(j)) && digits < 7) row = row * 10 + (at(j++).unicode() - u'0'), ++digits;
    if (digits == 0 || row < 1 || row > kMaxRows) return false;
    part = absolute ? RefPart{static_cast<int>(row - 1), false}
                    : RefPart{static_cast<int>(row - 1) - host_.row, true};
    i = j;
    return true;
  }

  std::optional<RefToken> a1Cell(qsizetype i) {
    RefToken t;
    if (!a1Column(i, t.col) || !a1Row(i, t.row) || !endsToken(i)) return std::nullopt;
    t.hasRow = t.hasCol = true;
    t.end = i;
    return t;
  }

  // "A:C" and "3:5": a column or a row alone only makes sense as one side of a range.
  std::optional<std::pair<RefToken, RefToken>> a1Band(qsizetype i, bool rows) {
    RefToken a, b;
    a.hasRow = b.hasRow = rows;
    a.hasCol = b.hasCol = !rows;
    if (!(rows ? a1Row(i, a.row) : a1Column(i, a.col))) return std::nullopt;
    if (at(i) != u':') return std::nullopt;
    ++i;
    if (!(rows ? a1Row(i, b.row) : a1Column(i, b.col)) || !endsToken(i)) return std::nullopt;
    b.end = i;
    return std::make_pair(a, b);
  }

  NodePtr a1Rows() {
    auto band = a1Band(pos_, true);
    if (!band) return nullptr;
    pos_ = band->second.end;
    return refNode(band->first, &band->second);
  }

  NodePtr a1Reference() {
    if (auto a = a1Cell(pos_)) {
      pos_ = a->end;
      const qsizetype save = pos_;
      skipSpaces();
      if (cur() == u':') {
        ++pos_;
        skipSpaces();
        auto b = a1Cell(pos_);
        if (!b) fail(QStringLiteral("the range at position %1 is not valid").arg(save + 1));
        pos_ = b->end;
        return refNode(*a, &*b);
      }
      pos_ = save;
      return refNode(*a, nullptr);
    }
    if (auto band = a1Band(pos_, false)) {
      pos_ = band->second.end;
      return refNode(band->first, &band->second);
    }
    return nullptr;
  }
};

std::shared_ptr<const Formula> parse(const QString& text, CellRef host, bool r1c1) {
  Parser parser(text, host, r1c1);
  return std::make_shared<const Formula>(parser.parseAll());
}

}  // namespace

namespace formula {

std::shared_ptr<const Formula> parseR1C1(const QString& text, CellRef host) {
  return parse(text, host, true);
}

std::shared_ptr<const Formula> parseA1(const QString& text, CellRef host) {
  return parse(text, host, false);
}

}  // namespace formula
}  // namespace sheet
