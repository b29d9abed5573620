#include "base/trap.h"

#include <new>
#include <stdexcept>

#include "base/prompts.h"

QString applicationErrorText(const QString& module, const QString& routine, int step,
                             const QString& description) {
  return description + QStringLiteral("\r\n") + QString::fromUtf16(kErrorLocationPrefix) + module +
         QChar(u'.') + routine + QChar(u' ') + QStringLiteral("at line ") + QString::number(step) +
         QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ") +
         QString::fromUtf16(kSupportAddress);
}

namespace {
int errorsShown = 0;
}  // namespace

int applicationErrorCount() {
  return errorsShown;
}

void ShowApplicationError(const QString& module, const QString& routine, int step,
                          const QString& description) {
  ++errorsShown;
  prompts().message(applicationErrorText(module, routine, step, description), msg::Exclamation,
                    QStringLiteral("Application Error"));
}

QString currentFailureDescription() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return QStringLiteral("Out of memory");
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown failure");
  }
}
