#include "platform/qt/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <cstdio>
#include <utility>

namespace dv::qt {

namespace {

constexpr int kConnectMs = 1000;
constexpr int kReplyMs = 2000;
const QByteArray kRequest = QByteArrayLiteral("show\n");
const QByteArray kReply = QByteArrayLiteral("ok\n");

QString SocketFolder() {
  QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable()) {
    return runtime;
  }
  return QDir::tempPath();
}

}  // namespace

SingleInstance::SingleInstance(const QString& name)
    : path_(SocketFolder() + '/' + name), lock_(path_ + ".lock") {
  // A lock whose owner is gone is taken over at once (QLockFile checks
  // whether its process still runs); a live owner holds it only while it
  // looks for a running instance and starts listening.
  lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();  // removes the socket file
}

bool SingleInstance::Forward() {
  // In a shared temporary folder another user could have put a socket of
  // that name there: only one of the user's own counts.
  const QFileInfo file(path_);
  if (file.exists() && file.ownerId() != ::getuid()) return false;
  QLocalSocket socket;
  socket.connectToServer(path_);
  if (!socket.waitForConnected(kConnectMs)) return false;
  socket.write(kRequest);
  if (!socket.waitForBytesWritten(kReplyMs)) return false;
  QByteArray reply;
  while (!reply.endsWith('\n') && socket.waitForReadyRead(kReplyMs)) reply += socket.readAll();
  // A connected instance that does not answer (stopped in a debugger, say)
  // is still running: this start ends all the same, rather than make a
  // second icon.
  return true;
}

bool SingleInstance::ForwardOrListen(std::function<void()> show) {
  // Serialises two starts at the same moment: the second one waits until
  // the first listens, then finds it.
  const bool locked = lock_.tryLock(5000);
  if (Forward()) return true;
  // Nobody answers: the socket, if any, is left from a killed process.
  QLocalServer::removeServer(path_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path_)) {
    std::fprintf(stderr, "dayvane: a later start cannot find this one (%s: %s)\n",
                 qPrintable(path_), qPrintable(server_->errorString()));
  }
  if (locked) lock_.unlock();
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                   [server = server_.get(), show = std::move(show)] {
                     while (QLocalSocket* client = server->nextPendingConnection()) {
                       QObject::connect(client, &QLocalSocket::disconnected, client,
                                        &QObject::deleteLater);
                       QObject::connect(client, &QLocalSocket::readyRead, client, [client, show] {
                         if (!client->canReadLine()) {
                           // Anything else than one short request line is not ours.
                           if (client->bytesAvailable() > 64) client->abort();
                           return;
                         }
                         const QByteArray line = client->readLine(64);
                         if (line == kRequest) {
                           client->write(kReply);
                           client->flush();
                           show();
                         }
                         client->disconnectFromServer();
                       });
                     }
                   });
  return false;
}

}  // namespace dv::qt
