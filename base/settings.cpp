#include "base/settings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <memory>

#include "base/failure.h"
#include "base/files.h"

namespace {

QString settingsFailureText(QSettings::Status status, const QString& file) {
  if (status == QSettings::AccessError)
    return QStringLiteral("The settings file '%1' cannot be read or written.").arg(file);
  return QStringLiteral("The settings file '%1' is damaged.").arg(file);
}

// The settings file of one application, named without opening it: the name of another file of
// the same folder, with the application's name put in.
QString settingsFileName(const QString& application) {
  const QString other = QStringLiteral("tinselwick-name-probe");
  QString name =
      QSettings(QSettings::IniFormat, QSettings::UserScope, application, other).fileName();
  return name.replace(name.lastIndexOf(other), other.size(), application);
}

// Settings files found damaged in this session, with the size and time they had then. The
// settings reader parses a file once and shares what it parsed between its readers, so a later
// read of the same file does not see the damage again; the damage is remembered here until the
// file changes.
struct FileState {
  qint64 size = -1;
  QDateTime modified;
  friend bool operator==(const FileState&, const FileState&) = default;
};
QHash<QString, FileState> damagedSettings;

FileState stateOf(const QString& file) {
  const QFileInfo info(file);
  return {info.size(), info.lastModified()};
}

struct OpenSettings {
  std::unique_ptr<QSettings> settings;
  bool damaged = false;  // the file holds lines the reader could not make sense of
};

// The settings of one application: <config folder>/<application>/<application>.ini, read whole.
OpenSettings openSettings(const QString& application) {
  const QString file = settingsFileName(application);
  // The reader opens the file blocking: a pipe or device in its place would hang the program.
  const QFileInfo info(file);
  if (info.exists() && !info.isFile()) fail(settingsFailureText(QSettings::AccessError, file));
  OpenSettings open;
  open.settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                              application, application);
  // The reader checks a section's lines only when the section is first read: read them all
  // before deciding whether the file is damaged.
  (void)open.settings->allKeys();
  if (open.settings->status() == QSettings::AccessError)
    fail(settingsFailureText(QSettings::AccessError, file));
  if (open.settings->status() == QSettings::FormatError)
    damagedSettings.insert(file, stateOf(file));
  const auto damaged = damagedSettings.constFind(file);
  if (damaged != damagedSettings.constEnd()) {
    if (*damaged == stateOf(file))
      open.damaged = true;
    else
      damagedSettings.erase(damaged);
  }
  return open;
}

QString readValue(QSettings& settings, const QString& key, const QString& fallback) {
  const QVariant value = settings.value(key);
  if (!value.isValid()) return fallback;
  // A hand-edited file may hold a value with unquoted commas, which the reader splits into a
  // list; give back its text rather than nothing.
  if (value.typeId() == QMetaType::QStringList)
    return value.toStringList().join(QStringLiteral(", "));
  if (!value.canConvert<QString>())
    fail(QStringLiteral("The setting '%1' in '%2' is not text.").arg(key, settings.fileName()));
  return value.toString();
}

// Moves a damaged settings file aside to a free name beside it; returns that name.
QString keepDamagedFile(const QString& file) {
  for (int n = 1; n <= 1000; ++n) {
    const QString kept =
        file + QStringLiteral(".damaged") + (n == 1 ? QString() : QStringLiteral(".%1").arg(n));
    if (NameTaken(kept)) continue;
    // The rename never replaces a file that appeared at the name meanwhile.
    if (QFile::rename(file, kept)) return kept;
    if (!NameTaken(kept))
      fail(QStringLiteral("The settings file '%1' is damaged and cannot be kept as '%2'; the gift "
                          "lists were not saved.")
               .arg(file, kept));
  }
  fail(QStringLiteral("The settings file '%1' is damaged and no free name is left to keep it "
                      "under; the gift lists were not saved.")
           .arg(file));
}

}  // namespace

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& fallback) {
  QStringList values;
  GetSettings(application, section, {key}, values, fallback);
  return values.value(0, fallback);
}

void GetSettings(const QString& application, const QString& section, const QStringList& keys,
                 QStringList& values, const QString& fallback) {
  values.clear();
  OpenSettings open = openSettings(application);
  open.settings->beginGroup(section);
  for (const QString& key : keys) values.append(readValue(*open.settings, key, fallback));
  if (open.damaged)
    fail(QStringLiteral("The settings file '%1' is damaged. The gift lists that could be read "
                        "have been restored; the damaged file will be kept beside it when "
                        "Tinselwick closes.")
             .arg(open.settings->fileName()));
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value) {
  SaveSettings(application, section, {{key, value}});
}

QString SaveSettings(const QString& application, const QString& section,
                     const QList<std::pair<QString, QString>>& values) {
  OpenSettings open = openSettings(application);
  QString kept;
  if (open.damaged) {
    // The damaged file is kept whole under a new name, and the values are written to a new file:
    // nothing of the old file is destroyed, and nothing the user typed is lost.
    const QString file = open.settings->fileName();
    open.settings.reset();
    kept = keepDamagedFile(file);
    damagedSettings.remove(file);
    open = openSettings(application);
  }
  open.settings->beginGroup(section);
  for (const auto& [key, value] : values) open.settings->setValue(key, value);
  open.settings->endGroup();
  open.settings->sync();
  if (open.settings->status() != QSettings::NoError) {
    const QString file = open.settings->fileName();
    if (!kept.isEmpty() && !NameTaken(file)) QFile::rename(kept, file);  // as it was
    fail(settingsFailureText(open.settings->status(), file));
  }
  return kept;
}
