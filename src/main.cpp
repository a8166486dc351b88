#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QSocketNotifier>

#include "app/LauncherApp.h"
#include "app/QtMessageBox.h"
#include "game/GameCommandChannel.h"
#include "game/GameDialog.h"
#include "platform/MessageBox.h"
#include "platform/TerminationSignal.h"

namespace {

bool terminationRequested = false;

// A termination request from the system ends the open windows' runs: no close question, no
// restart, and no further window.
void WatchTerminationRequests(QApplication& app) {
  const int handle = platform::TerminationRequestHandle();
  if (handle < 0) return;
  auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
    platform::TakeTerminationRequests();
    terminationRequested = true;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(widget);
      if (dialog != nullptr && dialog->isVisible()) dialog->done(QDialog::Rejected);
    }
  });
}

}  // namespace

namespace {

// `Launcher --command <id>`: hands one outside command to the running game window.
int SendOutsideCommand(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int id = argc > 2 ? GameCommandChannel::AcceptedCommand(argv[2]) : 0;
  if (id == 0) {
    std::fprintf(stderr, "usage: %s --command 1526|1527|1528|1530\n", argv[0]);
    return 2;
  }
  std::string failure;
  if (!GameCommandChannel::Send(id, GameCommandChannel::DefaultName(), &failure)) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--command") == 0) return SendOutsideCommand(argc, argv);
  // Chromium refuses to run as root with its sandbox on.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  // The windows run one after the other; closing one must not end the next one's run.
  app.setQuitOnLastWindowClosed(false);
  app.setWindowIcon(QIcon(QStringLiteral(":/launcher/icon.png")));
  platform::SetMessageBoxHandler(ShowQtMessageBox);
  WatchTerminationRequests(app);
  theApp.SetGameWindowRunner([](const std::string& address) {
    if (!terminationRequested) RunGameDialog(address);
  });

  theApp.InitInstance(argc, argv);
  return theApp.ExitInstance();
}
