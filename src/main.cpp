#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QSocketNotifier>

#include "app/LauncherApp.h"
#include "app/QtMessageBox.h"
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

int main(int argc, char** argv) {
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
