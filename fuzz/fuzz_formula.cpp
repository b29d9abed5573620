// Fuzz target of the formula engine: the input as text goes through both parsers, the
// printers, the BIFF8 token writer and reader, typed input and recalculation; the input as raw
// bytes goes through the token reader. Refusals are fine; crashes, hangs and broken round trips
// are not.
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"

namespace {

using namespace sheet;

void check(bool ok) {
  if (!ok) std::abort();
}

// Printing and parsing again gives the same text; the tokens read back give the same tokens.
void roundTrips(const Formula& f, CellRef host, bool r1c1) {
  const QString text = r1c1 ? formula::toR1C1(f, host) : formula::toA1(f, host);
  const auto again = r1c1 ? formula::parseR1C1(text, host) : formula::parseA1(text, host);
  check((r1c1 ? formula::toR1C1(*again, host) : formula::toA1(*again, host)) == text);
  const auto tokens = formula::encodeBiff(f, host);
  const auto back = formula::decodeBiff(tokens.data(), tokens.size(), host);
  check(formula::encodeBiff(*back, host) == tokens);
}

// A fresh book for every input, so that a failure replays from its input alone.
Workbook smallBook() {
  Workbook b;
  enterTyped(b, 0, {0, 0}, QStringLiteral("12"));
  enterTyped(b, 0, {1, 0}, QStringLiteral("$89"));
  enterTyped(b, 0, {2, 0}, QStringLiteral("teddy"));
  enterTyped(b, 0, {3, 0}, QStringLiteral("=SUM(R[-3]C:R[-1]C)"));
  enterTyped(b, 0, {0, 1}, QStringLiteral("=RC[-1]*2"));
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const CellRef host{static_cast<int>(size % 40), static_cast<int>(size % 7)};
  Workbook book = smallBook();

  for (bool r1c1 : {true, false}) {
    try {
      auto f = r1c1 ? formula::parseR1C1(text, host) : formula::parseA1(text, host);
      roundTrips(*f, host, r1c1);
      formula::evaluate(book, 0, host, *f);
    } catch (const FormulaError&) {
    } catch (const Error&) {
      // A formula the tokens cannot hold (none known); refused, not crashed.
    }
  }

  try {
    enterTyped(book, 0, host, text);
  } catch (const Error&) {
  }

  try {
    auto f = formula::decodeBiff(data, size, host);
    formula::toA1(*f, host);
    formula::toR1C1(*f, host);
    const auto tokens = formula::encodeBiff(*f, host);
    formula::decodeBiff(tokens.data(), tokens.size(), host);
    formula::evaluate(book, 0, host, *f);
  } catch (const FormatError&) {
  }
  return 0;
}
