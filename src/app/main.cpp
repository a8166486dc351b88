#include <unistd.h>

#include <cstring>

#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QSocketNotifier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/LauncherApp.h"
#include "app/QtMessageBox.h"
#include "app/QtSaveDialog.h"
#include "app/SkinPreview.h"
#include "core/app/CommandLine.h"
#include "core/check/CheckReport.h"
#include "core/check/PackageCheck.h"
#include "core/net/BackgroundWork.h"
#include "core/platform/Fonts.h"
#include "core/platform/Memory.h"
#include "core/platform/MessageBox.h"
#include "core/platform/TerminationSignal.h"
#include "core/platform/WindowSystem.h"
#include "skin/PackageImage.h"
#include "web/WebProfile.h"
#include "windows/game/GameCommandChannel.h"
#include "windows/game/GameDialog.h"

namespace {

// The longest a termination request may wait for the program to end by itself.
constexpr int kTerminationGraceMs = 700;

// A termination request from the system ends the run at any stage: the open windows' and message
// boxes' runs end at once (no close question, no restart), and a window or box that comes up
// afterwards ends as soon as its run begins.
class TerminationWatch : public QObject {
 public:
  explicit TerminationWatch(QApplication& app) : QObject(&app) {
    const int handle = platform::TerminationRequestHandle();
    if (handle < 0) return;
    platform::EnforceTerminationDeadline(kTerminationGraceMs, 0);
    auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
      platform::TakeTerminationRequests();
      if (!ending) {
        ending = true;
        qApp->installEventFilter(this);
      }
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible()) dialog->done(QDialog::Rejected);
      }
    });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* dialog = qobject_cast<QDialog*>(watched); dialog != nullptr && dialog->isWindow()) {
        QPointer<QDialog> shown(dialog);
        QMetaObject::invokeMethod(
            this, [shown] { if (shown) shown->done(QDialog::Rejected); }, Qt::QueuedConnection);
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool ending = false;
};

// Exit code when the display goes away under the running program.
constexpr int kExitDisplayLost = 3;
bool leavingNormally = false;

// Qt ends the process with exit() when the display connection breaks (the X server ended, the
// session closed), from inside a window's run. The exit handlers would then tear down objects
// whose windows live on a connection that is gone; end at once instead, with a code of our own.
void OnExitFromInsideRun() {
  if (leavingNormally) return;
  std::fputs("Launcher: the display connection was lost\n", stderr);
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(kExitDisplayLost);
}

// Messages while the window system is brought up: the platform plugin's own remarks are held
// back, and its fatal failure ends the run with one line and exit code 1.
void ReportMissingDisplay(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs("Launcher: no display to open the windows on (is DISPLAY set and the X server "
               "running?); --check and --preview need none\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }
  const bool platformRemark = context.category && std::strncmp(context.category, "qt.qpa", 6) == 0;
  if (platformRemark && type != QtCriticalMsg) return;
  std::fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace

namespace {

// `Launcher --command <id>`: hands one outside command to the running game window.
int SendOutsideCommand(int argc, char** argv, const std::string& idText) {
  QCoreApplication app(argc, argv);
  const int id = idText.empty() ? 0 : GameCommandChannel::AcceptedCommand(idText);
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

// `Launcher --check`: the package's report on stdout; the exit code says whether it is sound.
int CheckPackage(const cli::Options& options) {
  const packagecheck::Report report =
      packagecheck::CheckPackageFile(options.packagePath, DecodePackageImage,
                                     platform::CharactersWithoutFont);
  const std::string text =
      options.json ? packagecheck::FormatJson(report) : packagecheck::FormatText(report);
  std::fputs(text.c_str(), stdout);
  return report.ExitCode();
}

}  // namespace

int main(int argc, char** argv) {
  const cli::Options options = cli::ParseCommandLine(argc, argv);
  switch (options.mode) {
    case cli::Mode::Help:
      std::fputs(cli::UsageText("Launcher").c_str(), stdout);
      return 0;
    case cli::Mode::Version:
      std::fputs(cli::VersionText().c_str(), stdout);
      return 0;
    case cli::Mode::Misuse:
      std::fputs(cli::MisuseText("Launcher", options.error).c_str(), stderr);
      return 2;
    case cli::Mode::Command:
      return SendOutsideCommand(argc, argv, options.commandId);
    case cli::Mode::Check:
      return CheckPackage(options);
    case cli::Mode::Preview: {
      // No display and no network: the skin is drawn off screen and no page is loaded.
      qputenv("QT_QPA_PLATFORM", "offscreen");
      // The off-screen platform's remarks (no window masks, no runtime folder) say nothing
      // about the package; only real failures are passed on.
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
          std::fprintf(stderr, "%s\n", qPrintable(text));
      });
      QApplication app(argc, argv);
      return RunSkinPreview(options.previewDir, options.previewWidth ? options.previewWidth : 1280,
                            options.previewHeight ? options.previewHeight : 800);
    }
    case cli::Mode::Run:
      break;
  }
  // Chromium refuses to run as root with its sandbox on.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // A game hidden by the boss key or in the tray keeps its timers (heartbeats, keep-alives).
  ApplyEngineSwitches();
  platform::ReturnLargeBlocksToSystem();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  platform::PreferSessionWindowSystem();
  // Without a display Qt gives up with a fatal message (and an abort); say so in one line.
  const QtMessageHandler previousHandler = qInstallMessageHandler(ReportMissingDisplay);
  QApplication app(argc, argv);
  qInstallMessageHandler(previousHandler);
  // The windows run one after the other; closing one must not end the next one's run.
  app.setQuitOnLastWindowClosed(false);
  app.setWindowIcon(QIcon(QStringLiteral(":/launcher/icon.png")));
  // Test hook: message boxes are recorded in the named file and answered instead of shown.
  const QByteArray messageLog = qgetenv("LAUNCHER_MESSAGE_LOG");
  if (messageLog.isEmpty())
    platform::SetMessageBoxHandler(ShowQtMessageBox);
  else
    platform::SetMessageBoxHandler(MessageLogHandler(
        messageLog.toStdString(), qgetenv("LAUNCHER_MESSAGE_ANSWER") == QByteArrayLiteral("ok")));
  platform::SetSaveDialogHandler(AskQtSavePath);
  new TerminationWatch(app);
  theApp.SetGameWindowRunner(RunGameDialog);

  std::atexit(OnExitFromInsideRun);

  theApp.InitInstance(argc, argv);
  const int code = theApp.ExitInstance();
  leavingNormally = true;
  // Requests still in flight were cancelled with their windows; one that will not end must not
  // meet the libraries' exit-time clean-up.
  net::CancelBackgroundWork();
  if (!net::WaitForBackgroundWork(std::chrono::milliseconds(500))) {
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return code;
}
