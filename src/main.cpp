#include <unistd.h>

#include <QApplication>
#include <QIcon>

#include "app/LauncherApp.h"
#include "app/QtMessageBox.h"
#include "platform/MessageBox.h"

int main(int argc, char** argv) {
  // Chromium refuses to run as root with its sandbox on.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  // The windows run one after the other; closing one must not end the next one's run.
  app.setQuitOnLastWindowClosed(false);
  app.setWindowIcon(QIcon(QStringLiteral(":/launcher/icon.png")));
  platform::SetMessageBoxHandler(ShowQtMessageBox);

  theApp.InitInstance(argc, argv);
  return theApp.ExitInstance();
}
