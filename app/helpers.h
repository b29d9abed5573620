#pragma once
// Small shared helpers: settings store, file tests and deletion, skin, application title,
// the program folder, the temporary folder and the hand pointer.
#include <QCursor>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QWidget;

// The product name from which the application title is derived.
inline constexpr char16_t kProductName[] = u"Tinselwick Christmas Gift List Maker";

// --- Settings store: per user, in the user's config folder (honours XDG_CONFIG_HOME). ---
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

// --- Files ---
// True when the path names an existing file or folder; never fails. A dangling link names none.
bool FileExists(const QString& path);
// True when anything at all has the name, a dangling link included; never fails.
bool NameTaken(const QString& path);
// Deletes exactly the named file if it can (read-only files too); absorbs every failure.
void DeleteFileQuietly(const QString& path);
// Deletes the named file even when it is read-only; throws Failure when it cannot.
void ForceDeleteFile(const QString& path);

// The folder that holds the program file, without a trailing separator.
QString programFolder();
// Overrides programFolder() (tests); an empty text restores the real folder.
void setProgramFolderForTesting(const QString& folder);

// The temporary folder: TEMP when it names an existing folder, else the system's.
QString temporaryFolder();

// --- Application title ---
// Derives the title from a product name: drops the last word, and again while over 40 chars.
QString deriveApplicationTitle(const QString& productName);
// Makes the title derived from kProductName the application title.
void SetApplicationTitle();
// The title of every message box that names none of its own.
QString applicationTitle();

// --- Look ---
// Applies <program folder>/x/o.cjs to the window as a Qt style sheet. A missing file leaves
// the designed look; an unreadable file or a sheet Qt refuses throws Failure.
void ApplySkin(QWidget* form);
// Gives the window and its frames and labels the button-face colour of the palette.
void SetFormBackColors(QWidget* form);

// The hand pointer from <program folder>/HAND-M.CUR; nothing when the file is absent.
// Throws Failure when the file exists but cannot be read as a cursor.
std::optional<QCursor> loadHandCursor();
// Reads a Windows .cur file (image and hotspot); throws Failure on bad data.
QCursor cursorFromCurFile(const QString& path);
