// BIFF8 parsed expressions of cell formulas: reverse Polish tokens ("ptg"s).
//
// Tokens written:
//   0x03..0x0E  ptgAdd ptgSub ptgMul ptgDiv ptgPower ptgConcat ptgLT ptgLE ptgEQ ptgGE ptgGT ptgNE
//   0x12 ptgUplus, 0x13 ptgUminus, 0x14 ptgPercent, 0x15 ptgParen, 0x16 ptgMissArg
//   0x17 ptgStr   cch (1), fHighByte (1), characters (cch bytes, or 2 * cch when fHighByte)
//   0x1C ptgErr   error code (1);   0x1D ptgBool  0 or 1 (1)
//   0x1E ptgInt   unsigned (2);     0x1F ptgNum   IEEE double (8)
//   0x24/0x44 ptgRef    rw (2), col (2): bits 0-7 column, bit 14 column relative, bit 15 row
//                       relative; rw and col hold the cell itself, not an offset
//   0x25/0x45 ptgArea   rwFirst (2), rwLast (2), colFirst (2), colLast (2); whole columns are
//                       rows 0..65535, whole rows columns 0..255
//   0x41 ptgFuncV       iftab (2): functions with a fixed argument count
//   0x42 ptgFuncVarV    cargs (1), iftab (2)
// References are of reference class (0x2_) where a function takes them as ranges (SUM, COUNT,
// ...), of value class (0x4_) everywhere else. A name the engine does not know, and a call of a
// function it does not know, is written as the error constant #NAME? (its value).
//
// Tokens read besides those: the other classes of each, ptgRefN/ptgAreaN (offsets),
// ptgRefErr/ptgAreaErr (and their 3-D forms) as #REF!, ptgAttr (tAttrSum as SUM; the rest are
// hints and are skipped). Refused with FormatError: shared and table formulas (ptgExp, ptgTbl),
// arrays, names, 3-D references, the range operators, unknown functions, anything malformed.
#include <cmath>
#include <cstring>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/node.h"
#include "spreadsheet/model/error.h"

namespace sheet {

namespace {

enum : uint8_t {
  ptgExp = 0x01,
  ptgTbl = 0x02,
  ptgAdd = 0x03,
  ptgNe = 0x0E,
  ptgUplus = 0x12,
  ptgUminus = 0x13,
  ptgPercent = 0x14,
  ptgParen = 0x15,
  ptgMissArg = 0x16,
  ptgStr = 0x17,
  ptgAttr = 0x19,
  ptgErr = 0x1C,
  ptgBool = 0x1D,
  ptgInt = 0x1E,
  ptgNum = 0x1F,
  // Base numbers of classed tokens (0x20 reference, 0x40 value, 0x60 array).
  ptgFunc = 0x01,
  ptgFuncVar = 0x02,
  ptgRef = 0x04,
  ptgArea = 0x05,
  ptgRefErr = 0x0A,
  ptgAreaErr = 0x0B,
  ptgRefN = 0x0C,
  ptgAreaN = 0x0D,
  ptgRefErr3d = 0x1C,
  ptgAreaErr3d = 0x1D,
};
constexpr uint8_t kClassReference = 0x20;
constexpr uint8_t kClassValue = 0x40;

constexpr uint16_t kRowRelative = 0x8000;
constexpr uint16_t kColRelative = 0x4000;

uint8_t binaryToken(BinaryOp op) {
  // BinaryOp follows the order of ptgAdd..ptgNE except for the comparisons.
  switch (op) {
    case BinaryOp::Add:
      return 0x03;
    case BinaryOp::Sub:
      return 0x04;
    case BinaryOp::Mul:
      return 0x05;
    case BinaryOp::Div:
      return 0x06;
    case BinaryOp::Power:
      return 0x07;
    case BinaryOp::Concat:
      return 0x08;
    case BinaryOp::Lt:
      return 0x09;
    case BinaryOp::Le:
      return 0x0A;
    case BinaryOp::Eq:
      return 0x0B;
    case BinaryOp::Ge:
      return 0x0C;
    case BinaryOp::Gt:
      return 0x0D;
    case BinaryOp::Ne:
      return 0x0E;
  }
  return 0x03;
}

class Encoder {
 public:
  explicit Encoder(CellRef host) : host_(host) {}
  std::vector<uint8_t> out;

  void node(const FormulaNode& n, bool referenceClass) {
    const uint8_t cls = referenceClass ? kClassReference : kClassValue;
    switch (n.kind) {
      case NodeKind::Number:
        if (n.number >= 0 && n.number <= 65535 && n.number == static_cast<int>(n.number) &&
            !(n.number == 0 && std::signbit(n.number))) {
          out.push_back(ptgInt);
          u16(static_cast<uint16_t>(n.number));
        } else {
          out.push_back(ptgNum);
          uint64_t bits;
          std::memcpy(&bits, &n.number, 8);
          for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
        }
        return;
      case NodeKind::Text:
        text(n.text);
        return;
      case NodeKind::Boolean:
        out.push_back(ptgBool);
        out.push_back(n.boolean ? 1 : 0);
        return;
      case NodeKind::Error:
        error(n.error);
        return;
      case NodeKind::Ref:
        out.push_back(cls | ptgRef);
        u16(static_cast<uint16_t>(n.row.resolve(host_.row, kMaxRows)));
        u16(colField(n.row, n.col));
        return;
      case NodeKind::Area:
        out.push_back(cls | ptgArea);
        u16(static_cast<uint16_t>(n.row.resolve(host_.row, kMaxRows)));
        u16(static_cast<uint16_t>(n.row2.resolve(host_.row, kMaxRows)));
        u16(colField(n.row, n.col));
        u16(colField(n.row2, n.col2));
        return;
      case NodeKind::Name:
        error(ErrorCode::Name);
        return;
      case NodeKind::Missing:
        out.push_back(ptgMissArg);
        return;
      case NodeKind::Unary:
        node(*n.children[0], false);
        out.push_back(n.op == '-' ? ptgUminus : ptgUplus);
        return;
      case NodeKind::Percent:
        node(*n.children[0], false);
        out.push_back(ptgPercent);
        return;
      case NodeKind::Binary:
        node(*n.children[0], false);
        node(*n.children[1], false);
        out.push_back(binaryToken(n.binary));
        return;
      case NodeKind::Paren:
        node(*n.children[0], referenceClass);
        out.push_back(ptgParen);
        return;
      case NodeKind::Function: {
        if (!n.function) {
          error(ErrorCode::Name);
          return;
        }
        for (const auto& arg : n.children) node(*arg, n.function->referenceArgs);
        if (n.function->fixed) {
          out.push_back(kClassValue | ptgFunc);
        } else {
          out.push_back(kClassValue | ptgFuncVar);
          out.push_back(static_cast<uint8_t>(n.children.size()));
        }
        u16(static_cast<uint16_t>(n.function->biffId));
        return;
      }
    }
  }

 private:
  CellRef host_;

  void u16(uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  uint16_t colField(const RefPart& row, const RefPart& col) const {
    auto v = static_cast<uint16_t>(col.resolve(host_.col, kMaxColumns));
    if (row.relative) v |= kRowRelative;
    if (col.relative) v |= kColRelative;
    return v;
  }
  void error(ErrorCode code) {
    out.push_back(ptgErr);
    out.push_back(static_cast<uint8_t>(code));
  }
  void text(const QString& t) {
    if (t.size() > kMaxFormulaString)
      throw Error("A text in a formula is longer than 255 characters.");
    bool wide = false;
    for (QChar c : t) wide |= c.unicode() > 0xFF;
    out.push_back(ptgStr);
    out.push_back(static_cast<uint8_t>(t.size()));
    out.push_back(wide ? 1 : 0);
    for (QChar c : t) {
      out.push_back(static_cast<uint8_t>(c.unicode()));
      if (wide) out.push_back(static_cast<uint8_t>(c.unicode() >> 8));
    }
  }
};

class Decoder {
 public:
  Decoder(const uint8_t* data, size_t size, CellRef host) : p_(data), size_(size), host_(host) {}

  NodePtr run() {
    if (size_ == 0) fail("the formula has no tokens");
    if (size_ > 0xFFFF) fail("the formula is longer than a record can hold");
    while (pos_ < size_) token();
    if (stack_.size() != 1) fail("the formula's tokens do not form one expression");
    return stack_.back();
  }

 private:
  const uint8_t* p_;
  size_t size_;
  size_t pos_ = 0;
  CellRef host_;
  std::vector<NodePtr> stack_;

  [[noreturn]] static void fail(const std::string& what) {
    throw FormatError("The workbook holds a damaged formula: " + what + ".");
  }
  void need(size_t n) const {
    if (size_ - pos_ < n) fail("a token is cut short");
  }
  uint8_t u8() {
    need(1);
    return p_[pos_++];
  }
  uint16_t u16() {
    need(2);
    const uint16_t v = static_cast<uint16_t>(p_[pos_] | p_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  NodePtr pop() {
    if (stack_.empty()) fail("an operator is missing an operand");
    NodePtr n = std::move(stack_.back());
    stack_.pop_back();
    return n;
  }
  void push(FormulaNode n) {
    int deepest = 0;
    for (const auto& c : n.children) deepest = std::max(deepest, c->depth);
    n.depth = deepest + 1;
    if (n.depth > kMaxTreeDepth) fail("the formula is nested too deeply");
    stack_.push_back(std::make_shared<const FormulaNode>(std::move(n)));
  }
  void pushError(ErrorCode code) {
    FormulaNode n;
    n.kind = NodeKind::Error;
    n.error = code;
    push(std::move(n));
  }
  void withChildren(FormulaNode& n, size_t count) {
    if (stack_.size() < count) fail("a function is missing arguments");
    n.children.assign(stack_.end() - static_cast<std::ptrdiff_t>(count), stack_.end());
    stack_.resize(stack_.size() - count);
  }

  // A row and column of ptgRef/ptgArea: the cell itself, flagged relative or absolute.
  void refParts(uint16_t rw, uint16_t col, RefPart& row, RefPart& column) const {
    const int r = rw;
    const int c = col & 0xFF;
    row = (col & kRowRelative) ? RefPart{r - host_.row, true} : RefPart{r, false};
    column = (col & kColRelative) ? RefPart{c - host_.col, true} : RefPart{c, false};
  }
  // The same of ptgRefN/ptgAreaN: relative parts are signed offsets.
  static void offsetParts(uint16_t rw, uint16_t col, RefPart& row, RefPart& column) {
    row = (col & kRowRelative) ? RefPart{static_cast<int16_t>(rw), true} : RefPart{rw, false};
    column = (col & kColRelative) ? RefPart{static_cast<int8_t>(col & 0xFF), true}
                                  : RefPart{col & 0xFF, false};
  }

  void area(uint16_t r1, uint16_t r2, uint16_t c1, uint16_t c2, bool offsets) {
    FormulaNode n;
    n.kind = NodeKind::Area;
    if (offsets) {
      offsetParts(r1, c1, n.row, n.col);
      offsetParts(r2, c2, n.row2, n.col2);
    } else {
      refParts(r1, c1, n.row, n.col);
      refParts(r2, c2, n.row2, n.col2);
    }
    if (!offsets && r1 == 0 && r2 == kMaxRows - 1) {
      n.wholeColumns = true;
      n.row = {0, false};
      n.row2 = {kMaxRows - 1, false};
    } else if (!offsets && (c1 & 0xFF) == 0 && (c2 & 0xFF) == kMaxColumns - 1) {
      n.wholeRows = true;
      n.col = {0, false};
      n.col2 = {kMaxColumns - 1, false};
    }
    push(std::move(n));
  }

  void function(int id, size_t argc) {
    const FunctionInfo* info = findFunction(id);
    if (!info) fail("function number " + std::to_string(id) + " is not supported");
    if (static_cast<int>(argc) < info->minArgs || static_cast<int>(argc) > info->maxArgs)
      fail(std::string("wrong number of arguments for ") + info->name);
    FormulaNode n;
    n.kind = NodeKind::Function;
    n.function = info;
    n.text = QString::fromLatin1(info->name);
    withChildren(n, argc);
    push(std::move(n));
  }

  void token() {
    const uint8_t t = u8();
    if (t >= ptgAdd && t <= ptgNe) {
      static const BinaryOp ops[] = {BinaryOp::Add, BinaryOp::Sub,   BinaryOp::Mul,
                                     BinaryOp::Div, BinaryOp::Power, BinaryOp::Concat,
                                     BinaryOp::Lt,  BinaryOp::Le,    BinaryOp::Eq,
                                     BinaryOp::Ge,  BinaryOp::Gt,    BinaryOp::Ne};
      FormulaNode n;
      n.kind = NodeKind::Binary;
      n.binary = ops[t - ptgAdd];
      NodePtr b = pop();
      NodePtr a = pop();
      n.children = {a, b};
      push(std::move(n));
      return;
    }
    switch (t) {
      case ptgExp:
      case ptgTbl:
        fail("shared and table formulas are not supported");
      case ptgUplus:
      case ptgUminus:
      case ptgPercent:
      case ptgParen: {
        FormulaNode n;
        n.kind = t == ptgPercent ? NodeKind::Percent
                 : t == ptgParen ? NodeKind::Paren
                                 : NodeKind::Unary;
        n.op = t == ptgUminus ? '-' : '+';
        n.children = {pop()};
        push(std::move(n));
        return;
      }
      case ptgMissArg: {
        FormulaNode n;
        n.kind = NodeKind::Missing;
        push(std::move(n));
        return;
      }
      case ptgStr: {
        const uint8_t cch = u8();
        const uint8_t flags = u8();
        FormulaNode n;
        n.kind = NodeKind::Text;
        if (flags & 0x01) {
          need(size_t(cch) * 2);
          for (int i = 0; i < cch; ++i, pos_ += 2)
            n.text += QChar(static_cast<char16_t>(p_[pos_] | p_[pos_ + 1] << 8));
        } else {
          need(cch);
          n.text = QString::fromLatin1(reinterpret_cast<const char*>(p_ + pos_), cch);
          pos_ += cch;
        }
        push(std::move(n));
        return;
      }
      case ptgAttr: {
        const uint8_t grbit = u8();
        const uint16_t data = u16();
        if (grbit & 0x04) {  // tAttrChoose: a jump table follows
          need((size_t(data) + 1) * 2);
          pos_ += (size_t(data) + 1) * 2;
        }
        if (grbit & 0x10) function(4, 1);  // tAttrSum: SUM of one argument
        return;
      }
      case ptgErr: {
        auto code = errorFromCode(u8());
        if (!code) fail("an error constant is unknown");
        pushError(*code);
        return;
      }
      case ptgBool: {
        FormulaNode n;
        n.kind = NodeKind::Boolean;
        n.boolean = u8() != 0;
        push(std::move(n));
        return;
      }
      case ptgInt: {
        FormulaNode n;
        n.number = u16();
        push(std::move(n));
        return;
      }
      case ptgNum: {
        need(8);
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits |= uint64_t(p_[pos_ + i]) << (8 * i);
        pos_ += 8;
        FormulaNode n;
        std::memcpy(&n.number, &bits, 8);
        if (!std::isfinite(n.number)) fail("a number is not finite");
        push(std::move(n));
        return;
      }
      default:
        break;
    }
    if (t < 0x20 || t >= 0x80) fail("unknown token " + std::to_string(t));
    switch (t & 0x1F) {
      case ptgFunc: {
        const uint16_t id = u16();
        const FunctionInfo* info = findFunction(id & 0x7FFF);
        if (!info || info->minArgs != info->maxArgs)
          fail("function number " + std::to_string(id) + " is not supported");
        function(info->biffId, static_cast<size_t>(info->minArgs));
        return;
      }
      case ptgFuncVar: {
        const uint8_t argc = u8() & 0x7F;
        const uint16_t id = u16() & 0x7FFF;
        function(id, argc);
        return;
      }
      case ptgRef:
      case ptgRefN: {
        const uint16_t rw = u16();
        const uint16_t col = u16();
        FormulaNode n;
        n.kind = NodeKind::Ref;
        if ((t & 0x1F) == ptgRef) {
          refParts(rw, col, n.row, n.col);
        } else {
          offsetParts(rw, col, n.row, n.col);
        }
        push(std::move(n));
        return;
      }
      case ptgArea:
      case ptgAreaN: {
        const uint16_t r1 = u16(), r2 = u16(), c1 = u16(), c2 = u16();
        area(r1, r2, c1, c2, (t & 0x1F) == ptgAreaN);
        return;
      }
      case ptgRefErr:
        need(4);
        pos_ += 4;
        pushError(ErrorCode::Ref);
        return;
      case ptgAreaErr:
        need(8);
        pos_ += 8;
        pushError(ErrorCode::Ref);
        return;
      case ptgRefErr3d:
        need(6);
        pos_ += 6;
        pushError(ErrorCode::Ref);
        return;
      case ptgAreaErr3d:
        need(10);
        pos_ += 10;
        pushError(ErrorCode::Ref);
        return;
      default:
        fail("token " + std::to_string(t) + " is not supported");
    }
  }
};

}  // namespace

namespace formula {

std::vector<uint8_t> encodeBiff(const Formula& f, CellRef host) {
  Encoder e(host);
  e.node(f.root(), false);
  return std::move(e.out);
}

std::shared_ptr<const Formula> decodeBiff(const uint8_t* data, size_t size, CellRef host) {
  if (!data && size > 0) throw FormatError("The workbook holds a damaged formula.");
  Decoder d(data, size, host);
  return std::make_shared<const Formula>(d.run());
}

}  // namespace formula
}  // namespace sheet
