#include "base/apptitle.h"

#include <QCoreApplication>

namespace {
QString currentTitle;
}  // namespace

QString deriveApplicationTitle(const QString& productName) {
  QString title = productName;
  do {
    const qsizetype blank = title.lastIndexOf(QChar(u' '));
    if (blank < 0) break;  // a name without a blank stays whole
    title.truncate(blank);
  } while (title.size() > 40);
  return title;
}

void SetApplicationTitle() {
  currentTitle = deriveApplicationTitle(QString::fromUtf16(kProductName));
  QCoreApplication::setApplicationName(currentTitle);
}

QString applicationTitle() {
  if (currentTitle.isEmpty()) return deriveApplicationTitle(QString::fromUtf16(kProductName));
  return currentTitle;
}
