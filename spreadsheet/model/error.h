#pragma once
// Failures of the spreadsheet engine. what() is a UTF-8 description meant for the user.
#include <stdexcept>
#include <string>

namespace sheet {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A typed entry or formula that the engine refuses ("The formula contains an error: ...").
class FormulaError : public Error {
 public:
  using Error::Error;
};

// A file that is not a workbook the engine can read (damaged, truncated, not BIFF8, ...).
class FormatError : public Error {
 public:
  using Error::Error;
};

// A file that cannot be read or written (the system's I/O error text).
class IoError : public Error {
 public:
  using Error::Error;
};

}  // namespace sheet
