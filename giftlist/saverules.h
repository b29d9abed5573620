#pragma once
// The rules of "Save Gift Entry": update by exact name first; then name, separators, cost,
// e-mail and the record limit, in that order.
#include <QLocale>
#include <QString>

#include "giftlist/giftentry.h"

class GiftListModel;

enum class SaveOutcome {
  Updated,           // a record with that name was updated; fields keep their text
  Added,             // a new record was appended; fields are emptied
  NameMissing,       // "You forgot to input name."
  SeparatorInField,  // "Entries cannot contain ||SEP1|| or ||SEP2||."
  CostNotNumber,     // "Cost must be a number."
  EmailInvalid,      // "Email address not valid."
  LimitReached,      // "Max records reached"; fields are emptied
};

struct SaveResult {
  SaveOutcome outcome;
  QString message;   // empty when nothing is to be shown
  bool clearFields;  // true when the entry fields are to be emptied
};

// Applies the save rules to `list` with the entry fields as input.
SaveResult saveGiftEntry(GiftListModel& list, const GiftEntry& fields,
                         const QLocale& locale = QLocale());

// A field without the spaces at either end: only blanks (spaces) count, as the rules read fields;
// a name that is empty so is missing.
QString trimSpaces(const QString& text);
// The cost rule: empty or blank is fine; otherwise, with every "$" removed, the locale must
// read the rest as a number (where the locale groups thousands with a space, any blank or
// no-break space between the digits counts as that space).
bool isAcceptableCost(const QString& cost, const QLocale& locale);
// A cost as a spreadsheet's typed input reads it in every locale ("$1,234.50"): a cost the cost
// rule reads as a number comes back with "." before the decimals, "," between thousands and any
// "$" in front; every other text comes back as it is. In an English locale a cost typed the usual
// way comes back unchanged.
QString costInTypedNotation(const QString& cost, const QLocale& locale);
// The e-mail rule: empty or blank is fine; otherwise an "@" at the second character or later.
bool isAcceptableEmail(const QString& email);
// True when the entry would not come back unchanged from the stored form: a field holds a
// separator, or begins or ends with part of one.
bool holdsSeparator(const GiftEntry& entry);
