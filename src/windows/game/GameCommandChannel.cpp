#include "windows/game/GameCommandChannel.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>

#include "core/game/GameButtonRules.h"

// Outside commands received and refused; off by default.
Q_LOGGING_CATEGORY(lcCommands, "launcher.commands", QtWarningMsg)

namespace {
constexpr int kSendTimeoutMs = 5000;
constexpr qint64 kLineLimit = 64;  // a command line longer than this is refused
}  // namespace

GameCommandChannel::GameCommandChannel(QObject* parent)
    : QObject(parent), server(new QLocalServer(this)) {
  // Only this user may talk to the window.
  server->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server, &QLocalServer::newConnection, this, &GameCommandChannel::OnNewConnection);
}

GameCommandChannel::~GameCommandChannel() = default;

QString GameCommandChannel::DefaultName() {
  const QByteArray overridden = qgetenv("LAUNCHER_COMMAND_CHANNEL");
  if (!overridden.isEmpty()) return QString::fromLocal8Bit(overridden);
  return QStringLiteral("launcher-game-%1").arg(getuid());
}

bool GameCommandChannel::Listen(const QString& name) {
  if (server->isListening()) server->close();
  if (server->listen(name)) return true;
  if (server->serverError() != QAbstractSocket::AddressInUseError) return false;
  QLocalServer::removeServer(name);
  return server->listen(name);
}

QString GameCommandChannel::Name() const { return server->serverName(); }

int GameCommandChannel::AcceptedCommand(const std::string& text) {
  return game::OutsideCommandFromLine(text);
}

void GameCommandChannel::OnNewConnection() {
  while (QLocalSocket* socket = server->nextPendingConnection()) {
    // A sender that connects and says nothing must not hold anything for long.
    if (senders >= kMaxSenders) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    ++senders;
    connect(socket, &QObject::destroyed, this, [this] { --senders; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(lineWaitMs, socket, [socket] {
      socket->abort();
      socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLineLimit) socket->abort();
        return;
      }
      const QByteArray line = socket->readLine(kLineLimit + 1);
      const int id = AcceptedCommand(line.toStdString());
      socket->write(id != 0 ? "ok\n" : "refused\n");
      socket->flush();
      socket->disconnectFromServer();
      qCInfo(lcCommands) << "outside command" << line.trimmed() << (id != 0 ? "accepted" : "refused");
      if (id == 0) return;
      // The command may open a question with its own event loop: run it after this handler.
      QPointer<GameCommandChannel> self(this);
      QTimer::singleShot(0, this, [self, id] {
        if (self) emit self->Command(id);
      });
    });
  }
}

bool GameCommandChannel::Send(int commandId, const QString& name, std::string* failure) {
  auto fail = [failure](const std::string& text) {
    if (failure != nullptr) *failure = text;
    return false;
  };
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(kSendTimeoutMs)) return fail("no game window is running");
  socket.write(QByteArray::number(commandId) + '\n');
  if (!socket.waitForBytesWritten(kSendTimeoutMs)) return fail("the game window did not listen");
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(kSendTimeoutMs)) return fail("the game window did not answer");
  }
  const QByteArray answer = socket.readLine().trimmed();
  if (answer != "ok") return fail("the game window refused the command");
  return true;
}
