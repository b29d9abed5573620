#pragma once
// A failure of one step: thrown by helpers and the spreadsheet host, caught by the trap
// (trap.h), which shows its description. what() is UTF-8.
#include <QString>
#include <stdexcept>

class Failure : public std::runtime_error {
 public:
  explicit Failure(const QString& description)
      : std::runtime_error(description.toUtf8().toStdString()) {}
};

// Throws a Failure with the given description.
[[noreturn]] inline void fail(const QString& description) {
  throw Failure(description);
}
