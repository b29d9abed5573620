#include "base/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QUrl>
#include <memory>
#include <optional>

#include "base/files.h"

namespace {

QString settingsFailureText(QSettings::Status status, const QString& file) {
  if (status == QSettings::AccessError)
    return QStringLiteral("The settings file '%1' cannot be read or written.").arg(file);
  return QStringLiteral("The settings file '%1' is damaged.").arg(file);
}

// A file as it is on disk: which file, how long, when last changed. Any write by anyone, and a
// file renamed into its place, changes it.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
  friend bool operator==(const FileStamp& a, const FileStamp& b) {
    if (a.exists != b.exists) return false;
    return !a.exists ||
           (a.device == b.device && a.inode == b.inode && a.size == b.size &&
            a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
            a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec);
  }
};

FileStamp stampOf(const QString& file) {
  struct stat st {};
  if (::stat(QFile::encodeName(file).constData(), &st) != 0) return {};
  return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// Settings files found damaged in this session, as they were then. The settings reader parses a
// file once and shares what it parsed between its readers, so a later read of the same file does
// not see the damage again; the damage is remembered here until the file changes.
QHash<QString, FileStamp> damagedSettings;
// Each settings file as this program last read or wrote it: a file that differs when the
// program writes was changed by someone else meanwhile.
QHash<QString, FileStamp> knownSettings;

struct OpenSettings {
  std::unique_ptr<QSettings> settings;
  QString file;
  bool damaged = false;  // the file holds lines the reader could not make sense of
};

void markDamaged(const QString& file) {
  damagedSettings.insert(file, stampOf(file));
}

// The settings of one application: <config folder>/<application>/<application>.ini, read whole.
OpenSettings openSettings(const QString& application) {
  OpenSettings open;
  open.file = settingsFilePath(application);
  // The reader opens the file blocking: a pipe or device in its place would hang the program.
  const QFileInfo info(open.file);
  if (info.exists() && !info.isFile()) fail(settingsFailureText(QSettings::AccessError, open.file));
  open.settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                              application, application);
  // The reader checks a section's lines only when the section is first read: read them all
  // before deciding whether the file is damaged.
  (void)open.settings->allKeys();
  if (open.settings->status() == QSettings::AccessError)
    fail(settingsFailureText(QSettings::AccessError, open.file));
  if (open.settings->status() == QSettings::FormatError) markDamaged(open.file);
  const auto damaged = damagedSettings.constFind(open.file);
  if (damaged != damagedSettings.constEnd()) {
    if (*damaged == stampOf(open.file))
      open.damaged = true;
    else
      damagedSettings.erase(damaged);
  }
  return open;
}

// Qt's escaped form of a key in the file ("Inventory%20List").
QString unescapedKey(QStringView text) {
  return QUrl::fromPercentEncoding(text.trimmed().toUtf8());
}

// The text after "=" on the line of `key` in `section`, as it stands in the file; empty when it
// cannot be found.
std::optional<QString> rawValue(const QString& file, const QString& section, const QString& key) {
  QString why;
  const std::optional<QByteArray> bytes = readFile(file, -1, why);
  if (!bytes) return std::nullopt;
  const QString text = QString::fromUtf8(*bytes);
  std::optional<QString> found;
  bool inSection = false;
  for (QStringView line : QStringView(text).split(u'\n')) {
    line = line.trimmed();
    if (line.startsWith(u'[')) {
      inSection = line == QString(u'[' + section + u']');
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    // The reader takes the last line of a key; an unquoted ";" starts a comment.
    if (inSection && equals > 0 && unescapedKey(line.left(equals)) == key)
      found = line.mid(equals + 1).split(u';').first().trimmed().toString();
  }
  return found;
}

// A value as text; nothing when it is not text (a hand-edited "@Rect(...)" and the like).
std::optional<QString> readValue(const OpenSettings& open, const QString& section,
                                 const QString& key, const QString& fallback) {
  const QVariant value = open.settings->value(key);
  if (!value.isValid()) return fallback;
  if (value.typeId() == QMetaType::QStringList) {
    // A hand-edited value with unquoted commas, which the reader splits into a list: its text as
    // it stands in the file, when nothing in it is quoted or escaped.
    const std::optional<QString> raw = rawValue(open.file, section, key);
    if (raw && !raw->contains(u'"') && !raw->contains(u'\\')) return *raw;
    return value.toStringList().join(u',');
  }
  if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray)
    return std::nullopt;
  return value.toString();
}

// Moves a settings file aside to a free name beside it ("<file>.<suffix>", numbered when taken);
// returns that name.
QString keepFileAside(const QString& file, const QString& suffix, const QString& why) {
  for (int n = 1; n <= 1000; ++n) {
    const QString kept = file + u'.' + suffix + (n == 1 ? QString() : QStringLiteral(".%1").arg(n));
    if (NameTaken(kept)) continue;
    // The rename never replaces a file that appeared at the name meanwhile.
    if (QFile::rename(file, kept)) return kept;
    if (!NameTaken(kept))
      fail(QStringLiteral("The settings file '%1' %2 and cannot be kept as '%3'; the gift lists "
                          "were not saved.")
               .arg(file, why, kept));
  }
  fail(QStringLiteral("The settings file '%1' %2 and no free name is left to keep it under; the "
                      "gift lists were not saved.")
           .arg(file, why));
}

// Makes the folders up to the settings file for their owner alone, and the file itself (empty)
// for its owner alone, so that the writer, which keeps a file's mode, never makes it readable by
// others. A file that exists loses the bits of others; a stricter mode stays. Returns true when
// it created the (empty) file.
bool makePrivate(const QString& file) {
  const QString folder = QFileInfo(file).absolutePath();
  QStringList missing;
  for (QString f = folder; !f.isEmpty() && !QFileInfo::exists(f); f = QFileInfo(f).path()) {
    missing.prepend(f);
    if (f == QFileInfo(f).path()) break;
  }
  for (const QString& f : missing) ::mkdir(QFile::encodeName(f).constData(), 0700);
  const QByteArray name = QFile::encodeName(file);
  struct stat st {};
  if (::lstat(name.constData(), &st) == 0) {
    if (S_ISREG(st.st_mode) && (st.st_mode & 0177) != 0)
      ::chmod(name.constData(), st.st_mode & 0600);
    return false;
  }
  const int fd =
      ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

SettingsDamaged::SettingsDamaged(const QString& file)
    : Failure(settingsFailureText(QSettings::FormatError, file)), file_(file) {}

QString settingsFilePath(const QString& application) {
  // The name of another file of the same folder, with the application's name put in: the
  // settings are not opened (and not read) to learn it.
  const QString other = QStringLiteral("tinselwick-name-probe");
  QString name =
      QSettings(QSettings::IniFormat, QSettings::UserScope, application, other).fileName();
  return name.replace(name.lastIndexOf(other), other.size(), application);
}

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
  knownSettings.insert(open.file, stampOf(open.file));
  open.settings->beginGroup(section);
  // Every key is read, whatever another one holds: a value that is not text is damage, like a
  // line the reader cannot make sense of.
  for (const QString& key : keys) {
    const std::optional<QString> value = readValue(open, section, key, fallback);
    if (!value) {
      open.damaged = true;
      markDamaged(open.file);
    }
    values.append(value.value_or(fallback));
  }
  if (open.damaged) throw SettingsDamaged(open.file);
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value) {
  SaveSettings(application, section, {{key, value}});
}

SavedSettings SaveSettings(const QString& application, const QString& section,
                           const QList<std::pair<QString, QString>>& values) {
  OpenSettings open = openSettings(application);
  SavedSettings saved;
  const auto known = knownSettings.constFind(open.file);
  const FileStamp now = stampOf(open.file);
  const bool changed = known != knownSettings.constEnd() && *known != now && now.exists;
  if (open.damaged || changed) {
    // The old file is kept whole under a new name, and the values are written to a new file:
    // nothing of the old file is destroyed, and nothing the user typed is lost.
    saved.kept = open.damaged ? SavedSettings::Kept::Damaged : SavedSettings::Kept::Changed;
    open.settings.reset();
    saved.keptAs = open.damaged ? keepFileAside(open.file, QStringLiteral("damaged"),
                                                QStringLiteral("is damaged"))
                                : keepFileAside(open.file, QStringLiteral("changed"),
                                                QStringLiteral("was changed by another program"));
    damagedSettings.remove(open.file);
  }
  bool created = false;
  // A write that fails leaves everything as it was: no empty file of this program's, and the
  // kept file back at its name, still known as damaged (or as changed by someone else).
  auto undo = [&] {
    if (created && QFileInfo(open.file).size() == 0) QFile::remove(open.file);
    if (!saved.keptAs.isEmpty() && !NameTaken(open.file) &&
        QFile::rename(saved.keptAs, open.file) && saved.kept == SavedSettings::Kept::Damaged)
      markDamaged(open.file);
  };
  try {
    if (!open.settings) open = openSettings(application);
    created = makePrivate(open.file);
    open.settings->beginGroup(section);
    for (const auto& [key, value] : values) open.settings->setValue(key, value);
    open.settings->endGroup();
    open.settings->sync();
    if (open.settings->status() != QSettings::NoError)
      fail(settingsFailureText(open.settings->status(), open.file));
  } catch (...) {
    open.settings.reset();
    undo();
    throw;
  }
  knownSettings.insert(open.file, stampOf(open.file));
  return saved;
}
