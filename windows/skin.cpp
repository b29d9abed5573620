#include "windows/skin.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QWidget>
#include <QtEndian>

#include "base/failure.h"
#include "base/files.h"

void SetFormBackColors(QWidget* form) {
  const QColor face = form->palette().color(QPalette::Button);
  auto paint = [&face](QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, face);
    w->setPalette(p);
    w->setAutoFillBackground(true);
  };
  paint(form);
  for (QWidget* child : form->findChildren<QWidget*>()) {
    if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child)) paint(child);
  }
}

void ApplySkin(QWidget* form) {
  const QString path = programFolder() + QStringLiteral("/x/o.cjs");
  if (!RegularFileExists(path)) return;
  SetFormBackColors(form);
  QString why;
  const std::optional<QByteArray> read = readFile(path, -1, why);
  if (!read) fail(QStringLiteral("The skin file '%1' cannot be read: %2").arg(path, why));
  const QByteArray& bytes = *read;
  QString sheet;
  if (!bytes.isEmpty()) {
    sheet = QString::fromUtf8(bytes);
    if (sheet.toUtf8() != bytes || sheet.contains(QChar(0)))
      fail(QStringLiteral("The skin file '%1' is not a style sheet.").arg(path));
  }
  // Qt reports a style sheet it cannot parse only as a warning; check the braces ourselves so
  // that an obviously damaged file is reported instead of silently half-applied.
  int depth = 0;
  for (QChar c : sheet) {
    if (c == QChar(u'{')) ++depth;
    if (c == QChar(u'}') && --depth < 0) break;
  }
  if (depth != 0) fail(QStringLiteral("The skin file '%1' is not a valid style sheet.").arg(path));
  form->setStyleSheet(sheet);
}

std::optional<QCursor> loadHandCursor() {
  const QString path = programFolder() + QStringLiteral("/HAND-M.CUR");
  if (!FileExists(path)) return std::nullopt;
  return cursorFromCurFile(path);
}

QCursor cursorFromCurFile(const QString& path) {
  QString why;
  const std::optional<QByteArray> read = readFile(path, 1 << 20, why);
  if (!read) fail(QStringLiteral("The cursor file '%1' cannot be read: %2").arg(path, why));
  const QByteArray& data = *read;
  // ICONDIR: reserved 0, type 2 (cursor), count; then 16-byte entries whose bytes 4..7 are the
  // hotspot x and y.
  if (data.size() < 22) fail(QStringLiteral("The cursor file '%1' is too short.").arg(path));
  const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
  const quint16 type = qFromLittleEndian<quint16>(bytes + 2);
  const quint16 count = qFromLittleEndian<quint16>(bytes + 4);
  if (qFromLittleEndian<quint16>(bytes) != 0 || type != 2 || count == 0)
    fail(QStringLiteral("'%1' is not a cursor file.").arg(path));
  const int hotX = qFromLittleEndian<quint16>(bytes + 6 + 4);
  const int hotY = qFromLittleEndian<quint16>(bytes + 6 + 6);
  QImage image;
  if (!image.loadFromData(data, "CUR") && !image.loadFromData(data, "ICO") &&
      !image.loadFromData(data))
    fail(QStringLiteral("The cursor file '%1' holds no picture Qt can read.").arg(path));
  return QCursor(QPixmap::fromImage(image), hotX, hotY);
}
