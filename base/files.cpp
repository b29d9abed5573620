#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString programFolderOverride;

QString systemError(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// Refuses what must never be written over, before anything is written.
void checkTarget(const QString& path) {
  const QFileInfo target(path);
  if (target.isDir())
    fail(QStringLiteral("'%1' is a folder. Choose a file name for the workbook.").arg(path));
  // Renaming over a device or a pipe would replace the special file itself (root may write in
  // /dev); only files are written over.
  if (target.exists() && !target.isFile())
    fail(QStringLiteral("'%1' is not a file. Choose a file name for the workbook.").arg(path));
  if (!QFileInfo(target.absolutePath()).isDir())
    fail(QStringLiteral("The folder '%1' does not exist.").arg(target.absolutePath()));
}

// Writes through `fill` into a new file beside `path`, then syncs it and renames it over `path`.
// The new file is created exclusively, so a link planted at its name is never followed.
template <typename Fill>
void writeBeside(const QString& path, FileAccess access, Fill&& fill) {
  QTemporaryFile out(QFileInfo(path).absolutePath() + QStringLiteral("/.tinselwick-XXXXXX"));
  if (!out.open()) throw FileWriteError(path, out.errorString());
  fill(out);
  // Flush before the sync: a buffered tail that cannot be written (a full disk) must fail here.
  if (!out.flush()) throw FileWriteError(path, out.errorString());
  mode_t mode = 0600;
  if (access == FileAccess::Usual) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(out.handle(), mode) != 0) throw FileWriteError(path, systemError(errno));
  // A file the user keeps reaches the disk before it replaces the old one; the program's own
  // temporary files do not outlive the run and are not waited for.
  if (access == FileAccess::Usual && ::fsync(out.handle()) != 0)
    throw FileWriteError(path, systemError(errno));
  out.close();
  if (::rename(QFile::encodeName(out.fileName()).constData(),
               QFile::encodeName(path).constData()) != 0)
    throw FileWriteError(path, systemError(errno));
  out.setAutoRemove(false);
}

}  // namespace

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
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    why = file.errorString();
    return std::nullopt;
  }
  return limit < 0 ? file.readAll() : file.read(limit);
}

void writeFileAtomically(const QString& path, const QByteArray& bytes, FileAccess access) {
  checkTarget(path);
  writeBeside(path, access, [&](QFile& out) {
    if (out.write(bytes) != bytes.size()) throw FileWriteError(path, out.errorString());
  });
}

void copyFile(const QString& source, const QString& target, FileAccess access) {
  checkTarget(target);
  requireReportWorkbook(source, QStringLiteral("save"));
  // The source lies in a folder others may write in: a link planted in its place is not
  // followed, and only a plain file is read (a pipe would block the program).
  const int fd =
      ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat sourceStat {};
  if (fd < 0 || ::fstat(fd, &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) {
    const int why = fd < 0 ? errno : 0;
    if (fd >= 0) ::close(fd);
    if (why == ELOOP || QFileInfo(source).isSymLink())
      fail(QStringLiteral("The report workbook '%1' has been replaced by a link; it is not copied.")
               .arg(source));
    if (why == 0) fail(QStringLiteral("The report workbook '%1' is not a file.").arg(source));
    fail(QStringLiteral("The report workbook '%1' cannot be read: %2")
             .arg(source, systemError(why)));
  }
  if (sourceStat.st_size == 0) {
    ::close(fd);
    requireReportWorkbook(QString(), QStringLiteral("save"));
  }
  QFile in;
  if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    fail(QStringLiteral("The report workbook '%1' cannot be read: %2")
             .arg(source, in.errorString()));
  }
  writeBeside(target, access, [&](QFile& out) {
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
      const qint64 n = in.read(buffer.data(), buffer.size());
      if (n < 0)
        fail(QStringLiteral("The report workbook '%1' cannot be read: %2")
                 .arg(source, in.errorString()));
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

void requireReportWorkbook(const QString& path, const QString& purpose) {
  const QFileInfo info(path);
  if (!path.isEmpty() && info.isFile() && info.size() > 0) return;
  const QString where =
      path.isEmpty() ? QString() : QStringLiteral(" ('%1' no longer exists or is empty)").arg(path);
  fail(QStringLiteral("There is no report workbook to %1%2. Go back and start the report again.")
           .arg(purpose, where));
}
