#pragma once
// The program's one way to the file system: file tests, deletion, the program and temporary
// folders, reading small files, and writing every file the same way (a new file beside the
// target, flushed and synced, renamed over it).
#include <QByteArray>
#include <QString>
#include <functional>
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

// Reads at most `limit` bytes of a regular file (all of it when `limit` is negative); nothing,
// with the reason in `why`, when it cannot be read or is no regular file. It never waits on a
// pipe or a device put in the file's place.
std::optional<QByteArray> readFile(const QString& path, qint64 limit, QString& why);

// Creates a new folder inside `parent`, named `prefix` and six random characters, for its owner
// alone (0700); returns its path. Throws Failure when `parent` refuses it.
QString createPrivateFolder(const QString& parent, const QString& prefix);
// Creates the folder and every missing folder above it for their owner alone (0700); folders
// that exist stay as they are. Throws Failure when the folder cannot be made.
void createPrivateFolders(const QString& folder);
// Removes the folder when it is empty; absorbs every failure (a folder with anything in it stays).
void removeEmptyFolder(const QString& path);

// Who may read a file the program writes: the usual mode for new files (the umask decides); its
// owner alone for the program's own temporary files, which hold the user's lists (they do not
// outlive the run, so they are not synced to the disk); or its owner alone for the data the
// program keeps for the user (synced like every file the user keeps).
enum class FileAccess { Usual, OwnerOnly, Private };

// A target that is refused before anything is written. what() says why in general words; a
// caller that knows what it writes phrases it with describe().
class FileTargetError : public Failure {
 public:
  enum class Kind {
    Folder,    // the name is a folder
    NotAFile,  // a device, a pipe, a socket
    NoFolder,  // the folder it would go in does not exist
    ReadOnly,  // a file its owner made read-only
  };
  FileTargetError(Kind kind, const QString& path);
  Kind kind() const { return kind_; }
  const QString& path() const { return path_; }
  // The refusal for a file that holds `what` ("the workbook", "the PDF").
  QString describe(const QString& what) const;

 private:
  Kind kind_;
  QString path_;
};

// Runs `write`; a refused target is reported in words for what is written.
template <typename Write>
void writeNaming(const QString& what, Write&& write) {
  try {
    write();
  } catch (const FileTargetError& refused) {
    fail(refused.describe(what));
  }
}

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
// failure leaves the old one as it was. A file that is replaced keeps its permission bits; a new
// one gets the usual mode (the umask decides) or its owner's alone. A target that exists and is
// not a regular file, or that its owner made read-only, is refused (FileTargetError); a link at
// the target is replaced, never followed. Throws Failure (FileWriteError when the writing itself
// fails).
void writeFileAtomically(const QString& path, const QByteArray& bytes, FileAccess access);

// Writes the file at `path` as writeFileAtomically does, where `write` writes the whole file by
// its own means at the name it is given (a library that writes only to a path): a new, empty file
// beside the target, for its owner alone until it replaces the target. What `write` throws is
// thrown on, and the new file is removed.
void writeFileThroughName(const QString& path, FileAccess access,
                          const std::function<void(const QString& name)>& write);

// A file that cannot be copied from; the caller phrases it for what the file is.
class FileSourceError : public Failure {
 public:
  enum class Kind {
    Missing,     // no name, or nothing at it
    Empty,       // a file of no bytes
    Link,        // a link in the file's place, which is not followed
    NotAFile,    // a folder, a pipe, a device
    Unreadable,  // the system refused it; reason() says why
  };
  FileSourceError(Kind kind, const QString& path, const QString& reason = QString());
  Kind kind() const { return kind_; }
  const QString& path() const { return path_; }
  const QString& reason() const { return reason_; }

 private:
  Kind kind_;
  QString path_;
  QString reason_;
};

// Copies `source` byte for byte to `target` as writeFileAtomically writes. The source must be a
// regular file of at least one byte, reached without following a link (it may lie in a folder
// others write in); FileSourceError says what is wrong with it.
void copyFile(const QString& source, const QString& target, FileAccess access = FileAccess::Usual);

// Creates an empty file at `path` for its owner alone, only if the name is free. Returns false
// when the name is taken; throws Failure when the folder refuses the file.
bool createFileExclusively(const QString& path);
