#pragma once
// The running game window's channel for command ids sent by other programs (1526, 1527, 1528,
// 1530): a local socket named per user. One line per command: the id in decimal; the answer is
// "ok" or "refused".
#include <QObject>
#include <QString>
#include <string>

class QLocalServer;

class GameCommandChannel : public QObject {
  Q_OBJECT

 public:
  explicit GameCommandChannel(QObject* parent = nullptr);
  ~GameCommandChannel() override;

  // The user's channel name; LAUNCHER_COMMAND_CHANNEL replaces it (tests, several installs).
  static QString DefaultName();
  // Starts listening as `name`; a stale socket left by an ended window is replaced.
  bool Listen(const QString& name = DefaultName());
  QString Name() const;

  // How long a sender may take to send its line before it is dropped.
  void SetLineWait(int milliseconds) { lineWaitMs = milliseconds; }
  // Senders connected at once; one more is dropped at once.
  static constexpr int kMaxSenders = 16;

  // The id a command line names, or 0 when it is not one the channel accepts.
  static int AcceptedCommand(const std::string& text);
  // Sends one id to the running window and waits for its answer (bounded); true when accepted.
  static bool Send(int commandId, const QString& name = DefaultName(),
                   std::string* failure = nullptr);

 signals:
  // An accepted id, delivered from the event loop after the sender has its answer.
  void Command(int commandId);

 private:
  void OnNewConnection();

  QLocalServer* server = nullptr;
  int lineWaitMs = 5000;
  int senders = 0;
};
