#include "app/LauncherApp.h"

#include <QImage>
#include <QLoggingCategory>
#include <chrono>

#include "core/net/AdapterReport.h"
#include "core/net/BackgroundWork.h"
#include "core/platform/CodePage.h"
#include "core/platform/Paths.h"
#include "core/platform/TerminationSignal.h"
#include "skin/PackageImage.h"
#include "windows/game/GameDialog.h"
#include "windows/launcher/LauncherStandardDlg.h"
#include "windows/launcher/LauncherTranslucentDlg.h"

// The hand-over of the game address to the game window; off by default.
Q_LOGGING_CATEGORY(lcHandover, "launcher.handover", QtWarningMsg)

LauncherApp theApp;

LauncherApp::LauncherApp() : config(std::make_unique<CLauncherConfig>()) {}

LauncherApp::~LauncherApp() {
  // Windows are destroyed by ExitInstance while Qt runs. One still here means the process is
  // being ended from inside a window's run (exit() while the display connection broke): Qt may
  // already be gone, so the window is left to the process's end instead of destroyed.
  (void)launcherDialog.release();
}

void LauncherApp::Reset() {
  adapterReport.reset();
  launcherDialog.reset();
  launcherImage.reset();
  gameDialog = nullptr;
  gameUrl.clear();
  startParameter.clear();
  config = std::make_unique<CLauncherConfig>();
}

bool LauncherApp::OpenConfiguration() {
  if (!config->OpenPackage()) return false;
  if (!config->LoadSettingsFile("config/cg.txt")) return false;
  if (!config->ReadSettings()) return false;
  auto image = std::make_unique<QImage>();
  if (!LoadBitmapFromPackage(*config, "config/main1.png", *image)) return false;
  launcherImage = std::move(image);
  return true;
}

bool LauncherApp::InitInstance(int argc, char** argv) {
  // Sockets need no start-up here, and Qt's imaging is always up.
  if (!OpenConfiguration()) return false;

  const std::string programPath = platform::ProgramPath();
  const LauncherSettings& settings = config->GetSettings();
  // The report runs beside the windows: nothing waits for the counting address.
  adapterReport = StartAdapterReport(
      programPath, platform::CurrentDirectory() + platform::PathSeparator() + "config.zip", settings);

  if (settings.firstUrl.size() > 2) {
    // Only the launcher draws its artwork: the game window's run does not keep it decoded.
    launcherImage.reset();
    RunGameWindow(settings.firstUrl.str());
    return false;
  }

  // Command-line text arrives in the locale's encoding (UTF-8); the program's texts are 8-bit.
  startParameter = argc >= 2 && argv[1] ? codepage::Utf8ToSystem(argv[1]) : std::string();
  launcherDialog =
      std::make_unique<CLauncherTranslucentDlg>(*launcherImage, startParameter, *config, nullptr);
  launcherDialog->DoModal();

  if (launcherDialog->GetStandardDialog() != nullptr)
    gameUrl = launcherDialog->GetStandardDialog()->GetGameUrl();
  const std::string chosen = gameUrl;
  launcherDialog.reset();
  launcherImage.reset();
  if (chosen.empty()) return false;
  RunGameWindow(chosen);
  return false;
}

void LauncherApp::RunGameWindow(const std::string& address) {
  // The address carries the player's session: it is written only when this category is on.
  qCDebug(lcHandover).noquote() << "game address:"
                                << QString::fromStdString(codepage::SystemToUtf8(address));
  if (platform::TerminationRequested()) return;
  if (gameWindowRunner) gameWindowRunner(address);
}

int LauncherApp::ExitInstance() {
  gameDialog = nullptr;
  launcherDialog.reset();
  launcherImage.reset();
  if (adapterReport) {
    net::WaitForBackgroundWork(std::chrono::milliseconds(kReportGraceMs));
    adapterReport.reset();
  }
  return 0;
}

void RunGameDialog(const std::string& address) {
  CGameDialog dialog(theApp.GetConfig(), theApp);
  dialog.SetGameUrl(address);
  theApp.SetGameDialog(&dialog);
  dialog.exec();
  theApp.SetGameDialog(nullptr);
}
