#include "app/instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr char kActivate[] = "activate\n";

// The folder for the lock and the socket: the user's runtime folder, private to the user.
QString runtimeFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  return folder;
}

// "tinselwick-" and a digest of the settings file's absolute path: the same file gives the same
// name, another file another name, and the name stays short enough for a socket.
QString nameFor(const QString& settingsFile) {
  const QByteArray digest = QCryptographicHash::hash(
      QFileInfo(settingsFile).absoluteFilePath().toUtf8(), QCryptographicHash::Sha256);
  return QStringLiteral("tinselwick-") + QString::fromLatin1(digest.toHex().left(24));
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFile)
    : lockPath_(runtimeFolder() + u'/' + nameFor(settingsFile) + QStringLiteral(".lock")),
      socketPath_(runtimeFolder() + u'/' + nameFor(settingsFile) + QStringLiteral(".socket")),
      lock_(lockPath_) {
  // A lock is stale only when the program that took it is gone, however old it is.
  lock_.setStaleLockTime(0);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (!socket->canReadLine()) return;
        const QByteArray line = socket->readLine();
        if (line == kActivate && onActivate_) onActivate_();
        socket->disconnectFromServer();
      });
    }
  });
}

QString SingleInstance::holdWithoutWindow() {
  if (lock_.tryLock(0)) return {};
  if (lock_.error() == QLockFile::LockFailedError)
    return QStringLiteral(
        "Tinselwick is running with these gift lists; close its window and "
        "import again.");
  return QStringLiteral(
             "The lock '%1' cannot be made, so other programs cannot be kept from the "
             "lists meanwhile.")
      .arg(lockPath_);
}

SingleInstance::~SingleInstance() {
  server_.close();
}

bool SingleInstance::askRunningProgram() {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(200)) return false;
  socket.write(kActivate);
  return socket.waitForBytesWritten(200);
}

SingleInstance::Start SingleInstance::start(std::function<void()> onActivate) {
  // A second start gives up after a second: the program that holds the lock may be starting.
  const QDeadlineTimer deadline(1000);
  do {
    // tryLock takes over a lock whose program is gone.
    const bool locked = lock_.tryLock(0);
    // A lock that cannot be made at all (a full disk, a runtime folder the user cannot write)
    // must not keep the person from their lists: the program starts, only unguarded.
    if (locked || lock_.error() != QLockFile::LockFailedError) {
      onActivate_ = std::move(onActivate);
      // The socket of a program that crashed is still there: this program holds the lock now.
      // Without the socket later starts get no answer and say so; this program runs as usual.
      if (locked) {
        QLocalServer::removeServer(socketPath_);
        server_.listen(socketPath_);
      }
      return Start::First;
    }
    if (askRunningProgram()) return Start::Answered;
    QThread::msleep(50);
  } while (!deadline.hasExpired());
  return Start::Silent;
}
