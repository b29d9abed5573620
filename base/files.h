#pragma once
// The program's one way to the file system: file tests, deletion, the program and temporary
// folders, reading small files, and writing every file the same way (a new file beside the
// target, flushed and synced, renamed over it).
#include <QByteArray>
#include <QString>
#include <optional>

#include "base/failure.h"

// True when the path names an existing file or folder; never fails. A dangling link names none.
bool FileExists(const QString& path);
// True when the path names a regular file (through links); never fails.
bool RegularFileExists(const QString& path);
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

// Reads at most `limit` bytes of a file (all of it when `limit` is negative); nothing, with the
// system's reason in `why`, when it cannot be read.
std::optional<QByteArray> readFile(const QString& path, qint64 limit, QString& why);

// Who may read a file the program writes: the usual mode for new files (the umask decides), or
// its owner alone (the program's own temporary files, which hold the user's lists; they do not
// outlive the run, so they are not synced to the disk).
enum class FileAccess { Usual, OwnerOnly };

// A write that failed; what() is "'<path>' cannot be written: <reason>".
class FileWriteError : public Failure {
 public:
  FileWriteError(const QString& path, const QString& reason);
  const QString& reason() const { return reason_; }

 private:
  QString reason_;
};

// Writes `bytes` as the whole file at `path`: a new file beside the target, flushed and synced
// (but for OwnerOnly temporary files), renamed over it, so a reader never sees half a file and a
// failure leaves the old one as it was. A target that exists and is not a regular file is refused;
// a link at the target is replaced, never followed. Throws Failure (FileWriteError when the writing
// itself fails).
void writeFileAtomically(const QString& path, const QByteArray& bytes, FileAccess access);

// Copies `source` byte for byte to `target` as writeFileAtomically writes. The source must be a
// regular file reached without following a link (it may lie in a folder others write in). The
// failure texts speak of the report workbook, the one file the program copies.
void copyFile(const QString& source, const QString& target, FileAccess access = FileAccess::Usual);

// Throws Failure saying that there is no report workbook to `purpose` ("save", "print", ...)
// when `path` is empty or names nothing or an empty file.
void requireReportWorkbook(const QString& path, const QString& purpose);

// Creates an empty file at `path` for its owner alone, only if the name is free. Returns false
// when the name is taken; throws Failure when the folder refuses the file.
bool createFileExclusively(const QString& path);
