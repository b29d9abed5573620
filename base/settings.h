#pragma once
// The settings store: per user, in the user's config folder (honours XDG_CONFIG_HOME), one INI
// file per application, readable by its owner alone.
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

#include "base/failure.h"

// The settings file is damaged: lines the reader could not make sense of, or a value that is
// not text. Everything that could be read has been read; what() names the file.
class SettingsDamaged : public Failure {
 public:
  explicit SettingsDamaged(const QString& file);
  const QString& file() const { return file_; }

 private:
  QString file_;
};

// The settings file of an application, whether it exists or not.
QString settingsFilePath(const QString& application);

// Reads a value; `fallback` when the key is absent. Throws Failure when the store can't be read
// or is damaged.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& fallback = QString());
// Reads several values of one section in one read of the store into `values`, one per key
// (`fallback` for an absent key). Throws Failure when the store cannot be read; when the file is
// damaged, `values` holds everything that could be read (`fallback` for a value that is not
// text) and then SettingsDamaged is thrown.
void GetSettings(const QString& application, const QString& section, const QStringList& keys,
                 QStringList& values, const QString& fallback = QString());
// Writes a value, replacing the old one; throws Failure when it cannot be written.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

// What a write of the store did with the file it found.
struct SavedSettings {
  enum class Kept {
    Nothing,  // the values were written into the file
    Damaged,  // the file was damaged
    Changed,  // the file was changed by someone else since this program read or wrote it
  };
  Kept kept = Kept::Nothing;
  QString keptAs;  // where the old file was kept
};

// Writes several values of one section in one write of the store: all of them or none. A
// damaged settings file, or one that someone else changed since this program last read or wrote
// it, is first kept whole under a new name beside it ("<file>.damaged" or "<file>.changed",
// numbered when taken) and the values go to a new file. The file is created for its owner alone
// (0600, in a folder made 0700); a stricter mode that the owner set is kept.
SavedSettings SaveSettings(const QString& application, const QString& section,
                           const QList<std::pair<QString, QString>>& values);
