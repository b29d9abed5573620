#pragma once
// The settings store: per user, in the user's config folder (honours XDG_CONFIG_HOME), one INI
// file per application.
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// Reads a value; `fallback` when the key is absent. Throws Failure when the store can't be read
// or is damaged.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& fallback = QString());
// Reads several values of one section in one read of the store into `values`, one per key
// (`fallback` for an absent key). Throws Failure when the store cannot be read; when the file is
// damaged, `values` holds everything that could be read and then Failure is thrown.
void GetSettings(const QString& application, const QString& section, const QStringList& keys,
                 QStringList& values, const QString& fallback = QString());
// Writes a value, replacing the old one; throws Failure when it cannot be written.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);
// Writes several values of one section in one write of the store: all of them or none. A
// damaged settings file is first kept under a new name beside it ("<file>.damaged", numbered
// when taken) and the values go to a new file; returns the name it was kept under, else empty.
QString SaveSettings(const QString& application, const QString& section,
                     const QList<std::pair<QString, QString>>& values);
