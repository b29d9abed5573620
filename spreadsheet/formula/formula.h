#pragma once
// Formulas: parsing (R1C1 and A1 notation), printing, BIFF8 token encoding, evaluation.
// A Formula is immutable once parsed and is shared between cells (Cell::formula).
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "spreadsheet/model/geometry.h"
#include "spreadsheet/model/value.h"

namespace sheet {

class Workbook;
struct FormulaNode;  // the parsed tree (formula internals)

class Formula {
 public:
  explicit Formula(std::shared_ptr<const FormulaNode> root);
  const FormulaNode& root() const { return *root_; }

 private:
  std::shared_ptr<const FormulaNode> root_;
};

namespace formula {

// Parses a formula in R1C1 notation, without its leading "=", for the cell `host`.
// Throws FormulaError ("The formula contains an error: ...") when it is not a valid formula.
std::shared_ptr<const Formula> parseR1C1(const QString& text, CellRef host);
// The same in A1 notation ("SUM(D3:D24)").
std::shared_ptr<const Formula> parseA1(const QString& text, CellRef host);

// The formula's text without "=", in A1 or R1C1 notation, as seen from `host`.
QString toA1(const Formula& f, CellRef host);
QString toR1C1(const Formula& f, CellRef host);

// The BIFF8 parsed expression (rgce, reverse Polish tokens) of a cell formula at `host`.
// Throws Error for a formula BIFF8 cannot store.
std::vector<uint8_t> encodeBiff(const Formula& f, CellRef host);
// Reads BIFF8 tokens of a cell formula at `host`; throws FormatError on malformed tokens.
std::shared_ptr<const Formula> decodeBiff(const uint8_t* data, size_t size, CellRef host);

// Evaluates the formula of a cell of `sheetIndex` at `host` against the workbook's values.
Value evaluate(const Workbook& book, int sheetIndex, CellRef host, const Formula& f);

}  // namespace formula

// Recalculates every formula of the workbook and stores the results as the cells' values.
// Circular references give 0, as a spreadsheet shows them.
void recalculate(Workbook& book);

// When typed input recalculates the workbook: at once, or later, by the caller, before any value
// is read (many cells typed in a row need one recalculation only).
enum class Recalculation { Now, Later };

// Puts `text` into a cell as if the user had typed it (FormulaR1C1): numbers, currency,
// percent, booleans, apostrophe text, "=" formulas in R1C1 notation, plain text; sets the number
// format a spreadsheet sets for currency and percent; recalculates. Throws FormulaError for a
// formula that does not parse and Error for a text over 32,767 characters.
void enterTyped(Workbook& book, int sheetIndex, CellRef at, const QString& text,
                Recalculation recalculation = Recalculation::Now);
// True when enterTyped() puts `text` into a cell as that very text: not a formula, apostrophe
// text, number, boolean or error value.
bool typesAsItself(const QString& text);

}  // namespace sheet
