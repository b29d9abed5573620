#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString programFolderOverride;

QString systemError(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

QString targetRefusal(FileTargetError::Kind kind, const QString& path, const QString& what) {
  using Kind = FileTargetError::Kind;
  switch (kind) {
    case Kind::Folder:
      return QStringLiteral("'%1' is a folder. Choose a file name for %2.").arg(path, what);
    case Kind::NotAFile:
      return QStringLiteral("'%1' is not a file. Choose a file name for %2.").arg(path, what);
    case Kind::NoFolder:
      return QStringLiteral("The folder '%1' does not exist.").arg(QFileInfo(path).absolutePath());
    case Kind::ReadOnly:
      return QStringLiteral(
                 "'%1' is read-only, so %2 is not written over it. Choose another "
                 "name, or make the file writable first.")
          .arg(path, what);
  }
  return QString();
}

// What is at a target before it is written: nothing, a regular file (its permission bits), or a
// link that the write replaces.
struct Target {
  bool regularFile = false;
  mode_t mode = 0;
};

// Refuses what must never be written over, before anything is written.
Target checkTarget(const QString& path) {
  using Kind = FileTargetError::Kind;
  const QFileInfo target(path);
  if (target.isDir()) throw FileTargetError(Kind::Folder, path);
  // Renaming over a device or a pipe would replace the special file itself (root may write in
  // /dev); only files are written over.
  if (target.exists() && !target.isFile()) throw FileTargetError(Kind::NotAFile, path);
  if (!QFileInfo(target.absolutePath()).isDir()) throw FileTargetError(Kind::NoFolder, path);
  Target state;
  struct stat st {};
  if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
    state.regularFile = true;
    state.mode = st.st_mode & 0777;
    // The owner's own write bit decides, also for root, who could write anything.
    if (!(st.st_mode & S_IWUSR)) throw FileTargetError(Kind::ReadOnly, path);
  }
  return state;
}

// A new file beside the target, created exclusively (a link planted at its name is never
// followed) with the mode it is to have; removed again unless it was renamed into place.
class BesideFile {
 public:
  BesideFile(const QString& target, mode_t mode) {
    const QString folder = QFileInfo(target).absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
      name_ = folder + QStringLiteral("/.tinselwick-") + randomName(6);
      fd_ = ::open(QFile::encodeName(name_).constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
      if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) throw FileWriteError(target, systemError(errno));
  }
  ~BesideFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(QFile::encodeName(name_).constData());
  }
  BesideFile(const BesideFile&) = delete;
  BesideFile& operator=(const BesideFile&) = delete;

  int handle() const { return fd_; }
  const QString& name() const { return name_; }
  // Closes the file, reporting what the close reports (some file systems only then).
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }
  void keep() { kept_ = true; }

 private:
  static QString randomName(int length) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name;
    for (int i = 0; i < length; ++i)
      name += QChar::fromLatin1(letters[QRandomGenerator::system()->bounded(62)]);
    return name;
  }

  QString name_;
  int fd_ = -1;
  bool kept_ = false;
};

// Writes through `fill` (given the new file open, and its name) into a new file beside `path`,
// then syncs it and renames it over `path`.
template <typename Fill>
void writeBeside(const QString& path, const Target& target, FileAccess access, Fill&& fill) {
  // A file that is replaced keeps its permission bits, as its owner set them; a new one gets the
  // usual mode, which the system narrows by the umask as it creates the file, or its owner's.
  const mode_t mode = access != FileAccess::Usual ? 0600 : target.regularFile ? target.mode : 0666;
  BesideFile beside(path, mode);
  if (target.regularFile && access == FileAccess::Usual && ::fchmod(beside.handle(), mode) != 0)
    throw FileWriteError(path, systemError(errno));
  {
    QFile out;
    if (!out.open(beside.handle(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
      throw FileWriteError(path, out.errorString());
    fill(out, beside.name());
    // Flush before the sync: a buffered tail that cannot be written (a full disk) must fail here.
    if (!out.flush()) throw FileWriteError(path, out.errorString());
  }
  // A file the user keeps reaches the disk before it replaces the old one; the program's own
  // temporary files do not outlive the run and are not waited for.
  if (access != FileAccess::OwnerOnly && ::fsync(beside.handle()) != 0)
    throw FileWriteError(path, systemError(errno));
  if (beside.close() != 0) throw FileWriteError(path, systemError(errno));
  if (::rename(QFile::encodeName(beside.name()).constData(), QFile::encodeName(path).constData()) !=
      0)
    throw FileWriteError(path, systemError(errno));
  beside.keep();
}

}  // namespace

FileTargetError::FileTargetError(Kind kind, const QString& path)
    : Failure(targetRefusal(kind, path, QStringLiteral("the file"))), kind_(kind), path_(path) {}

QString FileTargetError::describe(const QString& what) const {
  return targetRefusal(kind_, path_, what);
}

FileSourceError::FileSourceError(Kind kind, const QString& path, const QString& reason)
    : Failure(reason.isEmpty() ? QStringLiteral("'%1' cannot be copied.").arg(path)
                               : QStringLiteral("'%1' cannot be read: %2").arg(path, reason)),
      kind_(kind),
      path_(path),
      reason_(reason) {}

FileWriteError::FileWriteError(const QString& path, const QString& reason)
    : Failure(QStringLiteral("'%1' cannot be written: %2").arg(path, reason)), reason_(reason) {}

bool FileExists(const QString& path) {
  // A dangling link names no file.
  return !path.isEmpty() && QFileInfo::exists(path);
}

bool RegularFileExists(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isFile();
}

bool NameTaken(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

void ForceDeleteFile(const QString& path) {
  QFile file(path);
  if (!QFileInfo(path).isSymLink() && !file.exists())
    fail(QStringLiteral("File not found: '%1'").arg(path));
  file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
  if (!file.remove())
    fail(QStringLiteral("'%1' cannot be deleted: %2").arg(path, file.errorString()));
}

void DeleteFileQuietly(const QString& path) {
  QCoreApplication::processEvents();
  if (path.isEmpty()) return;
  const QFileInfo info(path);
  if (info.isDir() && !info.isSymLink()) return;  // a folder is never deleted
  if (QFile::remove(path)) return;
  try {
    ForceDeleteFile(path);
  } catch (const Failure&) {
    // Deliberately quiet: the caller does not care whether anything was there.
  }
}

QString programFolder() {
  if (!programFolderOverride.isEmpty()) return programFolderOverride;
  return QCoreApplication::applicationDirPath();
}

void setProgramFolderForTesting(const QString& folder) {
  programFolderOverride = folder;
}

QString temporaryFolder() {
  const QString temp = qEnvironmentVariable("TEMP");
  if (!temp.isEmpty() && QFileInfo(temp).isDir()) {
    QString folder = temp;
    while (folder.size() > 1 && folder.endsWith(QChar(u'/'))) folder.chop(1);
    return folder;
  }
  return QDir::tempPath();
}

std::optional<QByteArray> readFile(const QString& path, qint64 limit, QString& why) {
  // Opened without waiting, so that a pipe or a device in the file's place never blocks the
  // program; only a regular file is read.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = systemError(errno);
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = QStringLiteral("it is not a file");
    ::close(fd);
    return std::nullopt;
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    why = file.errorString();
    return std::nullopt;
  }
  QByteArray bytes = limit < 0 ? file.readAll() : file.read(limit);
  if (file.error() != QFileDevice::NoError) {
    why = file.errorString();
    return std::nullopt;
  }
  return bytes;
}

QString createPrivateFolder(const QString& parent, const QString& prefix) {
  QByteArray name = QFile::encodeName(parent + QChar(u'/') + prefix + QStringLiteral("-XXXXXX"));
  if (::mkdtemp(name.data()) == nullptr)
    fail(QStringLiteral("No folder can be made in '%1': %2").arg(parent, systemError(errno)));
  return QFile::decodeName(name);
}

void createPrivateFolders(const QString& folder) {
  QStringList missing;
  for (QString f = QFileInfo(folder).absoluteFilePath(); !NameTaken(f); f = QFileInfo(f).path()) {
    missing.prepend(f);
    if (f == QFileInfo(f).path()) break;
  }
  for (const QString& f : missing)
    if (::mkdir(QFile::encodeName(f).constData(), 0700) != 0 && errno != EEXIST)
      fail(QStringLiteral("The folder '%1' cannot be made: %2").arg(f, systemError(errno)));
  if (!QFileInfo(folder).isDir()) fail(QStringLiteral("'%1' is not a folder.").arg(folder));
}

void removeEmptyFolder(const QString& path) {
  if (!path.isEmpty()) ::rmdir(QFile::encodeName(path).constData());
}

void writeFileAtomically(const QString& path, const QByteArray& bytes, FileAccess access) {
  const Target target = checkTarget(path);
  writeBeside(path, target, access, [&](QFile& out, const QString&) {
    if (out.write(bytes) != bytes.size()) throw FileWriteError(path, out.errorString());
  });
}

void writeFileThroughName(const QString& path, FileAccess access,
                          const std::function<void(const QString& name)>& write) {
  const Target target = checkTarget(path);
  writeBeside(path, target, access, [&](QFile&, const QString& name) { write(name); });
}

void copyFile(const QString& source, const QString& target, FileAccess access) {
  using Kind = FileSourceError::Kind;
  const Target existing = checkTarget(target);
  if (source.isEmpty()) throw FileSourceError(Kind::Missing, source);
  // The source may lie in a folder others write in: a link planted in its place is not
  // followed, and only a plain file is read (a pipe would block the program).
  const int fd =
      ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat sourceStat {};
  if (fd < 0 || ::fstat(fd, &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) {
    const int why = fd < 0 ? errno : 0;
    if (fd >= 0) ::close(fd);
    if (why == ELOOP || QFileInfo(source).isSymLink()) throw FileSourceError(Kind::Link, source);
    if (why == ENOENT) throw FileSourceError(Kind::Missing, source);
    if (why == 0) throw FileSourceError(Kind::NotAFile, source);
    throw FileSourceError(Kind::Unreadable, source, systemError(why));
  }
  if (sourceStat.st_size == 0) {
    ::close(fd);
    throw FileSourceError(Kind::Empty, source);
  }
  QFile in;
  if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw FileSourceError(Kind::Unreadable, source, in.errorString());
  }
  writeBeside(target, existing, access, [&](QFile& out, const QString&) {
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
      const qint64 n = in.read(buffer.data(), buffer.size());
      if (n < 0) throw FileSourceError(Kind::Unreadable, source, in.errorString());
      if (n == 0) break;
      if (out.write(buffer.constData(), n) != n) throw FileWriteError(target, out.errorString());
    }
  });
}

bool createFileExclusively(const QString& path) {
  if (NameTaken(path)) return false;
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                QFileDevice::ReadOwner | QFileDevice::WriteOwner))
    return true;
  if (NameTaken(path)) return false;  // taken between the test and the creation
  fail(QStringLiteral("'%1' cannot be created: %2").arg(path, file.errorString()));
}
